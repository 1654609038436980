// The whole trace road with the virtual device flooding both channels: the
// library's receive thread, the session's dispatch, conversion with names from
// a small database per channel, distribution every 50 ms into the live log
// (automatic log files) and three trace views.
//
// The virtual device runs in a child process, so the CPU figures are those of
// the application side alone (the device's own are printed beside them). A rate
// counts as lossless when frames sent = records in the live log = lines in the
// automatic log files, and the device kept its rate: a pseudo-terminal that is
// not read away slows the device down, where a real bus would lose the frames.
// The dispatch column (frames the session took from the library's event store)
// tells where a loss happened: in the library before it, or in the trace after.
//
// Usage: trace_end_to_end [SECONDS_PER_RATE] [MAX_RATE]
#include "TraceBenchSupport.h"

#include "database/CMsgSignal.h"
#include "platform/UserPrompt.h"
#include "shell/DeviceSession.h"
#include "trace/DatabaseMessageNamer.h"
#include "trace/TracePipeline.h"

#include "Simulator.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

using namespace std::chrono_literals;

namespace {

constexpr const char* kCan1Dbc = "VERSION \"\"\n\nBU_: ECU\n\nBO_ 256 EngineStatus: 8 ECU\n"
                                 " SG_ Counter : 0|32@1+ (1,0) [0|0] \"\" ECU\n";
constexpr const char* kCan2Dbc = "VERSION \"\"\n\nBU_: ECU\n\nBO_ 257 BodyStatus: 8 ECU\n"
                                 " SG_ Counter : 0|32@1+ (1,0) [0|0] \"\" ECU\n";

struct DeviceReport {
    std::uint64_t sent = 0;
    std::uint64_t unsent = 0;
};

struct Result {
    double rate = 0;
    double seconds = 0;
    DeviceReport device;
    std::uint64_t dispatched = 0;
    std::uint64_t logged = 0;
    long lines = 0;
    double wall = 0;        // from the first frame until every frame was logged
    double cpu = 0;         // application side
    double deviceCpu = 0;   // the virtual device's process
    double achieved() const { return double(device.sent) / seconds; }
    bool keptRate() const { return achieved() >= 0.99 * rate; }
    bool lossless() const
    {
        return keptRate() && device.unsent == 0 && device.sent > 0 && logged == device.sent &&
               std::uint64_t(lines) == logged;
    }
};

bool readAll(int fd, void* data, std::size_t size)
{
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = read(fd, bytes, size);
        if (n <= 0)
            return false;
        bytes += n;
        size -= std::size_t(n);
    }
    return true;
}

// The child: a virtual device that names its pty, floods on 'g' for the given
// time, reports what it sent, and ends on 'q' (or when the parent is gone).
[[noreturn]] void runDevice(int commands, int replies, double rate, double seconds)
{
    {
        kivsim::Simulator sim;
        const std::string path = sim.path() + "\n";
        if (write(replies, path.data(), path.size()) != ssize_t(path.size()))
            _exit(1);
        char command = 0;
        if (readAll(commands, &command, 1) && command == 'g') {
            sim.traffic().start({rate, 8, 3});
            std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
            sim.traffic().stop();
            const DeviceReport report{sim.traffic().sent(), sim.traffic().unsent()};
            if (write(replies, &report, sizeof report) != ssize_t(sizeof report))
                _exit(1);
            readAll(commands, &command, 1);
        }
    }
    _exit(0);
}

class Rig {
public:
    Rig()
    {
        can1_.importDbcBytes(kCan1Dbc);
        can2_.importDbcBytes(kCan2Dbc);
        namer_.setDatabase(0, &can1_);
        namer_.setDatabase(1, &can2_);
    }

