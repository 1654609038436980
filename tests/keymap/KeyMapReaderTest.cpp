#include "KeyMapDocs.h"
#include "TestPaths.h"

#include "keymap/KeyMapReader.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace kivplus;
using namespace keymaptest;

namespace {

const std::string kInvalid = "잘못된 KeyMap파일 입니다.";
const std::string kKey12 = "<KeyMap>\n KeyNum : 12\n";
const std::string kKey20 = "<KeyMap>\n KeyNum : 20\n";
const std::string kIgnitionAcc = "<Ignition>\n Ignition : Acc\n";
const std::string kProgressive1 = "<ProgressiveKey>\n KeyNum : 1\n";
constexpr auto kConfig = DeviceMode::Configuration;
constexpr auto kInterface = DeviceMode::Interface;

struct Lists {
    CKeyMap keyMap;
    CIgnition ignition;
    CProgressive progressive;
    CPanelLayout panel;
    KeyMapLists refs() { return {keyMap, ignition, progressive, panel}; }
};

class KeyMapReader : public ::testing::Test {
protected:
    KeyMapReadResult read(const std::string& content, DeviceMode mode)
    {
        const auto path = dir / "map.kiv";
        std::ofstream(path, std::ios::binary) << content;
        return readKeyMapFile(path.string(), mode, lists.refs());
    }

