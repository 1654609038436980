// The key map reader fed arbitrary bytes as a file, in both device modes.
#include "keymap/KeyMapReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

const std::string& inputPath()
{
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("keymap_fuzz_" + std::to_string(::getpid()) + ".kiv")).string();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kivplus;
    // Registered once the path exists, so it runs before the path goes away.
    static const bool removeAtExit = inputPath().empty() || std::atexit([] { std::remove(inputPath().c_str()); }) == 0;
    (void)removeAtExit;
    FILE* file = std::fopen(inputPath().c_str(), "wb");
    if (!file)
        return 0;
    if (size > 0)
        std::fwrite(data, 1, size, file);
    std::fclose(file);
    for (DeviceMode mode : {DeviceMode::Interface, DeviceMode::Configuration}) {
        CKeyMap keyMap;
        CIgnition ignition;
        CProgressive progressive;
        CPanelLayout panel;
        readKeyMapFile(inputPath(), mode, {keyMap, ignition, progressive, panel});
        readDatabaseNames(inputPath());
    }
    return 0;
}
