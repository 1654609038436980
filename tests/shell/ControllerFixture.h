#pragma once

// A main controller over a temporary INI file, a scripted prompt, a recording
// view and, on demand, an in-process virtual device.

#include "Simulator.h"
#include "TestPaths.h"
#include "platform/IniSettings.h"
#include "platform/UserPrompt.h"
#include "shell/CKIVPlusApp.h"
#include "shell/ShellView.h"

#include "../keymap/KeyMapDocs.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <set>

namespace shelltest {

class FakeView : public kivplus::ShellView {
public:
    std::set<kivplus::ShellWindow> visible;
    std::string title;
    int connectionChanges = 0;

    bool isWindowVisible(kivplus::ShellWindow window) const override { return visible.count(window) > 0; }
    void showWindow(kivplus::ShellWindow window) override { visible.insert(window); }
    void hideWindow(kivplus::ShellWindow window) override { visible.erase(window); }
    void titleChanged(const std::string& text) override { title = text; }
    void connectionChanged() override { ++connectionChanges; }
    void modeChanged() override {}
    void listsChanged() override {}
};

// The "KIV-2xx Simulator" entry backed by a kivsim device.
class TestSimulatorHost : public kivplus::VirtualDeviceHost {
public:
    std::unique_ptr<kivsim::Simulator> simulator;
    int stops = 0;

    std::string start() override
    {
        if (!simulator)
            simulator = std::make_unique<kivsim::Simulator>();
        return simulator->path();
    }
    void stop() override
    {
        simulator.reset();
        ++stops;
    }
};

// A key map file with one Single key, the Acc ignition key and progressive
// key 1, made with "demo.dbc" on CAN 1.
inline std::string smallKeyMapDocument(const std::string& can1 = "demo.dbc")
{
    using namespace keymaptest;
    return document(element("DatabaseName", {{"can1", can1}, {"can2", ""}}, {})
                    + section("KeyMap", {keyXml({{"name", "12"}})}) + section("IgnitionList", {ignitionXml({})})
                    + section("ProgressiveKey", {progressiveXml({})}) + section("Panel", {}));
}

inline void writeFile(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ControllerTest : public testing::Test {
protected:
    // The controller is made on first use so that a test can prepare the INI file.
    kivplus::CKIVPlusApp& app()
    {
        if (!app_) {
            ini_ = std::make_unique<kivplus::IniSettings>(iniPath().string());
            app_ = std::make_unique<kivplus::CKIVPlusApp>(prompt, *ini_, CKIV::getInstance(), false);
            app_->setView(&view);
            app_->setVirtualDevice(&host);
            app_->setReconnectPause(std::chrono::milliseconds(0));
        }
        return *app_;
    }
    kivplus::IniSettings& ini()
    {
        app();
        return *ini_;
    }
    std::filesystem::path iniPath() const { return dir / "KivPlus.ini"; }
    // Reads the INI file as a new program start would.
    std::string iniValue(const std::string& section, const std::string& key)
    {
        return kivplus::IniSettings(iniPath().string()).value(section, key, "<missing>");
    }

    void TearDown() override
    {
        if (app_)
            app_->disconnectionSequence();
        app_.reset();
    }

    kivtest::TempDir dir;
    kivplus::ScriptedPrompt prompt;
    FakeView view;
    TestSimulatorHost host;

private:
    std::unique_ptr<kivplus::IniSettings> ini_;
    std::unique_ptr<kivplus::CKIVPlusApp> app_;
};

} // namespace shelltest
