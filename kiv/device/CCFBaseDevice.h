// A device reached through one port: the port handle and the connected flag.
#pragma once

#include "device/CThread.h"

#include <atomic>
#include <cstdint>

namespace kiv {

class CCFBaseDevice : public CThread {
public:
    static constexpr int kNoPort = -1;

    // Opens the named port and starts receiving; the base does nothing.
    virtual std::uint8_t esConnect(const char* portName)
    {
        (void)portName;
        return 0;
    }
    virtual std::uint8_t esDisconnect() = 0;

    bool bIsConnected() const { return mConnected.load(std::memory_order_acquire); }

protected:
    std::atomic<int> mPort{kNoPort};
    std::atomic<bool> mConnected{false};
};

} // namespace kiv
