// The security-access algorithm lives in an outside library, libseedkey.so,
// loaded each time a seed arrives: from the executable's folder first, then
// by the loader's search path, never from the working directory.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kiv {

inline constexpr const char* kSeedKeyLibrary = "libseedkey.so";
inline constexpr const char* kSeedKeyFunction = "SWP_bsseedsi_crypt_si_key";

// Computes the key for a seed: nothing when the library or its function is missing.
using SeedKeyFunction = std::function<std::optional<std::uint32_t>(std::uint32_t seed)>;

std::optional<std::uint32_t> computeSeedKey(std::uint32_t seed);

// The folder of the running executable, empty when it cannot be told.
std::string executableFolder();

} // namespace kiv
