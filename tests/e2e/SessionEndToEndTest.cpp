// The session's command and answer operations against the virtual device.
#include "SessionFixture.h"

#include "shell/ModeAnnouncer.h"
#include "shell/SessionTexts.h"

#include <atomic>
#include <chrono>
#include <thread>

using namespace kivplus;
using namespace KIVCommon;
using namespace std::chrono_literals;

namespace {

using SessionEndToEnd = sessiontest::SessionFixture;

TEST_F(SessionEndToEnd, VersionCheckAnswers)
{
    struct Case {
        kivsim::Fault fault;
        std::uint8_t minor;
        int expected;
    } const cases[] = {
        {kivsim::Fault::None, 30, VERSION_SUPPORTED},
        {kivsim::Fault::None, 31, VERSION_UNSUPPORTED},
        {kivsim::Fault::None, 29, VERSION_UNSUPPORTED},
        {kivsim::Fault::WrongType, 30, VERSION_NO_ANSWER},
        {kivsim::Fault::NoAnswer, 30, VERSION_NO_ANSWER},
    };
    for (const Case& c : cases) {
        sim->faults().setFault(MSG_VERSION_CHECK, c.fault);
        sim->version().setVersion({1, c.minor});
        EXPECT_EQ(session.checkFirmwareVersion(false), c.expected) << int(c.minor);
    }
    const auto frames = sim->device().received();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back().frame.payload, (std::vector<std::uint8_t>{0}));
}

TEST_F(SessionEndToEnd, WaitsSkipOtherFramesAndCheckTheStatus)
{
    sim->device().sendFrames({{0xF1, {1}}, {0xF1, {1}}, {0xF4, {7}}});
    const tKIVNGMessageData frame = session.waitFrame(0xF4);
    EXPECT_EQ(frameType(frame), 0xF4);
    EXPECT_EQ(framePayload(frame).first[0], 7);

    sim->device().sendFrame(0xF3, {2});
    EXPECT_FALSE(session.waitStatus(0xF3));
    sim->device().sendFrame(0xF3, {1});
    EXPECT_TRUE(session.waitStatus(0xF3));

    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(frameType(session.waitFrame(0xF4)), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - before, 1000ms);
}

TEST_F(SessionEndToEnd, RequestBlockSendsTheRequestAndPauses)
{
    setDelayScale(1.0);
    auto before = std::chrono::steady_clock::now();
    session.requestBlock(MSG_SETTING_READ);
    const auto shortPause = std::chrono::steady_clock::now() - before;
    before = std::chrono::steady_clock::now();
    session.requestBlock(MSG_KEYMAP_READ);
    const auto longPause = std::chrono::steady_clock::now() - before;
    EXPECT_GE(shortPause, 40ms);
    EXPECT_LT(shortPause, 300ms);
    EXPECT_GE(longPause, 340ms);
    ASSERT_TRUE(sim->device().waitForFrames(MSG_SETTING_READ, 1, 1s));
    EXPECT_EQ(sim->device().received().front().frame.payload, (std::vector<std::uint8_t>{0}));
}

TEST_F(SessionEndToEnd, NothingIsSentWithoutAConnection)
{
    session.disconnect();
    const std::uint8_t byte = 0;
    EXPECT_EQ(session.sendCommand(MSG_DEVICE_CONTROL, &byte, 1, false, 0), KIV_FAIL);
    EXPECT_EQ(session.sendCanFrame(0, 0x123, 1, 0, 0, 0, 10), KIV_FAIL);
    EXPECT_FALSE(session.waitStatus(0xF1));
    EXPECT_EQ(prompt.texts(), std::vector<std::string>(3, sessiontext::kCheckConnection));
    EXPECT_FALSE(session.startReceiveThread());
}

TEST_F(SessionEndToEnd, ModeAnnounceAndTimeSyncReachTheDevice)
{
    ModeAnnouncer announcer(session);
    announcer.setMode(DeviceMode::Interface);
    announcer.start();
    ASSERT_TRUE(sim->device().waitForFrames(MSG_DEVICE_CONTROL, 1, 1s));
    announcer.stop();
    EXPECT_FALSE(announcer.isRunning());
    TimeSync sync;
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(sync.send(session), KIV_OK);
    ASSERT_TRUE(sim->device().waitForFrames(MSG_TIME_SYNC, 1, 1s));
    EXPECT_EQ(sim->settings().controlCodes(), (std::vector<std::uint8_t>{1}));
    ASSERT_EQ(sim->settings().timeSyncs().size(), 1u);
    EXPECT_GE(sim->settings().timeSyncs()[0], 20u);
    EXPECT_LT(sim->settings().timeSyncs()[0], 2000u);
}

TEST_F(SessionEndToEnd, ReceiveThreadDispatchesTransmitReports)
{
    struct Counter : TransmitConfirmation {
        void confirmFrame(const std::string& key) override
        {
            keys.push_back(key);   // read after the receive thread has ended
            ++count;
        }
        std::vector<std::string> keys;
        std::atomic<int> count{0};
    } counter;
    session.transmitReports().setRunner(SENDER_PROGRESSIVE_KEY, &counter);
    ASSERT_TRUE(session.startReceiveThread());
    EXPECT_TRUE(session.startReceiveThread());
    EXPECT_EQ(session.sendCanFrame(1, 0x123, 2, 0x2211, 0, SENDER_PROGRESSIVE_KEY, 2), KIV_OK);
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (counter.count.load() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(2ms);
    session.stopReceiveThread();
    session.transmitReports().setRunner(SENDER_PROGRESSIVE_KEY, nullptr);
    EXPECT_EQ(counter.keys, std::vector<std::string>{"2"});
}

} // namespace
