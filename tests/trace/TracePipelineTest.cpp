#include "TestPaths.h"
#include "TraceTestSupport.h"
#include "trace/TracePipeline.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

using namespace kivplus;
using tracetest::makeEvent;
using tracetest::makeRecord;

namespace {

class FakeWindow : public TraceViewHost {
public:
    explicit FakeWindow(int channelBit = 0)
    {
        if (channelBit)
            view.setChannelBit(std::uint8_t(channelBit), true);
    }
    CTraceView& traceView() override { return view; }
    bool holdsBatches() const override { return scrolling.load(); }
    void pageUpdate(int accepted) override
    {
        updates.fetch_add(1);
        acceptedTotal.fetch_add(accepted);
    }
    void rolledOver() override { rollOvers.fetch_add(1); }

    CTraceView view;
    std::atomic<bool> scrolling{false};
    std::atomic<int> updates{0};
    std::atomic<int> acceptedTotal{0};
    std::atomic<int> rollOvers{0};
};

struct PipelineFixture {
    kivtest::TempDir dir;
    TracePipeline pipeline;
    FakeWindow all, can1{1}, can2{2};
    PipelineFixture()
    {
        pipeline.liveLog().setBaseFolder(dir / "logs");
        pipeline.setTraceWindow(TracePipeline::CanAll, &all);
        pipeline.setTraceWindow(TracePipeline::Can1, &can1);
        pipeline.setTraceWindow(TracePipeline::Can2, &can2);
    }
    bool waitForLogged(std::uint64_t n)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (pipeline.recordsLogged() < n && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return pipeline.recordsLogged() >= n;
    }
};

TEST(TracePipeline, EventsReachTheLiveLogAndTheWindows)
{
    PipelineFixture f;
    EXPECT_FALSE(f.pipeline.postEvent(makeEvent(false, 1, {}, 0, 1)));
    f.pipeline.startTracing();
    ASSERT_TRUE(f.pipeline.hasConversionThread());
    for (int i = 0; i < 30; ++i)
        f.pipeline.postEvent(makeEvent(false, 0x100 + (i % 3), {std::uint8_t(i)}, i % 2, 1000 + i));
    ASSERT_TRUE(f.waitForLogged(30));

    f.pipeline.setTracing(false);
    for (int i = 0; i < 5; ++i)
        f.pipeline.postEvent(makeEvent(false, 0x200, {}, 0, 2000));
    // The flag is read when the conversion thread takes an event.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (f.pipeline.framesDropped() < 6 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    f.pipeline.setTracing(true);
    f.pipeline.postEvent(makeEvent(false, 0x300, {}, 1, 3000));
    ASSERT_TRUE(f.waitForLogged(31));
    f.pipeline.stopTracing();

    const CTraceLog& log = f.pipeline.liveLog();
    ASSERT_EQ(log.count(), 31);
    EXPECT_STREQ(log.recordAt(0).timeStamp, "0000:00:00.000000");
    EXPECT_STREQ(log.recordAt(29).timeStamp, "0000:00:00.029000");
    EXPECT_STREQ(log.recordAt(30).messageId, "0x300");
    EXPECT_EQ(f.pipeline.framesConverted(), 31u);
    EXPECT_EQ(f.pipeline.framesDropped(), 6u);
    EXPECT_EQ(f.all.view.itemCount(), 31);
    EXPECT_EQ(f.can1.view.itemCount(), 15);
    EXPECT_EQ(f.can2.view.itemCount(), 16);
    EXPECT_EQ(f.all.acceptedTotal.load(), 31);
    EXPECT_EQ(f.all.view.groupCount(), 7);
    EXPECT_GE(f.all.updates.load(), 1);
    // Thirty records are in the automatic log file, the 31st waits for its block.
    EXPECT_EQ(log.writtenCount(), 30);
}

TEST(TracePipeline, HeldBatchesWaitAndClearRollsOver)
{
    PipelineFixture f;
    f.pipeline.startTracing();
    f.pipeline.stopTracing();   // drive the batches by hand
    f.can1.scrolling = true;
    f.pipeline.queue().push(std::make_unique<CTraceData>(makeRecord("0000:00:01.000000", "Rx", "1", "N", "0x1", "0", "")));
    EXPECT_FALSE(f.pipeline.distributeOnce());
    EXPECT_EQ(f.pipeline.queue().count(), 1u);
    f.can1.scrolling = false;
    EXPECT_TRUE(f.pipeline.distributeOnce());
    EXPECT_EQ(f.can1.view.itemCount(), 1);

    f.pipeline.clear();
    EXPECT_EQ(f.pipeline.liveLog().count(), 0);
    EXPECT_EQ(f.all.view.itemCount(), 0);
    EXPECT_EQ(f.all.view.groupCount(), 0);
    EXPECT_EQ(f.all.rollOvers.load(), 1);
}

TEST(TracePipeline, FullLiveLogRollsOverBeforeTheNextRecord)
{
    PipelineFixture f;
    f.pipeline.startTracing();
    f.pipeline.stopTracing();
    const int capacity = f.pipeline.capacity();
    const CTraceData record = makeRecord("0000:00:01.000000", "Rx", "1", "N", "0x1", "0", "");
    for (int i = 0; i < capacity + 15; ++i)
        f.pipeline.queue().push(std::make_unique<CTraceData>(record));
    f.pipeline.distributeOnce();

    EXPECT_EQ(f.pipeline.rollOvers(), 1u);
    EXPECT_EQ(f.pipeline.liveLog().count(), 15);
    EXPECT_EQ(f.all.view.itemCount(), 15);
    EXPECT_EQ(f.all.acceptedTotal.load(), 15);   // counters restart with the new log
    EXPECT_EQ(f.all.rollOvers.load(), 1);
    f.pipeline.shutdown();

    std::vector<std::uintmax_t> lines;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(f.dir / "logs")) {
        if (entry.is_regular_file()) {
            const std::string text = tracetest::readFile(entry.path());
            lines.push_back(std::uintmax_t(std::count(text.begin(), text.end(), '\n')));
        }
    }
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::uintmax_t>{15, std::uintmax_t(capacity)}));
}

