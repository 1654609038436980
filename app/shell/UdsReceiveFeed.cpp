#include "shell/UdsReceiveFeed.h"

#include "kiv/KIVCanRecord.h"
#include "kiv/KIVMessages.h"

#include <cstring>

using namespace KIVCommon;

namespace kivplus {

std::optional<tCANData> udsFrameOf(const tKIVNGMessageData& record, int downloadChannel)
{
    if (record.messageKind != MESSAGE_KIND_DEVICE_FRAME || record.frameBytes[0] != MSG_CAN_RX)
        return std::nullopt;
    const std::size_t length = std::size_t(record.frameBytes[1]) << 8 | record.frameBytes[2];
    if (length > static_cast<std::size_t>(kMaxReceivePayload))
        return std::nullopt;
    tCanRecord can;
    if (!parseCanRecord(record.frameBytes + kFrameHeaderSize, length, can) || can.channel != downloadChannel)
        return std::nullopt;
    tCANData frame;
    frame.id = can.extended ? (can.id | 0x80000000u) : can.id;
    frame.dlc = can.dlc;
    std::memcpy(frame.data, can.data, sizeof frame.data);
    return frame;
}

} // namespace kivplus
