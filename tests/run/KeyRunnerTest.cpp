// The key runners against a stand-in device: runs and their ends, confirmation
// waits, managed runs and life cycles on a shortened minute, stopping, and
// reloading or removing keys while they run.
#include "run/CIgnitionRun.h"
#include "run/CKeyMapRun.h"
#include "run/CProgressiveRun.h"
#include "run/ProgressiveSweep.h"

#include "RunTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace kivplus;
using namespace runtest;
using namespace std::chrono_literals;

namespace {

double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

class KeyRunnerTest : public testing::Test {
protected:
    void SetUp() override
    {
        link.confirmer = &runner;
        QObject::connect(&notifier, &RunNotifier::runStarted, [this](int, const QString&) { ++started; });
        QObject::connect(&notifier, &RunNotifier::runEnded, [this](int, const QString&) { ++ended; });
    }

    bool ends(const std::string& name, std::chrono::milliseconds limit = 3000ms)
    {
        return eventually([&] { return runner.isKeyRunning(name) == 0; }, limit);
    }

    FakeLink link;
    RunNotifier notifier;
    RunEnvironment environment{link, notifier};
    CKeyMapRun runner{environment};
    std::atomic<int> started{0};
    std::atomic<int> ended{0};
};

TEST_F(KeyRunnerTest, SingleKeyWithoutIntervalIsSentOnceAndEnds)
{
    ASSERT_TRUE(runner.loadKey(key("42", KEY_TYPE_SINGLE, {frame(0, "0x123", "01 02", "0")})));
    runner.startKey("42");
    ASSERT_TRUE(ends("42"));
    runner.joinThreads();
    const auto sent = link.sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].tag, 42);
    EXPECT_EQ(sent[0].kind, 0);
    EXPECT_EQ(sent[0].dataLow, 0x0201u);
    EXPECT_EQ(started, 1);
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(runner.copyOf("42")->runnerStatus.repeat, 0);
}

TEST_F(KeyRunnerTest, SingleKeyKeepsItsIntervalFromTheFirstTransmission)
{
    runner.loadKey(key("10", KEY_TYPE_SINGLE, {frame(0, "0x1", "01", "0", "20")}));
    runner.startKey("10");
    ASSERT_TRUE(eventually([&] { return !link.sent().empty(); }));
    std::this_thread::sleep_for(300ms);
    const double stopAt = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                                    link.sent().front().time).count();
    runner.stopKey("10");
    ASSERT_TRUE(ends("10"));
    // Never early; a late frame is caught up, so the count follows the clock.
    const auto times = offsets(link.sent());
    for (std::size_t k = 0; k < times.size(); ++k)
        EXPECT_GE(times[k], 20.0 * k - 1) << k;
    const auto due = static_cast<std::size_t>(stopAt / 20) + 1;
    EXPECT_GE(times.size() + 2, due);
    EXPECT_LE(times.size(), due + 1);
}

TEST_F(KeyRunnerTest, EachChannelsReportIsAwaited)
{
    struct Case {
        const char* channel;
        int reports;
        bool waits;
    } const cases[] = {{"3", 2, false}, {"3", 1, true}, {"1", 1, false}, {"1", 0, true}};
    for (const Case& c : cases) {
        link.reportsPerFrame = c.reports;
        runner.loadKey(key("20", KEY_TYPE_SINGLE, {frame(0, "0x1", "01", "0", "0", c.channel)}));
        const auto start = std::chrono::steady_clock::now();
        runner.startKey("20");
        ASSERT_TRUE(ends("20"));
        const double took = millisecondsSince(start);
        if (c.waits)
            EXPECT_GE(took, 900) << c.channel << " " << c.reports;
        else
            EXPECT_LT(took, 500) << c.channel << " " << c.reports;
    }
}

TEST_F(KeyRunnerTest, StopEndsALongWaitAtOnce)
{
    link.reportsPerFrame = 0;
    runner.loadKey(key("30", KEY_TYPE_SCENARIO, {frame(0, "0x1", "01", "10000"), frame(1, "0x2", "02", "0")}));
    runner.startKey("30");
    ASSERT_TRUE(eventually([&] { return link.sent().size() == 1; }));
    const auto start = std::chrono::steady_clock::now();
    runner.stopKey("30");
    ASSERT_TRUE(ends("30"));
    EXPECT_LT(millisecondsSince(start), 500);
}

