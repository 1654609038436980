#include "run/CRunTable.h"

#include <algorithm>

namespace kivplus {

void CRunTable::insert(const tScheduleItem& item, bool atHead)
{
    std::lock_guard guard(lock_);
    if (atHead) {
        items_.push_front(item);
        return;
    }
    const auto at = std::find_if(items_.begin(), items_.end(),
                                 [&item](const tScheduleItem& other) { return other.dueTime > item.dueTime; });
    items_.insert(at, item);
}

std::optional<tScheduleItem> CRunTable::popFront()
{
    std::lock_guard guard(lock_);
    if (items_.empty())
        return std::nullopt;
    const tScheduleItem item = items_.front();
    items_.pop_front();
    return item;
}

void CRunTable::removeByIndex(int frameIndex)
{
    std::lock_guard guard(lock_);
    const auto at = std::find_if(items_.begin(), items_.end(),
                                 [frameIndex](const tScheduleItem& item) { return item.frameIndex == frameIndex; });
    if (at != items_.end())
        items_.erase(at);
}

void CRunTable::clear()
{
    std::lock_guard guard(lock_);
    items_.clear();
}

bool CRunTable::isEmpty() const
{
    std::lock_guard guard(lock_);
    return items_.empty();
}

} // namespace kivplus
