#pragma once

#include "keymap/CScenarioGroup.h"
#include "keymap/KeyRecords.h"

#include <atomic>
#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace kivplus {

class CKeyMap;
class CKeyMapRun;
struct RunEnvironment;

// Plays the Scenario keys of a scenario group one after another on the key
// map runner, each as a managed run (run count or run time), and again from
// the first while groupRepeat is set.
class CScenarioGroupRun {
public:
    CScenarioGroupRun(RunEnvironment& environment, CKeyMapRun& keyRunner, const CKeyMap& keyMap);
    virtual ~CScenarioGroupRun();
    CScenarioGroupRun(const CScenarioGroupRun&) = delete;
    CScenarioGroupRun& operator=(const CScenarioGroupRun&) = delete;

    // Replaces the copy of the group; false while the group runs.
    bool loadGroup(const CScenarioGroup& group);
    // Empties the copy; false while the group runs.
    bool clearGroup();

    bool groupRepeat() const { return groupRepeat_.load() == 1; }
    void setGroupRepeat(bool repeat) { groupRepeat_ = repeat ? 1 : 0; }
    bool groupRunning() const { return groupRunning_.load() == 1; }

    int itemCount() const;
    // Item i; its itemFlag is 1 while its key runs. None out of range.
    std::optional<tScenarioGroupItem> item(int index) const;

    // Loads every item's key for its managed run, reports the group's start
    // and starts the group thread; false while the group runs. The keys are
    // taken from the key map list now: later edits do not reach this run.
    bool startGroup();
    // groupRunning 0 and every running Scenario key of the key runner stopped.
    void stopGroup();
    // Waits for the group thread to end.
    void joinGroup();

private:
    struct Item {
        tScenarioGroupItem item;
        std::optional<tKeyEntry> key;
        std::atomic<std::uint8_t> active{0};
    };

    void prepare(const Item& item);
    void runGroup();

    RunEnvironment& environment_;
    CKeyMapRun& keyRunner_;
    const CKeyMap& keyMap_;
    mutable std::mutex itemsLock_;
    std::list<Item> items_;
    std::atomic<std::uint8_t> groupRunning_{0};
    std::atomic<std::uint8_t> groupRepeat_{0};
    std::thread thread_;
};

} // namespace kivplus
