#include "run/KeyRunners.h"

#include <thread>

namespace kivplus {

void KeyRunners::stopAndJoin()
{
    for (int index = 0; index < 3; ++index)
        runnerForList(index)->stopAll();
    std::this_thread::yield();
    for (int index = 0; index < 3; ++index)
        runnerForList(index)->joinThreads();
}

} // namespace kivplus
