#include "database/CMsgSignal.h"
#include "database/DbcParser.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

using namespace kivplus;

namespace {

// A database as tools write it: every section, CRLF line ends, tabs, a
// comment over several lines with escaped quotes, sections we do not know.
const char* const kDatabase =
    "VERSION \"1.0\"\r\n"
    "\r\n"
    "NS_ :\r\n"
    "\tNS_DESC_\r\n"
    "\tCM_\r\n"
    "\tBA_DEF_\r\n"
    "\tVAL_\r\n"
    "\r\n"
    "BS_:\r\n"
    "\r\n"
    "BU_: ECU1 ECU2\r\n"
    "VAL_TABLE_ OnOff 1 \"On\" 0 \"Off\" ;\r\n"
    "\r\n"
    "BO_ 291 Engine: 8 ECU1\r\n"
    " SG_ Speed : 0|16@1+ (0.01,0) [0|655.35] \"km/h\" ECU2\r\n"
    " SG_ Temp : 23|8@0- (1,-40) [-40|215] \"\xB0""C\" ECU2,ECU1\r\n"
    " SG_ Mode M : 32|2@1+ (1,0) [0|3] \"\" ECU2\r\n"
    " SG_ ModeA m0 : 34|6@1+ (1,0) [0|0] \"\" ECU2\r\n"
    "\r\n"
    "BO_ 2147483898 Extended: 64 ECU2\r\n"
    "\tSG_ Wide : 400|64@1+ (1,0) [0|0] \"\" ECU1\r\n"
    "\r\n"
    "BO_ 4095 Masked: 2 ECU1\r\n"
    "\r\n"
    "BO_TX_BU_ 291 : ECU1,ECU2;\r\n"
    "EV_ Env1: 0 [0|100] \"\" 0 1 DUMMY_NODE_VECTOR0 ECU1;\r\n"
    "ENVVAR_DATA_ Env1: 4;\r\n"
    "SGTYPE_ Foo : 8@1+ (1,0) [0|0] \"\" 0 Bar;\r\n"
    "CM_ \"network comment\";\r\n"
    "CM_ SG_ 291 Speed \"a comment \\\"quoted\\\"\r\nover two lines\";\r\n"
    "CM_ BO_ 291 \"engine\";\r\n"
    "BA_DEF_ BO_ \"GenMsgCycleTime\" INT 0 10000;\r\n"
    "BA_DEF_ BO_ \"Prio\" INT 0 7;\r\n"
    "BA_DEF_ SG_ \"SignalType\" STRING ;\r\n"
    "BA_DEF_ \"UseGMParameterIDs\" INT 0 1;\r\n"
    "BA_DEF_ BU_ \"NodeLayer\" ENUM \"A\",\"B\";\r\n"
    "BA_DEF_REL_ BU_SG_REL_ \"GenSigTimeoutTime\" INT 0 65535;\r\n"
    "BA_DEF_DEF_ \"GenMsgCycleTime\" 50;\r\n"
    "BA_DEF_DEF_ \"Prio\" 0;\r\n"
    "BA_DEF_DEF_ \"SignalType\" \"\";\r\n"
    "BA_DEF_DEF_ \"UseGMParameterIDs\" 0;\r\n"
    "BA_DEF_DEF_ \"NodeLayer\" \"A\";\r\n"
    "BA_DEF_DEF_REL_ \"GenSigTimeoutTime\" 0;\r\n"
    "BA_ \"Prio\" BO_ 291 3;\r\n"
    "BA_ \"GenMsgCycleTime\" BO_ 291 100;\r\n"
    "BA_ \"SignalType\" SG_ 291 Temp \"SNM\";\r\n"
    "BA_ \"NodeLayer\" BU_ ECU1 1;\r\n"
    "BA_REL_ \"GenSigTimeoutTime\" BU_SG_REL_ ECU2 SG_ 291 Speed 500;\r\n"
    "VAL_ 291 Mode 0 \"A\" 1 \"B\" 3 \"\xC4\" -1 \"minus one\";\r\n"
    "VAL_ Env1 0 \"off\";\r\n"
    "SIG_VALTYPE_ 291 Speed : 0;\r\n"
    "SIG_GROUP_ 291 Group1 1 : Speed Temp;\r\n"
    "FUTURE_SECTION_ 1 2 \"x\";\r\n";

class DbcImport : public ::testing::Test {
protected:
    CMsgSignal database;

