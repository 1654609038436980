// The UDS transport: multi-frame sending under flow control, response records
// and the receive queue.
#include "uds/CCFUDSService.h"

#include "UdsTestSupport.h"

#include <gtest/gtest.h>

using namespace KIVCommon;
using namespace udstest;
using namespace std::chrono_literals;

namespace {

class UdsService : public testing::Test {
protected:
    RecordingSender sent;
    kiv::CMessageStores stores;
    kiv::CCFUDSService service{sent.sender(), stores};
};

TEST_F(UdsService, TwentyBytesGoOutAsFirstFrameAndTwoConsecutiveFrames)
{
    ASSERT_EQ(service.esSendRequest(1, request(0, counting(20))), KIV_OK);
    service.vHandleFrame(canFrame(0x7E8, {0x30, 0x00, 0x00}));

    const auto frames = sent.frames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].bytes(), (Bytes{0x10, 0x14, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(frames[1].bytes(), (Bytes{0x21, 7, 8, 9, 10, 11, 12, 13}));
    EXPECT_EQ(frames[2].bytes(), (Bytes{0x22, 14, 15, 16, 17, 18, 19, 20}));
    EXPECT_EQ(frames[0].senderKind, SENDER_UDS_FIRST_FRAME);
    EXPECT_EQ(frames[1].senderKind, SENDER_UDS_CONSECUTIVE_FRAME);
    EXPECT_EQ(frames[2].channel, 1);
    EXPECT_LT(frames[2].time - frames[1].time, 2ms);
}

TEST_F(UdsService, ExtendedFormatCarriesTheAddressInEveryFrame)
{
    tSPRequest r = request(2, counting(14));
    ASSERT_EQ(service.esSendRequest(0, r), KIV_OK);
    service.vHandleFrame(canFrame(0x7E8, {0x10, 0x30, 0x00, 0x00}));

    const auto frames = sent.frames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].bytes(), (Bytes{0x10, 0x10, 0x0E, 1, 2, 3, 4, 5}));
    EXPECT_EQ(frames[1].bytes(), (Bytes{0x10, 0x21, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(frames[2].bytes(), (Bytes{0x10, 0x22, 12, 13, 14, 0xAA, 0xAA, 0xAA}));
}

TEST_F(UdsService, BlockSizeWaitsForTheNextFlowControlAndNeverSendsPastTheData)
{
    ASSERT_EQ(service.esSendRequest(0, request(0, counting(20))), KIV_OK);
    service.vHandleFrame(canFrame(0x7E8, {0x30, 0x01, 0x00}));
    EXPECT_EQ(sent.frames().size(), 2u);
    service.vHandleFrame(canFrame(0x7E8, {0x30, 0x05, 0x00}));
    ASSERT_EQ(sent.frames().size(), 3u);
    EXPECT_EQ(sent.frames()[2].bytes()[0], 0x22);
    service.vHandleFrame(canFrame(0x7E8, {0x30, 0x00, 0x00}));
    EXPECT_EQ(sent.frames().size(), 3u);
}

TEST_F(UdsService, SeparationTimeIsHonouredAndAReservedValueSendsNothing)
{
    ASSERT_EQ(service.esSendRequest(0, request(0, counting(27))), KIV_OK);
    service.vHandleFrame(canFrame(0x7E8, {0x30, 0x00, 0xF5}));
    const auto frames = sent.frames();
    ASSERT_EQ(frames.size(), 4u);
    // A few microseconds of slack: the stand-in device stamps frames with its
    // own clock reading, and on a virtual machine two processors' readings of
    // the same instant can differ by a little.
    for (std::size_t i = 2; i < frames.size(); ++i)
        EXPECT_GE(frames[i].time - frames[i - 1].time, 495us);

    sent.clear();
    ASSERT_EQ(service.esSendRequest(0, request(0, counting(20))), KIV_OK);
    EXPECT_EQ(service.esSendConsecutiveFrames(0, 0xFA), KIV_FAIL);
    EXPECT_EQ(sent.frames().size(), 1u);
}

TEST_F(UdsService, SendResults)
{
    EXPECT_EQ(service.esSendRequest(0, request(0, counting(4096))), KIV_UDS_OUT_OF_RANGE);
    EXPECT_TRUE(sent.frames().empty());
    sent.failWrites();
    EXPECT_EQ(service.esSendRequest(0, request(0, counting(3))), KIV_FAIL);
}

TEST_F(UdsService, ResponsesBecomeRecords)
{
    ASSERT_EQ(service.esSendRequest(0, request(0, {0x27, 0x01})), KIV_OK);
    service.vHandleFrame(canFrame(0x7E9, {0x02, 0x50, 0x01}));          // someone else's frame
    service.vHandleFrame(canFrame(0x7E8, {0x06, 0x67, 0x01, 0x11, 0x22, 0x33, 0x44}));
    service.vHandleFrame(canFrame(0x98DAF110, {0x02, 0x7E, 0x00}));    // NORMAL FIXED answer
    service.vHandleFrame(canFrame(0x7E8, {0x32, 0x00, 0x00}));          // overflow

    ASSERT_EQ(stores.event.size(), 2u);
    const tKIVNGMessageData seed = stores.event.take();
    EXPECT_EQ(seed.messageKind, MESSAGE_KIND_UDS_RESPONSE);
    EXPECT_EQ(seed.uds.udsLength, 6);
    EXPECT_EQ(Bytes(seed.uds.udsPayload, seed.uds.udsPayload + 6), (Bytes{0x67, 0x01, 0x11, 0x22, 0x33, 0x44}));
    EXPECT_EQ(stores.event.take().uds.udsPayload[0], 0x7E);
    ASSERT_EQ(stores.response.size(), 1u);
    EXPECT_EQ(stores.response.take().messageKind, MESSAGE_KIND_UDS_OVERFLOW);
}

TEST_F(UdsService, QueueHoldsOneThousandTwentyFourFrames)
{
    const tCANData frame = canFrame(0x7E8, {0x02, 0x50, 0x01});
    for (std::size_t i = 0; i < kiv::CCFUDSService::kQueueSize; ++i)
        ASSERT_EQ(service.esEnqueue(frame), KIV_OK) << i;
    EXPECT_EQ(service.esEnqueue(frame), KIV_UDS_QUEUE_FULL);
}

TEST_F(UdsService, WorkerTurnsQueuedFramesIntoRecords)
{
    ASSERT_EQ(service.esStart(), 0);
    ASSERT_EQ(service.esSendRequest(0, request(0, {0x10, 0x03})), KIV_OK);
    ASSERT_EQ(service.esEnqueue(canFrame(0x7E8, {0x02, 0x50, 0x03})), KIV_OK);
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (stores.event.bIsEmpty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(stores.event.take().uds.udsPayload[0], 0x50);
}

} // namespace
