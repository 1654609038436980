#include "uds/CKivUdsDown.h"

#include "uds/IsoTpFrame.h"

#include <algorithm>
#include <cstring>
#include <string>

using namespace KIVCommon;

namespace kiv {

namespace {

constexpr std::uint8_t kWakeUp = 0x00;
constexpr std::uint8_t kSecurityAccess = 0x27;
constexpr std::uint8_t kRequestDownload = 0x34;
constexpr std::uint8_t kTransferData = 0x36;
constexpr std::uint8_t kLongPauseService = 0xA5;
constexpr std::uint8_t kSeedResponse = 0x67;
constexpr std::uint8_t kRequestSeed = 0x01;
constexpr std::uint8_t kSendKey = 0x02;
constexpr std::uint8_t kTesterPresent = 0x3E;
constexpr std::uint8_t kSuppressResponse = 0x80;
constexpr std::uint8_t kStandardPad = 0xAA;
constexpr std::uint8_t kAlternativePad = 0x55;
constexpr std::size_t kMaxDataFiles = 10;

// Writes value into count bytes, most significant first (bytes above 32 bits are 0).
void putBigEndian(std::uint8_t* out, std::size_t count, std::uint64_t value)
{
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t shift = 8 * (count - 1 - i);
        out[i] = shift < 64 ? static_cast<std::uint8_t>(value >> shift) : 0;
    }
}

void copyStepData(tSPRequest& request, const tUdsStep& step)
{
    request.dataLength = step.dataLength;
    std::memcpy(request.data, step.request, std::min<std::size_t>(step.dataLength, sizeof step.request));
}

} // namespace

CKivUdsDown::CKivUdsDown(CCFUDSService& service, CMessageStores& stores, SeedKeyFunction seedKey)
    : mService(service), mStores(stores), mSeedKey(std::move(seedKey))
{
}

CKivUdsDown::~CKivUdsDown()
{
    vStopWorker();
    vStopAndJoin();
}

void CKivUdsDown::vRun()
{
    while (bIsRunning()) {
        if (mKeepAlive.load(std::memory_order_relaxed)) {
            tSPRequest request;
            int channel = 0;
            {
                std::lock_guard guard(mTesterLock);
                request = mTesterPresent;
                channel = mChannel;
            }
            request.padByte = kAlternativePad;
            mService.esSendSingleFrame(channel, request, SENDER_UDS_TESTER_PRESENT);
        }
        std::unique_lock lock(mTesterLock);
        mTesterWake.wait_for(lock, kTesterPresentPeriod, [this] { return !bIsRunning(); });
    }
}

void CKivUdsDown::vStopWorker()
{
    {
        std::lock_guard guard(mTesterLock);
        esStop();
    }
    mTesterWake.notify_all();
}

std::uint8_t CKivUdsDown::esSetSequence(const char* path, const tUDSInformation& info)
{
    std::vector<tUdsStep> steps;
    std::string error;
    if (!loadSequenceFile(path, steps, error))
        return KIV_FAIL;

    Lock lock(mStepLock);
    if (bIsDownloadRunning())
        return KIV_FAIL;
    mInfo = info;
    for (auto& filePath : mInfo.filePath)
        filePath[sizeof filePath - 1] = '\0';
    mSteps = std::move(steps);
    mIndex = 0;
    mAwaiting = false;
    vCloseDataFile();

    tSPRequest tester{};
    tester.addressFormat = info.addressFormat;
    tester.reserved = info.reserved;
    tester.sourceAddress = info.sourceAddress;
    tester.targetAddress = info.targetAddress;
    tester.targetAddressType = info.targetAddressType;
    tester.addressExtension = info.addressExtension;
    tester.data[0] = kTesterPresent;
    tester.data[1] = kSuppressResponse;
    tester.dataLength = 2;
    tester.requestId = info.functionalId;
    tester.responseId = info.responseId;
    tester.padByte = info.vendor == 0 ? kStandardPad : kAlternativePad;
    std::lock_guard guard(mTesterLock);
    mTesterPresent = tester;
    mChannel = info.canChannel;
    return KIV_OK;
}

void CKivUdsDown::vRunSequence()
{
    Lock lock(mStepLock);
    if (bIsDownloadRunning())
        return;
    ++mGeneration;
    esStart();
    mDownloadRunning.store(true, std::memory_order_release);
    vAppendStatus();
    vRunSteps(lock);
}

