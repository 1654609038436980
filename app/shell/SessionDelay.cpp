#include "shell/SessionDelay.h"

#include <atomic>
#include <thread>

namespace kivplus {

namespace {

std::atomic<double> gScale{1.0};

} // namespace

void setDelayScale(double scale) { gScale.store(scale > 0 ? scale : 0.0, std::memory_order_relaxed); }

double delayScale() { return gScale.load(std::memory_order_relaxed); }

void pause(std::chrono::milliseconds duration)
{
    const auto scaled = std::chrono::duration<double, std::milli>(duration) * delayScale();
    if (scaled.count() <= 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(scaled);
}

} // namespace kivplus
