// The UDS transport: sends a request as a single frame or a first frame plus
// consecutive frames paced by the ECU's flow control, and turns received
// single and first frames into response records.
#pragma once

#include "device/CThread.h"
#include "kiv/KIV.h"
#include "link/MessageStore.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>

namespace kiv {

// Sends one CAN frame on a device channel with a sender kind (tag 0); true
// when the whole device frame was written.
using CanFrameSender = std::function<bool(int channel, const KIVCommon::tCANData& frame, int senderKind)>;

class CCFUDSService : public CThread {
public:
    static constexpr std::size_t kQueueSize = 1024;

    CCFUDSService(CanFrameSender send, CMessageStores& stores);
    ~CCFUDSService() override;

    void vRun() override;
    // Clears the running flag and wakes the worker.
    void vStop();

    // Remembers the request and sends its single or first frame: 0, 55 for a
    // length outside the transport limits, 51 when the frame was not written.
    std::uint8_t esSendRequest(int channel, const KIVCommon::tSPRequest& request);
    // Sends the request as one single frame with the sender kind, leaving the
    // remembered request alone (the tester present goes out this way).
    std::uint8_t esSendSingleFrame(int channel, const KIVCommon::tSPRequest& request, int senderKind);
    // Appends a received CAN frame: 0, or 53 when the queue is full.
    std::uint8_t esEnqueue(const KIVCommon::tCANData& frame);

    // Handles one received frame as the worker does (flow control, responses).
    void vHandleFrame(const KIVCommon::tCANData& frame);
    // Sends consecutive frames after a flow control "continue": 0, or 51 for a
    // reserved separation time or a frame that could not be written.
    std::uint8_t esSendConsecutiveFrames(std::uint8_t blockSize, std::uint8_t separationTime);

private:
    bool bTake(KIVCommon::tCANData& frame);
    bool bAccepts(const KIVCommon::tCANData& frame) const;
    void vAppendResponse(KIVCommon::MESSAGE_KIND kind, KIVCommon::MESSAGE_STORE_TYPE store, const KIVCommon::tCANData& frame,
                         std::size_t pciAt);

    CanFrameSender mSend;
    CMessageStores& mStores;

    std::mutex mRequestLock;   // guards the request being sent and its progress
    KIVCommon::tSPRequest mRequest{};
    int mChannel = 0;
    std::size_t mSent = 0;
    std::uint8_t mSequence = 0;

    std::mutex mQueueLock;
    std::condition_variable mQueueChanged;
    KIVCommon::tCANData mQueue[kQueueSize]{};
    int mReadPos = -1;
    int mWritePos = -1;
    std::size_t mCount = 0;
};

} // namespace kiv
