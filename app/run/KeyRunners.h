#pragma once

#include "run/CIgnitionRun.h"
#include "run/CKeyMapRun.h"
#include "run/CProgressiveRun.h"

namespace kivplus {

// The three key runners of the application, one per key list.
class KeyRunners {
public:
    // With a router, transmit reports of each sender kind reach its runner
    // until the runners go.
    explicit KeyRunners(RunEnvironment& environment, TransmitReportRouter* router = nullptr);
    ~KeyRunners();
    KeyRunners(const KeyRunners&) = delete;
    KeyRunners& operator=(const KeyRunners&) = delete;

    // 0 key map, 1 ignition, 2 progressive; none for any other index.
    CKeyMapRun* runnerForList(int index)
    {
        switch (index) {
        case 0:
            return &keyMap;
        case 1:
            return &ignition;
        case 2:
            return &progressive;
        default:
            return nullptr;
        }
    }

    // How the main window stops them: every key, a yield, then the bounded join.
    void stopAndJoin();

    CKeyMapRun keyMap;
    CIgnitionRun ignition;
    CProgressiveRun progressive;

private:
    TransmitReportRouter* router_;
};

} // namespace kivplus
