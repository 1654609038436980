#include "EcuBehaviour.h"

#include "kiv/KIVMessages.h"
#include "uds/SeedKey.h"

#include <algorithm>

namespace kivsim {

namespace {

constexpr std::uint8_t kPad = 0xAA;
constexpr std::uint8_t kNegative = 0x7F;
constexpr std::uint8_t kServiceNotSupported = 0x11;
constexpr std::uint8_t kConditionsNotCorrect = 0x22;
constexpr std::uint8_t kRequestSequenceError = 0x24;
constexpr std::uint8_t kRequestOutOfRange = 0x31;
constexpr std::uint8_t kSecurityAccessDenied = 0x33;
constexpr std::uint8_t kInvalidKey = 0x35;
constexpr std::uint8_t kTransferSuspended = 0x71;
constexpr std::uint8_t kWrongBlockSequence = 0x73;
constexpr std::uint8_t kLengthFormatIdentifier = 0x20;
constexpr std::uint16_t kMaxBlockLength = 0x0082;

std::uint64_t bigEndian(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t count)
{
    std::uint64_t value = 0;
    for (std::size_t i = from; i < from + count && i < bytes.size(); ++i)
        value = value << 8 | bytes[i];
    return value;
}

std::vector<std::uint8_t> negative(std::uint8_t service, std::uint8_t code) { return {kNegative, service, code}; }

} // namespace

EcuBehaviour::EcuBehaviour(VirtualDevice&, CanBehaviour& can)
{
    can.setFrameListener([this](VirtualDevice& device, const CanFrame& frame) { onFrame(device, frame); });
}

void EcuBehaviour::configure(const EcuConfig& config)
{
    std::lock_guard guard(mLock);
    mConfig = config;
    mIncoming.clear();
    mIncomingLength = 0;
    mSeedSent = mUnlocked = mDownloading = mExited = false;
    mDownloaded.clear();
    mRequests.clear();
    mTesterPresents = 0;
    mFaults.clear();
}

std::vector<std::vector<std::uint8_t>> EcuBehaviour::requests() const
{
    std::lock_guard guard(mLock);
    return mRequests;
}

std::vector<std::uint8_t> EcuBehaviour::downloaded() const
{
    std::lock_guard guard(mLock);
    return mDownloaded;
}

bool EcuBehaviour::transferExited() const
{
    std::lock_guard guard(mLock);
    return mExited;
}

std::size_t EcuBehaviour::testerPresents() const
{
    std::lock_guard guard(mLock);
    return mTesterPresents;
}

std::vector<std::string> EcuBehaviour::faults() const
{
    std::lock_guard guard(mLock);
    return mFaults;
}

void EcuBehaviour::onFrame(VirtualDevice& device, const CanFrame& frame)
{
    if (!mEnabled || frame.dlc == 0)
        return;   // an empty frame (a wake-up) needs no answer
    std::unique_lock lock(mLock);
    if (frame.id == mConfig.functionalId) {
        const std::uint8_t length = frame.data[0] & 0x0F;
        if ((frame.data[0] >> 4) != 0 || length == 0 || length > 7)
            return;
        const Bytes request(frame.data + 1, frame.data + 1 + length);
        handleRequest(device, frame.channel, request);
    } else if (frame.id == mConfig.requestId) {
        receivePhysical(device, frame);
    }
}

void EcuBehaviour::receivePhysical(VirtualDevice& device, const CanFrame& frame)
{
    const std::uint8_t pci = frame.data[0];
    switch (pci >> 4) {
    case 0: {
        const std::size_t length = pci & 0x0F;
        if (length == 0 || length > 7)
            return;
        handleRequest(device, frame.channel, Bytes(frame.data + 1, frame.data + 1 + length));
        return;
    }
    case 1:
        mIncomingLength = std::size_t(pci & 0x0F) << 8 | frame.data[1];
        mIncoming.assign(frame.data + 2, frame.data + 8);
        mNextSequence = 1;
        mFramesInBlock = 0;
        sendFlowControl(device, frame.channel);
        return;
    case 2: {
        if (mIncomingLength == 0)
            return;
        if ((pci & 0x0F) != mNextSequence) {
            mFaults.push_back("consecutive frame " + std::to_string(pci & 0x0F) + " where "
                              + std::to_string(mNextSequence) + " was due");
            mIncomingLength = 0;
            return;
        }
        mNextSequence = (mNextSequence + 1) & 0x0F;
        const std::size_t take = std::min<std::size_t>(7, mIncomingLength - mIncoming.size());
        mIncoming.insert(mIncoming.end(), frame.data + 1, frame.data + 1 + take);
        if (mIncoming.size() >= mIncomingLength) {
            mIncomingLength = 0;
            handleRequest(device, frame.channel, mIncoming);
        } else if (mConfig.blockSize != 0 && ++mFramesInBlock == mConfig.blockSize) {
            mFramesInBlock = 0;
            sendFlowControl(device, frame.channel);
        }
        return;
    }
    default:
        return;
    }
}

void EcuBehaviour::sendFlowControl(VirtualDevice& device, std::uint8_t channel)
{
    send(device, channel, {0x30, mConfig.blockSize, mConfig.separationTime});
}

void EcuBehaviour::handleRequest(VirtualDevice& device, std::uint8_t channel, const Bytes& request)
{
    mRequests.push_back(request);
    const Bytes response = answer(request);
    if (response.empty())
        return;
    Bytes frame{static_cast<std::uint8_t>(response.size())};
    frame.insert(frame.end(), response.begin(), response.end());
    send(device, channel, frame);
}

EcuBehaviour::Bytes EcuBehaviour::answer(const Bytes& request)
{
    const std::uint8_t service = request[0];
    const std::uint8_t sub = request.size() > 1 ? request[1] : 0;
    switch (service) {
    case 0x10:
        return {0x50, sub, 0x00, 0x32, 0x01, 0xF4};
    case 0x3E:
        ++mTesterPresents;
        return sub & 0x80 ? Bytes{} : Bytes{0x7E, sub};
    case 0x27:
        return answerSecurity(request);
    case 0x34:
        return answerRequestDownload(request);
    case 0x36:
        return answerTransferData(request);
    case 0x37:
        if (!mDownloading)
            return negative(service, kRequestSequenceError);
        mDownloading = false;
        mExited = true;
        return {0x77};
    case 0x31:
        return {0x71, sub, request.size() > 2 ? request[2] : std::uint8_t(0), request.size() > 3 ? request[3] : std::uint8_t(0)};
    default:
        return negative(service, kServiceNotSupported);
    }
}

EcuBehaviour::Bytes EcuBehaviour::answerSecurity(const Bytes& request)
{
    const std::uint8_t sub = request.size() > 1 ? request[1] : 0;
    if (sub % 2 == 1) {
        mSeedSent = true;
        const std::uint32_t seed = mConfig.seed;
        return {0x67, sub, static_cast<std::uint8_t>(seed >> 24), static_cast<std::uint8_t>(seed >> 16),
                static_cast<std::uint8_t>(seed >> 8), static_cast<std::uint8_t>(seed)};
    }
    if (!mSeedSent || request.size() < 6)
        return negative(0x27, kRequestSequenceError);
    mSeedSent = false;
    const auto expected = kiv::computeSeedKey(mConfig.seed);
    if (!expected)
        return negative(0x27, kConditionsNotCorrect);
    if (bigEndian(request, 2, 4) != *expected) {
        mFaults.push_back("security key did not match");
        return negative(0x27, kInvalidKey);
    }
    mUnlocked = true;
    return {0x67, sub};
}

EcuBehaviour::Bytes EcuBehaviour::answerRequestDownload(const Bytes& request)
{
    if (!mUnlocked)
        return negative(0x34, kSecurityAccessDenied);
    if (mConfig.vendor == 0) {
        if (request.size() < 3)
            return negative(0x34, kRequestOutOfRange);
        mOffsetBytes = request.size() - 2;
        mAnnouncedSize = bigEndian(request, 2, mOffsetBytes);
    } else {
        static const Bytes kPrefix{0x34, 0x00, 0x33, 0x7C, 0x00};
        if (request.size() <= kPrefix.size() || !std::equal(kPrefix.begin(), kPrefix.end(), request.begin()))
            return negative(0x34, kRequestOutOfRange);
        mAnnouncedSize = bigEndian(request, kPrefix.size(), request.size() - kPrefix.size());
    }
    mDownloading = true;
    mExited = false;
    mNextCounter = 1;
    mDownloaded.clear();
    return {0x74, kLengthFormatIdentifier, static_cast<std::uint8_t>(kMaxBlockLength >> 8),
            static_cast<std::uint8_t>(kMaxBlockLength)};
}

EcuBehaviour::Bytes EcuBehaviour::answerTransferData(const Bytes& request)
{
    if (!mDownloading || request.size() < 2)
        return negative(0x36, kRequestSequenceError);
    std::size_t dataAt = 2;
    if (mConfig.vendor == 0) {
        dataAt += mOffsetBytes;
        if (request.size() < dataAt || bigEndian(request, 2, mOffsetBytes) != mDownloaded.size()) {
            mFaults.push_back("transfer data at offset " + std::to_string(bigEndian(request, 2, mOffsetBytes))
                              + " where " + std::to_string(mDownloaded.size()) + " was due");
            return negative(0x36, kWrongBlockSequence);
        }
    } else if (request[1] != mNextCounter) {
        mFaults.push_back("block counter " + std::to_string(request[1]) + " where " + std::to_string(mNextCounter)
                          + " was due");
        return negative(0x36, kWrongBlockSequence);
    }
    mNextCounter = static_cast<std::uint8_t>(mNextCounter + 1);
    mDownloaded.insert(mDownloaded.end(), request.begin() + static_cast<std::ptrdiff_t>(dataAt), request.end());
    if (mDownloaded.size() > mAnnouncedSize) {
        mFaults.push_back("more bytes than the request download announced");
        return negative(0x36, kTransferSuspended);
    }
    return {0x76, request[1]};
}

void EcuBehaviour::send(VirtualDevice& device, std::uint8_t channel, const Bytes& bytes)
{
    CanFrame frame;
    frame.id = mConfig.responseId;
    frame.extended = frame.id > 0x7FF;
    frame.dlc = 8;
    frame.channel = channel;
    std::fill(std::begin(frame.data), std::end(frame.data), kPad);
    std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), 8), frame.data);
    std::vector<std::uint8_t> record;
    appendCanRecord(record, frame, device.clock().now());
    device.sendFrame(KIVCommon::MSG_CAN_RX, record);
}

} // namespace kivsim
