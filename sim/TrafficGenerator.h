// Bus traffic: MSG_CAN_RX frames at a steady rate on CAN 1, CAN 2 or both.
// Each frame carries a running number in its first data bytes (big-endian,
// as many bytes as the DLC allows, up to 4) so that a reader can spot a loss.
#pragma once

#include "VirtualDevice.h"

#include <atomic>
#include <cstdint>
#include <thread>

namespace kivsim {

class TrafficGenerator {
public:
    // Channel mask as in key maps: 1 CAN 1, 2 CAN 2, 3 both (alternating).
    struct Settings {
        double framesPerSecond = 0;
        std::uint8_t dlc = 8;
        int channels = 3;
    };

    explicit TrafficGenerator(VirtualDevice& device) : mDevice(device) {}
    ~TrafficGenerator() { stop(); }
    TrafficGenerator(const TrafficGenerator&) = delete;
    TrafficGenerator& operator=(const TrafficGenerator&) = delete;

    void start(Settings settings);
    void stop();
    // Frames written to the port so far.
    std::uint64_t sent() const { return mSent.load(); }
    // Frames that could not be written (the PC side did not read them away).
    std::uint64_t unsent() const { return mUnsent.load(); }

private:
    void run(Settings settings);

    VirtualDevice& mDevice;
    std::atomic<bool> mStop{false};
    std::atomic<std::uint64_t> mSent{0};
    std::atomic<std::uint64_t> mUnsent{0};
    std::thread mThread;
};

} // namespace kivsim
