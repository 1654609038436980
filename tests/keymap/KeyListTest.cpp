#include "KeyListFixtures.h"

#include "keymap/CIgnition.h"
#include "keymap/CKeyMap.h"
#include "keymap/CPanelLayout.h"
#include "keymap/CProgressive.h"
#include "keymap/CScenarioGroup.h"

#include <gtest/gtest.h>

#include <functional>

using namespace kivplus;
using keymaptest::frame;
using keymaptest::key;
using Names = std::vector<std::string>;

namespace {

std::vector<int> frameNums(const CKeyMap& list, const std::string& name)
{
    std::vector<int> nums;
    for (const auto& f : list.findKey(name)->frames)
        nums.push_back(f.num);
    return nums;
}

std::vector<std::string> frameIds(const CKeyMap& list, const std::string& name)
{
    std::vector<std::string> ids;
    for (const auto& f : list.findKey(name)->frames)
        ids.push_back(f.messageId);
    return ids;
}

} // namespace

TEST(KeyList, ListsFreeKeyNumbers)
{
    CKeyMap keyMap;
    keyMap.appendEntry(key("10", KEY_TYPE_SINGLE, 1));
    keyMap.appendEntry(key("12", KEY_TYPE_SINGLE, 1));
    const Names free = keyMap.listFreeKeyNumbers(DeviceMode::Configuration);
    ASSERT_EQ(free.size(), 88u);
    EXPECT_EQ(free[0], "11");
    EXPECT_EQ(free[1], "13");
    EXPECT_EQ(free.back(), "99");

    CProgressive progressive;
    progressive.appendEntry(key("1", KEY_TYPE_PROGRESSIVE, 1));
    EXPECT_EQ(progressive.listFreeKeyNumbers(DeviceMode::Configuration), (Names{"0", "2"}));
    EXPECT_EQ(progressive.listFreeKeyNumbers(static_cast<DeviceMode>(0)), (Names{"0", "2"}));
    const Names interfaceFree = progressive.listFreeKeyNumbers(DeviceMode::Interface);
    EXPECT_EQ(interfaceFree.size(), 99u);
    EXPECT_EQ(interfaceFree[1], "2");
}

