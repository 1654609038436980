#include "database/CMsgSignal.h"
#include "database/ChannelKeyMapDatabases.h"
#include "database/DatabaseChannels.h"
#include "database/DatabaseTexts.h"
#include "platform/IniSettings.h"
#include "platform/UserPrompt.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace kivplus;

namespace {

const char* const kTwoMessages = "BO_ 100 First: 8 X\n SG_ EngineSpeed : 0|8@1+ (1,0) [0|0] \"\" X\n"
                                 " SG_ Gear : 8|8@1+ (1,0) [0|0] \"\" X\n"
                                 "BO_ 2147483748 Second: 8 X\n"
                                 "BO_ 101 First: 4 X\n SG_ Other : 0|8@1+ (1,0) [0|0] \"\" X\n";

TEST(DatabaseModel, LooksUpMessages)
{
    CMsgSignal db;
    ASSERT_TRUE(db.importDbcBytes(kTwoMessages)) << db.lastError();

    EXPECT_EQ(db.findMessageById(100, 0)->name, "First");
    EXPECT_EQ(db.findMessageById(100, 1)->name, "Second");
    EXPECT_EQ(db.findMessageById(0xE0000064, 1)->name, "Second");   // flag bits above 29 are masked
    EXPECT_EQ(db.findMessageById(102, 0), nullptr);
    EXPECT_EQ(db.findMessageByName("First")->id, 100u);
    EXPECT_EQ(db.findMessageByName("first"), nullptr);

    EXPECT_TRUE(db.messageHasSignalLike("First", "speed"));
    EXPECT_TRUE(db.messageHasSignalLike("First", "OTH"));   // a later message of the same name
    EXPECT_FALSE(db.messageHasSignalLike("First", "brake"));
    EXPECT_FALSE(db.messageHasSignalLike("Second", ""));

    EXPECT_TRUE(db.freeMessages());
    EXPECT_EQ(db.messageCount(), 0u);
    EXPECT_EQ(db.findMessageById(100, 0), nullptr);
}

TEST(DatabaseModel, UpdateSignalKeepsTheValueTable)
{
    CMsgSignal db;
    ASSERT_TRUE(db.importDbcBytes(std::string(kTwoMessages) + "VAL_ 100 Gear 1 \"one\";\n"));
    tDbSignal changed = db.messages[0].signalList[1];
    changed.value = "42";
    changed.valueTable.clear();
    db.updateSignal("First", "Gear", changed);
    EXPECT_EQ(db.messages[0].signalList[1].value, "42");
    EXPECT_EQ(db.messages[0].signalList[1].valueTable.size(), 1u);
    EXPECT_EQ(db.messages[0].signalList[0].value, "0");

    db.updateSignal("Missing", "Gear", changed);
    db.updateSignal("", "", changed);
    EXPECT_EQ(db.messages[0].signalList[0].value, "0");
}

TEST(DatabaseModel, LoadDatabaseChoosesByExtension)
{
    kivtest::TempDir dir;
    std::ofstream(dir / "bad.dbc") << "BO_ 1 M: 99 X\n";
    ScriptedPrompt prompt;
    CMsgSignal db;
    EXPECT_TRUE(db.loadDatabase((dir / "x.txt").string(), "txt", &prompt));
    EXPECT_TRUE(prompt.shown.empty());
    const std::string bad = (dir / "bad.dbc").string();
    EXPECT_FALSE(db.loadDatabase(bad, "DBC", &prompt));
    ASSERT_EQ(prompt.texts().size(), 1u);
    EXPECT_EQ(prompt.texts()[0], bad + "는 잘못된 database 파일입니다.");
}

class OpenDatabase : public ::testing::Test {
protected:
    kivtest::TempDir dir;
    ScriptedPrompt prompt;
    DatabaseChannels channels;
    bool keysExist = false;
    int loadedCalls = 0;
    DatabaseChannels::Hooks hooks{[this] { return keysExist; }, [] { return true; },
                                  [this](int) { ++loadedCalls; }};

    std::string write(const std::string& name, const std::string& text)
    {
        const auto path = dir / name;
        std::ofstream(path) << text;
        return path.string();
    }

