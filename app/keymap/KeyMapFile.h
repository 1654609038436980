#pragma once

#include "keymap/DeviceMode.h"
#include "keymap/KeyMapLists.h"

#include <filesystem>
#include <string>

namespace kivplus {

class KeyMapDatabases;
class UserPrompt;

// The optional indent stylesheet: "res/indent.xsl" in the program's folder.
std::filesystem::path defaultIndentStylesheet();

// Whether the XML support the key map file needs is there (the euc-kr encoder).
bool checkXmlSupport();

// Writes the lists and the panel layout as a key map file (euc-kr). The file is
// written to a temporary file beside the target and renamed over it, so the
// target is never left half written. The document is indented by the given
// stylesheet when that file exists (an absolute path), else by the program.
// On success the three lists count as unchanged.
bool saveKeyMapFile(const std::string& target, KeyMapLists lists, const ChannelDatabaseNames& names,
                    const std::filesystem::path& stylesheet = defaultIndentStylesheet());

// Opens a key map file in the given mode: asks before opening a file made with
// other databases, shows a failed check to the user and then changes nothing.
// On success the lists and the layout are replaced (unchanged), the recorded
// database names are updated and message and signal names follow databases
// (when given).
bool loadKeyMapFile(const std::string& path, DeviceMode mode, KeyMapLists lists, ChannelDatabaseNames& names,
                    const KeyMapDatabases* databases, UserPrompt& prompt);

// The backup of a key map file: its path with the last three characters
// replaced by "bak" (x.kiv -> x.bak).
std::string keyMapBackupPath(const std::string& path);
// Copies the file to its backup path before it is overwritten, unless a backup
// exists already. False only when a needed copy failed.
bool backupKeyMapFile(const std::string& path);

} // namespace kivplus