TEST_F(KeyRunnerTest, AKeyStoppedAndStartedAtOnceRunsAgainOnOneThread)
{
    runner.loadKey(key("33", KEY_TYPE_SINGLE, {frame(0, "0x1", "01", "0", "10")}));
    runner.startKey("33");
    runner.stopKey("33");
    runner.startKey("33");
    runner.startKey("33"); // running: nothing
    ASSERT_TRUE(eventually([&] { return link.sent().size() >= 3; }));
    EXPECT_EQ(runner.isKeyRunning("33"), 1);
    runner.stopKey("33");
    ASSERT_TRUE(ends("33"));
    EXPECT_EQ(started, 2);
}

TEST_F(KeyRunnerTest, LosingTheDeviceEndsTheRunAndClearsPeriodicFlags)
{
    runner.loadKey(key("31", KEY_TYPE_SCENARIO, {frame(0, "0x1", "01", "5000", "10"), frame(1, "0x2", "02", "0")}));
    runner.startKey("31");
    ASSERT_TRUE(eventually([&] { return runner.isFramePeriodicActive("31", 0) == 1; }));
    link.connected = false;
    ASSERT_TRUE(ends("31", 1000ms));
    EXPECT_EQ(runner.isFramePeriodicActive("31", 0), 0);
    EXPECT_EQ(ended, 1);
}

TEST_F(KeyRunnerTest, NoEndReportWhileClosing)
{
    runner.loadKey(key("32", KEY_TYPE_SINGLE, {frame(0, "0x1", "01", "0", "10")}));
    runner.startKey("32");
    ASSERT_TRUE(eventually([&] { return !link.sent().empty(); }));
    environment.closing = true;
    runner.stopAll();
    runner.joinThreads();
    EXPECT_EQ(runner.isKeyRunning("32"), 0);
    EXPECT_EQ(ended, 0);
}

TEST_F(KeyRunnerTest, ManagedRunsCountPassesOrMinutes)
{
    environment.minuteMilliseconds = 50;
    struct Case {
        const char* what;
        int type;
        const char* count;
        const char* minutes;
        int passes;
        std::size_t frames;
    } const cases[] = {
        {"three passes", KEY_TYPE_SCENARIO, "3", "0", 3, 6},
        // 30 ms passes: the pass ending at 120 ms is the first past two minutes.
        {"two minutes", KEY_TYPE_SCENARIO, "0", "2", 4, 8},
        {"neither: one pass", KEY_TYPE_SCENARIO, "0", "0", 1, 2},
        {"other keys send nothing", KEY_TYPE_SINGLE, "2", "0", 2, 0},
    };
    for (const Case& c : cases) {
        link.frames.clear();
        const tKeyEntry entry = key("50", c.type, {frame(0, "0x1", "01", "15"), frame(1, "0x2", "02", "15")});
        ASSERT_TRUE(runner.loadKeyForManagedRun(entry, c.count, c.minutes));
        runner.startKey("50");
        ASSERT_TRUE(ends("50")) << c.what;
        runner.joinThreads();
        EXPECT_EQ(runner.copyOf("50")->runnerStatus.passCount, c.passes) << c.what;
        EXPECT_EQ(link.sent().size(), c.frames) << c.what;
    }
}

TEST_F(KeyRunnerTest, APassWithNothingToSendAndNoTimeEndsTheRun)
{
    const tKeyEntry single = key("51", KEY_TYPE_SINGLE, {frame(0, "0x1", "01", "0")});
    ASSERT_TRUE(runner.loadKeyForManagedRun(single, "0", "2"));
    runner.startKey("51");
    ASSERT_TRUE(ends("51", 500ms));
    runner.loadKey(key("52", KEY_TYPE_SCENARIO, {stopFrame(0, 0)}));
    runner.startKey("52");
    ASSERT_TRUE(ends("52", 500ms));
    EXPECT_EQ(runner.copyOf("51")->runnerStatus.passCount, 1);
    EXPECT_EQ(runner.copyOf("52")->runnerStatus.passCount, 1);
    EXPECT_TRUE(link.sent().empty());
}

