// The device-link library against the virtual device over a pseudo-terminal,
// with the library's real receive thread.
#include "kiv/KIV.h"
#include "kiv/KIVCanRecord.h"
#include "kiv/KIVMessages.h"

#include "Simulator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <thread>
#include <vector>

using namespace KIVCommon;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr auto kWait = 3000ms;

Bytes frameOf(const tKIVNGMessageData& record)
{
    const std::size_t length = record.frameBytes[1] * 256 + record.frameBytes[2];
    return Bytes(record.frameBytes, record.frameBytes + 3 + length);
}

class LinkEndToEnd : public testing::Test {
protected:
    void SetUp() override
    {
        kiv = CKIV::getInstance();
        drain();
        ASSERT_EQ(kiv->connectUSB(sim->path().c_str()), 0);
        ASSERT_TRUE(kiv->isUSBActive());
    }

    void TearDown() override
    {
        kiv->esDisconnectUSB();
        drain();
    }

    void drain()
    {
        for (auto store : {MESSAGE_STORE_RESPONSE, MESSAGE_STORE_EVENT})
            while (!kiv->isMessageStoreEmpty(store))
                kiv->getRecievedMessage(store);
    }

    // Takes frames from a store until count have come or the wait is over.
    std::vector<Bytes> collect(MESSAGE_STORE_TYPE store, std::size_t count, std::chrono::milliseconds wait = kWait)
    {
        std::vector<Bytes> frames;
        const auto deadline = std::chrono::steady_clock::now() + wait;
        while (frames.size() < count && std::chrono::steady_clock::now() < deadline) {
            if (kiv->isMessageStoreEmpty(store))
                std::this_thread::sleep_for(1ms);
            else
                frames.push_back(frameOf(kiv->getRecievedMessage(store)));
        }
        return frames;
    }

    std::unique_ptr<kivsim::Simulator> sim = std::make_unique<kivsim::Simulator>();
    CKIV* kiv = nullptr;
};

TEST_F(LinkEndToEnd, CanFrameIsSentAndItsTransmitReportArrives)
{
    const tCANData frame{0x123, 2, {0x11, 0x22}};
    ASSERT_EQ(kiv->sendCANMessage(1, &frame, 99, 2, 9), 0);

    ASSERT_TRUE(sim->device().waitForFrames(MSG_CAN_TX, 1, kWait));
    const kivsim::ReceivedFrame sent = sim->device().received().front();
    EXPECT_EQ(sent.frame.payload, (Bytes{0x02, 0x09, 0x00, 0x02, 0x01, 0x23, 0x11, 0x22, 0x01}));

    const auto reports = collect(MESSAGE_STORE_EVENT, 1);
    ASSERT_EQ(reports.size(), 1u);
    const Bytes& report = reports[0];
    ASSERT_EQ(report[0], MSG_CAN_TX_REPORT);
    EXPECT_EQ(Bytes(report.begin() + 3, report.begin() + 6), (Bytes{1, 2, 9}));   // status, kind, tag
    tCanRecord can{};
    ASSERT_TRUE(parseCanRecord(report.data() + 6, report.size() - 6, can));
    EXPECT_FALSE(can.extended);
    EXPECT_EQ(can.id, 0x123u);
    EXPECT_EQ(can.dlc, 2);
    EXPECT_EQ(can.data[0], 0x11);
    EXPECT_EQ(can.data[1], 0x22);
    EXPECT_EQ(can.channel, 1);
    EXPECT_GT(can.tick, 0u);
    EXPECT_LE(can.tick, kTicksPerMillisecond);
    // Reported after the device received it, on the device's own clock.
    EXPECT_GE(canTimeMicros(can.milliseconds, can.tick),
              canTimeMicros(sent.deviceTime.milliseconds, sent.deviceTime.tick));
}

TEST_F(LinkEndToEnd, LoopbackEchoesAnExtendedFrameOnTheOtherChannel)
{
    sim->can().setLoopback(true);
    const tCANData frame{0x80000000u | 0x18DAF110u, 3, {1, 2, 3}};
    ASSERT_EQ(kiv->sendCANMessage(0, &frame, 0), 0);

    const auto events = collect(MESSAGE_STORE_EVENT, 2);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0][0], MSG_CAN_TX_REPORT);
    ASSERT_EQ(events[1][0], MSG_CAN_RX);
    tCanRecord can{};
    ASSERT_TRUE(parseCanRecord(events[1].data() + 3, events[1].size() - 3, can));
    EXPECT_TRUE(can.extended);
    EXPECT_EQ(can.id, 0x18DAF110u);
    EXPECT_EQ(can.channel, 1);
    EXPECT_EQ(can.data[2], 3);
}

TEST_F(LinkEndToEnd, MissingTransmitReportLeavesOnlyTheOthers)
{
    sim->can().dropReports(1);
    const tCANData frame{0x321, 0, {}};
    ASSERT_EQ(kiv->sendCANMessage(0, &frame, 0, 0, 1), 0);
    ASSERT_EQ(kiv->sendCANMessage(0, &frame, 0, 0, 2), 0);
    // The device answers in order: the first report to come is the second frame's.
    const auto reports = collect(MESSAGE_STORE_EVENT, 1);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0][5], 2);
    EXPECT_TRUE(kiv->isMessageStoreEmpty(MESSAGE_STORE_EVENT));
    EXPECT_EQ(sim->device().receivedCount(MSG_CAN_TX), 2u);
}

