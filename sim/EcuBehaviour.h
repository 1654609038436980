// The virtual ECU behind the device's CAN side: answers UDS requests sent as
// ISO 15765-2 frames in normal addressing (flow control for multi-frame
// requests), with session control, tester present, security access checked
// through libseedkey.so, request download, transfer data, transfer exit and
// routine control. It records what it received so tests can compare it.
#pragma once

#include "CanBehaviour.h"
#include "CanRecordWriter.h"
#include "VirtualDevice.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace kivsim {

struct EcuConfig {
    std::uint32_t requestId = 0x7E0;
    std::uint32_t responseId = 0x7E8;
    std::uint32_t functionalId = 0x7DF;
    // 0: transfer data carries the block's byte offset; other: a block counter.
    int vendor = 0;
    std::uint8_t blockSize = 0;        // flow control for multi-frame requests
    std::uint8_t separationTime = 0;
    std::uint32_t seed = 0x11223344;
};

class EcuBehaviour {
public:
    EcuBehaviour(VirtualDevice& device, CanBehaviour& can);

    // Off by default: the device then only reports transmitted frames.
    void setEnabled(bool on) { mEnabled = on; }
    // Sets the configuration and forgets everything received.
    void configure(const EcuConfig& config);

    // Every complete request in the order received (tester presents included).
    std::vector<std::vector<std::uint8_t>> requests() const;
    // The bytes collected by transfer data since the last request download.
    std::vector<std::uint8_t> downloaded() const;
    bool transferExited() const;
    std::size_t testerPresents() const;
    // Faults the ECU saw: a wrong block counter or offset, a key that did not
    // match, a consecutive frame out of sequence.
    std::vector<std::string> faults() const;

private:
    using Bytes = std::vector<std::uint8_t>;

    void onFrame(VirtualDevice& device, const CanFrame& frame);
    void receivePhysical(VirtualDevice& device, const CanFrame& frame);
    void handleRequest(VirtualDevice& device, std::uint8_t channel, const Bytes& request);
    Bytes answer(const Bytes& request);
    Bytes answerSecurity(const Bytes& request);
    Bytes answerRequestDownload(const Bytes& request);
    Bytes answerTransferData(const Bytes& request);
    void send(VirtualDevice& device, std::uint8_t channel, const Bytes& bytes);
    void sendFlowControl(VirtualDevice& device, std::uint8_t channel);

    std::atomic<bool> mEnabled{false};

    mutable std::mutex mLock;   // guards everything below
    EcuConfig mConfig;
    // Reception of a multi-frame request.
    Bytes mIncoming;
    std::size_t mIncomingLength = 0;
    std::uint8_t mNextSequence = 0;
    std::size_t mFramesInBlock = 0;
    // Diagnostic state.
    bool mSeedSent = false;
    bool mUnlocked = false;
    bool mDownloading = false;
    bool mExited = false;
    std::size_t mAnnouncedSize = 0;
    std::size_t mOffsetBytes = 0;
    std::uint8_t mNextCounter = 1;
    Bytes mDownloaded;
    std::vector<Bytes> mRequests;
    std::size_t mTesterPresents = 0;
    std::vector<std::string> mFaults;
};

} // namespace kivsim
