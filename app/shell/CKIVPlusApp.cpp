#include "shell/CKIVPlusApp.h"

#include "keymap/KeyMapFile.h"
#include "keymap/KeyMapTexts.h"
#include "keymap/KeyMapTransfer.h"
#include "platform/IniSettings.h"
#include "platform/SerialPorts.h"
#include "platform/UserPrompt.h"
#include "shell/SessionTexts.h"
#include "shell/ShellTexts.h"
#include "trace/LogFileCommands.h"

#include <filesystem>
#include <thread>

namespace kivplus {

namespace {

constexpr const char* kSection = "KivPlus";

// The windows hidden on the way into Configuration mode and shown again on
// the way back.
constexpr ShellWindow kInterfaceWindows[] = {ShellWindow::Panel,    ShellWindow::RunManager, ShellWindow::ScenarioGroup,
                                             ShellWindow::TraceAll, ShellWindow::Trace1,     ShellWindow::Trace2};

bool hasExtension(const std::string& path, const char* extension)
{
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == std::string(".") + extension;
}

// Answers the file choosers with one given path and passes everything else on.
class GivenFilePrompt : public UserPrompt {
public:
    GivenFilePrompt(UserPrompt& prompt, std::string path) : prompt_(prompt), path_(std::move(path)) {}

