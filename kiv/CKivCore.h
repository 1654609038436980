// The library core: the serial device and the two message stores. One exists
// from library load until CKIV::vDeleteInstance (or unload).
#pragma once

#include "device/CCFUSBDevice.h"
#include "link/MessageStore.h"

namespace kiv {

class CKivCore {
public:
    CKivCore();
    CKivCore(const CKivCore&) = delete;
    CKivCore& operator=(const CKivCore&) = delete;

    CMessageStores& stores() { return mStores; }
    CCFUSBDevice& device() { return mDevice; }

    // The current core, or null before load completes and after destroy().
    static CKivCore* current();
    static void create();
    static void destroy();

private:
    // Declared first so that the device (and its receive thread) goes first.
    CMessageStores mStores;
    CCFUSBDevice mDevice;
};

} // namespace kiv
