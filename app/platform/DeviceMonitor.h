#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

struct udev;
struct udev_monitor;

namespace kivplus {

// True for the USB identifiers of the KIV-2xx (0483:5740, 0525:a4a7); hex
// digits in any case.
bool isKivUsbId(std::string_view vendor, std::string_view product);

// A device that came or went.
struct DeviceEvent {
    enum Action { Arrival, Removal } action = Arrival;
    bool kivDevice = false;    // carries the KIV-2xx USB identifiers
    bool port = false;         // a tty device
    std::string deviceNode;    // e.g. /dev/ttyACM0; may be empty
};

// Watches device arrival and removal on the tty and usb subsystems through a
// libudev monitor on a thread of its own. The callback runs on that thread.
class DeviceMonitor {
public:
    using Callback = std::function<void(const DeviceEvent&)>;

    explicit DeviceMonitor(Callback callback);
    ~DeviceMonitor();
    DeviceMonitor(const DeviceMonitor&) = delete;
    DeviceMonitor& operator=(const DeviceMonitor&) = delete;

    // False when the monitor cannot be set up (no udev); nothing is watched then.
    bool start();
    void stop();
    bool isRunning() const { return running_.load(); }

private:
    void run(udev_monitor* monitor, int stopFd);

    Callback callback_;
    std::atomic<bool> running_{false};
    int stopPipe_[2] = {-1, -1};
    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    std::thread thread_;
};

} // namespace kivplus
