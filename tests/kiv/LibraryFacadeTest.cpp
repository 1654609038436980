// The exported facade without a device, and after its core is gone.
#include "kiv/KIV.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <algorithm>
#include <cstring>

using namespace KIVCommon;

namespace {

TEST(LibraryFacade, AnswersWithoutAConnection)
{
    CKIV* kiv = CKIV::getInstance();
    ASSERT_EQ(kiv, CKIV::getInstance());
    EXPECT_FALSE(kiv->isUSBActive());
    EXPECT_EQ(kiv->esDisconnectUSB(), 51);
    EXPECT_EQ(kiv->connectUSB("/dev/kiv-no-such-port"), 51);
    EXPECT_FALSE(kiv->isUSBActive());

    const tCANData frame{0x123, 2, {1, 2}};
    EXPECT_EQ(kiv->sendCANMessage(0, &frame, 0), 51);
    EXPECT_EQ(kiv->sendCANMessage(0, nullptr, 0, 1, 2), 51);
    const unsigned char bytes[] = {0xCE, 0x00, 0x01, 0x00};
    EXPECT_EQ(kiv->sendKIVMessage(bytes, 4), 51);

    unsigned char* out = nullptr;
    EXPECT_EQ(kiv->processingKIVMessage(bytes, &out), 0);
    EXPECT_EQ(out, nullptr);

    for (auto store : {MESSAGE_STORE_RESPONSE, MESSAGE_STORE_EVENT}) {
        EXPECT_TRUE(kiv->isMessageStoreEmpty(store));
        const tKIVNGMessageData record = kiv->getRecievedMessage(store);
        EXPECT_EQ(record.messageKind, 0);
        EXPECT_EQ(record.frameBytes[0], 0);
    }
}

// Deletes the instance, then checks every member's answer without a core.
int useAfterDelete()
{
    CKIV::getInstance()->vDeleteInstance();
    CKIV* kiv = CKIV::getInstance();
    const tCANData frame{0x123, 2, {1, 2}};
    const unsigned char bytes[] = {0xCE, 0x00, 0x01, 0x00};
    tSPRequest request{};
    tUDSInformation info{};
    char path[] = "none";
    const tKIVNGMessageData record = kiv->getRecievedMessage(MESSAGE_STORE_EVENT);
    const auto* raw = reinterpret_cast<const unsigned char*>(&record);
    const bool zero = std::all_of(raw, raw + sizeof record, [](unsigned char b) { return b == 0; });
    kiv->vRunSequenceData();
    kiv->vProcessingUDSMessage(record);
    const bool ok = kiv->connectUSB("/dev/ptmx") == 51 && kiv->esDisconnectUSB() == 51 && !kiv->isUSBActive()
        && kiv->sendKIVMessage(bytes, 4) == 51 && kiv->sendCANMessage(0, &frame, 0) == 51
        && kiv->sendCANMessage(0, &frame, 0, 0, 0) == 51 && kiv->processingKIVMessage(bytes, nullptr) == 0
        && kiv->isMessageStoreEmpty(MESSAGE_STORE_RESPONSE) && zero && kiv->enqueueUDSMessage(frame) == 51
        && kiv->sendUDSRequestMessage(0, request) == 51 && kiv->tesSetUdsSequence(path, info) == 51
        && !kiv->bIsUdsDownloadRunning();
    return ok ? 0 : 1;
}

// vDeleteInstance ends the library core for the whole process, so it runs in
// a child process.
TEST(LibraryFacadeDeathTest, AfterDeleteInstanceEveryMemberAnswersWithoutCore)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(useAfterDelete()), testing::ExitedWithCode(0), "");
}

} // namespace
