#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace kivplus {

// Progress of a device operation: steps done out of total (key map lists,
// image blocks). Called on the thread that runs the operation.
using DeviceProgress = std::function<void(int done, int total)>;

// Runs one blocking device operation (a key map transfer, a settings exchange,
// a firmware update) on a worker thread so that the window stays live. The
// completion callback runs on the worker when the operation has ended; a
// window forwards it to its own thread (a queued Qt signal). One operation at
// a time: start() refuses while one runs.
class DeviceJob {
public:
    DeviceJob() = default;
    ~DeviceJob();
    DeviceJob(const DeviceJob&) = delete;
    DeviceJob& operator=(const DeviceJob&) = delete;

    bool start(std::function<bool()> operation, std::function<void(bool succeeded)> finished = {});
    bool isRunning() const { return running_.load(); }
    // Waits until the running operation (if any) has ended.
    void wait();

private:
    std::mutex lock_;
    std::thread worker_;
    std::atomic<bool> running_{false};
};

} // namespace kivplus
