#pragma once

#include "keymap/KeyRecords.h"

#include <array>
#include <cstdint>

namespace kivplus {

// One CAN frame as a runner hands it to the session.
struct tRunFrame {
    int channel = 0; // 0 CAN 1, 1 CAN 2, 2 both channels
    std::uint32_t id = 0; // bit 31 marks an extended identifier
    std::uint32_t dlc = 0;
    std::array<std::uint8_t, 8> data{};

    // Data bytes 0-3 and 4-7 as words, byte 0 lowest.
    std::uint32_t dataLow() const;
    std::uint32_t dataHigh() const;
    // Transmit reports to wait for: one per channel.
    int expectedReports() const { return channel == 2 ? 2 : 1; }
};

inline constexpr std::uint32_t kExtendedIdFlag = 0x80000000u;

// The identifier with its extended bit, the length and the channel of a frame
// copy (no data).
tRunFrame buildFrameHeader(const tKeyFrame& frame);

// The whole frame: data bytes from messageData, padded with zeros in front to
// the length; data longer than the length leaves every data byte 0.
tRunFrame buildKeyFrame(const tKeyFrame& frame);

} // namespace kivplus
