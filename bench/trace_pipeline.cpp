// The trace pipeline without a device: reported frames posted as the session's
// dispatch posts them, converted, distributed every 50 ms into the live log
// (automatic log files) and three trace views. Prints the flood rate with its
// loss check and the CPU used at a steady 20 000 frames/s.
#include "TraceBenchSupport.h"
#include "trace/TracePipeline.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

namespace {

std::unique_ptr<kivplus::sTraceEvent> event(std::uint32_t n)
{
    auto e = std::make_unique<kivplus::sTraceEvent>();
    e->eventKind = kivplus::sTraceEvent::Received;
    std::uint8_t* b = e->eventBytes;
    const std::uint32_t id = 0x100 + n % 2000;
    const std::uint64_t micros = 1000000 + std::uint64_t(n) * 50;
    const std::uint32_t millis = std::uint32_t(micros / 1000);
    const std::uint32_t tick = 120000 - std::uint32_t(micros % 1000) * 120;
    *b++ = 0;
    *b++ = 8;
    *b++ = std::uint8_t(id >> 8);
    *b++ = std::uint8_t(id);
    for (int i = 0; i < 8; ++i)
        *b++ = std::uint8_t(n >> (i % 4 * 8));
    *b++ = std::uint8_t(n % 2);
    for (int i = 3; i >= 0; --i)
        *b++ = std::uint8_t(millis >> (8 * i));
    for (int i = 3; i >= 0; --i)
        *b++ = std::uint8_t(tick >> (8 * i));
    return e;
}

struct Rig {
    std::filesystem::path folder;
    kivplus::TracePipeline pipeline;
    tracebench::BenchWindow all{0}, can1{1}, can2{2};
    explicit Rig(const std::string& name) : folder(std::filesystem::temp_directory_path() / name)
    {
        std::filesystem::remove_all(folder);
        pipeline.liveLog().setBaseFolder(folder.string());
        pipeline.setTraceWindow(kivplus::TracePipeline::CanAll, &all);
        pipeline.setTraceWindow(kivplus::TracePipeline::Can1, &can1);
        pipeline.setTraceWindow(kivplus::TracePipeline::Can2, &can2);
        pipeline.startTracing();
    }
    void waitFor(std::uint64_t n)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (pipeline.recordsLogged() < n && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
};

} // namespace

int main(int argc, char** argv)
{
    const std::uint32_t flood = argc > 1 ? std::uint32_t(std::stoul(argv[1])) : 1000000;
    const int seconds = argc > 2 ? std::stoi(argv[2]) : 5;

    {
        Rig rig("kivbench-pipeline-flood");
        const auto start = std::chrono::steady_clock::now();
        for (std::uint32_t n = 0; n < flood; ++n)
            rig.pipeline.postEvent(event(n));
        const double posted = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        rig.waitFor(flood);
        const double done = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        rig.pipeline.shutdown();
        const long lines = tracebench::linesIn(rig.folder);
        std::printf("flood: %u frames posted in %.3f s, all logged after %.3f s: %.0f frames/s\n", flood, posted, done,
                    flood / done);
        std::printf("       posted %u, logged %llu, dropped %llu, lines in automatic log files %ld, roll-overs %llu\n",
                    flood, (unsigned long long)rig.pipeline.recordsLogged(),
                    (unsigned long long)rig.pipeline.framesDropped(), lines,
                    (unsigned long long)rig.pipeline.rollOvers());
        std::filesystem::remove_all(rig.folder);
    }
    {
        Rig rig("kivbench-pipeline-steady");
        constexpr int kRate = 20000;
        const double cpuBefore = tracebench::cpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        std::uint32_t n = 0;
        for (int tick = 0; tick < seconds * 1000; ++tick) {
            for (int i = 0; i < kRate / 1000; ++i)
                rig.pipeline.postEvent(event(n++));
            std::this_thread::sleep_until(start + std::chrono::milliseconds(tick + 1));
        }
        rig.waitFor(n);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = tracebench::cpuSeconds() - cpuBefore;
        rig.pipeline.shutdown();
        std::printf("steady %d frames/s for %d s: CPU %.3f s over %.3f s = %.1f%% of one core "
                    "(posting thread included); logged %llu of %u\n",
                    kRate, seconds, cpu, wall, 100 * cpu / wall, (unsigned long long)rig.pipeline.recordsLogged(), n);
        std::filesystem::remove_all(rig.folder);
    }
    return 0;
}
