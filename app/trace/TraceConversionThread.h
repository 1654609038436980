#pragma once

#include "trace/CListQueue.h"
#include "trace/TraceEvent.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace kivplus {

// The trace conversion thread: turns posted events into trace records and
// queues them for distribution. The trace base time is read and written by
// this thread only, and outlives it (it is never reset while the program runs).
class TraceConversionThread {
public:
    TraceConversionThread(CListQueue& queue, const std::atomic<bool>& tracing, const MessageNamer* namer,
                          std::uint64_t& baseTime);
    ~TraceConversionThread();
    TraceConversionThread(const TraceConversionThread&) = delete;
    TraceConversionThread& operator=(const TraceConversionThread&) = delete;

    void post(std::unique_ptr<sTraceEvent> event);
    // Converts what was posted before, then ends the thread and waits for it.
    void quit();

    // Frames converted, and frames dropped because tracing was off or the frame
    // could not be traced.
    std::uint64_t converted() const { return converted_.load(std::memory_order_relaxed); }
    std::uint64_t dropped() const { return dropped_.load(std::memory_order_relaxed); }

private:
    void run();

    CListQueue& queue_;
    const std::atomic<bool>& tracing_;
    const MessageNamer* namer_;
    std::uint64_t& baseTime_;

    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<std::unique_ptr<sTraceEvent>> events_;
    bool quit_ = false;
    std::atomic<std::uint64_t> converted_{0};
    std::atomic<std::uint64_t> dropped_{0};
    std::thread thread_;
};

} // namespace kivplus
