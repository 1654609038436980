// kivtool device: the device work of the window from a shell (version check,
// Get/Set KeyMap, device settings, firmware and boot-loader update). It prints
// what the window would show and exits 0 on success, 1 on failure.
#include "Command.h"
#include "ConsolePrompt.h"

#include "keymap/KeyMapFile.h"
#include "keymap/KeyMapLists.h"
#include "keymap/KeyMapTexts.h"
#include "keymap/KeyMapTransfer.h"
#include "platform/UserPrompt.h"
#include "shell/DeviceSession.h"
#include "shell/DeviceSettings.h"
#include "shell/FirmwareUpdate.h"
#include "shell/ModeAnnouncer.h"
#include "shell/SessionTexts.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

using kivplus::UserPrompt;
using kivtool::ConsolePrompt;

constexpr const char* kUsage =
    "device --port PATH [--yes|--no] version | get-keymap -o FILE.kiv | set-keymap FILE.kiv | settings get | "
    "settings set --can1 TYPE:RATE --can2 TYPE:RATE | firmware FILE.bin|FILE.bl   (TYPE: single, dual-high, dual-low)";

const char* const kWireNames[] = {"single", "dual-high", "dual-low"};

std::optional<kivplus::ChannelSetting> parseChannel(const std::string& text)
{
    const auto colon = text.find(':');
    if (colon == std::string::npos)
        return std::nullopt;
    kivplus::ChannelSetting channel;
    const std::string type = text.substr(0, colon);
    int wire = -1;
    for (int i = 0; i < 3; ++i) {
        if (type == kWireNames[i])
            wire = i;
    }
    char* end = nullptr;
    const std::string rate = text.substr(colon + 1);
    const unsigned long value = std::strtoul(rate.c_str(), &end, 10);
    const bool known = std::find(kivplus::kBitRates.begin(), kivplus::kBitRates.end(), value) != kivplus::kBitRates.end();
    if (wire < 0 || rate.empty() || *end != '\0' || !known)
        return std::nullopt;
    channel.wireType = wire;
    channel.bitRate = static_cast<std::uint32_t>(value);
    return channel;
}

void printSettings(const kivplus::DeviceSettings& settings)
{
    for (int i = 0; i < 2; ++i) {
        const auto& channel = settings.channels[static_cast<std::size_t>(i)];
        std::printf("CAN %d: %s:%u\n", i + 1, kWireNames[channel.wireType], channel.bitRate);
    }
}

int runSettings(kivplus::DeviceSession& session, kivplus::ModeAnnouncer& announcer, kivtool::Args& args)
{
    if (args.empty())
        return 2;
    const std::string verb = args.front();
    args.erase(args.begin());
    kivplus::DeviceSettings settings;
    if (verb == "get") {
        if (!args.empty())
            return 2;
        if (!kivplus::readDeviceSettings(session, &announcer, settings))
            return 1;
        printSettings(settings);
        return 0;
    }
    if (verb != "set")
        return 2;
    std::string can[2];
    const bool have1 = kivtool::takeOption(args, "--can1", can[0]);
    const bool have2 = kivtool::takeOption(args, "--can2", can[1]);
    if (!args.empty() || (!have1 && !have2))
        return 2;
    // A channel not named keeps what the device holds.
    if ((!have1 || !have2) && !kivplus::readDeviceSettings(session, &announcer, settings))
        return 1;
    for (int i = 0; i < 2; ++i) {
        if (can[i].empty())
            continue;
        const auto channel = parseChannel(can[i]);
        if (!channel) {
            std::fprintf(stderr, "kivtool device: --can%d wants TYPE:RATE, e.g. dual-high:500000\n", i + 1);
            return 2;
        }
        auto& target = settings.channels[static_cast<std::size_t>(i)];
        target = *channel;
        kivplus::applyAllowedCombination(target);
        if (target.bitRate != channel->bitRate)
            std::fprintf(stderr, "kivtool device: CAN %d: %s allows no %u bit/s; using %u\n", i + 1,
                         kWireNames[target.wireType], channel->bitRate, target.bitRate);
    }
    if (!kivplus::writeDeviceSettings(session, &announcer, settings))
        return 1;
    printSettings(settings);
    return 0;
}

