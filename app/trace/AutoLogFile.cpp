#include "trace/AutoLogFile.h"

#include "trace/LogFormats.h"

#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace kivplus {

std::string defaultLogFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return (documents.isEmpty() ? QStringLiteral(".") : documents).toStdString() + "/KIVPlus";
}

std::string runFolderName(const std::string& baseFolder, const std::tm& local)
{
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d_%02d%02d%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return baseFolder + "/" + stamp;
}

std::string autoLogFileName(const std::string& runFolder, const std::tm& local, int attempt)
{
    char name[48];
    if (attempt <= 1)
        std::snprintf(name, sizeof name, "KIVLog_%02d%02d%02d.kl", local.tm_hour, local.tm_min, local.tm_sec);
    else
        std::snprintf(name, sizeof name, "KIVLog_%02d%02d%02d_%d.kl", local.tm_hour, local.tm_min, local.tm_sec,
                      attempt);
    return runFolder + "/" + name;
}

bool AutoLogFile::open(const std::string& baseFolder)
{
    close();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);

    if (runFolder_.empty())
        runFolder_ = runFolderName(baseFolder.empty() ? defaultLogFolder() : baseFolder, local);
    std::error_code ec;
    std::filesystem::create_directories(runFolder_, ec);
    if (!std::filesystem::is_directory(runFolder_)) {
        // No folder was made: the next file chooses again.
        path_ = runFolder_;
        runFolder_.clear();
        return false;
    }

    constexpr int kMaxAttempts = 1000;
    for (int attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        path_ = autoLogFileName(runFolder_, local, attempt);
        const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        file_ = ::fdopen(fd, "wb");
        if (!file_) {
            ::close(fd);
            return false;
        }
        return true;
    }
    return false;
}

bool AutoLogFile::write(const CTraceData* records, int count)
{
    if (!file_)
        return false;
    const bool written = writeKlRecords(file_, records, count);
    return std::fflush(file_) == 0 && written;
}

void AutoLogFile::close()
{
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

} // namespace kivplus
