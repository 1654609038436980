#include "run/CKeyMapRun.h"

#include "keymap/KeyFields.h"
#include "run/KeyFrameBuild.h"
#include "run/RunEnvironment.h"
#include "run/RunLink.h"
#include "run/RunNotifier.h"

#include <algorithm>
#include <thread>

namespace kivplus {

namespace {

void resetFlags(tRunnerStatus& status)
{
    status.expanded = 1;
    status.running = 0;
    status.repeat = 1;
    status.managedRun = 0;
}

// The key's fields and frames as a runner keeps them: frame flags and sweep
// values belong to the run, not to the entry.
void copyKeyFields(tRunCopy& copy, const tKeyEntry& entry)
{
    copy.type = entry.type;
    copy.name = entry.name;
    copy.runTime = entry.runTime;
    copy.sleepTime = entry.sleepTime;
    copy.frames = entry.frames;
    copy.numberOfCanFrame = static_cast<std::int32_t>(copy.frames.size());
    for (tKeyFrame& frame : copy.frames) {
        frame.sent = 0;
        frame.periodicActive = 0;
        frame.sweepValue.clear();
    }
}

QString keyText(const tRunCopy& copy) { return QString::fromStdString(copy.name); }

} // namespace

CKeyMapRun::CKeyMapRun(RunEnvironment& environment) : CKeyMapRun(environment, kSenderKind) {}

CKeyMapRun::CKeyMapRun(RunEnvironment& environment, int senderKind)
    : environment_(environment), senderKind_(senderKind)
{
}

CKeyMapRun::~CKeyMapRun() { shutdown(); }

void CKeyMapRun::shutdown()
{
    stopAll();
    std::lock_guard control(controlLock_);
    threads_.joinAll();
}

tRunCopy* CKeyMapRun::findCopy(const std::string& name)
{
    for (tRunCopy& copy : copies_)
        if (copy.name == name)
            return &copy;
    return nullptr;
}

const tRunCopy* CKeyMapRun::findCopy(const std::string& name) const
{
    for (const tRunCopy& copy : copies_)
        if (copy.name == name)
            return &copy;
    return nullptr;
}

bool CKeyMapRun::loadKey(const tKeyEntry& entry)
{
    std::lock_guard control(controlLock_);
    bool exists = false;
    {
        std::lock_guard guard(copiesLock_);
        exists = findCopy(entry.name) != nullptr;
    }
    if (exists)
        return reloadKey(entry);
    tRunCopy copy;
    copyKeyFields(copy, entry);
    resetFlags(copy.runnerStatus);
    std::lock_guard guard(copiesLock_);
    copies_.push_front(std::move(copy));
    return true;
}

bool CKeyMapRun::reloadKey(const tKeyEntry& entry)
{
    std::lock_guard control(controlLock_);
    {
        std::lock_guard guard(copiesLock_);
        if (!findCopy(entry.name))
            return false;
    }
    stopAndJoinKey(entry.name);
    std::lock_guard guard(copiesLock_);
    tRunCopy* copy = findCopy(entry.name);
    copyKeyFields(*copy, entry);
    resetFlags(copy->runnerStatus);
    return true;
}

bool CKeyMapRun::removeKey(const std::string& name)
{
    std::lock_guard control(controlLock_);
    stopAndJoinKey(name);
    std::lock_guard guard(copiesLock_);
    copies_.remove_if([&name](const tRunCopy& copy) { return copy.name == name; });
    return true;
}

bool CKeyMapRun::removeRunFrame(const std::string& name, int frameNum)
{
    std::lock_guard control(controlLock_);
    std::size_t frameCount = 0;
    {
        std::lock_guard guard(copiesLock_);
        const tRunCopy* copy = findCopy(name);
        if (!copy)
            return true;
        frameCount = copy->frames.size();
    }
    if (frameCount == 1)
        return removeKey(name);
    stopAndJoinKey(name);
    std::lock_guard guard(copiesLock_);
    tRunCopy* copy = findCopy(name);
    std::erase_if(copy->frames, [frameNum](const tKeyFrame& frame) { return frame.num == frameNum; });
    for (std::size_t i = 0; i < copy->frames.size(); ++i)
        copy->frames[i].num = static_cast<std::int32_t>(i);
    copy->numberOfCanFrame = static_cast<std::int32_t>(copy->frames.size());
    return true;
}

bool CKeyMapRun::loadKeyForManagedRun(const tKeyEntry& entry, const std::string& runCount, const std::string& runTime)
{
    std::lock_guard control(controlLock_);
    if (!loadKey(entry))
        return false;
    std::lock_guard guard(copiesLock_);
    tRunCopy* copy = findCopy(entry.name);
    copy->runCountText = runCount;
    copy->runTime = runTime;
    copy->runnerStatus.managedRun = 1;
    return true;
}

void CKeyMapRun::stopAndJoinKey(const std::string& name)
{
    {
        std::lock_guard guard(copiesLock_);
        if (tRunCopy* copy = findCopy(name))
            copy->runnerStatus.running = 0;
    }
    threads_.forEach([&name](ThreadRegistry::Entry& entry) {
        if (entry.runningKey == name)
            ThreadRegistry::join(entry);
    });
}

void CKeyMapRun::startKey(const std::string& name)
{
    startOnOwnThread(name, [this](tRunCopy& run) { runKeyThread(run); });
}

tRunCopy* CKeyMapRun::lockedFind(const std::string& name)
{
    std::lock_guard guard(copiesLock_);
    return findCopy(name);
}

void CKeyMapRun::stopKey(const std::string& name)
{
    std::lock_guard guard(copiesLock_);
    if (tRunCopy* copy = findCopy(name))
        copy->runnerStatus.running = 0;
}

void CKeyMapRun::stopAll()
{
    std::lock_guard guard(copiesLock_);
    for (tRunCopy& copy : copies_)
        copy.runnerStatus.running = 0;
}

void CKeyMapRun::joinThreads()
{
    std::lock_guard control(controlLock_);
    threads_.joinAll(std::chrono::milliseconds(300));
}

std::uint8_t CKeyMapRun::isKeyRunning(const std::string& name) const
{
    std::lock_guard guard(copiesLock_);
    const tRunCopy* copy = findCopy(name);
    return copy ? copy->runnerStatus.running.load() : 0;
}

std::uint8_t CKeyMapRun::isFrameSent(const std::string& name, int frameIndex) const
{
    std::lock_guard guard(copiesLock_);
    const tRunCopy* copy = findCopy(name);
    if (!copy || frameIndex < 0 || frameIndex >= static_cast<int>(copy->frames.size()))
        return 0;
    return copy->frames[static_cast<std::size_t>(frameIndex)].sent.load();
}

std::uint8_t CKeyMapRun::isFramePeriodicActive(const std::string& name, int frameIndex) const
{
    std::lock_guard guard(copiesLock_);
    const tRunCopy* copy = findCopy(name);
    if (!copy || frameIndex < 0 || frameIndex >= static_cast<int>(copy->frames.size()))
        return 0;
    return copy->frames[static_cast<std::size_t>(frameIndex)].periodicActive.load();
}

std::optional<tKeyFrame> CKeyMapRun::findRunFrame(const std::string& name, int num) const
{
    std::lock_guard guard(copiesLock_);
    if (const tRunCopy* copy = findCopy(name))
        for (const tKeyFrame& frame : copy->frames)
            if (frame.num == num)
                return frame;
    return std::nullopt;
}

bool CKeyMapRun::isScenarioRunning() const
{
    std::lock_guard guard(copiesLock_);
    return std::any_of(copies_.begin(), copies_.end(), [](const tRunCopy& copy) {
        return copy.type == KEY_TYPE_SCENARIO && copy.runnerStatus.running == 1;
    });
}

std::optional<tRunCopy> CKeyMapRun::copyOf(const std::string& name) const
{
    std::lock_guard guard(copiesLock_);
    if (const tRunCopy* copy = findCopy(name))
        return *copy;
    return std::nullopt;
}

std::vector<std::string> CKeyMapRun::keyNames() const
{
    std::lock_guard guard(copiesLock_);
    std::vector<std::string> names;
    for (const tRunCopy& copy : copies_)
        names.push_back(copy.name);
    return names;
}

void CKeyMapRun::setRepeat(const std::string& name, bool repeat)
{
    std::lock_guard guard(copiesLock_);
    if (tRunCopy* copy = findCopy(name))
        copy->runnerStatus.repeat = repeat ? 1 : 0;
}

void CKeyMapRun::setExpanded(const std::string& name, bool expanded)
{
    std::lock_guard guard(copiesLock_);
    if (tRunCopy* copy = findCopy(name))
        copy->runnerStatus.expanded = expanded ? 1 : 0;
}

void CKeyMapRun::setDirection(const std::string& name, int direction)
{
    std::lock_guard guard(copiesLock_);
    if (tRunCopy* copy = findCopy(name))
        copy->runnerStatus.direction = direction;
}

void CKeyMapRun::setAutoReverse(const std::string& name, bool autoReverse)
{
    std::lock_guard guard(copiesLock_);
    if (tRunCopy* copy = findCopy(name))
        copy->runnerStatus.autoReverse = autoReverse ? 1 : 0;
}

void CKeyMapRun::confirmFrame(const std::string& keyNumber)
{
    std::lock_guard guard(copiesLock_);
    tRunCopy* copy = findCopy(keyNumber);
    if (copy && copy->runnerStatus.running == 1)
        lowerUnconfirmedFrames(copy->runnerStatus);
}

bool CKeyMapRun::deviceThere() { return environment_.link.isConnected(); }

bool CKeyMapRun::keepRunning(const tRunCopy& copy) { return copy.runnerStatus.running == 1 && deviceThere(); }

WaitAbort CKeyMapRun::abortFor(const tRunCopy& copy) const
{
    return WaitAbort{&environment_.closing, &copy.runnerStatus.running, &environment_.link};
}

std::int64_t CKeyMapRun::minuteMilliseconds() const
{
    return std::max(1, environment_.minuteMilliseconds.load());
}

void CKeyMapRun::transmit(tRunCopy& copy, const tRunFrame& frame)
{
    tRunnerStatus& status = copy.runnerStatus;
    // Without a device the session would answer with a message box, which a
    // worker thread must not raise; the run ends at its next check.
    if (!deviceThere())
        return;
    status.unconfirmedFrames = frame.expectedReports();
    const std::uint8_t result = environment_.link.sendCanFrame(frame.channel, frame.id, frame.dlc, frame.dataLow(),
                                                               frame.dataHigh(), senderKind_, parseDecimal(copy.name));
    if (result != 0) {
        // Nothing went out, so no report will come.
        status.unconfirmedFrames = 0;
        return;
    }
    std::this_thread::yield();
    for (int i = 0; i < 1000 && status.unconfirmedFrames > 0 && status.running == 1; ++i)
        sleepMilliseconds(1);
}

int CKeyMapRun::playSchedule(tRunCopy& copy, const tSchedule& schedule, PassStart start, bool transmitFrames)
{
    int transmitted = 0;
    const auto& events = schedule.events;
    const WaitAbort abort = abortFor(copy);
    for (std::size_t i = 0; i < events.size() && keepRunning(copy); ++i) {
        const int index = events[i].frameIndex;
        if (index < 0 || index >= static_cast<int>(copy.frames.size()))
            break; // the end of the pass
        tKeyFrame& frame = copy.frames[static_cast<std::size_t>(index)];
        frame.sent = 1;
        if (isStopFrame(frame)) {
            const int stopped = parseDecimal(frame.messageData);
            if (stopped >= 0 && stopped < static_cast<int>(copy.frames.size()))
                copy.frames[static_cast<std::size_t>(stopped)].periodicActive = 0;
        } else {
            if (transmitFrames) {
                transmit(copy, buildKeyFrame(frame));
                ++transmitted;
            }
            if (parseDecimal(frame.periodicInterval) > 0)
                frame.periodicActive = 1;
        }
        if (i + 1 < events.size() && events[i + 1].dueTime != 0)
            waitUntil(start, events[i + 1].dueTime * 1000, abort);
        frame.sent = 0;
    }
    return transmitted;
}

PassStart CKeyMapRun::followingPassStart(PassStart previous, std::int64_t passMilliseconds)
{
    if (passMilliseconds <= 0)
        return readPassStart();
    const auto length = std::chrono::milliseconds(passMilliseconds);
    PassStart next = previous + length;
    // A pass more than one whole pass behind skips the passes it missed.
    const auto behind = PassClock::now() - next;
    if (behind >= length)
        next += (behind / length) * length;
    return next;
}

void CKeyMapRun::reportStarted(const tRunCopy& copy) { emit environment_.notifier.runStarted(senderKind_, keyText(copy)); }

void CKeyMapRun::reportStatus(const tRunCopy& copy)
{
    emit environment_.notifier.statusChanged(senderKind_, keyText(copy));
}

void CKeyMapRun::finishRun(tRunCopy& copy)
{
    copy.runnerStatus.running = 0;
    for (tKeyFrame& frame : copy.frames)
        frame.periodicActive = 0;
    if (!environment_.closing.load())
        emit environment_.notifier.runEnded(senderKind_, keyText(copy));
}

void CKeyMapRun::runKeyThread(tRunCopy& copy)
{
    if (copy.runnerStatus.managedRun == 1)
        runManaged(copy);
    else
        runNormal(copy);
    finishRun(copy);
}

void CKeyMapRun::runNormal(tRunCopy& copy)
{
    tRunnerStatus& status = copy.runnerStatus;
    reportStarted(copy);
    const bool single = copy.type == KEY_TYPE_SINGLE;
    std::int64_t interval = 0;
    tSchedule schedule;
    if (single && !copy.frames.empty())
        interval = parseDecimal(copy.frames.front().periodicInterval);
    else if (!single)
        schedule = buildSchedule(copy);
    const std::int64_t passLength = schedule.events.empty() ? 0 : schedule.events.back().dueTime;
    std::int64_t nextDeadline = interval;
    PassStart start = readPassStart();
    bool freshStart = true;
    status.passCount = 0;
    status.phaseMinutes = 0;

    const std::int64_t minute = minuteMilliseconds();
    const std::int64_t runTime = parseDecimal(copy.runTime);
    const std::int64_t sleepTime = parseDecimal(copy.sleepTime);
    const bool lifeCycle = runTime > 0 && sleepTime > 0;
    const std::int64_t runLength = runTime * minute;
    const std::int64_t cycleLength = runLength + sleepTime * minute;
    auto cycleStart = PassClock::now();
    const WaitAbort abort = abortFor(copy);
    const auto keepGoing = [&] { return status.running == 1 && status.repeat == 1 && deviceThere(); };

    for (;;) {
        if (lifeCycle) {
            const auto now = PassClock::now();
            const std::int64_t t = std::chrono::duration_cast<std::chrono::milliseconds>(now - cycleStart).count();
            if (t >= runLength) {
                if (t < cycleLength) {
                    status.phaseMinutes = static_cast<std::int32_t>((t - runLength) / minute);
                } else {
                    status.phaseMinutes = static_cast<std::int32_t>((cycleLength - runLength) / minute);
                    cycleStart = now;
                }
                status.phase = 2;
                reportStatus(copy);
                sleepMilliseconds(100);
                start = readPassStart();
                freshStart = true;
                nextDeadline = interval;
                if (!keepGoing())
                    break;
                continue;
            }
            status.phaseMinutes = static_cast<std::int32_t>(t / minute);
        }
        status.passCount.fetchAdd(1);
        status.phase = 1;
        reportStatus(copy);
        std::this_thread::yield();
        if (copy.frames.empty())
            break;
        if (single) {
            tKeyFrame& frame = copy.frames.front();
            frame.sent = 1;
            transmit(copy, buildKeyFrame(frame));
            if (interval > 0) {
                waitUntil(start, nextDeadline * 1000, abort);
                nextDeadline += interval;
            } else {
                status.repeat = 0;
            }
            frame.sent = 0;
        } else {
            if (!freshStart)
                start = followingPassStart(start, passLength);
            freshStart = false;
            // A pass that takes no time and sends nothing would only spin.
            if (playSchedule(copy, schedule, start, true) == 0 && passLength == 0)
                break;
        }
        if (!keepGoing())
            break;
    }
}

void CKeyMapRun::runManaged(tRunCopy& copy)
{
    tRunnerStatus& status = copy.runnerStatus;
    reportStarted(copy);
    const tSchedule schedule = buildSchedule(copy);
    const std::int64_t passLength = schedule.events.back().dueTime;
    const bool transmitFrames = copy.type == KEY_TYPE_SCENARIO;
    const std::int64_t runCount = parseDecimal(copy.runCountText);
    const std::int64_t runMinutes = parseDecimal(copy.runTime);
    const std::int64_t minute = minuteMilliseconds();
    PassStart start = readPassStart();
    const PassStart runStart = start;
    bool freshStart = true;
    status.passCount = 0;
    status.phaseMinutes = 0;

    for (;;) {
        status.passCount.fetchAdd(1);
        status.phase = 1;
        reportStatus(copy);
        std::this_thread::yield();
        if (!freshStart)
            start = followingPassStart(start, passLength);
        freshStart = false;
        const int transmitted = playSchedule(copy, schedule, start, transmitFrames);
        if (!keepRunning(copy) || (transmitted == 0 && passLength == 0))
            break;
        if (runCount > 0) {
            if (status.passCount >= runCount)
                break;
        } else if (runMinutes > 0) {
            const std::int64_t elapsed =
                std::chrono::duration_cast<std::chrono::milliseconds>(PassClock::now() - runStart).count();
            const auto minutes = static_cast<std::int32_t>(elapsed / minute);
            if (minutes != status.phaseMinutes) {
                status.phaseMinutes = minutes;
                reportStatus(copy);
            }
            if (elapsed >= runMinutes * minute)
                break;
        } else {
            break;
        }
    }
}

} // namespace kivplus
