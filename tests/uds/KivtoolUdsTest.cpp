// kivtool uds download as a program against the virtual device's ECU.
#include "Simulator.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct ToolRun {
    int exitCode;
    std::string output;
};

class KivtoolUds : public testing::Test {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(kivtool()))
            GTEST_SKIP() << kivtool() << " is not built";
        std::ofstream(dir / "image.bin", std::ios::binary) << std::string(1000, '\x5A');
        std::ofstream(dir / "download.seq") << "header\n0,0,0,2,1003,50,\n0,0,0,2,2701,67,\n0,0,0,6,2702,67,\n"
                                               "0,0,0,6,34000401,74,\n0,0,0,0,36000401,76,\n0,0,0,1,37,77,\n";
        std::ofstream(dir / "KivPlus.ini") << "[KivPlusUDS]\nUdsNetworkAF=NORMAL\nUdsTransferSendId=7E0\n"
                                              "UdsTransferReceiveId=7E8\nUdsAllNodeSendId=7DF\nUdsVendor=0\n"
                                              "UdsCanChannel=0\nUdsFileCount=1\nUdsFileCount1="
                                           << (dir / "image.bin").string() << "\n";
    }

    ToolRun download(const std::string& timeout)
    {
        const std::string command = kivtool() + " uds download --port " + sim.path()
                                  + " --sequence " + (dir / "download.seq").string() + " --ini "
                                  + (dir / "KivPlus.ini").string() + " --timeout " + timeout + " 2>&1";
        ToolRun run{-1, {}};
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe)
            return run;
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe))
            run.output += buffer;
        const int status = pclose(pipe);
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return run;
    }

    static std::string kivtool() { return std::string(KIV_BINARY_DIR) + "/bin/kivtool"; }

    kivtest::TempDir dir;
    kivsim::Simulator sim;
};

TEST_F(KivtoolUds, DownloadCompletes)
{
    sim.ecu().setEnabled(true);
    const ToolRun run = download("20");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("download complete: 1000 data bytes transferred"), std::string::npos) << run.output;
    EXPECT_EQ(sim.ecu().downloaded(), std::vector<std::uint8_t>(1000, 0x5A));
}

TEST_F(KivtoolUds, SilentEcuEndsInTimeOut)
{
    const ToolRun run = download("0.5");
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("time-out after 0.5 s"), std::string::npos) << run.output;
}

} // namespace
