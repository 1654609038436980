// Frames built from frame copies: identifier, length, data padding, channel,
// and the swept signal of a progressive frame.
#include "run/KeyFrameBuild.h"
#include "run/ProgressiveSweep.h"

#include <gtest/gtest.h>

#include <array>

using namespace kivplus;

namespace {

tKeyFrame plain(const std::string& id, const std::string& format, const std::string& length, const std::string& data,
                const std::string& channel)
{
    tKeyFrame frame;
    frame.messageId = id;
    frame.messageFormat = format;
    frame.messageLength = length;
    frame.messageData = data;
    frame.canCh = channel;
    return frame;
}

TEST(BuildKeyFrame, IdentifierDataAndChannel)
{
    using Bytes = std::array<std::uint8_t, 8>;
    struct Case {
        tKeyFrame frame;
        std::uint32_t id;
        std::uint32_t dlc;
        Bytes data;
        int channel;
        int reports;
    } const cases[] = {
        {plain("0x123", "Standard", "3", "01 a0 FF", "1"), 0x123, 3, {0x01, 0xA0, 0xFF}, 0, 1},
        {plain("0x18FF0017", "Extended", "2", "12 34", "2"), 0x98FF0017, 2, {0x12, 0x34}, 1, 1},
        {plain("0x10", "GMExtended", "1", "7F", "3"), 0x80000010, 1, {0x7F}, 2, 2},
        // Shorter data is padded in front; an odd digit count gets a leading 0.
        {plain("0x7DF", "Standard", "4", "1 23", "1"), 0x7DF, 4, {0x00, 0x00, 0x01, 0x23}, 0, 1},
        // Longer data than the length leaves every byte 0.
        {plain("0x7DF", "Standard", "1", "11 22", "1"), 0x7DF, 1, {}, 0, 1},
        // Non-hex characters count as 0.
        {plain("0x1", "Standard", "2", "G1 2Z", "1"), 0x1, 2, {0x01, 0x20}, 0, 1},
    };
    for (const Case& c : cases) {
        const tRunFrame built = buildKeyFrame(c.frame);
        SCOPED_TRACE(c.frame.messageId + " " + c.frame.messageData);
        EXPECT_EQ(built.id, c.id);
        EXPECT_EQ(built.dlc, c.dlc);
        EXPECT_EQ(built.data, c.data);
        EXPECT_EQ(built.channel, c.channel);
        EXPECT_EQ(built.expectedReports(), c.reports);
    }
}

TEST(BuildKeyFrame, DataWordsHoldByteZeroLowest)
{
    const tRunFrame built = buildKeyFrame(plain("0x1", "Standard", "8", "01 02 03 04 05 06 07 08", "1"));
    EXPECT_EQ(built.dataLow(), 0x04030201u);
    EXPECT_EQ(built.dataHigh(), 0x08070605u);
}

TEST(BuildKeyFrame, LengthBeyondEightBytesWritesNothingPastTheFrame)
{
    const tRunFrame built = buildKeyFrame(plain("0x1", "Standard", "12", "AA BB", "1"));
    EXPECT_EQ(built.dlc, 12u);
    EXPECT_EQ(built.data, (std::array<std::uint8_t, 8>{}));
}

tKeyFrame intelSignal(const std::string& data)
{
    tKeyFrame frame = plain("0x200", "Standard", "2", data, "1");
    frame.startByte = "0";
    frame.startBit = "4";
    frame.signalLength = "8";
    frame.signalEndian = "Intel";
    return frame;
}

TEST(ProgressiveFrame, SignalStartsFromTheDataAndIsWrittenIntoIt)
{
    tKeyFrame frame = intelSignal("00 00");
    EXPECT_EQ(sweepStartValue(frame), "0");
    EXPECT_EQ(sweepStartValue(intelSignal("B0 0A")), "AB");

    frame.sweepValue = "AB";
    const tRunFrame built = buildSweepFrame(frame);
    EXPECT_EQ(built.data[0], 0xB0);
    EXPECT_EQ(built.data[1], 0x0A);

    // A value wider than the signal keeps its low bits.
    frame.sweepValue = "1CD";
    EXPECT_EQ(buildSweepFrame(frame).data[0], 0xD0);
}

TEST(ProgressiveFrame, OutlandishSignalTextsStayWithinTheFrame)
{
    tKeyFrame frame = intelSignal("FF FF");
    frame.signalLength = "2000000000";
    frame.messageLength = "99999";
    frame.sweepValue = "FFFFFFFFFFFFFFFFFFFF";
    const tRunFrame built = buildSweepFrame(frame);
    EXPECT_EQ(built.data[0], 0xFF);
    EXPECT_EQ(sweepStartValue(frame), "FFF");
}

} // namespace
