// The ASC logs of ../shared/testdata/logs against an independent reader
// (python-can): the frames must match, and python-can must read back what we
// write with the same frames.
#include "TestPaths.h"
#include "trace/CTraceLog.h"
#include "trace/LogFormats.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using kivplus::CTraceLog;

// Prints the classic data frames python-can reads from each file, after a
// "== path" line; error, remote and CAN FD frames are left out (a trace record
// holds none of them as a frame).
constexpr const char* kPythonScript = R"(import sys
import can
for path in sys.argv[1:]:
    print("== " + path)
    for m in can.ASCReader(path):
        if m.is_error_frame or m.is_remote_frame or m.is_fd or m.dlc > 8:
            continue
        print("%.6f %d %X %s %s %d %s" % (m.timestamp, (m.channel or 0) + 1, m.arbitration_id,
              "Y" if m.is_extended_id else "N", "Rx" if m.is_rx else "Tx", m.dlc,
              " ".join("%02X" % b for b in m.data)))
)";

std::string python()
{
    return fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
}

bool havePythonCan()
{
    return std::system((python() + " -c 'import can' >/dev/null 2>&1").c_str()) == 0;
}

// path -> frame lines, as python-can reads them.
std::map<std::string, std::vector<std::string>> pythonFrames(const std::vector<std::string>& paths,
                                                             const fs::path& scratch)
{
    const fs::path script = scratch / "frames.py";
    std::ofstream(script) << kPythonScript;
    std::string command = python() + " " + script.string();
    for (const auto& p : paths)
        command += " '" + p + "'";
    std::map<std::string, std::vector<std::string>> frames;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return frames;
    std::string current;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
            text.pop_back();
        if (text.rfind("== ", 0) == 0)
            current = text.substr(3);
        else
            frames[current].push_back(text);
    }
    pclose(pipe);
    return frames;
}

// The frames of our reading of a file, in python-can's line form.
std::vector<std::string> ourFrames(const CTraceLog& log)
{
    std::vector<std::string> frames;
    for (int i = 0; i < log.count(); ++i) {
        const auto& r = log.recordAt(i);
        if (r.messageIdLength == 0)
            continue;
        std::string line = kivplus::secondsText(r) + " " + std::string(r.channelText()) + " " +
                           std::string(r.messageIdText().substr(2)) + " " + std::string(r.extendedText()) + " " +
                           std::string(r.directionText()) + " " + std::string(r.dlcTextView());
        line += " " + std::string(r.dataTextView());
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        frames.push_back(line);
    }
    return frames;
}

TEST(LogAscCorpus, FramesMatchPythonCanBothWays)
{
    const fs::path folder = kivtest::testdataDir() / "logs";
    if (!fs::is_directory(folder))
        GTEST_SKIP() << "no third-party logs at " << folder;
    if (!havePythonCan())
        GTEST_SKIP() << "python3-can is not installed";

    kivtest::TempDir scratch;
    std::vector<std::string> originals, written;
    std::map<std::string, std::vector<std::string>> ours;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".asc")
            continue;
        const std::string path = entry.path().string();
        CTraceLog log;
        ASSERT_TRUE(log.allocate(int(fs::file_size(entry.path()) / 2 + 16), true));
        ASSERT_EQ(log.openLogFile(path), 1) << path;
        ours[path] = ourFrames(log);
        const std::string out = (scratch / entry.path().filename()).string();
        ASSERT_EQ(log.saveLogFile(out), 1) << out;
        originals.push_back(path);
        written.push_back(out);
    }
    ASSERT_FALSE(originals.empty());

    std::vector<std::string> all = originals;
    all.insert(all.end(), written.begin(), written.end());
    auto reference = pythonFrames(all, scratch.path());
    std::size_t compared = 0;
    for (std::size_t i = 0; i < originals.size(); ++i) {
        const auto& expected = reference[originals[i]];
        EXPECT_EQ(ours[originals[i]], expected) << originals[i];
        EXPECT_EQ(reference[written[i]], expected) << "python-can reading our " << written[i];
        compared += expected.size();
    }
    EXPECT_GT(compared, 1000u);
}

} // namespace
