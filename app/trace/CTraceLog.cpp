#include "trace/CTraceLog.h"

#include "trace/LogFormats.h"
#include "trace/LogLineReader.h"

#include <cstring>

namespace kivplus {

int traceCapacityForSetting(int setting)
{
    switch (setting) {
    case 0: return 100000;
    case 1: return 400000;
    case 2: return 800000;
    default: return 1500000;
    }
}

CTraceLog::~CTraceLog()
{
    close();
}

bool CTraceLog::allocate(int capacity, bool withExtras)
{
    finishFile();
    capacity = capacity > 0 ? capacity : kDefaultCapacity;
    // The same shape keeps its storage, so that readers never see it vanish.
    if (records_ && capacity_ == capacity && bool(extras_) == withExtras)
        return true;
    records_ = {};
    extras_ = {};
    capacity_ = capacity;
    records_ = ZeroedArray<CTraceData>(std::size_t(capacity_));
    if (withExtras && records_) {
        extras_ = ZeroedArray<sLogExtraInfo>(std::size_t(capacity_));
        if (!extras_)
            records_ = {};
    }
    return bool(records_);
}

void CTraceLog::addAndLog(const CTraceData& record)
{
    const int n = count();
    if (!records_ || n >= capacity_)
        return;
    records_[std::size_t(n)] = record;
    count_.store(n + 1, std::memory_order_release);
    if (n + 1 - writtenCount_ >= 10)
        writePending();
}

void CTraceLog::add(const CTraceData& record)
{
    const int n = count();
    if (!records_ || n >= capacity_)
        return;
    records_[std::size_t(n)] = record;
    if (extras_)
        std::memset(&extras_[std::size_t(n)], 0, sizeof(sLogExtraInfo));
    count_.store(n + 1, std::memory_order_release);
    writtenCount_ = n + 1;
}

bool CTraceLog::appendRead(const CTraceData& record, const sLogExtraInfo& extra)
{
    const int n = count();
    if (!records_ || n >= capacity_)
        return false;
    records_[std::size_t(n)] = record;
    if (extras_)
        extras_[std::size_t(n)] = extra;
    count_.store(n + 1, std::memory_order_release);
    writtenCount_ = n + 1;
    return true;
}

// Writes the records not yet in the automatic log file, opening a new file for
// the first block. Without a file they count as written, so tracing goes on.
void CTraceLog::writePending()
{
    const int n = count();
    if (writtenCount_ == 0) {
        autoFileFailed_ = !autoFile_.open(baseFolder_);
        if (autoFileFailed_ && !failureReported_) {
            failureReported_ = true;
            if (autoLogFailed_)
                autoLogFailed_(autoFile_.path());
        } else if (!autoFileFailed_) {
            failureReported_ = false;
        }
    }
    if (autoFile_.isOpen())
        autoFile_.write(&records_[std::size_t(writtenCount_)], n - writtenCount_);
    writtenCount_ = n;
}

void CTraceLog::finishFile()
{
    if (records_ && count() != 0 && count() > writtenCount_)
        writePending();
    autoFile_.close();
    count_.store(0, std::memory_order_release);
    writtenCount_ = 0;
}

void CTraceLog::close()
{
    finishFile();
    records_ = {};
    extras_ = {};
}

int CTraceLog::openLogFile(const std::string& path)
{
    const LogFormat format = logFormatOfPath(path);
    if (format == LogFormat::None || !records_)
        return 0;
    const long lines = countLogFileLines(path.c_str());
    if (lines == 0)
        return 0;
    if (lines > long(capacity_) + 1)
        return -1;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return 0;

    count_.store(0, std::memory_order_release);
    writtenCount_ = 0;
    header_.clear();
    headerFormat_ = HeaderFormat::None;
    LogLineReader reader(file);
    switch (format) {
    case LogFormat::Kl: readKlLog(reader, *this); break;
    case LogFormat::Asc: readAscLog(reader, *this); break;
    case LogFormat::Csv: readCsvLog(reader, *this); break;
    case LogFormat::None: break;
    }
    std::fclose(file);
    fromFile_ = true;
    return 1;
}

int CTraceLog::saveLogFile(const std::string& path)
{
    if (count() == 0)
        return 1;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    bool written = false;
    switch (logFormatOfPath(path)) {
    case LogFormat::Kl: written = writeKlLog(file, *this); break;
    case LogFormat::Asc: written = writeAscLog(file, *this); break;
    case LogFormat::Csv: written = writeCsvLog(file, *this); break;
    case LogFormat::None: break;
    }
    const bool closed = std::fclose(file) == 0;
    return written && closed ? 1 : 0;
}

} // namespace kivplus
