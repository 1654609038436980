// The CAN frame record carried in MSG_CAN_RX (the whole payload) and in
// MSG_CAN_TX_REPORT (from payload byte 3 on), with the device time stamp.
#pragma once

#include <cstddef>
#include <cstdint>

namespace KIVCommon {

constexpr std::uint32_t kTicksPerMillisecond = 120000; // sub-millisecond down-counter start
constexpr std::size_t kReportHeaderSize = 3;            // status, sender kind, sender tag

struct tCanRecord {
    bool extended;
    std::uint8_t dlc;           // as received; the data holds at most 8 bytes
    std::uint32_t id;
    std::uint8_t data[8];
    std::uint8_t channel;       // 0 CAN 1, 1 CAN 2
    std::uint32_t milliseconds;
    std::uint32_t tick;
};

// Device time of a frame in microseconds.
constexpr std::uint64_t canTimeMicros(std::uint32_t milliseconds, std::uint32_t tick)
{
    return std::uint64_t(milliseconds) * 1000u + std::uint32_t(kTicksPerMillisecond - tick) / 120u;
}

// Reads a CAN frame record from size bytes. False when the bytes are too
// short for the layout or the DLC exceeds 8.
inline bool parseCanRecord(const std::uint8_t* p, std::size_t size, tCanRecord& out)
{
    if (size < 2)
        return false;
    out.extended = p[0] != 0;
    out.dlc = p[1];
    if (out.dlc > 8)
        return false;
    const std::size_t idSize = out.extended ? 4 : 2;
    if (size < 2 + idSize + out.dlc + 1 + 8)
        return false;
    std::size_t at = 2;
    out.id = 0;
    for (std::size_t i = 0; i < idSize; ++i)
        out.id = (out.id << 8) | p[at++];
    for (std::size_t i = 0; i < 8; ++i)
        out.data[i] = i < out.dlc ? p[at + i] : 0;
    at += out.dlc;
    out.channel = p[at++];
    auto be32 = [&](std::size_t pos) {
        return std::uint32_t(p[pos]) << 24 | std::uint32_t(p[pos + 1]) << 16 | std::uint32_t(p[pos + 2]) << 8 | p[pos + 3];
    };
    out.milliseconds = be32(at);
    out.tick = be32(at + 4);
    return true;
}

} // namespace KIVCommon
