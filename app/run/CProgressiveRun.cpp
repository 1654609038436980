#include "run/CProgressiveRun.h"

#include "keymap/KeyFields.h"
#include "run/ProgressiveSweep.h"
#include "run/RunEnvironment.h"
#include "run/RunNotifier.h"

namespace kivplus {

CProgressiveRun::CProgressiveRun(RunEnvironment& environment) : CKeyMapRun(environment, kSenderKind) {}

CProgressiveRun::~CProgressiveRun() { shutdown(); }

bool CProgressiveRun::loadKey(const tKeyEntry& entry)
{
    std::lock_guard control(controlLock_);
    if (!CKeyMapRun::loadKey(entry))
        return false;
    startSweep(entry.name);
    return true;
}

bool CProgressiveRun::reloadKey(const tKeyEntry& entry)
{
    std::lock_guard control(controlLock_);
    if (!CKeyMapRun::reloadKey(entry))
        return false;
    startSweep(entry.name);
    return true;
}

void CProgressiveRun::startSweep(const std::string& name)
{
    std::lock_guard guard(copiesLock_);
    tRunCopy* copy = findCopy(name);
    if (!copy)
        return;
    for (tKeyFrame& frame : copy->frames)
        frame.sweepValue = sweepStartValue(frame);
    copy->runnerStatus.direction = DIRECTION_HOLD;
    copy->runnerStatus.autoReverse = 0;
}

void CProgressiveRun::startKey(const std::string& name)
{
    startOnOwnThread(name, [this](tRunCopy& run) { runProgressive(run); });
}

tRunFrame CProgressiveRun::buildProgressiveFrame(const tKeyFrame& frame) const { return buildSweepFrame(frame); }

void CProgressiveRun::runProgressive(tRunCopy& copy)
{
    tRunnerStatus& status = copy.runnerStatus;
    reportStarted(copy);
    if (!copy.frames.empty()) {
        tKeyFrame& frame = copy.frames.front();
        const std::int64_t interval = parseDecimal(frame.periodicInterval);
        const PassStart start = readPassStart();
        const WaitAbort abort = abortFor(copy);
        status.passCount = 0;
        std::int64_t nextDeadline = interval;
        const auto keepGoing = [&] { return status.running == 1 && status.repeat == 1 && deviceThere(); };
        do {
            status.passCount.fetchAdd(1);
            frame.sent = 1;
            const tRunFrame built = buildProgressiveFrame(frame);
            reportStatus(copy);
            transmit(copy, built);
            waitUntil(start, nextDeadline * 1000, abort);
            nextDeadline += interval > 0 ? interval : 0;
            if (keepGoing()) {
                const tSweepStep step =
                    stepSweep(frame, status.direction, status.autoReverse == 1);
                {
                    std::lock_guard guard(copiesLock_);
                    frame.sweepValue = step.value;
                }
                if (step.reversed) {
                    status.direction = step.direction;
                    emit environment_.notifier.directionChanged(QString::fromStdString(copy.name), step.direction);
                }
            }
            frame.sent = 0;
        } while (keepGoing());
    }
    finishRun(copy);
    if (!environment_.closing.load())
        reportStatus(copy);
}

} // namespace kivplus
