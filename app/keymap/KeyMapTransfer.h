#pragma once

#include "keymap/BlockReceive.h"
#include "keymap/CIgnition.h"
#include "keymap/CKeyMap.h"
#include "keymap/CProgressive.h"
#include "keymap/DeviceRecords.h"
#include "keymap/KeyMapLists.h"
#include "shell/DeviceJob.h"

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace kivplus {

class DeviceSession;
class KeyMapDatabases;
class ModeAnnouncer;

// The key map, ignition and progressive lists as they go to the device, each
// payload checked against what one command frame carries.
struct DeviceKeyMap {
    DeviceBytes singleKeys;
    std::vector<std::pair<std::string, DeviceBytes>> scenarioKeys;   // name, record
    DeviceBytes ignition;
    DeviceBytes progressive;
};

// Get KeyMap and Set KeyMap: copies the three lists from the device into the
// application and back, in the fixed order, with the messages of each step.
// Both block the caller (run them on a DeviceJob to keep a window live).
class KeyMapTransfer {
public:
    KeyMapTransfer(DeviceSession& session, CKeyMap& keyMap, CIgnition& ignition, CProgressive& progressive);

    // Stopped before and started after each transfer; may be null.
    void setModeAnnouncer(ModeAnnouncer* announcer) { announcer_ = announcer; }
    // Message and signal names after a read, and the recorded database names
    // that a read clears for channels without a database; both may be null.
    void setDatabases(const KeyMapDatabases* databases, ChannelDatabaseNames* names)
    {
        databases_ = databases;
        names_ = names;
    }
    // Runs the main window's Save KeyMap when the user wants changes saved.
    void setSaveChanges(std::function<void()> save) { saveChanges_ = std::move(save); }
    // Called after each list was read or written: lists done out of 3.
    void setProgress(DeviceProgress progress) { progress_ = std::move(progress); }
    // Called after a read replaced the lists (the editor refreshes).
    void setListsReplaced(std::function<void()> replaced) { listsReplaced_ = std::move(replaced); }

    // True when all three lists were read (or written); every message is shown.
    bool getKeyMapFromDevice();
    bool setKeyMapOnDevice();

    bool readKeyMapFromDevice(CKeyMap& staging);
    bool readIgnitionFromDevice(CKeyMap& staging);
    bool readProgressiveFromDevice(CProgressive& staging);

    // The lists as device records; false with the reason in error when one
    // cannot be expressed or does not fit a command frame.
    bool encodeForDevice(DeviceKeyMap& out, std::string& error) const;
    bool writeKeyMapToDevice(const DeviceKeyMap& records);
    bool writeIgnitionToDevice(const DeviceKeyMap& records);
    bool writeProgressiveToDevice(const DeviceKeyMap& records);

    // The block loop for the answers to request; the ignition read takes its
    // answers with its own short wait.
    BlockResult receiveBlocks(std::uint8_t request, std::uint8_t answer, std::vector<std::uint8_t>& data,
                              bool ignitionWait = false);

private:
    // Polls the response store (tries times, interval apart) while it is
    // empty, then takes records until a device frame.
    KIVCommon::tKIVNGMessageData takeAnswer(int tries, std::chrono::milliseconds interval);
    // Shows the message of a failed version check; true when there was one.
    bool showVersionProblem(int versionResult);
    void reportProgress(int listsDone) const
    {
        if (progress_)
            progress_(listsDone, 3);
    }
    // The three reads into staging lists, committed when all succeeded; the
    // failure message of the first failed read, or null.
    const char* readAllIntoLists();
    const char* readInto(CKeyMap& keyMap, CKeyMap& ignition, CProgressive& progressive);
    const char* writeAllFromLists(const DeviceKeyMap& records);
    void showReadFailure(const char* text);

    DeviceSession& session_;
    CKeyMap& keyMap_;
    CIgnition& ignition_;
    CProgressive& progressive_;
    ModeAnnouncer* announcer_ = nullptr;
    const KeyMapDatabases* databases_ = nullptr;
    ChannelDatabaseNames* names_ = nullptr;
    std::function<void()> saveChanges_;
    std::function<void()> listsReplaced_;
    DeviceProgress progress_;
    bool answerTooLarge_ = false;
};

} // namespace kivplus
