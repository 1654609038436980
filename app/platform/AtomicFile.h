#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kivplus {

// Writes bytes to a temporary file in the target's folder, flushes it to disk
// and renames it over the target, so that the target holds either its old
// content or all of the new one. On failure the target is untouched, no
// temporary file remains, and error (when given) says why.
bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes, std::string* error = nullptr);

} // namespace kivplus
