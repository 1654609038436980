// The key map reader fed arbitrary bytes as a file, in both device modes.
#include "keymap/KeyMapReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
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
