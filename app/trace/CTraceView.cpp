#include "trace/CTraceView.h"

#include "trace/CTraceLog.h"

#include <algorithm>
#include <cstring>
#include <strings.h>
#include <thread>

namespace kivplus {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

sMessageId makeMessageId(std::string_view text)
{
    sMessageId id{};
    storeText(id.text, text);
    return id;
}

bool listHolds(const std::vector<sMessageId>& list, std::string_view id)
{
    return std::any_of(list.begin(), list.end(), [&](const sMessageId& m) { return equalsIgnoringCase(m.text, id); });
}

void addUnique(std::vector<sMessageId>& list, std::string_view text)
{
    const sMessageId id = makeMessageId(text);
    if (std::none_of(list.begin(), list.end(), [&](const sMessageId& m) { return std::strcmp(m.text, id.text) == 0; }))
        list.push_back(id);
}

void removeEqual(std::vector<sMessageId>& list, std::string_view text)
{
    const sMessageId id = makeMessageId(text);
    const auto it =
        std::find_if(list.begin(), list.end(), [&](const sMessageId& m) { return std::strcmp(m.text, id.text) == 0; });
    if (it != list.end())
        list.erase(it);
}

std::vector<std::string> textsOf(const std::vector<sMessageId>& list)
{
    std::vector<std::string> texts;
    for (const auto& id : list)
        texts.emplace_back(id.text);
    return texts;
}

bool isChannel(std::string_view channel, char number)
{
    return (channel.size() == 1 && channel[0] == number) || (channel.size() == 2 && channel[0] == number && channel[1] == ' ');
}

} // namespace

std::uint32_t highlightTextColor(std::uint32_t backColor)
{
    const double r = (backColor >> 16) & 0xFF;
    const double g = (backColor >> 8) & 0xFF;
    const double b = backColor & 0xFF;
    return 0.299 * r + 0.587 * g + 0.114 * b > 140 ? 0x000000 : 0xFFFFFF;
}

bool CTraceView::GroupKey::operator==(const GroupKey& other) const
{
    return std::memcmp(messageId, other.messageId, sizeof messageId) == 0 &&
           std::memcmp(channel, other.channel, sizeof channel) == 0;
}

std::size_t CTraceView::GroupKeyHash::operator()(const GroupKey& key) const
{
    return std::hash<std::string_view>()(std::string_view(key.messageId, sizeof key.messageId)) * 31 +
           std::hash<std::string_view>()(std::string_view(key.channel, sizeof key.channel));
}

bool CTraceView::allocateItems(int capacity)
{
    std::lock_guard guard(lock_);
    if (!(items_ && itemCapacity_ == capacity))
        items_ = ZeroedArray<sTraceViewItem>(std::size_t(capacity > 0 ? capacity : 0));
    itemCapacity_ = capacity;
    itemCount_.store(0, std::memory_order_release);
    coveredCount_ = 0;
    resetGroupsLocked();
    return bool(items_);
}

void CTraceView::freeItems()
{
    std::lock_guard guard(lock_);
    items_ = {};
    itemCount_.store(0, std::memory_order_release);
    coveredCount_ = 0;
    resetGroupsLocked();
}

bool CTraceView::allocateGroups(int count)
{
    std::lock_guard guard(lock_);
    std::lock_guard groupGuard(groupLock_);
    groups_.clear();
    groups_.shrink_to_fit();
    groups_.resize(std::size_t(count > 0 ? count : 0));
    groupCapacity_ = int(groups_.size());
    groupIndex_.clear();
    groupIndex_.reserve(std::size_t(groupCapacity_));
    groupOrder_.release();
    return groupCapacity_ == 0 || groupOrder_.reset(itemCapacity_);
}

void CTraceView::freeGroups()
{
    std::lock_guard guard(lock_);
    std::lock_guard groupGuard(groupLock_);
    groups_.clear();
    groups_.shrink_to_fit();
    groupCapacity_ = 0;
    groupIndex_.clear();
    groupOrder_.release();
}

// The entries the groups point at are gone: empty every group, keep the storage.
void CTraceView::resetGroupsLocked()
{
    std::lock_guard groupGuard(groupLock_);
    for (auto& group : groups_)
        group = Group{};
    groupIndex_.clear();
    if (groupCapacity_ > 0)
        groupOrder_.reset(itemCapacity_);
}

void CTraceView::attachLog(const CTraceLog* log)
{
    std::lock_guard guard(lock_);
    log_ = log;
}

bool CTraceView::passes(const CTraceData& record, bool useTimeRange) const
{
    std::lock_guard guard(lock_);
    return passesLocked(record, useTimeRange);
}

