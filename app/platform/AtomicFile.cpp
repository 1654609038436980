#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kivplus {

namespace {

bool fail(std::string* error, const std::string& what)
{
    if (error)
        *error = what + ": " + std::strerror(errno);
    return false;
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

mode_t newFileMode(const std::filesystem::path& target)
{
    struct stat existing{};
    if (::stat(target.c_str(), &existing) == 0)
        return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

bool writeFileAtomically(const std::filesystem::path& target, std::string_view bytes, std::string* error)
{
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    std::string temp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return fail(error, "cannot create a temporary file in " + folder.string());
    bool ok = writeAll(fd, bytes) && ::fchmod(fd, newFileMode(target)) == 0 && ::fsync(fd) == 0;
    if (!ok)
        fail(error, "cannot write " + temp);
    if (::close(fd) != 0 && ok)
        ok = fail(error, "cannot write " + temp);
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        fail(error, "cannot replace " + target.string());
        ::unlink(temp.c_str());
        return false;
    }
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

} // namespace kivplus
