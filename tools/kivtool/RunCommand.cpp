// kivtool run: plays a key (or a scenario group) of a key map file on a
// connected KIV-2xx in Interface Mode, printing the pass count once a second,
// until the given seconds are over, the run ends by itself, or SIGINT.
#include "Command.h"

#include "keymap/CScenarioGroup.h"
#include "keymap/KeyMapFile.h"
#include "keymap/KeyMapLists.h"
#include "platform/UserPrompt.h"
#include "run/CScenarioGroupRun.h"
#include "run/KeyRunners.h"
#include "run/ProgressiveSweep.h"
#include "run/RunEnvironment.h"
#include "run/RunNotifier.h"
#include "run/SessionRunLink.h"
#include "shell/DeviceSession.h"
#include "shell/ModeAnnouncer.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "run --port PATH --keymap FILE.kiv (--key NAME [--list keymap|ignition|progressive] "
    "[--direction up|down|hold] [--auto-reverse] | --group KEY:COUNT,KEY:tMINUTES,...) [--seconds N]";

class ConsolePrompt : public kivplus::UserPrompt {
public:
    void information(const std::string& text) override { std::printf("%s\n", text.c_str()); }
    void error(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    Answer question(const std::string& text) override
    {
        std::printf("%s [yes]\n", text.c_str());
        return Answer::Yes;
    }
    std::string chooseOpenFile(const std::string&, const std::string&) override { return {}; }
    std::string chooseSaveFile(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::string chooseFolder(const std::string&, const std::string&) override { return {}; }
    void setBusy(bool) override {}
};

// Counts the transmit reports of one sender kind on their way to its runner.
class CountingConfirmation : public kivplus::TransmitConfirmation {
public:
    explicit CountingConfirmation(kivplus::TransmitConfirmation& runner) : runner_(runner) {}
    void confirmFrame(const std::string& keyNumber) override
    {
        ++count;
        runner_.confirmFrame(keyNumber);
    }
    std::atomic<long> count{0};

private:
    kivplus::TransmitConfirmation& runner_;
};

// "12:3,15:t5": key 12 three times, key 15 for five minutes.
std::optional<std::vector<kivplus::tScenarioGroupItem>> parseGroup(const std::string& text)
{
    std::vector<kivplus::tScenarioGroupItem> items;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t comma = std::min(text.find(',', at), text.size());
        const std::string part = text.substr(at, comma - at);
        const std::size_t colon = part.find(':');
        if (colon == std::string::npos || colon == 0)
            return std::nullopt;
        std::string amount = part.substr(colon + 1);
        const bool minutes = !amount.empty() && amount.front() == 't';
        if (minutes)
            amount.erase(0, 1);
        char* end = nullptr;
        const long value = std::strtol(amount.c_str(), &end, 10);
        if (amount.empty() || *end != '\0' || value <= 0)
            return std::nullopt;
        kivplus::tScenarioGroupItem item;
        item.keyNumber = part.substr(0, colon);
        item.runCount = minutes ? "0" : std::to_string(value);
        item.runTimeText = minutes ? std::to_string(value) : "0";
        items.push_back(item);
        at = comma + 1;
    }
    return items;
}

int usage(const char* why)
{
    if (why)
        std::fprintf(stderr, "kivtool run: %s\n", why);
    std::fprintf(stderr, "usage: kivtool %s\n", kUsage);
    return 2;
}

int runRun(const kivtool::Args& arguments)
{
    kivtool::Args args = arguments;
    std::string port, keyMapPath, keyName, listName = "keymap", directionText = "hold", groupText, secondsText;
    const bool autoReverse = kivtool::takeFlag(args, "--auto-reverse");
    if (!kivtool::takeOption(args, "--port", port) || !kivtool::takeOption(args, "--keymap", keyMapPath))
        return usage("--port and --keymap are needed");
    const bool haveKey = kivtool::takeOption(args, "--key", keyName);
    const bool haveGroup = kivtool::takeOption(args, "--group", groupText);
    kivtool::takeOption(args, "--list", listName);
    kivtool::takeOption(args, "--direction", directionText);
    const bool haveSeconds = kivtool::takeOption(args, "--seconds", secondsText);
    if (!args.empty() || haveKey == haveGroup)
        return usage(args.empty() ? "give --key or --group" : "unexpected arguments");

    const int listIndex = listName == "keymap" ? 0 : listName == "ignition" ? 1 : listName == "progressive" ? 2 : -1;
    if (listIndex < 0)
        return usage("--list is keymap, ignition or progressive");
    const int direction = directionText == "up"     ? kivplus::DIRECTION_UP
                          : directionText == "down" ? kivplus::DIRECTION_DOWN
                          : directionText == "hold" ? kivplus::DIRECTION_HOLD
                                                    : -1;
    if (direction < 0)
        return usage("--direction is up, down or hold");
    long seconds = 0;
    if (haveSeconds) {
        char* end = nullptr;
        seconds = std::strtol(secondsText.c_str(), &end, 10);
        if (secondsText.empty() || *end != '\0' || seconds <= 0)
            return usage("--seconds wants a whole number above 0");
    }
    std::optional<std::vector<kivplus::tScenarioGroupItem>> groupItems;
    if (haveGroup && !(groupItems = parseGroup(groupText)))
        return usage("--group wants KEY:COUNT or KEY:tMINUTES items separated by commas");

    ConsolePrompt prompt;
    kivplus::CKeyMap keyMap;
    kivplus::CIgnition ignition;
    kivplus::CProgressive progressive;
    kivplus::CPanelLayout panel;
    kivplus::ChannelDatabaseNames names;
    if (!kivplus::loadKeyMapFile(keyMapPath, kivplus::DeviceMode::Interface, {keyMap, ignition, progressive, panel},
                                 names, nullptr, prompt))
        return 1;
    const kivplus::CKeyMap* lists[] = {&keyMap, &ignition, &progressive};
    const kivplus::tKeyEntry* entry = haveKey ? lists[listIndex]->findKey(keyName) : nullptr;
    if (haveKey && !entry) {
        std::fprintf(stderr, "kivtool run: no key %s in the %s list of %s\n", keyName.c_str(), listName.c_str(),
                     keyMapPath.c_str());
        return 1;
    }

    // SIGINT and SIGTERM are taken by the waits below; every thread started
    // from here on inherits the block.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    kivplus::DeviceSession session(prompt);
    if (!session.connect(port)) {
        std::fprintf(stderr, "kivtool run: cannot open %s\n", port.c_str());
        return 1;
    }
    // What the window does after connecting in Interface Mode.
    kivplus::TimeSync().send(session);
    kivplus::ModeAnnouncer announcer(session);
    announcer.setMode(kivplus::DeviceMode::Interface);
    announcer.start();
    session.startReceiveThread();

    kivplus::SessionRunLink link(session);
    kivplus::RunNotifier notifier;
    kivplus::RunEnvironment environment(link, notifier);
    int result = 0;
    {
        kivplus::KeyRunners runners(environment);
        CountingConfirmation counters[] = {CountingConfirmation(runners.keyMap), CountingConfirmation(runners.ignition),
                                           CountingConfirmation(runners.progressive)};
        for (int kind = 0; kind < 3; ++kind)
            session.transmitReports().setRunner(kind, &counters[kind]);
        kivplus::CScenarioGroupRun groupRunner(environment, runners.keyMap, keyMap);

        kivplus::CKeyMapRun* runner = runners.runnerForList(listIndex);
        std::string shownKey = keyName;
        if (haveKey) {
            runner->loadKey(*entry);
            if (listIndex == 2) {
                runner->setDirection(keyName, direction);
                runner->setAutoReverse(keyName, autoReverse);
            }
            runner->startKey(keyName);
        } else {
            kivplus::CScenarioGroup group;
            for (const auto& item : *groupItems)
                group.addItem(item);
            groupRunner.loadGroup(group);
            groupRunner.startGroup();
        }

        const auto passes = [&] {
            if (haveGroup)
                for (int i = 0; i < groupRunner.itemCount(); ++i)
                    if (const auto item = groupRunner.item(i); item && item->itemFlag)
                        shownKey = item->keyNumber;
            const auto copy = runner->copyOf(shownKey);
            return copy ? copy->runnerStatus.passCount.load() : 0;
        };
        const auto stillRunning = [&] { return haveGroup ? groupRunner.groupRunning() : runner->isKeyRunning(keyName); };
        for (long elapsed = 0; stillRunning() && session.isConnected() && (!haveSeconds || elapsed < seconds);
             ++elapsed) {
            const timespec oneSecond{1, 0};
            if (sigtimedwait(&stopSignals, nullptr, &oneSecond) > 0)
                break;
            std::printf("%lds key %s passes %d\n", elapsed + 1, shownKey.c_str(), passes());
            std::fflush(stdout);
        }
        groupRunner.stopGroup();
        runners.stopAndJoin();
        groupRunner.joinGroup();
        for (int kind = 0; kind < 3; ++kind)
            session.transmitReports().setRunner(kind, nullptr);
        long confirmed = 0;
        for (const CountingConfirmation& counter : counters)
            confirmed += counter.count.load();
        std::printf("passes: %d\nframes confirmed: %ld\n", passes(), confirmed);
        if (!session.isConnected())
            result = 1;
    }
    announcer.stop();
    session.stopReceiveThread();
    session.disconnect();
    return result;
}

kivtool::Registration reg({"run", kUsage, &runRun});

} // namespace
