// The download sequence parser on arbitrary text. Every step it yields must
// hold its counting rules: at most 8 request and 8 expected bytes, and an
// accepted text is never empty of steps.
#include "uds/SequenceFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<kiv::tUdsStep> steps;
    std::string error;
    const bool accepted = kiv::parseSequenceText(text, steps, error);
    if (accepted == steps.empty() || accepted != error.empty())
        std::abort();
    return 0;
}
