#include "keymap/CPanelLayout.h"

namespace kivplus {

int CPanelLayout::getControlKey(int controlType, int controlNumber) const
{
    const ControlMap& map = controlType == kProgressiveControl ? progressive_ : normal_;
    auto it = map.find(controlNumber);
    return it == map.end() ? -1 : it->second;
}

void CPanelLayout::setControlKey(int controlType, int controlNumber, int keyNumber)
{
    (controlType == kProgressiveControl ? progressive_ : normal_)[controlNumber] = keyNumber;
}

void CPanelLayout::setStagingControlKey(int controlType, int controlNumber, int keyNumber)
{
    (controlType == kProgressiveControl ? stagingProgressive_ : stagingNormal_)[controlNumber] = keyNumber;
}

void CPanelLayout::commitLayout()
{
    normal_ = stagingNormal_;
    progressive_ = stagingProgressive_;
}

void CPanelLayout::clearLayoutStaging()
{
    stagingNormal_.clear();
    stagingProgressive_.clear();
}

} // namespace kivplus
