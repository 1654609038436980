// kivtool sim: a virtual KIV-2xx on a pseudo-terminal until SIGINT or SIGTERM.
#include "Command.h"

#include "Simulator.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace {

bool parseNumber(const std::string& text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && end && *end == '\0';
}

int runSim(const kivtool::Args& arguments)
{
    kivtool::Args args = arguments;
    std::string versionText, rateText, dlcText, transcript;
    const bool haveVersion = kivtool::takeOption(args, "--version", versionText);
    const bool loopback = kivtool::takeFlag(args, "--loopback");
    const bool haveRate = kivtool::takeOption(args, "--rate", rateText);
    const bool haveDlc = kivtool::takeOption(args, "--dlc", dlcText);
    const bool haveTranscript = kivtool::takeOption(args, "--transcript", transcript);
    const bool ecu = kivtool::takeFlag(args, "--ecu");
    std::string ecuVendorText;
    const bool haveEcuVendor = kivtool::takeOption(args, "--ecu-vendor", ecuVendorText);
    if (!args.empty()) {
        std::fprintf(stderr, "kivtool sim: unexpected argument '%s'\n", args.front().c_str());
        return 2;
    }

    kivsim::FirmwareVersion version;
    if (haveVersion) {
        const auto parsed = kivsim::parseFirmwareVersion(versionText);
        if (!parsed) {
            std::fprintf(stderr, "kivtool sim: --version wants MAJOR.MINOR, e.g. 1.30\n");
            return 2;
        }
        version = *parsed;
    }
    double rate = 0;
    if (haveRate && (!parseNumber(rateText, rate) || rate < 0)) {
        std::fprintf(stderr, "kivtool sim: --rate wants frames per second\n");
        return 2;
    }
    double dlc = 8;
    if (haveDlc && (!parseNumber(dlcText, dlc) || dlc < 0 || dlc > 8 || dlc != static_cast<int>(dlc))) {
        std::fprintf(stderr, "kivtool sim: --dlc wants 0 to 8\n");
        return 2;
    }

    double ecuVendor = 0;
    if (haveEcuVendor && (!parseNumber(ecuVendorText, ecuVendor) || ecuVendor != static_cast<int>(ecuVendor))) {
        std::fprintf(stderr, "kivtool sim: --ecu-vendor wants 0 (block offsets) or 1 (block counters)\n");
        return 2;
    }

    // The signals are taken by sigwait below; every thread started from here
    // on inherits the block.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        kivsim::Simulator sim;
        if (haveTranscript && !sim.device().openTranscript(transcript)) {
            std::fprintf(stderr, "kivtool sim: cannot write %s\n", transcript.c_str());
            return 1;
        }
        sim.version().setVersion(version);
        sim.can().setLoopback(loopback);
        kivsim::EcuConfig ecuConfig;
        ecuConfig.vendor = static_cast<int>(ecuVendor);
        sim.ecu().configure(ecuConfig);
        sim.ecu().setEnabled(ecu);
        std::printf("pty: %s\n", sim.path().c_str());
        std::fflush(stdout);
        if (rate > 0)
            sim.traffic().start({rate, static_cast<std::uint8_t>(dlc), 3});

        int signal = 0;
        sigwait(&stopSignals, &signal);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kivtool sim: %s\n", error.what());
        return 1;
    }
    return 0;
}

kivtool::Registration reg({"sim", "sim [--version 1.30] [--loopback] [--rate FRAMES_PER_S] [--dlc N] [--transcript FILE] "
                           "[--ecu [--ecu-vendor 0|1]]",
                           &runSim});

} // namespace
