// MSG_CAN_TX building, the CAN frame record and its time formula.
#include "kiv/KIVCanRecord.h"
#include "link/CanTxFrame.h"

#include <gtest/gtest.h>

#include <cstring>

#include <string>
#include <vector>

using namespace KIVCommon;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct TxCase {
    std::string name;
    int channel;
    tCANData frame;
    int kind;
    int tag;
    Bytes expected;
};

void PrintTo(const TxCase& c, std::ostream* os) { *os << c.name; }

class CanTxTable : public testing::TestWithParam<TxCase> {};

TEST_P(CanTxTable, BuildsExactBytes)
{
    const TxCase& c = GetParam();
    std::uint8_t out[kiv::kMaxCanTxFrameSize + 8];
    std::memset(out, 0xEE, sizeof out);
    const std::size_t n = kiv::buildCanTxFrame(c.channel, c.frame, c.kind, c.tag, out);
    EXPECT_EQ(Bytes(out, out + n), c.expected);
    EXPECT_EQ(out[n], 0xEE) << "wrote past the frame";
}

INSTANTIATE_TEST_SUITE_P(
    CanTx, CanTxTable,
    testing::Values(
        TxCase{"Standard", 1, {0x123, 2, {0x11, 0x22}}, 0, 5,
               {0xBB, 0x00, 0x09, 0x00, 0x05, 0x00, 0x02, 0x01, 0x23, 0x11, 0x22, 0x01}},
        TxCase{"Extended", 0, {0x80000000u | 0xFFFFFFFu | 0x70000000u, 1, {0xAB}}, 6, 7,
               {0xBB, 0x00, 0x0A, 0x06, 0x07, 0x04, 0x01, 0x1F, 0xFF, 0xFF, 0xFF, 0xAB, 0x00}},
        TxCase{"NoData", 1, {0x7FF, 0, {}}, 2, 300,   // only the low byte of the tag
               {0xBB, 0x00, 0x07, 0x02, 0x2C, 0x00, 0x00, 0x07, 0xFF, 0x01}},
        TxCase{"StandardUsesLow16Bits", 0x101, {0x12345, 1, {9}}, 0x1FF, 0, 
               {0xBB, 0x00, 0x08, 0xFF, 0x00, 0x00, 0x01, 0x23, 0x45, 0x09, 0x01}},
        TxCase{"FullFrame", 0, {0x80000001u, 8, {1, 2, 3, 4, 5, 6, 7, 8}}, 8, 0,
               {0xBB, 0x00, 0x11, 0x08, 0x00, 0x04, 0x08, 0x00, 0x00, 0x00, 0x01, 1, 2, 3, 4, 5, 6, 7, 8, 0x00}},
        // DLC codes 9-15 still mean 8 data bytes; nothing is read past data[8].
        TxCase{"DlcAboveEightCarriesEightBytes", 0, {0x100, 0x10F, {1, 2, 3, 4, 5, 6, 7, 8}}, 0, 1,
               {0xBB, 0x00, 0x0F, 0x00, 0x01, 0x00, 0x0F, 0x01, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 0x00}}),
    [](const auto& info) { return info.param.name; });

struct TimeCase {
    std::uint32_t milliseconds;
    std::uint32_t tick;
    std::uint64_t micros;
};

TEST(CanTime, Formula)
{
    const TimeCase cases[] = {
        {2, 60000, 2500},
        {0, 120000, 0},
        {0, 1, 999},          // (120000 - 1) / 120 rounds down
        {7, 119, 7999},
        {0xFFFFFFFFu, 120000, 4294967295000ull},   // no 32-bit overflow
    };
    for (const TimeCase& c : cases)
        EXPECT_EQ(canTimeMicros(c.milliseconds, c.tick), c.micros) << c.milliseconds << " ms, tick " << c.tick;
}

TEST(CanRecord, ParsesStandardAndExtendedAndRefusesBadOnes)
{
    const Bytes standard{0x00, 0x02, 0x01, 0x23, 0xAA, 0xBB, 0x01, 0, 0, 0, 2, 0, 0, 0xEA, 0x60};
    tCanRecord r{};
    ASSERT_TRUE(parseCanRecord(standard.data(), standard.size(), r));
    EXPECT_FALSE(r.extended);
    EXPECT_EQ(r.id, 0x123u);
    EXPECT_EQ(r.dlc, 2);
    EXPECT_EQ(r.data[1], 0xBB);
    EXPECT_EQ(r.data[2], 0);
    EXPECT_EQ(r.channel, 1);
    EXPECT_EQ(canTimeMicros(r.milliseconds, r.tick), 2500u);

    const Bytes extended{0x04, 0x00, 0x18, 0xDA, 0xF1, 0x10, 0x00, 0, 0, 0, 0, 0, 1, 0xD4, 0xC0};
    ASSERT_TRUE(parseCanRecord(extended.data(), extended.size(), r));
    EXPECT_TRUE(r.extended);
    EXPECT_EQ(r.id, 0x18DAF110u);
    EXPECT_EQ(r.tick, 120000u);

    EXPECT_FALSE(parseCanRecord(standard.data(), standard.size() - 1, r));
    Bytes overlong = standard;
    overlong[1] = 9;
    EXPECT_FALSE(parseCanRecord(overlong.data(), overlong.size(), r));
    EXPECT_FALSE(parseCanRecord(standard.data(), 1, r));
}

} // namespace
