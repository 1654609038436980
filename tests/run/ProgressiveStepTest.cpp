// Steps of a progressive sweep, unsigned and signed, with and without
// reversing at the limits.
#include "run/ProgressiveSweep.h"

#include <gtest/gtest.h>

using namespace kivplus;

namespace {

tKeyFrame sweep(const std::string& value, const std::string& min, const std::string& max, const std::string& step,
                const std::string& type = "UNM", const std::string& length = "8")
{
    tKeyFrame frame;
    frame.sweepValue = value;
    frame.progressiveMin = min;
    frame.progressiveMax = max;
    frame.progressiveStep = step;
    frame.signalType = type;
    frame.signalLength = length;
    return frame;
}

// The values of count steps, and the direction after them.
std::pair<std::vector<std::string>, int> run(tKeyFrame frame, int direction, bool autoReverse, int count)
{
    std::vector<std::string> values;
    for (int i = 0; i < count; ++i) {
        const tSweepStep step = stepSweep(frame, direction, autoReverse);
        frame.sweepValue = step.value;
        direction = step.direction;
        values.push_back(step.value);
    }
    return {values, direction};
}

TEST(ProgressiveStep, Sweeps)
{
    using Values = std::vector<std::string>;
    struct Case {
        const char* what;
        tKeyFrame frame;
        int direction;
        bool autoReverse;
        Values values;
        int finalDirection;
    } const cases[] = {
        {"up to the maximum, then back down", sweep("F0", "0", "FF", "20"), DIRECTION_UP, true, {"FF", "DF", "BF"},
         DIRECTION_DOWN},
        {"up and staying at the maximum", sweep("F0", "0", "FF", "20"), DIRECTION_UP, false, {"FF", "FF"}, DIRECTION_UP},
        {"down below the minimum reverses", sweep("30", "10", "FF", "20"), DIRECTION_DOWN, true, {"10", "30"},
         DIRECTION_UP},
        {"down past zero stops at the minimum", sweep("5", "0", "FF", "8"), DIRECTION_DOWN, false, {"0", "0"},
         DIRECTION_DOWN},
        {"hold keeps the value", sweep("42", "0", "FF", "1"), DIRECTION_HOLD, true, {"42"}, DIRECTION_HOLD},
        {"unsigned wrap", sweep("FFFFFFFFFFFFFFFF", "0", "FFFFFFFFFFFFFFFF", "2", "UNM", "64"), DIRECTION_UP, false,
         {"FFFFFFFF"}, DIRECTION_UP},
        {"signed down to -64", sweep("0", "C0", "3F", "10", "SNM"), DIRECTION_DOWN, false, {"F0", "E0", "D0", "C0", "C0"},
         DIRECTION_DOWN},
        {"signed up from negative to the maximum", sweep("F0", "C0", "20", "18", "SNM"), DIRECTION_UP, true,
         {"8", "20", "8"}, DIRECTION_DOWN},
        {"signed negative step", sweep("0", "C0", "3F", "-10", "SNM"), DIRECTION_UP, false, {"F0"}, DIRECTION_UP},
    };
    for (const Case& c : cases) {
        const auto [values, direction] = run(c.frame, c.direction, c.autoReverse, static_cast<int>(c.values.size()));
        EXPECT_EQ(values, c.values) << c.what;
        EXPECT_EQ(direction, c.finalDirection) << c.what;
    }
}

TEST(ProgressiveStep, ReversalIsReportedOnce)
{
    tKeyFrame frame = sweep("F0", "0", "FF", "20");
    const tSweepStep first = stepSweep(frame, DIRECTION_UP, true);
    EXPECT_TRUE(first.reversed);
    frame.sweepValue = first.value;
    EXPECT_FALSE(stepSweep(frame, first.direction, true).reversed);
}

} // namespace
