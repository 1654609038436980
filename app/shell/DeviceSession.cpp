#include "shell/DeviceSession.h"

#include "shell/SessionDelay.h"
#include "shell/SessionTexts.h"

#include "platform/UserPrompt.h"
#include "trace/TraceEvent.h"
#include "trace/TracePipeline.h"

#include "kiv/KIVCanRecord.h"
#include "kiv/KIVMessages.h"

#include <chrono>
#include <cstring>
#include <memory>
#include <utility>
#include <system_error>

using namespace KIVCommon;
using namespace std::chrono_literals;

namespace kivplus {

namespace {

// An answer counts as missing after one second. The store is checked every
// millisecond within it, so an answer is taken as soon as it is there.
constexpr auto kAnswerWait = 1000ms;
constexpr auto kStorePoll = 1ms;

constexpr std::uint8_t kRequestsWithLongPause[] = {MSG_KEYMAP_READ, MSG_IGNITION_READ, MSG_PROGRESSIVE_READ,
                                                   MSG_KEY_READ};

bool isUdsTransmitReport(const tKIVNGMessageData& record)
{
    if (record.frameBytes[0] != MSG_CAN_TX_REPORT)
        return false;
    const std::size_t length = std::size_t(record.frameBytes[1]) << 8 | record.frameBytes[2];
    if (length < kReportHeaderSize)
        return false;
    const std::uint8_t senderKind = record.frameBytes[kFrameHeaderSize + 1];
    return senderKind == SENDER_UDS_FIRST_FRAME || senderKind == SENDER_UDS_CONSECUTIVE_FRAME
        || senderKind == SENDER_UDS_TESTER_PRESENT;
}

tKIVNGMessageData zeroRecord()
{
    tKIVNGMessageData record;
    std::memset(&record, 0, sizeof record);
    return record;
}

} // namespace

const std::vector<FirmwareVersion>& supportedFirmwareVersions()
{
    static const std::vector<FirmwareVersion> versions{{1, 30}};
    return versions;
}

std::string supportedVersionText()
{
    std::string text;
    int listed = 0;
    for (const FirmwareVersion& v : supportedFirmwareVersions()) {
        if (listed++ == 5)
            break;
        if (!text.empty())
            text += ", ";
        text += "v" + std::to_string(v.major) + "." + std::to_string(v.minor);
    }
    return text;
}

std::pair<const std::uint8_t*, std::size_t> framePayload(const tKIVNGMessageData& record)
{
    const std::size_t length = std::size_t(record.frameBytes[1]) << 8 | record.frameBytes[2];
    const std::size_t fits = static_cast<std::size_t>(kDeviceFrameSize - kFrameHeaderSize);
    return {record.frameBytes + kFrameHeaderSize, length < fits ? length : fits};
}

DeviceSession::DeviceSession(UserPrompt& prompt, CKIV* library, bool ownsLibrary)
    : prompt_(prompt)
    , library_(library)
    , ownsLibrary_(ownsLibrary)
{
}

DeviceSession::~DeviceSession()
{
    stopReceiveThread();
    if (ownsLibrary_ && library_)
        library_->vDeleteInstance();
    library_ = nullptr;
}

bool DeviceSession::isConnected() { return library_ && library_->isUSBActive(); }

bool DeviceSession::connect(const std::string& portName)
{
    return library_ && library_->connectUSB(portName.c_str()) == KIV_OK;
}

void DeviceSession::disconnect()
{
    if (isConnected())
        library_->esDisconnectUSB();
}

bool DeviceSession::startReceiveThread()
{
    if (!isConnected())
        return false;
    std::lock_guard guard(threadLock_);
    if (receiving_.load())
        return true;
    if (receiver_.joinable())
        receiver_.join();   // ended with the previous connection
    receiveFlag_.store(true);
    receiving_.store(true);
    try {
        receiver_ = std::thread([this] { receiveLoop(); });
    } catch (const std::system_error&) {
        receiveFlag_.store(false);
        receiving_.store(false);
        disconnect();
        return false;
    }
    return true;
}

void DeviceSession::stopReceiveThread()
{
    std::lock_guard guard(threadLock_);
    receiveFlag_.store(false);
    if (receiver_.joinable())
        receiver_.join();
}

void DeviceSession::receiveLoop()
{
    while (receiveFlag_.load() && isConnected()) {
        if (!library_->isMessageStoreEmpty(MESSAGE_STORE_EVENT))
            handleEventRecord(library_->getRecievedMessage(MESSAGE_STORE_EVENT));
        else
            std::this_thread::sleep_for(kStorePoll);
    }
    receiving_.store(false);
}

void DeviceSession::handleEventRecord(const tKIVNGMessageData& record)
{
    if (record.messageKind == MESSAGE_KIND_DEVICE_FRAME) {
        if (isUdsTransmitReport(record))
            notifyUdsObserver(record);
        dispatchFrame(record.frameBytes);
    } else if (record.messageKind == MESSAGE_KIND_UDS_RESPONSE && library_) {
        notifyUdsObserver(record);
        library_->vProcessingUDSMessage(record);
    }
}

void DeviceSession::setUdsObserver(std::function<void(const tKIVNGMessageData&)> observer)
{
    std::lock_guard guard(udsObserverLock_);
    udsObserver_ = std::move(observer);
}

void DeviceSession::notifyUdsObserver(const tKIVNGMessageData& record)
{
    std::lock_guard guard(udsObserverLock_);
    if (udsObserver_)
        udsObserver_(record);
}

void DeviceSession::dispatchFrame(const std::uint8_t* frame)
{
    const std::uint8_t type = frame[0];
    const std::size_t length = std::size_t(frame[1]) << 8 | frame[2];
    if (length == 0 || length > static_cast<std::size_t>(kMaxReceivePayload))
        return;
    const std::uint8_t* payload = frame + kFrameHeaderSize;

    const std::uint8_t* record = nullptr;
    std::size_t recordSize = 0;
    std::int32_t kind = 0;
    if (type == MSG_CAN_RX) {
        record = payload;
        recordSize = length;
        kind = sTraceEvent::Received;
        const int udsChannel = udsChannel_.load();
        tCanRecord can{};
        if (udsChannel >= 0 && library_ && parseCanRecord(record, recordSize, can) && can.channel == udsChannel) {
            tCANData data{can.id | (can.extended ? 0x80000000u : 0u), can.dlc, {}};
            std::memcpy(data.data, can.data, sizeof data.data);
            library_->enqueueUDSMessage(data);
        }
    } else if (type == MSG_CAN_TX_REPORT) {
        if (length < kReportHeaderSize)
            return;
        reports_.route(payload[1], payload[2]);
        record = payload + kReportHeaderSize;
        recordSize = length - kReportHeaderSize;
        kind = payload[0] == kStatusSuccess ? sTraceEvent::Transmitted : sTraceEvent::TransmitError;
    } else {
        return;
    }

    reported_.fetch_add(1, std::memory_order_relaxed);
    // A record longer than the event's byte area cannot be held: it is dropped.
    if (recordSize > sizeof(sTraceEvent::eventBytes)) {
        tooLong_.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    std::lock_guard guard(traceLock_);
    if (!trace_ || !trace_->hasConversionThread()) {
        noTrace_.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    auto event = std::make_unique<sTraceEvent>();
    std::memcpy(event->eventBytes, record, recordSize);
    event->eventKind = kind;
    if (trace_->postEvent(std::move(event)))
        handedOver_.fetch_add(1, std::memory_order_relaxed);
    else
        noTrace_.fetch_add(1, std::memory_order_relaxed);
}

DeviceSession::TraceHandOver DeviceSession::traceHandOver() const
{
    return {reported_.load(std::memory_order_relaxed), handedOver_.load(std::memory_order_relaxed),
            tooLong_.load(std::memory_order_relaxed), noTrace_.load(std::memory_order_relaxed)};
}

void DeviceSession::attachTrace(TracePipeline* pipeline)
{
    std::lock_guard guard(traceLock_);
    trace_ = pipeline;
}

void DeviceSession::showCheckConnection() { prompt_.information(sessiontext::kCheckConnection); }

std::uint8_t DeviceSession::sendCommand(std::uint8_t type, const std::uint8_t* payload, int length, bool waitAfter,
                                        int milliseconds)
{
    if (!isConnected()) {
        showCheckConnection();
        return KIV_FAIL;
    }
    if (length < 0 || length > kMaxCommandPayload || (length > 0 && !payload))
        return KIV_FAIL;
    std::uint8_t frame[kCommandFrameSize] = {};
    frame[0] = type;
    frame[1] = static_cast<std::uint8_t>(length >> 8);
    frame[2] = static_cast<std::uint8_t>(length);
    if (length > 0)
        std::memcpy(frame + kFrameHeaderSize, payload, static_cast<std::size_t>(length));
    const std::uint8_t result = library_->sendKIVMessage(frame, length + kFrameHeaderSize);
    if (waitAfter)
        pause(std::chrono::milliseconds(milliseconds));
    return result;
}

std::uint8_t DeviceSession::sendCanFrame(int channel, std::uint32_t id, std::uint32_t dlc, std::uint32_t dataLow,
                                         std::uint32_t dataHigh, int senderKind, int senderTag)
{
    if (!isConnected()) {
        showCheckConnection();
        return KIV_FAIL;
    }
    tCANData frame{id, dlc, {}};
    for (int i = 0; i < 4; ++i) {
        frame.data[i] = static_cast<std::uint8_t>(dataLow >> (8 * i));
        frame.data[4 + i] = static_cast<std::uint8_t>(dataHigh >> (8 * i));
    }
    return library_->sendCANMessage(channel, &frame, 0, senderKind, senderTag);
}

void DeviceSession::drainStore(MESSAGE_STORE_TYPE store)
{
    if (!library_)
        return;
    while (!library_->isMessageStoreEmpty(store))
        library_->getRecievedMessage(store);
}

void DeviceSession::requestBlock(std::uint8_t type)
{
    drainStore(MESSAGE_STORE_RESPONSE);
    const std::uint8_t request = kBlockRequest;
    sendCommand(type, &request, 1, true, 40);
    for (std::uint8_t slow : kRequestsWithLongPause) {
        if (type == slow)
            pause(300ms);
    }
}

std::uint8_t DeviceSession::acknowledgeBlock(std::uint8_t type)
{
    const std::uint8_t acknowledge = kBlockAcknowledge;
    return sendCommand(type, &acknowledge, 1, true, 40);
}

bool DeviceSession::waitStatus(std::uint8_t answerType)
{
    std::this_thread::yield();
    if (!isConnected()) {
        showCheckConnection();
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + kAnswerWait;
    while (library_->isMessageStoreEmpty(MESSAGE_STORE_RESPONSE) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(kStorePoll);
    tKIVNGMessageData record = zeroRecord();
    while (!library_->isMessageStoreEmpty(MESSAGE_STORE_RESPONSE)) {
        record = library_->getRecievedMessage(MESSAGE_STORE_RESPONSE);
        if (record.messageKind == MESSAGE_KIND_DEVICE_FRAME)
            break;
    }
    const auto [payload, length] = framePayload(record);
    return record.messageKind == MESSAGE_KIND_DEVICE_FRAME && frameType(record) == answerType && length >= 1
        && payload[0] == kStatusSuccess;
}

tKIVNGMessageData DeviceSession::waitFrame(std::uint8_t answerType)
{
    tKIVNGMessageData record = zeroRecord();
    if (!library_)
        return record;
    const auto deadline = std::chrono::steady_clock::now() + kAnswerWait;
    while (library_->isMessageStoreEmpty(MESSAGE_STORE_RESPONSE) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(kStorePoll);
    while (!library_->isMessageStoreEmpty(MESSAGE_STORE_RESPONSE)) {
        record = library_->getRecievedMessage(MESSAGE_STORE_RESPONSE);
        if (record.messageKind == MESSAGE_KIND_DEVICE_FRAME && frameType(record) == answerType)
            break;
    }
    if (record.messageKind != MESSAGE_KIND_DEVICE_FRAME)
        return zeroRecord();
    return record;
}

int DeviceSession::checkFirmwareVersion(bool forWrite)
{
    drainStore(MESSAGE_STORE_RESPONSE);
    const std::uint8_t purpose = forWrite ? 1 : 0;
    sendCommand(MSG_VERSION_CHECK, &purpose, 1, true, 40);
    if (forWrite)
        pause(4000ms);
    const tKIVNGMessageData answer = waitFrame(answerCode(MSG_VERSION_CHECK));
    if (frameType(answer) != answerCode(MSG_VERSION_CHECK))
        return VERSION_NO_ANSWER;
    const auto [payload, length] = framePayload(answer);
    if (length < 2)
        return VERSION_UNSUPPORTED;
    for (const FirmwareVersion& v : supportedFirmwareVersions()) {
        if (payload[0] == v.major && payload[1] == v.minor)
            return VERSION_SUPPORTED;
    }
    return VERSION_UNSUPPORTED;
}

bool DeviceSession::writeData(std::uint8_t request, const std::vector<std::uint8_t>& data, int pauseMilliseconds)
{
    drainStore(MESSAGE_STORE_RESPONSE);
    if (sendCommand(request, data.data(), static_cast<int>(data.size()), true, pauseMilliseconds) != KIV_OK)
        return false;
    return waitStatus(answerCode(request));
}

} // namespace kivplus
