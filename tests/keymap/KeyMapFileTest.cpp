#include "FakeDatabases.h"
#include "TestPaths.h"

#include "keymap/KeyMapFile.h"
#include "keymap/KeyMapReader.h"
#include "platform/ProgramFolder.h"
#include "platform/UserPrompt.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace kivplus;

namespace {

struct Lists {
    CKeyMap keyMap;
    CIgnition ignition;
    CProgressive progressive;
    CPanelLayout panel;
    KeyMapLists refs() { return {keyMap, ignition, progressive, panel}; }
};

tKeyFrame basicFrame(const std::string& id, const std::string& format, const std::string& length,
                     const std::string& data, const std::string& canCh)
{
    tKeyFrame f;
    f.canCh = canCh;
    f.messageId = id;
    f.messageFormat = format;
    f.messageLength = length;
    f.messageData = data;
    f.periodicInterval = "0";
    return f;
}

// One key of every kind, a stop frame, a Korean message name and a panel.
void fill(Lists& lists)
{
    tKeyEntry single;
    single.type = KEY_TYPE_SINGLE;
    single.name = "12";
    single.runTime = "5";
    single.sleepTime = "2";
    single.frames.push_back(basicFrame("0x1A0", "Standard", "2", "01 02", "3"));
    single.frames[0].messageName = "도어";
    single.frames[0].periodicInterval = "100";
    lists.keyMap.appendEntry(single);

    tKeyEntry scenario;
    scenario.type = KEY_TYPE_SCENARIO;
    scenario.name = "20";
    scenario.frames.push_back(basicFrame("0x7DF", "Standard", "3", "02 10 03", "1"));
    scenario.frames[0].periodicInterval = "50";
    scenario.frames[0].canFrameDelay = "120";
    scenario.frames.push_back(makeStopFrame(0, "1"));
    scenario.frames.push_back(basicFrame("0x18DAF110", "Extended", "0", "", "2"));
    scenario.frames[2].canFrameDelay = "60000";
    lists.keyMap.appendEntry(scenario);

    tKeyEntry acc;
    acc.type = KEY_TYPE_SCENARIO;
    acc.name = "1";
    acc.frames.push_back(basicFrame("0x100", "Standard", "1", "AA", "1"));
    acc.frames.push_back(basicFrame("0x101", "GMExtended", "1", "BB", "2"));
    for (auto& f : acc.frames)
        f.canFrameDelay = "0";
    acc.frames[1].periodicInterval = "1000";
    lists.ignition.appendEntry(acc);

    for (const char* endian : {"Motorola", "Intel"}) {
        tKeyEntry sweep;
        sweep.type = KEY_TYPE_PROGRESSIVE;
        sweep.name = endian[0] == 'M' ? "0" : "1";
        tKeyFrame f = basicFrame(endian[0] == 'M' ? "0x300" : "0x301", "Standard", "2", "11 22", "2");
        f.messageName = "Speed";
        f.periodicInterval = "100";
        f.signalName = "VehicleSpeed";
        f.startByte = "1";
        f.startBit = "7";
        f.signalLength = "8";
        f.signalType = "SNM";
        f.signalEndian = endian;
        f.progressiveMin = "0";
        f.progressiveMax = "FF";
        f.progressiveStep = "2";
        sweep.frames.push_back(f);
        lists.progressive.appendEntry(sweep);
    }

    lists.panel.setControlKey(CPanelLayout::kNormalControl, 1, 12);
    lists.panel.setControlKey(CPanelLayout::kProgressiveControl, 2, 0);
}

std::string frameFields(const tKeyFrame& f)
{
    std::ostringstream out;
    out << f.num << '|' << f.canCh << '|' << f.messageName << '|' << f.periodicInterval << '|' << f.messageId << '|'
        << f.messageFormat << '|' << f.messageData << '|' << f.messageLength << '|' << f.canFrameDelay << '|'
        << f.signalName << '|' << f.startByte << '|' << f.startBit << '|' << f.signalLength << '|' << f.signalType
        << '|' << f.signalEndian << '|' << f.progressiveMin << '|' << f.progressiveMax << '|' << f.progressiveStep;
    return out.str();
}

std::vector<std::string> listFields(const CKeyMap& list)
{
    std::vector<std::string> fields;
    for (const auto& e : list.entries()) {
        fields.push_back(std::to_string(e.type) + "|" + std::to_string(e.numberOfCanFrame) + "|" + e.name + "|"
                         + e.runTime + "|" + e.sleepTime);
        for (const auto& f : e.frames)
            fields.push_back(frameFields(f));
    }
    return fields;
}

std::string slurp(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const char* kMarkerStylesheet = R"xsl(<?xml version="1.0"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="xml" indent="yes"/>
  <xsl:template match="/"><xsl:comment>styled</xsl:comment><xsl:apply-templates/></xsl:template>
  <xsl:template match="@*|node()"><xsl:copy><xsl:apply-templates select="@*|node()"/></xsl:copy></xsl:template>
</xsl:stylesheet>
)xsl";

class KeyMapFile : public ::testing::Test {
protected:
    kivtest::TempDir dir;
    Lists lists;
    ChannelDatabaseNames names;
    std::filesystem::path target = dir / "a.kiv";
    std::filesystem::path noStylesheet;
};

} // namespace

