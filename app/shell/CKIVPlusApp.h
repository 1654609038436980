#pragma once

#include "database/ChannelKeyMapDatabases.h"
#include "database/DatabaseChannels.h"
#include "keymap/CIgnition.h"
#include "keymap/CKeyMap.h"
#include "keymap/CPanelLayout.h"
#include "keymap/CProgressive.h"
#include "keymap/CScenarioGroup.h"
#include "keymap/DeviceMode.h"
#include "keymap/KeyMapLists.h"
#include "run/CScenarioGroupRun.h"
#include "run/KeyRunners.h"
#include "run/RunEnvironment.h"
#include "run/RunNotifier.h"
#include "run/SessionRunLink.h"
#include "shell/DeviceSession.h"
#include "shell/DeviceSettings.h"
#include "shell/FirmwareUpdate.h"
#include "shell/LogSettings.h"
#include "shell/MenuState.h"
#include "shell/ModeAnnouncer.h"
#include "shell/ShellView.h"
#include "shell/UdsParameters.h"
#include "trace/DatabaseMessageNamer.h"
#include "trace/TracePipeline.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace kivplus {

class IniSettings;
class UserPrompt;

// The main controller: owns the models, the device session and the trace
// pipeline, and carries the menu commands, the device mode, the connection
// and disconnection sequences, the key map file and transfer commands, the
// INI keys and the close sequence. The main window is a thin view over it.
// Every member runs on the user-interface thread; getKeyMap, setKeyMap,
// device settings and the firmware update block and may run on a DeviceJob.
class CKIVPlusApp {
public:
    // The device mode's INI key (section "KivPlus"); "2" when missing.
    static constexpr const char* kModeKey = "KivMode";

    CKIVPlusApp(UserPrompt& prompt, IniSettings& ini, CKIV* library = CKIV::getInstance(), bool ownsLibrary = true);
    ~CKIVPlusApp();
    CKIVPlusApp(const CKIVPlusApp&) = delete;
    CKIVPlusApp& operator=(const CKIVPlusApp&) = delete;

    void setView(ShellView* view) { view_ = view; }
    void setVirtualDevice(VirtualDeviceHost* host) { virtualDevice_ = host; }
    // The XML check before key map file commands (tests replace it).
    void setXmlCheck(std::function<bool()> check) { xmlCheck_ = std::move(check); }
    // Pause after a disconnection before connecting to another port.
    void setReconnectPause(std::chrono::milliseconds pause) { reconnectPause_ = pause; }

    // State the windows show.
    DeviceMode mode() const { return mode_; }
    bool isConnected() { return session_.isConnected(); }
    std::string title() const;
    const std::string& statusText() const { return statusText_; }
    std::string modeText() const;
    const std::string& currentPort() const { return currentPort_; }
    const std::string& keyMapPath() const { return keyMapPath_; }
    MenuState menuState();
    bool listsEmpty() const;
    bool hasUnsavedChanges() const;
    bool logSettingsLocked() const { return logSettingsLocked_; }

    // The port and mode window.
    std::vector<std::string> portEntries() const;
    bool connectPort(const std::string& entry);
    // The Disconnect button: the disconnection sequence when connected.
    void disconnectButton();
    void connectionSequence();
    void disconnectionSequence();

    // Device arrival and removal (on the user-interface thread).
    void deviceRemoved(bool kivDevice);

    // File menu.
    void fileNew();
    bool openDatabase(int channel);
    // The same for a given file, without the file chooser.
    bool openDatabaseFile(int channel, const std::string& path);
    bool openKeyMap();
    bool openKeyMapFile(const std::string& path);
    bool saveKeyMap();
    bool saveAsKeyMap();
    int openLog();
    int saveAsLog();

    // Device menu (blocking).
    bool getKeyMap();
    bool setKeyMap();

    // Mode menu.
    void switchMode(DeviceMode mode);

    // View and Trace menus.
    void showWindow(ShellWindow window);