    void information(const std::string& text) override { prompt_.information(text); }
    void error(const std::string& text) override { prompt_.error(text); }
    Answer question(const std::string& text) override { return prompt_.question(text); }
    std::string chooseOpenFile(const std::string&, const std::string&) override { return path_; }
    std::string chooseSaveFile(const std::string&, const std::string&, const std::string&) override { return path_; }
    std::string chooseFolder(const std::string&, const std::string&) override { return path_; }
    void setBusy(bool busy) override { prompt_.setBusy(busy); }

private:
    UserPrompt& prompt_;
    std::string path_;
};

} // namespace

CKIVPlusApp::CKIVPlusApp(UserPrompt& prompt, IniSettings& ini, CKIV* library, bool ownsLibrary)
    : prompt_(prompt), ini_(ini), xmlCheck_(checkXmlSupport), session_(prompt, library, ownsLibrary)
{
    mode_ = ini_.value(kSection, kModeKey, "2") == "1" ? DeviceMode::Interface : DeviceMode::Configuration;
    announcer_.setMode(mode_);
    statusText_ = shelltext::kStatusAtStart;
    if (session_.isConnected()) {
        session_.disconnect();
        statusText_ = shelltext::kStatusNotConnected;
    }
    deviceSettings_.applyAllowedCombinations();
    logSettings_.load(ini_);
    applyLogSettings();
    uds_.load(ini_);
}

CKIVPlusApp::~CKIVPlusApp()
{
    if (!closed_) {
        runEnvironment_.closing.store(true);
        stopRunners();
        announcer_.stop();
        session_.stopReceiveThread();
        session_.attachTrace(nullptr);
        session_.disconnect();
        pipeline_.shutdown();
        if (usingVirtualDevice_ && virtualDevice_)
            virtualDevice_->stop();
    }
}

std::string CKIVPlusApp::title() const
{
    std::string text = shelltext::kProgramTitle;
    if (!keyMapPath_.empty())
        text += " - " + std::filesystem::path(keyMapPath_).filename().string();
    return text;
}

std::string CKIVPlusApp::modeText() const
{
    return mode_ == DeviceMode::Interface ? shelltext::kInterfaceMode : shelltext::kConfigurationMode;
}

bool CKIVPlusApp::listsEmpty() const
{
    return keyMap_.count() == 0 && ignition_.count() == 0 && progressive_.count() == 0;
}

bool CKIVPlusApp::hasUnsavedChanges() const
{
    return keyMap_.countsAsChanged() || ignition_.countsAsChanged() || progressive_.countsAsChanged();
}

MenuState CKIVPlusApp::menuState()
{
    return MenuState::compute(mode_, isConnected(), listsEmpty(), false);
}

std::vector<std::string> CKIVPlusApp::portEntries() const
{
    std::vector<std::string> entries = listSerialPorts();
    if (virtualDevice_)
        entries.emplace_back(shelltext::kSimulatorEntry);
    return entries;
}

bool CKIVPlusApp::connectPort(const std::string& entry)
{
    if (entry.empty())
        return false;
    currentPort_ = entry;
    if (isConnected()) {
        disconnectionSequence();
        std::this_thread::sleep_for(reconnectPause_);
    }
    std::string portName = entry;
    const bool virtualEntry = virtualDevice_ && entry == shelltext::kSimulatorEntry;
    if (virtualEntry)
        portName = virtualDevice_->start();
    if (!portName.empty() && session_.connect(portName)) {
        usingVirtualDevice_ = virtualEntry;
        statusText_ = shelltext::kStatusConnected + entry;
        timeSync_.send(session_);
        connectionSequence();
        return true;
    }
    if (virtualEntry)
        virtualDevice_->stop();
    prompt_.error(shelltext::kOpenPortFailed);
    statusText_ = shelltext::kStatusNotConnected;
    notifyConnection();
    return false;
}

void CKIVPlusApp::disconnectButton()
{
    if (!isConnected())
        return;
    currentPort_.clear();
    disconnectionSequence();
}

void CKIVPlusApp::connectionSequence()
{
    announcer_.setMode(mode_);
    announcer_.start();
    if (mode_ == DeviceMode::Interface) {
        applyLogSettings();
        logSettingsLocked_ = true;
        pipeline_.startTracing();
        session_.attachTrace(&pipeline_);
        session_.startReceiveThread();
    }
    notifyConnection();
}

void CKIVPlusApp::stopRunners()
{
    groupRunner_.stopGroup();
    runners_.stopAndJoin();
}

void CKIVPlusApp::disconnectionSequence()
{
    announcer_.stop();
    stopRunners();
    stopUdsDownload();
    session_.stopReceiveThread();
    session_.attachTrace(nullptr);
    session_.disconnect();
    pipeline_.stopTracing();
    if (usingVirtualDevice_ && virtualDevice_)
        virtualDevice_->stop();
    usingVirtualDevice_ = false;
    statusText_ = shelltext::kStatusNotConnected;
    notifyConnection();
}

void CKIVPlusApp::deviceRemoved(bool kivDevice)
{
    if (kivDevice && isConnected() && !usingVirtualDevice_)
        disconnectionSequence();
    else
        notifyConnection();
}

void CKIVPlusApp::notifyConnection()
{
    if (view_)
        view_->connectionChanged();
}

bool CKIVPlusApp::checkXml()
{
    if (xmlCheck_ && xmlCheck_())
        return true;
    prompt_.error(shelltext::kXmlUnavailable);
    return false;
}

bool CKIVPlusApp::offerToSaveChanges()
{
    if (!hasUnsavedChanges() || prompt_.question(sessiontext::kSaveChanges) == UserPrompt::Answer::No)
        return true;
    return saveKeyMap();
}

void CKIVPlusApp::setKeyMapPath(std::string path)
{
    keyMapPath_ = std::move(path);
    if (view_)
        view_->titleChanged(title());
}

void CKIVPlusApp::fileNew()
{
    if (!offerToSaveChanges())
        return;
    stopRunners();
    pipeline_.stopTracing();
    pipeline_.newFile();
    deviceSettings_ = DeviceSettings{};
    deviceSettings_.applyAllowedCombinations();
    logSettingsLocked_ = false;
    databases_.releaseAll();
    messageNamer_.update(databases_);
    for (int slot = 0; slot < DatabaseChannels::kChannels; ++slot) {
        ChannelDatabase& channel = databases_.channel(slot);
        channel.path.clear();
        channel.name.clear();
        channel.nameInUse.clear();
    }
    names_ = {};
    for (CKeyMap* list : {static_cast<CKeyMap*>(&keyMap_), static_cast<CKeyMap*>(&ignition_),
                          static_cast<CKeyMap*>(&progressive_)}) {
        list->clearKeys();
        list->setModified(false);
    }
    scenarioGroup_.clearItems();
    scenarioGroup_.setModified(false);
    disconnectButton();
    setKeyMapPath({});
    notifyConnection();
    if (view_)
        view_->listsChanged();
}

bool CKIVPlusApp::openDatabase(int channel)
{
    return openDatabaseWith(channel, prompt_);
}

bool CKIVPlusApp::openDatabaseFile(int channel, const std::string& path)
{
    GivenFilePrompt given(prompt_, path);
    return openDatabaseWith(channel, given);
}

bool CKIVPlusApp::openDatabaseWith(int channel, UserPrompt& prompt)
{
    DatabaseChannels::Hooks hooks;
    hooks.keyMapHasElements = [this] { return !listsEmpty(); };
    hooks.databaseLoaded = [this](int slot) {
        names_.current[static_cast<std::size_t>(slot)] = databases_.channel(slot).name;
        messageNamer_.update(databases_);
        keyMap_.resolveMessageNames(keyMapDatabases_);
        ignition_.resolveMessageNames(keyMapDatabases_);
        progressive_.resolveProgressiveSignals(keyMapDatabases_);
        if (view_)
            view_->listsChanged();
    };
    return databases_.openDatabase(channel, prompt, ini_, hooks);
}

bool CKIVPlusApp::openKeyMap()
{
    if (!checkXml() || !offerToSaveChanges())
        return false;
    const std::string path = prompt_.chooseOpenFile(shelltext::kOpenKeyMapTitle, shelltext::kKeyMapFilter);
    if (path.empty())
        return false;
    return openKeyMapFile(path);
}

bool CKIVPlusApp::openKeyMapFile(const std::string& path)
{
    if (!hasExtension(path, "kiv")) {
        prompt_.information(shelltext::kChooseKivFile);
        return false;
    }
    if (!loadKeyMapFile(path, mode_, lists(), names_, &keyMapDatabases_, prompt_))
        return false;
    setKeyMapPath(path);
    if (view_) {
        view_->listsChanged();
        view_->showWindow(ShellWindow::Editor);
    }
    return true;
}

bool CKIVPlusApp::writeKeyMap(const std::string& path)
{
    if (saveKeyMapFile(path, lists(), names_))
        return true;
    prompt_.error(keymaptext::kSaveFailed);
    return false;
}

bool CKIVPlusApp::saveKeyMap()
{
    if (!checkXml())
        return false;
    if (listsEmpty()) {
        prompt_.information(sessiontext::kNothingToSave);
        return false;
    }
    if (keyMapPath_.empty())
        return saveAsKeyMap();
    backupKeyMapFile(keyMapPath_);
    return writeKeyMap(keyMapPath_);
}

bool CKIVPlusApp::saveAsKeyMap()
{
    if (!checkXml())
        return false;
    if (listsEmpty()) {
        prompt_.information(sessiontext::kNothingToSave);
        return false;
    }
    std::string path =
        prompt_.chooseSaveFile(shelltext::kSaveKeyMapTitle, shelltext::kKeyMapFilter, shelltext::kDefaultKeyMapName);
    if (path.empty())
        return false;
    if (std::filesystem::path(path).extension().empty())
        path += ".kiv";
    if (!hasExtension(path, "kiv")) {
        prompt_.information(shelltext::kChooseKivFile);
        return false;
    }
    if (!writeKeyMap(path))
        return false;
    setKeyMapPath(path);
    return true;
}

int CKIVPlusApp::openLog()
{
    SendLogWindow* window = view_ ? view_->sendLogWindow() : nullptr;
    if (!window)
        return 0;
    return openLogCommand(prompt_, pipeline_.sendLog(), *window);
}

int CKIVPlusApp::saveAsLog()
{
    const bool sendLog = view_ && view_->sendLogHadFocusLast();
    return saveAsLogCommand(prompt_, sendLog ? pipeline_.sendLog() : pipeline_.liveLog());
}

bool CKIVPlusApp::getKeyMap()
{
    KeyMapTransfer transfer(session_, keyMap_, ignition_, progressive_);
    transfer.setModeAnnouncer(&announcer_);
    transfer.setDatabases(&keyMapDatabases_, &names_);
    transfer.setSaveChanges([this] { saveKeyMap(); });
    transfer.setListsReplaced([this] {
        if (view_)
            view_->listsChanged();
    });
    return transfer.getKeyMapFromDevice();
}

bool CKIVPlusApp::setKeyMap()
{
    KeyMapTransfer transfer(session_, keyMap_, ignition_, progressive_);
    transfer.setModeAnnouncer(&announcer_);
    return transfer.setKeyMapOnDevice();
}

void CKIVPlusApp::switchMode(DeviceMode mode)
{
    if (mode == DeviceMode::Interface) {
        if (mode_ != DeviceMode::Interface) {
            mode_ = DeviceMode::Interface;
            if (view_)
                for (ShellWindow window : kInterfaceWindows)
                    if (rememberedVisibility_[window])
                        view_->showWindow(window);
        }
    } else if (mode_ != DeviceMode::Configuration) {
        for (ShellWindow window : kInterfaceWindows) {
            const bool visible = view_ && view_->isWindowVisible(window);
            rememberedVisibility_[window] = visible;
            if (visible)
                view_->hideWindow(window);
        }
        mode_ = DeviceMode::Configuration;
    }
    announcer_.setMode(mode_);
    if (view_)
        view_->modeChanged();
}

void CKIVPlusApp::showWindow(ShellWindow window)
{
    if (view_)
        view_->showWindow(window);
}

bool CKIVPlusApp::readDeviceSettings()
{
    return kivplus::readDeviceSettings(session_, &announcer_, deviceSettings_);
}

bool CKIVPlusApp::writeDeviceSettings()
{
    return kivplus::writeDeviceSettings(session_, &announcer_, deviceSettings_);
}

std::string CKIVPlusApp::chooseFirmwareImage()
{
    if (!isConnected()) {
        prompt_.information(sessiontext::kCheckConnection);
        return {};
    }
    return prompt_.chooseOpenFile(sessiontext::kImageTitle, sessiontext::kImageFilter);
}

bool CKIVPlusApp::updateFirmware(const std::string& path, const ImageProgress& progress)
{
    announcer_.stop();
    const bool updated = updateDeviceImage(session_, path, progress);
    announcer_.start();
    return updated;
}

void CKIVPlusApp::setLogFolder(const std::string& folder)
{
    logSettings_.folder = folder;
    applyLogSettings();
}

void CKIVPlusApp::setLogSizeChoice(int choice)
{
    logSettings_.sizeChoice = choice;
    applyLogSettings();
}

void CKIVPlusApp::applyLogSettings()
{
    pipeline_.liveLog().setBaseFolder(logSettings_.effectiveFolder());
    pipeline_.setCapacitySetting(logSettings_.sizeChoice);
}

bool CKIVPlusApp::startUdsDownload()
{
    if (!isConnected() || mode_ != DeviceMode::Interface || !session_.isReceiveThreadRunning()) {
        prompt_.information(shelltext::kUdsNeedsInterface);
        return false;
    }
    KIVCommon::tUDSInformation info{};
    const std::vector<std::string> problems = toUdsInformation(uds_, info);
    if (!problems.empty()) {
        std::string text;
        for (const std::string& problem : problems)
            text += (text.empty() ? "" : "\n") + problem;
        prompt_.error(text);
        return false;
    }
    std::string sequence = uds_.sequencePath;
    session_.setUdsDownloadChannel(info.canChannel);
    CKIV* library = session_.library();
    if (!library || library->tesSetUdsSequence(sequence.data(), info) != 0) {
        session_.setUdsDownloadChannel(-1);
        prompt_.error(shelltext::kUdsStartFailed);
        return false;
    }
    library->vRunSequenceData();
    return true;
}

bool CKIVPlusApp::isUdsDownloadRunning()
{
    CKIV* library = session_.library();
    return library && library->bIsUdsDownloadRunning();
}

void CKIVPlusApp::stopUdsDownload()
{
    if (isUdsDownloadRunning())
        session_.library()->vStopSequenceData();
    finishUdsDownload();
}

void CKIVPlusApp::finishUdsDownload()
{
    session_.setUdsDownloadChannel(-1);
}

bool CKIVPlusApp::close()
{
    closing_ = true;
    runEnvironment_.closing.store(true);
    disconnectionSequence();
    logSettings_.save(ini_);
    ini_.setValue(kSection, kModeKey, std::to_string(static_cast<int>(mode_)));
    uds_.save(ini_);
    ini_.sync();
    if (hasUnsavedChanges() && prompt_.question(sessiontext::kSaveChanges) == UserPrompt::Answer::Yes) {
        if (!saveKeyMap()) {
            closing_ = false;
            runEnvironment_.closing.store(false);
            return false;
        }
    }
    pipeline_.shutdown();
    closed_ = true;
    return true;
}

} // namespace kivplus
