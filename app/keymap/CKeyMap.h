#pragma once

#include "keymap/DeviceMode.h"
#include "keymap/KeyRecords.h"

#include <memory>
#include <string>
#include <vector>

namespace kivplus {

class KeyMapDatabases;

// A list of keys: the Basic keys of the key map, and the base of the ignition
// and progressive lists. Keys are identified by their name (exact comparison).
// Loaders fill a staging list and commit it only when everything was read.
class CKeyMap {
public:
    CKeyMap() = default;
    virtual ~CKeyMap();
    CKeyMap(const CKeyMap&) = delete;
    CKeyMap& operator=(const CKeyMap&) = delete;

    // Appends a key with one frame copied from entry's first frame.
    virtual bool addKey(const tKeyEntry& entry);
    virtual bool updateKey(const std::string& name, const tKeyEntry& entry);
    // The key numbers 10-99 that no key uses, ascending.
    virtual std::vector<std::string> listFreeKeyNumbers(DeviceMode mode) const;
    // Names of the Scenario keys that can be run or stored in this mode.
    virtual std::vector<std::string> listScenarioKeys(DeviceMode mode) const;
    virtual void commitStaging(bool modified);
    virtual void discardStaging();
    virtual CKeyMap& createStaging();

    CKeyMap* staging() const { return staging_.get(); }
    const std::vector<tKeyEntry>& entries() const { return entries_; }
    int count() const { return static_cast<int>(entries_.size()); }
    bool modified() const { return modified_; }
    void setModified(bool modified) { modified_ = modified; }
    // Changed in the sense of the save prompt: modified and not empty.
    bool countsAsChanged() const { return modified_ && !entries_.empty(); }

    tKeyEntry* findKey(const std::string& name);
    const tKeyEntry* findKey(const std::string& name) const;
    tKeyFrame* findFrame(const std::string& name, int num);
    int getFrameCount(const std::string& name) const;
    int countPeriodicFrames(const std::string& name) const;
    std::vector<std::string> listPeriodicFrameNumbers(const std::string& name) const;
    std::vector<std::string> listPeriodicScenarioKeys(DeviceMode mode) const;
    bool addFrame(const std::string& name, const tKeyFrame& frame);
    bool deleteFrame(const std::string& name, int num);
    bool moveFrame(const std::string& name, int index, bool up);
    bool deleteKey(const std::string& name);
    void clearKeys();
    // Whether one of the first n entries is a Single key other than the one
    // named whose first frame has the same messageId, messageFormat,
    // messageLength, messageData and canCh as frame (letter case ignored).
    bool findDuplicateSingleFrame(const tKeyFrame& frame, const std::string& name, int n) const;
    // Renames every frame on CAN 1 or CAN 2 after the message of that
    // channel's database; stop frames keep their name.
    void resolveMessageNames(const KeyMapDatabases& databases);

    // For loaders filling a staging list: appends the entry as it was read,
    // with numberOfCanFrame set to its frame count and frames numbered 0, 1, 2...
    void appendEntry(tKeyEntry entry);

protected:
    virtual std::unique_ptr<CKeyMap> makeEmptyList() const;

    std::vector<tKeyEntry> entries_;
    bool modified_ = false;
    std::unique_ptr<CKeyMap> staging_;
};

} // namespace kivplus
