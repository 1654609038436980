#include "run/Schedule.h"

#include "keymap/KeyFields.h"

#include <deque>

namespace kivplus {

tSchedule buildSchedule(const tKeyEntry& key)
{
    const int count = static_cast<int>(key.frames.size());
    std::deque<tScheduleItem> pending;
    std::int64_t due = 0;
    for (int i = 0; i < count; ++i) {
        const tKeyFrame& frame = key.frames[static_cast<std::size_t>(i)];
        const std::int64_t interval = parseDecimal(frame.periodicInterval);
        pending.push_back({i, due, interval > 0 ? interval : 0});
        due += parseDecimal(frame.canFrameDelay);
    }
    pending.push_back({count, due, 0});

    tSchedule schedule;
    CRunTable repetitions;
    while (!pending.empty()) {
        const tScheduleItem next = pending.front();
        pending.pop_front();
        while (auto repetition = repetitions.popFront()) {
            if (repetition->dueTime > next.dueTime) {
                repetitions.insert(*repetition, true);
                break;
            }
            schedule.events.push_back({repetition->dueTime, repetition->frameIndex});
            repetition->dueTime += repetition->interval;
            repetitions.insert(*repetition, false);
        }
        schedule.events.push_back({next.dueTime, next.frameIndex});
        // A stop frame sends nothing; its event lets the player clear the
        // periodic indicator of the frame it stops.
        if (next.frameIndex < count && isStopFrame(key.frames[static_cast<std::size_t>(next.frameIndex)])) {
            repetitions.removeByIndex(parseDecimal(key.frames[static_cast<std::size_t>(next.frameIndex)].messageData));
            continue;
        }
        if (next.interval > 0)
            repetitions.insert({next.frameIndex, next.dueTime + next.interval, next.interval}, false);
    }
    while (auto repetition = repetitions.popFront())
        schedule.continuing.push_back(*repetition);
    return schedule;
}

} // namespace kivplus
