// Keys played through the session on the virtual device, checked at the
// device's receive side: order, times, data, both channels, and a hang-up.
#include "RunFixture.h"

#include "run/ProgressiveSweep.h"

#include "../run/RunTestSupport.h"

using namespace kivplus;
using namespace runtest;
using namespace std::chrono_literals;

namespace {

using RunEndToEnd = RunFixture;

struct Due {
    std::uint32_t id;
    double at;
};

void expectOnTime(const std::vector<WireFrame>& frames, const std::vector<Due>& due, const std::string& what)
{
    ASSERT_GE(frames.size(), due.size()) << what;
    for (std::size_t i = 0; i < due.size(); ++i) {
        SCOPED_TRACE(what + ", frame " + std::to_string(i));
        EXPECT_EQ(frames[i].can.id, due[i].id);
        EXPECT_GE(frames[i].at, due[i].at - kEarlyAllowance);
        EXPECT_LE(frames[i].at, due[i].at + kLateAllowance);
    }
}

TEST_F(RunEndToEnd, ScenarioPassesKeepTheirSchedule)
{
    struct Case {
        const char* what;
        std::vector<tKeyFrame> frames;
        std::vector<Due> due;
    } const cases[] = {
        {"delays 100, 200, 0",
         {frame(0, "0x1", "01", "100"), frame(1, "0x2", "02", "200"), frame(2, "0x3", "03", "0")},
         {{1, 0}, {2, 100}, {3, 300}, {1, 300}, {2, 400}}},
        {"periodic frame and its stop frame",
         {frame(0, "0x1", "01", "120", "50"), stopFrame(1, 0), frame(2, "0x3", "03", "0")},
         {{1, 0}, {1, 50}, {1, 100}, {3, 120}, {1, 120}, {1, 170}}},
        {"repetition due with a frame goes first",
         {frame(0, "0x1", "01", "100", "50"), frame(1, "0x2", "02", "0")},
         {{1, 0}, {1, 50}, {1, 100}, {2, 100}}},
    };
    for (const Case& c : cases) {
        sim->device().clearReceived();
        runners.keyMap.loadKey(key("10", KEY_TYPE_SCENARIO, c.frames));
        runners.keyMap.startKey("10");
        ASSERT_TRUE(waitForWire(c.due.size())) << c.what;
        runners.keyMap.stopKey("10");
        runners.keyMap.joinThreads();
        expectOnTime(wire(), c.due, c.what);
        EXPECT_EQ(wire().front().tag, 10);
    }
}

TEST_F(RunEndToEnd, SingleKeyEveryHundredMilliseconds)
{
    runners.keyMap.loadKey(key("11", KEY_TYPE_SINGLE, {frame(0, "0x7DF", "02 01 0D", "0", "100")}));
    runners.keyMap.startKey("11");
    ASSERT_TRUE(waitForWire(4));
    runners.keyMap.stopKey("11");
    runners.keyMap.joinThreads();
    const auto frames = wire();
    expectOnTime(frames, {{0x7DF, 0}, {0x7DF, 100}, {0x7DF, 200}, {0x7DF, 300}}, "single");
    EXPECT_EQ(frames[0].can.dlc, 3);
    EXPECT_EQ(frames[0].can.data[2], 0x0D);
    EXPECT_EQ(frames[0].kind, 0);
}

TEST_F(RunEndToEnd, FrameOnBothChannelsWaitsForTwoReports)
{
    for (const bool dropOne : {false, true}) {
        sim->device().clearReceived();
        if (dropOne)
            sim->can().dropReports(1);
        // One pass, so that no report of this round reaches the next.
        runners.keyMap.loadKeyForManagedRun(
            key("12", KEY_TYPE_SCENARIO, {frame(0, "0x1", "01", "0", "0", "3"), frame(1, "0x2", "02", "0", "0", "1")}),
            "1", "0");
        runners.keyMap.startKey("12");
        ASSERT_TRUE(eventually([&] { return runners.keyMap.isKeyRunning("12") == 0; }));
        runners.keyMap.joinThreads();
        ASSERT_EQ(wire().size(), 2u);
        const auto frames = wire();
        EXPECT_EQ(frames[0].can.channel, 2);
        // The second frame follows the second report, or the one-second give-up.
        if (dropOne)
            EXPECT_GE(frames[1].at, 900);
        else
            EXPECT_LT(frames[1].at, 500);
    }
}

TEST_F(RunEndToEnd, IgnitionRunStopsAccAndKeepsItsPeriodicFrames)
{
    CIgnitionRun& ignition = runners.ignition;
    ignition.loadKey(key("1", KEY_TYPE_SCENARIO, {frame(0, "0x101", "01", "0", "30")}));
    ignition.loadKey(key("2", KEY_TYPE_SCENARIO, {frame(0, "0x201", "02", "0"), frame(1, "0x202", "03", "0", "30")}));
    ignition.startKey("1");
    ASSERT_TRUE(waitForWire(3));
    ignition.startKey("2");
    EXPECT_EQ(ignition.isKeyRunning("1"), 0);
    const std::size_t accFrames = wire().size();
    ASSERT_TRUE(waitForWire(accFrames + 5));
    EXPECT_EQ(ignition.isKeyRunning("2"), 1);
    ignition.stopAll();
    ignition.joinThreads();
    const auto frames = wire();
    EXPECT_EQ(frames[accFrames].can.id, 0x201u);
    for (std::size_t i = accFrames + 1; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].can.id, 0x202u);
        EXPECT_EQ(frames[i].kind, 1);
        EXPECT_EQ(frames[i].tag, 2);
    }
    for (std::size_t i = accFrames + 2; i < frames.size(); ++i)
        EXPECT_NEAR(frames[i].at - frames[i - 1].at, 30, kLateAllowance);
}

