// The frame splitter on arbitrary byte streams cut into arbitrary reads.
// Input: repeated [chunk length byte][chunk bytes]. After every read the
// splitter runs; every record it files must be a well-formed frame of an
// accepted type in the store its type is routed to.
#include "link/ByteRing.h"
#include "link/FrameSplitter.h"
#include "link/MessageStore.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace KIVCommon;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void drainAndCheck(kiv::CMessageStores& stores)
{
    for (auto type : {MESSAGE_STORE_RESPONSE, MESSAGE_STORE_EVENT}) {
        while (!stores[type].bIsEmpty()) {
            const tKIVNGMessageData record = stores[type].take();
            const std::uint8_t* frame = record.frameBytes;
            check(record.messageKind == MESSAGE_KIND_DEVICE_FRAME);
            check(isAcceptedFrameType(frame[0]));
            check((type == MESSAGE_STORE_EVENT) == isEventFrameType(frame[0]));
            const int length = frame[1] * 256 + frame[2];
            check(length <= kMaxReceivePayload);
            for (int i = kFrameHeaderSize + length; i < kReceiveFrameSize; ++i)
                check(frame[i] == 0);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static kiv::CMessageStores stores;
    kiv::CByteRing ring;
    kiv::CFrameSplitter splitter;

    std::size_t at = 0;
    while (at < size) {
        std::size_t chunk = data[at++];
        if (chunk > size - at)
            chunk = size - at;
        for (std::size_t i = 0; i < chunk; ++i)
            ring.vPush(data[at + i]);
        at += chunk;
        splitter.extract(ring, stores);
        check(ring.size() <= kiv::CByteRing::kCapacity);
        drainAndCheck(stores);
    }
    // Empty reads let a stalled frame run into the stall limit.
    for (int run = 0; run <= kiv::CFrameSplitter::kStallLimit + 1; ++run)
        splitter.extract(ring, stores);
    drainAndCheck(stores);
    return 0;
}
