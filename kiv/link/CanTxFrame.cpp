#include "link/CanTxFrame.h"

#include <algorithm>

namespace kiv {

std::size_t buildCanTxFrame(int channel, const KIVCommon::tCANData& frame, int senderKind, int senderTag,
                            std::uint8_t* out)
{
    const bool extended = (frame.id & 0x80000000u) != 0;
    const std::uint8_t dlc = static_cast<std::uint8_t>(frame.dlc);
    // DLC codes above 8 still carry 8 data bytes; the record holds no more.
    const std::size_t dataCount = std::min<std::size_t>(dlc, sizeof frame.data);

    std::size_t at = 3;
    out[at++] = static_cast<std::uint8_t>(senderKind);
    out[at++] = static_cast<std::uint8_t>(senderTag);
    out[at++] = extended ? 4 : 0;
    out[at++] = dlc;
    if (extended) {
        const std::uint32_t id = frame.id & 0x1FFFFFFFu;
        out[at++] = static_cast<std::uint8_t>(id >> 24);
        out[at++] = static_cast<std::uint8_t>(id >> 16);
        out[at++] = static_cast<std::uint8_t>(id >> 8);
        out[at++] = static_cast<std::uint8_t>(id);
    } else {
        out[at++] = static_cast<std::uint8_t>(frame.id >> 8);
        out[at++] = static_cast<std::uint8_t>(frame.id);
    }
    std::copy_n(frame.data, dataCount, out + at);
    at += dataCount;
    out[at++] = static_cast<std::uint8_t>(channel);

    const std::size_t payload = at - 3;
    out[0] = KIVCommon::MSG_CAN_TX;
    out[1] = static_cast<std::uint8_t>(payload >> 8);
    out[2] = static_cast<std::uint8_t>(payload);
    return at;
}

} // namespace kiv
