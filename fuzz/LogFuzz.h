// Shared body of the log reader fuzz targets: read the bytes as a log file of
// one format, then write what was read in every format.
#pragma once

#include "trace/CTraceLog.h"
#include "trace/LogFormats.h"
#include "trace/LogLineReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

inline int fuzzLogReader(const std::uint8_t* data, std::size_t size,
                         void (*read)(kivplus::LogLineReader&, kivplus::CTraceLog&))
{
    if (size == 0)
        return 0;
    std::FILE* in = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!in)
        return 0;
    kivplus::CTraceLog log;
    log.allocate(256, true);
    kivplus::LogLineReader reader(in);
    read(reader, log);
    std::fclose(in);

    static std::FILE* sink = std::fopen("/dev/null", "wb");
    if (sink) {
        kivplus::writeKlLog(sink, log);
        kivplus::writeAscLog(sink, log);
        kivplus::writeCsvLog(sink, log);
    }
    return 0;
}
