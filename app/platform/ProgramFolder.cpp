#include "platform/ProgramFolder.h"

#include <system_error>

namespace kivplus {

std::filesystem::path programFolder()
{
    std::error_code ec;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    return executable.parent_path();
}

} // namespace kivplus
