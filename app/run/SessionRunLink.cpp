#include "run/SessionRunLink.h"

#include "shell/DeviceSession.h"

namespace kivplus {

bool SessionRunLink::isConnected() { return session_.isConnected(); }

std::uint8_t SessionRunLink::sendCanFrame(int channel, std::uint32_t id, std::uint32_t dlc, std::uint32_t dataLow,
                                          std::uint32_t dataHigh, int senderKind, int senderTag)
{
    return session_.sendCanFrame(channel, id, dlc, dataLow, dataHigh, senderKind, senderTag);
}

} // namespace kivplus
