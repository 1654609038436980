#include "database/RadixValue.h"
#include "database/SignalCodec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

using namespace kivplus;

namespace {

constexpr int kIntel = 1;
constexpr int kMotorola = 0;

struct EncodeCase {
    const char* what;
    int startByte;
    int startBit;
    int length;
    int byteOrder;
    const char* type;
    const char* value;
    int dlc;
    const char* dataBefore;   // hex, "" for none
    const char* expected;     // data text
};

TEST(SignalCodec, EncodesIntoTheDataBytes)
{
    const EncodeCase cases[] = {
        {"intel byte across a byte boundary", 1, 4, 8, kIntel, "", "171", 8, "", " 00 B0 0A 00 00 00 00 00"},
        {"motorola byte across a byte boundary", 1, 4, 8, kMotorola, "", "171", 8, "", " 00 15 60 00 00 00 00 00"},
        {"intel keeps the other bits", 0, 0, 4, kIntel, "", "5", 2, "FFFF", " F5 FF"},
        {"motorola keeps the other bits", 0, 7, 4, kMotorola, "", "5", 2, "FFFF", " 5F FF"},
        {"negative signed value", 0, 0, 8, kIntel, "SNM", "-2", 1, "", " FE"},
        {"too large unsigned value gives all ones", 0, 0, 4, kIntel, "", "20", 1, "", " 0F"},
        {"intel past the dlc writes only the bits inside", 1, 4, 8, kIntel, "", "255", 2, "0000", " 00 F0"},
        {"motorola past the dlc loses the bits beyond", 1, 1, 8, kMotorola, "", "255", 2, "0000", " 00 03"},
        {"16-bit motorola", 0, 7, 16, kMotorola, "", "4660", 2, "", " 12 34"},
        {"16-bit intel", 0, 0, 16, kIntel, "", "4660", 2, "", " 34 12"},
        {"64-bit unsigned maximum", 0, 0, 64, kIntel, "", "18446744073709551615", 8, "", " FF FF FF FF FF FF FF FF"},
        {"data shorter than the dlc counts as zeros", 1, 7, 4, kMotorola, "", "15", 2, "AA", " AA F0"},
        {"empty value counts as zero", 0, 0, 8, kIntel, "", "", 1, "FF", " 00"},
    };
    for (const auto& c : cases) {
        std::string bits = hexToBits(c.dataBefore);
        const std::string text = encodeSignal(c.startBit, c.startByte, c.length, c.byteOrder, c.type, c.value, c.dlc, bits);
        EXPECT_EQ(text, c.expected) << c.what;
        EXPECT_EQ(bits.size(), static_cast<std::size_t>(c.dlc) * 8) << c.what;
    }
}

struct DecodeCase {
    const char* what;
    const char* data;
    int startByte;
    int startBit;
    int length;
    int byteOrder;
    const char* type;
    const char* expected;
};

TEST(SignalCodec, DecodesRawValues)
{
    const DecodeCase cases[] = {
        {"motorola unsigned", "00 15 60 00 00 00 00 00", 1, 4, 8, kMotorola, "", "171"},
        {"motorola signed", "00 15 60 00 00 00 00 00", 1, 4, 8, kMotorola, "SNM", "-85"},
        {"intel unsigned", "00 B0 0A 00 00 00 00 00", 1, 4, 8, kIntel, "", "171"},
        {"enumerated is unsigned", "FF", 0, 0, 8, kIntel, "ENM", "255"},
        {"signed 64 bits", "FF FF FF FF FF FF FF FF", 0, 0, 64, kIntel, "SNM", "-1"},
        {"unsigned 64 bits", "FF FF FF FF FF FF FF FF", 0, 0, 64, kIntel, "", "18446744073709551615"},
        {"spaces and other characters are ignored", "1 2-3 4", 0, 7, 16, kMotorola, "", "4660"},
        {"motorola past the data reads what is inside", "0F", 0, 3, 8, kMotorola, "", "15"},
        {"intel past the data reads what is inside", "F0", 0, 4, 8, kIntel, "", "15"},
        {"signal wholly outside the data reads 0", "FF", 4, 0, 8, kIntel, "", "0"},
        {"empty data reads 0", "", 0, 0, 8, kMotorola, "SNM", "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decodeSignal(c.data, c.startByte, c.startBit, c.length, c.type, c.byteOrder), c.expected) << c.what;
}

TEST(SignalCodec, TextConversions)
{
    EXPECT_EQ(valueToBits("-2", 4, "SNM"), "1110");
    EXPECT_EQ(valueToBits("20", 4, ""), "1111");
    EXPECT_EQ(valueToBits("-1", 70, "SNM"), std::string(70, '1'));
    EXPECT_EQ(valueToBits("-9223372036854775808", 64, "SNM"), "1" + std::string(63, '0'));
    EXPECT_EQ(valueToBits("5", 0, ""), "");

    EXPECT_EQ(hexToBits("a1 x"), "10100001");
    EXPECT_EQ(bitsToHex("00000101"), "05");
    EXPECT_EQ(bitsToHex("11111111"), "FF");

    EXPECT_EQ(hexToRaw("FF", true, 8), -1);
    EXPECT_EQ(hexToRaw("7F", true, 8), 127);
    EXPECT_EQ(hexToRaw("FF", false, 8), 255);
    EXPECT_EQ(hexToRaw("-05", true, 8), -5);
    EXPECT_EQ(hexToRaw("FFFFFFFFFFFFFFFF", true, 64), -1);

    EXPECT_EQ(signExtend(0x80, 8), 0xFFFFFFFFFFFFFF80ull);
    EXPECT_EQ(signExtend(0x7F, 8), 0x7Full);
    EXPECT_EQ(signExtend(0x8000000000000000ull, 64), 0x8000000000000000ull);
    EXPECT_EQ(maskToLength(0xFFFFFFFFFFFFFF80ull, 8), 0x80ull);
    EXPECT_EQ(maskToLength(~0ull, 64), ~0ull);

    EXPECT_EQ(extractSignalBits("1111000011110000", 0, 3, 8, kMotorola), "00001111");
    EXPECT_EQ(extractSignalBits("11110000", 0, 3, 8, kMotorola), "0000");
    EXPECT_EQ(extractSignalBits("11110000", 3, 3, 8, kMotorola), "");
}

// Lengths and DLCs from a hostile database cost neither time nor memory.
TEST(SignalCodec, AbsurdSizesStayCheap)
{
    EXPECT_EQ(decodeSignal("FF", 0, 0, 2147483647, "", kIntel), "255");
    std::uint8_t byte = 0xFF;
    EXPECT_EQ(extractRaw(&byte, 1, 0, 0, 2147483647, kIntel), 255u);
    std::string bits;
    const std::string text = encodeSignal(0, 0, 2147483647, kIntel, "", "1", 1 << 30, bits);
    EXPECT_EQ(bits.size(), static_cast<std::size_t>(kMaxFrameBytes) * 8);
    EXPECT_EQ(text.size(), static_cast<std::size_t>(kMaxFrameBytes) * 3);
}

TEST(SignalCodec, DecimalReadingsFollowTheCLibrary)
{
    EXPECT_EQ(readDecimalUnsigned("-1"), 18446744073709551615ull);
    EXPECT_EQ(readDecimalUnsigned("  42abc"), 42u);
    EXPECT_EQ(readDecimalUnsigned("99999999999999999999"), 18446744073709551615ull);
    EXPECT_EQ(readDecimalUnsigned("x"), 0u);
    EXPECT_EQ(readDecimalSigned("-9223372036854775809"), INT64_MIN);
    EXPECT_EQ(readDecimalSigned("+17"), 17);
}

TEST(SignalCodec, RadixFieldReadings)
{
    EXPECT_EQ(normalizeRadix(16), 16);
    EXPECT_EQ(normalizeRadix(255), 255);
    EXPECT_EQ(normalizeRadix(7), 10);

    const auto unsignedMinusOne = readRadixValue("-1", {10, false, false});
    EXPECT_EQ(unsignedMinusOne.unsignedValue, 18446744073709551615ull);
    const auto signedMinusOne = readRadixValue("-1", {10, true, false});
    EXPECT_EQ(signedMinusOne.signedValue, -1);
    EXPECT_EQ(readRadixValue("-1F", {16, true, false}).signedValue, -31);
    EXPECT_EQ(readRadixValue("1F", {3, false, false}).unsignedValue, 1u);   // radix 3 is read as 10
    EXPECT_FLOAT_EQ(readRadixValue("0.125", {10, false, true}).floatValue, 0.125f);
}

// The byte functions place bits exactly as the text functions do.
TEST(SignalCodec, BytePlacementMatchesTheTextForm)
{
    std::mt19937_64 random(7);
    for (int round = 0; round < 2000; ++round) {
        const int dlc = 1 + static_cast<int>(random() % 8);
        const int byteOrder = static_cast<int>(random() % 2);
        const int startByte = static_cast<int>(random() % 9);
        const int startBit = static_cast<int>(random() % 8);
        const int length = 1 + static_cast<int>(random() % 64);
        std::uint8_t data[8];
        for (auto& b : data)
            b = static_cast<std::uint8_t>(random());
        std::string hex;
        for (int i = 0; i < dlc; ++i) {
            char two[4];
            std::snprintf(two, sizeof two, "%02X", data[i]);
            hex += two;
        }
        const std::uint64_t raw = random();

        std::string bits = hexToBits(hex);
        encodeSignal(startBit, startByte, length, byteOrder, "", std::to_string(maskToLength(raw, length)), dlc, bits);
        insertRaw(data, static_cast<std::size_t>(dlc), startByte, startBit, length, byteOrder, raw);
        std::string hexAfter;
        for (int i = 0; i < dlc; ++i) {
            char two[4];
            std::snprintf(two, sizeof two, "%02X", data[i]);
            hexAfter += two;
        }
        ASSERT_EQ(hexToBits(hexAfter), bits) << "round " << round;
        ASSERT_EQ(std::to_string(extractRaw(data, static_cast<std::size_t>(dlc), startByte, startBit, length, byteOrder)),
                  decodeSignal(hexAfter, startByte, startBit, length, "", byteOrder))
            << "round " << round;
    }
}

} // namespace
