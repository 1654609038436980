#pragma once

#include "keymap/KeyMapLists.h"

#include <array>
#include <string>

namespace kivtool {

// The lists and the panel layout as JSON, every field by its model name.
std::string keyMapToJson(const kivplus::KeyMapLists& lists, const std::array<std::string, 2>& databaseNames);

} // namespace kivtool