    kivtest::TempDir dir;
    Lists lists;
};

struct Case {
    const char* what;
    DeviceMode mode;
    std::string file;
    int code;
    std::string shown;
};

std::string keyMap(const std::vector<std::string>& keys) { return document(section("KeyMap", keys)); }

std::vector<Case> keyMapCases()
{
    const std::string periodic = frameXml({{"periodicInterval", "50"}});
    const Attrs stopAttrs = {{"num", "1"}, {"messageName", "Stop Periodic Message"}, {"messageLength", "1"},
                             {"messageData", "2"}};
    const std::string stop = frameXml(stopAttrs);
    Attrs notStopAttrs = stopAttrs;
    notStopAttrs[1].second = "Engine";
    const std::string notStop = frameXml(notStopAttrs);
    return {
        {"not xml", kConfig, "this is no key map", 110, kInvalid},
        {"empty root", kConfig, document(""), 0, ""},
        {"name missing", kConfig, keyMap({keyXml({{"name", std::nullopt}})}), 110,
         "<KeyMap>\nKeyNum - name이 없습니다." + kInvalid},
        {"name blank", kConfig, keyMap({keyXml({{"name", ""}})}), 13, "<KeyMap>\nKeyNum이 공백입니다"},
        {"name 9", kConfig, keyMap({keyXml({{"name", "9"}})}), 13,
         "<KeyMap>\nKeyNum이 10에서 99사이를 벗어난 값이 있습니다."},
        {"name 100", kConfig, keyMap({keyXml({{"name", "100"}})}), 13,
         "<KeyMap>\nKeyNum이 10에서 99사이를 벗어난 값이 있습니다."},
        {"duplicate name", kConfig,
         keyMap({keyXml({}), keyXml({}, {frameXml({{"messageId", "0x101"}})})}), 13,
         kKey12 + "중복된 KeyNum이 있습니다.KeyNum : 12"},
        {"type missing", kConfig, keyMap({keyXml({{"type", std::nullopt}})}), 110, kKey12 + kInvalid},
        {"type unknown", kConfig, keyMap({keyXml({{"type", "Macro"}})}), 13,
         kKey12 + "KeyType은 Single 또는 Scenario이어야 합니다"},
        {"count missing", kConfig, keyMap({keyXml({{"numberOfCanFrame", std::nullopt}})}), 110, kKey12 + kInvalid},
        {"count zero", kConfig, keyMap({keyXml({{"numberOfCanFrame", "0"}})}), 13,
         kKey12 + "NumberOfCanFrame의 값은 공백이나 0이 올 수 없습니다."},
        {"single with two frames", kConfig, keyMap({keyXml({}, {frameXml(), frameXml({{"num", "1"}})})}), 13,
         kKey12 + "SingleType Message는 한개의 CanFrame을 가집니다."},
        {"count mismatch", kConfig,
         keyMap({keyXml({{"name", "20"}, {"type", "Scenario"}, {"numberOfCanFrame", "3"}},
                        {frameXml(), frameXml({{"num", "1"}})})}),
         13, kKey20 + "Number Of CanFrame값과 CanFrame Element의 개수가 맞지 않습니다"},
        {"51 frames for the device", kConfig, keyMap({scenarioXml("20", 51)}), 13,
         kKey20 + "CanFrame은 50개까지 지원합니다."},
        {"51 frames from the PC", kInterface, keyMap({scenarioXml("20", 51)}), 0, ""},
        {"50 frames for the device", kConfig, keyMap({scenarioXml("20", 50)}), 0, ""},
        {"frame num missing", kConfig, keyMap({keyXml({}, {frameXml({{"num", std::nullopt}})})}), 110,
         kKey12 + kInvalid},
        {"channel missing", kConfig, keyMap({keyXml({}, {frameXml({{"canCh", std::nullopt}})})}), 110,
         kKey12 + kInvalid},
        {"data missing", kConfig, keyMap({keyXml({}, {frameXml({{"messageData", std::nullopt}})})}), 110,
         kKey12 + kInvalid},
        {"identifier blank", kConfig, keyMap({keyXml({}, {frameXml({{"messageId", ""}})})}), 13,
         kKey12 + "공백인 데이터가 있습니다."},
        {"length blank", kConfig, keyMap({keyXml({}, {frameXml({{"messageLength", ""}})})}), 13,
         kKey12 + "공백인 데이터가 있습니다."},
        {"identifier too large", kConfig, keyMap({keyXml({}, {frameXml({{"messageId", "0x800"}})})}), 13,
         kKey12 + "Message Id 0x800\n잘못된 Message Data가 있습니다."},
        {"data short", kConfig, keyMap({keyXml({}, {frameXml({{"messageData", "01"}})})}), 13,
         kKey12 + "Message Data 01\n잘못된 Message Data가 있습니다."},
        {"stop frame", kInterface, keyMap({keyXml({{"name", "20"}, {"type", "Scenario"}}, {periodic, stop})}), 0, ""},
        {"stop frame data under another name", kInterface,
         keyMap({keyXml({{"name", "20"}, {"type", "Scenario"}}, {periodic, notStop})}), 13,
         kKey20 + "Message Data 2\n잘못된 Message Data가 있습니다."},
        {"duplicate single frames", kConfig,
         keyMap({keyXml({}, {frameXml({{"messageId", "0x1a"}, {"messageData", "01 aa"}})}),
                 keyXml({{"name", "13"}}, {frameXml({{"messageId", "0x1A"}, {"messageData", "01 AA"}})})}),
         13, "<KeyMap>\n KeyNum : 13\n중복된 데이터가 있습니다."},
        {"same frames in scenario keys", kConfig, keyMap({scenarioXml("20", 2), scenarioXml("21", 2)}), 0, ""},
        {"interval 60000", kConfig, keyMap({keyXml({}, {frameXml({{"periodicInterval", "60000"}})})}), 0, ""},
        {"interval 60001", kConfig, keyMap({keyXml({}, {frameXml({{"periodicInterval", "60001"}})})}), 13,
         kKey12 + "Periodic Interval의 값은 60000보다 작아야 합니다"},
        {"delay 60000", kConfig, keyMap({scenarioXml("20", 1, {{"canFrameDelay", "60000"}})}), 0, ""},
        {"delay 60001", kConfig, keyMap({scenarioXml("20", 1, {{"canFrameDelay", "60001"}})}), 13,
         kKey20 + "CanFrame Delay의 값은 60000보다 작아야 합니다"},
        {"delay missing", kConfig, keyMap({scenarioXml("20", 1, {{"canFrameDelay", std::nullopt}})}), 110,
         kKey20 + kInvalid},
        {"periodic scenario for the device", kConfig,
         keyMap({scenarioXml("20", 1, {{"periodicInterval", "100"}})}), 13,
         kKey20 + "KIV Setting Mode에서는 Scenario에 Periodic Interval값이 올 수 없습니다"},
        {"periodic scenario from the PC", kInterface, keyMap({scenarioXml("20", 1, {{"periodicInterval", "100"}})}),
         0, ""},
        {"periodic single for the device", kConfig,
         keyMap({keyXml({}, {frameXml({{"periodicInterval", "100"}})})}), 0, ""},
    };
}

std::string ignitions(const std::vector<std::string>& items) { return document(section("IgnitionList", items)); }

std::string progressives(const std::vector<std::string>& items)
{
    return document(section("ProgressiveKey", items));
}

std::string panel(const std::vector<std::string>& items) { return document(section("Panel", items)); }

std::vector<Case> otherSectionCases()
{
    std::vector<std::string> elevenFrames(11, frameXml());
    return {
        {"ignition type missing", kConfig, ignitions({ignitionXml({{"type", std::nullopt}})}), 110,
         "<Ignition>\nIgnition - type이 없습니다." + kInvalid},
        {"ignition type unknown", kConfig, ignitions({ignitionXml({{"type", "Start"}})}), 13,
         "<Ignition>\n잘못된 Ignition Type이 있습니다"},
        {"ignition count zero", kConfig, ignitions({ignitionXml({{"numberOfCanFrame", "0"}})}), 13,
         kIgnitionAcc + "NumberOfCanFrame의 값은 공백이나 0이 올 수 없습니다."},
        {"eleven ignition frames for the device", kConfig, ignitions({ignitionXml({}, elevenFrames)}), 13,
         kIgnitionAcc + "Ignition Message는 10개까지 지원합니다."},
        {"eleven ignition frames from the PC", kInterface, ignitions({ignitionXml({}, elevenFrames)}), 0, ""},
        {"ignition interval 60001", kConfig,
         ignitions({ignitionXml({}, {frameXml({{"periodicInterval", "60001"}})})}), 13,
         kIgnitionAcc + "Periodic Interval의 값은 60000보다 작아야 합니다"},
        {"ignition bad identifier", kConfig, ignitions({ignitionXml({}, {frameXml({{"messageId", "0xFFF"}})})}),
         13, kIgnitionAcc + "Message Id 0xFFF\n잘못된 Message Data가 있습니다."},
        {"progressive name missing", kConfig, progressives({progressiveXml({{"name", std::nullopt}})}), 110,
         "<ProgressiveKey>\n" + kInvalid},
        {"progressive name 100", kConfig, progressives({progressiveXml({{"name", "100"}})}), 13,
         "<ProgressiveKey>\nKeyNum이 0에서 99사이를 벗어난 값이 있습니다."},
        {"progressive type", kConfig, progressives({progressiveXml({{"type", "Single"}})}), 13,
         kProgressive1 + "잘못된 KeyNum 타입입니다."},
        {"progressive two frames", kConfig,
         progressives({progressiveXml({}, {progressiveFrameXml(), progressiveFrameXml()})}), 13,
         kProgressive1 + "Progressive Message는 한개의 CanFrame을 가집니다."},
        {"progressive signal missing", kConfig,
         progressives({progressiveXml({}, {progressiveFrameXml({{"signalName", std::nullopt}})})}), 110,
         kProgressive1 + kInvalid},
        {"progressive endian optional", kConfig,
         progressives({progressiveXml({}, {progressiveFrameXml({{"signalEndian", std::nullopt}})})}), 0, ""},
        {"progressive interval blank", kConfig,
         progressives({progressiveXml({}, {progressiveFrameXml({{"periodicInterval", ""}})})}), 13,
         kProgressive1 + "Periodic Interval은 공백이 올 수 없습니다"},
        {"progressive stop frame is checked", kConfig,
         progressives({progressiveXml({}, {progressiveFrameXml({{"messageName", "Stop Periodic Message"},
                                                                {"messageData", "2"}})})}),
         13, kProgressive1 + "Message Data 2\n잘못된 Message Data가 있습니다."},
        {"progressive duplicate name", kConfig,
         progressives({progressiveXml({}), progressiveXml({}, {progressiveFrameXml({{"messageId", "0x301"}})})}),
         13, kProgressive1 + "중복된 KeyNum이 있습니다."},
        {"progressive data differs inside the signal", kConfig,
         progressives({progressiveXml({}),
                       progressiveXml({{"name", "2"}}, {progressiveFrameXml({{"messageData", "11 99"}})})}),
         13,
         "<ProgressiveKey>\n KeyNum : 2\n중복된 데이터가 있습니다.\nCanFrame Data : 0x300 11 99, StartByte : 1, "
         "StartBit : 7"},
        {"progressive data differs outside the signal", kConfig,
         progressives({progressiveXml({}),
                       progressiveXml({{"name", "2"}}, {progressiveFrameXml({{"messageData", "12 22"}})})}),
         0, ""},
        {"progressive on another channel", kConfig,
         progressives({progressiveXml({}), progressiveXml({{"name", "2"}}, {progressiveFrameXml({{"canCh", "2"}})})}),
         0, ""},
        {"control type missing", kConfig, panel({controlXml({{"controlType", std::nullopt}})}), 110,
         "<Panel>\nPanel - Control Type이 없습니다." + kInvalid},
        {"control type blank", kConfig, panel({controlXml({{"controlType", ""}})}), 13,
         "<Panel>\n공백인 데이터가 있습니다."},
        {"control number missing", kConfig, panel({controlXml({{"controlNumber", std::nullopt}})}), 110,
         "<Panel>\n" + kInvalid},
        {"control number not a number", kConfig, panel({controlXml({{"controlNumber", "x1"}})}), 110,
         "<Panel>\n" + kInvalid},
        {"control type unknown", kConfig, panel({controlXml({{"controlType", "Dial"}})}), 13,
         "<Panel>\nControlType은 Normal 또는 Progressive이어야 합니다"},
    };
}

std::vector<Case> legacyCases()
{
    auto legacyKey = [](const std::optional<std::string>& data) {
        return document(section("KeyMap", {keyXml({}, {element("CanFrame",
                                                                {{"num", "0"}, {"canNum", "2"},
                                                                 {"canFrameData", data},
                                                                 {"periodicInterval", "0"}},
                                                                {})})}),
                        std::nullopt);
    };
    return {
        {"legacy frame", kConfig, legacyKey("7DF 0 0 2 01 02"), 0, ""},
        {"legacy data missing", kConfig, legacyKey(std::nullopt), 110, kKey12 + kInvalid},
        {"legacy data empty", kConfig, legacyKey(""), 13, kKey12 + "공백인 데이터가 있습니다."},
        {"legacy three tokens", kConfig, legacyKey("7DF 0 0"), 110, kKey12 + kInvalid},
        {"legacy fewer data tokens than its length", kConfig, legacyKey("7DF 0 0 3 01 02"), 110, kKey12 + kInvalid},
        {"legacy length beyond 8", kConfig, legacyKey("7DF 0 0 9 1 2 3 4 5 6 7 8 9"), 13,
         kKey12 + "Message Data 1 2 3 4 5 6 7 8 9\n잘못된 Message Data가 있습니다."},
        {"legacy file with modern attributes", kConfig, document(section("KeyMap", {keyXml({})}), "2.0"), 110,
         kKey12 + kInvalid},
    };
}

} // namespace

