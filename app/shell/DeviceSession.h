#pragma once

#include "shell/TransmitReports.h"

#include "kiv/KIV.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace kivplus {

class TracePipeline;
class UserPrompt;

// A firmware version the transfers accept.
struct FirmwareVersion {
    int major;
    int minor;
};

// The versions of the device firmware that key map transfers accept.
const std::vector<FirmwareVersion>& supportedFirmwareVersions();
// "v1.30" for the first, ", v1.31" for each further one (at most five).
std::string supportedVersionText();

// Results of checkFirmwareVersion.
enum : int { VERSION_SUPPORTED = 0, VERSION_NO_ANSWER = 12, VERSION_UNSUPPORTED = 13 };

// The application's one session with the device-link library: connection,
// command frames, answers from the response store, data blocks, and the
// receive thread that dispatches received CAN frames and transmit reports.
// Messages go to the prompt; the session has no lock of its own (the library
// serialises sends and store access).
class DeviceSession {
public:
    // The library instance is deleted with the session when owned (the
    // program); tests share the process-wide instance and keep it.
    explicit DeviceSession(UserPrompt& prompt, CKIV* library = CKIV::getInstance(), bool ownsLibrary = true);
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    UserPrompt& prompt() { return prompt_; }
    CKIV* library() { return library_; }

    bool isConnected();
    bool connect(const std::string& portName);
    void disconnect();

    // Starts the receive thread when connected (true also when it runs).
    bool startReceiveThread();
    // Clears the receive flag and waits for the thread.
    void stopReceiveThread();
    bool isReceiveThreadRunning() const { return receiving_.load(); }

    // Sends one command frame; 51 (and the connection message) when not connected.
    std::uint8_t sendCommand(std::uint8_t type, const std::uint8_t* payload, int length, bool waitAfter, int milliseconds);
    std::uint8_t sendCanFrame(int channel, std::uint32_t id, std::uint32_t dlc, std::uint32_t dataLow,
                              std::uint32_t dataHigh, int senderKind, int senderTag);
    void drainStore(KIVCommon::MESSAGE_STORE_TYPE store);
    void requestBlock(std::uint8_t type);
    std::uint8_t acknowledgeBlock(std::uint8_t type);
    // True when the next device frame has the answer type and status 1.
    bool waitStatus(std::uint8_t answerType);
    // The next device frame of the answer type, or the last record taken (an
    // all-zero record of type 0 when nothing came within a second).
    KIVCommon::tKIVNGMessageData waitFrame(std::uint8_t answerType);
    int checkFirmwareVersion(bool forWrite);

    // Data write: a command with the data and the named pause, then its status.
    bool writeData(std::uint8_t request, const std::vector<std::uint8_t>& data, int pauseMilliseconds);

    // Where the dispatch goes. The trace pipeline takes reported frames while
    // its conversion thread runs; null detaches (after the call no frame is
    // handed to the old pipeline any more).
    void attachTrace(TracePipeline* pipeline);
    TransmitReportRouter& transmitReports() { return reports_; }
    // While a UDS download runs, every CAN frame received on this channel
    // index (0 CAN 1, 1 CAN 2) goes to the library's UDS queue; -1 stops it.
    void setUdsDownloadChannel(int channelIndex) { udsChannel_.store(channelIndex); }
    // Follows a UDS download: called on the receive thread with every UDS
    // response record (before the sequencer gets it) and every transmit
    // report of a UDS frame. Empty detaches; after the call the old observer
    // is not called any more.
    void setUdsObserver(std::function<void(const KIVCommon::tKIVNGMessageData&)> observer);

    // One record of the event store, as the receive thread handles it.
    void handleEventRecord(const KIVCommon::tKIVNGMessageData& record);

    // What the dispatch did with the reported CAN frames (received frames and
    // transmit reports) since the session was made.
    struct TraceHandOver {
        std::uint64_t reported = 0;      // frames taken from the event store
        std::uint64_t handedOver = 0;    // posted to the trace conversion thread
        std::uint64_t tooLong = 0;       // record longer than an event holds
        std::uint64_t noTrace = 0;       // no pipeline or no conversion thread
    };
    TraceHandOver traceHandOver() const;

private:
    void receiveLoop();
    void dispatchFrame(const std::uint8_t* frame);
    void notifyUdsObserver(const KIVCommon::tKIVNGMessageData& record);
    void showCheckConnection();

    UserPrompt& prompt_;
    CKIV* library_;
    bool ownsLibrary_;

    std::mutex threadLock_;   // start and stop of the receive thread
    std::thread receiver_;
    std::atomic<bool> receiveFlag_{false};
    std::atomic<bool> receiving_{false};

    std::mutex traceLock_;   // held while an event is handed over
    TracePipeline* trace_ = nullptr;
    std::atomic<std::uint64_t> reported_{0};
    std::atomic<std::uint64_t> handedOver_{0};
    std::atomic<std::uint64_t> tooLong_{0};
    std::atomic<std::uint64_t> noTrace_{0};
    TransmitReportRouter reports_;
    std::atomic<int> udsChannel_{-1};
    std::mutex udsObserverLock_;   // held while the observer is called
    std::function<void(const KIVCommon::tKIVNGMessageData&)> udsObserver_;
};

// The payload of a device frame record: its length and first byte.
std::pair<const std::uint8_t*, std::size_t> framePayload(const KIVCommon::tKIVNGMessageData& record);
inline std::uint8_t frameType(const KIVCommon::tKIVNGMessageData& record) { return record.frameBytes[0]; }

} // namespace kivplus
