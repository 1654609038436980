// Builds the MSG_CAN_TX device frame for one CAN frame.
#pragma once

#include "kiv/KIV.h"

#include <cstddef>
#include <cstdint>

namespace kiv {

// Longest MSG_CAN_TX frame: header, kind, tag, flag, DLC, 4 id bytes, 8 data, channel.
constexpr std::size_t kMaxCanTxFrameSize = 3 + 4 + 4 + 8 + 1;

// Writes the frame into out (at least kMaxCanTxFrameSize bytes) and returns
// its length. Only the low bytes of channel, senderKind, senderTag and
// frame.dlc are used; at most 8 data bytes are copied.
std::size_t buildCanTxFrame(int channel, const KIVCommon::tCANData& frame, int senderKind, int senderTag,
                            std::uint8_t* out);

} // namespace kiv
