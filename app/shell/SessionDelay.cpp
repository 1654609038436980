#include "shell/SessionDelay.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace kivplus {

namespace {

constexpr std::chrono::duration<double, std::milli> kUnscaledPause{40};
std::atomic<double> gScale{1.0};
std::atomic<int> gPollStretch{1};

} // namespace

void setDelayScale(double scale) { gScale.store(scale > 0 ? scale : 0.0, std::memory_order_relaxed); }

double delayScale() { return gScale.load(std::memory_order_relaxed); }

void pause(std::chrono::milliseconds duration)
{
    // The short pauses that pace a block exchange keep their length: the
    // ignition read gives the device only 10 ms more after them.
    const std::chrono::duration<double, std::milli> full(duration);
    const auto scaled = std::max(full * delayScale(), std::min(full, kUnscaledPause));
    if (scaled.count() <= 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(scaled);
}

void setPollStretch(int factor) { gPollStretch.store(factor > 1 ? factor : 1, std::memory_order_relaxed); }

int stretchedPolls(int tries) { return tries * gPollStretch.load(std::memory_order_relaxed); }

} // namespace kivplus
