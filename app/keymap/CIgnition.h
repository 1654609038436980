#pragma once

#include "keymap/CKeyMap.h"

namespace kivplus {

// The ignition keys: at most one entry per ignition type, named "0" Off,
// "1" Acc, "2" Run and "3" Crank.
class CIgnition : public CKeyMap {
public:
    ~CIgnition() override;
};

} // namespace kivplus
