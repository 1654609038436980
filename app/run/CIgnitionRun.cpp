#include "run/CIgnitionRun.h"

#include "run/KeyFrameBuild.h"
#include "run/RunEnvironment.h"

namespace kivplus {

namespace {

// Every ignition position runs on the one thread of this entry.
const std::string kIgnitionThread = "ignition";

} // namespace

CIgnitionRun::CIgnitionRun(RunEnvironment& environment) : CKeyMapRun(environment, kSenderKind) {}

CIgnitionRun::~CIgnitionRun() { shutdown(); }

void CIgnitionRun::startKey(const std::string& name)
{
    std::lock_guard control(controlLock_);
    tRunCopy* copy = lockedFind(name);
    if (!copy)
        return;
    stopAll();
    launch(kIgnitionThread, *copy, [this](tRunCopy& run) { runIgnition(run); });
}

void CIgnitionRun::runIgnition(tRunCopy& copy)
{
    tRunnerStatus& status = copy.runnerStatus;
    status.passCount = 1;
    reportStarted(copy);
    const PassStart start = readPassStart();
    tSchedule schedule = buildSchedule(copy);
    playSchedule(copy, schedule, start, true);

    std::vector<tScheduleItem>& repetitions = schedule.continuing;
    if (!repetitions.empty() && status.running == 1) {
        while (status.repeat == 1 && deviceThere()) {
            const std::int64_t elapsed = microsecondsSince(start);
            for (tScheduleItem& repetition : repetitions) {
                if (!deviceThere())
                    break;
                if (elapsed >= repetition.dueTime * 1000) {
                    transmit(copy, buildKeyFrame(copy.frames[static_cast<std::size_t>(repetition.frameIndex)]));
                    repetition.dueTime += repetition.interval;
                }
                if (status.running != 1)
                    break;
            }
            sleepMilliseconds(1);
            if (status.running != 1)
                break;
        }
    }
    finishRun(copy);
}

} // namespace kivplus
