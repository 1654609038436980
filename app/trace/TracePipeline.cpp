#include "trace/TracePipeline.h"

namespace kivplus {

TracePipeline::TracePipeline(const MessageNamer* namer) : namer_(namer) {}

TracePipeline::~TracePipeline()
{
    shutdown();
}

void TracePipeline::setTraceWindow(Window window, TraceViewHost* host)
{
    std::lock_guard guard(batchLock_);
    windows_[std::size_t(window)] = host;
}

void TracePipeline::setGraph(TraceViewHost* host)
{
    std::lock_guard guard(batchLock_);
    graph_ = host;
}

bool TracePipeline::hasConversionThread() const
{
    std::lock_guard guard(conversionLock_);
    return converter_ != nullptr;
}

std::uint64_t TracePipeline::framesConverted() const
{
    std::lock_guard guard(conversionLock_);
    return converter_ ? converter_->converted() : convertedBefore_;
}

std::uint64_t TracePipeline::framesDropped() const
{
    std::lock_guard guard(conversionLock_);
    return (converter_ ? converter_->dropped() : droppedBefore_) + unposted_.load();
}

void TracePipeline::prepareWindowLocked(TraceViewHost& host)
{
    CTraceView& view = host.traceView();
    view.allocateItems(capacity());
    view.attachLog(&liveLog_);
    view.allocateGroups(CTraceView::kGroupSlots);
}

void TracePipeline::startTracing()
{
    {
        std::lock_guard guard(batchLock_);
        if (liveLog_.count() == 0)
            liveLog_.allocate(capacity(), false);
        for (TraceViewHost* host : windows_) {
            if (host && !host->traceView().hasItems())
                prepareWindowLocked(*host);
        }
    }
    if (!distributor_.joinable()) {
        connected_.store(true);
        distributor_ = std::thread([this] { distributeLoop(); });
    }
    std::lock_guard guard(conversionLock_);
    if (!converter_)
        converter_ = std::make_unique<TraceConversionThread>(queue_, tracing_, namer_, baseTime_);
}

void TracePipeline::stopTracing()
{
    connected_.store(false);
    sleepWake_.notify_all();
    if (distributor_.joinable())
        distributor_.join();
    {
        std::lock_guard guard(conversionLock_);
        if (converter_) {
            converter_->quit();
            convertedBefore_ = converter_->converted();
            droppedBefore_ = converter_->dropped();
            converter_.reset();
        }
    }
    distributeOnce();
}

bool TracePipeline::postEvent(std::unique_ptr<sTraceEvent> event)
{
    std::lock_guard guard(conversionLock_);
    if (!converter_) {
        unposted_.fetch_add(1);
        return false;
    }
    converter_->post(std::move(event));
    return true;
}

void TracePipeline::distributeLoop()
{
    while (connected_.load()) {
        distributeOnce();
        if (cycle_)
            cycle_();
        std::unique_lock guard(sleepLock_);
        sleepWake_.wait_for(guard, kBatchInterval, [this] { return !connected_.load(); });
    }
}

bool TracePipeline::distributeOnce()
{
    if (queue_.isEmpty())
        return true;
    std::lock_guard guard(batchLock_);
    const std::size_t n = queue_.count();
    if (graphSetUp_.load() || (graph_ && graph_->holdsBatches()))
        return false;
    for (TraceViewHost* host : windows_) {
        if (host && host->holdsBatches())
            return false;
    }

    std::array<int, WindowCount> accepted{};
    int graphAccepted = 0;
    for (std::size_t i = 0; i < n; ++i) {
        std::unique_ptr<CTraceData> record = queue_.pop();
        if (!record)
            continue;
        const int limit = std::min(capacity(), liveLog_.capacity());
        if (!liveLog_.hasRecords() || liveLog_.count() >= limit) {
            rollOverLocked();
            accepted = {};
            graphAccepted = 0;
        }
        liveLog_.addAndLog(*record);
        logged_.fetch_add(1, std::memory_order_relaxed);
        const int logIndex = liveLog_.count() - 1;
        for (std::size_t w = 0; w < WindowCount; ++w) {
            if (windows_[w] && windows_[w]->traceView().add(*record, logIndex))
                ++accepted[w];
        }
        if (graph_ && !graphSetUp_.load() && graph_->traceView().add(*record, logIndex))
            ++graphAccepted;
    }
    for (std::size_t w = 0; w < WindowCount; ++w) {
        if (windows_[w])
            windows_[w]->pageUpdate(accepted[w]);
    }
    if (graph_ && graphAccepted >= 1)
        graph_->pageUpdate(graphAccepted);
    return true;
}

void TracePipeline::rollOverLocked()
{
    liveLog_.allocate(capacity(), false);
    for (TraceViewHost* host : windows_) {
        if (!host)
            continue;
        prepareWindowLocked(*host);
        host->rolledOver();
    }
    if (graph_ && !graphSetUp_.load() && !graph_->holdsBatches()) {
        CTraceView& view = graph_->traceView();
        view.allocateItems(capacity());
        view.attachLog(&liveLog_);
        graph_->rolledOver();
    }
    rollOvers_.fetch_add(1, std::memory_order_relaxed);
}

void TracePipeline::clear()
{
    std::lock_guard guard(batchLock_);
    rollOverLocked();
}

void TracePipeline::newFile()
{
    std::lock_guard guard(batchLock_);
    liveLog_.close();
    sendLog_.close();
    sendLog_.setFromFile(false);
    for (TraceViewHost* host : windows_) {
        if (host) {
            host->traceView().freeItems();
            host->traceView().freeGroups();
        }
    }
    if (graph_) {
        graph_->traceView().freeItems();
        graph_->traceView().freeGroups();
    }
    queue_.clear();
}

void TracePipeline::shutdown()
{
    {
        std::lock_guard guard(batchLock_);
        windows_ = {};
        graph_ = nullptr;
    }
    stopTracing();
    std::lock_guard guard(batchLock_);
    liveLog_.close();
    queue_.clear();
}

} // namespace kivplus
