#pragma once

#include <cstdint>

namespace kivplus {

// What a runner needs of the device session: whether the device is there, and
// sending one CAN frame (data bytes 0-3 and 4-7 as words, byte 0 lowest) with
// the runner's sender kind and the key's number as tag. Returns 0 when sent.
class RunLink {
public:
    virtual ~RunLink() = default;
    virtual bool isConnected() = 0;
    virtual std::uint8_t sendCanFrame(int channel, std::uint32_t id, std::uint32_t dlc, std::uint32_t dataLow,
                                      std::uint32_t dataHigh, int senderKind, int senderTag) = 0;
};

} // namespace kivplus
