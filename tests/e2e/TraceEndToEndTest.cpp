// The trace road against the virtual device generating traffic on both
// channels: every frame it sent is a record of the live log and a line of the
// automatic log files, named from the database of its channel. Once through the
// session and the pipeline in this process, once through kivtool trace.
#include "SessionFixture.h"
#include "TestPaths.h"

#include "database/CMsgSignal.h"
#include "trace/DatabaseMessageNamer.h"
#include "trace/TracePipeline.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace kivplus;
using namespace std::chrono_literals;

namespace {

// The generator sends 0x100 on CAN 1 and 0x101 on CAN 2; each channel's
// database also names the other channel's identifier, which must not be used.
constexpr const char* kCan1Dbc = "VERSION \"\"\n\nBU_: ECU\n\n"
                                 "BO_ 256 EngineStatus: 8 ECU\n SG_ Counter : 0|32@1+ (1,0) [0|0] \"\" ECU\n\n"
                                 "BO_ 257 NotOnCan1: 8 ECU\n";
constexpr const char* kCan2Dbc = "VERSION \"\"\n\nBU_: ECU\n\n"
                                 "BO_ 257 BodyStatus: 8 ECU\n SG_ Counter : 0|32@1+ (1,0) [0|0] \"\" ECU\n\n"
                                 "BO_ 256 NotOnCan2: 8 ECU\n";

std::string writeFile(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

// Lines of every automatic log file under folder, and how many name a
// message other than the one of their channel.
struct LoggedLines {
    std::uint64_t lines = 0;
    std::uint64_t misnamed = 0;
};

LoggedLines loggedLines(const std::filesystem::path& folder)
{
    LoggedLines result;
    if (!std::filesystem::exists(folder))
        return result;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            ++result.lines;
            const bool can1 = line.find(",Rx,1,N,0x100,8,") != std::string::npos && line.find(",EngineStatus,") != std::string::npos;
            const bool can2 = line.find(",Rx,2,N,0x101,8,") != std::string::npos && line.find(",BodyStatus,") != std::string::npos;
            if (!can1 && !can2)
                ++result.misnamed;
        }
    }
    return result;
}

template <typename Done>
bool waitUntil(Done done, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    return done();
}

class TraceEndToEnd : public sessiontest::SessionFixture {
protected:
    kivtest::TempDir dir;
};

TEST_F(TraceEndToEnd, EveryFrameSentIsLoggedAndNamedFromItsChannel)
{
    CMsgSignal can1, can2;
    ASSERT_TRUE(can1.importDbcBytes(kCan1Dbc)) << can1.lastError();
    ASSERT_TRUE(can2.importDbcBytes(kCan2Dbc)) << can2.lastError();
    DatabaseMessageNamer namer;
    namer.setDatabase(0, &can1);
    namer.setDatabase(1, &can2);
    TracePipeline pipeline(&namer);
    pipeline.liveLog().setBaseFolder((dir / "logs").string());
    pipeline.startTracing();
    session.attachTrace(&pipeline);
    ASSERT_TRUE(session.startReceiveThread());

    sim->traffic().start({4000, 8, 3});
    std::this_thread::sleep_for(1s);
    sim->traffic().stop();
    const std::uint64_t sent = sim->traffic().sent();
    EXPECT_EQ(sim->traffic().unsent(), 0u);
    EXPECT_TRUE(waitUntil([&] { return pipeline.recordsLogged() >= sent; }, 5s))
        << pipeline.recordsLogged() << " of " << sent;
    session.stopReceiveThread();
    session.attachTrace(nullptr);
    pipeline.stopTracing();

    ASSERT_GT(sent, 1000u);
    const CTraceLog& log = pipeline.liveLog();
    ASSERT_EQ(std::uint64_t(log.count()), sent);
    int outOfOrder = 0;
    for (int i = 0; i < log.count(); ++i) {
        const CTraceData& r = log.recordAt(i);
        char expected[16];
        std::snprintf(expected, sizeof expected, "%02X %02X %02X %02X", i >> 24 & 0xFF, i >> 16 & 0xFF, i >> 8 & 0xFF,
                      i & 0xFF);
        if (std::string(r.dataText, 11) != expected || std::string(r.channel) != (i % 2 ? "2" : "1"))
            ++outOfOrder;
    }
    EXPECT_EQ(outOfOrder, 0) << "running numbers and channels in the order sent";
    EXPECT_STREQ(log.recordAt(0).messageName, "EngineStatus");
    EXPECT_STREQ(log.recordAt(1).messageName, "BodyStatus");

    pipeline.shutdown();
    const LoggedLines lines = loggedLines(dir / "logs");
    EXPECT_EQ(lines.lines, sent);
    EXPECT_EQ(lines.misnamed, 0u);
    const DeviceSession::TraceHandOver handOver = session.traceHandOver();
    EXPECT_EQ(handOver.reported, sent);
    EXPECT_EQ(handOver.handedOver, sent);
}

// Reads what the program writes until it closes its end.
std::string readUntilClosed(int fd, std::chrono::milliseconds timeout)
{
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0)
            continue;
        char buffer[512];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        text.append(buffer, std::size_t(n));
    }
    return text;
}

std::uint64_t numberAfter(const std::string& text, const std::string& label)
{
    const auto at = text.find(label);
    return at == std::string::npos ? ~0ull : std::stoull(text.substr(at + label.size()));
}

TEST(KivtoolTrace, TracesUntilSigintAndAccountsForEveryFrame)
{
    const std::filesystem::path kivtool = std::filesystem::path(KIV_BINARY_DIR) / "bin" / "kivtool";
    if (!std::filesystem::exists(kivtool))
        GTEST_SKIP() << "kivtool is not built: " << kivtool;
    kivtest::TempDir dir;
    kivsim::Simulator sim;

    int out[2];
    ASSERT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<std::string> words{kivtool.string(), "trace", "--port", sim.path(),
                                   "--log-folder", (dir / "logs").string(),
                                   "--db1", writeFile(dir / "can1.dbc", kCan1Dbc),
                                   "--db2", writeFile(dir / "can2.dbc", kCan2Dbc)};
    std::vector<char*> argv;
    for (auto& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);

    // Traffic once the program traces: its first line says so.
    std::string output;
    ASSERT_TRUE(waitUntil(
        [&] {
            output += readUntilClosed(out[0], 20ms);
            return output.find('\n') != std::string::npos;
        },
        5s));
    EXPECT_EQ(output.rfind("tracing " + sim.path() + " in Interface Mode", 0), 0u) << output;
    sim.traffic().start({2000, 8, 3});
    std::this_thread::sleep_for(1s);
    sim.traffic().stop();
    const std::uint64_t sent = sim.traffic().sent();
    ASSERT_TRUE(waitUntil(
        [&] {
            output += readUntilClosed(out[0], 20ms);
            return output.find(" s: " + std::to_string(sent) + " frames\n") != std::string::npos;
        },
        5s))
        << output;

    ASSERT_EQ(kill(pid, SIGINT), 0);
    output += readUntilClosed(out[0], 10s);
    close(out[0]);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    EXPECT_EQ(numberAfter(output, "frames received: "), sent) << output;
    EXPECT_EQ(numberAfter(output, "records logged: "), sent) << output;
    EXPECT_EQ(numberAfter(output, "frames dropped: "), 0u) << output;
    const LoggedLines lines = loggedLines(dir / "logs");
    EXPECT_EQ(lines.lines, sent);
    EXPECT_EQ(lines.misnamed, 0u);
}

} // namespace
