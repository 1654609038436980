#pragma once

#include "trace/CListQueue.h"
#include "trace/CTraceLog.h"
#include "trace/CTraceView.h"
#include "trace/TraceConversionThread.h"
#include "trace/TraceEvent.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace kivplus {

// A window that shows a trace view: the three live trace windows and the signal
// graph implement it. Every call comes from the trace distribution thread (or
// from the thread that clears the trace); implementations hand the work to the
// user-interface thread without waiting for it.
class TraceViewHost {
public:
    virtual ~TraceViewHost() = default;
    virtual CTraceView& traceView() = 0;
    // True while the page must not change: a trace window's scroll bar is being
    // dragged, a graph is busy or not ready. Batches wait meanwhile.
    virtual bool holdsBatches() const = 0;
    // After each batch, with the number of records the view took.
    virtual void pageUpdate(int accepted) = 0;
    // After a roll-over emptied the view: scroll back to the newest and refresh.
    virtual void rolledOver() = 0;
};

// The trace pipeline: conversion thread, global queue, distribution thread
// every 50 ms into the live log and the trace views, roll-over, and the
// pipeline state (tracing flag, capacity setting). The send log lives here too.
class TracePipeline {
public:
    enum Window { CanAll, Can1, Can2, WindowCount };
    static constexpr auto kBatchInterval = std::chrono::milliseconds(50);

    explicit TracePipeline(const MessageNamer* namer = nullptr);
    ~TracePipeline();
    TracePipeline(const TracePipeline&) = delete;
    TracePipeline& operator=(const TracePipeline&) = delete;

    CTraceLog& liveLog() { return liveLog_; }
    CTraceLog& sendLog() { return sendLog_; }
    CListQueue& queue() { return queue_; }

    // The INI "LogFileSize" index; the capacity of the live log, its views and
    // every automatic log file.
    void setCapacitySetting(int setting) { capacity_.store(traceCapacityForSetting(setting)); }
    int capacity() const { return capacity_.load(); }
    // Log Start / Log Stop: while off, reported frames are dropped.
    void setTracing(bool on) { tracing_.store(on); }
    bool isTracing() const { return tracing_.load(); }

    // The three live trace windows, set once before tracing starts.
    void setTraceWindow(Window window, TraceViewHost* host);
    // The signal graph window, or null when it closes; waits for a running batch.
    void setGraph(TraceViewHost* host);
    // 1 while the message information window is creating a graph.
    void setGraphSetUp(bool on) { graphSetUp_.store(on); }
    // Called once per distribution cycle (the run manager redraws).
    void setCycleCallback(std::function<void()> callback) { cycle_ = std::move(callback); }

    // Device connected in Interface mode: prepare the live log and the views,
    // start the distribution and conversion threads.
    void startTracing();
    // Device disconnected: the distribution thread ends, the conversion thread
    // converts what it was given and ends, and what it queued is distributed
    // (unless a window holds the batch: it then waits for the next start).
    void stopTracing();
    bool isDistributing() const { return distributor_.joinable(); }
    bool hasConversionThread() const;

    // The session's dispatch hands over a reported frame; false (and the event
    // is dropped) when the conversion thread does not exist.
    bool postEvent(std::unique_ptr<sTraceEvent> event);

    // The Clear button of a trace window: the live log rolls over.
    void clear();
    // File > New: both logs closed, the views emptied, the queue dropped.
    void newFile();
    // Application exit: windows forgotten (their views are released with
    // them), threads stopped, every converted record logged and written.
    void shutdown();

    // Moves everything queued now into the live log and the views; what the
    // distribution thread does every 50 ms. False when the batch was held.
    bool distributeOnce();

    // Counters for tools and measurements.
    std::uint64_t framesConverted() const;
    // Frames not traced: tracing off, DLC above 8, or no conversion thread.
    std::uint64_t framesDropped() const;
    // Of those, the frames posted while no conversion thread existed.
    std::uint64_t framesUnposted() const { return unposted_.load(); }
    std::uint64_t recordsLogged() const { return logged_.load(); }
    std::uint64_t rollOvers() const { return rollOvers_.load(); }

private:
    void distributeLoop();
    void rollOverLocked();
    void prepareWindowLocked(TraceViewHost& host);

    const MessageNamer* namer_;
    CTraceLog liveLog_;
    CTraceLog sendLog_;
    CListQueue queue_;

    std::atomic<bool> tracing_{true};
    std::uint64_t baseTime_ = 0;   // the conversion thread's alone
    std::atomic<int> capacity_{traceCapacityForSetting(0)};
    std::atomic<bool> connected_{false};
    std::atomic<bool> graphSetUp_{false};

    std::mutex batchLock_;   // a batch, a roll-over and window changes exclude each other
    std::array<TraceViewHost*, WindowCount> windows_{};
    TraceViewHost* graph_ = nullptr;
    std::function<void()> cycle_;

    mutable std::mutex conversionLock_;
    std::unique_ptr<TraceConversionThread> converter_;
    std::uint64_t convertedBefore_ = 0;
    std::uint64_t droppedBefore_ = 0;
    std::atomic<std::uint64_t> unposted_{0};

    std::mutex sleepLock_;
    std::condition_variable sleepWake_;
    std::thread distributor_;
    std::atomic<std::uint64_t> logged_{0};
    std::atomic<std::uint64_t> rollOvers_{0};
};

} // namespace kivplus
