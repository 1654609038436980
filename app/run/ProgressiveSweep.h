#pragma once

#include "keymap/KeyRecords.h"
#include "run/KeyFrameBuild.h"

#include <string>

namespace kivplus {

inline constexpr int DIRECTION_HOLD = 0;
inline constexpr int DIRECTION_UP = 1;
inline constexpr int DIRECTION_DOWN = 2;

// The raw value of the frame's signal in its own messageData, as upper-case
// hexadecimal text: where a sweep starts.
std::string sweepStartValue(const tKeyFrame& frame);

// The frame with the signal set to sweepValue.
tRunFrame buildSweepFrame(const tKeyFrame& frame);

// One step of a sweep on sweepValue between progressiveMin and progressiveMax
// by progressiveStep ("SNM" signals signed). At a limit the direction
// reverses when autoReverse is set. Returns the new value and writes the new
// direction; true when the direction changed.
struct tSweepStep {
    std::string value;
    int direction = DIRECTION_HOLD;
    bool reversed = false;
};
tSweepStep stepSweep(const tKeyFrame& frame, int direction, bool autoReverse);

} // namespace kivplus
