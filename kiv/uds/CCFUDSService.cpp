#include "uds/CCFUDSService.h"

#include "uds/IsoTpFrame.h"

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

using namespace KIVCommon;

namespace kiv {

namespace {

constexpr std::uint32_t kIdMask = 0x1FFFFFFFu;
constexpr std::uint32_t kLow26Bits = 0x03FFFFFFu;
constexpr std::uint32_t kFixedIdBase = 0x18000000u;
constexpr std::uint8_t kFlowControl = 3;
constexpr std::uint8_t kFlowContinue = 0;
constexpr std::uint8_t kFlowOverflow = 2;
constexpr auto kSleepAbove = std::chrono::microseconds(3000);

// Pins the calling thread to processor 0 while consecutive frames are timed,
// and gives it back its processors afterwards. Without permission it does
// nothing and the timing carries on unpinned.
class PinnedToFirstProcessor {
public:
    PinnedToFirstProcessor()
    {
        mSaved = pthread_getaffinity_np(pthread_self(), sizeof mPrevious, &mPrevious) == 0;
        cpu_set_t first;
        CPU_ZERO(&first);
        CPU_SET(0, &first);
        if (mSaved)
            pthread_setaffinity_np(pthread_self(), sizeof first, &first);
    }
    ~PinnedToFirstProcessor()
    {
        if (mSaved)
            pthread_setaffinity_np(pthread_self(), sizeof mPrevious, &mPrevious);
    }
    PinnedToFirstProcessor(const PinnedToFirstProcessor&) = delete;
    PinnedToFirstProcessor& operator=(const PinnedToFirstProcessor&) = delete;

private:
    cpu_set_t mPrevious;
    bool mSaved = false;
};

// Waits until the time has passed: sleeps while more than 3 ms remain, spins after.
void waitUntil(std::chrono::steady_clock::time_point until)
{
    for (;;) {
        const auto left = until - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero())
            return;
        if (left > kSleepAbove)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace

CCFUDSService::CCFUDSService(CanFrameSender send, CMessageStores& stores)
    : mSend(std::move(send)), mStores(stores)
{
}

CCFUDSService::~CCFUDSService()
{
    vStop();
    vStopAndJoin();
}

void CCFUDSService::vStop()
{
    {
        std::lock_guard guard(mQueueLock);
        esStop();
    }
    mQueueChanged.notify_all();
}

std::uint8_t CCFUDSService::esSendRequest(int channel, const tSPRequest& request)
{
    std::lock_guard guard(mRequestLock);
    std::size_t firstData = 0;
    const auto frame = buildFirstFrame(request, firstData);
    if (!frame)
        return KIV_UDS_OUT_OF_RANGE;
    mRequest = request;
    mChannel = channel;
    mSent = firstData;
    mSequence = 1;
    return mSend(channel, *frame, SENDER_UDS_FIRST_FRAME) ? KIV_OK : KIV_FAIL;
}

std::uint8_t CCFUDSService::esSendSingleFrame(int channel, const tSPRequest& request, int senderKind)
{
    const std::size_t addressBytes = hasAddressByte(request.addressFormat) ? 1 : 0;
    if (!isKnownFormat(request.addressFormat) || 1 + request.dataLength + addressBytes > 8)
        return KIV_UDS_OUT_OF_RANGE;
    const std::uint8_t pci = static_cast<std::uint8_t>(request.dataLength);
    const tCANData frame = composeCanFrame(request, &pci, 1, request.data, request.dataLength);
    return mSend(channel, frame, senderKind) ? KIV_OK : KIV_FAIL;
}

std::uint8_t CCFUDSService::esEnqueue(const tCANData& frame)
{
    {
        std::lock_guard guard(mQueueLock);
        if (mCount == kQueueSize)
            return KIV_UDS_QUEUE_FULL;
        if (mCount == 0)
            mReadPos = mWritePos = 0;
        else
            mWritePos = (mWritePos + 1) % static_cast<int>(kQueueSize);
        mQueue[mWritePos] = frame;
        ++mCount;
    }
    mQueueChanged.notify_one();
    return KIV_OK;
}

bool CCFUDSService::bTake(tCANData& frame)
{
    std::unique_lock lock(mQueueLock);
    mQueueChanged.wait(lock, [this] { return mCount > 0 || !bIsRunning(); });
    if (mCount == 0)
        return false;
    frame = mQueue[mReadPos];
    if (--mCount == 0)
        mReadPos = mWritePos = -1;
    else
        mReadPos = (mReadPos + 1) % static_cast<int>(kQueueSize);
    return true;
}

void CCFUDSService::vRun()
{
    tCANData frame;
    while (bIsRunning()) {
        if (bTake(frame))
            vHandleFrame(frame);
    }
}

bool CCFUDSService::bAccepts(const tCANData& frame) const
{
    const std::uint32_t id = frame.id & kIdMask;
    return id == (mRequest.responseId & kIdMask) || (id & ~kLow26Bits) == kFixedIdBase;
}

void CCFUDSService::vHandleFrame(const tCANData& frame)
{
    std::size_t pciAt = 0;
    {
        std::lock_guard guard(mRequestLock);
        if (!bAccepts(frame))
            return;
        // In the formats with an address byte the ECU's answer carries one too.
        pciAt = hasAddressByte(mRequest.addressFormat) ? 1 : 0;
    }
    const std::uint8_t pci = frame.data[pciAt];
    switch (pci >> 4) {
    case kFlowControl:
        if ((pci & 0x0F) == kFlowContinue && pciAt + 2 < sizeof frame.data)
            esSendConsecutiveFrames(frame.data[pciAt + 1], frame.data[pciAt + 2]);
        else if ((pci & 0x0F) == kFlowOverflow)
            vAppendResponse(MESSAGE_KIND_UDS_OVERFLOW, MESSAGE_STORE_RESPONSE, frame, pciAt);
        break;
    case 0:
    case 1:
        vAppendResponse(MESSAGE_KIND_UDS_RESPONSE, MESSAGE_STORE_EVENT, frame, pciAt);
        break;
    default:
        break;
    }
}

void CCFUDSService::vAppendResponse(MESSAGE_KIND kind, MESSAGE_STORE_TYPE store, const tCANData& frame, std::size_t pciAt)
{
    tKIVNGMessageData record;
    std::memset(&record, 0, sizeof record);
    record.messageKind = kind;
    {
        std::lock_guard guard(mRequestLock);
        record.uds.reserved = mRequest.reserved;
        record.uds.sourceAddress = mRequest.sourceAddress;
        record.uds.targetAddress = mRequest.targetAddress;
        record.uds.targetAddressType = mRequest.targetAddressType;
        record.uds.addressExtension = mRequest.addressExtension;
    }
    record.uds.requestId = frame.id;
    // The length is the low nibble of the protocol byte; a first frame is
    // not reassembled, so at most the bytes of this frame are copied.
    const std::size_t length = frame.data[pciAt] & 0x0Fu;
    const std::size_t available = sizeof frame.data - pciAt - 1;
    record.uds.udsLength = static_cast<std::uint16_t>(length);
    std::memcpy(record.uds.udsPayload, frame.data + pciAt + 1, std::min(length, available));
    mStores[store].vAppend(record);
}

std::uint8_t CCFUDSService::esSendConsecutiveFrames(std::uint8_t blockSize, std::uint8_t separationTime)
{
    const auto separation = separationMicros(separationTime);
    if (!separation)
        return KIV_FAIL;

    std::lock_guard guard(mRequestLock);
    const std::size_t perFrame = consecutiveFrameCapacity(mRequest.addressFormat);
    const std::size_t total = std::min<std::size_t>(mRequest.dataLength, kUdsDataSize);
    const std::size_t remaining = total > mSent ? total - mSent : 0;
    const std::size_t needed = (remaining + perFrame - 1) / perFrame;
    // A block size larger than what is left sends only what is left.
    const std::size_t frames = blockSize != 0 ? std::min<std::size_t>(blockSize, needed) : needed;

    std::uint8_t result = KIV_OK;
    PinnedToFirstProcessor pinned;
    for (std::size_t i = 0; i < frames; ++i) {
        const std::uint8_t pci = static_cast<std::uint8_t>(0x20 | mSequence);
        const std::size_t count = std::min(perFrame, total - mSent);
        const tCANData frame = composeCanFrame(mRequest, &pci, 1, mRequest.data + mSent, count);
        if (!mSend(mChannel, frame, SENDER_UDS_CONSECUTIVE_FRAME))
            result = KIV_FAIL;
        // Timed from the end of the write, so frames are never closer than
        // the separation time on the wire.
        const auto sentAt = std::chrono::steady_clock::now();
        mSent += count;
        mSequence = static_cast<std::uint8_t>((mSequence + 1) & 0x0F);
        if (i + 1 < frames)
            waitUntil(sentAt + std::chrono::microseconds(*separation));
    }
    return result;
}

} // namespace kiv
