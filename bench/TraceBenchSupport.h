// Records for the trace benchmarks: frames on both channels with increasing
// times and `ids` distinct identifiers.
#pragma once

#include "trace/CTraceData.h"
#include "trace/TraceConversion.h"

#include <chrono>
#include <cstdio>
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
