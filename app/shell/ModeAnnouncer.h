#pragma once

#include "keymap/DeviceMode.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>

namespace kivplus {

class DeviceSession;

// The mode announce worker: a short-lived thread that tells the device its mode
// (MSG_DEVICE_CONTROL with the mode byte, then a 300 ms pause). It is stopped
// before every device operation and started again after it.
class ModeAnnouncer {
public:
    explicit ModeAnnouncer(DeviceSession& session);
    ~ModeAnnouncer();
    ModeAnnouncer(const ModeAnnouncer&) = delete;
    ModeAnnouncer& operator=(const ModeAnnouncer&) = delete;

    void setMode(DeviceMode mode) { mode_.store(static_cast<int>(mode)); }
    DeviceMode mode() const { return static_cast<DeviceMode>(mode_.load()); }

    // Starts the worker when connected and no worker exists.
    void start();
    // Clears the run flag and waits for the worker (it ends within its pause).
    void stop();
    bool isRunning() const { return running_.load(); }

private:
    DeviceSession& session_;
    std::atomic<int> mode_{static_cast<int>(DeviceMode::Configuration)};
    std::atomic<bool> mayRun_{false};
    std::atomic<bool> running_{false};
    std::mutex lock_;
    std::thread worker_;
};

// MSG_TIME_SYNC: the milliseconds elapsed since the time base, taken when the
// object is made, as four bytes with the most significant first.
class TimeSync {
public:
    TimeSync();
    // The four payload bytes for now.
    void payloadNow(std::uint8_t out[4]) const;
    // Sends the time sync and pauses 100 ms; the library's result code.
    std::uint8_t send(DeviceSession& session) const;

private:
    std::chrono::steady_clock::time_point base_;
};

} // namespace kivplus
