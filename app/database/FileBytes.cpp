#include "database/FileBytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace kivplus {

namespace {

// Database files are a few megabytes at most; anything far larger is refused
// rather than read into memory.
constexpr long kMaxFileSize = 512L * 1024 * 1024;

struct CloseFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

bool readFileBytes(const std::string& path, std::string& bytes, std::string& reason)
{
    std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        reason = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    bytes.clear();
    char block[65536];
    while (true) {
        const std::size_t got = std::fread(block, 1, sizeof block, file.get());
        bytes.append(block, got);
        if (bytes.size() > static_cast<std::size_t>(kMaxFileSize)) {
            reason = path + " is too large for a database file";
            return false;
        }
        if (got < sizeof block)
            break;
    }
    if (std::ferror(file.get())) {
        reason = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace kivplus
