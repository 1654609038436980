#pragma once

#include "run/CKeyMapRun.h"

namespace kivplus {

// Plays ignition keys: one position at a time. A position sends its frames
// once and then keeps sending its periodic frames until it is stopped or
// another position starts.
class CIgnitionRun : public CKeyMapRun {
public:
    static constexpr int kSenderKind = 1;

    explicit CIgnitionRun(RunEnvironment& environment);
    ~CIgnitionRun() override;

    // Stops the running position and waits for it, then starts this one.
    void startKey(const std::string& name) override;

private:
    void runIgnition(tRunCopy& copy);
};

} // namespace kivplus