TEST_F(KeyRunnerTest, LifeCycleSendsThenPausesCountingMinutes)
{
    environment.minuteMilliseconds = 300;
    tKeyEntry entry = key("60", KEY_TYPE_SINGLE, {frame(0, "0x1", "01", "0", "10")});
    entry.runTime = "1";
    entry.sleepTime = "2";
    std::mutex lock;
    std::vector<std::pair<int, int>> phases; // (phase, phaseMinutes) as reported
    QObject::connect(&notifier, &RunNotifier::statusChanged, [&](int, const QString&) {
        const auto copy = runner.copyOf("60");
        std::lock_guard guard(lock);
        const std::pair<int, int> now{copy->runnerStatus.phase, copy->runnerStatus.phaseMinutes};
        if (phases.empty() || phases.back() != now)
            phases.push_back(now);
    });
    runner.loadKey(entry);
    runner.startKey("60");
    ASSERT_TRUE(eventually(
        [&] {
            std::lock_guard guard(lock);
            return phases.size() >= 5;
        },
        5000ms));
    std::this_thread::sleep_for(100ms);
    runner.stopKey("60");
    ASSERT_TRUE(ends("60"));
    std::lock_guard guard(lock);
    const std::vector<std::pair<int, int>> expected{{1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 0}};
    EXPECT_EQ(std::vector(phases.begin(), phases.begin() + 5), expected);
    // Nothing goes out while the key sleeps.
    const auto times = offsets(link.sent());
    double longestGap = 0;
    for (std::size_t i = 1; i < times.size(); ++i)
        longestGap = std::max(longestGap, times[i] - times[i - 1]);
    EXPECT_GE(longestGap, 550);
}

TEST_F(KeyRunnerTest, ReloadAndRemoveOfARunningKeyWaitForItsThread)
{
    link.reportsPerFrame = 0;
    const tKeyEntry entry = key("70", KEY_TYPE_SCENARIO, {frame(0, "0x1", "01", "10000"), frame(1, "0x2", "02", "0")});
    runner.loadKey(entry);
    runner.startKey("70");
    ASSERT_TRUE(eventually([&] { return runner.isKeyRunning("70") == 1 && link.sent().size() == 1; }));

    tKeyEntry changed = entry;
    changed.frames[1].messageData = "0F";
    changed.frames.push_back(frame(2, "0x3", "03", "0"));
    EXPECT_TRUE(runner.loadKey(changed)); // a copy of that name: reloaded
    EXPECT_EQ(runner.isKeyRunning("70"), 0);
    EXPECT_EQ(runner.copyOf("70")->frames.size(), 3u);
    EXPECT_EQ(runner.findRunFrame("70", 1)->messageData, "0F");
    EXPECT_EQ(ended, 1);

    runner.startKey("70");
    ASSERT_TRUE(eventually([&] { return link.sent().size() == 2; }));
    EXPECT_TRUE(runner.removeRunFrame("70", 0));
    EXPECT_EQ(runner.findRunFrame("70", 0)->messageData, "0F");
    EXPECT_EQ(runner.copyOf("70")->numberOfCanFrame, 2);

    runner.startKey("70");
    ASSERT_TRUE(eventually([&] { return link.sent().size() == 3; }));
    EXPECT_TRUE(runner.removeKey("70"));
    EXPECT_FALSE(runner.copyOf("70"));
    EXPECT_EQ(ended, 3);
}

TEST_F(KeyRunnerTest, MissingKeysReadAsNotRunning)
{
    runner.startKey("99");
    runner.stopKey("99");
    EXPECT_EQ(runner.isKeyRunning("99"), 0);
    EXPECT_EQ(runner.isFrameSent("99", 0), 0);
    EXPECT_EQ(runner.isFramePeriodicActive("99", 0), 0);
    EXPECT_FALSE(runner.findRunFrame("99", 0));
    EXPECT_FALSE(runner.reloadKey(key("99", KEY_TYPE_SINGLE, {})));
    EXPECT_TRUE(runner.removeKey("99"));
    EXPECT_TRUE(runner.removeRunFrame("99", 0));
    runner.loadKey(key("98", KEY_TYPE_SINGLE, {frame(0, "0x1", "01", "0")}));
    EXPECT_EQ(runner.isFrameSent("98", 5), 0);
    EXPECT_FALSE(runner.isScenarioRunning());
}

