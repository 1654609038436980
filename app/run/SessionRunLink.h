#pragma once

#include "run/RunLink.h"

namespace kivplus {

class DeviceSession;

// The runners' way to the device through the application's session.
class SessionRunLink : public RunLink {
public:
    explicit SessionRunLink(DeviceSession& session) : session_(session) {}

    bool isConnected() override;
    std::uint8_t sendCanFrame(int channel, std::uint32_t id, std::uint32_t dlc, std::uint32_t dataLow,
                              std::uint32_t dataHigh, int senderKind, int senderTag) override;

private:
    DeviceSession& session_;
};

} // namespace kivplus
