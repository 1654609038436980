#include "kiv/KIV.h"

#include "CKivCore.h"
#include "link/CanTxFrame.h"

#include <chrono>
#include <cstring>
#include <thread>

using namespace KIVCommon;
using kiv::CKivCore;

CKIV* CKIV::mpInstance = nullptr;

namespace {

constexpr std::uint8_t kOk = KIV_OK;
constexpr std::uint8_t kFail = KIV_FAIL;

tKIVNGMessageData zeroRecord()
{
    tKIVNGMessageData record;
    std::memset(&record, 0, sizeof record);
    return record;
}

} // namespace

CKIV* CKIV::getInstance()
{
    if (!mpInstance)
        mpInstance = new CKIV;
    return mpInstance;
}

void CKIV::vDeleteInstance()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    if (!mpInstance)
        return;
    CKIV* instance = mpInstance;
    mpInstance = nullptr;
    delete instance;
}

CKIV::~CKIV()
{
    CKivCore::destroy();
}

std::uint8_t CKIV::connectUSB(const char* portName)
{
    CKivCore* core = CKivCore::current();
    return core ? core->device().esConnect(portName) : kFail;
}

std::uint8_t CKIV::esDisconnectUSB()
{
    CKivCore* core = CKivCore::current();
    return core ? core->device().esDisconnect() : kFail;
}

bool CKIV::isUSBActive()
{
    CKivCore* core = CKivCore::current();
    return core && core->device().bIsConnected();
}

std::uint8_t CKIV::sendKIVMessage(const unsigned char* bytes, int length)
{
    CKivCore* core = CKivCore::current();
    if (!core)
        return kFail;
    return core->device().write(bytes, length) == length ? kOk : kFail;
}

int CKIV::processingKIVMessage(const unsigned char*, unsigned char**)
{
    return 0;
}

std::uint8_t CKIV::sendCANMessage(int channel, const tCANData* frame, int reserved)
{
    return sendCANMessage(channel, frame, reserved, 0, 0);
}

std::uint8_t CKIV::sendCANMessage(int channel, const tCANData* frame, int, int senderKind, int senderTag)
{
    CKivCore* core = CKivCore::current();
    if (!core || !frame)
        return kFail;
    std::uint8_t bytes[kReceiveFrameSize];
    const auto length = static_cast<int>(kiv::buildCanTxFrame(channel, *frame, senderKind, senderTag, bytes));
    return core->device().write(bytes, length) == length ? kOk : kFail;
}

bool CKIV::isMessageStoreEmpty(MESSAGE_STORE_TYPE store)
{
    CKivCore* core = CKivCore::current();
    return !core || core->stores()[store].bIsEmpty();
}

tKIVNGMessageData CKIV::getRecievedMessage(MESSAGE_STORE_TYPE store)
{
    CKivCore* core = CKivCore::current();
    return core ? core->stores()[store].take() : zeroRecord();
}

std::uint8_t CKIV::enqueueUDSMessage(tCANData frame)
{
    CKivCore* core = CKivCore::current();
    return core ? core->udsService().esEnqueue(frame) : kFail;
}

std::uint8_t CKIV::sendUDSRequestMessage(int channel, tSPRequest request)
{
    CKivCore* core = CKivCore::current();
    return core ? core->udsService().esSendRequest(channel, request) : kFail;
}

std::uint8_t CKIV::tesSetUdsSequence(char* sequencePath, tUDSInformation info)
{
    CKivCore* core = CKivCore::current();
    return core ? core->udsDown().esSetSequence(sequencePath, info) : kFail;
}

void CKIV::vRunSequenceData()
{
    if (CKivCore* core = CKivCore::current())
        core->udsDown().vRunSequence();
}

void CKIV::vStopSequenceData()
{
    if (CKivCore* core = CKivCore::current())
        core->udsDown().vStopSequence();
}

void CKIV::vProcessingUDSMessage(tKIVNGMessageData record)
{
    if (CKivCore* core = CKivCore::current())
        core->udsDown().vProcessResponse(record);
}

bool CKIV::bIsUdsDownloadRunning()
{
    CKivCore* core = CKivCore::current();
    return core && core->udsDown().bIsDownloadRunning();
}
