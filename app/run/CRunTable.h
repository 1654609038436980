#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

namespace kivplus {

// A frame's place in a schedule: when it is due (ms from the pass start) and
// how often it repeats (0: never).
struct tScheduleItem {
    int frameIndex = 0;
    std::int64_t dueTime = 0;
    std::int64_t interval = 0;
};

// Schedule items ordered by due time, locked per operation.
class CRunTable {
public:
    // atHead puts the item first; otherwise it goes after every item due at
    // or before its own due time.
    void insert(const tScheduleItem& item, bool atHead);
    std::optional<tScheduleItem> popFront();
    // Drops the first item of that frame.
    void removeByIndex(int frameIndex);
    void clear();
    bool isEmpty() const;

private:
    mutable std::mutex lock_;
    std::deque<tScheduleItem> items_;
};

} // namespace kivplus