TEST_F(KeyMapFile, RoundTripReproducesEveryFieldInInterfaceMode)
{
    fill(lists);
    ASSERT_TRUE(saveKeyMapFile(target.string(), lists.refs(), names, noStylesheet));
    Lists back;
    const KeyMapReadResult result = readKeyMapFile(target.string(), DeviceMode::Interface, back.refs());
    ASSERT_EQ(result.code, 0) << result.shownText();
    EXPECT_EQ(listFields(back.keyMap), listFields(lists.keyMap));
    EXPECT_EQ(listFields(back.ignition), listFields(lists.ignition));
    EXPECT_EQ(listFields(back.progressive), listFields(lists.progressive));
    EXPECT_EQ(back.panel.normalMap(), lists.panel.normalMap());
    EXPECT_EQ(back.panel.progressiveMap(), lists.panel.progressiveMap());
}

TEST_F(KeyMapFile, WritesTheDocumentInEucKrWithItsAttributeOrder)
{
    fill(lists);
    names.current = {"body.dbc", ""};
    names.recorded = {"old.dbc", "chassis.dbc"};
    ASSERT_TRUE(saveKeyMapFile(target.string(), lists.refs(), names, noStylesheet));
    const std::string bytes = slurp(target);

    EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"euc-kr\"?>\n<KIVPlus docVersion=\"1.0\">\n", 0), 0u);
    EXPECT_NE(bytes.find("\n  <DatabaseName can1=\"body.dbc\" can2=\"chassis.dbc\"/>\n  <KeyMap>\n"),
              std::string::npos);
    EXPECT_NE(bytes.find("<KeyNum name=\"12\" type=\"Single\" numberOfCanFrame=\"1\" runTime=\"5\" sleepTime=\"2\">"),
              std::string::npos);
    EXPECT_NE(bytes.find("<CanFrame num=\"0\" messageName=\"\xB5\xB5\xBE\xEE\" canCh=\"1,2\" messageId=\"0x1A0\" "
                         "messageFormat=\"Standard\" messageLength=\"2\" messageData=\"01 02\" "
                         "periodicInterval=\"100\"/>"),
              std::string::npos);
    EXPECT_EQ(bytes.find("도어"), std::string::npos); // no UTF-8 on disk
    EXPECT_NE(bytes.find("<CanFrame num=\"1\" messageName=\"Stop Periodic Message\" canCh=\"1\" messageId=\"0x0\" "
                         "messageFormat=\"Standard\" messageLength=\"1\" messageData=\"0\" periodicInterval=\"0\" "
                         "canFrameDelay=\"0\"/>"),
              std::string::npos);
    EXPECT_NE(bytes.find("<Ignition type=\"Acc\" numberOfCanFrame=\"2\">"), std::string::npos);
    EXPECT_NE(bytes.find("<KeyNum name=\"0\" type=\"Progressive\" numberOfCanFrame=\"1\">"), std::string::npos);
    EXPECT_NE(bytes.find("<CanFrame num=\"0\" canCh=\"2\" messageName=\"Speed\" messageId=\"0x300\" "
                         "messageFormat=\"Standard\" messageLength=\"2\" messageData=\"11 22\" periodicInterval=\"100\" "
                         "signalName=\"VehicleSpeed\" startByte=\"1\" startBit=\"7\" signalLength=\"8\" "
                         "signalType=\"SNM\" signalEndian=\"Motorola\" progressiveMin=\"0\" progressiveMax=\"FF\" "
                         "progressiveStep=\"2\"/>"),
              std::string::npos);
    EXPECT_NE(bytes.find("<Panel>\n    <Control controlType=\"Normal\" controlNumber=\"1\">\n      "
                         "<KeyNum>12</KeyNum>\n    </Control>\n    <Control controlType=\"Progressive\" "
                         "controlNumber=\"2\">\n      <KeyNum>0</KeyNum>"),
              std::string::npos);

    Lists back;
    ASSERT_EQ(readKeyMapFile(target.string(), DeviceMode::Interface, back.refs()).code, 0);
    EXPECT_EQ(back.keyMap.findKey("12")->frames[0].messageName, "도어");
}

