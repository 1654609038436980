// kivtool uds download: runs a UDS download through the library with the
// parameters of the INI file's "KivPlusUDS" section and reports its steps.
#include "Command.h"
#include "ConsolePrompt.h"

#include "kiv/KIV.h"
#include "kiv/KIVCanRecord.h"
#include "kiv/KIVMessages.h"
#include "shell/DeviceSession.h"
#include "shell/UdsParameters.h"
#include "uds/SequenceFile.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

using namespace KIVCommon;

namespace {

constexpr std::uint8_t kTransferData = 0x36;
constexpr std::uint8_t kNegativeResponse = 0x7F;
constexpr std::uint8_t kResponsePending = 0x78;

std::string hexBytes(const std::uint8_t* bytes, std::size_t count)
{
    std::string text;
    char byte[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(byte, sizeof byte, i ? " %02X" : "%02X", bytes[i]);
        text += byte;
    }
    return text;
}

void printSteps(const std::vector<kiv::tUdsStep>& steps)
{
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const auto& step = steps[i];
        std::printf("step %zu: service %02X, length %u", i + 1, step.request[0], step.dataLength);
        if (step.expectedService != kiv::kNoResponseExpected)
            std::printf(", awaits %02X", step.expectedService);
        std::printf("\n");
    }
}

// Follows the download through the records the session's receive thread
// hands it: response records and the reports of the request frames sent.
class DownloadMonitor {
public:
    DownloadMonitor(const tUDSInformation& info, const std::vector<kiv::tUdsStep>& steps)
    {
        // Transfer data carries a block counter, or the block offset in as
        // many bytes as its step says.
        for (const auto& step : steps)
            if (step.request[0] == kTransferData) {
                mTransferHeader = info.vendor != 0 ? 2 : 2 + std::size_t(step.request[2]);
                break;
            }
    }

    // One record from the session (on its receive thread).
    void observe(const tKIVNGMessageData& record)
    {
        if (record.messageKind == MESSAGE_KIND_UDS_RESPONSE)
            response(record);
        else
            report(record);
    }

    bool refused() const { return mRefused.load(); }
    std::size_t transferred() const { return mTransferred.load(); }

private:
    void response(const tKIVNGMessageData& record)
    {
        const auto& uds = record.uds;
        const std::size_t shown = std::min<std::size_t>(uds.udsLength, 7);
        std::printf("  <- %s\n", hexBytes(uds.udsPayload, shown).c_str());
        if (uds.udsPayload[0] == kNegativeResponse && uds.udsPayload[2] != kResponsePending) {
            std::fprintf(stderr, "kivtool uds: negative response %02X to service %02X\n", uds.udsPayload[2],
                         uds.udsPayload[1]);
            mRefused.store(true);
        }
    }

    // A request's single or first frame, as the device reports it sent.
    void report(const tKIVNGMessageData& record)
    {
        const std::size_t length = std::size_t(record.frameBytes[1]) << 8 | record.frameBytes[2];
        tCanRecord can;
        if (length < kReportHeaderSize || length > static_cast<std::size_t>(kMaxReceivePayload)
            || record.frameBytes[kFrameHeaderSize + 1] != SENDER_UDS_FIRST_FRAME
            || !parseCanRecord(record.frameBytes + kFrameHeaderSize + kReportHeaderSize, length - kReportHeaderSize, can)
            || can.dlc == 0)
            return;
        const std::uint8_t* data = can.data;
        const bool first = (data[0] >> 4) == 1;
        const std::size_t udsLength = first ? (std::size_t(data[0] & 0x0F) << 8 | data[1]) : (data[0] & 0x0Fu);
        const std::uint8_t* uds = data + (first ? 2 : 1);
        const std::size_t shown = std::min<std::size_t>(udsLength, first ? 6 : 7);
        std::printf("  -> %s%s\n", hexBytes(uds, shown).c_str(),
                    first ? (" ... (" + std::to_string(udsLength) + " bytes)").c_str() : "");
        if (udsLength > 0 && uds[0] == kTransferData && udsLength > mTransferHeader)
            mTransferred += udsLength - mTransferHeader;
    }

    std::size_t mTransferHeader = 2;
    std::atomic<std::size_t> mTransferred{0};
    std::atomic<bool> mRefused{false};
};

