// kivtool trace: traces a connected KIV-2xx in Interface Mode through the
// application's own pipeline (live log, automatic log files, message names from
// the channel databases). Prints the frame count every second and, at the end
// (--seconds, SIGINT or SIGTERM), the totals with every place a frame was lost.
#include "Command.h"
#include "ConsolePrompt.h"

#include "database/CMsgSignal.h"
#include "shell/DeviceSession.h"
#include "shell/ModeAnnouncer.h"
#include "trace/AutoLogFile.h"
#include "trace/DatabaseMessageNamer.h"
#include "trace/TracePipeline.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
using Count = unsigned long long;

constexpr const char* kUsage = "trace --port PATH [--seconds N] [--log-folder DIR] [--db1 FILE] [--db2 FILE]";

// A DBC or ARXML database for one channel; null and a message on failure.
std::unique_ptr<kivplus::CMsgSignal> loadDatabase(const std::string& option, const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    if (!extension.empty())
        extension.erase(0, 1);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension != "dbc" && extension != "arxml") {
        std::fprintf(stderr, "kivtool trace: %s wants a .dbc or .arxml file\n", option.c_str());
        return nullptr;
    }
    auto database = std::make_unique<kivplus::CMsgSignal>();
    if (!database->loadDatabase(path, extension)) {
        std::fprintf(stderr, "kivtool trace: cannot load %s: %s\n", path.c_str(), database->lastError().c_str());
        return nullptr;
    }
    return database;
}

// Waits until the deadline or a stop signal; true on the signal.
bool stopSignalBefore(const sigset_t& signals, Clock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        timespec timeout{static_cast<std::time_t>(left.count() / 1000000000),
                         static_cast<long>(left.count() % 1000000000)};
        if (sigtimedwait(&signals, nullptr, &timeout) > 0)
            return true;
        if (errno != EINTR && errno != EAGAIN)
            return false;
    }
}

int runTrace(const kivtool::Args& arguments)
{
    kivtool::Args args = arguments;
    std::string port, secondsText, folder, db1Path, db2Path;
    kivtool::takeOption(args, "--port", port);
    const bool haveSeconds = kivtool::takeOption(args, "--seconds", secondsText);
    kivtool::takeOption(args, "--log-folder", folder);
    const bool haveDb1 = kivtool::takeOption(args, "--db1", db1Path);
    const bool haveDb2 = kivtool::takeOption(args, "--db2", db2Path);
    if (!args.empty() || port.empty()) {
        std::fprintf(stderr, "usage: kivtool %s\n", kUsage);
        return 2;
    }
    double seconds = 0;
    if (haveSeconds) {
        char* end = nullptr;
        seconds = std::strtod(secondsText.c_str(), &end);
        if (secondsText.empty() || *end != '\0' || !(seconds > 0)) {
            std::fprintf(stderr, "kivtool trace: --seconds wants a positive number\n");
            return 2;
        }
    }
    std::unique_ptr<kivplus::CMsgSignal> databases[2];
    if ((haveDb1 && !(databases[0] = loadDatabase("--db1", db1Path))) ||
        (haveDb2 && !(databases[1] = loadDatabase("--db2", db2Path))))
        return 1;

    // The stop signals are taken by sigtimedwait; every thread started from
    // here on inherits the block.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    kivtool::ConsolePrompt prompt;
    kivplus::DeviceSession session(prompt);
    kivplus::DatabaseMessageNamer namer;
    namer.setDatabase(0, databases[0].get());
    namer.setDatabase(1, databases[1].get());
    kivplus::TracePipeline pipeline(&namer);
    pipeline.liveLog().setBaseFolder(folder);
    pipeline.liveLog().setAutoLogFailureHandler([](const std::string& path) {
        std::fprintf(stderr, "kivtool trace: cannot create the automatic log file %s; tracing goes on\n",
                     path.c_str());
    });

    if (!session.connect(port)) {
        std::fprintf(stderr, "kivtool trace: cannot connect to %s\n", port.c_str());
        return 1;
    }
    kivplus::TimeSync().send(session);
    kivplus::ModeAnnouncer announcer(session);
    announcer.setMode(kivplus::DeviceMode::Interface);
    announcer.start();
    pipeline.startTracing();
    session.attachTrace(&pipeline);
    if (!session.startReceiveThread()) {
        std::fprintf(stderr, "kivtool trace: cannot start the receive thread\n");
        return 1;
    }
    std::printf("tracing %s in Interface Mode, automatic log files in %s\n", port.c_str(),
                folder.empty() ? kivplus::defaultLogFolder().c_str() : folder.c_str());
    std::fflush(stdout);

    const auto start = Clock::now();
    bool deviceLost = false;
    for (int second = 1;; ++second) {
        if (stopSignalBefore(stopSignals, start + std::chrono::seconds(second)))
            break;
        std::printf("%d s: %llu frames\n", second, Count(session.traceHandOver().reported));
        std::fflush(stdout);
        if (!session.isConnected()) {
            deviceLost = true;
            std::fprintf(stderr, "kivtool trace: the device is no longer connected\n");
            break;
        }
        if (haveSeconds && second >= seconds)
            break;
    }

    session.stopReceiveThread();
    announcer.stop();
    session.attachTrace(nullptr);
    pipeline.stopTracing();
    const Count leftQueued = pipeline.queue().count();
    pipeline.shutdown();
    session.disconnect();

    const kivplus::DeviceSession::TraceHandOver handOver = session.traceHandOver();
    const Count logged = pipeline.recordsLogged();
    const Count notConverted = pipeline.framesDropped() - pipeline.framesUnposted();
    const Count dropped = handOver.tooLong + handOver.noTrace + notConverted + leftQueued;
    const std::string& runFolder = pipeline.liveLog().runFolder();
    std::printf("frames received: %llu\n", Count(handOver.reported));
    std::printf("records logged: %llu (automatic log files in %s)\n", logged,
                runFolder.empty() ? "no folder, nothing was logged" : runFolder.c_str());
    std::printf("frames dropped: %llu\n", dropped);
    std::printf("  dispatch, record too long for a trace event: %llu\n", Count(handOver.tooLong));
    std::printf("  dispatch, no trace conversion thread: %llu\n", Count(handOver.noTrace));
    std::printf("  conversion, tracing off or DLC above 8: %llu\n", notConverted);
    std::printf("  distribution, left in the queue: %llu\n", leftQueued);
    if (handOver.reported != logged + dropped)
        std::printf("  unaccounted: %lld\n", static_cast<long long>(handOver.reported - logged - dropped));
    return deviceLost ? 1 : 0;
}

kivtool::Registration reg({"trace", kUsage, &runTrace});

} // namespace