TEST(TracePipeline, NewFileEmptiesEverythingAndTracingContinues)
{
    PipelineFixture f;
    f.pipeline.startTracing();
    f.pipeline.stopTracing();
    const CTraceData record = makeRecord("0000:00:01.000000", "Rx", "2", "N", "0x1", "0", "");
    f.pipeline.queue().push(std::make_unique<CTraceData>(record));
    f.pipeline.distributeOnce();
    f.pipeline.queue().push(std::make_unique<CTraceData>(record));
    f.pipeline.newFile();
    EXPECT_TRUE(f.pipeline.queue().isEmpty());
    EXPECT_FALSE(f.all.view.hasItems());
    f.pipeline.queue().push(std::make_unique<CTraceData>(record));
    f.pipeline.distributeOnce();
    EXPECT_EQ(f.pipeline.liveLog().count(), 1);
    EXPECT_EQ(f.can2.view.itemCount(), 1);
}

} // namespace

namespace {

TEST(TracePipeline, BaseTimeSurvivesReconnection)
{
    PipelineFixture f;
    f.pipeline.startTracing();
    f.pipeline.postEvent(makeEvent(false, 1, {}, 0, 1000));
    ASSERT_TRUE(f.waitForLogged(1));
    f.pipeline.stopTracing();
    f.pipeline.startTracing();
    f.pipeline.postEvent(makeEvent(false, 1, {}, 0, 3000));
    ASSERT_TRUE(f.waitForLogged(2));
    f.pipeline.stopTracing();
    EXPECT_STREQ(f.pipeline.liveLog().recordAt(1).timeStamp, "0000:00:02.000000");
}

} // namespace

namespace {

TEST(TracePipeline, StoppingLogsEveryConvertedRecord)
{
    PipelineFixture f;
    f.pipeline.startTracing();
    for (int i = 0; i < 25; ++i)
        f.pipeline.postEvent(makeEvent(false, 0x100, {std::uint8_t(i)}, 0, 1000 + i));
    f.pipeline.stopTracing();   // at once: most records are still queued
    EXPECT_EQ(f.pipeline.liveLog().count(), 25);
    EXPECT_TRUE(f.pipeline.queue().isEmpty());
    EXPECT_EQ(f.all.view.itemCount(), 25);

    f.pipeline.startTracing();
    for (int i = 0; i < 7; ++i)
        f.pipeline.postEvent(makeEvent(false, 0x100, {}, 0, 2000 + i));
    f.pipeline.shutdown();
    std::uintmax_t lines = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(f.dir / "logs")) {
        if (!entry.is_regular_file())
            continue;
        const std::string text = tracetest::readFile(entry.path());
        lines += std::uintmax_t(std::count(text.begin(), text.end(), '\n'));
    }
    EXPECT_EQ(lines, 32u) << "exit writes what was still queued";
}

} // namespace
