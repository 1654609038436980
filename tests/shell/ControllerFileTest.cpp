// Open, Save and Save As KeyMap, File > New and the close sequence.
#include "ControllerFixture.h"

#include "shell/SessionTexts.h"
#include "shell/ShellTexts.h"

using namespace shelltest;
using kivplus::UserPrompt;

namespace {

class ControllerFile : public ControllerTest {
protected:
    std::filesystem::path keyMapFile(const std::string& name = "a.kiv", const std::string& can1 = "demo.dbc")
    {
        const auto path = dir / name;
        writeFile(path, smallKeyMapDocument(can1));
        return path;
    }
};

TEST_F(ControllerFile, OpenSetsListsTitleAndShowsEditor)
{
    prompt.files.push_back(keyMapFile().string());
    ASSERT_TRUE(app().openKeyMap()) << (prompt.shown.empty() ? "" : prompt.shown.back().text);
    EXPECT_EQ(app().keyMap().count(), 1);
    EXPECT_EQ(app().ignition().count(), 1);
    EXPECT_EQ(app().progressive().count(), 1);
    EXPECT_FALSE(app().hasUnsavedChanges());
    EXPECT_EQ(view.title, "KIV Raze - a.kiv");
    EXPECT_EQ(app().title(), "KIV Raze - a.kiv");
    EXPECT_TRUE(view.visible.count(kivplus::ShellWindow::Editor));
}

TEST_F(ControllerFile, OpenRefusesOtherExtensionsAndKeepsLists)
{
    const auto other = dir / "a.xml";
    writeFile(other, smallKeyMapDocument());
    prompt.files.push_back(other.string());
    EXPECT_FALSE(app().openKeyMap());
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{kivplus::shelltext::kChooseKivFile});
    EXPECT_EQ(app().keyMap().count(), 0);
    EXPECT_EQ(app().title(), "KIV Raze");
}

TEST_F(ControllerFile, DifferentDatabaseNameIsAskedAndNoKeepsEverything)
{
    app().databaseNames().current[0] = "other.dbc";
    prompt.files.push_back(keyMapFile().string());
    prompt.answers.push_back(UserPrompt::Answer::No);
    EXPECT_FALSE(app().openKeyMap());
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].kind, kivplus::ScriptedPrompt::Shown::Question);
    EXPECT_EQ(app().keyMap().count(), 0);
    EXPECT_TRUE(app().keyMapPath().empty());
}

TEST_F(ControllerFile, SaveMakesTheBackupOnceAndLeavesItAlone)
{
    const auto path = keyMapFile();
    const std::string original = readFile(path);
    ASSERT_TRUE(app().openKeyMapFile(path.string()));
    app().keyMap().setModified(true);
    ASSERT_TRUE(app().saveKeyMap());
    const auto backup = dir / "a.bak";
    ASSERT_TRUE(std::filesystem::exists(backup));
    EXPECT_EQ(readFile(backup), original);
    EXPECT_FALSE(app().hasUnsavedChanges());

    writeFile(path, "changed since");
    ASSERT_TRUE(app().saveKeyMap());
    EXPECT_EQ(readFile(backup), original);
    EXPECT_NE(readFile(path), "changed since");
}

TEST_F(ControllerFile, SaveWithoutPathRunsSaveAsAndSetsTitle)
{
    ASSERT_TRUE(app().openKeyMapFile(keyMapFile().string()));
    const auto target = dir / "b";
    prompt.files.push_back(target.string());
    ASSERT_TRUE(app().saveAsKeyMap());
    EXPECT_TRUE(std::filesystem::exists(dir / "b.kiv"));
    EXPECT_EQ(view.title, "KIV Raze - b.kiv");
    EXPECT_FALSE(std::filesystem::exists(dir / "b.bak"));
}

TEST_F(ControllerFile, EmptyListsAreNotSaved)
{
    EXPECT_FALSE(app().saveKeyMap());
    EXPECT_FALSE(app().saveAsKeyMap());
    EXPECT_EQ(prompt.texts(), (std::vector<std::string>(2, kivplus::sessiontext::kNothingToSave)));
}

TEST_F(ControllerFile, NewEmptiesListsPathAndTitleAfterAskingToSave)
{
    ASSERT_TRUE(app().openKeyMapFile(keyMapFile().string()));
    app().keyMap().setModified(true);
    prompt.answers.push_back(UserPrompt::Answer::No);
    app().databaseNames().current[0] = "demo.dbc";
    app().fileNew();
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{kivplus::sessiontext::kSaveChanges});
    EXPECT_TRUE(app().listsEmpty());
    EXPECT_TRUE(app().keyMapPath().empty());
    EXPECT_EQ(view.title, "KIV Raze");
    EXPECT_TRUE(app().databaseNames().current[0].empty());
    EXPECT_TRUE(app().menuState().modeInterface);
}

// Close with unsaved changes: the answer, whether saving works, and whether
// the window may close.
struct CloseCase {
    const char* name;
    UserPrompt::Answer answer;
    bool xmlAvailable;
    bool writable;
    bool closes;
    bool saved;
};

class ControllerClose : public ControllerFile, public testing::WithParamInterface<CloseCase> {};

TEST_P(ControllerClose, UnsavedChanges)
{
    const CloseCase& c = GetParam();
    const auto path = keyMapFile();
    ASSERT_TRUE(app().openKeyMapFile(path.string()));
    app().keyMap().setModified(true);
    app().setXmlCheck([&c] { return c.xmlAvailable; });
    if (!c.writable) {
        std::filesystem::remove(path);
        std::filesystem::create_directory(path);   // a save cannot replace a folder
    }
    prompt.answers.push_back(c.answer);

    EXPECT_EQ(app().close(), c.closes);
    EXPECT_EQ(prompt.shown.front().text, kivplus::sessiontext::kSaveChanges);
    if (c.writable) {
        EXPECT_EQ(std::filesystem::exists(dir / "a.bak"), c.saved);
    }
    EXPECT_EQ(app().hasUnsavedChanges(), !c.saved);
}

INSTANTIATE_TEST_SUITE_P(Answers, ControllerClose,
                         testing::Values(CloseCase{"Yes", UserPrompt::Answer::Yes, true, true, true, true},
                                         CloseCase{"No", UserPrompt::Answer::No, true, true, true, false},
                                         CloseCase{"YesSaveFails", UserPrompt::Answer::Yes, true, false, false, false},
                                         CloseCase{"YesNoXml", UserPrompt::Answer::Yes, false, true, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ControllerFile, CloseWritesTheIniKeys)
{
    writeFile(iniPath(), "[KivPlus]\nKivMode=1\nLogFileSize=1\n");
    app().udsParameters().sourceAddress = "F1";
    app().udsParameters().addressFormat = 4;
    app().setLogFolder((dir / "logs").string());
    ASSERT_TRUE(app().close());
    EXPECT_EQ(iniValue("KivPlus", "KivMode"), "1");
    EXPECT_EQ(iniValue("KivPlus", "LogFileSize"), "1");
    EXPECT_EQ(iniValue("KivPlus", "LogFolder"), (dir / "logs").string());
    EXPECT_EQ(iniValue("KivPlusUDS", "UdsNetworkSA"), "F1");
    EXPECT_EQ(iniValue("KivPlusUDS", "UdsNetworkAF"), "MIXED 11BIT");
    EXPECT_EQ(iniValue("KivPlusUDS", "UdsFileCount10"), "");
}

} // namespace
