// The library core: the serial device, the two message stores, the UDS
// service and the download sequencer. One exists from library load until
// CKIV::vDeleteInstance (or unload).
#pragma once

#include "device/CCFUSBDevice.h"
#include "link/MessageStore.h"
#include "uds/CCFUDSService.h"
#include "uds/CKivUdsDown.h"

namespace kiv {

class CKivCore {
public:
    CKivCore();
    CKivCore(const CKivCore&) = delete;
    CKivCore& operator=(const CKivCore&) = delete;

    CMessageStores& stores() { return mStores; }
    CCFUSBDevice& device() { return mDevice; }
    CCFUDSService& udsService() { return mUdsService; }
    CKivUdsDown& udsDown() { return mUdsDown; }

    // The current core, or null before load completes and after destroy().
    static CKivCore* current();
    static void create();
    static void destroy();

private:
    // Destroyed in reverse: the sequencer, the UDS service, the device (and
    // its receive thread), then the stores they write into.
    CMessageStores mStores;
    CCFUSBDevice mDevice;
    CCFUDSService mUdsService;
    CKivUdsDown mUdsDown;
};

} // namespace kiv
