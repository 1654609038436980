// A device stand-in for the runners: records every frame with its send time
// and confirms it at once (or not), and keys built from short descriptions.
#pragma once

#include "keymap/KeyRecords.h"
#include "run/CKeyMapRun.h"
#include "run/RunEnvironment.h"
#include "run/RunLink.h"
#include "run/RunNotifier.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace runtest {

struct SentFrame {
    std::chrono::steady_clock::time_point time;
    int channel;
    std::uint32_t id;
    std::uint32_t dlc;
    std::uint32_t dataLow;
    int kind;
    int tag;
};

class FakeLink : public kivplus::RunLink {
public:
    bool isConnected() override { return connected.load(); }

    std::uint8_t sendCanFrame(int channel, std::uint32_t id, std::uint32_t dlc, std::uint32_t dataLow, std::uint32_t,
                              int kind, int tag) override
    {
        {
            std::lock_guard guard(lock);
            frames.push_back({std::chrono::steady_clock::now(), channel, id, dlc, dataLow, kind, tag});
        }
        kivplus::CKeyMapRun* target = confirmer.load();
        for (int i = 0; target && i < reportsPerFrame.load(); ++i)
            target->confirmFrame(std::to_string(tag));
        return 0;
    }

    std::vector<SentFrame> sent() const
    {
        std::lock_guard guard(lock);
        return frames;
    }

    std::atomic<bool> connected{true};
    std::atomic<kivplus::CKeyMapRun*> confirmer{nullptr};
    std::atomic<int> reportsPerFrame{2};
    mutable std::mutex lock;
    std::vector<SentFrame> frames;
};

inline kivplus::tKeyFrame frame(int num, const std::string& id, const std::string& data, const std::string& delay,
                                const std::string& interval = "0", const std::string& channel = "1")
{
    kivplus::tKeyFrame f;
    f.num = num;
    f.canCh = channel;
    f.messageName = "Frame";
    f.messageId = id;
    f.messageFormat = "Standard";
    f.messageData = data;
    f.messageLength = std::to_string((data.size() + 1) / 3);
    f.canFrameDelay = delay;
    f.periodicInterval = interval;
    return f;
}

inline kivplus::tKeyFrame stopFrame(int num, int stopped)
{
    kivplus::tKeyFrame f = kivplus::makeStopFrame(stopped, "1");
    f.num = num;
    f.canFrameDelay = "0";
    f.periodicInterval = "0";
    return f;
}

inline kivplus::tKeyEntry key(const std::string& name, int type, std::vector<kivplus::tKeyFrame> frames)
{
    kivplus::tKeyEntry entry;
    entry.name = name;
    entry.type = type;
    entry.frames = std::move(frames);
    entry.numberOfCanFrame = static_cast<int>(entry.frames.size());
    entry.runTime = "0";
    entry.sleepTime = "0";
    return entry;
}

// Waits until the condition holds or the time is over.
template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds limit = std::chrono::milliseconds(3000))
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Milliseconds of each frame after the first.
inline std::vector<double> offsets(const std::vector<SentFrame>& frames)
{
    std::vector<double> out;
    for (const SentFrame& f : frames)
        out.push_back(std::chrono::duration<double, std::milli>(f.time - frames.front().time).count());
    return out;
}

} // namespace runtest
