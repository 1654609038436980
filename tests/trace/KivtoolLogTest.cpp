#include "TestPaths.h"
#include "TraceTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int status;
    std::string output;
};

ToolRun kivtool(const std::string& args)
{
    const fs::path tool = fs::path(KIV_BINARY_DIR) / "bin" / "kivtool";
    ToolRun run{-1, {}};
    FILE* pipe = popen((tool.string() + " " + args + " 2>&1").c_str(), "r");
    if (!pipe)
        return run;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        run.output += buffer;
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(KivtoolLog, ConvertAndStats)
{
    if (!fs::exists(fs::path(KIV_BINARY_DIR) / "bin" / "kivtool"))
        GTEST_SKIP() << "kivtool is not built";
    kivtest::TempDir dir;
    tracetest::writeFile(dir / "in.kl", "0000:00:01.500000,Rx,1,N,0x7DF,1,02,n,\n"
                                        "0000:00:02.000000,Tx,2,Y,0x12345,0,,n,\n"
                                        "0000:00:03.250000,Rx,1,N,0x7DF,1,03,n,\n");
    const ToolRun convert = kivtool("log convert " + (dir / "in.kl").string() + " " + (dir / "out.Asc").string());
    EXPECT_EQ(convert.status, 0) << convert.output;
    EXPECT_NE(tracetest::readFile(dir / "out.Asc").find("   3.250000 1  7DF             Rx   d 1 03"),
              std::string::npos);

    const ToolRun stats = kivtool("log stats " + (dir / "out.Asc").string());
    EXPECT_EQ(stats.status, 0);
    EXPECT_NE(stats.output.find("records: 3\n"), std::string::npos) << stats.output;
    EXPECT_NE(stats.output.find("first: 0000:00:01.500000\nlast: 0000:00:03.250000\n"), std::string::npos);
    EXPECT_NE(stats.output.find("0x7DF        1       2\n"), std::string::npos) << stats.output;
    EXPECT_NE(stats.output.find("0x12345      2       1\n"), std::string::npos) << stats.output;

    const ToolRun missing = kivtool("log convert " + (dir / "none.kl").string() + " " + (dir / "x.kl").string());
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("cannot open"), std::string::npos);
    const ToolRun badOut = kivtool("log convert " + (dir / "in.kl").string() + " " + (dir / "x.txt").string());
    EXPECT_EQ(badOut.status, 1);
    EXPECT_FALSE(fs::exists(dir / "x.txt"));
}

} // namespace
