#include "keymap/CKeyMap.h"

#include "keymap/KeyFields.h"
#include "keymap/KeyMapDatabases.h"

#include <algorithm>
#include <new>

namespace kivplus {

namespace {

constexpr int kFirstKeyNumber = 10;
constexpr int kLastKeyNumber = 99;
constexpr int kDeviceScenarioFrameLimit = 50;

bool scenarioFitsMode(const tKeyEntry& entry, DeviceMode mode)
{
    if (mode == DeviceMode::Interface)
        return true;
    if (mode == DeviceMode::Configuration)
        return entry.numberOfCanFrame < kDeviceScenarioFrameLimit;
    return false;
}

void renumber(tKeyEntry& entry)
{
    for (std::size_t i = 0; i < entry.frames.size(); ++i)
        entry.frames[i].num = static_cast<std::int32_t>(i);
    entry.numberOfCanFrame = static_cast<std::int32_t>(entry.frames.size());
}

} // namespace

CKeyMap::~CKeyMap() = default;

bool CKeyMap::addKey(const tKeyEntry& entry)
{
    if (entry.frames.empty())
        return false;
    const tKeyFrame& from = entry.frames.front();
    tKeyEntry key;
    key.type = entry.type;
    key.runnerStatus.expanded = entry.runnerStatus.expanded.load();
    key.name = entry.name;
    key.runTime = entry.runTime;
    key.sleepTime = entry.sleepTime;
    key.numberOfCanFrame = 1;
    tKeyFrame frame;
    frame.num = from.num;
    frame.canCh = from.canCh;
    frame.messageName = from.messageName;
    frame.periodicInterval = from.periodicInterval;
    frame.messageId = from.messageId;
    frame.messageFormat = from.messageFormat;
    frame.messageData = from.messageData;
    frame.messageLength = from.messageLength;
    if (entry.type == KEY_TYPE_SCENARIO)
        frame.canFrameDelay = from.canFrameDelay;
    try {
        key.frames.push_back(std::move(frame));
        entries_.push_back(std::move(key));
    } catch (const std::bad_alloc&) {
        return false;
    }
    modified_ = true;
    return true;
}

bool CKeyMap::updateKey(const std::string& name, const tKeyEntry& entry)
{
    tKeyEntry* key = findKey(name);
    if (!key)
        return false;
    const bool copyFrame = key->type != KEY_TYPE_SCENARIO;
    if (copyFrame && (entry.frames.empty() || key->frames.empty()))
        return false;
    key->name = entry.name;
    key->runTime = entry.runTime;
    key->sleepTime = entry.sleepTime;
    if (copyFrame) {
        const tKeyFrame& from = entry.frames.front();
        tKeyFrame& to = key->frames.front();
        to.messageName = from.messageName;
        to.periodicInterval = from.periodicInterval;
        to.messageId = from.messageId;
        to.messageFormat = from.messageFormat;
        to.messageLength = from.messageLength;
        to.messageData = from.messageData;
    }
    modified_ = true;
    return true;
}

std::vector<std::string> CKeyMap::listFreeKeyNumbers(DeviceMode) const
{
    std::vector<bool> used(kLastKeyNumber + 1, false);
    for (const auto& entry : entries_) {
        const int number = parseDecimal(entry.name);
        if (number >= kFirstKeyNumber && number <= kLastKeyNumber)
            used[static_cast<std::size_t>(number)] = true;
    }
    std::vector<std::string> free;
    for (int number = kFirstKeyNumber; number <= kLastKeyNumber; ++number) {
        if (!used[static_cast<std::size_t>(number)])
            free.push_back(std::to_string(number));
    }
    return free;
}

std::vector<std::string> CKeyMap::listScenarioKeys(DeviceMode mode) const
{
    std::vector<std::string> names;
    for (const auto& entry : entries_) {
        if (entry.type == KEY_TYPE_SCENARIO && scenarioFitsMode(entry, mode))
            names.push_back(entry.name);
    }
    return names;
}

void CKeyMap::commitStaging(bool modified)
{
    if (!staging_)
        return;
    entries_ = std::move(staging_->entries_);
    staging_.reset();
    modified_ = modified;
}

void CKeyMap::discardStaging() { staging_.reset(); }

CKeyMap& CKeyMap::createStaging()
{
    staging_ = makeEmptyList();
    return *staging_;
}

std::unique_ptr<CKeyMap> CKeyMap::makeEmptyList() const { return std::make_unique<CKeyMap>(); }

tKeyEntry* CKeyMap::findKey(const std::string& name)
{
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const tKeyEntry& e) { return e.name == name; });
    return it == entries_.end() ? nullptr : &*it;
}

const tKeyEntry* CKeyMap::findKey(const std::string& name) const
{
    return const_cast<CKeyMap*>(this)->findKey(name);
}

tKeyFrame* CKeyMap::findFrame(const std::string& name, int num)
{
    tKeyEntry* key = findKey(name);
    if (!key)
        return nullptr;
    auto it = std::find_if(key->frames.begin(), key->frames.end(), [&](const tKeyFrame& f) { return f.num == num; });
    return it == key->frames.end() ? nullptr : &*it;
}

int CKeyMap::getFrameCount(const std::string& name) const
{
    const tKeyEntry* key = findKey(name);
    return key ? key->numberOfCanFrame : 0;
}

