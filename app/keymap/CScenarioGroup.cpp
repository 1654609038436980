#include "keymap/CScenarioGroup.h"

namespace kivplus {

void CScenarioGroup::addItem(const tScenarioGroupItem& item)
{
    items_.push_back(item);
    modified_ = true;
}

bool CScenarioGroup::removeItem(int index)
{
    if (index < 0 || index >= count())
        return false;
    items_.erase(items_.begin() + index);
    modified_ = true;
    return true;
}

} // namespace kivplus
