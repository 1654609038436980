#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kivplus {

// "decimal": leading white space, an optional sign and digits; 0 for an empty
// or non-numeric text. Values beyond 32 bits saturate.
std::int32_t parseDecimal(std::string_view text);
// "hex": base 16 with an optional "0x"; 0 when no digit follows. Values beyond
// 32 bits saturate at 0xFFFFFFFF.
std::uint32_t parseHex(std::string_view text);

// Mask text "1", "2", "3" to the list form of the files ("1", "2", "1,2").
std::string channelMaskToText(std::string_view mask);
// List form back to the mask text: bit 0 for any '1', bit 1 for any '2'.
std::string channelTextToMask(std::string_view text);

bool isValidMessageId(std::string_view id, std::string_view format);
bool isValidMessageData(std::string_view length, std::string_view data);

// ASCII letters compared without regard to case, every other byte exactly.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

} // namespace kivplus
