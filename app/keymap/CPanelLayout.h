#pragma once

#include <map>

namespace kivplus {

// Which key each control of the panel window runs: the Normal map (keys of the
// key map list) and the Progressive map (keys of the progressive list), each
// from control number to key number, plus the staging pair a loader fills.
class CPanelLayout {
public:
    static constexpr int kNormalControl = 1;
    static constexpr int kProgressiveControl = 2; // any other type is Normal

    using ControlMap = std::map<int, int>;

    int getControlKey(int controlType, int controlNumber) const; // -1 when unassigned
    void setControlKey(int controlType, int controlNumber, int keyNumber);
    void setStagingControlKey(int controlType, int controlNumber, int keyNumber);
    void commitLayout();
    void clearLayoutStaging();

    const ControlMap& normalMap() const { return normal_; }
    const ControlMap& progressiveMap() const { return progressive_; }

private:
    ControlMap normal_;
    ControlMap progressive_;
    ControlMap stagingNormal_;
    ControlMap stagingProgressive_;
};

} // namespace kivplus