void CKivUdsDown::vProcessResponse(const tKIVNGMessageData& record)
{
    if (record.messageKind != MESSAGE_KIND_UDS_RESPONSE)
        return;
    Lock lock(mStepLock);
    // Only the response a sent step waits for moves the sequence on; a late
    // or repeated answer does not run the steps a second time.
    if (!bIsDownloadRunning() || !mAwaiting || record.uds.udsPayload[0] != mExpected)
        return;
    mAwaiting = false;
    if (record.uds.udsPayload[0] == kSeedResponse && record.uds.udsPayload[1] == kRequestSeed) {
        const std::uint8_t* seedBytes = record.uds.udsPayload + 2;
        const std::uint32_t seed = std::uint32_t(seedBytes[0]) << 24 | std::uint32_t(seedBytes[1]) << 16
                                 | std::uint32_t(seedBytes[2]) << 8 | seedBytes[3];
        if (const auto key = mSeedKey ? mSeedKey(seed) : std::nullopt)
            putBigEndian(mKey, sizeof mKey, *key);
    }
    if (!bPause(lock, mCurrentService))
        return;
    vRunSteps(lock);
}

void CKivUdsDown::vStopSequence()
{
    Lock lock(mStepLock);
    if (!bIsDownloadRunning())
        return;
    ++mGeneration;
    vEnd();
    lock.unlock();
    mStepWake.notify_all();
}

tSPRequest CKivUdsDown::baseRequest() const
{
    tSPRequest request{};
    request.addressFormat = ADDRESS_NORMAL;
    request.reserved = mInfo.reserved;
    request.sourceAddress = mInfo.sourceAddress;
    request.targetAddress = mInfo.targetAddress;
    request.targetAddressType = mInfo.targetAddressType;
    request.requestId = mInfo.physicalId;
    request.responseId = mInfo.responseId;
    request.padByte = mInfo.vendor == 0 ? kStandardPad : kAlternativePad;
    return request;
}

void CKivUdsDown::vRunSteps(Lock& lock)
{
    if (mMoreBlocks) {
        mKeepAlive.store(false, std::memory_order_relaxed);
        tSPRequest request = baseRequest();
        if (bReadBlock(request)) {
            vAwait(kTransferData, 0x76);
            vSend(request);
            if (!mMoreBlocks)
                mKeepAlive.store(true, std::memory_order_relaxed);
            return;
        }
    }
    while (mIndex < mSteps.size()) {
        const tUdsStep step = mSteps[mIndex];
        const std::uint8_t service = step.request[0];
        tSPRequest request = baseRequest();
        bool carriesBlock = false;
        switch (service) {
        case kSecurityAccess:
            request.dataLength = step.dataLength;
            request.data[0] = kSecurityAccess;
            request.data[1] = step.request[1];
            if (step.request[1] == kSendKey)
                std::memcpy(request.data + 2, mKey, sizeof mKey);
            request.addressExtension = step.addressExtension;
            break;
        case kRequestDownload: {
            request.dataLength = step.dataLength;
            const std::uint32_t size = fileSize(step.request[3]);
            std::uint8_t* at = request.data;
            *at++ = kRequestDownload;
            if (mInfo.vendor == 0) {
                *at++ = step.request[1];
            } else {
                for (std::uint8_t byte : {0x00, 0x33, 0x7C, 0x00})
                    *at++ = byte;
                carriesBlock = true;
            }
            putBigEndian(at, step.request[2], size);
            break;
        }
        case kTransferData:
            copyStepData(request, step);
            mTransferStep = step;
            vOpenDataFile(step.request[3]);
            if (mDataFile) {
                mBlockIndex = 0;
                bReadBlock(request);
                carriesBlock = true;
            }
            break;
        default:
            if (service == kWakeUp && step.extension == 0 && step.addressExtension == 0) {
                request.dataLength = 0;
                request.requestId = mInfo.wakeUpId;
                break;
            }
            if (step.extension == 1)
                request.addressFormat = ADDRESS_MIXED_11BIT;
            if (step.functional == 1)
                request.requestId = mInfo.functionalId;
            request.addressExtension = step.addressExtension;
            copyStepData(request, step);
            break;
        }
        ++mIndex;

        if (step.expectedService != kNoResponseExpected || service == kRequestDownload) {
            const std::uint8_t expected = service == kRequestDownload ? 0x74
                                        : service == kTransferData    ? 0x76
                                                                      : step.expectedService;
            vAwait(service, expected);
            mKeepAlive.store(false, std::memory_order_relaxed);
            vSend(request);
            if (!carriesBlock)
                vSendTesterPresent();
            else if (!mMoreBlocks)
                mKeepAlive.store(true, std::memory_order_relaxed);
            return;
        }
        mKeepAlive.store(false, std::memory_order_relaxed);
        vSend(request);
        if (!carriesBlock)
            vSendTesterPresent();
        else
            mKeepAlive.store(true, std::memory_order_relaxed);
        if (!bPause(lock, service))
            return;
    }
    vEnd();
}

