// Fuzz target: the asc log reader and every writer on what it read.
#include "LogFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzzLogReader(data, size, &kivplus::readAscLog);
}
