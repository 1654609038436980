#include "TestPaths.h"
#include "TraceTestSupport.h"
#include "trace/LogFileCommands.h"
#include "trace/TraceTexts.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kivplus;
using tracetest::makeRecord;
using tracetest::writeFile;

namespace {

class FakeSendWindow : public SendLogWindow {
public:
    CTraceView& traceView() override { return view; }
    void resetScrollOffset() override { calls += "scroll;"; }
    void applyFilters() override
    {
        calls += "apply;";
        view.rebuild();
    }
    void showLoadedLog() override { calls += "show;"; }
    void refreshPage() override { calls += "refresh;"; }
    CTraceView view;
    std::string calls;
};

TEST(OpenLogCommand, LoadsTheFileIntoTheSendLog)
{
    kivtest::TempDir dir;
    writeFile(dir / "a.KL", "0000:00:01.000000,Rx,1,N,0x1,0,,n,\n0000:00:02.000000,Tx,2,N,0x2,0,,n,\n");
    ScriptedPrompt prompt;
    prompt.files = {dir / "a.KL"};
    CTraceLog sendLog;
    FakeSendWindow window;
    EXPECT_EQ(openLogCommand(prompt, sendLog, window), 1);
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(window.calls, "scroll;apply;show;refresh;");
    EXPECT_EQ(sendLog.count(), 2);
    EXPECT_TRUE(sendLog.hasExtras());
    EXPECT_EQ(window.view.itemCount(), 2);
    EXPECT_EQ(window.view.groupCount(), 2);
    EXPECT_EQ(prompt.busyDepth, 0);
}

TEST(OpenLogCommand, RefusesAndReportsFailures)
{
    kivtest::TempDir dir;
    ScriptedPrompt prompt;
    prompt.files = {dir / "a.txt", dir / "missing.asc", ""};
    CTraceLog sendLog;
    FakeSendWindow window;
    EXPECT_EQ(openLogCommand(prompt, sendLog, window), 0);
    EXPECT_EQ(openLogCommand(prompt, sendLog, window), 0);
    EXPECT_EQ(openLogCommand(prompt, sendLog, window), 0);   // cancelled
    EXPECT_EQ(prompt.texts(), (std::vector<std::string>{tracetext::kChooseLogFormat, tracetext::kLogReadFailed}));
    EXPECT_FALSE(sendLog.hasRecords());
    EXPECT_FALSE(window.view.hasItems());
}

TEST(SaveAsLogCommand, SavesInTheChosenFormat)
{
    kivtest::TempDir dir;
    CTraceLog log;
    log.allocate(10, false);
    log.add(makeRecord("0000:00:01.000000", "Rx", "1", "N", "0x1", "0", ""));
    ScriptedPrompt prompt;
    prompt.files = {dir / "plain", dir / "b.doc", dir / "c.csv"};
    EXPECT_EQ(saveAsLogCommand(prompt, log), 1);
    EXPECT_TRUE(std::filesystem::exists(dir / "plain.kl"));
    EXPECT_EQ(saveAsLogCommand(prompt, log), 0);
    EXPECT_EQ(prompt.texts(), std::vector<std::string>{tracetext::kChooseLogFormat});
    EXPECT_EQ(saveAsLogCommand(prompt, log), 1);
    EXPECT_EQ(tracetest::readFile(dir / "c.csv").substr(0, 30), "Vehicle Spy 3 Bus Traffic File");
}

} // namespace
