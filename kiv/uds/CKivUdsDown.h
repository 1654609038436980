// The download sequencer: runs the steps of a sequence file, one request at a
// time, waits for each expected response, computes the security key, sends
// data files in 128-byte blocks and keeps the ECU awake with tester presents.
#pragma once

#include "device/CThread.h"
#include "kiv/KIV.h"
#include "link/MessageStore.h"
#include "uds/CCFUDSService.h"
#include "uds/SeedKey.h"
#include "uds/SequenceFile.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

namespace kiv {

constexpr std::int32_t kSequenceStatus = 0x8110;

class CKivUdsDown : public CThread {
public:
    static constexpr std::size_t kBlockSize = 128;
    static constexpr auto kTesterPresentPeriod = std::chrono::milliseconds(2000);

    CKivUdsDown(CCFUDSService& service, CMessageStores& stores, SeedKeyFunction seedKey = computeSeedKey);
    ~CKivUdsDown() override;

    // The tester-present worker.
    void vRun() override;

    // Loads the steps of a sequence file with the configuration: 0, or 51 when
    // the file cannot be read, holds no step, has a step line without all its
    // fields, or a download is running.
    std::uint8_t esSetSequence(const char* path, const KIVCommon::tUDSInformation& info);
    // Starts the download from the current step; nothing while one runs.
    void vRunSequence();
    // A response record (kind 7): the next steps run when it is the expected one.
    void vProcessResponse(const KIVCommon::tKIVNGMessageData& record);
    // Ends a running download at once: no further request goes out.
    void vStopSequence();
    bool bIsDownloadRunning() const { return mDownloadRunning.load(std::memory_order_acquire); }

private:
    using Lock = std::unique_lock<std::mutex>;

    void vRunSteps(Lock& lock);
    KIVCommon::tSPRequest baseRequest() const;
    // Fills the request with the next block of the open file; false when a
    // later block would be empty (the transfer is then over).
    bool bReadBlock(KIVCommon::tSPRequest& request);
    void vOpenDataFile(std::uint8_t fileNumber);
    void vCloseDataFile();
    std::uint32_t fileSize(std::uint8_t fileNumber) const;
    void vSend(const KIVCommon::tSPRequest& request);
    void vSendTesterPresent();
    void vAwait(std::uint8_t service, std::uint8_t expected);
    // Waits the pause between steps; false when the download was stopped meanwhile.
    bool bPause(Lock& lock, std::uint8_t service);
    void vEnd();
    void vAppendStatus();
    void vStopWorker();

    CCFUDSService& mService;
    CMessageStores& mStores;
    SeedKeyFunction mSeedKey;

    std::mutex mStepLock;   // guards everything below up to the tester lock
    std::condition_variable mStepWake;
    KIVCommon::tUDSInformation mInfo{};
    std::vector<tUdsStep> mSteps;
    std::size_t mIndex = 0;
    std::uint8_t mExpected = 0;
    std::uint8_t mCurrentService = 0;
    bool mAwaiting = false;
    std::uint8_t mKey[4]{};
    std::uint64_t mGeneration = 0;   // changes on every start and stop
    tUdsStep mTransferStep;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> mDataFile{nullptr, &std::fclose};
    std::size_t mBlockIndex = 0;
    bool mMoreBlocks = false;

    std::atomic<bool> mDownloadRunning{false};
    std::atomic<bool> mKeepAlive{false};

    std::mutex mTesterLock;   // guards the tester present request; the worker waits on it
    std::condition_variable mTesterWake;
    KIVCommon::tSPRequest mTesterPresent{};
    int mChannel = 0;
};

} // namespace kiv
