#include "database/RadixValue.h"

#include "database/SignalCodec.h"

#include <cstdlib>
#include <string>

namespace kivplus {

int normalizeRadix(int radix)
{
    switch (radix) {
    case 2:
    case 8:
    case 10:
    case 16:
    case 255:
        return radix;
    default:
        return 10;
    }
}

RadixReading readRadixValue(std::string_view text, const RadixSettings& settings)
{
    RadixReading reading;
    if (settings.floating) {
        const std::string copy(text);
        reading.floatValue = std::strtof(copy.c_str(), nullptr);
        return reading;
    }
    if (normalizeRadix(settings.radix) == 10) {
        if (settings.isSigned) {
            reading.signedValue = readDecimalSigned(text);
            reading.unsignedValue = static_cast<std::uint64_t>(reading.signedValue);
        } else {
            reading.unsignedValue = readDecimalUnsigned(text);
            reading.signedValue = static_cast<std::int64_t>(reading.unsignedValue);
        }
        return reading;
    }
    reading.signedValue = hexToRaw(text, true, 64);
    reading.unsignedValue = static_cast<std::uint64_t>(reading.signedValue);
    return reading;
}

} // namespace kivplus
