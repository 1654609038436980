#include "platform/SerialPorts.h"

#include <algorithm>
#include <system_error>

namespace kivplus {

namespace {

// A legacy serial port of the platform bus: the kernel lists ttyS0..ttyS31
// whether or not a UART answers there.
bool isPlatformPort(const std::filesystem::path& entry)
{
    std::error_code error;
    const auto subsystem = std::filesystem::read_symlink(entry / "device" / "subsystem", error);
    return !error && subsystem.filename() == "platform";
}

} // namespace

std::vector<std::string> listSerialPorts(const std::filesystem::path& ttyClass)
{
    std::vector<std::string> ports;
    std::error_code error;
    std::filesystem::directory_iterator it(ttyClass, error);
    if (error)
        return ports;
    for (const auto& entry : it) {
        std::error_code linkError;
        if (!std::filesystem::exists(entry.path() / "device", linkError) || isPlatformPort(entry.path()))
            continue;
        std::string path = "/dev/" + entry.path().filename().string();
        if (path.size() <= kMaxPortPathLength)
            ports.push_back(std::move(path));
    }
    std::sort(ports.begin(), ports.end());
    return ports;
}

} // namespace kivplus
