// Base of every worker in the library: a running flag and one worker thread
// that runs vRun() while the flag is set.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

namespace kiv {

class CThread {
public:
    CThread() = default;
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;
    virtual ~CThread();

    virtual void vRun() = 0;

    // Sets the running flag and starts the worker unless one is still alive,
    // in which case the live worker simply carries on. 0, or 51 when no thread
    // could be created.
    std::uint8_t esStart();
    // Clears the running flag; 51 when it was already clear. Does not wait.
    std::uint8_t esStop();
    bool bIsRunning() const { return mRunning.load(std::memory_order_relaxed); }
    bool bIsThreadAlive() const { return mAlive.load(std::memory_order_acquire); }

protected:
    // Clears the running flag and joins the worker. Derived classes call it
    // from their destructor, while vRun is still theirs.
    void vStopAndJoin();
    // Waits for the worker to end; never call it from the worker.
    void vJoin();
    void vSetRunning(bool running) { mRunning.store(running, std::memory_order_relaxed); }

    std::mutex mLock;   // for the derived worker's own state

private:
    void vWorker();

    std::mutex mThreadLock;   // guards mThread against concurrent start and join
    std::thread mThread;
    std::atomic<bool> mRunning{false};
    std::mutex mAliveLock;    // guards mRestart and the end of the worker
    bool mRestart = false;
    std::atomic<bool> mAlive{false};
};

} // namespace kiv
