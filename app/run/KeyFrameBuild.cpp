#include "run/KeyFrameBuild.h"

#include "keymap/KeyFields.h"

#include <string>

namespace kivplus {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0;
}

std::string withoutPrefix(const std::string& id)
{
    std::string out;
    for (std::size_t i = 0; i < id.size(); ++i) {
        if (id[i] == '0' && i + 1 < id.size() && (id[i + 1] == 'x' || id[i + 1] == 'X')) {
            ++i;
            continue;
        }
        out.push_back(id[i]);
    }
    return out;
}

} // namespace

std::uint32_t tRunFrame::dataLow() const
{
    return std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 | std::uint32_t(data[2]) << 16 |
           std::uint32_t(data[3]) << 24;
}

std::uint32_t tRunFrame::dataHigh() const
{
    return std::uint32_t(data[4]) | std::uint32_t(data[5]) << 8 | std::uint32_t(data[6]) << 16 |
           std::uint32_t(data[7]) << 24;
}

tRunFrame buildFrameHeader(const tKeyFrame& frame)
{
    tRunFrame out;
    out.id = parseHex(withoutPrefix(frame.messageId));
    if (frame.messageFormat != "Standard")
        out.id |= kExtendedIdFlag;
    out.dlc = static_cast<std::uint32_t>(parseDecimal(frame.messageLength));
    out.channel = parseDecimal(frame.canCh) - 1;
    return out;
}

tRunFrame buildKeyFrame(const tKeyFrame& frame)
{
    tRunFrame out = buildFrameHeader(frame);
    std::string digits;
    for (char c : frame.messageData)
        if (c != ' ')
            digits.push_back(c);
    if (digits.size() % 2 != 0)
        digits.insert(digits.begin(), '0');
    const std::size_t bytes = digits.size() / 2;
    const auto dlc = static_cast<std::int32_t>(out.dlc);
    if (dlc < 0 || bytes > static_cast<std::size_t>(dlc))
        return out;
    // Padded in front to the length; bytes past the eighth have no place.
    const std::size_t padding = static_cast<std::size_t>(dlc) - bytes;
    for (std::size_t i = 0; i < bytes; ++i) {
        const std::size_t at = padding + i;
        if (at >= out.data.size())
            break;
        out.data[at] = static_cast<std::uint8_t>(hexValue(digits[2 * i]) << 4 | hexValue(digits[2 * i + 1]));
    }
    return out;
}

} // namespace kivplus
