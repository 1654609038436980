#include "trace/TraceConversionThread.h"

#include "trace/TraceConversion.h"

namespace kivplus {

TraceConversionThread::TraceConversionThread(CListQueue& queue, const std::atomic<bool>& tracing,
                                             const MessageNamer* namer, std::uint64_t& baseTime)
    : queue_(queue), tracing_(tracing), namer_(namer), baseTime_(baseTime), thread_([this] { run(); })
{
}

TraceConversionThread::~TraceConversionThread()
{
    quit();
}

void TraceConversionThread::post(std::unique_ptr<sTraceEvent> event)
{
    {
        std::lock_guard guard(lock_);
        events_.push_back(std::move(event));
    }
    wake_.notify_one();
}

void TraceConversionThread::quit()
{
    {
        std::lock_guard guard(lock_);
        quit_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

void TraceConversionThread::run()
{
    std::deque<std::unique_ptr<sTraceEvent>> batch;
    for (;;) {
        {
            std::unique_lock guard(lock_);
            wake_.wait(guard, [this] { return quit_ || !events_.empty(); });
            if (events_.empty())
                return;
            batch.swap(events_);
        }
        for (auto& event : batch) {
            if (!tracing_.load(std::memory_order_relaxed)) {
                dropped_.fetch_add(1, std::memory_order_relaxed);
                continue;
            }
            auto record = std::make_unique<CTraceData>();
            if (convertTraceEvent(*event, namer_, baseTime_, *record)) {
                queue_.push(std::move(record));
                converted_.fetch_add(1, std::memory_order_relaxed);
            } else {
                dropped_.fetch_add(1, std::memory_order_relaxed);
            }
        }
        batch.clear();
    }
}

} // namespace kivplus
