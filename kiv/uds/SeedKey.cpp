#include "uds/SeedKey.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

namespace kiv {

namespace {

using SeedKeyEntry = std::uint32_t (*)(std::uint32_t);

void* openSeedKeyLibrary()
{
    const std::string folder = executableFolder();
    if (!folder.empty()) {
        const std::string beside = folder + "/" + kSeedKeyLibrary;
        if (access(beside.c_str(), F_OK) == 0)
            return dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    // A bare name makes the loader search its own path (never the working
    // directory unless the user put it there).
    return dlopen(kSeedKeyLibrary, RTLD_NOW | RTLD_LOCAL);
}

} // namespace

std::string executableFolder()
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return {};
    const std::string executable(path, static_cast<std::size_t>(length));
    const std::size_t slash = executable.rfind('/');
    return slash == std::string::npos ? std::string() : executable.substr(0, slash);
}

std::optional<std::uint32_t> computeSeedKey(std::uint32_t seed)
{
    void* library = openSeedKeyLibrary();
    if (!library)
        return std::nullopt;
    std::optional<std::uint32_t> key;
    if (auto entry = reinterpret_cast<SeedKeyEntry>(dlsym(library, kSeedKeyFunction)))
        key = entry(seed);
    dlclose(library);
    return key;
}

} // namespace kiv
