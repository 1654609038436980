// kivtool log convert IN OUT | kivtool log stats FILE
#include "Command.h"

#include "trace/CTraceLog.h"
#include "trace/LogFormats.h"
#include "trace/LogLineReader.h"

#include <cstdio>
#include <map>
#include <string>
#include <utility>

namespace {

using kivplus::CTraceLog;

// Reads a log file (format by extension) into a log sized for it.
bool readLog(const std::string& path, CTraceLog& log)
{
    if (kivplus::logFormatOfPath(path) == kivplus::LogFormat::None) {
        std::fprintf(stderr, "kivtool log: %s: not a kl, asc or csv file\n", path.c_str());
        return false;
    }
    const long lines = kivplus::countLogFileLines(path.c_str());
    if (lines == 0) {
        std::fprintf(stderr, "kivtool log: %s: cannot open the file\n", path.c_str());
        return false;
    }
    if (lines > 0x7FFFFFF0L || !log.allocate(int(lines), true)) {
        std::fprintf(stderr, "kivtool log: %s: not enough memory for %ld lines\n", path.c_str(), lines);
        return false;
    }
    if (log.openLogFile(path) != 1) {
        std::fprintf(stderr, "kivtool log: %s: cannot read the file\n", path.c_str());
        return false;
    }
    return true;
}

int convert(const std::string& in, const std::string& out)
{
    CTraceLog log;
    if (!readLog(in, log))
        return 1;
    if (kivplus::logFormatOfPath(out) == kivplus::LogFormat::None) {
        std::fprintf(stderr, "kivtool log: %s: not a kl, asc or csv file\n", out.c_str());
        return 1;
    }
    if (log.saveLogFile(out) != 1) {
        std::fprintf(stderr, "kivtool log: %s: cannot write the file\n", out.c_str());
        return 1;
    }
    std::printf("%d records written to %s\n", log.count(), out.c_str());
    return 0;
}

int stats(const std::string& path)
{
    CTraceLog log;
    if (!readLog(path, log))
        return 1;
    const int count = log.count();
    std::printf("records: %d\n", count);
    if (count == 0)
        return 0;
    std::printf("first: %s\n", log.recordAt(0).timeStamp);
    std::printf("last: %s\n", log.recordAt(count - 1).timeStamp);
    std::map<std::pair<std::string, std::string>, long> perId;
    for (int i = 0; i < count; ++i) {
        const auto& r = log.recordAt(i);
        ++perId[{std::string(r.messageIdText()), std::string(r.channelText())}];
    }
    std::printf("%-12s %-7s %s\n", "identifier", "channel", "count");
    for (const auto& [key, n] : perId) {
        std::printf("%-12s %-7s %ld\n", key.first.empty() ? "-" : key.first.c_str(),
                    key.second.empty() ? "-" : key.second.c_str(), n);
    }
    return 0;
}

int runLog(const kivtool::Args& args)
{
    if (args.size() == 3 && args[0] == "convert")
        return convert(args[1], args[2]);
    if (args.size() == 2 && args[0] == "stats")
        return stats(args[1]);
    std::fprintf(stderr, "usage: kivtool log convert IN OUT | kivtool log stats FILE\n");
    return 2;
}

kivtool::Registration reg({"log", "log convert IN OUT | log stats FILE   (kl, asc or csv by extension)", &runLog});

} // namespace
