#include "TestPaths.h"
#include "TraceTestSupport.h"
#include "trace/AutoLogFile.h"
#include "trace/CTraceLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace kivplus;
using tracetest::makeRecord;
using tracetest::readFile;

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> filesIn(const fs::path& folder)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

long linesIn(const fs::path& file)
{
    const std::string text = readFile(file);
    return long(std::count(text.begin(), text.end(), '\n'));
}

CTraceData numbered(int i)
{
    return makeRecord("0000:00:01.000000", "Rx", "1", "N", "0x" + std::to_string(i), "0", "");
}

TEST(AutoLogFile, Names)
{
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 0;
    t.tm_mday = 2;
    t.tm_hour = 3;
    t.tm_min = 4;
    t.tm_sec = 5;
    EXPECT_EQ(runFolderName("/logs", t), "/logs/20260102_030405");
    EXPECT_EQ(autoLogFileName("/logs/run", t, 1), "/logs/run/KIVLog_030405.kl");
    EXPECT_EQ(autoLogFileName("/logs/run", t, 3), "/logs/run/KIVLog_030405_3.kl");
}

TEST(AutoLogFile, FilesInTheSameSecondGetDistinctNames)
{
    kivtest::TempDir dir;
    AutoLogFile a, b;
    ASSERT_TRUE(a.open(dir.path() / "base"));
    const std::string first = a.path();
    // A second log of the same run folder: both files opened now.
    ASSERT_TRUE(b.open(dir.path() / "base"));
    ASSERT_TRUE(a.open(dir.path() / "base"));
    EXPECT_NE(a.path(), first);
    EXPECT_EQ(fs::path(a.path()).parent_path(), fs::path(first).parent_path());
    a.close();
    b.close();
    EXPECT_EQ(filesIn(dir.path()).size(), 3u);
}

TEST(LiveLog, WritesBlocksOfTenAndTheRestOnClose)
{
    kivtest::TempDir dir;
    CTraceLog log;
    log.setBaseFolder(dir.path() / "nested" / "logs");
    log.allocate(100, false);
    for (int i = 0; i < 9; ++i)
        log.addAndLog(numbered(i));
    EXPECT_TRUE(log.runFolder().empty());
    log.addAndLog(numbered(9));
    ASSERT_FALSE(log.runFolder().empty());
    EXPECT_EQ(fs::path(log.runFolder()).parent_path(), dir.path() / "nested" / "logs");
    const fs::path first = log.autoLogPath();
    EXPECT_EQ(linesIn(first), 10);   // flushed with the block
    for (int i = 10; i < 23; ++i)
        log.addAndLog(numbered(i));
    EXPECT_EQ(linesIn(first), 20);
    EXPECT_EQ(log.writtenCount(), 20);

    // Roll-over: the rest is written, the next file starts with the next ten records.
    log.allocate(100, false);
    EXPECT_EQ(linesIn(first), 23);
    EXPECT_EQ(readFile(first).substr(0, 32), "0000:00:01.000000,Rx,1,N,0x0,0,,");
    for (int i = 0; i < 10; ++i)
        log.addAndLog(numbered(100 + i));
    EXPECT_NE(fs::path(log.autoLogPath()), first);
    EXPECT_EQ(fs::path(log.autoLogPath()).parent_path(), first.parent_path());
    log.close();
    EXPECT_EQ(filesIn(dir.path()).size(), 2u);
}

TEST(LiveLog, FileThatCannotBeCreatedIsReportedOnceAndTracingGoesOn)
{
    kivtest::TempDir dir;
    tracetest::writeFile(dir / "plain", "a file, not a folder");
    CTraceLog log;
    log.setBaseFolder(dir / "plain");
    std::vector<std::string> reports;
    log.setAutoLogFailureHandler([&](const std::string& path) { reports.push_back(path); });
    log.allocate(100, false);
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 25; ++i)
            log.addAndLog(numbered(i));
        EXPECT_EQ(log.count(), 25);
        log.allocate(100, false);
    }
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_EQ(filesIn(dir.path()).size(), 1u);
}

} // namespace
