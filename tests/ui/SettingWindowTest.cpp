// The setting window's radio rules and the UDS window's load and save.
#include "UiFixture.h"

#include "shell/ui/CSettingDlg.h"
#include "shell/ui/CUdsDownloadDlg.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace uitest;

namespace {

enum Rate { R33k, R100k, R125k, R250k, R500k, R1M };

class SettingWindow : public WindowTest {
protected:
    kivplus::CSettingDlg& setting() { return *window().settingWindow(); }
    void click(QButtonGroup* group, int id) { group->button(id)->click(); }
    std::vector<bool> enabledRates(int channel)
    {
        std::vector<bool> enabled;
        for (int i = 0; i < 6; ++i)
            enabled.push_back(setting().bitRate(channel)->button(i)->isEnabled());
        return enabled;
    }
};

TEST_F(SettingWindow, WireTypeLimitsTheBitRates)
{
    window().action("View/Setting")->trigger();
    ASSERT_TRUE(setting().isVisible());
    EXPECT_EQ(setting().wireType(0)->checkedId(), kivplus::WIRE_SINGLE);
    EXPECT_EQ(setting().bitRate(0)->checkedId(), R33k);
    EXPECT_EQ(enabledRates(0), (std::vector<bool>{true, false, false, false, false, false}));

    click(setting().wireType(0), kivplus::WIRE_DUAL_HIGH);
    EXPECT_EQ(setting().bitRate(0)->checkedId(), R125k);
    EXPECT_EQ(enabledRates(0), (std::vector<bool>{false, true, true, true, true, true}));
    click(setting().bitRate(0), R500k);
    EXPECT_EQ(app().deviceSettings().channels[0].bitRate, 500000u);

    click(setting().wireType(0), kivplus::WIRE_DUAL_LOW);
    EXPECT_EQ(setting().bitRate(0)->checkedId(), R100k);
    EXPECT_EQ(enabledRates(0), (std::vector<bool>{false, true, true, false, false, false}));

    click(setting().wireType(0), kivplus::WIRE_SINGLE);
    EXPECT_EQ(setting().bitRate(0)->checkedId(), R33k);
    EXPECT_EQ(setting().bitRate(1)->checkedId(), R33k);   // CAN 2 untouched
}

TEST_F(SettingWindow, DeviceButtonsFollowTheConnection)
{
    window();
    EXPECT_FALSE(setting().getButton()->isEnabled());
    EXPECT_FALSE(setting().setButton()->isEnabled());
    ASSERT_TRUE(app().connectPort("KIV-2xx Simulator"));
    EXPECT_TRUE(setting().getButton()->isEnabled());
    EXPECT_TRUE(setting().setButton()->isEnabled());
    app().disconnectButton();
    EXPECT_FALSE(setting().getButton()->isEnabled());
}

TEST_F(SettingWindow, UdsButtonOpensTheUdsWindow)
{
    window().action("View/Setting")->trigger();
    QTest::mouseClick(setting().udsButton(), Qt::LeftButton);
    EXPECT_TRUE(window().udsWindow()->isVisible());
}

TEST_F(SettingWindow, UdsWindowLoadsAtStartAndSavesAtClose)
{
    writeIni("[KivPlusUDS]\nUdsNetworkSA=F1\nUdsNetworkAF=mixed 11\nUdsTransferSendId=7E0\nUdsFileCount=2\n"
             "UdsScenarioFilePath=/seq/a.seq\nUdsFileCount3=/data/c.bin\n");
    kivplus::CUdsDownloadDlg& uds = *window().udsWindow();
    EXPECT_EQ(uds.field("N_SA")->text(), "F1");
    EXPECT_EQ(uds.field("Transfer Send ID")->text(), "7E0");
    EXPECT_EQ(uds.field("FILE COUNT")->text(), "2");
    EXPECT_EQ(uds.field("Sequence Path")->text(), "/seq/a.seq");
    EXPECT_EQ(uds.field("N_TA")->text(), "");
    EXPECT_EQ(uds.file(2)->text(), "/data/c.bin");
    EXPECT_EQ(uds.addressForm()->currentIndex(), 4);

    uds.field("N_TA")->setText("10");
    uds.addressForm()->setCurrentIndex(2);
    uds.file(9)->setText("/data/j.bin");
    window().close();
    kivplus::IniSettings ini(iniPath().string());
    EXPECT_EQ(ini.value("KivPlusUDS", "UdsNetworkTA"), "10");
    EXPECT_EQ(ini.value("KivPlusUDS", "UdsNetworkAF"), "EXTENDED");
    EXPECT_EQ(ini.value("KivPlusUDS", "UdsFileCount10"), "/data/j.bin");
    EXPECT_EQ(ini.value("KivPlusUDS", "UdsNetworkSA"), "F1");
    EXPECT_EQ(ini.value("KivPlusUDS", "UdsWakeUpSendId", "<missing>"), "");
}

TEST_F(SettingWindow, UdsDownloadWithBadFieldsShowsWhy)
{
    window();
    app().switchMode(kivplus::DeviceMode::Interface);
    ASSERT_TRUE(app().connectPort("KIV-2xx Simulator"));
    kivplus::CUdsDownloadDlg& uds = *window().udsWindow();
    uds.field("Transfer Send ID")->setText("xyz");
    QTest::mouseClick(uds.startButton(), Qt::LeftButton);
    ASSERT_FALSE(prompt.shown.empty());
    EXPECT_EQ(prompt.shown.back().kind, kivplus::ScriptedPrompt::Shown::Error);
    EXPECT_TRUE(uds.startButton()->isEnabled());
    EXPECT_FALSE(uds.stopButton()->isEnabled());
}

} // namespace
