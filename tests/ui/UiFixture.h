#pragma once

// The main window over a controller with a temporary INI file, a scripted
// prompt and the built-in simulator, on the offscreen platform.

#include "TestPaths.h"
#include "platform/IniSettings.h"
#include "platform/UserPrompt.h"
#include "shell/CKIVPlusApp.h"
#include "shell/ui/CKIVPlusDlg.h"
#include "shell/ui/SimulatorHost.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

namespace uitest {

inline QApplication& application()
{
    static int argc = 1;
    static char name[] = "ui_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: at exit Qt's own globals (the input devices the
    // simulated clicks made) may already be gone when a static application
    // would delete its children.
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

class WindowTest : public testing::Test {
protected:
    void SetUp() override { application(); }

    // Made on first use so that a test can write the INI file first.
    kivplus::CKIVPlusDlg& window()
    {
        if (!window_) {
            ini_ = std::make_unique<kivplus::IniSettings>(iniPath().string());
            app_ = std::make_unique<kivplus::CKIVPlusApp>(prompt, *ini_, CKIV::getInstance(), false);
            app_->setVirtualDevice(&simulator);
            window_ = std::make_unique<kivplus::CKIVPlusDlg>(*app_);
            window_->show();
        }
        return *window_;
    }
    kivplus::CKIVPlusApp& app()
    {
        window();
        return *app_;
    }
    std::filesystem::path iniPath() const { return dir / "KivPlus.ini"; }
    void writeIni(const std::string& text) { std::ofstream(iniPath()) << text; }

    void TearDown() override
    {
        if (window_)
            window_->close();
        window_.reset();
        app_.reset();
    }

    kivtest::TempDir dir;
    kivplus::ScriptedPrompt prompt;
    kivplus::SimulatorHost simulator;

private:
    std::unique_ptr<kivplus::IniSettings> ini_;
    std::unique_ptr<kivplus::CKIVPlusApp> app_;
    std::unique_ptr<kivplus::CKIVPlusDlg> window_;
};

} // namespace uitest
