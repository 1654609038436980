// Saving and opening a key map file of full size: 90 Scenario keys of 50
// frames, four ignition keys of 10 frames and 100 progressive keys.
#include "keymap/KeyMapFile.h"
#include "keymap/KeyMapReader.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

namespace {

using namespace kivplus;

struct Lists {
    CKeyMap keyMap;
    CIgnition ignition;
    CProgressive progressive;
    CPanelLayout panel;
    KeyMapLists refs() { return {keyMap, ignition, progressive, panel}; }
};

tKeyFrame frame(int i)
{
    tKeyFrame f;
    f.canCh = "1";
    f.messageName = "Message" + std::to_string(i);
    f.periodicInterval = "0";
    f.messageId = "0x" + std::to_string(100 + i % 1000);
    f.messageFormat = "Standard";
    f.messageLength = "8";
    f.messageData = "01 02 03 04 05 06 07 08";
    f.canFrameDelay = "10";
    return f;
}

void fill(Lists& lists)
{
    for (int k = 10; k <= 99; ++k) {
        tKeyEntry e;
        e.type = KEY_TYPE_SCENARIO;
        e.name = std::to_string(k);
        for (int i = 0; i < 50; ++i)
            e.frames.push_back(frame(i));
        lists.keyMap.appendEntry(e);
    }
    for (int k = 0; k < 4; ++k) {
        tKeyEntry e;
        e.type = KEY_TYPE_SCENARIO;
        e.name = std::to_string(k);
        for (int i = 0; i < 10; ++i)
            e.frames.push_back(frame(i));
        lists.ignition.appendEntry(e);
    }
    for (int k = 0; k < 100; ++k) {
        tKeyEntry e;
        e.type = KEY_TYPE_PROGRESSIVE;
        e.name = std::to_string(k);
        tKeyFrame f = frame(k);
        f.periodicInterval = "100";
        f.signalName = "Signal";
        f.startByte = std::to_string(k % 8);
        f.startBit = "7";
        f.signalLength = "8";
        f.signalEndian = "Motorola";
        f.progressiveMin = "0";
        f.progressiveMax = "FF";
        f.progressiveStep = "1";
        e.frames.push_back(f);
        lists.progressive.appendEntry(e);
    }
}

std::string benchPath()
{
    const std::string name = "keymap_bench_" + std::to_string(::getpid()) + ".kiv";
    return (std::filesystem::temp_directory_path() / name).string();
}

void BM_SaveKeyMapFile(benchmark::State& state)
{
    Lists lists;
    fill(lists);
    const std::string path = benchPath();
    for (auto _ : state)
        benchmark::DoNotOptimize(saveKeyMapFile(path, lists.refs(), {}, {}));
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveKeyMapFile)->Unit(benchmark::kMillisecond);

void BM_LoadKeyMapFile(benchmark::State& state)
{
    Lists lists;
    fill(lists);
    const std::string path = benchPath();
    saveKeyMapFile(path, lists.refs(), {}, {});
    for (auto _ : state) {
        Lists back;
        const KeyMapReadResult result = readKeyMapFile(path, DeviceMode::Configuration, back.refs());
        if (result.code != kKeyMapReadOk)
            state.SkipWithError(result.shownText().c_str());
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadKeyMapFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
