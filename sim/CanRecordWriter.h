// Writes the CAN frame record that MSG_CAN_RX and MSG_CAN_TX_REPORT carry.
#pragma once

#include "DeviceClock.h"

#include <cstdint>
#include <vector>

namespace kivsim {

struct CanFrame {
    bool extended = false;
    std::uint8_t dlc = 0;
    std::uint32_t id = 0;
    std::uint8_t data[8]{};
    std::uint8_t channel = 0;   // 0 CAN 1, 1 CAN 2
};

inline void appendCanRecord(std::vector<std::uint8_t>& out, const CanFrame& frame, DeviceTime time)
{
    auto put32 = [&out](std::uint32_t v) {
        out.insert(out.end(), {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                               static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
    };
    out.push_back(frame.extended ? 1 : 0);
    out.push_back(frame.dlc);
    if (frame.extended)
        put32(frame.id);
    else
        out.insert(out.end(), {static_cast<std::uint8_t>(frame.id >> 8), static_cast<std::uint8_t>(frame.id)});
    out.insert(out.end(), frame.data, frame.data + (frame.dlc < 8 ? frame.dlc : 8));
    out.push_back(frame.channel);
    put32(time.milliseconds);
    put32(time.tick);
}

} // namespace kivsim