int runDownload(kivtool::Args args)
{
    std::string port, sequence, iniPath, timeoutText;
    const bool havePort = kivtool::takeOption(args, "--port", port);
    const bool haveSequence = kivtool::takeOption(args, "--sequence", sequence);
    const bool haveIni = kivtool::takeOption(args, "--ini", iniPath);
    const bool haveTimeout = kivtool::takeOption(args, "--timeout", timeoutText);
    if (!args.empty() || !havePort || !haveSequence) {
        std::fprintf(stderr, "usage: kivtool uds download --port PATH --sequence FILE [--ini KivPlus.ini] [--timeout SECONDS]\n");
        return 2;
    }
    double timeout = 60;
    if (haveTimeout) {
        char* end = nullptr;
        timeout = std::strtod(timeoutText.c_str(), &end);
        if (timeoutText.empty() || *end != '\0' || !(timeout > 0)) {
            std::fprintf(stderr, "kivtool uds: --timeout wants a number of seconds\n");
            return 2;
        }
    }
    if (!haveIni)
        iniPath = kivplus::IniSettings::defaultPath();
    else if (!std::filesystem::is_regular_file(iniPath)) {
        std::fprintf(stderr, "kivtool uds: cannot read %s\n", iniPath.c_str());
        return 1;
    }

    kivplus::UdsParameters parameters;
    parameters.load(kivplus::IniSettings(iniPath));
    parameters.sequencePath = sequence;
    tUDSInformation info;
    const auto errors = kivplus::toUdsInformation(parameters, info);
    for (const auto& error : errors)
        std::fprintf(stderr, "kivtool uds: %s\n", error.c_str());
    if (!errors.empty())
        return 1;

    std::vector<kiv::tUdsStep> steps;
    std::string error;
    if (!kiv::loadSequenceFile(sequence.c_str(), steps, error)) {
        std::fprintf(stderr, "kivtool uds: %s: %s\n", sequence.c_str(), error.c_str());
        return 1;
    }
    printSteps(steps);

    kivtool::ConsolePrompt prompt(kivplus::UserPrompt::Answer::No);
    kivplus::DeviceSession session(prompt);
    CKIV* kiv = session.library();
    if (!session.connect(port)) {
        std::fprintf(stderr, "kivtool uds: cannot open %s\n", port.c_str());
        return 1;
    }
    session.drainStore(MESSAGE_STORE_EVENT);
    if (kiv->tesSetUdsSequence(sequence.data(), info) != KIV_OK) {
        std::fprintf(stderr, "kivtool uds: the library refused the sequence\n");
        session.disconnect();
        return 1;
    }

    DownloadMonitor monitor(info, steps);
    session.setUdsObserver([&monitor](const tKIVNGMessageData& record) { monitor.observe(record); });
    session.setUdsDownloadChannel(info.canChannel);
    if (!session.startReceiveThread()) {
        std::fprintf(stderr, "kivtool uds: cannot start the receive thread\n");
        session.disconnect();
        return 1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
    kiv->vRunSequenceData();
    int result = 0;
    for (;;) {
        if (monitor.refused()) {
            result = 1;
            break;
        }
        if (!kiv->bIsUdsDownloadRunning())
            break;
        if (std::chrono::steady_clock::now() >= deadline) {
            std::fprintf(stderr, "kivtool uds: time-out after %g s\n", timeout);
            result = 1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    kiv->vStopSequenceData();
    // Reports of the last frames may still be on their way.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    session.stopReceiveThread();
    session.setUdsDownloadChannel(-1);
    session.setUdsObserver({});
    session.disconnect();
    std::printf("%s: %zu data bytes transferred\n", result == 0 ? "download complete" : "download stopped",
                monitor.transferred());
    return result;
}

int runUds(const kivtool::Args& arguments)
{
    if (arguments.empty() || arguments.front() != "download") {
        std::fprintf(stderr, "usage: kivtool uds download --port PATH --sequence FILE [--ini KivPlus.ini] [--timeout SECONDS]\n");
        return 2;
    }
    return runDownload(kivtool::Args(arguments.begin() + 1, arguments.end()));
}

kivtool::Registration reg({"uds", "uds download --port PATH --sequence FILE [--ini KivPlus.ini] [--timeout SECONDS]", &runUds});

} // namespace
