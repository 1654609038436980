#pragma once

#include "trace/CTraceData.h"
#include "trace/TraceEvent.h"

#include <cstdint>

namespace kivplus {

// Turns a reported frame into a trace record. baseTime is the trace base time
// in microseconds (0 = not yet set); it moves to the frame's time when it is 0
// or later than the frame. False when the frame is not traced (DLC above 8, or a
// channel index that has no channel number).
bool convertTraceEvent(const sTraceEvent& event, const MessageNamer* namer, std::uint64_t& baseTime,
                       CTraceData& record);

// "%04d:%02d:%02d.%06d" of a time in microseconds; false when it does not fit
// the time member (10000 hours or more).
bool formatTraceTime(std::uint64_t microseconds, char (&text)[18]);

} // namespace kivplus
