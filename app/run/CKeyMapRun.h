#pragma once

#include "shell/TransmitReports.h"
#include "run/PassTiming.h"
#include "run/RunCopy.h"
#include "run/Schedule.h"
#include "run/ThreadRegistry.h"

#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kivplus {

struct RunEnvironment;
struct tRunFrame;

// Plays keys of the key map list from the PC: keeps its own copies of the
// keys it was given and runs each started key on a worker thread of its own,
// sending frames through the session with millisecond timing and waiting for
// the device's transmit report of every frame.
//
// Copies are created, changed, started and stopped from the controlling
// threads (the user interface, the scenario group); the worker of a key
// writes only the copy's status words and frame flags; the receive thread
// lowers the unconfirmed count (confirmFrame). Reloading or removing a copy
// whose key runs first stops that key and waits for its thread to end.
class CKeyMapRun : public TransmitConfirmation {
public:
    static constexpr int kSenderKind = 0;

    explicit CKeyMapRun(RunEnvironment& environment);
    ~CKeyMapRun() override;
    CKeyMapRun(const CKeyMapRun&) = delete;
    CKeyMapRun& operator=(const CKeyMapRun&) = delete;

    // A new copy, or reloadKey when a copy of that name exists.
    virtual bool loadKey(const tKeyEntry& entry);
    // Replaces the copy's frames, name, type and times and resets its flags
    // (expanded 1, running 0, repeat 1, managed 0); false when there is none.
    virtual bool reloadKey(const tKeyEntry& entry);
    virtual bool removeKey(const std::string& name);
    virtual void startKey(const std::string& name);
    virtual void stopKey(const std::string& name);
    virtual void stopAll();
    // Waits up to 300 ms for each thread; one that has not ended is joined later.
    virtual void joinThreads();

    // Removes the frame with that num and numbers the rest 0, 1, 2...; the
    // copy's last frame goes with the copy.
    bool removeRunFrame(const std::string& name, int frameNum);
    // loadKey, then the copy runs runCount passes or runTime minutes.
    bool loadKeyForManagedRun(const tKeyEntry& entry, const std::string& runCount, const std::string& runTime);

    int senderKind() const { return senderKind_; }

    // Queries; a copy or frame that does not exist reads as 0 / none.
    std::uint8_t isKeyRunning(const std::string& name) const;
    std::uint8_t isFrameSent(const std::string& name, int frameIndex) const;
    std::uint8_t isFramePeriodicActive(const std::string& name, int frameIndex) const;
    std::optional<tKeyFrame> findRunFrame(const std::string& name, int num) const;
    bool isScenarioRunning() const;
    std::optional<tRunCopy> copyOf(const std::string& name) const;
    std::vector<std::string> keyNames() const; // newest first

    // The run manager's switches of a copy (nothing when there is none).
    void setRepeat(const std::string& name, bool repeat);
    void setExpanded(const std::string& name, bool expanded);
    void setDirection(const std::string& name, int direction);
    void setAutoReverse(const std::string& name, bool autoReverse);

    // A transmit report for the key with this number: a running copy's
    // unconfirmed count drops by one unless it is 0.
    void confirmFrame(const std::string& keyNumber) override;

protected:
    CKeyMapRun(RunEnvironment& environment, int senderKind);

    // Stops every key and waits for every thread, however long it takes.
    // Each class's destructor calls it before its own parts go.
    void shutdown();

    // Under the copies lock, or on the key's own worker.
    tRunCopy* findCopy(const std::string& name);
    const tRunCopy* findCopy(const std::string& name) const;
    // Stops the key and waits for every thread running it. Controlling lock held.
    void stopAndJoinKey(const std::string& name);
    // Starts body on the registry entry's thread for the copy, once the
    // entry's earlier thread has ended (its key must be stopped: a thread
    // that saw running raised again would never end). The flag is raised here
    // rather than on the new thread, so that a stop right after the start is
    // never lost. Controlling lock held.
    template <typename Body>
    void launch(const std::string& entryName, tRunCopy& copy, Body body)
    {
        ThreadRegistry::Entry& entry = threads_.entryFor(entryName);
        ThreadRegistry::join(entry);
        copy.runnerStatus.running = 1;
        ThreadRegistry::launch(entry, copy.name, [this, &copy, body] {
            tryRealTimePriority();
            body(copy);
        });
    }

    // Starts body on the key's own thread entry unless the key runs there
    // already; a thread of the key that is still ending is joined first.
    template <typename Body>
    void startOnOwnThread(const std::string& name, Body body)
    {
        std::lock_guard control(controlLock_);
        tRunCopy* copy = lockedFind(name);
        if (!copy)
            return;
        if (ThreadRegistry::isAlive(threads_.entryFor(name)) && copy->runnerStatus.running == 1)
            return;
        launch(name, *copy, body);
    }
    // findCopy under the copies lock; the copy stays while the controlling lock is held.
    tRunCopy* lockedFind(const std::string& name);

    // Worker helpers.
    bool deviceThere();
    bool keepRunning(const tRunCopy& copy);
    WaitAbort abortFor(const tRunCopy& copy) const;
    void transmit(tRunCopy& copy, const tRunFrame& frame);
    // Plays one pass; the number of frames transmitted.
    int playSchedule(tRunCopy& copy, const tSchedule& schedule, PassStart start, bool transmitFrames);
    // The start of the next pass: one pass length after the last, so that
    // passes keep to the grid of the first pass start and never drift. A late
    // pass catches up; passes missed entirely are skipped.
    static PassStart followingPassStart(PassStart previous, std::int64_t passMilliseconds);
    void reportStarted(const tRunCopy& copy);
    void reportStatus(const tRunCopy& copy);
    // running 0, every periodic indicator 0 and the end report.
    void finishRun(tRunCopy& copy);
    std::int64_t minuteMilliseconds() const;

    RunEnvironment& environment_;
    std::recursive_mutex controlLock_; // loading, removing, starting and joining
    mutable std::mutex copiesLock_;    // the list of copies and their texts
    std::list<tRunCopy> copies_;
    ThreadRegistry threads_;

private:
    void runKeyThread(tRunCopy& copy);
    void runNormal(tRunCopy& copy);
    void runManaged(tRunCopy& copy);

    int senderKind_;
};

} // namespace kivplus
