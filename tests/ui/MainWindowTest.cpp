// The main window's menu and the port and mode window.
#include "UiFixture.h"

#include "shell/ShellTexts.h"
#include "shell/ui/CCommAndModeDlg.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

using namespace uitest;

namespace {

class MainWindow : public WindowTest {
protected:
    QStringList menuTexts(const QString& title)
    {
        for (QAction* menu : window().menuBar()->actions()) {
            if (menu->text() == title) {
                QStringList texts;
                for (QAction* item : menu->menu()->actions())
                    if (!item->isSeparator())
                        texts << item->text();
                return texts;
            }
        }
        return {};
    }
    void choosePort(const QString& entry)
    {
        QComboBox* ports = window().portWindow()->portList();
        const int index = ports->findText(entry);
        ASSERT_GE(index, 0);
        ports->setCurrentIndex(index);
        emit ports->activated(index);
    }
};

TEST_F(MainWindow, MenusOfferEveryItemButPanelAndUdsDownload)
{
    EXPECT_EQ(window().windowTitle(), "KIV Raze");
    EXPECT_EQ(menuTexts("View"), (QStringList{"Basic KeyMap", "Scenario Group", "Run Manager", "Send Log Data", "Setting"}));
    EXPECT_EQ(menuTexts("File"), (QStringList{"New", "Open Database", "Open KeyMap...", "Save KeyMap",
                                              "Save As KeyMap...", "Open Log...", "Save As Log..."}));
    EXPECT_EQ(menuTexts("Trace"), (QStringList{"CAN 1", "CAN 2", "ALL"}));
    EXPECT_EQ(menuTexts("About"), (QStringList{"Update KIV-2XX...", "About KIV Raze"}));
}

TEST_F(MainWindow, ItemsFollowTheModeAndConnection)
{
    window();
    EXPECT_TRUE(window().action("Mode/Configuration")->isChecked());
    EXPECT_FALSE(window().action("Trace/CAN 1")->isEnabled());
    EXPECT_FALSE(window().action("File/Save KeyMap")->isEnabled());

    window().action("Mode/Interface")->trigger();
    EXPECT_TRUE(window().action("Mode/Interface")->isChecked());
    EXPECT_TRUE(window().action("Trace/CAN 1")->isEnabled());
    EXPECT_FALSE(window().action("About/Update KIV-2XX...")->isEnabled());
    EXPECT_EQ(window().portWindow()->modeText()->text(), "Interface Mode");

    window().action("Trace/CAN 2")->trigger();
    EXPECT_TRUE(window().window(kivplus::ShellWindow::Trace2)->isVisible());
    window().action("Mode/Configuration")->trigger();
    EXPECT_FALSE(window().window(kivplus::ShellWindow::Trace2)->isVisible());
    window().action("Mode/Interface")->trigger();
    EXPECT_TRUE(window().window(kivplus::ShellWindow::Trace2)->isVisible());
}

TEST_F(MainWindow, SimulatorConnectsAndDisconnects)
{
    EXPECT_EQ(window().portWindow()->statusText()->text(), "Device not Connected!");
    choosePort(kivplus::shelltext::kSimulatorEntry);
    EXPECT_EQ(window().portWindow()->statusText()->text(), "Device connected : KIV-2xx Simulator");
    EXPECT_FALSE(window().action("Mode/Interface")->isEnabled());
    EXPECT_TRUE(window().action("Device/Get KeyMap")->isEnabled());

    QTest::mouseClick(window().portWindow()->disconnectButton(), Qt::LeftButton);
    EXPECT_EQ(window().portWindow()->statusText()->text(), "Device not connected!");
    EXPECT_FALSE(app().isConnected());
    EXPECT_TRUE(window().action("Mode/Interface")->isEnabled());
}

TEST_F(MainWindow, EnterAndEscapeDoNothingInThePortWindow)
{
    window().portWindow()->setFocus();
    QTest::keyClick(window().portWindow(), Qt::Key_Escape);
    QTest::keyClick(window().portWindow(), Qt::Key_Return);
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(window().portWindow()->isVisible());
}

TEST_F(MainWindow, CloseWritesModeAndArrangement)
{
    window().action("Mode/Interface")->trigger();
    window().window(kivplus::ShellWindow::Setting)->resize(700, 500);
    window().close();
    kivplus::IniSettings ini(iniPath().string());
    EXPECT_EQ(ini.value("KivPlus", "KivMode"), "1");
    EXPECT_FALSE(ini.value("KivPlusWindows", "Setting").empty());
}

} // namespace
