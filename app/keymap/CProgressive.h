#pragma once

#include "keymap/CKeyMap.h"

namespace kivplus {

// The progressive keys: one frame each, with one signal swept between a
// minimum and a maximum. Numbers 0-99; only 0, 1 and 2 fit on the device.
class CProgressive : public CKeyMap {
public:
    ~CProgressive() override;

    // Appends a copy of the entry with its whole first frame.
    bool addKey(const tKeyEntry& entry) override;
    // Copies name, and canCh, periodicInterval and the sweep range of the frame.
    bool updateKey(const std::string& name, const tKeyEntry& entry) override;
    // 0-99 in Interface Mode, 0-2 in any other mode.
    std::vector<std::string> listFreeKeyNumbers(DeviceMode mode) const override;
    CProgressive& createStaging() override;

    CProgressive* staging() const { return static_cast<CProgressive*>(staging_.get()); }

    // resolveMessageNames, and the swept signal's name and type from the
    // message's signal at the frame's startByte and startBit.
    void resolveProgressiveSignals(const KeyMapDatabases& databases);

protected:
    std::unique_ptr<CKeyMap> makeEmptyList() const override;
};

} // namespace kivplus