int CKeyMap::countPeriodicFrames(const std::string& name) const
{
    const tKeyEntry* key = findKey(name);
    if (!key)
        return 0;
    return static_cast<int>(std::count_if(key->frames.begin(), key->frames.end(),
                                          [](const tKeyFrame& f) { return parseDecimal(f.periodicInterval) > 0; }));
}

std::vector<std::string> CKeyMap::listPeriodicFrameNumbers(const std::string& name) const
{
    std::vector<std::string> numbers;
    if (const tKeyEntry* key = findKey(name)) {
        for (const auto& frame : key->frames) {
            if (parseDecimal(frame.periodicInterval) > 0)
                numbers.push_back(std::to_string(frame.num));
        }
    }
    return numbers;
}

std::vector<std::string> CKeyMap::listPeriodicScenarioKeys(DeviceMode mode) const
{
    std::vector<std::string> names;
    for (const auto& entry : entries_) {
        if (entry.type != KEY_TYPE_SCENARIO || entry.frames.empty() || !scenarioFitsMode(entry, mode))
            continue;
        const bool periodic = std::any_of(entry.frames.begin(), entry.frames.end(),
                                          [](const tKeyFrame& f) { return parseDecimal(f.periodicInterval) > 0; });
        if (periodic && std::find(names.begin(), names.end(), entry.name) == names.end())
            names.push_back(entry.name);
    }
    return names;
}

bool CKeyMap::addFrame(const std::string& name, const tKeyFrame& frame)
{
    tKeyEntry* key = findKey(name);
    if (!key || key->type != KEY_TYPE_SCENARIO)
        return false;
    tKeyFrame copy;
    copy.num = key->numberOfCanFrame;
    copy.canCh = frame.canCh;
    copy.messageName = frame.messageName;
    copy.periodicInterval = frame.periodicInterval;
    copy.messageId = frame.messageId;
    copy.messageFormat = frame.messageFormat;
    copy.messageData = frame.messageData;
    copy.messageLength = frame.messageLength;
    copy.canFrameDelay = frame.canFrameDelay;
    try {
        key->frames.push_back(std::move(copy));
    } catch (const std::bad_alloc&) {
        return false;
    }
    ++key->numberOfCanFrame;
    modified_ = true;
    return true;
}

bool CKeyMap::deleteFrame(const std::string& name, int num)
{
    tKeyEntry* key = findKey(name);
    if (!key)
        return false;
    if (key->frames.size() <= 1)
        return deleteKey(name);
    auto it = std::find_if(key->frames.begin(), key->frames.end(), [&](const tKeyFrame& f) { return f.num == num; });
    if (it == key->frames.end())
        return false;
    key->frames.erase(it);
    renumber(*key);
    modified_ = true;
    return true;
}

bool CKeyMap::moveFrame(const std::string& name, int index, bool up)
{
    tKeyEntry* key = findKey(name);
    if (!key)
        return false;
    const int count = static_cast<int>(key->frames.size());
    const int other = up ? index - 1 : index + 1;
    if (index < 0 || index >= count || other < 0 || other >= count)
        return false;
    auto& a = key->frames[static_cast<std::size_t>(index)];
    auto& b = key->frames[static_cast<std::size_t>(other)];
    std::swap(a, b);
    std::swap(a.num, b.num);
    modified_ = true;
    return true;
}

bool CKeyMap::deleteKey(const std::string& name)
{
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const tKeyEntry& e) { return e.name == name; });
    if (it == entries_.end())
        return false;
    entries_.erase(it);
    modified_ = true;
    return true;
}

void CKeyMap::clearKeys() { entries_.clear(); }

bool CKeyMap::findDuplicateSingleFrame(const tKeyFrame& frame, const std::string& name, int n) const
{
    const int limit = std::min(n, count());
    for (int i = 0; i < limit; ++i) {
        const tKeyEntry& entry = entries_[static_cast<std::size_t>(i)];
        if (entry.type != KEY_TYPE_SINGLE || entry.name == name || entry.frames.empty())
            continue;
        const tKeyFrame& first = entry.frames.front();
        if (equalsIgnoreCase(first.messageId, frame.messageId)
            && equalsIgnoreCase(first.messageFormat, frame.messageFormat)
            && equalsIgnoreCase(first.messageLength, frame.messageLength)
            && equalsIgnoreCase(first.messageData, frame.messageData) && equalsIgnoreCase(first.canCh, frame.canCh))
            return true;
    }
    return false;
}

void CKeyMap::resolveMessageNames(const KeyMapDatabases& databases)
{
    if (!databases.isLoaded(1) && !databases.isLoaded(2))
        return;
    for (auto& entry : entries_) {
        for (auto& frame : entry.frames) {
            if (isStopFrame(frame))
                continue;
            const int channel = parseDecimal(frame.canCh);
            if ((channel != 1 && channel != 2) || !databases.isLoaded(channel))
                continue;
            const auto name = databases.findMessageName(channel, parseHex(frame.messageId),
                                                        frame.messageFormat != "Standard");
            frame.messageName = name.value_or(std::string());
        }
    }
}

void CKeyMap::appendEntry(tKeyEntry entry)
{
    renumber(entry);
    entries_.push_back(std::move(entry));
}

} // namespace kivplus
