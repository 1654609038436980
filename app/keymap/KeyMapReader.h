#pragma once

#include "keymap/DeviceMode.h"
#include "keymap/KeyMapLists.h"
#include "platform/XmlDocument.h"

#include <array>
#include <string>

namespace kivplus {

// Results of reading a key map file.
inline constexpr int kKeyMapReadOk = 0;
inline constexpr int kKeyMapContentError = 13;  // the error text is shown as it is
inline constexpr int kKeyMapInvalidFile = 110;  // the invalid-file message is appended

struct KeyMapReadResult {
    int code = kKeyMapReadOk;
    std::string errorText;
    // What the user sees for a failed read (empty for success).
    std::string shownText() const;
};

// The database names recorded for CAN 1 and CAN 2 (empty when missing or when
// the file cannot be read).
std::array<std::string, 2> readDatabaseNames(const std::string& path);
std::array<std::string, 2> readDatabaseNames(const XmlDocument& doc);

// Section readers: each fills the given staging list (or the layout's staging
// maps), appends to error and answers 0, 13 or 110. Reading stops at the first
// failed check.
int readKeyMapSection(const XmlDocument& doc, std::string& error, DeviceMode mode, CKeyMap& staging);
int readIgnitionSection(const XmlDocument& doc, std::string& error, DeviceMode mode, CKeyMap& staging);
int readProgressiveSection(const XmlDocument& doc, std::string& error, CProgressive& staging);
int readPanelSection(const XmlDocument& doc, std::string& error, CPanelLayout& layout);

// Reads the file in the given mode into staging copies of the lists and the
// layout and commits them (as unchanged) only when every section was read;
// after a failure the lists and the layout are exactly as before.
KeyMapReadResult readKeyMapFile(const std::string& path, DeviceMode mode, KeyMapLists lists);

} // namespace kivplus
