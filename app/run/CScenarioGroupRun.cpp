#include "run/CScenarioGroupRun.h"

#include "keymap/CKeyMap.h"
#include "run/CKeyMapRun.h"
#include "run/PassTiming.h"
#include "run/RunEnvironment.h"
#include "run/RunLink.h"
#include "run/RunNotifier.h"

namespace kivplus {

CScenarioGroupRun::CScenarioGroupRun(RunEnvironment& environment, CKeyMapRun& keyRunner, const CKeyMap& keyMap)
    : environment_(environment), keyRunner_(keyRunner), keyMap_(keyMap)
{
}

CScenarioGroupRun::~CScenarioGroupRun()
{
    stopGroup();
    joinGroup();
}

bool CScenarioGroupRun::loadGroup(const CScenarioGroup& group)
{
    if (groupRunning())
        return false;
    joinGroup();
    std::lock_guard guard(itemsLock_);
    items_.clear();
    for (const tScenarioGroupItem& item : group.items())
        items_.emplace_back().item = item;
    return true;
}

bool CScenarioGroupRun::clearGroup()
{
    if (groupRunning())
        return false;
    joinGroup();
    std::lock_guard guard(itemsLock_);
    items_.clear();
    return true;
}

int CScenarioGroupRun::itemCount() const
{
    std::lock_guard guard(itemsLock_);
    return static_cast<int>(items_.size());
}

std::optional<tScenarioGroupItem> CScenarioGroupRun::item(int index) const
{
    std::lock_guard guard(itemsLock_);
    if (index < 0)
        return std::nullopt;
    for (const Item& item : items_) {
        if (index-- == 0) {
            tScenarioGroupItem out = item.item;
            out.itemFlag = item.active.load();
            return out;
        }
    }
    return std::nullopt;
}

void CScenarioGroupRun::prepare(const Item& item)
{
    if (item.key)
        keyRunner_.loadKeyForManagedRun(*item.key, item.item.runCount, item.item.runTimeText);
}

bool CScenarioGroupRun::startGroup()
{
    if (groupRunning())
        return false;
    joinGroup();
    {
        std::lock_guard guard(itemsLock_);
        for (Item& item : items_) {
            const tKeyEntry* key = keyMap_.findKey(item.item.keyNumber);
            item.key = key ? std::optional<tKeyEntry>(*key) : std::nullopt;
            prepare(item);
        }
    }
    emit environment_.notifier.groupStarted();
    groupRunning_ = 1;
    thread_ = std::thread([this] { runGroup(); });
    return true;
}

void CScenarioGroupRun::stopGroup()
{
    groupRunning_ = 0;
    for (const std::string& name : keyRunner_.keyNames()) {
        const auto copy = keyRunner_.copyOf(name);
        if (copy && copy->type == KEY_TYPE_SCENARIO && copy->runnerStatus.running == 1)
            keyRunner_.stopKey(name);
    }
}

void CScenarioGroupRun::joinGroup()
{
    if (thread_.joinable())
        thread_.join();
}

void CScenarioGroupRun::runGroup()
{
    const auto going = [this] { return groupRunning() && environment_.link.isConnected(); };
    // The items do not change while the group runs (loadGroup and clearGroup
    // refuse), so they are walked without the lock.
    do {
        for (Item& item : items_) {
            prepare(item);
            keyRunner_.startKey(item.item.keyNumber);
            item.active = 1;
            do
                sleepMilliseconds(100);
            while (keyRunner_.isKeyRunning(item.item.keyNumber) == 1 && going());
            item.active = 0;
            if (!going())
                break;
        }
    } while (groupRepeat() && going());
    groupRunning_ = 0;
    if (!environment_.closing.load())
        emit environment_.notifier.groupEnded();
}

} // namespace kivplus
