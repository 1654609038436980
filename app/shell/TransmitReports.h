#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace kivplus {

struct tRunnerStatus;

// A key runner as the session's dispatch sees it: a transmit report confirms
// one frame of the running key with this number (the key's name).
class TransmitConfirmation {
public:
    virtual ~TransmitConfirmation() = default;
    // Lowers the running key's count of unconfirmed frames by one when it is
    // above 0; a key that is not running is left alone.
    virtual void confirmFrame(const std::string& keyNumber) = 0;
};

// Lowers the count of unconfirmed frames by one unless it is already 0. Runners
// call it from confirmFrame (on the receive thread).
void lowerUnconfirmedFrames(tRunnerStatus& status);

// Where the dispatch sends transmit reports: the runner of each sender kind
// (0 key map, 1 ignition, 2 progressive) and the log replay release. Runners
// and the trace window attach and detach themselves from any thread.
class TransmitReportRouter {
public:
    static constexpr int kRunnerKinds = 3;

    // Null detaches.
    void setRunner(int senderKind, TransmitConfirmation* runner);
    // Clears the replay wait flag of the "Send Log Data" window; empty detaches.
    void setReplayRelease(std::function<void()> release);

    // One report: kinds 0-2 confirm a frame of the key numbered tag; kind 6
    // releases the replay; other kinds change nothing.
    void route(std::uint8_t senderKind, std::uint8_t senderTag);

private:
    std::mutex lock_;
    TransmitConfirmation* runners_[kRunnerKinds] = {};
    std::function<void()> replayRelease_;
};

} // namespace kivplus