    bool open(int channel, const std::string& file, IniSettings& ini)
    {
        prompt.files.push_back(file);
        return channels.openDatabase(channel, prompt, ini, hooks);
    }
};

TEST_F(OpenDatabase, LoadsAndRemembersTheFolder)
{
    IniSettings ini((dir / "KivPlus.ini").string());
    const std::string good = write("good.dbc", kTwoMessages);
    ASSERT_TRUE(open(1, good, ini));
    EXPECT_EQ(channels.database(1)->filePath, good);
    EXPECT_EQ(channels.channel(1).name, "good.dbc");
    EXPECT_EQ(channels.channel(1).nameInUse, "good.dbc");
    EXPECT_EQ(channels.currentDatabase(), channels.database(1));
    EXPECT_EQ(channels.currentPath(), good);
    EXPECT_EQ(channels.database(0), nullptr);
    EXPECT_EQ(loadedCalls, 1);
    EXPECT_EQ(ini.value("KivPlus", "KivDatabasePath"), dir.path().string());

    // The next chooser starts in the remembered folder.
    prompt.files.push_back("");
    EXPECT_FALSE(channels.openDatabase(0, prompt, ini, hooks));
    EXPECT_EQ(prompt.startFolders.back(), dir.path().string());
}

TEST_F(OpenDatabase, AFailedLoadKeepsThePreviousDatabase)
{
    IniSettings ini((dir / "KivPlus.ini").string());
    const std::string good = write("good.dbc", kTwoMessages);
    ASSERT_TRUE(open(1, good, ini));
    CMsgSignal* before = channels.database(1);

    for (const std::string& file : {write("broken.dbc", "BO_ x"), (dir / "missing.dbc").string()}) {
        prompt.shown.clear();
        EXPECT_FALSE(open(1, file, ini));
        EXPECT_EQ(channels.database(1), before);
        EXPECT_EQ(channels.channel(1).path, good);
        EXPECT_EQ(channels.channel(1).name, "good.dbc");
        EXPECT_EQ(channels.currentDatabase(), before);
        EXPECT_EQ(prompt.texts(), (std::vector<std::string>{file + dbtext::kInvalidDatabaseSuffix, dbtext::kInvalidDbc}));
    }
    EXPECT_EQ(loadedCalls, 1);
}

TEST_F(OpenDatabase, AsksBeforeReplacingADatabaseInUse)
{
    IniSettings ini((dir / "KivPlus.ini").string());
    const std::string first = write("first.dbc", kTwoMessages);
    const std::string second = write("second.dbc", kTwoMessages);
    ASSERT_TRUE(open(0, first, ini));
    CMsgSignal* before = channels.database(0);

    keysExist = true;
    prompt.answers.push_back(UserPrompt::Answer::No);
    EXPECT_FALSE(open(0, second, ini));
    EXPECT_EQ(prompt.texts().back(), dbtext::kDatabaseNameDiffers);
    EXPECT_EQ(channels.database(0), before);
    EXPECT_EQ(channels.channel(0).name, "first.dbc");

    prompt.answers.push_back(UserPrompt::Answer::Yes);
    EXPECT_TRUE(open(0, second, ini));
    EXPECT_EQ(channels.channel(0).nameInUse, "second.dbc");

    // The wrong kind of file is refused before anything changes.
    prompt.shown.clear();
    EXPECT_FALSE(open(0, write("notes.txt", ""), ini));
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{dbtext::kChooseDbcOrArxml});
    EXPECT_EQ(channels.channel(0).name, "second.dbc");
}

TEST_F(OpenDatabase, NamesFramesForTheKeyMap)
{
    IniSettings ini((dir / "KivPlus.ini").string());
    ASSERT_TRUE(open(1, write("can2.dbc", kTwoMessages), ini));
    const ChannelKeyMapDatabases databases(channels);
    EXPECT_FALSE(databases.isLoaded(1));
    EXPECT_TRUE(databases.isLoaded(2));
    EXPECT_FALSE(databases.isLoaded(3));
    EXPECT_EQ(databases.findMessageName(2, 100, true), "Second");
    EXPECT_EQ(databases.findMessageName(1, 100, false), std::nullopt);
    const auto gear = databases.findSignal(2, 100, false, 1, 0);
    ASSERT_TRUE(gear.has_value());
    EXPECT_EQ(gear->name, "Gear");
    EXPECT_EQ(databases.findSignal(2, 100, false, 1, 1), std::nullopt);
}

TEST(IniSettingsTest, KeepsValuesInTheFile)
{
    kivtest::TempDir dir;
    const std::string path = (dir / "sub" / "KivPlus.ini").string();
    {
        IniSettings ini(path);
        EXPECT_EQ(ini.value("KivPlus", "KivDatabasePath", "none"), "none");
        ini.setValue("KivPlus", "KivDatabasePath", "/home/user/데이터");
        ini.sync();
    }
    IniSettings again(path);
    EXPECT_EQ(again.value("KivPlus", "KivDatabasePath"), "/home/user/데이터");
}

} // namespace
