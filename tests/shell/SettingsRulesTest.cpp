// The allowed wire type / bit rate combinations and the settings payload.
#include "shell/DeviceSettings.h"

#include <gtest/gtest.h>

using namespace kivplus;

namespace {

TEST(SettingsRules, CombinationsAreCorrected)
{
    struct Case {
        int wire;
        std::uint32_t rate;
        std::uint32_t expected;
    } const cases[] = {
        {WIRE_DUAL_LOW, 500000, 100000}, {WIRE_DUAL_LOW, 125000, 125000},   {WIRE_SINGLE, 1000000, 33300},
        {WIRE_DUAL_HIGH, 33300, 125000}, {WIRE_DUAL_HIGH, 1000000, 1000000}, {WIRE_DUAL_HIGH, 12345, 125000},
        {WIRE_DUAL_LOW, 12345, 100000},  {WIRE_DUAL_HIGH, 100000, 100000},
    };
    for (const Case& c : cases) {
        ChannelSetting channel{c.wire, c.rate};
        applyAllowedCombination(channel);
        EXPECT_EQ(channel.bitRate, c.expected) << c.wire << " " << c.rate;
        EXPECT_TRUE(isBitRateSelectable(c.wire, channel.bitRate));
    }
    for (std::uint32_t rate : kBitRates)
        EXPECT_EQ(isBitRateSelectable(WIRE_SINGLE, rate), rate == 33300) << rate;
}

TEST(SettingsRules, PayloadRoundTripAndAnswerChecks)
{
    const std::uint8_t answer[] = {0x02, 0x01, 0x00, 0x07, 0xA1, 0x20, 0x02, 0x00, 0x01, 0x86, 0xA0};
    DeviceSettings settings;
    ASSERT_TRUE(settings.decode(answer, sizeof answer));
    EXPECT_EQ(settings.channels[0].wireType, WIRE_DUAL_HIGH);
    EXPECT_EQ(settings.channels[0].bitRate, 500000u);
    EXPECT_EQ(settings.channels[1].wireType, WIRE_DUAL_LOW);
    EXPECT_EQ(settings.channels[1].bitRate, 100000u);
    const auto encoded = settings.encode();
    EXPECT_TRUE(std::equal(encoded.begin(), encoded.end(), answer));

    DeviceSettings unchanged = settings;
    EXPECT_FALSE(unchanged.decode(answer, 10));
    EXPECT_EQ(unchanged.channels[0].bitRate, 500000u);

    // An unknown wire type keeps the channel's type; an unknown rate becomes
    // 33300 and is then corrected for the type.
    const std::uint8_t odd[] = {0x00, 0x07, 0x00, 0x00, 0x30, 0x39, 0x00, 0x00, 0x00, 0x82, 0x14};
    ASSERT_TRUE(settings.decode(odd, sizeof odd));
    EXPECT_EQ(settings.channels[0].wireType, WIRE_DUAL_HIGH);
    EXPECT_EQ(settings.channels[0].bitRate, 125000u);
    EXPECT_EQ(settings.channels[1].wireType, WIRE_SINGLE);
}

} // namespace
