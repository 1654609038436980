#pragma once

#include <filesystem>

namespace kivplus {

// The folder that holds the running executable (empty when it cannot be told).
// Resources beside the program are looked for here, never in the working directory.
std::filesystem::path programFolder();

} // namespace kivplus
