// The KIV-2xx's serial port (a USB virtual serial port, or a pseudo-terminal)
// and the receive thread that feeds the frame splitter.
#pragma once

#include "device/CCFBaseDevice.h"
#include "link/ByteRing.h"
#include "link/FrameSplitter.h"
#include "link/MessageStore.h"

#include <cstddef>
#include <cstdint>
#include <mutex>

namespace kiv {

class CCFUSBDevice : public CCFBaseDevice {
public:
    static constexpr std::size_t kDevicePathSize = 256;  // a port name fits with its terminator
    static constexpr std::size_t kReadBufferSize = 2048;
    static constexpr int kMaxWriteCalls = 6;

    // Received frames are filed in stores; without stores the receive thread
    // ends at once.
    explicit CCFUSBDevice(CMessageStores* stores);
    ~CCFUSBDevice() override;

    void vRun() override;
    // Opens the port (a device path). 0 when open or already open, 51 when
    // the port cannot be opened or configured, or its name is too long.
    std::uint8_t esConnect(const char* portName) override;
    // Stops the receive thread and closes the port: 0, or 51 when no port is
    // open or closing failed.
    std::uint8_t esDisconnect() override;

    // Writes the bytes with up to 6 write calls; returns the count written,
    // -1 without a buffer or an open port.
    int write(const std::uint8_t* bytes, int length);
    // Waits at most about 1 ms for bytes; returns the count read, 0 when none.
    int read(std::uint8_t* buffer, std::size_t size);

private:
    static int openPort(const char* path);

    CMessageStores* mStores;
    std::mutex mWriteLock;
    bool mLastWriteShort = false;   // guarded by mWriteLock
    CByteRing mRing;
    CFrameSplitter mSplitter;
    std::uint8_t mReadBuffer[kReadBufferSize]{};
};

} // namespace kiv
