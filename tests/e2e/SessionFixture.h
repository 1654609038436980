// A device session connected to a fresh virtual device over a pseudo-terminal,
// with the protocol pauses shortened.
#pragma once

#include "shell/DeviceSession.h"
#include "shell/SessionDelay.h"

#include "platform/UserPrompt.h"

#include "Simulator.h"

#include <gtest/gtest.h>

#include <memory>

namespace sessiontest {

// The pauses run at a quarter of their length: long enough for the virtual
// device to answer within them, short enough for a quick suite.
inline constexpr double kTestDelayScale = 0.25;
// The short store checks may take this many times longer here (see
// setPollStretch): the suite runs beside sanitizers and other builds.
inline constexpr int kTestPollStretch = 20;

class SessionFixture : public testing::Test {
protected:
    void SetUp() override
    {
        kivplus::setDelayScale(kTestDelayScale);
        kivplus::setPollStretch(kTestPollStretch);
        ASSERT_TRUE(session.connect(sim->path()));
        session.drainStore(KIVCommon::MESSAGE_STORE_RESPONSE);
        session.drainStore(KIVCommon::MESSAGE_STORE_EVENT);
    }

    void TearDown() override
    {
        session.disconnect();
        session.drainStore(KIVCommon::MESSAGE_STORE_RESPONSE);
        session.drainStore(KIVCommon::MESSAGE_STORE_EVENT);
        kivplus::setDelayScale(1.0);
        kivplus::setPollStretch(1);
    }

    std::size_t sent(std::uint8_t type) const { return sim->device().receivedCount(type); }

    std::unique_ptr<kivsim::Simulator> sim = std::make_unique<kivsim::Simulator>();
    kivplus::ScriptedPrompt prompt;
    kivplus::DeviceSession session{prompt, CKIV::getInstance(), false};
};

} // namespace sessiontest
