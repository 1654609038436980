// Timing of played keys, measured where the virtual device receives them:
// a Single key every 10 ms, and a Scenario key with mixed delays and a
// periodic frame (a 500 ms pass), each for a number of seconds. For every frame: its offset
// from its due time (the first frame is due at 0). Prints the median, p99 and
// maximum offsets and the drift: the least offset of the last second minus
// that of the first (the least offset follows the schedule; stalls of the
// receive path only ever add to an offset). With --busy, threads spin on every processor meanwhile.
//
//   run_timing [SECONDS] [--busy]
#include "keymap/KeyRecords.h"
#include "platform/UserPrompt.h"
#include "run/KeyRunners.h"
#include "run/RunEnvironment.h"
#include "run/RunNotifier.h"
#include "run/Schedule.h"
#include "run/SessionRunLink.h"
#include "shell/DeviceSession.h"

#include "Simulator.h"

#include "kiv/KIVMessages.h"

#include <algorithm>
#include <cmath>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using namespace kivplus;

namespace {

tKeyFrame makeFrame(int num, const char* id, const char* delay, const char* interval = "0")
{
    tKeyFrame frame;
    frame.num = num;
    frame.canCh = "1";
    frame.messageName = "Bench";
    frame.messageId = id;
    frame.messageFormat = "Standard";
    frame.messageData = "01 02 03 04 05 06 07 08";
    frame.messageLength = "8";
    frame.canFrameDelay = delay;
    frame.periodicInterval = interval;
    return frame;
}

tKeyEntry makeKey(const char* name, int type, std::vector<tKeyFrame> frames)
{
    tKeyEntry entry;
    entry.name = name;
    entry.type = type;
    entry.frames = std::move(frames);
    entry.numberOfCanFrame = static_cast<int>(entry.frames.size());
    return entry;
}

// Due times (ms) of received frames, the first one due at 0. A Single key's
// k-th frame is due at k intervals. A Scenario key's frames follow its pass
// schedule; a pass that fell a whole pass behind is skipped, so the pass of a
// frame is the one whose schedule puts it nearest (a frame more than half a
// pass late would count against the next pass).
std::vector<double> dueTimes(const tKeyEntry& key, const std::vector<double>& received)
{
    std::vector<double> due;
    if (key.type == KEY_TYPE_SINGLE) {
        const double interval = std::atof(key.frames.front().periodicInterval.c_str());
        for (std::size_t k = 0; k < received.size(); ++k)
            due.push_back(static_cast<double>(k) * interval);
        return due;
    }
    const tSchedule schedule = buildSchedule(key);
    const double passLength = static_cast<double>(schedule.events.back().dueTime);
    std::vector<double> pass;
    for (const tSendEvent& event : schedule.events)
        if (event.frameIndex < static_cast<int>(key.frames.size()) &&
            !isStopFrame(key.frames[static_cast<std::size_t>(event.frameIndex)]))
            pass.push_back(static_cast<double>(event.dueTime));
    for (std::size_t k = 0; k < received.size(); ++k) {
        const double inPass = pass[k % pass.size()];
        const double passIndex = std::max(0.0, std::round((received[k] - received[0] - inPass) / passLength));
        due.push_back(passIndex * passLength + inPass);
    }
    return due;
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[at];
}

void measure(const char* title, const tKeyEntry& key, int seconds, bool busy)
{
    kivsim::Simulator sim;
    ScriptedPrompt prompt;
    DeviceSession session(prompt, CKIV::getInstance(), false);
    if (!session.connect(sim.path()) || !session.startReceiveThread()) {
        std::fprintf(stderr, "cannot connect to the virtual device\n");
        return;
    }
    SessionRunLink link(session);
    RunNotifier notifier;
    RunEnvironment environment(link, notifier);
    int passes = 0;
    {
        KeyRunners runners(environment, &session.transmitReports());
        runners.keyMap.loadKey(key);
        runners.keyMap.startKey(key.name);
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        runners.stopAndJoin();
        passes = runners.keyMap.copyOf(key.name)->runnerStatus.passCount;
    }
    session.disconnect();
    session.stopReceiveThread();

    std::vector<double> received;
    for (const kivsim::ReceivedFrame& frame : sim.device().received())
        if (frame.frame.type == KIVCommon::MSG_CAN_TX)
            received.push_back(
                std::chrono::duration<double, std::milli>(frame.time - sim.device().received().front().time).count());
    if (received.size() < 2) {
        std::printf("%s: too few frames\n", title);
        return;
    }
    const double first = received.front();
    const std::vector<double> due = dueTimes(key, received);
    std::vector<double> offsets, head, tail;
    for (std::size_t i = 0; i < received.size(); ++i) {
        const double offset = received[i] - first - due[i];
        offsets.push_back(offset);
        if (due[i] < due.front() + 1000)
            head.push_back(offset);
        if (due[i] > due.back() - 1000)
            tail.push_back(offset);
    }
    std::printf("%-34s %s  passes %5d  frames %6zu  offset ms: median %7.3f  p99 %7.3f  max %8.3f  min %7.3f  drift %7.3f\n",
                title, busy ? "busy" : "idle", passes, offsets.size(), percentile(offsets, 0.5), percentile(offsets, 0.99),
                *std::max_element(offsets.begin(), offsets.end()), *std::min_element(offsets.begin(), offsets.end()),
                *std::min_element(tail.begin(), tail.end()) - *std::min_element(head.begin(), head.end()));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    int seconds = 60;
    bool busy = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--busy") == 0)
            busy = true;
        else
            seconds = std::max(2, std::atoi(argv[i]));
    }

    std::atomic<bool> stop{false};
    std::vector<std::thread> spinners;
    if (busy)
        for (unsigned i = 0; i < std::max(1u, std::thread::hardware_concurrency()); ++i)
            spinners.emplace_back([&stop] {
                volatile unsigned long work = 0;
                while (!stop.load(std::memory_order_relaxed))
                    work = work + 1;
            });

    measure("Single key every 10 ms", makeKey("10", KEY_TYPE_SINGLE, {makeFrame(0, "0x100", "0", "10")}), seconds,
            busy);
    measure("Scenario key, delays 70/130/0/250/50",
            makeKey("11", KEY_TYPE_SCENARIO,
                    {makeFrame(0, "0x101", "70", "200"), makeFrame(1, "0x102", "130"), makeFrame(2, "0x103", "0"),
                     makeFrame(3, "0x104", "250"), makeFrame(4, "0x105", "50")}),
            seconds, busy);

    stop = true;
    for (std::thread& spinner : spinners)
        spinner.join();
    return 0;
}