TEST_F(RunEndToEnd, ManagedRunMakesItsPasses)
{
    runners.keyMap.loadKeyForManagedRun(
        key("13", KEY_TYPE_SCENARIO, {frame(0, "0x1", "01", "20"), frame(1, "0x2", "02", "20")}), "3", "0");
    runners.keyMap.startKey("13");
    ASSERT_TRUE(eventually([&] { return runners.keyMap.isKeyRunning("13") == 0; }));
    runners.keyMap.joinThreads();
    EXPECT_EQ(wire().size(), 6u);
    EXPECT_EQ(runners.keyMap.copyOf("13")->runnerStatus.passCount, 3);
}

tKeyFrame sweepFrame(const std::string& type, const std::string& start, const std::string& min,
                     const std::string& max, const std::string& step)
{
    tKeyFrame sweep = frame(0, "0x300", start + " 55", "0", "5");
    sweep.startByte = "0";
    sweep.startBit = "0";
    sweep.signalLength = "8";
    sweep.signalEndian = "Intel";
    sweep.signalType = type;
    sweep.progressiveMin = min;
    sweep.progressiveMax = max;
    sweep.progressiveStep = step;
    return sweep;
}

TEST_F(RunEndToEnd, ProgressiveSweepsOnTheWire)
{
    using Values = std::vector<int>;
    struct Case {
        const char* what;
        tKeyFrame frame;
        int direction;
        bool autoReverse;
        Values values;
    } const cases[] = {
        {"unsigned up, reversing", sweepFrame("UNM", "F0", "0", "FF", "20"), DIRECTION_UP, true,
         {0xF0, 0xFF, 0xDF, 0xBF}},
        {"unsigned up, staying", sweepFrame("UNM", "F0", "0", "FF", "20"), DIRECTION_UP, false,
         {0xF0, 0xFF, 0xFF, 0xFF}},
        {"signed down, staying", sweepFrame("SNM", "00", "C0", "3F", "10"), DIRECTION_DOWN, false,
         {0x00, 0xF0, 0xE0, 0xD0, 0xC0, 0xC0}},
        {"signed down, reversing", sweepFrame("SNM", "00", "C0", "3F", "10"), DIRECTION_DOWN, true,
         {0x00, 0xF0, 0xE0, 0xD0, 0xC0, 0xD0}},
    };
    for (const Case& c : cases) {
        sim->device().clearReceived();
        CProgressiveRun& progressive = runners.progressive;
        progressive.loadKey(key("1", KEY_TYPE_PROGRESSIVE, {c.frame}));
        progressive.setDirection("1", c.direction);
        progressive.setAutoReverse("1", c.autoReverse);
        progressive.startKey("1");
        ASSERT_TRUE(waitForWire(c.values.size())) << c.what;
        progressive.stopKey("1");
        progressive.joinThreads();
        const auto frames = wire();
        Values values;
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            values.push_back(frames[i].can.data[0]);
            EXPECT_EQ(frames[i].can.data[1], 0x55) << c.what;
            EXPECT_EQ(frames[i].kind, 2) << c.what;
        }
        EXPECT_EQ(values, c.values) << c.what;
    }
}

TEST_F(RunEndToEnd, HangUpAndDisconnectEndEveryRun)
{
    runners.keyMap.loadKey(
        key("14", KEY_TYPE_SCENARIO, {frame(0, "0x1", "01", "2000", "20"), frame(1, "0x2", "02", "0")}));
    runners.ignition.loadKey(key("1", KEY_TYPE_SCENARIO, {frame(0, "0x101", "01", "0", "20")}));
    runners.progressive.loadKey(key("2", KEY_TYPE_PROGRESSIVE, {sweepFrame("UNM", "00", "0", "FF", "1")}));
    runners.keyMap.startKey("14");
    runners.ignition.startKey("1");
    runners.progressive.startKey("2");
    ASSERT_TRUE(eventually([&] { return runners.keyMap.isFramePeriodicActive("14", 0) == 1; }));
    ASSERT_TRUE(waitForWire(10));
    // The link keeps its flag through a hang-up; the main window disconnects
    // when the system reports the device gone.
    sim->device().hangUp();
    session.disconnect();
    ASSERT_TRUE(eventually([&] {
        return runners.keyMap.isKeyRunning("14") == 0 && runners.ignition.isKeyRunning("1") == 0 &&
               runners.progressive.isKeyRunning("2") == 0;
    }));
    EXPECT_EQ(runners.keyMap.isFramePeriodicActive("14", 0), 0);
    EXPECT_EQ(runners.ignition.isFramePeriodicActive("1", 0), 0);
}

} // namespace
