#include "run/KeyRunners.h"

#include <thread>

namespace kivplus {

KeyRunners::KeyRunners(RunEnvironment& environment, TransmitReportRouter* router)
    : keyMap(environment), ignition(environment), progressive(environment), router_(router)
{
    if (router_)
        for (int index = 0; index < 3; ++index)
            router_->setRunner(index, runnerForList(index));
}

KeyRunners::~KeyRunners()
{
    if (router_)
        for (int index = 0; index < 3; ++index)
            router_->setRunner(index, nullptr);
}

void KeyRunners::stopAndJoin()
{
    for (int index = 0; index < 3; ++index)
        runnerForList(index)->stopAll();
    std::this_thread::yield();
    for (int index = 0; index < 3; ++index)
        runnerForList(index)->joinThreads();
}

} // namespace kivplus
