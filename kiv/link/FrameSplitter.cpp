#include "link/FrameSplitter.h"

#include <cstring>

namespace kiv {

using namespace KIVCommon;

std::size_t CFrameSplitter::extract(CByteRing& ring, CMessageStores& stores)
{
    std::size_t filed = 0;
    for (;;) {
        // Only the frame bytes are ever written; the rest of the record stays 0.
        std::uint8_t* frame = mRecord.frameBytes;
        std::memset(frame, 0, mDirtyBytes);
        mDirtyBytes = kFrameHeaderSize;

        std::uint8_t type = 0;
        do {
            if (!ring.bTake(type))
                return filed;
        } while (!isAcceptedFrameType(type));
        frame[0] = type;

        if (ring.size() < 2) {
            ring.vPutBack(frame, 1);
            return filed;
        }
        ring.bTake(frame[1]);
        ring.bTake(frame[2]);
        const int length = frame[1] * 256 + frame[2];

        if (length > kMaxReceivePayload) {
            // No device frame is this long: the type byte was noise. Drop it
            // and look for a frame start in the length bytes onwards.
            ring.vPutBack(frame + 1, 2);
            continue;
        }

        if (ring.size() < static_cast<std::size_t>(length)) {
            if (length != mLastStallLength || mStallCount < kStallLimit) {
                ++mStallCount;
                mLastStallLength = length;
                ring.vPutBack(frame, 3);
            } else {
                mStallCount = 0;
                ring.vPutBack(frame + 1, 2);
            }
            return filed;
        }

        mDirtyBytes = kFrameHeaderSize + length;
        for (int i = 0; i < length; ++i)
            ring.bTake(frame[kFrameHeaderSize + i]);

        mRecord.messageKind = MESSAGE_KIND_DEVICE_FRAME;
        stores[isEventFrameType(type) ? MESSAGE_STORE_EVENT : MESSAGE_STORE_RESPONSE].vAppend(mRecord);
        mStallCount = 0;
        ++filed;
    }
}

} // namespace kiv
