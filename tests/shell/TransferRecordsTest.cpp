// The device records of the key map lists: encoders against known bytes,
// decoders back to the list texts, and what the records cannot express.
#include "keymap/DeviceRecords.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace kivplus;
using Bytes = std::vector<std::uint8_t>;

namespace {

tKeyFrame frame(const std::string& id, const std::string& format, const std::string& length, const std::string& data,
                const std::string& interval = "0", const std::string& canCh = "1")
{
    tKeyFrame f;
    f.messageId = id;
    f.messageFormat = format;
    f.messageLength = length;
    f.messageData = data;
    f.periodicInterval = interval;
    f.canCh = canCh;
    return f;
}

tKeyEntry entry(const std::string& name, int type, std::vector<tKeyFrame> frames)
{
    tKeyEntry e;
    e.name = name;
    e.type = type;
    e.frames = std::move(frames);
    return e;
}

tKeyFrame progressiveFrame(const std::string& endian, const std::string& min, const std::string& max)
{
    tKeyFrame f = frame("0x100", "Standard", "8", "00 00 00 00 00 00 00 00", "50", "2");
    f.startByte = "1";
    f.startBit = "7";
    f.signalLength = "8";
    f.signalType = "UNM";
    f.signalEndian = endian;
    f.progressiveMin = min;
    f.progressiveMax = max;
    f.progressiveStep = "1";
    return f;
}

Bytes prefix(const Bytes& bytes, std::size_t count) { return Bytes(bytes.begin(), bytes.begin() + std::min(count, bytes.size())); }

struct EncodeCase {
    const char* name;
    std::function<bool(Bytes&, std::string&)> encode;
    Bytes expected;   // the record, or its first bytes when prefixOnly
    bool prefixOnly = false;
};

TEST(TransferRecords, EncodersWriteTheDeviceBytes)
{
    const std::vector<EncodeCase> cases{
        {"single key 12",
         [](Bytes& out, std::string& error) {
             CKeyMap list;
             list.appendEntry(entry("12", KEY_TYPE_SINGLE, {frame("0x123", "Standard", "2", "11 22", "100", "1")}));
             return encodeSingleKeyList(list, out, error);
         },
         {0x0C, 0x00, 0x02, 0x01, 0x23, 0x11, 0x22, 0x00, 0x64, 0x00}},
        {"GMExtended sends format 4 and four identifier bytes",
         [](Bytes& out, std::string& error) {
             CKeyMap list;
             list.appendEntry(entry("10", KEY_TYPE_SINGLE, {frame("0x18FF0012", "GMExtended", "0", "", "0", "2")}));
             return encodeSingleKeyList(list, out, error);
         },
         {0x0A, 0x04, 0x00, 0x18, 0xFF, 0x00, 0x12, 0x00, 0x00, 0x01}},
        {"standard identifier 0x7 fills two bytes",
         [](Bytes& out, std::string& error) {
             CKeyMap list;
             list.appendEntry(entry("11", KEY_TYPE_SINGLE, {frame("0x7", "Standard", "1", "AB")}));
             return encodeSingleKeyList(list, out, error);
         },
         {0x0B, 0x00, 0x01, 0x00, 0x07, 0xAB, 0x00, 0x00, 0x00}},
        {"scenario key with delays",
         [](Bytes& out, std::string& error) {
             tKeyEntry key = entry("20", KEY_TYPE_SCENARIO,
                                   {frame("0x1", "Standard", "1", "01"), frame("0x2", "Standard", "0", "", "0", "2")});
             key.frames[0].canFrameDelay = "300";
             key.frames[1].canFrameDelay = "0";
             return encodeScenarioKey(key, out, error);
         },
         {0x14, 0x01, 0x02, 0x00, 0x01, 0x00, 0x01, 0x01, 0x01, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x01}},
        {"third Acc frame starts with 12",
         [](Bytes& out, std::string& error) {
             CIgnition list;
             list.appendEntry(entry("1", KEY_TYPE_SCENARIO,
                                    {frame("0x1", "Standard", "0", ""), frame("0x2", "Standard", "0", ""),
                                     frame("0x3", "Standard", "0", "")}));
             return encodeIgnitionList(list, out, error);
         },
         {0x0A, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x0C},
         true},
        {"first Crank frame starts with 30, after Off",
         [](Bytes& out, std::string& error) {
             CIgnition list;
             list.appendEntry(entry("3", KEY_TYPE_SCENARIO, {frame("0x3", "Standard", "0", "")}));
             list.appendEntry(entry("0", KEY_TYPE_SCENARIO, {frame("0x1", "Standard", "0", "")}));
             return encodeIgnitionList(list, out, error);
         },
         {0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x1E},
         true},
        {"progressive key 2, Motorola minimum image, step 1",
         [](Bytes& out, std::string& error) {
             CProgressive list;
             list.appendEntry(entry("2", KEY_TYPE_PROGRESSIVE, {progressiveFrame("Motorola", "10", "FF")}));
             return encodeProgressiveList(list, out, error);
         },
         {0x07, 0x00, 0x01, 0x00, 0x08, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x32, 0x01, 0x07, 0x08,
          0x00, 0x10, 0, 0, 0, 0, 0, 0, 0x00, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x01}},
    };
    for (const EncodeCase& c : cases) {
        Bytes out;
        std::string error;
        ASSERT_TRUE(c.encode(out, error)) << c.name << ": " << error;
        EXPECT_EQ(c.prefixOnly ? prefix(out, c.expected.size()) : out, c.expected) << c.name;
    }
}

TEST(TransferRecords, ProgressiveImagesFollowTheByteOrder)
{
    // An Intel signal of 12 bits at byte 0 bit 4 with a signed minimum -1 and
    // the other frame bits kept.
    tKeyFrame f = progressiveFrame("Intel", "FFF", "7FF");
    f.messageData = "0F 00 00 00 00 00 00 00";
    f.startByte = "0";
    f.startBit = "4";
    f.signalLength = "12";
    f.signalType = "SNM";
    EXPECT_EQ(progressiveImage(f, f.progressiveMin), (Bytes{0xFF, 0xFF, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(progressiveImage(f, f.progressiveMax), (Bytes{0xFF, 0x7F, 0, 0, 0, 0, 0, 0}));
    // A short frame is padded with zero bytes.
    tKeyFrame shortFrame = progressiveFrame("Motorola", "5", "5");
    shortFrame.messageLength = "2";
    shortFrame.messageData = "AA BB";
    EXPECT_EQ(progressiveImage(shortFrame, "5"), (Bytes{0xAA, 0x05, 0, 0, 0, 0, 0, 0}));
}

TEST(TransferRecords, DecodersGiveTheListTexts)
{
    CKeyMap singles;
    ASSERT_TRUE(decodeSingleKeyList(Bytes{0x0C, 0x00, 0x08, 0x07, 0xDF, 1, 0xAB, 0, 0, 0, 0, 0, 0, 0x00, 0x64, 0x01}.data(), 16,
                                    singles));
    ASSERT_EQ(singles.count(), 1);
    const tKeyFrame& single = singles.entries()[0].frames[0];
    EXPECT_EQ(singles.entries()[0].name, "12");
    EXPECT_EQ(singles.entries()[0].type, KEY_TYPE_SINGLE);
    EXPECT_EQ(single.messageId, "0x7DF");
    EXPECT_EQ(single.messageFormat, "Standard");
    EXPECT_EQ(single.messageLength, "8");
    EXPECT_EQ(single.messageData, "01 AB 00 00 00 00 00 00");
    EXPECT_EQ(single.periodicInterval, "100");
    EXPECT_EQ(single.canCh, "2");

    CKeyMap extended;
    const Bytes gm{0x0A, 0x04, 0x02, 0x18, 0xFF, 0x00, 0x12, 0x01, 0xAB, 0x00, 0x00, 0x00};
    ASSERT_TRUE(decodeSingleKeyList(gm.data(), gm.size(), extended));
    EXPECT_EQ(extended.entries()[0].frames[0].messageFormat, "Extended");
    EXPECT_EQ(extended.entries()[0].frames[0].messageId, "0x18FF0012");
    EXPECT_EQ(extended.entries()[0].frames[0].messageData, "01 AB");

    CProgressive progressive;
    const Bytes record{0x07, 0x00, 0x01, 0x00, 0x08, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x32, 0x01, 0x07, 0x08,
                       0x00, 0x10, 0, 0, 0, 0, 0, 0, 0x00, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x01};
    ASSERT_TRUE(decodeProgressiveList(record.data(), record.size(), progressive));
    const tKeyFrame& p = progressive.entries()[0].frames[0];
    EXPECT_EQ(progressive.entries()[0].name, "2");
    EXPECT_EQ(p.messageLength, " 8");
    EXPECT_EQ(p.progressiveMin, "10");
    EXPECT_EQ(p.progressiveMax, "FF");
    EXPECT_EQ(p.progressiveStep, "1");
    EXPECT_EQ(p.startByte, "1");
    EXPECT_EQ(p.canCh, "2");

    CIgnition ignition;
    const Bytes frames{0x0A, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00};
    ASSERT_TRUE(decodeIgnitionList(frames.data(), frames.size(), ignition));
    ASSERT_EQ(ignition.count(), 1);
    EXPECT_EQ(ignition.entries()[0].name, "1");
    EXPECT_EQ(ignition.entries()[0].frames.size(), 2u);
    EXPECT_EQ(ignition.entries()[0].frames[1].canFrameDelay, "0");
    EXPECT_EQ(ignition.entries()[0].frames[1].num, 1);
}

TEST(TransferRecords, DecodersRefuseMalformedRecords)
{
    const Bytes single{0x0C, 0x00, 0x02, 0x01, 0x23, 0x11, 0x22, 0x00, 0x64, 0x00};
    for (std::size_t cut = 1; cut < single.size(); ++cut) {
        CKeyMap list;
        EXPECT_FALSE(decodeSingleKeyList(single.data(), cut, list)) << cut;
    }
    CProgressive progressive;
    const Bytes badCode(45, 0x02);
    EXPECT_FALSE(decodeProgressiveList(badCode.data(), badCode.size(), progressive));
    CKeyMap scenario;
    const Bytes noFrames{0x14, 0x01, 0x00};
    EXPECT_TRUE(decodeScenarioKeys(noFrames.data(), noFrames.size(), scenario));
    EXPECT_EQ(scenario.count(), 0);
    const Bytes shortKey{0x14, 0x01, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00};
    EXPECT_FALSE(decodeScenarioKeys(shortKey.data(), shortKey.size(), scenario));
}

TEST(TransferRecords, WhatTheRecordsCannotExpressIsRefused)
{
    std::string error;
    Bytes out{0xEE};

    CProgressive progressive;
    progressive.appendEntry(entry("3", KEY_TYPE_PROGRESSIVE, {progressiveFrame("Intel", "0", "1")}));
    EXPECT_FALSE(encodeProgressiveList(progressive, out, error));
    EXPECT_NE(error.find("KeyNum : 3"), std::string::npos);

    tKeyEntry scenario = entry("30", KEY_TYPE_SCENARIO, std::vector<tKeyFrame>(256, frame("0x1", "Standard", "0", "")));
    EXPECT_FALSE(encodeScenarioKey(scenario, out, error));
    scenario.frames.resize(255);
    EXPECT_TRUE(encodeScenarioKey(scenario, out, error));

    CIgnition ignition;
    ignition.appendEntry(entry("2", KEY_TYPE_SCENARIO, std::vector<tKeyFrame>(11, frame("0x1", "Standard", "0", ""))));
    out = {0xEE};
    EXPECT_FALSE(encodeIgnitionList(ignition, out, error));
    EXPECT_EQ(out, Bytes{0xEE});
    EXPECT_NE(error.find("Ignition : 2"), std::string::npos);

    for (const tKeyFrame& bad : {frame("0x123456", "Standard", "0", ""), frame("0x1", "Standard", "2", "01"),
                                 frame("0xZZ", "Standard", "0", ""), frame("0x1", "Standard", "9", "")}) {
        CKeyMap list;
        list.appendEntry(entry("15", KEY_TYPE_SINGLE, {bad}));
        EXPECT_FALSE(encodeSingleKeyList(list, out, error)) << bad.messageId << " " << bad.messageLength;
    }
}

} // namespace
