// The device mode: its INI key, the mode text and the windows remembered
// across a switch to Configuration mode and back.
#include "ControllerFixture.h"

using namespace shelltest;
using kivplus::DeviceMode;
using kivplus::ShellWindow;

namespace {

class ControllerMode : public ControllerTest {};

TEST_F(ControllerMode, ModeComesFromTheIniKey)
{
    struct Case {
        const char* ini;
        DeviceMode mode;
        const char* text;
    };
    int index = 0;
    for (const Case& c : {Case{"", DeviceMode::Configuration, "Configuration Mode"},
                          Case{"[KivPlus]\nKivMode=1\n", DeviceMode::Interface, "Interface Mode"},
                          Case{"[KivPlus]\nKivMode=2\n", DeviceMode::Configuration, "Configuration Mode"},
                          Case{"[KivPlus]\nKivMode=7\n", DeviceMode::Configuration, "Configuration Mode"}}) {
        // A file of its own per case: Qt keeps a file it has read and sees a
        // rewrite only by a new size or time, which two cases may share.
        const std::filesystem::path path = dir / ("KivPlus" + std::to_string(index++) + ".ini");
        writeFile(path, c.ini);
        kivplus::IniSettings ini(path.string());
        kivplus::CKIVPlusApp app(prompt, ini, CKIV::getInstance(), false);
        EXPECT_EQ(app.mode(), c.mode) << c.ini;
        EXPECT_EQ(app.modeText(), c.text) << c.ini;
    }
}

TEST_F(ControllerMode, InterfaceShowsAgainExactlyTheWindowsVisibleBefore)
{
    app().switchMode(DeviceMode::Interface);
    view.visible = {ShellWindow::Panel, ShellWindow::Trace1, ShellWindow::Editor};
    app().switchMode(DeviceMode::Configuration);
    EXPECT_EQ(view.visible, (std::set<ShellWindow>{ShellWindow::Editor}));
    EXPECT_EQ(app().modeText(), "Configuration Mode");

    view.visible.clear();
    app().switchMode(DeviceMode::Interface);
    EXPECT_EQ(view.visible, (std::set<ShellWindow>{ShellWindow::Panel, ShellWindow::Trace1}));

    // Switching to the mode in use remembers nothing new.
    view.visible = {ShellWindow::RunManager};
    app().switchMode(DeviceMode::Interface);
    EXPECT_EQ(view.visible, (std::set<ShellWindow>{ShellWindow::RunManager}));
}

TEST_F(ControllerMode, ModeItemsFollowListsAndConnection)
{
    EXPECT_TRUE(app().menuState().modeInterface);
    const auto file = dir / "a.kiv";
    writeFile(file, smallKeyMapDocument());
    ASSERT_TRUE(app().openKeyMapFile(file.string()));
    EXPECT_FALSE(app().menuState().modeInterface);
    EXPECT_FALSE(app().menuState().modeConfiguration);
    EXPECT_TRUE(app().menuState().saveKeyMap);
}

} // namespace
