// Single and first frames per addressing format, identifiers and separation times.
#include "uds/IsoTpFrame.h"

#include "UdsTestSupport.h"

#include <gtest/gtest.h>

using namespace KIVCommon;
using namespace udstest;

namespace {

struct FirstFrameCase {
    const char* name;
    std::int32_t format;
    std::size_t length;
    std::uint32_t requestId;
    std::int32_t targetAddressType;
    std::uint32_t id;
    Bytes bytes;   // the 8 frame bytes
};

TEST(IsoTpFrame, SingleOrFirstFrameByFormat)
{
    const FirstFrameCase cases[] = {
        {"7 bytes NORMAL is one single frame", 0, 7, 0x7E0, 0, 0x7E0, {0x07, 1, 2, 3, 4, 5, 6, 7}},
        {"7 bytes EXTENDED needs a first frame", 2, 7, 0x7E0, 0, 0x7E0, {0x10, 0x10, 0x07, 1, 2, 3, 4, 5}},
        {"6 bytes EXTENDED fits a single frame", 2, 6, 0x7E0, 0, 0x7E0, {0x10, 0x06, 1, 2, 3, 4, 5, 6}},
        {"20 bytes NORMAL", 0, 20, 0x7E0, 0, 0x7E0, {0x10, 0x14, 1, 2, 3, 4, 5, 6}},
        {"NORMAL pads the frame", 0, 2, 0x7E0, 0, 0x7E0, {0x02, 1, 2, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}},
        {"NORMAL FIXED physical", 1, 2, 0x7E0, 0, 0x98DA10F1, {0x02, 1, 2, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}},
        {"NORMAL FIXED functional", 1, 2, 0x7E0, 1, 0x98DB10F1, {0x02, 1, 2, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}},
        {"MIXED 11BIT uses the request id", 4, 2, 0x7E0, 0, 0x7E0, {0x33, 0x02, 1, 2, 0xAA, 0xAA, 0xAA, 0xAA}},
        {"MIXED 29BIT without request id, physical", 3, 2, 0, 0, 0x98CE10F1, {0x33, 0x02, 1, 2, 0xAA, 0xAA, 0xAA, 0xAA}},
        {"MIXED without request id, functional", 4, 2, 0, 1, 0x98CD10F1, {0x33, 0x02, 1, 2, 0xAA, 0xAA, 0xAA, 0xAA}},
        {"largest first frame", 0, 4095, 0x7E0, 0, 0x7E0, {0x1F, 0xFF, 1, 2, 3, 4, 5, 6}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tSPRequest r = request(c.format, counting(c.length), c.requestId);
        r.targetAddressType = c.targetAddressType;
        std::size_t carried = 0;
        const auto frame = kiv::buildFirstFrame(r, carried);
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->id, c.id);
        EXPECT_EQ(frame->dlc, 8u);
        EXPECT_EQ(Bytes(frame->data, frame->data + 8), c.bytes);
    }
}

TEST(IsoTpFrame, EmptyFrameOnTheWakeUpIdentifier)
{
    std::size_t carried = 0;
    const auto frame = kiv::buildFirstFrame(request(0, {}, 0x100), carried);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->id, 0x100u);
    EXPECT_EQ(frame->dlc, 0u);
}

TEST(IsoTpFrame, LengthsAndFormatsOutsideTheTransportAreRefused)
{
    std::size_t carried = 0;
    EXPECT_FALSE(kiv::buildFirstFrame(request(0, counting(4096)), carried));
    EXPECT_FALSE(kiv::buildFirstFrame(request(5, counting(2)), carried));
    EXPECT_FALSE(kiv::buildFirstFrame(request(-1, counting(2)), carried));
}

TEST(IsoTpFrame, SeparationTimes)
{
    const std::pair<std::uint8_t, std::optional<unsigned>> cases[] = {
        {0x00, 0u},   {0x7F, 127000u}, {0xF1, 100u},       {0xF5, 500u},         {0xF9, 900u},
        {0x80, std::nullopt}, {0xF0, std::nullopt}, {0xFA, std::nullopt}, {0xFF, std::nullopt},
    };
    for (const auto& [value, micros] : cases)
        EXPECT_EQ(kiv::separationMicros(value), micros) << "separation time " << int(value);
}

} // namespace
