#include "trace/CTraceData.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace kivplus {

std::int32_t storeFixedText(char* member, std::size_t width, std::string_view text)
{
    std::size_t n = text.size();
    if (n > width - 1) {
        n = width - 1;
        // Back off to the start of a UTF-8 sequence that would be cut.
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
            --n;
    }
    std::memcpy(member, text.data(), n);
    std::memset(member + n, 0, width - n);
    return static_cast<std::int32_t>(n);
}

namespace {

// Reads decimal digits from pos; stops at the first non-digit. Digits past the
// ninth are skipped, so that the sums below stay far from overflow.
std::int64_t readNumber(std::string_view text, std::size_t& pos)
{
    std::int64_t value = 0;
    int digits = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        if (digits < 9)
            value = value * 10 + (text[pos] - '0');
        ++digits;
        ++pos;
    }
    return value;
}

// Skips to just after the next `separator`, or to the end.
void skipPast(std::string_view text, std::size_t& pos, char separator)
{
    while (pos < text.size() && text[pos] != separator)
        ++pos;
    if (pos < text.size())
        ++pos;
}

std::int64_t wholeSeconds(std::string_view time, std::size_t& pos)
{
    pos = 0;
    const std::int64_t hours = readNumber(time, pos);
    skipPast(time, pos, ':');
    const std::int64_t minutes = readNumber(time, pos);
    skipPast(time, pos, ':');
    // The seconds are the first two characters of the rest.
    const std::size_t end = pos + 2 < time.size() ? pos + 2 : time.size();
    std::size_t p = pos;
    const std::int64_t seconds = readNumber(time.substr(0, end), p);
    pos = p;
    return hours * 3600 + minutes * 60 + seconds;
}

} // namespace

std::int32_t secondsOfTimeText(std::string_view time)
{
    std::size_t pos = 0;
    return static_cast<std::int32_t>(std::min<std::int64_t>(wholeSeconds(time, pos), INT32_MAX));
}

std::int64_t microsecondsOfTimeText(std::string_view time)
{
    std::size_t pos = 0;
    std::int64_t result = wholeSeconds(time, pos) * 1000000;
    if (pos < time.size() && time[pos] == '.') {
        ++pos;
        std::int64_t fraction = 0;
        for (int i = 0; i < 6; ++i) {
            const bool digit = pos < time.size() && time[pos] >= '0' && time[pos] <= '9';
            fraction = fraction * 10 + (digit ? time[pos] - '0' : 0);
            if (digit)
                ++pos;
        }
        result += fraction;
    }
    return result;
}

void CTraceData::setTimeStamp(std::string_view text)
{
    timeStampLength = storeText(timeStamp, text);
    timeSeconds = secondsOfTimeText(timeStampText());
}

} // namespace kivplus