void CKivUdsDown::vAwait(std::uint8_t service, std::uint8_t expected)
{
    mCurrentService = service;
    mExpected = expected;
    mAwaiting = true;
}

bool CKivUdsDown::bReadBlock(tSPRequest& request)
{
    std::size_t header = 2;
    request.data[0] = kTransferData;
    if (mInfo.vendor != 0) {
        request.data[1] = static_cast<std::uint8_t>(mBlockIndex + 1);
    } else {
        request.data[1] = mTransferStep.request[1];
        const std::size_t offsetBytes = mTransferStep.request[2];
        putBigEndian(request.data + 2, offsetBytes, std::uint64_t(kBlockSize) * mBlockIndex);
        header += offsetBytes;
    }
    const std::size_t read = std::fread(request.data + header, 1, kBlockSize, mDataFile.get());
    if (read == 0 && mBlockIndex > 0) {
        vCloseDataFile();
        return false;
    }
    request.dataLength = static_cast<std::uint16_t>(read + header);
    if (read == kBlockSize) {
        ++mBlockIndex;
        mMoreBlocks = true;
    } else {
        vCloseDataFile();
        mKeepAlive.store(true, std::memory_order_relaxed);
    }
    return true;
}

void CKivUdsDown::vOpenDataFile(std::uint8_t fileNumber)
{
    vCloseDataFile();
    if (fileNumber < 1 || fileNumber > kMaxDataFiles)
        return;
    mDataFile.reset(std::fopen(mInfo.filePath[fileNumber - 1], "rb"));
}

void CKivUdsDown::vCloseDataFile()
{
    mDataFile.reset();
    mMoreBlocks = false;
}

std::uint32_t CKivUdsDown::fileSize(std::uint8_t fileNumber) const
{
    return fileNumber >= 1 && fileNumber <= kMaxDataFiles ? mInfo.fileSize[fileNumber - 1] : 0;
}

void CKivUdsDown::vSend(const tSPRequest& request)
{
    mService.esSendRequest(mInfo.canChannel, request);
}

void CKivUdsDown::vSendTesterPresent()
{
    tSPRequest request;
    int channel = 0;
    {
        std::lock_guard guard(mTesterLock);
        request = mTesterPresent;
        channel = mChannel;
    }
    mService.esSendSingleFrame(channel, request, SENDER_UDS_TESTER_PRESENT);
}

bool CKivUdsDown::bPause(Lock& lock, std::uint8_t service)
{
    const auto pause = std::chrono::milliseconds(service == kLongPauseService ? 100 : 50);
    const std::uint64_t generation = mGeneration;
    mStepWake.wait_for(lock, pause, [&] { return mGeneration != generation; });
    return mGeneration == generation;
}

void CKivUdsDown::vEnd()
{
    mSteps.clear();
    mIndex = 0;
    mAwaiting = false;
    vCloseDataFile();
    mKeepAlive.store(false, std::memory_order_relaxed);
    mDownloadRunning.store(false, std::memory_order_release);
    vAppendStatus();
    vStopWorker();
}

void CKivUdsDown::vAppendStatus()
{
    tKIVNGMessageData record;
    std::memset(&record, 0, sizeof record);
    record.messageKind = MESSAGE_KIND_SEQUENCE_STATUS;
    record.statusCode = kSequenceStatus;
    mStores.event.vAppend(record);
}

} // namespace kiv
