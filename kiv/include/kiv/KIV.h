// Public interface of the KIV-2xx device-link library (libkiv.so).
//
// The application reaches the library only through CKIV; records cross the
// boundary by value or, for the duration of a call, by pointer.
#pragma once

#include <cstdint>

#include "kiv/KIVMessages.h"

namespace KIVCommon {

// Result codes of the library.
enum : std::uint8_t {
    KIV_OK = 0,
    KIV_FAIL = 51,
    KIV_UDS_QUEUE_FULL = 53,
    KIV_UDS_OUT_OF_RANGE = 55,
    KIV_UDS_NO_BUFFER = 56,
};

// One CAN frame to send. Bit 31 of id marks a 29-bit identifier.
struct tCANData {
    std::uint32_t id;
    std::uint32_t dlc;
    std::uint8_t data[8];
};

enum MESSAGE_STORE_TYPE : std::int32_t {
    MESSAGE_STORE_RESPONSE = 0,
    MESSAGE_STORE_EVENT = 1,
};

enum MESSAGE_KIND : std::int32_t {
    MESSAGE_KIND_DEVICE_FRAME = 0,
    MESSAGE_KIND_SEQUENCE_STATUS = 4,
    MESSAGE_KIND_UDS_OVERFLOW = 6,
    MESSAGE_KIND_UDS_RESPONSE = 7,
};

constexpr int kDeviceFrameSize = kReceiveFrameSize;
constexpr int kUdsDataSize = 4095;

// Body of the UDS record kinds (6 and 7): the fields of tSPRequest from its
// second field up to and including requestId.
struct tUDSBody {
    std::int32_t reserved;
    std::uint8_t sourceAddress;
    std::uint8_t targetAddress;
    std::int32_t targetAddressType;
    std::uint8_t addressExtension;
    std::uint8_t udsPayload[kUdsDataSize];
    std::uint16_t udsLength;
    std::uint32_t requestId;
};

// Fixed-size record taken from the library's stores.
struct tKIVNGMessageData {
    std::int32_t messageKind;
    union {
        std::uint8_t frameBytes[kDeviceFrameSize]; // kind 0: the device frame as received
        std::int32_t statusCode;                   // kind 4
        tUDSBody uds;                              // kinds 6 and 7
    };
};

// One UDS request.
struct tSPRequest {
    std::int32_t addressFormat;   // 0 NORMAL, 1 NORMAL FIXED, 2 EXTENDED, 3 MIXED 29BIT, 4 MIXED 11BIT
    std::int32_t reserved;        // copied along, never read
    std::uint8_t sourceAddress;
    std::uint8_t targetAddress;
    std::int32_t targetAddressType; // 0 physical, other functional
    std::uint8_t addressExtension;
    std::uint8_t data[kUdsDataSize];
    std::uint16_t dataLength;
    std::uint32_t requestId;
    std::uint32_t responseId;
    std::uint8_t padByte;
};

// Download configuration.
struct tUDSInformation {
    std::int32_t addressFormat;
    std::int32_t reserved;
    std::uint8_t sourceAddress;
    std::uint8_t targetAddress;
    std::int32_t targetAddressType;
    std::uint8_t addressExtension;
    std::uint32_t physicalId;
    std::uint32_t responseId;
    std::uint32_t functionalId;
    std::uint32_t wakeUpId;
    std::int32_t vendor;
    std::int32_t canChannel;
    std::uint8_t unused[264];
    std::uint32_t fileSize[10];
    char filePath[10][256];
};

} // namespace KIVCommon

#define KIV_EXPORT __attribute__((visibility("default")))

// Singleton facade of the library. Every member answers as documented when the
// library core does not exist (before load completes or after vDeleteInstance).
class KIV_EXPORT CKIV {
public:
    static CKIV* getInstance();
    void vDeleteInstance();
    ~CKIV();

    std::uint8_t connectUSB(const char* portName);
    std::uint8_t esDisconnectUSB();
    bool isUSBActive();

    std::uint8_t sendKIVMessage(const unsigned char* bytes, int length);
    int processingKIVMessage(const unsigned char* bytes, unsigned char** out);
    std::uint8_t sendCANMessage(int channel, const KIVCommon::tCANData* frame, int reserved);
    std::uint8_t sendCANMessage(int channel, const KIVCommon::tCANData* frame, int reserved,
                                int senderKind, int senderTag);

    bool isMessageStoreEmpty(KIVCommon::MESSAGE_STORE_TYPE store);
    KIVCommon::tKIVNGMessageData getRecievedMessage(KIVCommon::MESSAGE_STORE_TYPE store);

    std::uint8_t enqueueUDSMessage(KIVCommon::tCANData frame);
    std::uint8_t sendUDSRequestMessage(int channel, KIVCommon::tSPRequest request);
    std::uint8_t tesSetUdsSequence(char* sequencePath, KIVCommon::tUDSInformation info);
    void vRunSequenceData();
    // Stops a running download: no further request or tester present goes
    // out, the running flag clears and a sequence status record follows.
    void vStopSequenceData();
    void vProcessingUDSMessage(KIVCommon::tKIVNGMessageData record);
    bool bIsUdsDownloadRunning();

    CKIV& operator=(const CKIV&) { return *this; }

private:
    CKIV() = default;
    CKIV(const CKIV&) = delete;

    static CKIV* mpInstance;
};
