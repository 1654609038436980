#pragma once

#include "keymap/KeyRecords.h"

#include <sched.h>

#include <atomic>
#include <chrono>
#include <cstdint>

namespace kivplus {

class RunLink;

using PassClock = std::chrono::steady_clock;
using PassStart = PassClock::time_point;

// Keeps the calling thread on the last processor it may run on while the
// object lives, then gives back the processors it had.
class ProcessorPin {
public:
    ProcessorPin();
    ~ProcessorPin();
    ProcessorPin(const ProcessorPin&) = delete;
    ProcessorPin& operator=(const ProcessorPin&) = delete;

private:
    cpu_set_t saved_;
    bool pinned_ = false;
};

// When a deadline wait gives up early: the application closes, the key's
// running flag is cleared or the device is gone (so that neither a stop nor a
// lost device waits out a long delay).
struct WaitAbort {
    const std::atomic<bool>* closing = nullptr;
    const RunnerWord<std::uint8_t>* running = nullptr;
    RunLink* link = nullptr;
    bool operator()() const;
};

// The start of a pass, read on the pinned processor.
PassStart readPassStart();

// Microseconds since the pass start.
std::int64_t microsecondsSince(PassStart start);

// Waits until targetMicroseconds after start: 1 ms sleeps while more than
// 1 ms remains, then reads the clock without sleeping. Pinned to the last
// processor meanwhile. A target of 0 (or one already passed) returns at once.
void waitUntil(PassStart start, std::int64_t targetMicroseconds, const WaitAbort& abort);

void sleepMilliseconds(int milliseconds);

// Asks for real-time scheduling of the calling thread; without the right to
// it the thread goes on at its normal priority.
bool tryRealTimePriority();

} // namespace kivplus
