#include "run/PassTiming.h"

#include "run/RunLink.h"

#include <pthread.h>

#include <thread>

namespace kivplus {

namespace {

int lastProcessor(const cpu_set_t& allowed)
{
    for (int cpu = CPU_SETSIZE - 1; cpu >= 0; --cpu)
        if (CPU_ISSET(cpu, &allowed))
            return cpu;
    return -1;
}

} // namespace

ProcessorPin::ProcessorPin()
{
    CPU_ZERO(&saved_);
    if (pthread_getaffinity_np(pthread_self(), sizeof saved_, &saved_) != 0)
        return;
    const int cpu = lastProcessor(saved_);
    if (cpu < 0)
        return;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(cpu, &one);
    pinned_ = pthread_setaffinity_np(pthread_self(), sizeof one, &one) == 0;
}

ProcessorPin::~ProcessorPin()
{
    if (pinned_)
        pthread_setaffinity_np(pthread_self(), sizeof saved_, &saved_);
}

bool WaitAbort::operator()() const
{
    return (closing && closing->load(std::memory_order_relaxed)) || (running && running->load() != 1) ||
           (link && !link->isConnected());
}

PassStart readPassStart()
{
    ProcessorPin pin;
    return PassClock::now();
}

std::int64_t microsecondsSince(PassStart start)
{
    return std::chrono::duration_cast<std::chrono::microseconds>(PassClock::now() - start).count();
}

void waitUntil(PassStart start, std::int64_t targetMicroseconds, const WaitAbort& abort)
{
    if (targetMicroseconds <= 0)
        return;
    const PassStart deadline = start + std::chrono::microseconds(targetMicroseconds);
    if (PassClock::now() >= deadline)
        return;
    ProcessorPin pin;
    while (deadline - PassClock::now() > std::chrono::milliseconds(1)) {
        if (abort())
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    while (PassClock::now() < deadline) {
    }
}

void sleepMilliseconds(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

bool tryRealTimePriority()
{
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO) + 10;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0;
}

} // namespace kivplus
