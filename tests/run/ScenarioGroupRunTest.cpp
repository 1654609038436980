// The scenario group runner: keys played in order as managed runs, repeating
// the group, stopping it, and what it reports.
#include "run/CScenarioGroupRun.h"

#include "keymap/CKeyMap.h"
#include "keymap/CScenarioGroup.h"

#include "RunTestSupport.h"

#include <gtest/gtest.h>

using namespace kivplus;
using namespace runtest;
using namespace std::chrono_literals;

namespace {

class ScenarioGroupRunTest : public testing::Test {
protected:
    void SetUp() override
    {
        link.confirmer = &keyRunner;
        keyMap.appendEntry(key("12", KEY_TYPE_SCENARIO, {frame(0, "0x12", "01", "10"), frame(1, "0x13", "02", "0")}));
        keyMap.appendEntry(key("15", KEY_TYPE_SCENARIO, {frame(0, "0x15", "03", "20")}));
        QObject::connect(&notifier, &RunNotifier::groupStarted, [this] { ++groupStarts; });
        QObject::connect(&notifier, &RunNotifier::groupEnded, [this] { ++groupEnds; });
    }

    void addItem(const std::string& keyNumber, const std::string& count, const std::string& minutes)
    {
        tScenarioGroupItem item;
        item.keyNumber = keyNumber;
        item.runCount = count;
        item.runTimeText = minutes;
        group.addItem(item);
    }

    std::vector<int> tags() const
    {
        std::vector<int> out;
        for (const SentFrame& f : link.sent())
            out.push_back(f.tag);
        return out;
    }

    FakeLink link;
    RunNotifier notifier;
    RunEnvironment environment{link, notifier};
    CKeyMapRun keyRunner{environment};
    CKeyMap keyMap;
    CScenarioGroup group;
    CScenarioGroupRun groupRunner{environment, keyRunner, keyMap};
    std::atomic<int> groupStarts{0};
    std::atomic<int> groupEnds{0};
};

TEST_F(ScenarioGroupRunTest, PlaysEachKeyItsRunCountInOrder)
{
    addItem("12", "3", "0");
    addItem("15", "1", "0");
    addItem("77", "1", "0"); // no such key: skipped
    ASSERT_TRUE(groupRunner.loadGroup(group));
    ASSERT_EQ(groupRunner.itemCount(), 3);
    ASSERT_TRUE(groupRunner.startGroup());
    EXPECT_EQ(groupStarts, 1);
    EXPECT_FALSE(groupRunner.loadGroup(group));
    ASSERT_TRUE(eventually([&] { return !groupRunner.groupRunning(); }, 5000ms));
    groupRunner.joinGroup();
    EXPECT_EQ(tags(), (std::vector<int>{12, 12, 12, 12, 12, 12, 15}));
    EXPECT_EQ(keyRunner.copyOf("12")->runnerStatus.managedRun, 1);
    EXPECT_EQ(keyRunner.copyOf("12")->runnerStatus.passCount, 3);
    EXPECT_EQ(groupRunner.item(0)->itemFlag, 0);
    EXPECT_FALSE(groupRunner.item(3));
    EXPECT_EQ(groupEnds, 1);
}

TEST_F(ScenarioGroupRunTest, RepeatsUntilStopped)
{
    addItem("15", "1", "0");
    groupRunner.loadGroup(group);
    groupRunner.setGroupRepeat(true);
    groupRunner.startGroup();
    ASSERT_TRUE(eventually([&] { return link.sent().size() >= 2; }));
    EXPECT_EQ(groupRunner.item(0)->itemFlag, 1);
    groupRunner.stopGroup();
    groupRunner.joinGroup();
    EXPECT_FALSE(groupRunner.groupRunning());
    EXPECT_EQ(keyRunner.isKeyRunning("15"), 0);
    EXPECT_EQ(groupRunner.item(0)->itemFlag, 0);
    EXPECT_TRUE(groupRunner.clearGroup());
    EXPECT_EQ(groupRunner.itemCount(), 0);
}

TEST_F(ScenarioGroupRunTest, KeyRunTimeIsInMinutes)
{
    environment.minuteMilliseconds = 50;
    addItem("15", "0", "2");
    groupRunner.loadGroup(group);
    const auto start = std::chrono::steady_clock::now();
    groupRunner.startGroup();
    ASSERT_TRUE(eventually([&] { return !groupRunner.groupRunning(); }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);
    // 20 ms passes: the fifth ends at 100 ms, unless the machine made it late.
    EXPECT_GE(link.sent().size(), 1u);
    EXPECT_LE(link.sent().size(), 5u);
}

} // namespace
