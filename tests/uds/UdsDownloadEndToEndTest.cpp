// A whole download through the real library and the device session's receive
// thread over a pseudo-terminal against the virtual device's ECU: session control, security access with
// libseedkey.so, request download, a 1000-byte data file in blocks and
// transfer exit, for both vendors.
#include "kiv/KIV.h"

#include "Simulator.h"
#include "TestPaths.h"
#include "platform/UserPrompt.h"
#include "shell/DeviceSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <thread>

using namespace KIVCommon;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr int kChannel = 1;

class UdsDownloadEndToEnd : public testing::TestWithParam<kivsim::EcuConfig> {
protected:
    void SetUp() override
    {
        kiv = CKIV::getInstance();
        sim.ecu().configure(GetParam());
        sim.ecu().setEnabled(true);
        ASSERT_EQ(kiv->connectUSB(sim.path().c_str()), 0);
    }
    void TearDown() override { kiv->esDisconnectUSB(); }

    kivtest::TempDir dir;
    kivsim::Simulator sim;
    CKIV* kiv = nullptr;
};

TEST_P(UdsDownloadEndToEnd, DataFileArrivesWhole)
{
    const int vendor = GetParam().vendor;
    Bytes image(1000);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const std::string imagePath = (dir / "image.bin").string();
    std::ofstream(imagePath, std::ios::binary).write(reinterpret_cast<const char*>(image.data()), 1000);

    std::string sequencePath = (dir / "download.seq").string();
    std::ofstream(sequencePath) << "FUNC,EXT,AE,LEN,REQUEST,RESPONSE,DATA\n"
                                << "0,0,0,2,1003,50,\n"
                                << "0,0,0,2,2701,67,\n"
                                << "0,0,0,6,2702,67,\n"
                                << (vendor == 0 ? "0,0,0,6,34000401,74,\n" : "0,0,0,7,34000201,74,\n")
                                << "0,0,0,0,36000401,76,\n"
                                << "0,0,0,1,37,77,\n"
                                << "0,0,0,4,3101FF00,71,\n";

    tUDSInformation info;
    std::memset(&info, 0, sizeof info);
    info.physicalId = 0x7E0;
    info.responseId = 0x7E8;
    info.functionalId = 0x7DF;
    info.wakeUpId = 0x100;
    info.vendor = vendor;
    info.canChannel = kChannel;
    info.fileSize[0] = 1000;
    std::snprintf(info.filePath[0], sizeof info.filePath[0], "%s", imagePath.c_str());
    ASSERT_EQ(kiv->tesSetUdsSequence(sequencePath.data(), info), 0);

    kivplus::ScriptedPrompt prompt;
    kivplus::DeviceSession session(prompt, kiv, false);
    session.setUdsDownloadChannel(kChannel);
    ASSERT_TRUE(session.startReceiveThread());
    kiv->vRunSequenceData();
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (kiv->bIsUdsDownloadRunning() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    EXPECT_FALSE(kiv->bIsUdsDownloadRunning());
    kiv->vStopSequenceData();
    session.stopReceiveThread();

    EXPECT_TRUE(sim.ecu().faults().empty()) << sim.ecu().faults().front();
    EXPECT_TRUE(sim.ecu().transferExited());
    EXPECT_EQ(sim.ecu().downloaded(), image);
    std::size_t blocks = 0;
    Bytes services;
    for (const auto& request : sim.ecu().requests()) {
        blocks += request[0] == 0x36;
        if (request[0] != 0x3E && request[0] != 0x36)
            services.push_back(request[0]);
    }
    EXPECT_EQ(blocks, 8u);
    EXPECT_EQ(services, (Bytes{0x10, 0x27, 0x27, 0x34, 0x37, 0x31}));
}

INSTANTIATE_TEST_SUITE_P(Vendors, UdsDownloadEndToEnd,
                         testing::Values(kivsim::EcuConfig{.vendor = 0},
                                         kivsim::EcuConfig{.vendor = 1, .blockSize = 4, .separationTime = 0xF2}),
                         [](const auto& info) { return "Vendor" + std::to_string(info.param.vendor); });

} // namespace
