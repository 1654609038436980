// kivtool sim as a separate program: the first line names the pty, the
// device answers there, and SIGTERM ends it with status 0.
#include "kiv/KIV.h"
#include "kiv/KIVMessages.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <iterator>
#include <vector>

extern char** environ;

using namespace KIVCommon;
using namespace std::chrono_literals;

namespace {

// Reads one line from fd, waiting at most timeout.
std::string readLine(int fd, std::chrono::milliseconds timeout)
{
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0)
            continue;
        char c;
        if (read(fd, &c, 1) != 1 || c == '\n')
            break;
        line += c;
    }
    return line;
}

TEST(KivtoolSim, PrintsItsPtyAnswersAndEndsOnSigterm)
{
    const std::filesystem::path kivtool = std::filesystem::path(KIV_BINARY_DIR) / "bin" / "kivtool";
    if (!std::filesystem::exists(kivtool))
        GTEST_SKIP() << "kivtool is not built: " << kivtool;
    kivtest::TempDir dir;
    const std::string transcript = (dir / "transcript.txt").string();

    int out[2];
    ASSERT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string program = kivtool.string();
    std::vector<std::string> words{program, "sim", "--version", "1.31", "--transcript", transcript};
    std::vector<char*> argv;
    for (auto& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);

    const std::string line = readLine(out[0], 30000ms);
    close(out[0]);
    ASSERT_EQ(line.rfind("pty: /dev/pts/", 0), 0u) << line;

    CKIV* kiv = CKIV::getInstance();
    ASSERT_EQ(kiv->connectUSB(line.substr(5).c_str()), 0);
    const unsigned char check[] = {MSG_VERSION_CHECK, 0x00, 0x01, 0x00};
    ASSERT_EQ(kiv->sendKIVMessage(check, 4), 0);
    const auto deadline = std::chrono::steady_clock::now() + 3000ms;
    while (kiv->isMessageStoreEmpty(MESSAGE_STORE_RESPONSE) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    const tKIVNGMessageData answer = kiv->getRecievedMessage(MESSAGE_STORE_RESPONSE);
    EXPECT_EQ(answer.frameBytes[0], 0xFE);
    EXPECT_EQ(answer.frameBytes[3], 1);
    EXPECT_EQ(answer.frameBytes[4], 31);
    EXPECT_EQ(kiv->esDisconnectUSB(), 0);

    ASSERT_EQ(kill(pid, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    std::ifstream in(transcript);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("pc->dev CE 1 00"), std::string::npos) << text;
    EXPECT_NE(text.find("dev->pc FE 2 01 1F"), std::string::npos) << text;
}

} // namespace
