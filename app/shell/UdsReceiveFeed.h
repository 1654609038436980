// While a UDS download runs, the CAN frames received on its channel feed the
// library's UDS service (CKIV::enqueueUDSMessage); its response records go
// back to the sequencer (CKIV::vProcessingUDSMessage).
#pragma once

#include "kiv/KIV.h"

#include <optional>

namespace kivplus {

// The CAN frame of a MSG_CAN_RX record received on the download channel
// (0 CAN 1, 1 CAN 2), with bit 31 set for a 29-bit identifier; nothing for
// any other record.
std::optional<KIVCommon::tCANData> udsFrameOf(const KIVCommon::tKIVNGMessageData& record, int downloadChannel);

} // namespace kivplus
