#pragma once

#include "keymap/KeyMapLists.h"
#include "platform/XmlDocument.h"

#include <array>
#include <string>

namespace kivplus {

// Section writers: each appends its section element, filled from the live
// list, to the root element; false when the document cannot be built.
bool writeKeyMapSection(xmlNodePtr root, const CKeyMap& keyMap);
bool writeIgnitionSection(xmlNodePtr root, const CKeyMap& ignition);
bool writeProgressiveSection(xmlNodePtr root, const CProgressive& progressive);
bool writePanelSection(xmlNodePtr root, const CPanelLayout& panel);

// The whole key map document with the database names for CAN 1 and CAN 2;
// empty when it cannot be built.
XmlDocument buildKeyMapDocument(KeyMapLists lists, const std::array<std::string, 2>& databaseNames);

} // namespace kivplus
