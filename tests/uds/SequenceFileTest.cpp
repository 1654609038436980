// Sequence file parsing: fields, counting rules, and lines that are not steps.
#include "uds/SequenceFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

namespace {

const std::string kHeader = "F,E,AE,LEN,REQ,RSP,DATA\n";

kiv::tUdsStep onlyStep(const std::string& line)
{
    std::vector<kiv::tUdsStep> steps;
    std::string error;
    EXPECT_TRUE(kiv::parseSequenceText(kHeader + line, steps, error)) << error;
    EXPECT_EQ(steps.size(), 1u);
    return steps.empty() ? kiv::tUdsStep{} : steps.front();
}

TEST(SequenceFile, StepFields)
{
    const kiv::tUdsStep step = onlyStep("0,0,0,3,22F190,62,F190\n");
    EXPECT_EQ(step.functional, 0);
    EXPECT_EQ(step.dataLength, 3);
    EXPECT_EQ(Bytes(step.request, step.request + 3), (Bytes{0x22, 0xF1, 0x90}));
    EXPECT_EQ(step.request[3], 0);
    EXPECT_EQ(step.expectedService, 0x62);
    EXPECT_EQ(Bytes(step.expected, step.expected + 3), (Bytes{0xF1, 0x90, 0x00}));
}

TEST(SequenceFile, FieldRules)
{
    struct Case {
        const char* line;
        kiv::tUdsStep step;
    };
    const Case cases[] = {
        {"1,1,4A,2,3E00,,\n", {1, 1, 0x4A, 2, {0x3E, 0x00}, kiv::kNoResponseExpected, {}}},
        {"0,0,0,2,1003,\r\n", {0, 0, 0, 2, {0x10, 0x03}, kiv::kNoResponseExpected, {}}},
        {"0, 0, 0, 2, 2701, 67\r\n", {0, 0, 0, 2, {0x27, 0x01, 0x00}, 0x67, {}}},
        {"0,0,0,6,34000401,74", {0, 0, 0, 6, {0x34, 0x00, 0x04, 0x01}, 0x74, {}}},
        {"0,0,0,1,3Z,77,\n", {0, 0, 0, 1, {0x30}, 0x77, {}}},
        {"0,0,0,123,0102030405060708090A,71,01020304050607080910\n",
         {0, 0, 0, 0x23, {1, 2, 3, 4, 5, 6, 7, 8}, 0x71, {1, 2, 3, 4, 5, 6, 7, 8}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const kiv::tUdsStep step = onlyStep(c.line);
        EXPECT_EQ(step.functional, c.step.functional);
        EXPECT_EQ(step.extension, c.step.extension);
        EXPECT_EQ(step.addressExtension, c.step.addressExtension);
        EXPECT_EQ(step.dataLength, c.step.dataLength);
        EXPECT_EQ(Bytes(step.request, step.request + 8), Bytes(c.step.request, c.step.request + 8));
        EXPECT_EQ(step.expectedService, c.step.expectedService);
        EXPECT_EQ(Bytes(step.expected, step.expected + 8), Bytes(c.step.expected, c.step.expected + 8));
    }
}

TEST(SequenceFile, FilesWithoutSteps)
{
    const std::string files[] = {
        "",
        "0,0,0,3,22F190,62,F190\n",     // a header only
        kHeader + "0,0,0\n",             // a line too short to be a step
        kHeader + "\n\n1234567\n",
    };
    for (const auto& text : files) {
        std::vector<kiv::tUdsStep> steps;
        std::string error;
        EXPECT_FALSE(kiv::parseSequenceText(text, steps, error)) << text;
        EXPECT_EQ(error, "the sequence holds no step");
    }
}

TEST(SequenceFile, StepLineWithoutAllFieldsIsRejected)
{
    for (const char* line : {"0,0,0,3,22F190\n", "0,0,0,0003\n", "10030000000"}) {
        std::vector<kiv::tUdsStep> steps;
        std::string error;
        EXPECT_FALSE(kiv::parseSequenceText(kHeader + "0,0,0,2,1003,50\n" + line, steps, error)) << line;
        EXPECT_NE(error.find("line 3"), std::string::npos) << error;
        EXPECT_TRUE(steps.empty());
    }
}

TEST(SequenceFile, ShortLinesAreSkippedBetweenSteps)
{
    std::vector<kiv::tUdsStep> steps;
    std::string error;
    ASSERT_TRUE(kiv::parseSequenceText(kHeader + "0,0,0,2,1003,50\n\n#\n0,0,0,1,37,77\n", steps, error));
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[1].request[0], 0x37);
}

TEST(SequenceFile, MissingFileFails)
{
    std::vector<kiv::tUdsStep> steps;
    std::string error;
    EXPECT_FALSE(kiv::loadSequenceFile("/nonexistent/sequence.txt", steps, error));
    EXPECT_FALSE(kiv::loadSequenceFile(nullptr, steps, error));
}

} // namespace