TEST_F(KeyMapReader, AnswersEveryCheckWithItsCodeAndText)
{
    for (const auto& cases : {keyMapCases(), otherSectionCases(), legacyCases()}) {
        for (const auto& c : cases) {
            Lists fresh;
            const auto path = dir / "map.kiv";
            std::ofstream(path, std::ios::binary | std::ios::trunc) << c.file;
            const KeyMapReadResult result = readKeyMapFile(path.string(), c.mode, fresh.refs());
            EXPECT_EQ(result.code, c.code) << c.what;
            EXPECT_EQ(result.shownText(), c.shown) << c.what;
        }
    }
}

TEST_F(KeyMapReader, KeepsTheTextsAndNumbersFramesInFileOrder)
{
    const std::string file = document(
        section("KeyMap",
                {keyXml({{"name", "13"}, {"type", "Sequence"}, {"runTime", "5"}, {"sleepTime", "0"}},
                        {frameXml({{"num", "7"}, {"canCh", "1,2"}, {"messageData", "0a 0B"}}),
                         frameXml({{"num", "3"}, {"messageId", "0x101"}})}),
                 keyXml({{"runTime", "5"}, {"sleepTime", "2"}}, {frameXml({{"messageId", "0x200"}})})})
        + section("IgnitionList", {ignitionXml({{"type", "Crank"}}, {frameXml({{"num", std::nullopt}}),
                                                                     frameXml({{"periodicInterval", std::nullopt}})})})
        + section("Panel", {"<Control controlType=\"Normal\" controlNumber=\" 4\">\n  <KeyNum>13</KeyNum>\n</Control>",
                            controlXml({{"controlType", "Progressive"}, {"controlNumber", "2"}}, "1"),
                            controlXml({{"controlNumber", "4"}}, "12"), "<Control controlType=\"Normal\" "
                                                                        "controlNumber=\"9\"/>"}));
    ASSERT_EQ(read(file, kInterface).code, 0);

    const tKeyEntry* scenario = lists.keyMap.findKey("13");
    ASSERT_NE(scenario, nullptr);
    EXPECT_EQ(scenario->type, KEY_TYPE_SCENARIO);
    EXPECT_EQ(scenario->runTime, ""); // only a pair of non-zero values is kept
    EXPECT_EQ(scenario->frames[0].num, 0);
    EXPECT_EQ(scenario->frames[1].num, 1);
    EXPECT_EQ(scenario->frames[0].canCh, "3");
    EXPECT_EQ(scenario->frames[0].messageData, "0a 0B");
    EXPECT_EQ(scenario->frames[1].messageId, "0x101");
    EXPECT_EQ(scenario->runnerStatus.expanded, 0);
    const tKeyEntry* single = lists.keyMap.findKey("12");
    EXPECT_EQ(single->runTime, "5");
    EXPECT_EQ(single->sleepTime, "2");
    EXPECT_EQ(single->frames[0].canFrameDelay, "");

    const tKeyEntry* crank = lists.ignition.findKey("3");
    ASSERT_NE(crank, nullptr);
    EXPECT_EQ(crank->runnerStatus.expanded, 1);
    EXPECT_EQ(crank->frames[1].num, 1);
    EXPECT_EQ(crank->frames[1].periodicInterval, "0");
    EXPECT_EQ(crank->frames[0].canFrameDelay, "0");

    EXPECT_EQ(lists.panel.getControlKey(CPanelLayout::kNormalControl, 4), 12); // a later control replaces
    EXPECT_EQ(lists.panel.getControlKey(CPanelLayout::kProgressiveControl, 2), 1);
    EXPECT_EQ(lists.panel.getControlKey(CPanelLayout::kNormalControl, 9), -1);
    EXPECT_FALSE(lists.keyMap.modified());

    // In Configuration Mode the run rhythm is never kept.
    ASSERT_EQ(read(file, kConfig).code, 0);
    EXPECT_EQ(lists.keyMap.findKey("12")->runTime, "");
}