TEST_F(KeyRunnerTest, ReportsConfirmOnlyARunningKey)
{
    runner.loadKey(key("11", KEY_TYPE_SINGLE, {frame(0, "0x1", "01", "0")}));
    runner.confirmFrame("11");
    runner.confirmFrame("12");
    EXPECT_EQ(runner.copyOf("11")->runnerStatus.unconfirmedFrames, 0);
}

TEST(IgnitionRunTest, StartingAPositionStopsTheOtherAndKeepsItsPeriodicFrames)
{
    FakeLink link;
    RunNotifier notifier;
    RunEnvironment environment{link, notifier};
    CIgnitionRun runner{environment};
    link.confirmer = &runner;
    runner.loadKey(key("1", KEY_TYPE_SCENARIO, {frame(0, "0x101", "01", "0", "20"), frame(1, "0x102", "02", "0")}));
    runner.loadKey(key("2", KEY_TYPE_SCENARIO,
                       {frame(0, "0x201", "01", "10"), frame(1, "0x202", "02", "0", "20"), frame(2, "0x203", "03", "0")}));
    runner.startKey("1");
    ASSERT_TRUE(eventually([&] { return link.sent().size() >= 4; }));
    EXPECT_EQ(runner.isKeyRunning("1"), 1);
    EXPECT_EQ(runner.copyOf("1")->runnerStatus.passCount, 1);

    runner.startKey("1"); // the same position again: restarted
    EXPECT_EQ(runner.isKeyRunning("1"), 1);
    runner.startKey("2");
    EXPECT_EQ(runner.isKeyRunning("1"), 0);
    EXPECT_EQ(runner.isFramePeriodicActive("1", 0), 0);
    const std::size_t before = link.sent().size();
    std::this_thread::sleep_for(150ms);
    runner.stopAll();
    runner.joinThreads();
    auto sent = link.sent();
    sent.erase(sent.begin(), sent.begin() + static_cast<long>(before));
    ASSERT_GE(sent.size(), 5u);
    EXPECT_EQ(sent[0].id, 0x201u);
    EXPECT_EQ(sent[1].id, 0x202u);
    EXPECT_EQ(sent[2].id, 0x203u);
    for (std::size_t i = 3; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i].id, 0x202u);
        EXPECT_EQ(sent[i].kind, 1);
    }
}

TEST(ProgressiveRunTest, SweepGoesOutAndReversesAtTheMaximum)
{
    FakeLink link;
    RunNotifier notifier;
    RunEnvironment environment{link, notifier};
    CProgressiveRun runner{environment};
    link.confirmer = &runner;
    std::atomic<int> reversals{0};
    QObject::connect(&notifier, &RunNotifier::directionChanged, [&](const QString&, int) { ++reversals; });
    tKeyFrame sweep = frame(0, "0x300", "F0", "0", "5");
    sweep.startByte = "0";
    sweep.startBit = "0";
    sweep.signalLength = "8";
    sweep.signalEndian = "Intel";
    sweep.signalType = "UNM";
    sweep.progressiveMin = "0";
    sweep.progressiveMax = "FF";
    sweep.progressiveStep = "20";
    runner.loadKey(key("0", KEY_TYPE_PROGRESSIVE, {sweep}));
    EXPECT_EQ(runner.findRunFrame("0", 0)->sweepValue, "F0");
    runner.setDirection("0", DIRECTION_UP);
    runner.setAutoReverse("0", true);
    runner.startKey("0");
    ASSERT_TRUE(eventually([&] { return link.sent().size() >= 4; }));
    runner.stopKey("0");
    runner.joinThreads();
    const auto sent = link.sent();
    std::vector<std::uint32_t> values;
    for (std::size_t i = 0; i < 4; ++i)
        values.push_back(sent[i].dataLow & 0xFF);
    EXPECT_EQ(values, (std::vector<std::uint32_t>{0xF0, 0xFF, 0xDF, 0xBF}));
    EXPECT_EQ(sent[0].kind, 2);
    EXPECT_EQ(reversals, 1);
    EXPECT_EQ(runner.copyOf("0")->runnerStatus.direction, DIRECTION_DOWN);

    // Reloading starts the sweep over, holding.
    runner.reloadKey(key("0", KEY_TYPE_PROGRESSIVE, {sweep}));
    EXPECT_EQ(runner.findRunFrame("0", 0)->sweepValue, "F0");
    EXPECT_EQ(runner.copyOf("0")->runnerStatus.direction, DIRECTION_HOLD);
}

} // namespace
