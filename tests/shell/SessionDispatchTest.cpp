// The session's dispatch of event records: transmit reports confirm runner
// frames and release the log replay, reported CAN frames go to the trace, and
// what cannot be held is dropped.
#include "shell/DeviceSession.h"
#include "shell/TransmitReports.h"

#include "keymap/CKeyMap.h"
#include "platform/UserPrompt.h"
#include "trace/TracePipeline.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

using namespace kivplus;
using namespace KIVCommon;
using Bytes = std::vector<std::uint8_t>;

namespace {

tKIVNGMessageData record(std::uint8_t type, const Bytes& payload)
{
    tKIVNGMessageData r;
    std::memset(&r, 0, sizeof r);
    r.frameBytes[0] = type;
    r.frameBytes[1] = static_cast<std::uint8_t>(payload.size() >> 8);
    r.frameBytes[2] = static_cast<std::uint8_t>(payload.size());
    if (!payload.empty())
        std::memcpy(r.frameBytes + 3, payload.data(), payload.size());
    return r;
}

// A standard CAN frame record 0x123 [11 22] on CAN 2.
Bytes canRecord() { return {0, 2, 0x01, 0x23, 0x11, 0x22, 1, 0, 0, 0, 5, 0, 1, 0xD4, 0xC0}; }

Bytes report(std::uint8_t status, std::uint8_t kind, std::uint8_t tag)
{
    Bytes payload{status, kind, tag};
    const Bytes can = canRecord();
    payload.insert(payload.end(), can.begin(), can.end());
    return payload;
}

// A runner's running keys as the dispatch sees them.
class ListRunner : public TransmitConfirmation {
public:
    void confirmFrame(const std::string& keyNumber) override
    {
        if (tKeyEntry* key = keys.findKey(keyNumber))
            lowerUnconfirmedFrames(key->runnerStatus);
    }
    CKeyMap keys;
};

class SessionDispatch : public testing::Test {
protected:
    ScriptedPrompt prompt;
    DeviceSession session{prompt, CKIV::getInstance(), false};
};

TEST_F(SessionDispatch, TransmitReportsConfirmTheRunningKeyOnce)
{
    ListRunner runner;
    tKeyEntry key;
    key.name = "3";
    key.frames.resize(1);
    runner.keys.appendEntry(key);
    runner.keys.findKey("3")->runnerStatus.unconfirmedFrames = 1;
    session.transmitReports().setRunner(SENDER_KEYMAP_KEY, &runner);

    session.handleEventRecord(record(MSG_CAN_TX_REPORT, report(1, SENDER_IGNITION_KEY, 3)));
    EXPECT_EQ(runner.keys.findKey("3")->runnerStatus.unconfirmedFrames.load(), 1) << "another runner's key";
    session.handleEventRecord(record(MSG_CAN_TX_REPORT, report(1, SENDER_KEYMAP_KEY, 3)));
    EXPECT_EQ(runner.keys.findKey("3")->runnerStatus.unconfirmedFrames.load(), 0);
    session.handleEventRecord(record(MSG_CAN_TX_REPORT, report(1, SENDER_KEYMAP_KEY, 3)));
    EXPECT_EQ(runner.keys.findKey("3")->runnerStatus.unconfirmedFrames.load(), 0);
    session.handleEventRecord(record(MSG_CAN_TX_REPORT, report(1, SENDER_KEYMAP_KEY, 4)));   // unknown key

    int releases = 0;
    session.transmitReports().setReplayRelease([&] { ++releases; });
    session.handleEventRecord(record(MSG_CAN_TX_REPORT, report(0, SENDER_LOG_REPLAY, kLogReplayTag)));
    session.handleEventRecord(record(MSG_CAN_TX_REPORT, report(1, SENDER_UDS_FIRST_FRAME, 0)));
    EXPECT_EQ(releases, 1);
    session.transmitReports().setRunner(SENDER_KEYMAP_KEY, nullptr);
}

TEST_F(SessionDispatch, ReportedFramesReachTheTraceUnlessTheyCannotBeHeld)
{
    TracePipeline pipeline;
    pipeline.startTracing();
    session.attachTrace(&pipeline);

    Bytes tooLong = canRecord();
    tooLong.resize(101);
    session.handleEventRecord(record(MSG_CAN_RX, {}));
    session.handleEventRecord(record(MSG_CAN_RX, tooLong));
    session.handleEventRecord(record(0xE7, canRecord()));
    session.handleEventRecord(record(MSG_CAN_RX, canRecord()));
    session.handleEventRecord(record(MSG_CAN_TX_REPORT, report(1, SENDER_KEYMAP_KEY, 12)));
    session.handleEventRecord(record(MSG_CAN_TX_REPORT, report(0, SENDER_KEYMAP_KEY, 12)));

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (pipeline.framesConverted() < 3 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(pipeline.framesConverted(), 3u);
    session.attachTrace(nullptr);
    session.handleEventRecord(record(MSG_CAN_RX, canRecord()));
    pipeline.shutdown();

    const DeviceSession::TraceHandOver counts = session.traceHandOver();
    EXPECT_EQ(counts.reported, 5u);
    EXPECT_EQ(counts.handedOver, 3u);
    EXPECT_EQ(counts.tooLong, 1u);
    EXPECT_EQ(counts.noTrace, 1u) << "after the pipeline was detached";
}

TEST_F(SessionDispatch, UdsObserverSeesResponsesAndUdsReportsOnly)
{
    std::vector<std::pair<int, std::uint8_t>> seen;   // record kind, sender kind of a report
    session.setUdsObserver([&seen](const tKIVNGMessageData& r) {
        seen.emplace_back(r.messageKind, r.messageKind == MESSAGE_KIND_DEVICE_FRAME ? r.frameBytes[4] : 0);
    });
    tKIVNGMessageData response;
    std::memset(&response, 0, sizeof response);
    response.messageKind = MESSAGE_KIND_UDS_RESPONSE;
    session.handleEventRecord(response);
    for (std::uint8_t kind : {SENDER_KEYMAP_KEY, SENDER_UDS_FIRST_FRAME, SENDER_UDS_CONSECUTIVE_FRAME,
                              SENDER_UDS_TESTER_PRESENT, SENDER_LOG_REPLAY})
        session.handleEventRecord(record(MSG_CAN_TX_REPORT, report(1, kind, 0)));
    session.handleEventRecord(record(MSG_CAN_TX_REPORT, {1, SENDER_UDS_FIRST_FRAME}));   // shorter than a report
    session.handleEventRecord(record(MSG_CAN_RX, canRecord()));
    session.setUdsObserver({});
    session.handleEventRecord(response);

    const std::vector<std::pair<int, std::uint8_t>> expected{
        {MESSAGE_KIND_UDS_RESPONSE, 0},
        {MESSAGE_KIND_DEVICE_FRAME, SENDER_UDS_FIRST_FRAME},
        {MESSAGE_KIND_DEVICE_FRAME, SENDER_UDS_CONSECUTIVE_FRAME},
        {MESSAGE_KIND_DEVICE_FRAME, SENDER_UDS_TESTER_PRESENT}};
    EXPECT_EQ(seen, expected);
}

TEST(SessionVersions, SupportedVersionsAreListedForTheMessage)
{
    EXPECT_EQ(supportedVersionText(), "v1.30");
}

} // namespace
