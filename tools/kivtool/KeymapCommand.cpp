// kivtool keymap: check and dump key map files.
#include "Command.h"
#include "KeymapJson.h"

#include "keymap/KeyMapReader.h"

#include <cstdio>

namespace {

using namespace kivplus;

constexpr const char* kUsage = "keymap check|dump FILE [--mode interface|configuration]";

int usage()
{
    std::fprintf(stderr, "usage: kivtool %s\n", kUsage);
    return 2;
}

int runKeymap(const kivtool::Args& arguments)
{
    kivtool::Args args = arguments;
    std::string modeText = "configuration";
    kivtool::takeOption(args, "--mode", modeText);
    DeviceMode mode;
    if (modeText == "interface")
        mode = DeviceMode::Interface;
    else if (modeText == "configuration")
        mode = DeviceMode::Configuration;
    else
        return usage();
    if (args.size() != 2 || (args[0] != "check" && args[0] != "dump"))
        return usage();
    const std::string& path = args[1];

    CKeyMap keyMap;
    CIgnition ignition;
    CProgressive progressive;
    CPanelLayout panel;
    const KeyMapLists lists{keyMap, ignition, progressive, panel};
    const KeyMapReadResult result = readKeyMapFile(path, mode, lists);

    if (args[0] == "check") {
        std::printf("%d\n", result.code);
        if (result.code != kKeyMapReadOk)
            std::printf("%s\n", result.shownText().c_str());
        return result.code == kKeyMapReadOk ? 0 : 1;
    }
    if (result.code != kKeyMapReadOk) {
        std::fprintf(stderr, "%d\n%s\n", result.code, result.shownText().c_str());
        return 1;
    }
    std::fputs(kivtool::keyMapToJson(lists, readDatabaseNames(path)).c_str(), stdout);
    return 0;
}

kivtool::Registration reg({"keymap", kUsage, &runKeymap});

} // namespace
