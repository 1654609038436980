#pragma once

#include <atomic>

namespace kivplus {

class RunLink;
class RunNotifier;

// What every runner shares: the device, where progress goes, whether the
// application is closing (no end-of-run reports then) and the length of a
// minute of runTime, sleepTime and managed run times (shortened only by tests).
struct RunEnvironment {
    RunEnvironment(RunLink& runLink, RunNotifier& runNotifier) : link(runLink), notifier(runNotifier) {}

    RunLink& link;
    RunNotifier& notifier;
    std::atomic<bool> closing{false};
    std::atomic<int> minuteMilliseconds{60000};
};

} // namespace kivplus
