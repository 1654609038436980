#pragma once

#include "run/CKeyMapRun.h"
#include "run/KeyFrameBuild.h"

namespace kivplus {

// Plays progressive keys: the key's one frame again and again, its signal
// swept between the minimum and the maximum by the step in the copy's
// direction (hold, up, down), reversing at the limits with autoReverse.
class CProgressiveRun : public CKeyMapRun {
public:
    static constexpr int kSenderKind = 2;

    explicit CProgressiveRun(RunEnvironment& environment);
    ~CProgressiveRun() override;

    // As for any key, and the sweep starts from the signal's value in the
    // frame's data, holding (direction 0, no autoReverse).
    bool loadKey(const tKeyEntry& entry) override;
    bool reloadKey(const tKeyEntry& entry) override;
    void startKey(const std::string& name) override;

    // The frame with the swept signal at the copy's current value.
    virtual tRunFrame buildProgressiveFrame(const tKeyFrame& frame) const;

private:
    void startSweep(const std::string& name);
    void runProgressive(tRunCopy& copy);
};

} // namespace kivplus
