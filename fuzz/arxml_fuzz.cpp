// The ARXML import on arbitrary bytes.
#include "database/CMsgSignal.h"

#include <libxml/parser.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void quiet(void*, const char*, ...) {}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool silenced = [] {
        xmlSetGenericErrorFunc(nullptr, quiet);
        return true;
    }();
    (void)silenced;
    kivplus::CMsgSignal database;
    database.importArxmlBytes(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
