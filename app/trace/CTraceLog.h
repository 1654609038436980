#pragma once

#include "trace/AutoLogFile.h"
#include "trace/CTraceData.h"
#include "trace/ZeroedArray.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace kivplus {

// Records per log and per view for the capacity setting (INI "LogFileSize").
int traceCapacityForSetting(int setting);

// A fixed-capacity array of trace records with the state of one log file: the
// live log (fed by the trace distribution thread, writes the automatic log
// file) or the send log (records copied from a window or read from a file).
//
// One thread appends; other threads may read records below count() meanwhile:
// a record is complete before count() covers it.
class CTraceLog {
public:
    static constexpr int kDefaultCapacity = 100000;
    static constexpr int kNetworkSlots = 10;
    // Which reader filled header(): a header is written back only into its own format.
    enum class HeaderFormat { None, Asc, Csv };

    CTraceLog() = default;
    ~CTraceLog();
    CTraceLog(const CTraceLog&) = delete;
    CTraceLog& operator=(const CTraceLog&) = delete;

    // close(), then make room for capacity records (and their extras when asked).
    // False when memory cannot be obtained; the log then holds no records.
    bool allocate(int capacity, bool withExtras);
    // Live log: append and write the automatic log file every ten records.
    void addAndLog(const CTraceData& record);
    // Send log: append without logging.
    void add(const CTraceData& record);
    // Writes unwritten records to the automatic log file, closes it and
    // releases the records.
    void close();

    int count() const { return count_.load(std::memory_order_acquire); }
    int writtenCount() const { return writtenCount_; }
    int capacity() const { return capacity_; }
    bool hasRecords() const { return bool(records_); }
    bool hasExtras() const { return bool(extras_); }
    // Callers stay below count().
    const CTraceData& recordAt(int index) const { return records_[std::size_t(index)]; }
    const sLogExtraInfo* extraAt(int index) const { return extras_ ? &extras_[std::size_t(index)] : nullptr; }

    void setBaseFolder(const std::string& path) { baseFolder_ = path; }
    const std::string& baseFolder() const { return baseFolder_; }
    const std::string& runFolder() const { return autoFile_.runFolder(); }
    const std::string& autoLogPath() const { return autoFile_.path(); }
    bool isFromFile() const { return fromFile_; }
    void setFromFile(bool value) { fromFile_ = value; }

    // Called (on the appending thread) when an automatic log file cannot be
    // created; once, until a file is created again. Tracing goes on meanwhile.
    void setAutoLogFailureHandler(std::function<void(const std::string& path)> handler)
    {
        autoLogFailed_ = std::move(handler);
    }

    // Reads a file (kl, asc or csv by extension) into this log, which must hold
    // room for it: 1 read, 0 cannot be opened or unknown format, -1 more lines
    // than capacity + 1.
    int openLogFile(const std::string& path);
    // Writes the whole log in the format of the extension: 1 written or log
    // empty (no file then), 0 file not created, unknown format or write failed.
    int saveLogFile(const std::string& path);

    // For the format readers and writers.
    const std::string& header() const { return header_; }
    HeaderFormat headerFormat() const { return headerFormat_; }
    void setHeader(std::string text, HeaderFormat format)
    {
        header_ = std::move(text);
        headerFormat_ = format;
    }
    char (&networkNames())[kNetworkSlots][20] { return networkNames_; }
    // Appends a record read from a file; false when the log is full.
    bool appendRead(const CTraceData& record, const sLogExtraInfo& extra);

private:
    void writePending();
    void finishFile();

    ZeroedArray<CTraceData> records_;
    ZeroedArray<sLogExtraInfo> extras_;
    std::atomic<int> count_{0};
    int writtenCount_ = 0;
    int capacity_ = kDefaultCapacity;
    std::string baseFolder_;
    std::string header_;
    HeaderFormat headerFormat_ = HeaderFormat::None;
    char networkNames_[kNetworkSlots][20] = {};
    bool fromFile_ = false;
    AutoLogFile autoFile_;
    bool autoFileFailed_ = false;     // the current file could not be created
    bool failureReported_ = false;
    std::function<void(const std::string&)> autoLogFailed_;
};

} // namespace kivplus
