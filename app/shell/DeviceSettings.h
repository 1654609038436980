#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kivplus {

class DeviceSession;
class ModeAnnouncer;

enum WireType : int { WIRE_SINGLE = 0, WIRE_DUAL_HIGH = 1, WIRE_DUAL_LOW = 2 };

// One CAN channel of the device: wire type and bit rate.
struct ChannelSetting {
    int wireType = WIRE_SINGLE;
    std::uint32_t bitRate = 33300;
};

// The bit rates in the order of their choice index 0-5.
inline constexpr std::array<std::uint32_t, 6> kBitRates{33300, 100000, 125000, 250000, 500000, 1000000};

// The choice index of a bit rate; any rate not in the list is index 0.
int bitRateIndex(std::uint32_t bitRate);
// Whether the wire type allows the rate (the radio buttons that are enabled).
bool isBitRateSelectable(int wireType, std::uint32_t bitRate);
// The allowed combinations: an unknown rate becomes 33300, then Single forces
// 33300, Dual(Low Speed) keeps 100000 or 125000 (else 100000) and Dual(High
// Speed) turns 33300 into 125000.
void applyAllowedCombination(ChannelSetting& channel);

// The device's CAN settings (index 0 CAN 1) and their 11-byte payload.
struct DeviceSettings {
    static constexpr std::size_t kPayloadSize = 11;
    static constexpr std::uint8_t kWriteHeader = 2;

    std::array<ChannelSetting, 2> channels;

    std::array<std::uint8_t, kPayloadSize> encode() const;
    // Takes an answer payload: only exactly 11 bytes; a wire type other than
    // 0-2 leaves the channel's type; then the combinations are applied.
    bool decode(const std::uint8_t* payload, std::size_t size);
    void applyAllowedCombinations();
};

// Get Dev Setting and Set Dev Setting with their messages; the mode announce
// worker (may be null) is stopped around the exchange. True on success.
bool readDeviceSettings(DeviceSession& session, ModeAnnouncer* announcer, DeviceSettings& settings);
bool writeDeviceSettings(DeviceSession& session, ModeAnnouncer* announcer, const DeviceSettings& settings);

} // namespace kivplus
