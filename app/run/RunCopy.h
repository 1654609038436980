#pragma once

#include "keymap/KeyRecords.h"

#include <string>

namespace kivplus {

// A runner's own copy of a key: the entry with its frames, and the run count
// of a managed run (decimal text).
struct tRunCopy : tKeyEntry {
    std::string runCountText;
};

} // namespace kivplus
