#pragma once

#include <string>

namespace kivplus {

// Reads a whole file. On failure returns false and says why in reason.
bool readFileBytes(const std::string& path, std::string& bytes, std::string& reason);

} // namespace kivplus
