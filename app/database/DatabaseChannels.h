#pragma once

#include "database/CMsgSignal.h"

#include <array>
#include <functional>
#include <memory>
#include <string>

namespace kivplus {

class IniSettings;
class UserPrompt;

// The database of one CAN channel with the texts the main window keeps for it.
struct ChannelDatabase {
    std::unique_ptr<CMsgSignal> database;   // may be empty
    std::string path;                       // full path of the database file
    std::string name;                       // file name with extension
    std::string nameInUse;                  // last loaded here, or named by an opened key map file
};

// Slot 0 is CAN 1, slot 1 CAN 2; the current database is the one loaded last
// on either channel.
class DatabaseChannels {
public:
    static constexpr int kChannels = 2;

    // What the open-database command needs from the rest of the program.
    struct Hooks {
        std::function<bool()> keyMapHasElements;      // any key map, ignition or progressive key
        std::function<bool()> xmlParserAvailable;     // checked before an ARXML import
        std::function<void(int channel)> databaseLoaded;   // editor hand-off, renaming, refresh
    };

    ChannelDatabase& channel(int slot) { return channels_.at(static_cast<std::size_t>(slot)); }
    const ChannelDatabase& channel(int slot) const { return channels_.at(static_cast<std::size_t>(slot)); }
    CMsgSignal* database(int slot) const { return channel(slot).database.get(); }

    CMsgSignal* currentDatabase() const { return current_; }
    const std::string& currentPath() const { return currentPath_; }

    // File › Open Database › CAN 1... / CAN 2... (channel 0 or 1). Returns true
    // when a database was loaded.
    bool openDatabase(int channel, UserPrompt& prompt, IniSettings& ini, const Hooks& hooks = {});

    // At exit: every database is released and the current reference cleared.
    void releaseAll();

private:
    std::array<ChannelDatabase, kChannels> channels_;
    CMsgSignal* current_ = nullptr;
    std::string currentPath_;
};

} // namespace kivplus