TEST_F(LinkEndToEnd, CommandIsAnsweredIntoTheResponseStore)
{
    sim->version().setVersion({2, 5});
    const unsigned char check[] = {MSG_VERSION_CHECK, 0x00, 0x01, 0x01};
    ASSERT_EQ(kiv->sendKIVMessage(check, 4), 0);
    const auto answers = collect(MESSAGE_STORE_RESPONSE, 1);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0], (Bytes{0xFE, 0x00, 0x02, 2, 5}));
    EXPECT_TRUE(kiv->isMessageStoreEmpty(MESSAGE_STORE_EVENT));
}

TEST_F(LinkEndToEnd, GarbageAndACutFrameAreFollowedByGoodFrames)
{
    // Good frames whose bytes after the type byte hold no accepted type byte,
    // so that the resynchronisation point is known exactly.
    auto good = [](std::uint8_t number) {
        return Bytes{0x00, 0x08, 0x01, 0x00, number, 0, 0, 0, 0, 0, 0, 0, 0x00, 0, 0, 0, number, 0x00, 0x01, 0x00, 0x00};
    };
    auto& device = sim->device();
    // Noise, and a type byte whose length no frame can have.
    ASSERT_TRUE(device.sendGarbage({0x00, 0x13, 0xC0, 0xF0, 0xF9, 0x55, 0xF1, 0xFF, 0xFF}));
    // A frame that announces 20 bytes but brings 5: it takes the first 15
    // bytes of the next frame, the rest of which is skipped.
    ASSERT_TRUE(device.sendCutFrame(0xEA, 20, {1, 2, 3, 4, 5}));
    for (std::uint8_t n = 0; n < 20; ++n)
        ASSERT_TRUE(device.sendFrame(MSG_CAN_RX, good(n)));
    ASSERT_TRUE(device.sendFrame(0xF1, {0x01}));

    const auto responses = collect(MESSAGE_STORE_RESPONSE, 2);
    ASSERT_EQ(responses.size(), 2u);
    Bytes cut{0xEA, 0x00, 20, 1, 2, 3, 4, 5, MSG_CAN_RX, 0x00, 21};
    const Bytes first = good(0);
    cut.insert(cut.end(), first.begin(), first.begin() + 12);
    EXPECT_EQ(responses[0], cut);
    EXPECT_EQ(responses[1], (Bytes{0xF1, 0x00, 0x01, 0x01}));

    const auto events = collect(MESSAGE_STORE_EVENT, 19);
    ASSERT_EQ(events.size(), 19u);
    for (std::uint8_t n = 1; n < 20; ++n) {
        Bytes expected{MSG_CAN_RX, 0x00, 21};
        const Bytes payload = good(n);
        expected.insert(expected.end(), payload.begin(), payload.end());
        EXPECT_EQ(events[n - 1], expected) << "frame " << int(n);
    }
    EXPECT_TRUE(kiv->isMessageStoreEmpty(MESSAGE_STORE_EVENT));
}

TEST_F(LinkEndToEnd, DeviceHangingUpLeavesTheLinkUntilDisconnectAndReconnectWorks)
{
    sim->device().hangUp();
    std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(kiv->isUSBActive());   // the owner learns of removals from the system, not the port
    const tCANData frame{0x100, 1, {1}};
    EXPECT_EQ(kiv->sendCANMessage(0, &frame, 0), 51);
    EXPECT_EQ(kiv->esDisconnectUSB(), 0);
    EXPECT_FALSE(kiv->isUSBActive());

    sim = std::make_unique<kivsim::Simulator>();
    ASSERT_EQ(kiv->connectUSB(sim->path().c_str()), 0);
    ASSERT_EQ(kiv->sendCANMessage(0, &frame, 0), 0);
    EXPECT_EQ(collect(MESSAGE_STORE_EVENT, 1).size(), 1u);
}

TEST_F(LinkEndToEnd, SendersOnSeveralThreadsNeverInterleaveOrLoseFrames)
{
    constexpr int kPerThread = 200;
    auto sender = [this](int kind) {
        for (int tag = 0; tag < kPerThread; ++tag) {
            const tCANData frame{0x200u + static_cast<std::uint32_t>(kind), 8, {1, 2, 3, 4, 5, 6, 7, 8}};
            ASSERT_EQ(kiv->sendCANMessage(kind, &frame, 0, kind, tag), 0);
        }
    };
    std::thread a(sender, 0), b(sender, 1);
    a.join();
    b.join();

    const auto reports = collect(MESSAGE_STORE_EVENT, 2 * kPerThread);
    ASSERT_EQ(reports.size(), 2u * kPerThread);
    std::set<std::pair<int, int>> seen;
    for (const Bytes& r : reports)
        seen.insert({r[4], r[5]});
    EXPECT_EQ(seen.size(), 2u * kPerThread);
    EXPECT_EQ(sim->device().receivedCount(MSG_CAN_TX), 2u * kPerThread);
}

TEST_F(LinkEndToEnd, BusTrafficArrivesCompleteAndInOrder)
{
    sim->traffic().start({20000, 8, 3});
    const auto frames = collect(MESSAGE_STORE_EVENT, 2000);
    sim->traffic().stop();
    ASSERT_EQ(frames.size(), 2000u);
    for (std::uint32_t n = 0; n < frames.size(); ++n) {
        tCanRecord can{};
        ASSERT_TRUE(parseCanRecord(frames[n].data() + 3, frames[n].size() - 3, can));
        const std::uint32_t number = std::uint32_t(can.data[0]) << 24 | can.data[1] << 16 | can.data[2] << 8 | can.data[3];
        ASSERT_EQ(number, n);
        ASSERT_EQ(can.channel, n & 1);
    }
}

} // namespace