TEST(KeyList, ListsScenarioKeysByMode)
{
    CKeyMap keyMap;
    keyMap.appendEntry(key("10", KEY_TYPE_SCENARIO, 50, "100"));
    keyMap.appendEntry(key("11", KEY_TYPE_SCENARIO, 49));
    keyMap.appendEntry(key("12", KEY_TYPE_SINGLE, 1, "100"));
    keyMap.appendEntry(key("13", KEY_TYPE_SCENARIO, 2, "100"));

    struct Case {
        DeviceMode mode;
        Names scenario;
        Names periodic;
    } cases[] = {
        {DeviceMode::Interface, {"10", "11", "13"}, {"10", "13"}},
        {DeviceMode::Configuration, {"11", "13"}, {"13"}},
        {static_cast<DeviceMode>(0), {}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(keyMap.listScenarioKeys(c.mode), c.scenario) << static_cast<int>(c.mode);
        EXPECT_EQ(keyMap.listPeriodicScenarioKeys(c.mode), c.periodic) << static_cast<int>(c.mode);
    }
}

TEST(KeyList, CountsAndListsPeriodicFrames)
{
    CKeyMap keyMap;
    tKeyEntry scenario = key("20", KEY_TYPE_SCENARIO, 3);
    scenario.frames[0].periodicInterval = "50";
    scenario.frames[2].periodicInterval = " 10";
    scenario.frames[1].periodicInterval = "-5";
    keyMap.appendEntry(scenario);
    EXPECT_EQ(keyMap.countPeriodicFrames("20"), 2);
    EXPECT_EQ(keyMap.listPeriodicFrameNumbers("20"), (Names{"0", "2"}));
    EXPECT_TRUE(keyMap.listPeriodicFrameNumbers("21").empty());
    EXPECT_EQ(keyMap.countPeriodicFrames("21"), 0);
    EXPECT_EQ(keyMap.getFrameCount("20"), 3);
    EXPECT_EQ(keyMap.getFrameCount("21"), 0);
}

TEST(KeyList, FindsDuplicateSingleFramesIgnoringCase)
{
    CKeyMap keyMap;
    tKeyEntry single = key("10", KEY_TYPE_SINGLE, 0);
    single.frames.push_back(frame("0x1a", "01 aa"));
    keyMap.appendEntry(single);
    tKeyEntry scenario = key("11", KEY_TYPE_SCENARIO, 0);
    scenario.frames.push_back(frame("0x2B", "02"));
    keyMap.appendEntry(scenario);

    struct Case {
        tKeyFrame probe;
        std::string editing;
        int examined;
        bool duplicate;
    } cases[] = {
        {frame("0x1A", "01 AA"), "", 2, true},
        {frame("0X1A", "01 aA"), "12", 2, true},
        {frame("0x1A", "01 AA"), "10", 2, false},  // the key being edited itself
        {frame("0x1A", "01 AA"), "", 0, false},    // only the first n entries count
        {frame("0x1A", "01 AA", "0", "2"), "", 2, false}, // another channel
        {frame("0x1A", "01 AB"), "", 2, false},
        {frame("0x2b", "02"), "", 2, false},       // Scenario keys are not compared
    };
    for (const auto& c : cases)
        EXPECT_EQ(keyMap.findDuplicateSingleFrame(c.probe, c.editing, c.examined), c.duplicate)
            << c.probe.messageId << " " << c.probe.messageData << " " << c.editing << " " << c.examined;
}

TEST(KeyList, DeletesFramesAndRenumbers)
{
    CKeyMap keyMap;
    keyMap.appendEntry(key("20", KEY_TYPE_SCENARIO, 3));
    keyMap.appendEntry(key("21", KEY_TYPE_SCENARIO, 1));

    EXPECT_TRUE(keyMap.deleteFrame("20", 1));
    EXPECT_EQ(frameNums(keyMap, "20"), (std::vector<int>{0, 1}));
    EXPECT_EQ(frameIds(keyMap, "20"), (Names{"0x100", "0x102"}));
    EXPECT_EQ(keyMap.getFrameCount("20"), 2);
    EXPECT_FALSE(keyMap.deleteFrame("20", 7));
    EXPECT_FALSE(keyMap.deleteFrame("22", 0));

    EXPECT_TRUE(keyMap.deleteFrame("21", 0)); // the only frame takes the key with it
    EXPECT_EQ(keyMap.findKey("21"), nullptr);
    EXPECT_EQ(keyMap.count(), 1);
}

TEST(KeyList, MovesFramesKeepingNumbersEqualToPositions)
{
    struct Case {
        int index;
        bool up;
        bool moved;
        Names order;
    } cases[] = {
        {1, true, true, {"0x101", "0x100", "0x102"}},
        {1, false, true, {"0x100", "0x102", "0x101"}},
        {0, true, false, {"0x100", "0x101", "0x102"}},
        {2, false, false, {"0x100", "0x101", "0x102"}},
        {3, true, false, {"0x100", "0x101", "0x102"}},
        {-1, false, false, {"0x100", "0x101", "0x102"}},
    };
    for (const auto& c : cases) {
        CKeyMap keyMap;
        keyMap.appendEntry(key("20", KEY_TYPE_SCENARIO, 3));
        EXPECT_EQ(keyMap.moveFrame("20", c.index, c.up), c.moved) << c.index << c.up;
        EXPECT_EQ(frameIds(keyMap, "20"), c.order) << c.index << c.up;
        EXPECT_EQ(frameNums(keyMap, "20"), (std::vector<int>{0, 1, 2}));
        EXPECT_EQ(keyMap.modified(), c.moved);
    }
    CKeyMap empty;
    EXPECT_FALSE(empty.moveFrame("20", 1, true));
}

TEST(KeyList, AddsFramesOnlyToScenarioKeys)
{
    CKeyMap keyMap;
    keyMap.appendEntry(key("10", KEY_TYPE_SINGLE, 1));
    keyMap.appendEntry(key("20", KEY_TYPE_SCENARIO, 2));
    EXPECT_FALSE(keyMap.addFrame("10", frame("0x5", "01")));
    EXPECT_FALSE(keyMap.addFrame("30", frame("0x5", "01")));
    EXPECT_FALSE(keyMap.modified());
    tKeyFrame added = frame("0x5", "01");
    added.num = 17;
    ASSERT_TRUE(keyMap.addFrame("20", added));
    EXPECT_EQ(keyMap.findKey("20")->frames.back().num, 2);
    EXPECT_EQ(keyMap.findKey("20")->frames.back().canFrameDelay, "10");
    EXPECT_EQ(keyMap.getFrameCount("20"), 3);
    EXPECT_EQ(keyMap.findFrame("20", 2)->messageId, "0x5");
    EXPECT_EQ(keyMap.findFrame("20", 3), nullptr);
}

TEST(KeyList, AddKeyCopiesTheFirstFrameOnly)
{
    CKeyMap keyMap;
    tKeyEntry single = key("10", KEY_TYPE_SINGLE, 2);
    single.runTime = "5";
    single.sleepTime = "6";
    single.frames[0].signalName = "Ignored";
    ASSERT_TRUE(keyMap.addKey(single));
    const tKeyEntry& added = keyMap.entries().back();
    EXPECT_EQ(added.numberOfCanFrame, 1);
    ASSERT_EQ(added.frames.size(), 1u);
    EXPECT_EQ(added.frames[0].messageId, "0x100");
    EXPECT_EQ(added.frames[0].canFrameDelay, ""); // only Scenario keys keep the delay
    EXPECT_EQ(added.frames[0].signalName, "");
    EXPECT_EQ(added.runTime, "5");
    EXPECT_EQ(added.sleepTime, "6");

    ASSERT_TRUE(keyMap.addKey(key("20", KEY_TYPE_SCENARIO, 3)));
    EXPECT_EQ(keyMap.entries().back().frames[0].canFrameDelay, "10");
    EXPECT_EQ(keyMap.entries().back().numberOfCanFrame, 1);

    EXPECT_FALSE(keyMap.addKey(key("30", KEY_TYPE_SINGLE, 0)));
    EXPECT_EQ(keyMap.count(), 2);

    CProgressive progressive;
    tKeyEntry sweep = key("1", KEY_TYPE_PROGRESSIVE, 1);
    sweep.frames[0].signalName = "Speed";
    sweep.frames[0].progressiveMax = "FF";
    ASSERT_TRUE(progressive.addKey(sweep));
    EXPECT_EQ(progressive.entries()[0].frames[0].signalName, "Speed");
    EXPECT_EQ(progressive.entries()[0].frames[0].progressiveMax, "FF");
}

TEST(KeyList, UpdateKeyCopiesWhatTheKeyKindAllows)
{
    CKeyMap keyMap;
    keyMap.appendEntry(key("10", KEY_TYPE_SINGLE, 1));
    keyMap.appendEntry(key("20", KEY_TYPE_SCENARIO, 2));

    tKeyEntry change = key("11", KEY_TYPE_SINGLE, 1);
    change.frames[0] = frame("0x7", "0A 0B", "20", "2");
    change.runTime = "1";
    change.sleepTime = "2";
    ASSERT_TRUE(keyMap.updateKey("10", change));
    const tKeyEntry* single = keyMap.findKey("11");
    ASSERT_NE(single, nullptr);
    EXPECT_EQ(single->frames[0].messageId, "0x7");
    EXPECT_EQ(single->frames[0].messageData, "0A 0B");
    EXPECT_EQ(single->frames[0].periodicInterval, "20");
    EXPECT_EQ(single->frames[0].canCh, "1"); // never the channel
    EXPECT_EQ(single->runTime, "1");

    tKeyEntry renamed = key("21", KEY_TYPE_SCENARIO, 1);
    renamed.frames[0].messageId = "0x9";
    ASSERT_TRUE(keyMap.updateKey("20", renamed));
    EXPECT_EQ(keyMap.findKey("21")->frames[0].messageId, "0x100"); // Scenario frames untouched
    EXPECT_FALSE(keyMap.updateKey("99", renamed));

    CProgressive progressive;
    tKeyEntry sweep = key("1", KEY_TYPE_PROGRESSIVE, 1);
    progressive.appendEntry(sweep);
    sweep.name = "2";
    sweep.frames[0] = frame("0x33", "01", "40", "2");
    sweep.frames[0].progressiveMin = "1";
    sweep.frames[0].progressiveMax = "9";
    sweep.frames[0].progressiveStep = "2";
    ASSERT_TRUE(progressive.updateKey("1", sweep));
    const tKeyFrame& updated = progressive.findKey("2")->frames[0];
    EXPECT_EQ(updated.canCh, "2");
    EXPECT_EQ(updated.periodicInterval, "40");
    EXPECT_EQ(updated.progressiveMax, "9");
    EXPECT_EQ(updated.messageId, "0x100"); // the message stays
}

TEST(KeyList, EveryChangeSetsModifiedAndCommitSetsTheGivenFlag)
{
    const std::vector<std::pair<const char*, std::function<bool(CKeyMap&)>>> changes = {
        {"addKey", [](CKeyMap& l) { return l.addKey(key("30", KEY_TYPE_SINGLE, 1)); }},
        {"updateKey", [](CKeyMap& l) { return l.updateKey("20", key("20", KEY_TYPE_SCENARIO, 1)); }},
        {"addFrame", [](CKeyMap& l) { return l.addFrame("20", frame("0x1", "01")); }},
        {"deleteFrame", [](CKeyMap& l) { return l.deleteFrame("20", 0); }},
        {"moveFrame", [](CKeyMap& l) { return l.moveFrame("20", 0, false); }},
        {"deleteKey", [](CKeyMap& l) { return l.deleteKey("20"); }},
    };
    for (const auto& [name, change] : changes) {
        CKeyMap keyMap;
        keyMap.appendEntry(key("20", KEY_TYPE_SCENARIO, 2));
        ASSERT_FALSE(keyMap.modified());
        EXPECT_TRUE(change(keyMap)) << name;
        EXPECT_TRUE(keyMap.modified()) << name;
    }

    CKeyMap keyMap;
    keyMap.setModified(true);
    EXPECT_FALSE(keyMap.countsAsChanged()); // an empty list never counts as changed
    keyMap.createStaging().appendEntry(key("10", KEY_TYPE_SINGLE, 1));
    keyMap.commitStaging(true);
    EXPECT_EQ(keyMap.staging(), nullptr);
    EXPECT_TRUE(keyMap.countsAsChanged());
    keyMap.createStaging();
    keyMap.commitStaging(false);
    EXPECT_EQ(keyMap.count(), 0);
    EXPECT_FALSE(keyMap.modified());
}

TEST(KeyList, StagingIsOfTheListsOwnKindAndDiscardKeepsTheList)
{
    CProgressive progressive;
    progressive.appendEntry(key("0", KEY_TYPE_PROGRESSIVE, 1));
    CProgressive& staging = progressive.createStaging();
    EXPECT_EQ(progressive.staging(), &staging);
    staging.appendEntry(key("1", KEY_TYPE_PROGRESSIVE, 1));
    progressive.discardStaging();
    EXPECT_EQ(progressive.staging(), nullptr);
    ASSERT_EQ(progressive.count(), 1);
    EXPECT_EQ(progressive.entries()[0].name, "0");
    progressive.discardStaging(); // nothing to discard

    CIgnition ignition;
    ignition.createStaging().appendEntry(key("2", KEY_TYPE_SCENARIO, 2));
    ignition.commitStaging(false);
    EXPECT_EQ(ignition.findKey("2")->numberOfCanFrame, 2);
}

TEST(KeyList, ClearKeysEmptiesWithoutMarkingAChange)
{
    CKeyMap keyMap;
    keyMap.appendEntry(key("10", KEY_TYPE_SINGLE, 1));
    keyMap.clearKeys();
    EXPECT_EQ(keyMap.count(), 0);
    EXPECT_FALSE(keyMap.modified());
}

TEST(KeyList, StopFrameCarriesAnIdentifierTheReaderAccepts)
{
    const tKeyFrame stop = makeStopFrame(2, "1");
    EXPECT_TRUE(isStopFrame(stop));
    EXPECT_EQ(stop.messageId, "0x0");
    EXPECT_EQ(stop.messageFormat, "Standard");
    EXPECT_EQ(stop.messageLength, "1");
    EXPECT_EQ(stop.messageData, "2");
    EXPECT_EQ(stop.periodicInterval, "0");
    EXPECT_EQ(stop.canFrameDelay, "0");
}

TEST(ScenarioGroup, AddAndRemoveMarkTheGroupChanged)
{
    CScenarioGroup group;
    group.addItem({0, 0, "20", "3", "0"});
    group.addItem({0, 0, "21", "0", "60"});
    EXPECT_TRUE(group.modified());
    group.setModified(false);
    EXPECT_FALSE(group.removeItem(2));
    EXPECT_FALSE(group.modified());
    EXPECT_TRUE(group.removeItem(0));
    EXPECT_TRUE(group.modified());
    ASSERT_EQ(group.count(), 1);
    EXPECT_EQ(group.item(0).keyNumber, "21");
    group.clearItems();
    EXPECT_EQ(group.count(), 0);
}

TEST(PanelLayout, KeepsTwoMapsAndCommitsTheStagingPair)
{
    CPanelLayout panel;
    panel.setControlKey(CPanelLayout::kProgressiveControl, 1, 2);
    panel.setControlKey(7, 1, 12); // any other type is Normal
    EXPECT_EQ(panel.getControlKey(CPanelLayout::kNormalControl, 1), 12);
    EXPECT_EQ(panel.getControlKey(CPanelLayout::kProgressiveControl, 1), 2);
    EXPECT_EQ(panel.getControlKey(CPanelLayout::kNormalControl, 5), -1);

    panel.setStagingControlKey(CPanelLayout::kNormalControl, 5, 15);
    EXPECT_EQ(panel.getControlKey(CPanelLayout::kNormalControl, 5), -1);
    panel.commitLayout();
    EXPECT_EQ(panel.getControlKey(CPanelLayout::kNormalControl, 5), 15);
    EXPECT_EQ(panel.getControlKey(CPanelLayout::kNormalControl, 1), -1); // replaced, not merged
    EXPECT_EQ(panel.getControlKey(CPanelLayout::kProgressiveControl, 1), -1);
    panel.clearLayoutStaging();
    panel.commitLayout();
    EXPECT_TRUE(panel.normalMap().empty());
}
