#include "keymap/KeyFields.h"

#include <gtest/gtest.h>

#include <string>

using namespace kivplus;

TEST(KeyFields, ParsesDecimalAndHexLikeTheFilesNeed)
{
    struct Case {
        const char* text;
        std::int32_t decimal;
        std::uint32_t hex;
    } cases[] = {
        {"", 0, 0},
        {"  42", 42, 0x42},
        {"-7", -7, 0},
        {"12abc", 12, 0x12ABC},
        {"abc", 0, 0xABC},
        {"0x7FF", 0, 0x7FF},
        {"0X1a", 0, 0x1A},
        {"0x", 0, 0},
        {"99999999999", 2147483647, 0xFFFFFFFF},
        {"-99999999999", -2147483647 - 1, 0},
        {"0x123456789", 0, 0xFFFFFFFF},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseDecimal(c.text), c.decimal) << c.text;
        EXPECT_EQ(parseHex(c.text), c.hex) << c.text;
    }
}

TEST(KeyFields, ConvertsChannelMasksAndTexts)
{
    struct Case {
        const char* mask;
        const char* text;
    } toText[] = {{"1", "1"}, {"2", "2"}, {"3", "1,2"}, {"0", ""}, {"", ""}, {"7", "1,2"}};
    for (const auto& c : toText)
        EXPECT_EQ(channelMaskToText(c.mask), c.text) << c.mask;

    struct Back {
        const char* text;
        const char* mask;
    } toMask[] = {{"1,2", "3"}, {"2", "2"}, {"", "0"}, {"12", "3"}, {"3", "0"}, {"2,1", "3"}};
    for (const auto& c : toMask)
        EXPECT_EQ(channelTextToMask(c.text), c.mask) << c.text;
}

TEST(KeyFields, ChecksMessageIdentifiersByFormat)
{
    struct Case {
        const char* id;
        const char* format;
        bool valid;
    } cases[] = {
        {"0x7FF", "Standard", true},       {"0x800", "Standard", false},
        {"7ff", "Standard", true},         {"0x1FFFFFFF", "GMExtended", true},
        {"0x1FFFFFFF", "Extended", true},  {"0x20000000", "Extended", false},
        {"0x20000000", "GMExtended", false}, {"0xFFFFFFFFFF", "Other", true},
        {"0x800", "standard", true}, // only the exact names carry a range
    };
    for (const auto& c : cases)
        EXPECT_EQ(isValidMessageId(c.id, c.format), c.valid) << c.id << " " << c.format;
}

TEST(KeyFields, ChecksMessageDataTokensAgainstLength)
{
    struct Case {
        const char* length;
        const char* data;
        bool valid;
    } cases[] = {
        {"3", "01 02 03", true},
        {"3", "01 02", false},
        {"2", "1 02", false},  // a one-character token
        {"0", "", true},
        {"0", "00", false},
        {"9", "01 02 03 04 05 06 07 08 09", false},
        {"2", "ZZ 01", true},  // characters are not examined
        {"2", "01  02", false}, // two spaces make an empty token
        {"1", "", false},
        {"-1", "", false},
        {"8", "01 02 03 04 05 06 07 08", true},
        {"", "", true},        // an empty length reads as 0
    };
    for (const auto& c : cases)
        EXPECT_EQ(isValidMessageData(c.length, c.data), c.valid) << c.length << " [" << c.data << "]";
}
