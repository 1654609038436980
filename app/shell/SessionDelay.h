#pragma once

#include <chrono>

namespace kivplus {

// The fixed pauses of the device protocol (40 ms after a command, 300 ms after
// a read request, 2 s and 4 s before a status answer, ...). Tests shrink the
// longer ones with a scale (pauses of 40 ms and less keep their length); the
// program always runs them at their full length. Answer time-outs are not
// pauses and are never scaled.
void setDelayScale(double scale);
double delayScale();

// Sleeps the scaled pause; 0 only yields.
void pause(std::chrono::milliseconds duration);

// The short store checks of the key count and ignition reads (10 checks at
// 10 ms and at 1 ms) give the device very little time. Tests that run beside
// other work (sanitizers, a loaded machine) allow more checks; an answer that
// is there is still taken at once. The program always makes the checks given.
void setPollStretch(int factor);
int stretchedPolls(int tries);

} // namespace kivplus
