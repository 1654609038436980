// ISO 15765-2 frames of a UDS request: the CAN frame per addressing format,
// single, first and consecutive frames, and the flow-control separation time.
#pragma once

#include "kiv/KIV.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kiv {

enum ADDRESS_FORMAT : std::int32_t {
    ADDRESS_NORMAL = 0,
    ADDRESS_NORMAL_FIXED = 1,
    ADDRESS_EXTENDED = 2,
    ADDRESS_MIXED_29BIT = 3,
    ADDRESS_MIXED_11BIT = 4,
};

constexpr std::uint32_t kExtendedIdMark = 0x80000000u;

// True for the formats in which one address byte precedes the protocol bytes.
constexpr bool hasAddressByte(std::int32_t format)
{
    return format == ADDRESS_EXTENDED || format == ADDRESS_MIXED_29BIT || format == ADDRESS_MIXED_11BIT;
}

constexpr bool isKnownFormat(std::int32_t format) { return format >= ADDRESS_NORMAL && format <= ADDRESS_MIXED_11BIT; }

// Data bytes a consecutive frame carries in the request's format.
constexpr std::size_t consecutiveFrameCapacity(std::int32_t format) { return hasAddressByte(format) ? 6 : 7; }

// Builds the 8-byte CAN frame of the request's format from protocol bytes and
// data, the rest filled with the pad byte. The caller keeps pci + data within
// the frame.
KIVCommon::tCANData composeCanFrame(const KIVCommon::tSPRequest& request, const std::uint8_t* pci, std::size_t pciSize,
                                    const std::uint8_t* data, std::size_t dataSize);

// The single frame or first frame that starts sending the request; nothing
// when its length is outside the transport limits (or the format unknown).
// firstFrameData tells how many data bytes the frame carried.
std::optional<KIVCommon::tCANData> buildFirstFrame(const KIVCommon::tSPRequest& request, std::size_t& firstFrameData);

// Microseconds between consecutive frames for a flow-control separation time,
// nothing for a reserved value.
std::optional<unsigned> separationMicros(std::uint8_t separationTime);

} // namespace kiv
