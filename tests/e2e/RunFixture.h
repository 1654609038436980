// The key runners on a device session connected to a fresh virtual device,
// with the session's receive thread routing transmit reports to them.
#pragma once

#include "run/KeyRunners.h"
#include "run/RunEnvironment.h"
#include "run/RunNotifier.h"
#include "run/SessionRunLink.h"
#include "shell/DeviceSession.h"

#include "platform/UserPrompt.h"

#include "CanBehaviour.h"
#include "Simulator.h"

#include "kiv/KIVMessages.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace runtest {

// A frame as the virtual device received it.
struct WireFrame {
    double at; // ms after the first frame of the test
    int kind;
    int tag;
    kivsim::CanFrame can;
};

class RunFixture : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(session.connect(sim->path()));
        session.drainStore(KIVCommon::MESSAGE_STORE_EVENT);
        ASSERT_TRUE(session.startReceiveThread());
    }

    void TearDown() override
    {
        runners.stopAndJoin();
        session.disconnect();
        session.stopReceiveThread();
        session.drainStore(KIVCommon::MESSAGE_STORE_EVENT);
        session.drainStore(KIVCommon::MESSAGE_STORE_RESPONSE);
    }

    std::vector<WireFrame> wire() const
    {
        std::vector<WireFrame> out;
        std::chrono::steady_clock::time_point first{};
        for (const kivsim::ReceivedFrame& received : sim->device().received()) {
            if (received.frame.type != KIVCommon::MSG_CAN_TX)
                continue;
            const auto can = kivsim::CanBehaviour::parseCanTx(received.frame.payload);
            if (!can)
                continue;
            if (out.empty())
                first = received.time;
            out.push_back({std::chrono::duration<double, std::milli>(received.time - first).count(),
                           received.frame.payload[0], received.frame.payload[1], *can});
        }
        return out;
    }

    bool waitForWire(std::size_t count, std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) const
    {
        return sim->device().waitForFrames(KIVCommon::MSG_CAN_TX, count, limit);
    }

    template <typename Condition>
    static bool eventually(Condition condition, std::chrono::milliseconds limit = std::chrono::milliseconds(3000))
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }

    std::unique_ptr<kivsim::Simulator> sim = std::make_unique<kivsim::Simulator>();
    kivplus::ScriptedPrompt prompt;
    kivplus::DeviceSession session{prompt, CKIV::getInstance(), false};
    kivplus::SessionRunLink link{session};
    kivplus::RunNotifier notifier;
    kivplus::RunEnvironment environment{link, notifier};
    kivplus::KeyRunners runners{environment, &session.transmitReports()};
};

// Times are measured where the virtual device reads the frames, from the
// first one: that one may arrive a little late itself, and any may arrive
// late on a busy machine.
inline constexpr double kEarlyAllowance = 5.0;
inline constexpr double kLateAllowance = 150.0;

} // namespace runtest
