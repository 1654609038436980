#pragma once

#include "keymap/DeviceMode.h"

namespace kivplus {

// Which menu items of the main window can be chosen, and which mode is
// checked. Items not named here are always enabled; View > Panel and
// View > UDS Download are never offered.
struct MenuState {
    bool saveKeyMap = false;
    bool saveAsKeyMap = false;
    bool openLog = true;
    bool getKeyMap = false;
    bool setKeyMap = false;
    bool modeConfiguration = false;
    bool modeInterface = false;
    bool configurationChecked = false;
    bool interfaceChecked = false;
    bool scenarioGroup = false;
    bool runManager = false;
    bool trace = false;            // Trace > CAN 1 / CAN 2 / ALL
    bool updateFirmware = false;   // About > Update KIV-2XX...

    // The rules of the menu for the mode, the connection, whether every key
    // list is empty and whether a log replay runs.
    static MenuState compute(DeviceMode mode, bool connected, bool listsEmpty, bool replayRunning);
};

} // namespace kivplus