    Result measure(double rate, double seconds)
    {
        int commands[2], replies[2];
        if (pipe(commands) != 0 || pipe(replies) != 0) {
            std::perror("pipe");
            std::exit(1);
        }
        const pid_t child = fork();
        if (child == 0) {
            close(commands[1]);
            close(replies[0]);
            runDevice(commands[0], replies[1], rate, seconds);
        }
        close(commands[0]);
        close(replies[1]);
        std::string path;
        for (char c = 0; readAll(replies[0], &c, 1) && c != '\n';)
            path += c;

        Result result = trace(path, commands[1], replies[0]);
        result.rate = rate;
        result.seconds = seconds;

        const char quit = 'q';
        if (write(commands[1], &quit, 1) != 1)
            std::perror("write");
        close(commands[1]);
        close(replies[0]);
        const double deviceCpuBefore = tracebench::cpuSeconds(RUSAGE_CHILDREN);
        waitpid(child, nullptr, 0);
        result.deviceCpu = tracebench::cpuSeconds(RUSAGE_CHILDREN) - deviceCpuBefore;
        return result;
    }

private:
    Result trace(const std::string& path, int commands, int replies)
    {
        const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kivbench-trace-end-to-end";
        std::filesystem::remove_all(folder);
        Result result;
        kivplus::ScriptedPrompt prompt;
        kivplus::DeviceSession session(prompt, CKIV::getInstance(), false);
        kivplus::TracePipeline pipeline(&namer_);
        tracebench::BenchWindow all{0}, can1{1}, can2{2};
        pipeline.setTraceWindow(kivplus::TracePipeline::CanAll, &all);
        pipeline.setTraceWindow(kivplus::TracePipeline::Can1, &can1);
        pipeline.setTraceWindow(kivplus::TracePipeline::Can2, &can2);
        pipeline.liveLog().setBaseFolder(folder.string());
        if (!session.connect(path)) {
            std::fprintf(stderr, "cannot connect to %s\n", path.c_str());
            std::exit(1);
        }
        pipeline.startTracing();
        session.attachTrace(&pipeline);
        session.startReceiveThread();

        const double cpuBefore = tracebench::cpuSeconds();
        const tracebench::Stopwatch clock;
        const char go = 'g';
        if (write(commands, &go, 1) != 1 || !readAll(replies, &result.device, sizeof result.device)) {
            std::fprintf(stderr, "the virtual device did not report\n");
            std::exit(1);
        }
        // Every frame logged, or no progress for a second.
        std::uint64_t seen = pipeline.recordsLogged();
        auto lastProgress = std::chrono::steady_clock::now();
        while (pipeline.recordsLogged() < result.device.sent &&
               std::chrono::steady_clock::now() - lastProgress < 1s) {
            std::this_thread::sleep_for(5ms);
            if (pipeline.recordsLogged() != seen) {
                seen = pipeline.recordsLogged();
                lastProgress = std::chrono::steady_clock::now();
            }
        }
        result.wall = clock.seconds();
        result.cpu = tracebench::cpuSeconds() - cpuBefore;

        session.stopReceiveThread();
        session.attachTrace(nullptr);
        pipeline.shutdown();
        session.disconnect();
        result.dispatched = session.traceHandOver().reported;
        result.logged = pipeline.recordsLogged();
        result.lines = tracebench::linesIn(folder);
        std::filesystem::remove_all(folder);
        return result;
    }

    kivplus::CMsgSignal can1_, can2_;
    kivplus::DatabaseMessageNamer namer_;
};

void print(const Result& r)
{
    std::printf("%9.0f %9.0f %10llu %10llu %10llu %10llu %7.2f %9.1f%% %9.1f%%  %s\n", r.rate, r.achieved(),
                (unsigned long long)r.device.sent, (unsigned long long)r.dispatched, (unsigned long long)r.logged,
                (unsigned long long)r.lines, r.wall, 100 * r.cpu / r.wall, 100 * r.deviceCpu / r.wall,
                r.lossless() ? "no loss" : !r.keptRate() ? "device slowed" : "LOSS");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    const double maxRate = argc > 2 ? std::atof(argv[2]) : 320000;
    Rig rig;

    std::printf("both channels, DLC 8, %.1f s per rate; CPU in %% of one core over the wall time\n", seconds);
    std::printf("%9s %9s %10s %10s %10s %10s %7s %10s %10s\n", "rate/s", "sent/s", "sent", "dispatch", "live log",
                "log lines", "wall s", "app CPU", "device CPU");
    double good = 0, bad = 0;
    for (double rate = 5000; rate <= maxRate; rate *= 2) {
        const Result r = rig.measure(rate, seconds);
        print(r);
        if (!r.lossless()) {
            bad = rate;
            break;
        }
        good = rate;
    }
    // Narrow the step between the last lossless rate and the first loss.
    for (int step = 0; bad > 0 && good > 0 && step < 3; ++step) {
        const double rate = (good + bad) / 2;
        const Result r = rig.measure(rate, seconds);
        print(r);
        (r.lossless() ? good : bad) = rate;
    }
    if (bad > 0)
        std::printf("highest rate with zero loss: %.0f frames/s (loss from %.0f frames/s)\n", good, bad);
    else
        std::printf("highest rate with zero loss: at least %.0f frames/s (no loss up to the maximum asked)\n", good);

    const double steadySeconds = std::max(seconds, 5.0);
    const Result steady = rig.measure(20000, steadySeconds);
    std::printf("at 20000 frames/s for %.0f s: application side %.3f s CPU over %.2f s = %.1f%% of one core; "
                "virtual device %.1f%%; %s\n",
                steadySeconds, steady.cpu, steady.wall, 100 * steady.cpu / steady.wall,
                100 * steady.deviceCpu / steady.wall, steady.lossless() ? "no loss" : "LOSS");
    CKIV::getInstance()->vDeleteInstance();
    return 0;
}
