#pragma once

#include <cstdint>
#include <string_view>

namespace kivplus {

// How the numeric edit field of the signal windows reads its text.
struct RadixSettings {
    int radix = 10;        // 2, 8, 10, 16 or 255; anything else is taken as 10
    bool isSigned = false;
    bool floating = false;
};

struct RadixReading {
    std::int64_t signedValue = 0;
    std::uint64_t unsignedValue = 0;
    float floatValue = 0.0f;   // floating mode only (the integers stay 0)
};

// Accepted radixes stay, anything else becomes 10.
int normalizeRadix(int radix);

// Floating mode: a single-precision number. Radix 10: a signed or unsigned
// 64-bit decimal number, given both ways. Any other radix: hex digits, a '-'
// anywhere negating.
RadixReading readRadixValue(std::string_view text, const RadixSettings& settings);

} // namespace kivplus
