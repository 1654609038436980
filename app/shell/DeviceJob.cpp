#include "shell/DeviceJob.h"

#include <system_error>

namespace kivplus {

DeviceJob::~DeviceJob() { wait(); }

bool DeviceJob::start(std::function<bool()> operation, std::function<void(bool)> finished)
{
    std::lock_guard guard(lock_);
    if (running_.load() || !operation)
        return false;
    if (worker_.joinable())
        worker_.join();
    running_.store(true);
    try {
        worker_ = std::thread([this, operation = std::move(operation), finished = std::move(finished)] {
            const bool succeeded = operation();
            running_.store(false);
            if (finished)
                finished(succeeded);
        });
    } catch (const std::system_error&) {
        running_.store(false);
        return false;
    }
    return true;
}

void DeviceJob::wait()
{
    std::lock_guard guard(lock_);
    if (worker_.joinable())
        worker_.join();
}

} // namespace kivplus