int runKeyMap(kivplus::DeviceSession& session, kivplus::ModeAnnouncer& announcer, const std::string& verb,
              kivtool::Args& args)
{
    kivplus::CKeyMap keyMap;
    kivplus::CIgnition ignition;
    kivplus::CProgressive progressive;
    kivplus::CPanelLayout panel;
    const kivplus::KeyMapLists lists{keyMap, ignition, progressive, panel};
    kivplus::ChannelDatabaseNames names;
    kivplus::KeyMapTransfer transfer(session, keyMap, ignition, progressive);
    transfer.setModeAnnouncer(&announcer);
    transfer.setDatabases(nullptr, &names);

    if (verb == "get-keymap") {
        std::string output;
        if (!kivtool::takeOption(args, "-o", output) || !args.empty())
            return 2;
        if (!transfer.getKeyMapFromDevice())
            return 1;
        if (!kivplus::saveKeyMapFile(output, lists, names)) {
            session.prompt().error(kivplus::keymaptext::kSaveFailed);
            return 1;
        }
        std::printf("%s: %d keys, %d ignition keys, %d progressive keys\n", output.c_str(), keyMap.count(),
                    ignition.count(), progressive.count());
        return 0;
    }
    if (args.size() != 1)
        return 2;
    if (!kivplus::loadKeyMapFile(args.front(), kivplus::DeviceMode::Configuration, lists, names, nullptr,
                                 session.prompt()))
        return 1;
    return transfer.setKeyMapOnDevice() ? 0 : 1;
}

int runDevice(const kivtool::Args& arguments)
{
    kivtool::Args args = arguments;
    std::string port;
    const bool yes = kivtool::takeFlag(args, "--yes");
    kivtool::takeFlag(args, "--no");
    if (!kivtool::takeOption(args, "--port", port) || args.empty()) {
        std::fprintf(stderr, "usage: kivtool %s\n", kUsage);
        return 2;
    }
    const std::string verb = args.front();
    args.erase(args.begin());

    ConsolePrompt prompt(yes ? UserPrompt::Answer::Yes : UserPrompt::Answer::No);
    kivplus::DeviceSession session(prompt);
    if (!session.connect(port)) {
        std::fprintf(stderr, "kivtool device: cannot open %s\n", port.c_str());
        return 1;
    }
    // What the window does after connecting in Configuration Mode.
    kivplus::TimeSync().send(session);
    kivplus::ModeAnnouncer announcer(session);
    announcer.setMode(kivplus::DeviceMode::Configuration);
    announcer.start();

    int result = 2;
    if (verb == "version") {
        announcer.stop();
        const int version = args.empty() ? session.checkFirmwareVersion(false) : -1;
        if (version == kivplus::VERSION_SUPPORTED) {
            std::printf("KIV-2xx %s\n", kivplus::supportedVersionText().c_str());
            result = 0;
        } else if (version == kivplus::VERSION_NO_ANSWER) {
            prompt.information(kivplus::sessiontext::kConnectFailed);
            result = 1;
        } else if (version == kivplus::VERSION_UNSUPPORTED) {
            prompt.information(kivplus::keymaptext::format(kivplus::sessiontext::kWrongVersion,
                                                           {kivplus::supportedVersionText()}));
            result = 1;
        }
    } else if (verb == "get-keymap" || verb == "set-keymap") {
        result = runKeyMap(session, announcer, verb, args);
    } else if (verb == "settings") {
        result = runSettings(session, announcer, args);
    } else if (verb == "firmware" && args.size() == 1) {
        announcer.stop();
        result = kivplus::updateDeviceImage(session, args.front()) ? 0 : 1;
        announcer.start();
    }
    announcer.stop();
    session.disconnect();
    if (result == 2)
        std::fprintf(stderr, "usage: kivtool %s\n", kUsage);
    return result;
}

kivtool::Registration reg({"device", kUsage, &runDevice});

} // namespace