    void load(const std::string& text)
    {
        ASSERT_TRUE(database.importDbcBytes(text)) << database.lastError();
    }
};

TEST_F(DbcImport, ReadsEverySection)
{
    load(kDatabase);
    ASSERT_EQ(database.messageCount(), 3u);
    EXPECT_FALSE(database.useGMParameterIds);

    const tDbMessage& engine = database.messages[0];
    EXPECT_EQ(engine.name, "Engine");
    EXPECT_EQ(engine.id, 291u);
    EXPECT_EQ(engine.extended, 0);
    EXPECT_EQ(engine.dlc, 8);
    EXPECT_EQ(engine.cycleTime, 100);
    EXPECT_EQ(engine.priority, 3);
    ASSERT_EQ(engine.signalCount(), 4);

    const tDbSignal& speed = engine.signalList[0];
    EXPECT_EQ(speed.name, "Speed");
    EXPECT_EQ(speed.startByte, 0);
    EXPECT_EQ(speed.startBit, 0);
    EXPECT_EQ(speed.length, 16);
    EXPECT_EQ(speed.byteOrder, 1);
    EXPECT_DOUBLE_EQ(speed.factor, 0.01);
    EXPECT_EQ(speed.unit, "km/h");
    EXPECT_EQ(speed.value, "0");

    // A 0xB0 byte of an 8-bit file is dropped before parsing.
    const tDbSignal& temp = engine.signalList[1];
    EXPECT_EQ(temp.unit, "C");
    EXPECT_EQ(temp.startByte, 2);
    EXPECT_EQ(temp.startBit, 7);
    EXPECT_EQ(temp.byteOrder, 0);
    EXPECT_DOUBLE_EQ(temp.offset, -40.0);
    EXPECT_EQ(temp.signalType, "SNM");
    EXPECT_EQ(temp.rawMin, -128);
    EXPECT_EQ(temp.rawMax, 127);

    const tDbSignal& mode = engine.signalList[2];
    ASSERT_EQ(mode.valueTable.size(), 4u);
    EXPECT_EQ(mode.valueTable[0].text, "A");
    EXPECT_EQ(mode.valueTable[2].text, "");   // "\xC4" dropped
    EXPECT_EQ(mode.valueTable[3].value, -1);
    EXPECT_EQ(engine.signalList[3].name, "ModeA");

    // A default from BA_DEF_DEF_ applies where a message sets none.
    const tDbMessage& extended = database.messages[1];
    EXPECT_EQ(extended.extended, 1);
    EXPECT_EQ(extended.id, 250u);
    EXPECT_EQ(extended.dlc, 64);
    EXPECT_EQ(extended.cycleTime, 50);
    EXPECT_EQ(extended.signalList[0].startByte, 50);
    EXPECT_EQ(static_cast<std::uint64_t>(extended.signalList[0].rawMax), 0xFFFFFFFFFFFFFFFFull);

    // A standard identifier keeps only its low 11 bits.
    EXPECT_EQ(database.messages[2].id, 0x7FFu);
    EXPECT_EQ(database.messages[2].extended, 0);
}

TEST_F(DbcImport, FiltersUtf16ToTheLowCharacters)
{
    const std::string text = "BO_ 1 M: 8 X\n SG_ S : 0|8@1+ (1,0) [0|0] \"\xC3\xA9\xED\x95\x9C\" X\n";
    // UTF-16: "é" (U+00E9) survives as one byte, "한" (U+D55C) is dropped.
    const std::u16string wide = u"BO_ 1 M: 8 X\n SG_ S : 0|8@1+ (1,0) [0|0] \"\u00E9\uD55C\" X\n";
    std::string little = "\xFF\xFE";
    std::string big = "\xFE\xFF";
    for (char16_t c : wide) {
        little.push_back(static_cast<char>(c & 0xFF));
        little.push_back(static_cast<char>(c >> 8));
        big.push_back(static_cast<char>(c >> 8));
        big.push_back(static_cast<char>(c & 0xFF));
    }
    for (const std::string* bytes : {&little, &big}) {
        CMsgSignal db;
        ASSERT_TRUE(db.importDbcBytes(*bytes)) << db.lastError();
        EXPECT_EQ(db.messages[0].signalList[0].unit, "\xC3\xA9");
    }
    // The same text as UTF-8 loses every byte from 0x80 on.
    CMsgSignal eightBit;
    ASSERT_TRUE(eightBit.importDbcBytes(text));
    EXPECT_EQ(eightBit.messages[0].signalList[0].unit, "");
}

TEST_F(DbcImport, RawRangesFollowTheSignalType)
{
    struct Case {
        const char* signal;   // the SG_ line after the name
        const char* type;
        std::int64_t rawMin;
        std::int64_t rawMax;
    };
    const Case cases[] = {
        {"0|8@1+ (1,0) [0|100]", "SNM", 0, 127},
        {"0|8@1+ (1,0) [-10|0]", "SNM", -128, 0},
        {"0|64@1- (1,0) [-1|1]", "SNM", INT64_MIN, INT64_MAX},
        {"0|8@1+ (1,0) [0|0]", "ENM", 0, 0},
        {"0|12@1- (1,0) [-5|5]", "", 0, 4095},
        {"0|12@1- (1,0) [-5|5]", "snm", 0, 4095},
        {"0|64@1+ (1,0) [0|0]", "UNM", 0, -1},
    };
    for (const auto& c : cases) {
        const std::string text = std::string("BO_ 1 M: 8 X\n SG_ S : ") + c.signal + " \"\" X\n" +
                                 "BA_DEF_ SG_ \"SignalType\" STRING;\n" + "BA_ \"SignalType\" SG_ 1 S \"" + c.type +
                                 "\";\n";
        CMsgSignal db;
        ASSERT_TRUE(db.importDbcBytes(text)) << c.signal << ": " << db.lastError();
        const tDbSignal& s = db.messages[0].signalList[0];
        EXPECT_EQ(s.rawMin, c.rawMin) << c.signal << " " << c.type;
        EXPECT_EQ(s.rawMax, c.rawMax) << c.signal << " " << c.type;
    }
    // "ENM": the largest value description, compared unsigned.
    CMsgSignal db;
    ASSERT_TRUE(db.importDbcBytes("BO_ 1 M: 8 X\n SG_ S : 0|8@1+ (1,0) [0|0] \"\" X\n"
                                  "BA_ \"SignalType\" SG_ 1 S \"ENM\";\nVAL_ 1 S 2 \"a\" 7 \"b\" 3 \"c\";\n"))
        << db.lastError();
    EXPECT_EQ(db.messages[0].signalList[0].rawMax, 7);
}

TEST_F(DbcImport, GmParameterIdentifiers)
{
    load("BO_ 2148302848 Gm: 8 X\n"   // 0x800C8000: extended 0xC8000
         "BA_DEF_ \"UseGMParameterIDs\" INT 0 0;\nBA_DEF_DEF_ \"UseGMParameterIDs\" 0;\n"
         "BA_ \"UseGMParameterIDs\" 1;\nBA_DEF_ BO_ \"Prio\" INT 0 7;\nBA_ \"Prio\" BO_ 2148302848 4;\n");
    EXPECT_TRUE(database.useGMParameterIds);
    const tDbMessage* found = database.findMessageById(0x100C9041, 1);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->name, "Gm");
    const MessageIdText shown = formatMessageId(true, *found);
    EXPECT_EQ(shown.id, "100C8000");
    EXPECT_EQ(shown.format, "GMExtended");

