#pragma once

#include "keymap/KeyRecords.h"
#include "run/CRunTable.h"

#include <cstdint>
#include <vector>

namespace kivplus {

// One sending of a pass: when (ms from the pass start) and which frame. The
// frame index equal to the frame count marks the end of the pass.
struct tSendEvent {
    std::int64_t dueTime = 0;
    int frameIndex = 0;

    bool operator==(const tSendEvent&) const = default;
};

struct tSchedule {
    std::vector<tSendEvent> events;
    // Repetitions still in force when the pass ends, in due-time order, with
    // their next due times (kept by ignition keys only).
    std::vector<tScheduleItem> continuing;
};

// The pass of a key: frame i is due at the sum of the delays before it; a
// periodic frame repeats at its interval until a stop frame naming its num or
// the end of the pass; a repetition due with a frame goes first. A stop frame
// has its event (it sends nothing). A negative interval counts as none.
tSchedule buildSchedule(const tKeyEntry& key);

} // namespace kivplus
