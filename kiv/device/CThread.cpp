#include "device/CThread.h"

#include <system_error>

namespace kiv {

CThread::~CThread()
{
    vStopAndJoin();
}

std::uint8_t CThread::esStart()
{
    std::lock_guard guard(mThreadLock);
    mRunning.store(true, std::memory_order_relaxed);
    {
        // A live worker carries on; if it is already leaving vRun it runs
        // vRun once more instead of ending.
        std::lock_guard alive(mAliveLock);
        if (mAlive.load(std::memory_order_acquire)) {
            mRestart = true;
            return 0;
        }
    }
    if (mThread.joinable())
        mThread.join();   // a worker that has left vRun: collect it
    try {
        mAlive.store(true, std::memory_order_release);
        mThread = std::thread([this] { vWorker(); });
    } catch (const std::system_error&) {
        mAlive.store(false, std::memory_order_release);
        mRunning.store(false, std::memory_order_relaxed);
        return 51;
    }
    return 0;
}

void CThread::vWorker()
{
    for (;;) {
        vRun();
        std::lock_guard alive(mAliveLock);
        if (!mRestart || !bIsRunning()) {
            mRestart = false;
            mAlive.store(false, std::memory_order_release);
            return;
        }
        mRestart = false;
    }
}

std::uint8_t CThread::esStop()
{
    if (!mRunning.exchange(false, std::memory_order_relaxed))
        return 51;
    return 0;
}

void CThread::vStopAndJoin()
{
    mRunning.store(false, std::memory_order_relaxed);
    vJoin();
}

void CThread::vJoin()
{
    std::lock_guard guard(mThreadLock);
    if (mThread.joinable())
        mThread.join();
}

} // namespace kiv
