#include "keymap/KeyFields.h"

#include <limits>

namespace kivplus {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::int32_t parseDecimal(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    constexpr std::int64_t limit = static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit)
            value = limit;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<std::int32_t>::max())
        value = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

std::uint32_t parseHex(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')
        && i + 2 < text.size() && hexDigit(text[i + 2]) >= 0)
        i += 2;
    std::uint64_t value = 0;
    for (; i < text.size() && hexDigit(text[i]) >= 0; ++i) {
        value = value * 16 + static_cast<std::uint64_t>(hexDigit(text[i]));
        if (value > std::numeric_limits<std::uint32_t>::max())
            value = std::numeric_limits<std::uint32_t>::max();
    }
    return static_cast<std::uint32_t>(value);
}

std::string channelMaskToText(std::string_view mask)
{
    const std::int32_t value = parseDecimal(mask);
    std::string text;
    for (int channel = 1; channel <= 2; ++channel) {
        if (value & (1 << (channel - 1))) {
            if (!text.empty())
                text += ',';
            text += std::to_string(channel);
        }
    }
    return text;
}

std::string channelTextToMask(std::string_view text)
{
    int mask = 0;
    if (text.find('1') != std::string_view::npos)
        mask |= 1;
    if (text.find('2') != std::string_view::npos)
        mask |= 2;
    return std::to_string(mask);
}

bool isValidMessageId(std::string_view id, std::string_view format)
{
    const std::uint32_t value = parseHex(id);
    if (format == "Standard")
        return value <= 0x7FF;
    if (format == "Extended" || format == "GMExtended")
        return value <= 0x1FFFFFFF;
    return true;
}

bool isValidMessageData(std::string_view length, std::string_view data)
{
    const std::int32_t n = parseDecimal(length);
    if (n >= 9)
        return false;
    if (n == 0)
        return data.empty();
    std::int32_t tokens = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t space = data.find(' ', start);
        std::string_view token = data.substr(start, space == std::string_view::npos ? std::string_view::npos : space - start);
        while (!token.empty() && isSpace(token.front()))
            token.remove_prefix(1);
        while (!token.empty() && isSpace(token.back()))
            token.remove_suffix(1);
        if (token.size() != 2)
            return false;
        ++tokens;
        if (space == std::string_view::npos)
            break;
        start = space + 1;
    }
    return tokens == n;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return true;
}

} // namespace kivplus
