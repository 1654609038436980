#include "keymap/CProgressive.h"

#include "keymap/KeyFields.h"
#include "keymap/KeyMapDatabases.h"

#include <new>

namespace kivplus {

namespace {

constexpr int kLastProgressiveNumber = 99;
constexpr int kLastDeviceProgressiveNumber = 2;

} // namespace

CProgressive::~CProgressive() = default;

bool CProgressive::addKey(const tKeyEntry& entry)
{
    if (entry.frames.empty())
        return false;
    tKeyEntry key;
    key.type = entry.type;
    key.runnerStatus.expanded = entry.runnerStatus.expanded.load();
    key.name = entry.name;
    key.runTime = entry.runTime;
    key.sleepTime = entry.sleepTime;
    key.numberOfCanFrame = 1;
    try {
        key.frames.push_back(entry.frames.front());
        key.frames.front().sent = 0;
        key.frames.front().periodicActive = 0;
        entries_.push_back(std::move(key));
    } catch (const std::bad_alloc&) {
        return false;
    }
    modified_ = true;
    return true;
}

bool CProgressive::updateKey(const std::string& name, const tKeyEntry& entry)
{
    tKeyEntry* key = findKey(name);
    if (!key || key->frames.empty() || entry.frames.empty())
        return false;
    key->name = entry.name;
    const tKeyFrame& from = entry.frames.front();
    tKeyFrame& to = key->frames.front();
    to.canCh = from.canCh;
    to.periodicInterval = from.periodicInterval;
    to.progressiveMin = from.progressiveMin;
    to.progressiveMax = from.progressiveMax;
    to.progressiveStep = from.progressiveStep;
    modified_ = true;
    return true;
}

std::vector<std::string> CProgressive::listFreeKeyNumbers(DeviceMode mode) const
{
    const int last = mode == DeviceMode::Interface ? kLastProgressiveNumber : kLastDeviceProgressiveNumber;
    std::vector<bool> used(static_cast<std::size_t>(last) + 1, false);
    for (const auto& entry : entries_) {
        const int number = parseDecimal(entry.name);
        if (number >= 0 && number <= last)
            used[static_cast<std::size_t>(number)] = true;
    }
    std::vector<std::string> free;
    for (int number = 0; number <= last; ++number) {
        if (!used[static_cast<std::size_t>(number)])
            free.push_back(std::to_string(number));
    }
    return free;
}

CProgressive& CProgressive::createStaging() { return static_cast<CProgressive&>(CKeyMap::createStaging()); }

std::unique_ptr<CKeyMap> CProgressive::makeEmptyList() const { return std::make_unique<CProgressive>(); }

void CProgressive::resolveProgressiveSignals(const KeyMapDatabases& databases)
{
    if (!databases.isLoaded(1) && !databases.isLoaded(2))
        return;
    for (auto& entry : entries_) {
        for (auto& frame : entry.frames) {
            const int channel = parseDecimal(frame.canCh);
            if ((channel != 1 && channel != 2) || !databases.isLoaded(channel))
                continue;
            const std::uint32_t id = parseHex(frame.messageId);
            const bool extended = frame.messageFormat != "Standard";
            const auto name = databases.findMessageName(channel, id, extended);
            if (!name) {
                frame.messageName.clear();
                frame.signalName.clear();
                frame.signalType.clear();
                continue;
            }
            frame.messageName = *name;
            const auto signal = databases.findSignal(channel, id, extended, parseDecimal(frame.startByte),
                                                     parseDecimal(frame.startBit));
            if (signal) {
                frame.signalName = signal->name;
                frame.signalType = signal->signalType;
            }
        }
    }
}

} // namespace kivplus
