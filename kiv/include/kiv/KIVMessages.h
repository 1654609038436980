// Device frame envelope and message type codes of the KIV-2xx serial link.
//
// Every message in either direction is: type byte, payload length (16 bits,
// big-endian), payload. A command R is answered by R + 0x30.
#pragma once

#include <cstdint>

namespace KIVCommon {

constexpr int kFrameHeaderSize = 3;
constexpr int kReceiveFrameSize = 2048;                          // a received frame fits here
constexpr int kMaxReceivePayload = kReceiveFrameSize - kFrameHeaderSize; // 2045
constexpr int kCommandFrameSize = 4192;                          // PC-side command buffer
constexpr int kMaxCommandPayload = kCommandFrameSize - kFrameHeaderSize; // 4189

enum MSG_TYPE : std::uint8_t {
    MSG_DEVICE_CONTROL = 0xBA,
    MSG_CAN_TX = 0xBB,
    MSG_CAN_RX = 0xBC,
    MSG_BOOTLOADER_BLOCK = 0xBD,
    MSG_TIME_SYNC = 0xBE,
    MSG_KEYMAP_WRITE = 0xC1,
    MSG_KEYMAP_READ = 0xC2,
    MSG_SETTING_WRITE = 0xC3,
    MSG_SETTING_READ = 0xC4,
    MSG_FIRMWARE_BLOCK = 0xC5,
    MSG_IGNITION_WRITE = 0xC7,
    MSG_IGNITION_READ = 0xC8,
    MSG_PROGRESSIVE_WRITE = 0xCA,
    MSG_PROGRESSIVE_READ = 0xCB,
    MSG_KEY_WRITE = 0xCC,
    MSG_KEY_READ = 0xCD,
    MSG_VERSION_CHECK = 0xCE,
    MSG_KEY_COUNT_READ = 0xCF,
    MSG_EVENT_E7 = 0xE7,   // routed to the event store; the application ignores it
    MSG_CAN_TX_REPORT = 0xEB,
};

// The device answers command R with R + 0x30.
constexpr std::uint8_t answerCode(std::uint8_t request) { return static_cast<std::uint8_t>(request + 0x30); }

// Sender kinds carried in MSG_CAN_TX and echoed in MSG_CAN_TX_REPORT.
enum SENDER_KIND : std::uint8_t {
    SENDER_KEYMAP_KEY = 0,
    SENDER_IGNITION_KEY = 1,
    SENDER_PROGRESSIVE_KEY = 2,
    SENDER_LOG_REPLAY = 6,
    SENDER_UDS_FIRST_FRAME = 8,
    SENDER_UDS_CONSECUTIVE_FRAME = 10,
    SENDER_UDS_TESTER_PRESENT = 11,
};
constexpr std::uint8_t kLogReplayTag = 7;

// Block protocol of the read-type commands: request with 0x00, acknowledge with 0x01.
constexpr std::uint8_t kBlockRequest = 0x00;
constexpr std::uint8_t kBlockAcknowledge = 0x01;
constexpr std::uint8_t kStatusSuccess = 1;

// The 42 type bytes that start a received device frame.
constexpr bool isAcceptedFrameType(std::uint8_t type)
{
    return (type >= 0xB9 && type <= 0xBF) || (type >= 0xC1 && type <= 0xC8)
        || (type >= 0xCA && type <= 0xCF) || (type >= 0xE7 && type <= 0xEB)
        || type == 0xED || type == 0xEF || (type >= 0xF1 && type <= 0xF8)
        || type >= 0xFA;
}

// Received frames of these types go to MESSAGE_STORE_EVENT, all others to
// MESSAGE_STORE_RESPONSE.
constexpr bool isEventFrameType(std::uint8_t type)
{
    return type == MSG_CAN_RX || type == MSG_EVENT_E7 || type == MSG_CAN_TX_REPORT;
}

} // namespace KIVCommon