    database.useGMParameterIds = false;
    EXPECT_EQ(database.findMessageById(0x100C9041, 1), nullptr);
    EXPECT_EQ(formatMessageId(false, *found).id, "C8000");
    EXPECT_EQ(formatMessageId(false, *found).format, "Extended");
}

TEST_F(DbcImport, AttributesInAnyOrderAndLongNames)
{
    load("BO_ 1 Short_cut: 8 X\n SG_ Sig_cut : 0|8@1+ (1,0) [0|0] \"\" X\n"
         "BA_DEF_ BO_ \"Prio\" INT 0 7;\nBA_DEF_ BO_ \"GenMsgCycleTime\" INT 0 1000;\n"
         "BA_DEF_ BO_ \"SystemMessageLongSymbol\" STRING;\nBA_DEF_ SG_ \"SystemSignalLongSymbol\" STRING;\n"
         "BA_ \"Prio\" BO_ 1 2;\nBA_ \"GenMsgCycleTime\" BO_ 1 20;\n"
         "BA_ \"SystemMessageLongSymbol\" BO_ 1 \"Short_cut_and_the_rest_of_the_long_name\";\n"
         "BA_ \"SystemSignalLongSymbol\" SG_ 1 Sig_cut \"Sig_cut_with_its_long_name\";\n");
    EXPECT_EQ(database.messages[0].priority, 2);
    EXPECT_EQ(database.messages[0].cycleTime, 20);
    EXPECT_EQ(database.messages[0].name, "Short_cut_and_the_rest_of_the_long_name");
    EXPECT_EQ(database.messages[0].signalList[0].name, "Sig_cut_with_its_long_name");
}

