// The device's CAN settings (read and written as the 11-byte settings
// payload), and the record of device control codes and time syncs.
#pragma once

#include "DeviceFaults.h"
#include "VirtualDevice.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

namespace kivsim {

class SettingsBehaviour {
public:
    SettingsBehaviour(VirtualDevice& device, DeviceFaults& faults);

    // The settings answer: header byte, then per channel wire type and bit
    // rate (4 bytes, big-endian). Starts as Single 33300 on both.
    std::array<std::uint8_t, 11> settings() const;
    void setSettings(const std::array<std::uint8_t, 11>& settings);
    // Answers the read with this payload instead (e.g. a wrong size).
    void setReadAnswer(std::vector<std::uint8_t> payload);

    std::vector<std::uint8_t> controlCodes() const;
    std::vector<std::uint32_t> timeSyncs() const;

private:
    DeviceFaults& faults_;
    mutable std::mutex lock_;
    std::array<std::uint8_t, 11> settings_{1, 0, 0, 0, 0x82, 0x14, 0, 0, 0, 0x82, 0x14};
    std::vector<std::uint8_t> readAnswer_;
    std::vector<std::uint8_t> controlCodes_;
    std::vector<std::uint32_t> timeSyncs_;
};

} // namespace kivsim
