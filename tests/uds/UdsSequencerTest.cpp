// The download sequencer against a recording transport: step rules, security
// access, data blocks, responses that do not match, and stopping.
#include "uds/CKivUdsDown.h"

#include "TestPaths.h"
#include "UdsTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <string>

using namespace KIVCommon;
using namespace udstest;
using namespace std::chrono_literals;

namespace {

class UdsSequencer : public testing::Test {
protected:
    void SetUp() override
    {
        std::memset(&info, 0, sizeof info);
        info.physicalId = 0x7E0;
        info.responseId = 0x7E8;
        info.functionalId = 0x7DF;
        info.wakeUpId = 0x100;
        info.canChannel = 1;
    }

    void load(const std::string& steps)
    {
        const auto path = dir / "sequence.txt";
        std::ofstream(path) << "header\n" << steps;
        ASSERT_EQ(down.esSetSequence(path.c_str(), info), KIV_OK);
    }

    void dataFile(int number, std::size_t size)
    {
        const auto path = (dir / ("data" + std::to_string(number) + ".bin")).string();
        std::ofstream(path, std::ios::binary) << std::string(reinterpret_cast<const char*>(counting(size).data()), size);
        std::snprintf(info.filePath[number - 1], sizeof info.filePath[0], "%s", path.c_str());
        info.fileSize[number - 1] = static_cast<std::uint32_t>(size);
    }

    void respond(const Bytes& payload)
    {
        tKIVNGMessageData record;
        std::memset(&record, 0, sizeof record);
        record.messageKind = MESSAGE_KIND_UDS_RESPONSE;
        std::memcpy(record.uds.udsPayload, payload.data(), payload.size());
        record.uds.udsLength = static_cast<std::uint16_t>(payload.size());
        down.vProcessResponse(record);
    }

    // The frames that start requests (single and first frames), tester presents left out.
    std::vector<SentFrame> requests() const
    {
        std::vector<SentFrame> out;
        for (const auto& f : sent.frames())
            if (f.senderKind == SENDER_UDS_FIRST_FRAME)
                out.push_back(f);
        return out;
    }

    std::size_t testerPresents() const
    {
        std::size_t count = 0;
        for (const auto& f : sent.frames())
            count += f.senderKind == SENDER_UDS_TESTER_PRESENT;
        return count;
    }

    kivtest::TempDir dir;
    tUDSInformation info;
    RecordingSender sent;
    kiv::CMessageStores stores;
    kiv::CCFUDSService service{sent.sender(), stores};
    std::atomic<std::uint32_t> seedSeen{0};
    kiv::CKivUdsDown down{service, stores, [this](std::uint32_t seed) -> std::optional<std::uint32_t> {
                              seedSeen = seed;
                              return 0xA1B2C3D4u;
                          }};
};

TEST_F(UdsSequencer, SeedGoesToTheSeedKeyFunctionAndTheKeyIntoTheNextRequest)
{
    load("0,0,0,2,2701,67\n0,0,0,6,2702,67\n");
    down.vRunSequence();
    EXPECT_TRUE(down.bIsDownloadRunning());
    ASSERT_EQ(requests().size(), 1u);
    EXPECT_EQ(requests()[0].bytes(), (Bytes{0x02, 0x27, 0x01, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}));
    EXPECT_EQ(requests()[0].channel, 1);
    EXPECT_EQ(testerPresents(), 1u);

    respond({0x67, 0x01, 0x11, 0x22, 0x33, 0x44});
    EXPECT_EQ(seedSeen, 0x11223344u);
    ASSERT_EQ(requests().size(), 2u);
    EXPECT_EQ(requests()[1].bytes(), (Bytes{0x06, 0x27, 0x02, 0xA1, 0xB2, 0xC3, 0xD4, 0xAA}));

    respond({0x67, 0x02});
    EXPECT_FALSE(down.bIsDownloadRunning());
    ASSERT_EQ(stores.event.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const tKIVNGMessageData status = stores.event.take();
        EXPECT_EQ(status.messageKind, MESSAGE_KIND_SEQUENCE_STATUS);
        EXPECT_EQ(status.statusCode, 0x8110);
    }
}

TEST_F(UdsSequencer, OtherResponsesAreIgnoredAndRepeatsDoNotRunStepsTwice)
{
    load("0,0,0,2,1003,50\n0,0,0,1,37,77\n0,0,0,2,1001,50\n");
    down.vRunSequence();
    respond({0x7F, 0x10, 0x22});
    EXPECT_EQ(requests().size(), 1u);
    respond({0x50, 0x03});
    ASSERT_EQ(requests().size(), 2u);
    respond({0x50, 0x03});   // a late repeat of the first answer
    EXPECT_EQ(requests().size(), 2u);
    EXPECT_TRUE(down.bIsDownloadRunning());
}

TEST_F(UdsSequencer, StepsWithoutResponseRunInTurnByTheirRules)
{
    load("0,0,0,0,00,\n"            // wake-up: empty frame on the wake-up identifier
         "1,0,0,2,1081,\n"          // functional
         "0,1,4A,2,1002,\n");       // extension: MIXED 11BIT with the address extension
    const auto started = std::chrono::steady_clock::now();
    down.vRunSequence();
    EXPECT_GE(std::chrono::steady_clock::now() - started, 150ms);
    EXPECT_FALSE(down.bIsDownloadRunning());

    const auto frames = requests();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].frame.id, 0x100u);
    EXPECT_EQ(frames[0].frame.dlc, 0u);
    EXPECT_EQ(frames[1].frame.id, 0x7DFu);
    EXPECT_EQ(frames[1].bytes(), (Bytes{0x02, 0x10, 0x81, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}));
    EXPECT_EQ(frames[2].frame.id, 0x7E0u);
    EXPECT_EQ(frames[2].bytes(), (Bytes{0x4A, 0x02, 0x10, 0x02, 0xAA, 0xAA, 0xAA, 0xAA}));
    EXPECT_EQ(testerPresents(), 3u);
    const auto tester = sent.frames()[1];
    EXPECT_EQ(tester.frame.id, 0x7DFu);
    EXPECT_EQ(tester.bytes(), (Bytes{0x02, 0x3E, 0x80, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}));
}