TEST_F(KeyMapFile, TextsOutsideEucKrSurviveAsCharacterReferences)
{
    fill(lists);
    lists.keyMap.findKey("12")->frames[0].messageName = "Door € 😀 <&\"'>";
    ASSERT_TRUE(saveKeyMapFile(target.string(), lists.refs(), names, noStylesheet));
    Lists back;
    ASSERT_EQ(readKeyMapFile(target.string(), DeviceMode::Interface, back.refs()).code, 0);
    EXPECT_EQ(back.keyMap.findKey("12")->frames[0].messageName, "Door € 😀 <&\"'>");
}

TEST_F(KeyMapFile, EmptyListsStillWriteEverySection)
{
    ASSERT_TRUE(saveKeyMapFile(target.string(), lists.refs(), names, noStylesheet));
    EXPECT_EQ(slurp(target), "<?xml version=\"1.0\" encoding=\"euc-kr\"?>\n<KIVPlus docVersion=\"1.0\">\n"
                             "  <DatabaseName can1=\"\" can2=\"\"/>\n  <KeyMap/>\n  <IgnitionList/>\n"
                             "  <ProgressiveKey/>\n  <Panel/>\n</KIVPlus>\n");
}

TEST_F(KeyMapFile, ASuccessfulSaveClearsModifiedAndAFailedOneDoesNot)
{
    fill(lists);
    lists.keyMap.setModified(true);
    lists.ignition.setModified(true);
    lists.progressive.setModified(true);
    EXPECT_FALSE(saveKeyMapFile((dir / "missing" / "a.kiv").string(), lists.refs(), names, noStylesheet));
    EXPECT_TRUE(lists.keyMap.modified());
    EXPECT_TRUE(lists.progressive.modified());

    ASSERT_TRUE(saveKeyMapFile(target.string(), lists.refs(), names, noStylesheet));
    EXPECT_FALSE(lists.keyMap.modified());
    EXPECT_FALSE(lists.ignition.modified());
    EXPECT_FALSE(lists.progressive.modified());
}

