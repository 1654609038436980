// Cutting the received byte stream into frames and filing them by type.
#include "link/ByteRing.h"
#include "link/FrameSplitter.h"
#include "link/MessageStore.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace KIVCommon;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr auto R = MESSAGE_STORE_RESPONSE;
constexpr auto E = MESSAGE_STORE_EVENT;

struct Filed {
    MESSAGE_STORE_TYPE store;
    Bytes frame;
    bool operator==(const Filed&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Filed& f)
{
    os << (f.store == E ? "event[" : "response[");
    for (auto b : f.frame)
        os << ' ' << std::hex << int(b);
    return os << " ]";
}

// Feeds each chunk as one port read, runs the splitter after each and
// collects what was filed.
struct SplitterRig {
    std::vector<std::size_t> feed(const std::vector<Bytes>& chunks)
    {
        std::vector<std::size_t> perRun;
        for (const Bytes& chunk : chunks) {
            for (std::uint8_t b : chunk)
                ring.vPush(b);
            perRun.push_back(splitter.extract(ring, stores));
        }
        return perRun;
    }

    std::vector<Filed> drain()
    {
        std::vector<Filed> out;
        for (auto type : {R, E}) {
            while (!stores[type].bIsEmpty()) {
                const tKIVNGMessageData record = stores[type].take();
                EXPECT_EQ(record.messageKind, MESSAGE_KIND_DEVICE_FRAME);
                const std::size_t length = record.frameBytes[1] * 256 + record.frameBytes[2];
                out.push_back({type, Bytes(record.frameBytes, record.frameBytes + 3 + length)});
                for (std::size_t i = 3 + length; i < sizeof record.frameBytes; ++i) {
                    if (record.frameBytes[i] != 0) {
                        ADD_FAILURE() << "byte " << i << " after the frame is not 0";
                        break;
                    }
                }
            }
        }
        return out;
    }

    kiv::CByteRing ring;
    kiv::CFrameSplitter splitter;
    kiv::CMessageStores stores;
};

Bytes frame(std::uint8_t type, std::size_t length, std::uint8_t fill = 0x11)
{
    Bytes f{type, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)};
    f.insert(f.end(), length, fill);
    return f;
}

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

struct SplitCase {
    std::string name;
    std::vector<Bytes> reads;
    std::vector<std::size_t> framesPerRun;
    std::vector<Filed> filed;   // response store first, then event store
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

class SplitTable : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitTable, FilesExactlyTheExpectedFrames)
{
    const SplitCase& c = GetParam();
    SplitterRig rig;
    EXPECT_EQ(rig.feed(c.reads), c.framesPerRun);
    EXPECT_EQ(rig.drain(), c.filed);
}

INSTANTIATE_TEST_SUITE_P(
    Splitter, SplitTable,
    testing::Values(
        SplitCase{"NoiseBeforeFrame", {cat({Bytes(40, 0x00), Bytes{0xC0, 0xC9, 0xEC, 0xEE, 0xF0, 0xF9, 0x12}, frame(0xF1, 2)})},
                  {1}, {{R, frame(0xF1, 2)}}},
        SplitCase{"FrameOverTwoReads", {{0xBC, 0x00, 0x04, 1, 2}, {3, 4}}, {0, 1}, {{E, {0xBC, 0, 4, 1, 2, 3, 4}}}},
        SplitCase{"HeaderOverTwoReads", {{0xEB}, {0x00}, {0x01, 0x77}}, {0, 0, 1}, {{E, {0xEB, 0, 1, 0x77}}}},
        SplitCase{"LengthZero", {{0xFE, 0x00, 0x00, 0xFF, 0x00, 0x00}}, {2}, {{R, {0xFE, 0, 0}}, {R, {0xFF, 0, 0}}}},
        SplitCase{"Routing",
                  {cat({frame(0xEB, 1), frame(0xEA, 1), frame(0xBC, 1), frame(0xE7, 1), frame(0xF1, 1), frame(0xB9, 1)})},
                  {6},
                  {{R, frame(0xEA, 1)}, {R, frame(0xF1, 1)}, {R, frame(0xB9, 1)},
                   {E, frame(0xEB, 1)}, {E, frame(0xBC, 1)}, {E, frame(0xE7, 1)}}},
        SplitCase{"LargestPayloadFits", {frame(0xF2, 2045, 0x5A)}, {1}, {{R, frame(0xF2, 2045, 0x5A)}}},
        // A length that no frame buffer holds marks the type byte as noise:
        // the search resumes at the length bytes (here 0xFF, itself a type
        // byte with an impossible length, then 0xBC with length 0).
        SplitCase{"OverlongLengthResynchronises", {{0xBC, 0xFF, 0xBC, 0x00, 0x00}}, {1}, {{E, {0xBC, 0, 0}}}},
        // 2046 = 07 FE: F2 goes, and FE with the following 00 00 is a frame.
        SplitCase{"LengthJustTooLongIsDropped", {cat({Bytes{0xF2, 0x07, 0xFE}, Bytes(2046, 0x00), frame(0xF4, 1)})},
                  {2}, {{R, {0xFE, 0, 0}}, {R, frame(0xF4, 1)}}}),
    [](const auto& info) { return info.param.name; });

