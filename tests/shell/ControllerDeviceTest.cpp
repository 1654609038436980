// Connection and disconnection sequences, the simulator entry, Get/Set KeyMap
// against the virtual device.
#include "ControllerFixture.h"

#include "kiv/KIVMessages.h"
#include "shell/DemoSetup.h"
#include "shell/SessionTexts.h"
#include "shell/ShellTexts.h"

using namespace shelltest;
using kivplus::DeviceMode;
namespace text = kivplus::shelltext;

namespace {

class ControllerDevice : public ControllerTest {};

TEST_F(ControllerDevice, StatusTextsFollowTheConnection)
{
    EXPECT_EQ(app().statusText(), "Device not Connected!");
    EXPECT_FALSE(app().connectPort((dir / "no-such-port").string()));
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{text::kOpenPortFailed});
    EXPECT_EQ(prompt.shown[0].kind, kivplus::ScriptedPrompt::Shown::Error);
    EXPECT_EQ(app().statusText(), "Device not connected!");

    ASSERT_TRUE(app().connectPort(text::kSimulatorEntry));
    EXPECT_EQ(app().statusText(), "Device connected : KIV-2xx Simulator");
    EXPECT_TRUE(app().isConnected());
    EXPECT_FALSE(app().menuState().modeInterface);

    app().disconnectButton();
    EXPECT_FALSE(app().isConnected());
    EXPECT_EQ(app().statusText(), "Device not connected!");
    EXPECT_EQ(host.stops, 1);
    EXPECT_TRUE(app().currentPort().empty());
}

TEST_F(ControllerDevice, ChoosingAnotherPortDisconnectsFirst)
{
    kivsim::Simulator other;
    ASSERT_TRUE(app().connectPort(text::kSimulatorEntry));
    ASSERT_TRUE(app().connectPort(other.path()));
    EXPECT_EQ(host.stops, 1);
    EXPECT_EQ(app().statusText(), "Device connected : " + other.path());
    EXPECT_TRUE(other.device().waitForFrames(KIVCommon::MSG_TIME_SYNC, 1, std::chrono::seconds(2)));
    app().disconnectButton();
}

