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

} // namespace kivplus
