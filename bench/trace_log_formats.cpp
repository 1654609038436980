// Read and write speed of the kl, asc and csv log formats for 1 000 000 records.
#include "TraceBenchSupport.h"
#include "trace/CTraceLog.h"

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    const int records = argc > 1 ? std::stoi(argv[1]) : 1000000;
    const auto folder = std::filesystem::temp_directory_path() / "kivbench-logs";
    std::filesystem::create_directories(folder);

    kivplus::CTraceLog log;
    if (!log.allocate(records, true)) {
        std::fprintf(stderr, "cannot allocate %d records\n", records);
        return 1;
    }
    for (int i = 0; i < records; ++i)
        log.add(tracebench::benchRecord(i, 2000));

    std::printf("%-5s %10s %12s %12s %14s %14s\n", "fmt", "records", "write s", "read s", "write rec/s", "read rec/s");
    for (const char* format : {"kl", "asc", "csv"}) {
        const std::string path = (folder / (std::string("bench.") + format)).string();
        tracebench::Stopwatch writeTime;
        if (log.saveLogFile(path) != 1) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        const double written = writeTime.seconds();

        kivplus::CTraceLog back;
        back.allocate(records + 64, true);
        tracebench::Stopwatch readTime;
        if (back.openLogFile(path) != 1) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            return 1;
        }
        const double read = readTime.seconds();
        std::printf("%-5s %10d %12.3f %12.3f %14.0f %14.0f   (%ju bytes, %d read back)\n", format, records, written,
                    read, records / written, records / read, std::uintmax_t(std::filesystem::file_size(path)),
                    back.count());
        std::filesystem::remove(path);
    }
    std::filesystem::remove_all(folder);
    return 0;
}
