// The worker base: one thread per object, started and stopped by its flag.
#include "device/CThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

using namespace std::chrono_literals;

namespace {

class CountingWorker : public kiv::CThread {
public:
    ~CountingWorker() override { vStopAndJoin(); }

    void vRun() override
    {
        ++starts;
        while (bIsRunning())
            std::this_thread::sleep_for(1ms);
        // Tidying up after the flag went, for as long as the test wants.
        leftLoop = true;
        while (!release)
            std::this_thread::sleep_for(1ms);
        leftLoop = false;
    }

    std::atomic<bool> leftLoop{false};
    std::atomic<bool> release{true};

    std::atomic<int> starts{0};
};

bool waitUntil(const std::function<bool()>& condition)
{
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

TEST(CThread, StartStopAndRestart)
{
    CountingWorker worker;
    EXPECT_EQ(worker.esStop(), 51);
    EXPECT_FALSE(worker.bIsRunning());

    EXPECT_EQ(worker.esStart(), 0);
    EXPECT_EQ(worker.esStart(), 0);   // the live worker carries on, no second one
    ASSERT_TRUE(waitUntil([&] { return worker.starts == 1; }));
    EXPECT_TRUE(worker.bIsRunning());

    EXPECT_EQ(worker.esStop(), 0);
    EXPECT_EQ(worker.esStop(), 51);
    ASSERT_TRUE(waitUntil([&] { return !worker.bIsThreadAlive(); }));

    EXPECT_EQ(worker.esStart(), 0);   // a new worker after the old one ended
    ASSERT_TRUE(waitUntil([&] { return worker.starts == 2; }));
}

TEST(CThread, StartWhileTheWorkerIsLeavingIsNotLost)
{
    CountingWorker worker;
    worker.release = false;
    ASSERT_EQ(worker.esStart(), 0);
    ASSERT_TRUE(waitUntil([&] { return worker.starts == 1; }));
    worker.esStop();
    ASSERT_TRUE(waitUntil([&] { return worker.leftLoop.load(); }));   // left its loop, not yet ended
    ASSERT_TRUE(worker.bIsThreadAlive());
    ASSERT_EQ(worker.esStart(), 0);
    worker.release = true;
    // The flag is set again, so a worker must be back in vRun.
    ASSERT_TRUE(waitUntil([&] { return worker.starts == 2; }));
    EXPECT_TRUE(worker.bIsThreadAlive());
    EXPECT_TRUE(worker.bIsRunning());
}

} // namespace