TEST_F(KeyMapReader, ReadsTheLegacyForm)
{
    const std::string file = document(
        section("KeyMap", {keyXml({}, {element("CanFrame",
                                               {{"num", "0"}, {"canNum", "2"}, {"canFrameData", "7DF 0 0 2 01 02"}},
                                               {})}),
                           keyXml({{"name", "13"}}, {element("CanFrame",
                                                             {{"num", "0"}, {"canNum", "1,2"},
                                                              {"canFrameData", "18DAF110  9 1  0"}},
                                                             {})})})
            + section("ProgressiveKey",
                      {progressiveXml({{"name", "456"}},
                                      {element("CanFrame",
                                               {{"num", "0"}, {"canNum", "1"}, {"canFrameData", "300 0 0 1 AB"},
                                                {"periodicInterval", "10"}, {"signalName", "S"}, {"startByte", "0"},
                                                {"startBit", "0"}, {"signalLength", "4"}, {"signalType", ""},
                                                {"progressiveMin", "0"}, {"progressiveMax", "F"},
                                                {"progressiveStep", "1"}},
                                               {})})}),
        "0.9");
    ASSERT_EQ(read(file, kConfig).code, 0);
    const tKeyFrame& standard = lists.keyMap.findKey("12")->frames[0];
    EXPECT_EQ(standard.canCh, "2");
    EXPECT_EQ(standard.messageId, "7DF");
    EXPECT_EQ(standard.messageFormat, "Standard");
    EXPECT_EQ(standard.messageLength, "2");
    EXPECT_EQ(standard.messageData, "01 02");
    const tKeyFrame& extended = lists.keyMap.findKey("13")->frames[0];
    EXPECT_EQ(extended.messageFormat, "Extended");
    EXPECT_EQ(extended.messageLength, "0");
    EXPECT_EQ(extended.messageData, "");
    EXPECT_EQ(extended.canCh, "3");
    ASSERT_NE(lists.progressive.findKey("1"), nullptr);
    EXPECT_EQ(lists.progressive.findKey("1")->frames[0].messageData, "AB");
}