bool CTraceView::passesLocked(const CTraceData& record, bool useTimeRange) const
{
    const std::string_view channel = record.channelText();
    if (channelMask_ == 0) {
        if (std::atoi(record.channel) <= 0)
            return false;
    } else if (!((channelMask_ & 1) && isChannel(channel, '1')) && !((channelMask_ & 2) && isChannel(channel, '2'))) {
        return false;
    }
    const std::string_view id = record.messageIdText();
    if (listHolds(excludeList_, id))
        return false;
    const std::string_view direction = record.directionText();
    if (directionMask_ == 0) {
        if (direction.empty())
            return false;
    } else if (!((directionMask_ & 1) && direction == "Tx") && !((directionMask_ & 2) && direction == "Rx") &&
               !((directionMask_ & 4) && direction == "Err")) {
        return false;
    }
    if (useTimeRange) {
        const std::uint32_t t = std::uint32_t(record.timeSeconds);
        if ((timeFrom_ != 0 && t < timeFrom_) || (timeTo_ != 0 && t > timeTo_))
            return false;
    }
    return includeList_.empty() || listHolds(includeList_, id);
}

void CTraceView::appendLocked(const CTraceData& record, int logIndex)
{
    const int position = itemCount_.load(std::memory_order_relaxed);
    sTraceViewItem& item = items_[std::size_t(position)];
    item.logIndex = logIndex;
    item.groupIndex = -1;
    item.replayTime = 0;

    if (groupCapacity_ > 0) {
        GroupKey key{};
        storeText(key.messageId, record.messageIdText());
        storeText(key.channel, record.channelText());
        std::lock_guard groupGuard(groupLock_);
        auto found = groupIndex_.find(key);
        int index = -1;
        if (found != groupIndex_.end()) {
            index = found->second;
        } else if (int(groupIndex_.size()) < groupCapacity_) {
            // Beyond the group storage an entry simply belongs to no group.
            index = int(groupIndex_.size());
            Group& group = groups_[std::size_t(index)];
            std::memcpy(group.messageId, key.messageId, sizeof key.messageId);
            std::memcpy(group.channel, key.channel, sizeof key.channel);
            group.lastMember = -1;
            groupIndex_.emplace(key, index);
        }
        if (index >= 0) {
            Group& group = groups_[std::size_t(index)];
            if (group.members.size() == group.members.capacity())
                group.members.reserve(group.members.size() + 10000);
            group.members.push_back(std::uint32_t(position));
            groupOrder_.moveToEnd(group.lastMember, position);
            group.lastMember = position;
            item.groupIndex = index;
        }
    }
    itemCount_.store(position + 1, std::memory_order_release);
}

bool CTraceView::add(const CTraceData& record, int logIndex)
{
    std::lock_guard guard(lock_);
    // A record that the last rebuild already went through is not taken twice.
    if (!items_ || logIndex < coveredCount_ || itemCount() >= itemCapacity_ || !passesLocked(record, false))
        return false;
    appendLocked(record, logIndex);
    return true;
}

void CTraceView::rebuild()
{
    std::thread worker([this] {
        std::lock_guard guard(lock_);
        itemCount_.store(0, std::memory_order_release);
        resetGroupsLocked();
        if (!items_ || !log_) {
            coveredCount_ = 0;
            return;
        }
        const int count = log_->count();
        coveredCount_ = count;
        for (int i = 0; i < count && itemCount() < itemCapacity_; ++i) {
            const CTraceData& record = log_->recordAt(i);
            if (passesLocked(record, true))
                appendLocked(record, i);
        }
    });
    worker.join();
}

const sTraceViewItem* CTraceView::itemAt(int viewIndex) const
{
    if (viewIndex < 0 || viewIndex >= itemCount())
        return nullptr;
    return &items_[std::size_t(viewIndex)];
}

const CTraceData* CTraceView::recordOf(int viewIndex) const
{
    const sTraceViewItem* item = itemAt(viewIndex);
    if (!item || !log_ || item->logIndex < 0 || item->logIndex >= log_->count())
        return nullptr;
    return &log_->recordAt(item->logIndex);
}

int CTraceView::groupCount() const
{
    std::lock_guard groupGuard(groupLock_);
    return groupOrder_.size();
}

std::optional<sMessageGroupInfo> CTraceView::groupAt(int position) const
{
    std::lock_guard groupGuard(groupLock_);
    const int last = groupOrder_.positionAt(position);
    if (last < 0)
        return std::nullopt;
    const Group& group = groups_[std::size_t(items_[std::size_t(last)].groupIndex)];
    return sMessageGroupInfo{group.messageId, group.channel, std::int32_t(group.members.size()), group.lastMember};
}

std::vector<std::uint32_t> CTraceView::groupMembers(int position) const
{
    std::lock_guard groupGuard(groupLock_);
    const int last = groupOrder_.positionAt(position);
    if (last < 0)
        return {};
    return groups_[std::size_t(items_[std::size_t(last)].groupIndex)].members;
}