    // The setting window (blocking device work).
    bool readDeviceSettings();
    bool writeDeviceSettings();
    // About > Update KIV-2XX...: the image file chosen (empty when not
    // connected, with the message, or cancelled), then the update itself.
    std::string chooseFirmwareImage();
    bool updateFirmware(const std::string& path, const ImageProgress& progress = {});
    void setLogFolder(const std::string& folder);
    void setLogSizeChoice(int choice);

    // The UDS window's "Start UDS Download": converts the parameters, shows
    // every field that does not convert, and starts the download.
    bool startUdsDownload();
    bool isUdsDownloadRunning();
    void stopUdsDownload();
    // Clears the download channel once the download has ended.
    void finishUdsDownload();

    // The close request: false when it was cancelled (the window stays open).
    bool close();
    bool isClosing() const { return closing_; }

    // Models and services for the windows.
    KeyMapLists lists() { return {keyMap_, ignition_, progressive_, panel_}; }
    CKeyMap& keyMap() { return keyMap_; }
    CIgnition& ignition() { return ignition_; }
    CProgressive& progressive() { return progressive_; }
    CScenarioGroup& scenarioGroup() { return scenarioGroup_; }
    CPanelLayout& panelLayout() { return panel_; }
    DatabaseChannels& databases() { return databases_; }
    const KeyMapDatabases& keyMapDatabases() const { return keyMapDatabases_; }
    ChannelDatabaseNames& databaseNames() { return names_; }
    DeviceSession& session() { return session_; }
    TracePipeline& tracePipeline() { return pipeline_; }
    KeyRunners& runners() { return runners_; }
    CScenarioGroupRun& scenarioGroupRunner() { return groupRunner_; }
    RunNotifier& runNotifier() { return runNotifier_; }
    DeviceSettings& deviceSettings() { return deviceSettings_; }
    LogSettings& logSettings() { return logSettings_; }
    UdsParameters& udsParameters() { return uds_; }
    UserPrompt& prompt() { return prompt_; }
    IniSettings& ini() { return ini_; }

private:
    bool openDatabaseWith(int channel, UserPrompt& prompt);
    bool checkXml();
    // The save-changes prompt; true when the changes are saved or not wanted.
    bool offerToSaveChanges();
    bool writeKeyMap(const std::string& path);
    void setKeyMapPath(std::string path);
    void applyLogSettings();
    void notifyConnection();
    void stopRunners();

    UserPrompt& prompt_;
    IniSettings& ini_;
    ShellView* view_ = nullptr;
    VirtualDeviceHost* virtualDevice_ = nullptr;
    std::function<bool()> xmlCheck_;
    std::chrono::milliseconds reconnectPause_{500};

    DeviceMode mode_ = DeviceMode::Configuration;
    std::string statusText_;
    std::string currentPort_;
    bool usingVirtualDevice_ = false;
    std::string keyMapPath_;
    std::map<ShellWindow, bool> rememberedVisibility_;
    bool logSettingsLocked_ = false;
    bool closing_ = false;
    bool closed_ = false;

    CKeyMap keyMap_;
    CIgnition ignition_;
    CProgressive progressive_;
    CScenarioGroup scenarioGroup_;
    CPanelLayout panel_;
    DatabaseChannels databases_;
    ChannelKeyMapDatabases keyMapDatabases_{databases_};
    DatabaseMessageNamer messageNamer_;
    ChannelDatabaseNames names_;
    DeviceSettings deviceSettings_;
    LogSettings logSettings_;
    UdsParameters uds_;

    TracePipeline pipeline_{&messageNamer_};
    DeviceSession session_;
    ModeAnnouncer announcer_{session_};
    TimeSync timeSync_;

    SessionRunLink runLink_{session_};
    RunNotifier runNotifier_;
    RunEnvironment runEnvironment_{runLink_, runNotifier_};
    KeyRunners runners_{runEnvironment_, &session_.transmitReports()};
    CScenarioGroupRun groupRunner_{runEnvironment_, runners_.keyMap, keyMap_};
};

} // namespace kivplus