TEST(SplitterStall, SameLengthStallsHundredTimesThenDropsTheTypeByte)
{
    SplitterRig rig;
    // Type F1 announces 5 payload bytes but only 3 arrive; they happen to
    // hold a complete frame EA 00 00.
    rig.feed({{0xF1, 0x00, 0x05, 0xEA, 0x00, 0x00}});
    for (int run = 2; run <= 100; ++run)
        ASSERT_EQ(rig.feed({{}}), std::vector<std::size_t>{0}) << "run " << run;
    EXPECT_EQ(rig.splitter.stallCount(), 100);
    EXPECT_EQ(rig.ring.size(), 6u);

    EXPECT_EQ(rig.feed({{}}), std::vector<std::size_t>{0});   // run 101 drops F1 and stops
    EXPECT_EQ(rig.splitter.stallCount(), 0);
    EXPECT_EQ(rig.ring.size(), 5u);

    EXPECT_EQ(rig.feed({{}}), std::vector<std::size_t>{1});
    EXPECT_EQ(rig.drain(), (std::vector<Filed>{{R, {0xEA, 0, 0}}}));
}

TEST(SplitterStall, FrameCompletedBeforeTheLimitIsDelivered)
{
    SplitterRig rig;
    rig.feed({{0xF1, 0x00, 0x05, 1, 2, 3}});
    for (int run = 0; run < 60; ++run)
        rig.feed({{}});
    EXPECT_EQ(rig.feed({{4, 5}}), std::vector<std::size_t>{1});
    EXPECT_EQ(rig.splitter.stallCount(), 0);
    EXPECT_EQ(rig.drain(), (std::vector<Filed>{{R, {0xF1, 0, 5, 1, 2, 3, 4, 5}}}));
}

TEST(SplitterStall, AfterADropTheNextFrameGetsAFreshHundredRuns)
{
    SplitterRig rig;
    rig.feed({{0xF1, 0x00, 0x09}});
    for (int run = 0; run < 150; ++run)
        rig.feed({{}});
    // 100 stalls with length 9, then the type byte went; 00 09 are noise.
    EXPECT_EQ(rig.ring.size(), 0u);
    rig.feed({{0xF3, 0x00, 0x01}});
    for (int run = 0; run < 99; ++run)
        rig.feed({{}});
    EXPECT_EQ(rig.ring.size(), 3u);
    EXPECT_EQ(rig.feed({{0x01}}), std::vector<std::size_t>{1});
}

TEST(ByteRing, FullRingDropsOldestAndSplitterResynchronises)
{
    SplitterRig rig;
    // A frame start far back is pushed out by 4192 later bytes of noise and
    // one good frame at the very end.
    Bytes stream = cat({Bytes{0xF1, 0x00, 0x02}, Bytes(4192 - 4, 0x00), frame(0xF5, 1)});
    EXPECT_EQ(rig.feed({stream}), std::vector<std::size_t>{1});
    EXPECT_EQ(rig.drain(), (std::vector<Filed>{{R, frame(0xF5, 1)}}));
}

TEST(ByteRing, PutBackRestoresTheFrontInOrder)
{
    kiv::CByteRing ring;
    for (std::uint8_t b : {1, 2, 3, 4})
        ring.vPush(b);
    std::uint8_t taken[3];
    for (auto& b : taken)
        ASSERT_TRUE(ring.bTake(b));
    ring.vPutBack(taken + 1, 2);
    std::uint8_t b = 0;
    Bytes rest;
    while (ring.bTake(b))
        rest.push_back(b);
    EXPECT_EQ(rest, (Bytes{2, 3, 4}));
}

} // namespace
