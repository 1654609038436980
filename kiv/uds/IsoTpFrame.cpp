#include "uds/IsoTpFrame.h"

#include <algorithm>
#include <cstring>

using namespace KIVCommon;

namespace kiv {

namespace {

constexpr std::size_t kFrameSize = 8;
constexpr std::uint32_t kWakeUpId = 0x100;
constexpr std::size_t kMaxFirstFrameLength = 4095;

std::uint32_t fixedId(std::uint8_t physical, std::uint8_t functional, const tSPRequest& request)
{
    const std::uint8_t kind = request.targetAddressType == 0 ? physical : functional;
    return kExtendedIdMark | 0x18u << 24 | std::uint32_t(kind) << 16 | std::uint32_t(request.targetAddress) << 8
         | request.sourceAddress;
}

} // namespace

tCANData composeCanFrame(const tSPRequest& request, const std::uint8_t* pci, std::size_t pciSize,
                         const std::uint8_t* data, std::size_t dataSize)
{
    tCANData frame;
    frame.dlc = kFrameSize;
    std::memset(frame.data, request.padByte, sizeof frame.data);
    std::size_t at = 0;
    switch (request.addressFormat) {
    case ADDRESS_NORMAL_FIXED:
        frame.id = fixedId(0xDA, 0xDB, request);
        break;
    case ADDRESS_EXTENDED:
        frame.id = request.requestId;
        frame.data[at++] = request.targetAddress;
        break;
    case ADDRESS_MIXED_29BIT:
    case ADDRESS_MIXED_11BIT:
        frame.id = request.requestId != 0 ? request.requestId : fixedId(0xCE, 0xCD, request);
        frame.data[at++] = request.addressExtension;
        break;
    default:
        frame.id = request.requestId;
        if (request.requestId == kWakeUpId)
            frame.dlc = 0;
        break;
    }
    const std::size_t pciCount = std::min(pciSize, kFrameSize - at);
    std::memcpy(frame.data + at, pci, pciCount);
    at += pciCount;
    std::memcpy(frame.data + at, data, std::min(dataSize, kFrameSize - at));
    return frame;
}

std::optional<tCANData> buildFirstFrame(const tSPRequest& request, std::size_t& firstFrameData)
{
    if (!isKnownFormat(request.addressFormat))
        return std::nullopt;
    const std::size_t addressBytes = hasAddressByte(request.addressFormat) ? 1 : 0;
    const std::size_t length = request.dataLength;
    if (1 + length + addressBytes <= kFrameSize) {
        const std::uint8_t pci = static_cast<std::uint8_t>(length);
        firstFrameData = length;
        return composeCanFrame(request, &pci, 1, request.data, length);
    }
    if (length > kMaxFirstFrameLength)
        return std::nullopt;
    const std::uint8_t pci[2] = {static_cast<std::uint8_t>(0x10 | length >> 8), static_cast<std::uint8_t>(length)};
    firstFrameData = kFrameSize - 2 - addressBytes;
    return composeCanFrame(request, pci, 2, request.data, firstFrameData);
}

std::optional<unsigned> separationMicros(std::uint8_t separationTime)
{
    if (separationTime < 0x80)
        return separationTime * 1000u;
    if (separationTime >= 0xF1 && separationTime <= 0xF9)
        return (separationTime & 0x0Fu) * 100u;
    return std::nullopt;
}

} // namespace kiv
