// The enabling rules of the main window's menu.
#include "shell/MenuState.h"

#include <gtest/gtest.h>

using kivplus::DeviceMode;
using kivplus::MenuState;

namespace {

TEST(MenuState, RulesByModeConnectionAndLists)
{
    struct Case {
        DeviceMode mode;
        bool connected;
        bool listsEmpty;
        bool transfer, modeItems, save, interfaceViews, firmware;
    };
    const Case cases[] = {
        {DeviceMode::Configuration, false, true, false, true, false, false, true},
        {DeviceMode::Configuration, true, true, true, false, false, false, true},
        {DeviceMode::Configuration, true, false, true, false, true, false, true},
        {DeviceMode::Configuration, false, false, false, false, true, false, true},
        {DeviceMode::Interface, false, true, false, true, false, true, false},
        {DeviceMode::Interface, true, false, false, false, true, true, false},
    };
    for (const Case& c : cases) {
        const MenuState s = MenuState::compute(c.mode, c.connected, c.listsEmpty, false);
        SCOPED_TRACE(testing::Message() << "mode " << int(c.mode) << " connected " << c.connected << " empty "
                                        << c.listsEmpty);
        EXPECT_EQ(s.getKeyMap, c.transfer);
        EXPECT_EQ(s.setKeyMap, c.transfer);
        EXPECT_EQ(s.modeConfiguration, c.modeItems);
        EXPECT_EQ(s.modeInterface, c.modeItems);
        EXPECT_EQ(s.saveKeyMap, c.save);
        EXPECT_EQ(s.saveAsKeyMap, c.save);
        EXPECT_EQ(s.scenarioGroup, c.interfaceViews);
        EXPECT_EQ(s.runManager, c.interfaceViews);
        EXPECT_EQ(s.trace, c.interfaceViews);
        EXPECT_EQ(s.updateFirmware, c.firmware);
        EXPECT_EQ(s.interfaceChecked, c.mode == DeviceMode::Interface);
        EXPECT_EQ(s.configurationChecked, c.mode == DeviceMode::Configuration);
    }
}

TEST(MenuState, OpenLogWaitsForAReplay)
{
    EXPECT_TRUE(MenuState::compute(DeviceMode::Interface, true, true, false).openLog);
    EXPECT_FALSE(MenuState::compute(DeviceMode::Interface, true, true, true).openLog);
}

} // namespace
