#pragma once

#include "trace/CTraceData.h"

#include <cstdio>
#include <ctime>
#include <string>

namespace kivplus {

// The log folder used when none is set: "KIVPlus" in the user's documents folder.
std::string defaultLogFolder();

// "<baseFolder>/YYYYMMDD_HHMMSS" for the given local time.
std::string runFolderName(const std::string& baseFolder, const std::tm& local);

// "<runFolder>/KIVLog_HHMMSS.kl" for the given local time; attempt 2, 3, ...
// add "_2", "_3", ... before the extension.
std::string autoLogFileName(const std::string& runFolder, const std::tm& local, int attempt);

// The automatic log file of the live log: own format, written in blocks of
// records and flushed after each block. A new file never replaces an existing
// one: a name already taken gets a numbered suffix.
class AutoLogFile {
public:
    AutoLogFile() = default;
    ~AutoLogFile() { close(); }
    AutoLogFile(const AutoLogFile&) = delete;
    AutoLogFile& operator=(const AutoLogFile&) = delete;

    // Creates the run folder on first use (from baseFolder, or the default
    // folder when empty) and a new file in it. False when either cannot be
    // created; path() then names what was tried.
    bool open(const std::string& baseFolder);
    bool write(const CTraceData* records, int count);
    void close();

    bool isOpen() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }
    const std::string& runFolder() const { return runFolder_; }

private:
    std::FILE* file_ = nullptr;
    std::string path_;
    std::string runFolder_;
};

} // namespace kivplus
