// Cuts the received byte stream into device frames and files each, as a
// record of kind 0, in the store its type is routed to.
#pragma once

#include "link/ByteRing.h"
#include "link/MessageStore.h"

#include <cstddef>
#include <cstdint>

namespace kiv {

class CFrameSplitter {
public:
    // Incomplete runs with the same length after which the type byte is dropped.
    static constexpr int kStallLimit = 100;

    // Extracts every complete frame from the ring. Returns the number of
    // frames filed; stops when the ring runs out of bytes.
    std::size_t extract(CByteRing& ring, CMessageStores& stores);

    void vResetStall() { mStallCount = 0; }
    int stallCount() const { return mStallCount; }

private:
    int mStallCount = 0;
    int mLastStallLength = 0;
    KIVCommon::tKIVNGMessageData mRecord{};
    std::size_t mDirtyBytes = KIVCommon::kReceiveFrameSize;   // frame bytes that may be non-zero
};

} // namespace kiv