TEST_F(DbcImport, ToleratesAMissingSemicolonBeforeTheNextSection)
{
    load("BO_ 1 M: 8 X\n SG_ A : 0|8@1+ (1,0) [0|0] \"\" X\n SG_ B : 8|8@1+ (1,0) [0|0] \"\" X\n"
         "VAL_ 1 A 0 \"zero\" 1 \"one\"\nVAL_ 1 B 2 \"two\" ;\n");
    EXPECT_EQ(database.messages[0].signalList[0].valueTable.size(), 2u);
    EXPECT_EQ(database.messages[0].signalList[1].valueTable.size(), 1u);
}

TEST_F(DbcImport, NamespaceListWithoutIndentation)
{
    load("VERSION \"\"\nNS_ :\nCM_\nBA_DEF_\nBO_TX_BU_\n\nBS_:\nBU_: A\nBO_ 5 M: 1 A\n");
    ASSERT_EQ(database.messageCount(), 1u);
    EXPECT_EQ(database.messages[0].id, 5u);
}

TEST(DbcImportErrors, FailWithTheLineNumber)
{
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"", "no message"},
        {"VERSION \"\"\nNS_ :\n\tCM_\nBS_:\nBU_:\n", "no message"},
        {"BO_ 1 M: 8 X\n SG_ S : 0|8@1+ (1,0) [0|0] \"\" X\n SG_ T : 0|8@2+ (1,0) [0|0] \"\" X\n", "line 3: byte order"},
        {"BO_ 1 M: 65 X\n", "line 1: message length 65"},
        {"BO_ 1 M: 8 X\n SG_ S : 0|65@1+ (1,0) [0|0] \"\" X\n", "line 2: signal length 65"},
        {"BO_ 1 M: 8 X\n SG_ S : 0|8@1+ (1,0) [0|0] \"unit X\n", "line 2: unterminated string"},
        {"BO_ 99999999999 M: 8 X\n", "line 1: bad message identifier"},
        {" SG_ S : 0|8@1+ (1,0) [0|0] \"\" X\n", "line 1: signal outside a message"},
        {"BO_ 1 M: 8 X\n SG_ S : 0|8@1+ (1,0) [0|0\n", "expected ']'"},
    };
    for (const auto& c : cases) {
        CMsgSignal db;
        EXPECT_FALSE(db.importDbcBytes(c.text)) << c.text;
        EXPECT_NE(db.lastError().find(c.error), std::string::npos) << c.text << " -> " << db.lastError();
    }
}

TEST(DbcImportErrors, AnUnopenableFileFailsAndIsReported)
{
    kivtest::TempDir dir;
    CMsgSignal db;
    EXPECT_FALSE(db.importDbc((dir / "missing.dbc").string()));
    EXPECT_NE(db.lastError().find("cannot open"), std::string::npos);
    EXPECT_FALSE(db.importDbc(dir.path().string()));   // a folder
}

TEST(DbcImportErrors, WritesNoFileIntoTheWorkingDirectory)
{
    kivtest::TempDir dir;
    const auto file = dir / "db.dbc";
    std::ofstream(file) << "BO_ 1 M: 8 X\n";
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    CMsgSignal db;
    EXPECT_TRUE(db.importDbc(file.string()));
    std::filesystem::current_path(before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
}

} // namespace