void CTraceView::setChannelBit(std::uint8_t bits, bool on)
{
    std::lock_guard guard(lock_);
    channelMask_ = bits == 0 ? 0 : on ? (channelMask_ | bits) : (channelMask_ & ~bits);
}

void CTraceView::setDirectionBit(std::uint8_t bits, bool on)
{
    std::lock_guard guard(lock_);
    directionMask_ = bits == 0 ? 0 : on ? (directionMask_ | bits) : (directionMask_ & ~bits);
}

void CTraceView::setTimeRange(std::uint32_t from, std::uint32_t to)
{
    std::lock_guard guard(lock_);
    timeFrom_ = from;
    timeTo_ = to;
}

bool CTraceView::timeRangeValid() const
{
    std::lock_guard guard(lock_);
    return !(timeFrom_ != 0 && timeTo_ != 0 && timeFrom_ > timeTo_);
}

std::uint8_t CTraceView::channelMask() const
{
    std::lock_guard guard(lock_);
    return channelMask_;
}

std::uint8_t CTraceView::directionMask() const
{
    std::lock_guard guard(lock_);
    return directionMask_;
}

void CTraceView::addInclude(std::string_view id)
{
    std::lock_guard guard(lock_);
    addUnique(includeList_, id);
}

void CTraceView::removeInclude(std::string_view id)
{
    std::lock_guard guard(lock_);
    removeEqual(includeList_, id);
}

void CTraceView::clearIncludes()
{
    std::lock_guard guard(lock_);
    includeList_.clear();
}

void CTraceView::addExclude(std::string_view id)
{
    std::lock_guard guard(lock_);
    addUnique(excludeList_, id);
}

void CTraceView::removeExclude(std::string_view id)
{
    std::lock_guard guard(lock_);
    removeEqual(excludeList_, id);
}

void CTraceView::clearExcludes()
{
    std::lock_guard guard(lock_);
    excludeList_.clear();
}

std::vector<std::string> CTraceView::includes() const
{
    std::lock_guard guard(lock_);
    return textsOf(includeList_);
}

std::vector<std::string> CTraceView::excludes() const
{
    std::lock_guard guard(lock_);
    return textsOf(excludeList_);
}

void CTraceView::setHighlight(std::string_view id, std::uint32_t backColor)
{
    renameHighlight(id, id, backColor);
}

void CTraceView::renameHighlight(std::string_view oldId, std::string_view newId, std::uint32_t backColor)
{
    sHighLightInfo info{std::string(newId), backColor, highlightTextColor(backColor)};
    const auto it = std::find_if(highlights_.begin(), highlights_.end(),
                                 [&](const sHighLightInfo& h) { return equalsIgnoringCase(h.messageId, oldId); });
    if (it != highlights_.end())
        *it = std::move(info);
    else
        highlights_.push_back(std::move(info));
}

void CTraceView::removeHighlight(std::string_view id)
{
    const auto it = std::find_if(highlights_.begin(), highlights_.end(),
                                 [&](const sHighLightInfo& h) { return equalsIgnoringCase(h.messageId, id); });
    if (it != highlights_.end())
        highlights_.erase(it);
}

const sHighLightInfo* CTraceView::highlightOf(std::string_view id) const
{
    const auto it = std::find_if(highlights_.begin(), highlights_.end(),
                                 [&](const sHighLightInfo& h) { return equalsIgnoringCase(h.messageId, id); });
    return it != highlights_.end() ? &*it : nullptr;
}

bool CTraceView::search(std::string_view text, bool continuing)
{
    const int count = itemCount();
    if (count < 2)
        return true;
    std::vector<std::string_view> terms;
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(',', start);
        terms.push_back(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    const int k = int(terms.size()) - 1;
    if (!continuing) {
        searchResults_.clear();
        searchCursor_ = count - 1;
    }
    if (!log_)
        return true;

    const auto idOf = [&](int viewIndex) -> std::string_view {
        const CTraceData* record = recordOf(viewIndex);
        return record ? record->messageIdText() : std::string_view();
    };
    for (int e = std::min(searchCursor_, count - 1); e >= 0; --e) {
        if (e + k >= count)
            continue;
        bool hit = true;
        for (int i = k; i >= 0 && hit; --i)
            hit = idOf(e + i).find(terms[std::size_t(i)]) != std::string_view::npos;
        if (!hit)
            continue;
        const CTraceData* found = recordOf(e + k);
        if (!found)
            continue;
        searchResults_.push_back(sSearchInfo{std::string(found->timeStampText()), std::string(found->directionText()),
                                             std::string(found->channelText()),
                                             std::string(found->messageNameText()), e + k});
        if (searchResults_.size() % kSearchBlock == 0) {
            searchCursor_ = e - 1;
            return false;
        }
    }
    searchCursor_ = -1;
    return true;
}

} // namespace kivplus