TEST_F(UdsSequencer, DataFileGoesInBlocksOf128BytesPerVendor)
{
    struct Case {
        int vendor;
        const char* steps;
        Bytes download;        // the request download's first frame
        Bytes secondBlock;     // the first frame of the second block
    };
    const Case cases[] = {
        {0, "0,0,0,6,34000401,74\n0,0,0,0,36000401,76\n0,0,0,1,37,77\n",
         {0x06, 0x34, 0x00, 0x00, 0x00, 0x01, 0x00, 0xAA}, {0x10, 0x86, 0x36, 0x00, 0x00, 0x00, 0x00, 0x80}},
        {1, "0,0,0,7,34000201,74\n0,0,0,0,36000001,76\n0,0,0,1,37,77\n",
         {0x07, 0x34, 0x00, 0x33, 0x7C, 0x00, 0x01, 0x00}, {0x10, 0x82, 0x36, 0x02, 0x81, 0x82, 0x83, 0x84}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.vendor);
        sent.clear();
        info.vendor = c.vendor;
        dataFile(1, 256);
        load(c.steps);
        down.vRunSequence();
        ASSERT_EQ(requests().size(), 1u);
        EXPECT_EQ(requests()[0].bytes(), c.download);
        respond({0x74, 0x20, 0x00, 0x82});
        respond({0x76});
        respond({0x76});
        // A third block would be empty: transfer exit follows at once.
        const auto frames = requests();
        ASSERT_EQ(frames.size(), 4u);
        EXPECT_EQ(frames[2].bytes(), c.secondBlock);
        EXPECT_EQ(frames[3].bytes()[1], 0x37);
        respond({0x77});
        EXPECT_FALSE(down.bIsDownloadRunning());
    }
}

TEST_F(UdsSequencer, StopEndsTheDownloadAndLaterResponsesSendNothing)
{
    load("0,0,0,2,1003,50\n0,0,0,1,37,77\n");
    down.vRunSequence();
    ASSERT_TRUE(down.bIsDownloadRunning());
    down.vStopSequence();
    EXPECT_FALSE(down.bIsDownloadRunning());
    const std::size_t before = sent.frames().size();
    respond({0x50, 0x03});
    EXPECT_EQ(sent.frames().size(), before);
    EXPECT_EQ(stores.event.size(), 2u);
}

TEST_F(UdsSequencer, KeepAliveAfterTheLastBlockUntilStopped)
{
    dataFile(1, 10);
    load("0,0,0,0,36000001,76\n0,0,0,1,37,77\n");
    down.vRunSequence();
    ASSERT_EQ(requests().size(), 1u);
    EXPECT_EQ(testerPresents(), 0u);

    std::this_thread::sleep_for(2300ms);
    const std::size_t kept = testerPresents();
    ASSERT_GE(kept, 1u);
    ASSERT_LE(kept, 2u);
    for (const auto& f : sent.frames()) {
        if (f.senderKind == SENDER_UDS_TESTER_PRESENT) {
            EXPECT_EQ(f.bytes(), (Bytes{0x02, 0x3E, 0x80, 0x55, 0x55, 0x55, 0x55, 0x55}));
        }
    }

    down.vStopSequence();
    std::this_thread::sleep_for(2100ms);
    EXPECT_EQ(testerPresents(), kept);
}

TEST_F(UdsSequencer, LoadFailures)
{
    const auto path = dir / "short.txt";
    std::ofstream(path) << "header\n12345\n";
    EXPECT_EQ(down.esSetSequence(path.c_str(), info), KIV_FAIL);
    EXPECT_EQ(down.esSetSequence((dir / "missing.txt").c_str(), info), KIV_FAIL);
}

} // namespace
