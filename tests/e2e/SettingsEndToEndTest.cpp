// Get Dev Setting and Set Dev Setting against the virtual device.
#include "SessionFixture.h"

#include "shell/DeviceSettings.h"
#include "shell/ModeAnnouncer.h"
#include "shell/SessionTexts.h"

using namespace kivplus;
using namespace KIVCommon;

namespace {

using SettingsEndToEnd = sessiontest::SessionFixture;

TEST_F(SettingsEndToEnd, SettingsRoundTripWithTheCorrections)
{
    ModeAnnouncer announcer(session);
    DeviceSettings written;
    written.channels[0] = {WIRE_DUAL_HIGH, 500000};
    written.channels[1] = {WIRE_DUAL_LOW, 125000};
    ASSERT_TRUE(writeDeviceSettings(session, &announcer, written));
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{sessiontext::kSettingWritten});
    EXPECT_EQ(sim->settings().settings(),
              (std::array<std::uint8_t, 11>{1, 1, 0x00, 0x07, 0xA1, 0x20, 2, 0x00, 0x01, 0xE8, 0x48}));

    DeviceSettings read;
    ASSERT_TRUE(readDeviceSettings(session, &announcer, read));
    EXPECT_EQ(read.channels[0].bitRate, 500000u);
    EXPECT_EQ(read.channels[1].wireType, WIRE_DUAL_LOW);
    EXPECT_EQ(read.channels[1].bitRate, 125000u);
    ASSERT_TRUE(sim->device().waitForFrames(MSG_SETTING_READ, 2, std::chrono::seconds(1)));
    EXPECT_EQ(sim->device().received().back().frame.payload, std::vector<std::uint8_t>{1}) << "acknowledged";
    // The mode announce worker ran after each exchange, and the stored
    // settings were confirmed with device control 4.
    const auto codes = sim->settings().controlCodes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 4), 1);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 2), 2);

    // A single-wire channel read from the device is corrected to 33300.
    sim->settings().setSettings({1, 0, 0x00, 0x07, 0xA1, 0x20, 1, 0x00, 0x00, 0x82, 0x14});
    ASSERT_TRUE(readDeviceSettings(session, nullptr, read));
    EXPECT_EQ(read.channels[0].wireType, WIRE_SINGLE);
    EXPECT_EQ(read.channels[0].bitRate, 33300u);
    EXPECT_EQ(read.channels[1].bitRate, 125000u);
}

TEST_F(SettingsEndToEnd, FailuresKeepThePreviousValues)
{
    DeviceSettings settings;
    settings.channels[0] = {WIRE_DUAL_HIGH, 250000};
    sim->settings().setReadAnswer(std::vector<std::uint8_t>(10, 1));
    EXPECT_FALSE(readDeviceSettings(session, nullptr, settings));
    sim->settings().setReadAnswer({});
    sim->faults().setFault(MSG_SETTING_READ, kivsim::Fault::WrongType);
    EXPECT_FALSE(readDeviceSettings(session, nullptr, settings));
    EXPECT_EQ(settings.channels[0].bitRate, 250000u);

    sim->faults().setFault(MSG_SETTING_WRITE, kivsim::Fault::StatusZero);
    EXPECT_FALSE(writeDeviceSettings(session, nullptr, settings));
    EXPECT_EQ(prompt.texts(), (std::vector<std::string>{sessiontext::kSettingReadFailed, sessiontext::kSettingReadFailed,
                                                        sessiontext::kSettingWriteFailed}));
    EXPECT_TRUE(sim->settings().controlCodes().empty());
}

} // namespace
