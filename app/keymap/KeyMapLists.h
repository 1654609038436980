#pragma once

#include "keymap/CIgnition.h"
#include "keymap/CKeyMap.h"
#include "keymap/CPanelLayout.h"
#include "keymap/CProgressive.h"

#include <array>
#include <string>

namespace kivplus {

// The parts of a key map that a file holds, owned by the main window.
struct KeyMapLists {
    CKeyMap& keyMap;
    CIgnition& ignition;
    CProgressive& progressive;
    CPanelLayout& panel;
};

// Per CAN channel (index 0 = CAN 1): the file name of the database loaded on
// it, and the database name recorded with the current key map.
struct ChannelDatabaseNames {
    std::array<std::string, 2> current;
    std::array<std::string, 2> recorded;
};

} // namespace kivplus
