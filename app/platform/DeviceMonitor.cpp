#include "platform/DeviceMonitor.h"

#include <libudev.h>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <cstdlib>

namespace kivplus {

namespace {

bool sameHex(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view property(udev_device* device, const char* name)
{
    const char* value = udev_device_get_property_value(device, name);
    return value ? std::string_view(value) : std::string_view();
}

// The usb kernel event names its device "vendor/product/revision" in hex
// without leading zeros.
bool productIsKiv(std::string_view product)
{
    const auto first = product.find('/');
    const auto second = product.find('/', first == std::string_view::npos ? first : first + 1);
    if (first == std::string_view::npos || second == std::string_view::npos)
        return false;
    const std::string vendor(product.substr(0, first));
    const std::string model(product.substr(first + 1, second - first - 1));
    char* end = nullptr;
    const unsigned long v = std::strtoul(vendor.c_str(), &end, 16);
    if (vendor.empty() || *end)
        return false;
    const unsigned long m = std::strtoul(model.c_str(), &end, 16);
    if (model.empty() || *end)
        return false;
    return (v == 0x0483 && m == 0x5740) || (v == 0x0525 && m == 0xa4a7);
}

DeviceEvent describe(udev_device* device)
{
    DeviceEvent event;
    const char* action = udev_device_get_action(device);
    event.action = action && std::string_view(action) == "remove" ? DeviceEvent::Removal : DeviceEvent::Arrival;
    const char* subsystem = udev_device_get_subsystem(device);
    event.port = subsystem && std::string_view(subsystem) == "tty";
    if (const char* node = udev_device_get_devnode(device))
        event.deviceNode = node;
    event.kivDevice = isKivUsbId(property(device, "ID_VENDOR_ID"), property(device, "ID_MODEL_ID"))
                      || productIsKiv(property(device, "PRODUCT"));
    return event;
}

} // namespace

bool isKivUsbId(std::string_view vendor, std::string_view product)
{
    return (sameHex(vendor, "0483") && sameHex(product, "5740")) || (sameHex(vendor, "0525") && sameHex(product, "a4a7"));
}

DeviceMonitor::DeviceMonitor(Callback callback) : callback_(std::move(callback)) {}

DeviceMonitor::~DeviceMonitor()
{
    stop();
}

bool DeviceMonitor::start()
{
    if (running_.load())
        return true;
    udev_ = udev_new();
    if (!udev_)
        return false;
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (!monitor_ || udev_monitor_filter_add_match_subsystem_devtype(monitor_, "tty", nullptr) < 0
        || udev_monitor_filter_add_match_subsystem_devtype(monitor_, "usb", "usb_device") < 0
        || udev_monitor_enable_receiving(monitor_) < 0 || pipe(stopPipe_) != 0) {
        stop();
        return false;
    }
    running_.store(true);
    thread_ = std::thread([this, monitor = monitor_, fd = stopPipe_[0]] { run(monitor, fd); });
    return true;
}

void DeviceMonitor::stop()
{
    if (thread_.joinable()) {
        const char byte = 1;
        [[maybe_unused]] const auto written = write(stopPipe_[1], &byte, 1);
        thread_.join();
    }
    running_.store(false);
    for (int& fd : stopPipe_) {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
    if (monitor_)
        udev_monitor_unref(monitor_);
    monitor_ = nullptr;
    if (udev_)
        udev_unref(udev_);
    udev_ = nullptr;
}

void DeviceMonitor::run(udev_monitor* monitor, int stopFd)
{
    pollfd fds[2] = {{udev_monitor_get_fd(monitor), POLLIN, 0}, {stopFd, POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents)
            return;
        if (!(fds[0].revents & POLLIN))
            continue;
        udev_device* device = udev_monitor_receive_device(monitor);
        if (!device)
            continue;
        const DeviceEvent event = describe(device);
        udev_device_unref(device);
        if (callback_)
            callback_(event);
    }
}

} // namespace kivplus