TEST_F(KeyMapFile, SaveReplacesTheTargetWholeAndLeavesNoTemporaryFile)
{
    std::ofstream(target) << "old content";
    fill(lists);
    ASSERT_TRUE(saveKeyMapFile(target.string(), lists.refs(), names, noStylesheet));
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        files.push_back(entry.path().filename().string());
    EXPECT_EQ(files, std::vector<std::string>{"a.kiv"});
    EXPECT_EQ(slurp(target).rfind("<?xml", 0), 0u);

    // A target that cannot be replaced keeps its content.
    const auto folderTarget = dir / "folder.kiv";
    std::filesystem::create_directory(folderTarget);
    std::ofstream(folderTarget / "inside") << "x";
    EXPECT_FALSE(saveKeyMapFile(folderTarget.string(), lists.refs(), names, noStylesheet));
    EXPECT_TRUE(std::filesystem::is_directory(folderTarget));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST_F(KeyMapFile, BackupIsMadeOnceAndNeverOverwritten)
{
    EXPECT_EQ(keyMapBackupPath("/maps/x.kiv"), "/maps/x.bak");
    EXPECT_EQ(keyMapBackupPath("/maps/x.KIV"), "/maps/x.bak");
    EXPECT_EQ(keyMapBackupPath("/maps/키.키키키"), "/maps/키.bak");

    EXPECT_TRUE(backupKeyMapFile(target.string())); // nothing to back up yet
    EXPECT_FALSE(std::filesystem::exists(dir / "a.bak"));
    std::ofstream(target) << "first";
    EXPECT_TRUE(backupKeyMapFile(target.string()));
    EXPECT_EQ(slurp(dir / "a.bak"), "first");
    std::ofstream(target) << "second";
    EXPECT_TRUE(backupKeyMapFile(target.string()));
    EXPECT_EQ(slurp(dir / "a.bak"), "first");
}

TEST_F(KeyMapFile, AppliesTheIndentStylesheetWhenThereIsOne)
{
    const auto stylesheet = dir / "indent.xsl";
    std::ofstream(stylesheet) << kMarkerStylesheet;
    fill(lists);
    ASSERT_TRUE(saveKeyMapFile(target.string(), lists.refs(), names, stylesheet));
    const std::string bytes = slurp(target);
    EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"euc-kr\"?>\n<!--styled-->", 0), 0u);
    EXPECT_NE(bytes.find("\xB5\xB5\xBE\xEE"), std::string::npos);
    Lists back;
    ASSERT_EQ(readKeyMapFile(target.string(), DeviceMode::Interface, back.refs()).code, 0);
    EXPECT_EQ(listFields(back.keyMap), listFields(lists.keyMap));
}

TEST_F(KeyMapFile, TheStylesheetMayNotWriteFiles)
{
    const auto stylesheet = dir / "indent.xsl";
    const auto escaped = dir / "escaped.txt";
    std::ofstream(stylesheet) << R"(<?xml version="1.0"?>
<xsl:stylesheet version="1.1" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:template match="/">
    <xsl:document href=")" << escaped.string() << R"(" method="text">written</xsl:document>
    <xsl:copy-of select="."/>
  </xsl:template>
</xsl:stylesheet>
)";
    fill(lists);
    ASSERT_TRUE(saveKeyMapFile(target.string(), lists.refs(), names, stylesheet));
    EXPECT_FALSE(std::filesystem::exists(escaped));
    Lists back;
    EXPECT_EQ(readKeyMapFile(target.string(), DeviceMode::Interface, back.refs()).code, 0);
}

TEST_F(KeyMapFile, TheStylesheetIsLookedForBesideTheProgramNeverInTheWorkingDirectory)
{
    EXPECT_EQ(defaultIndentStylesheet(), programFolder() / "res" / "indent.xsl");
    EXPECT_FALSE(programFolder().empty());

    std::filesystem::create_directory(dir / "res");
    std::ofstream(dir / "res" / "indent.xsl") << kMarkerStylesheet;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    const bool saved = saveKeyMapFile(target.string(), lists.refs(), names, "res/indent.xsl")
                       && saveKeyMapFile((dir / "b.kiv").string(), lists.refs(), names);
    std::filesystem::current_path(previous);
    ASSERT_TRUE(saved);
    EXPECT_EQ(slurp(target).find("styled"), std::string::npos);
    EXPECT_EQ(slurp(dir / "b.kiv").find("styled"), std::string::npos);
}

