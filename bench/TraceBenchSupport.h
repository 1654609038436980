// Records for the trace benchmarks: frames on both channels with increasing
// times and `ids` distinct identifiers.
#pragma once

#include "trace/CTraceData.h"
#include "trace/TraceConversion.h"
#include "trace/TracePipeline.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace tracebench {

inline kivplus::CTraceData benchRecord(int i, int ids)
{
    kivplus::CTraceData r{};
    char time[18];
    kivplus::formatTraceTime(std::uint64_t(i) * 250, time);   // 4000 frames per second
    r.setTimeStamp(time);
    char text[32];
    r.setDirection(i % 7 == 0 ? "Tx" : "Rx");
    r.setChannel(i % 2 ? "2" : "1");
    r.setExtended("N");
    std::snprintf(text, sizeof text, "0x%X", unsigned(0x100 + (std::int64_t(i) * 7919) % ids));
    r.setMessageId(text);
    r.setDlcText("8");
    std::snprintf(text, sizeof text, "%02X 10 03 00 %02X 00 00 %02X", i & 0xFF, (i >> 8) & 0xFF, (i >> 16) & 0xFF);
    r.setDataText(text);
    r.setMessageName("Engine_Status_Message");
    return r;
}

// A trace window as the pipeline sees it: a view (all channels, or one
// channel bit) that never holds a batch.
class BenchWindow : public kivplus::TraceViewHost {
public:
    explicit BenchWindow(int channelBit)
    {
        if (channelBit)
            view.setChannelBit(std::uint8_t(channelBit), true);
    }
    kivplus::CTraceView& traceView() override { return view; }
    bool holdsBatches() const override { return false; }
    void pageUpdate(int) override {}
    void rolledOver() override {}
    kivplus::CTraceView view;
};

// Lines of every file under folder (the automatic log files of a run).
inline long linesIn(const std::filesystem::path& folder)
{
    long lines = 0;
    if (!std::filesystem::exists(folder))
        return 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string line;
        while (std::getline(in, line))
            ++lines;
    }
    return lines;
}

// CPU seconds (user and system) of this process, or of its waited-for children.
inline double cpuSeconds(int who = RUSAGE_SELF)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class Stopwatch {
public:
    double seconds() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

} // namespace tracebench
