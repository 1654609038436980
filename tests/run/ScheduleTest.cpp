// The schedule of a pass: frame times from the delays, periodic repetitions,
// stop frames, and the order of a repetition due with a frame.
#include "run/Schedule.h"

#include "RunTestSupport.h"

#include <gtest/gtest.h>

using namespace kivplus;
using runtest::frame;
using runtest::key;
using runtest::stopFrame;

namespace {

using Events = std::vector<tSendEvent>;

TEST(BuildSchedule, PassesOfTheSpecification)
{
    struct Case {
        const char* what;
        tKeyEntry key;
        Events events;
    } const cases[] = {
        {"delays 100, 200, 0",
         key("10", KEY_TYPE_SCENARIO,
             {frame(0, "0x1", "01", "100"), frame(1, "0x2", "02", "200"), frame(2, "0x3", "03", "0")}),
         {{0, 0}, {100, 1}, {300, 2}, {300, 3}}},
        {"periodic frame ended by a stop frame",
         key("11", KEY_TYPE_SCENARIO, {frame(0, "0x1", "01", "120", "50"), stopFrame(1, 0), frame(2, "0x3", "03", "0")}),
         {{0, 0}, {50, 0}, {100, 0}, {120, 1}, {120, 2}, {120, 3}}},
        {"a repetition due with a frame goes first",
         key("12", KEY_TYPE_SCENARIO, {frame(0, "0x1", "01", "100", "50"), frame(1, "0x2", "02", "0")}),
         {{0, 0}, {50, 0}, {100, 0}, {100, 1}, {100, 2}}},
        {"repetitions end with the pass",
         key("13", KEY_TYPE_SCENARIO, {frame(0, "0x1", "01", "25", "10")}),
         {{0, 0}, {10, 0}, {20, 0}, {25, 1}}},
        {"a negative interval repeats nothing",
         key("14", KEY_TYPE_SCENARIO, {frame(0, "0x1", "01", "30", "-5")}),
         {{0, 0}, {30, 1}}},
        {"no frames", key("15", KEY_TYPE_SCENARIO, {}), {{0, 0}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(buildSchedule(c.key).events, c.events) << c.what;
}

TEST(BuildSchedule, RepetitionsInForceAtTheEndContinue)
{
    const tSchedule schedule = buildSchedule(key(
        "1", KEY_TYPE_SCENARIO,
        {frame(0, "0x1", "01", "0", "100"), frame(1, "0x2", "02", "30", "40"), frame(2, "0x3", "03", "0")}));
    ASSERT_EQ(schedule.continuing.size(), 2u);
    EXPECT_EQ(schedule.continuing[0].frameIndex, 1);
    EXPECT_EQ(schedule.continuing[0].dueTime, 40);
    EXPECT_EQ(schedule.continuing[1].frameIndex, 0);
    EXPECT_EQ(schedule.continuing[1].dueTime, 100);
}

TEST(RunTable, OrdersByDueTimeAfterEqualOnes)
{
    CRunTable table;
    table.insert({1, 50, 0}, false);
    table.insert({2, 20, 0}, false);
    table.insert({3, 50, 0}, false);
    table.insert({4, 90, 0}, true);
    table.removeByIndex(2);
    std::vector<int> order;
    while (auto item = table.popFront())
        order.push_back(item->frameIndex);
    EXPECT_EQ(order, (std::vector<int>{4, 1, 3}));
    EXPECT_TRUE(table.isEmpty());
}

} // namespace