TEST_F(KeyMapFile, LoadAsksWhenTheDatabasesDifferAndReportsFailures)
{
    fill(lists);
    names.current = {"body.dbc", "chassis.dbc"};
    ASSERT_TRUE(saveKeyMapFile(target.string(), lists.refs(), names, noStylesheet));

    Lists other;
    other.keyMap.appendEntry(lists.keyMap.entries()[0]);
    ChannelDatabaseNames otherNames;
    otherNames.current = {"", "powertrain.dbc"};
    ScriptedPrompt prompt;
    prompt.answers = {UserPrompt::Answer::No};
    EXPECT_FALSE(loadKeyMapFile(target.string(), DeviceMode::Interface, other.refs(), otherNames, nullptr, prompt));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].kind, ScriptedPrompt::Shown::Question);
    EXPECT_EQ(prompt.shown[0].text,
              "Database Name이 현재 사용중인 Database Name과 다릅니다. Message Name은 현재의 Database(DBC)를 기준으로 "
              "적용됩니다. \n계속 하시겠습니까?");
    EXPECT_EQ(other.keyMap.count(), 1);

    std::ofstream(dir / "bad.kiv") << "<KIVPlus docVersion=\"1.0\"><KeyMap><KeyNum type=\"Single\"/></KeyMap></KIVPlus>";
    EXPECT_FALSE(loadKeyMapFile((dir / "bad.kiv").string(), DeviceMode::Interface, other.refs(), otherNames, nullptr,
                                prompt));
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[1].kind, ScriptedPrompt::Shown::Error);
    EXPECT_EQ(prompt.shown[1].text, "<KeyMap>\nKeyNum - name이 없습니다.잘못된 KeyMap파일 입니다.");
    EXPECT_EQ(other.keyMap.count(), 1);
}

TEST_F(KeyMapFile, LoadTakesOverDatabaseNamesAndResolvesMessageNames)
{
    fill(lists);
    names.current = {"body.dbc", "chassis.dbc"};
    ASSERT_TRUE(saveKeyMapFile(target.string(), lists.refs(), names, noStylesheet));

    keymaptest::FakeDatabases databases;
    databases.addMessage(1, 0x7DF, false, "DiagRequest");
    databases.addMessage(2, 0x300, false, "VehicleSpeedMsg");
    databases.loaded = {1};
    Lists back;
    back.keyMap.setModified(true);
    ChannelDatabaseNames backNames;
    backNames.current = {"body.dbc", ""};
    ScriptedPrompt prompt;
    ASSERT_TRUE(loadKeyMapFile(target.string(), DeviceMode::Interface, back.refs(), backNames, &databases, prompt));
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(backNames.recorded, (std::array<std::string, 2>{"body.dbc", "chassis.dbc"}));
    EXPECT_FALSE(back.keyMap.modified());
    const auto& scenario = back.keyMap.findKey("20")->frames;
    EXPECT_EQ(scenario[0].messageName, "DiagRequest");
    EXPECT_EQ(scenario[1].messageName, "Stop Periodic Message");
    EXPECT_EQ(scenario[2].messageName, ""); // channel 2 has no database: kept as read (empty)
    EXPECT_EQ(back.keyMap.findKey("12")->frames[0].messageName, "도어"); // both channels
    EXPECT_EQ(back.progressive.findKey("0")->frames[0].messageName, "Speed"); // CAN 2 not loaded
}

TEST(KeyMapXmlSupport, TheEucKrEncoderIsThere) { EXPECT_TRUE(checkXmlSupport()); }