TEST_F(KeyMapReader, AFailedLoadChangesNothing)
{
    const std::string good = document(section("KeyMap", {keyXml({})}) + section("IgnitionList", {ignitionXml({})})
                                      + section("ProgressiveKey", {progressiveXml({})})
                                      + section("Panel", {controlXml({})}));
    ASSERT_EQ(read(good, kConfig).code, 0);
    lists.keyMap.setModified(true);
    lists.ignition.deleteKey("1");

    // Every section reads fine except the last one.
    const std::string bad = document(section("KeyMap", {scenarioXml("20", 2)}) + section("IgnitionList", {})
                                     + section("ProgressiveKey", {}) + section("Panel", {controlXml({{"controlType", "Dial"}})}));
    ASSERT_EQ(read(bad, kConfig).code, 13);
    ASSERT_EQ(lists.keyMap.count(), 1);
    EXPECT_NE(lists.keyMap.findKey("12"), nullptr);
    EXPECT_TRUE(lists.keyMap.modified());
    EXPECT_EQ(lists.ignition.count(), 0);
    EXPECT_TRUE(lists.ignition.modified());
    EXPECT_EQ(lists.progressive.count(), 1);
    EXPECT_FALSE(lists.progressive.modified());
    EXPECT_EQ(lists.panel.getControlKey(CPanelLayout::kNormalControl, 1), 12);
    EXPECT_EQ(lists.keyMap.staging(), nullptr);

    // A later successful load does not pick up what the failed one staged.
    ASSERT_EQ(read(document(section("Panel", {controlXml({{"controlNumber", "2"}})})), kConfig).code, 0);
    EXPECT_EQ(lists.panel.getControlKey(CPanelLayout::kNormalControl, 1), -1);
    EXPECT_EQ(lists.panel.getControlKey(CPanelLayout::kNormalControl, 2), 12);
    EXPECT_EQ(lists.keyMap.count(), 0);
}

TEST_F(KeyMapReader, ReadsDatabaseNames)
{
    const auto path = dir / "names.kiv";
    std::ofstream(path) << document("<DatabaseName can1=\"body.dbc\"/>");
    EXPECT_EQ(readDatabaseNames(path.string()), (std::array<std::string, 2>{"body.dbc", ""}));
    EXPECT_EQ(readDatabaseNames((dir / "missing.kiv").string()), (std::array<std::string, 2>{}));
}
