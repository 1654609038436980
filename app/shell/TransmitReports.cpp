#include "shell/TransmitReports.h"

#include "keymap/KeyRecords.h"

#include "kiv/KIVMessages.h"

namespace kivplus {

void lowerUnconfirmedFrames(tRunnerStatus& status)
{
    // Only the receive thread lowers the count; a runner only raises it, so
    // a count seen above 0 stays above 0 until this subtraction.
    if (status.unconfirmedFrames.load() > 0)
        status.unconfirmedFrames.fetchSub(1);
}

void TransmitReportRouter::setRunner(int senderKind, TransmitConfirmation* runner)
{
    if (senderKind < 0 || senderKind >= kRunnerKinds)
        return;
    std::lock_guard guard(lock_);
    runners_[senderKind] = runner;
}

void TransmitReportRouter::setReplayRelease(std::function<void()> release)
{
    std::lock_guard guard(lock_);
    replayRelease_ = std::move(release);
}

void TransmitReportRouter::route(std::uint8_t senderKind, std::uint8_t senderTag)
{
    std::lock_guard guard(lock_);
    if (senderKind < kRunnerKinds) {
        if (TransmitConfirmation* runner = runners_[senderKind])
            runner->confirmFrame(std::to_string(senderTag));
    } else if (senderKind == KIVCommon::SENDER_LOG_REPLAY && replayRelease_) {
        replayRelease_();
    }
}

} // namespace kivplus
