#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kivplus {

// One Scenario key of the scenario group with how often or how long it runs.
struct tScenarioGroupItem {
    std::int32_t itemKind = 0;
    std::uint8_t itemFlag = 0;
    std::string keyNumber;
    std::string runCount;    // decimal; "0" when a run time is given
    std::string runTimeText; // decimal; "0" when a run count is given
};

// Scenario keys played one after another; never saved to a file or the device.
class CScenarioGroup {
public:
    virtual ~CScenarioGroup() = default;

    void addItem(const tScenarioGroupItem& item);
    bool removeItem(int index);
    void clearItems() { items_.clear(); }

    int count() const { return static_cast<int>(items_.size()); }
    const tScenarioGroupItem& item(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    const std::vector<tScenarioGroupItem>& items() const { return items_; }
    bool modified() const { return modified_; }
    void setModified(bool modified) { modified_ = modified; }

private:
    bool modified_ = false;
    std::vector<tScenarioGroupItem> items_;
};

} // namespace kivplus