TEST_F(ControllerDevice, InterfaceModeTracesWhileConnected)
{
    app().switchMode(DeviceMode::Interface);
    ASSERT_TRUE(app().connectPort(text::kSimulatorEntry));
    EXPECT_TRUE(app().tracePipeline().isDistributing());
    EXPECT_TRUE(app().session().isReceiveThreadRunning());
    EXPECT_TRUE(app().logSettingsLocked());
    host.simulator->traffic().start({.framesPerSecond = 200});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (app().tracePipeline().recordsLogged() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GT(app().tracePipeline().recordsLogged(), 0u);

    app().disconnectionSequence();
    EXPECT_FALSE(app().tracePipeline().isDistributing());
    EXPECT_FALSE(app().session().isReceiveThreadRunning());
}

TEST_F(ControllerDevice, RemovalOfTheDeviceDisconnectsOnlyARealDevice)
{
    kivsim::Simulator device;
    ASSERT_TRUE(app().connectPort(device.path()));
    app().deviceRemoved(false);
    EXPECT_TRUE(app().isConnected());
    app().deviceRemoved(true);
    EXPECT_FALSE(app().isConnected());
    EXPECT_EQ(app().statusText(), "Device not connected!");

    ASSERT_TRUE(app().connectPort(text::kSimulatorEntry));
    app().deviceRemoved(true);
    EXPECT_TRUE(app().isConnected());
}

TEST_F(ControllerDevice, SetThenGetKeyMapRoundTripsAndAFailedGetKeepsTheLists)
{
    const auto file = dir / "small.kiv";
    writeFile(file, smallKeyMapDocument());
    ASSERT_TRUE(app().openKeyMapFile(file.string()));
    ASSERT_TRUE(app().connectPort(text::kSimulatorEntry));
    ASSERT_TRUE(app().menuState().setKeyMap);

    ASSERT_TRUE(app().setKeyMap()) << prompt.texts().back();
    EXPECT_EQ(prompt.texts().back(), kivplus::sessiontext::kStored);

    app().keyMap().clearKeys();
    app().ignition().clearKeys();
    ASSERT_TRUE(app().getKeyMap()) << prompt.texts().back();
    EXPECT_EQ(app().keyMap().count(), 1);
    EXPECT_EQ(app().ignition().count(), 1);
    EXPECT_EQ(app().progressive().count(), 1);
    EXPECT_TRUE(app().keyMap().modified());

    app().keyMap().setModified(false);
    app().ignition().setModified(false);
    app().progressive().setModified(false);
    app().keyMap().clearKeys();
    host.simulator->faults().setFault(KIVCommon::MSG_IGNITION_READ, kivsim::Fault::NoAnswer);
    EXPECT_FALSE(app().getKeyMap());
    EXPECT_EQ(prompt.texts().back(), kivplus::sessiontext::kIgnitionReadFailed);
    EXPECT_EQ(app().keyMap().count(), 0);
    EXPECT_EQ(app().ignition().count(), 1);
}

TEST_F(ControllerDevice, UdsDownloadRunsFromTheWindowParameters)
{
    std::vector<std::uint8_t> image(600);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 13 + 1);
    writeFile(dir / "image.bin", std::string(image.begin(), image.end()));
    writeFile(dir / "download.seq", "FUNC,EXT,AE,LEN,REQUEST,RESPONSE,DATA\n0,0,0,2,1003,50,\n0,0,0,2,2701,67,\n"
                                    "0,0,0,6,2702,67,\n0,0,0,6,34000401,74,\n0,0,0,0,36000401,76,\n0,0,0,1,37,77,\n");
    kivplus::UdsParameters& uds = app().udsParameters();
    uds.transferSendId = "7E0";
    uds.transferReceiveId = "7E8";
    uds.allNodeSendId = "7DF";
    uds.canChannel = "1";
    uds.fileCount = "1";
    uds.files[0] = (dir / "image.bin").string();
    uds.sequencePath = (dir / "download.seq").string();

    EXPECT_FALSE(app().startUdsDownload());   // not connected
    EXPECT_EQ(prompt.texts().back(), text::kUdsNeedsInterface);

    app().switchMode(DeviceMode::Interface);
    host.start();
    host.simulator->ecu().setEnabled(true);
    ASSERT_TRUE(app().connectPort(text::kSimulatorEntry));
    ASSERT_TRUE(app().startUdsDownload()) << prompt.texts().back();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (app().isUdsDownloadRunning() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    app().finishUdsDownload();
    EXPECT_TRUE(host.simulator->ecu().transferExited());
    EXPECT_EQ(host.simulator->ecu().downloaded(), image);

    uds.fileCount = "x";
    prompt.shown.clear();
    EXPECT_FALSE(app().startUdsDownload());
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].kind, kivplus::ScriptedPrompt::Shown::Error);
}

TEST_F(ControllerDevice, DemoConnectsToTheSimulatorWithDatabaseAndKeyMap)
{
    ASSERT_TRUE(kivplus::startDemo(app(), std::filesystem::path(KIV_SOURCE_DIR) / "examples"))
        << (prompt.shown.empty() ? "" : prompt.shown.back().text);
    EXPECT_EQ(app().mode(), DeviceMode::Interface);
    EXPECT_EQ(app().statusText(), "Device connected : KIV-2xx Simulator");
    const kivplus::CMsgSignal* database = app().databases().database(0);
    ASSERT_NE(database, nullptr);
    EXPECT_EQ(app().databaseNames().current[0], "demo.dbc");
    EXPECT_EQ(app().title(), "KIV Raze - demo.kiv");
    EXPECT_EQ(app().ignition().count(), 4);
    EXPECT_EQ(app().progressive().count(), 3);
    for (int control = 0; control < 3; ++control)
        EXPECT_EQ(app().panelLayout().getControlKey(2, control), control);

    // Intel and Motorola signals, value tables and an extended identifier.
    const kivplus::tDbMessage* temperature = database->findMessageById(0x150, 0);
    ASSERT_NE(temperature, nullptr);
    EXPECT_EQ(temperature->signalList.at(0).byteOrder, 0);
    const kivplus::tDbMessage* ignition = database->findMessageById(0x100, 0);
    ASSERT_NE(ignition, nullptr);
    EXPECT_EQ(ignition->signalList.at(0).byteOrder, 1);
    EXPECT_EQ(ignition->signalList.at(0).valueTable.size(), 4u);
    EXPECT_NE(database->findMessageById(0x18FF0010, 1), nullptr);
    const kivplus::tKeyEntry* scenario = app().keyMap().findKey("30");
    ASSERT_NE(scenario, nullptr);
    EXPECT_EQ(app().keyMap().countPeriodicFrames("30"), 1);
    EXPECT_EQ(scenario->frames.back().messageName, "Stop Periodic Message");
}

} // namespace
