// Import time of every third-party database and signal decodes per second.
//   build/default/bin/database_bench [--benchmark_filter=...]
#include "database/CMsgSignal.h"
#include "database/SignalCodec.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kTestdata = fs::path(KIV_BENCH_SOURCE_DIR) / ".." / "shared" / "testdata";

void importFile(benchmark::State& state, const fs::path& path)
{
    const std::string extension = path.extension().string().substr(1);
    std::size_t messages = 0;
    for (auto _ : state) {
        kivplus::CMsgSignal database;
        if (!database.loadDatabase(path.string(), extension)) {
            state.SkipWithError(database.lastError().c_str());
            return;
        }
        messages = database.messageCount();
        benchmark::DoNotOptimize(database.messages.data());
    }
    state.counters["messages"] = static_cast<double>(messages);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(path)));
}

void decodeText(benchmark::State& state)
{
    const bool motorola = state.range(0) == 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            kivplus::decodeSignal(" 12 34 56 78 9A BC DE F0", 1, 4, 12, "SNM", motorola ? 0 : 1));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(decodeText)->Arg(0)->Arg(1)->ArgName("intel");

void decodeBytes(benchmark::State& state)
{
    const std::uint8_t data[8] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};
    const bool motorola = state.range(0) == 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(kivplus::extractRaw(data, sizeof data, 1, 4, 12, motorola ? 0 : 1));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(decodeBytes)->Arg(0)->Arg(1)->ArgName("intel");

void encodeText(benchmark::State& state)
{
    for (auto _ : state) {
        std::string bits;
        benchmark::DoNotOptimize(kivplus::encodeSignal(4, 1, 12, 0, "SNM", "-1000", 8, bits));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(encodeText);

} // namespace

int main(int argc, char** argv)
{
    std::vector<fs::path> files;
    for (const char* kind : {"dbc", "arxml"}) {
        const fs::path folder = kTestdata / kind;
        if (!fs::is_directory(folder))
            continue;
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            const std::string ext = entry.path().extension().string();
            if (entry.is_regular_file() && ext != ".json")
                files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    for (const auto& path : files) {
        benchmark::RegisterBenchmark(("import/" + path.filename().string()).c_str(),
                                     [path](benchmark::State& state) { importFile(state, path); })
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
