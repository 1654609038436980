#include "database/SignalCodec.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <limits>

namespace kivplus {

namespace {

int hexDigit(char c)
{
    const auto u = static_cast<unsigned char>(c);
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

// Bit-text position of the signal's i-th bit, counted from its most
// significant bit; negative when the position lies before the data.
std::int64_t bitPosition(int startByte, int startBit, int length, int byteOrder, int i)
{
    if (byteOrder == 1) {
        const std::int64_t k = std::int64_t{startByte} * 8 + startBit + length - 1 - i;
        if (k < 0)
            return -1;
        return 8 * (k / 8) + 7 - (k % 8);
    }
    return std::int64_t{startByte} * 8 + 7 - startBit + i;
}

// The first signal bit (counted from the most significant) that can lie
// inside bitCount data bits: an Intel signal's high bits beyond the data are
// skipped without walking them, so a huge length costs nothing.
int firstInside(int startByte, int startBit, int length, int byteOrder, std::int64_t bitCount)
{
    if (byteOrder != 1)
        return 0;
    const std::int64_t skip = std::int64_t{startByte} * 8 + startBit + length - bitCount;
    return static_cast<int>(std::clamp<std::int64_t>(skip, 0, length));
}

// Calls visit(i, position) for each signal bit i (counted from the most
// significant) whose bit-text position lies inside bitCount data bits, in
// order. A Motorola signal is a plain run of bits, so the walk ends at the
// first bit past the data.
template <typename Visit>
void forEachSignalBit(int startByte, int startBit, int length, int byteOrder, std::int64_t bitCount, Visit visit)
{
    for (int i = firstInside(startByte, startBit, length, byteOrder, bitCount); i < length; ++i) {
        const std::int64_t position = bitPosition(startByte, startBit, length, byteOrder, i);
        if (position >= 0 && position < bitCount)
            visit(i, static_cast<std::size_t>(position));
        else if (byteOrder != 1 && position >= bitCount)
            break;
    }
}

std::string formatRaw(std::uint64_t raw, bool isSigned)
{
    char buffer[32];
    if (isSigned)
        std::snprintf(buffer, sizeof buffer, "%" PRId64, static_cast<std::int64_t>(raw));
    else
        std::snprintf(buffer, sizeof buffer, "%" PRIu64, raw);
    return buffer;
}

// Leading white space and sign of a decimal text; returns the index of the
// first digit.
std::size_t skipSign(std::string_view text, bool& negative)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    return i;
}

// Digits as a magnitude; overflow is reported.
std::uint64_t readMagnitude(std::string_view text, std::size_t i, bool& overflow)
{
    std::uint64_t value = 0;
    overflow = false;
    constexpr auto kMax = std::numeric_limits<std::uint64_t>::max();
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const unsigned digit = static_cast<unsigned>(text[i] - '0');
        if (value > (kMax - digit) / 10)
            overflow = true;
        else
            value = value * 10 + digit;
    }
    return value;
}

// The bits of a value, most significant first, chosen greedily from 2^(length-1)
// down, so a value that does not fit gives all ones.
std::string magnitudeBits(std::uint64_t value, int length)
{
    std::string bits(static_cast<std::size_t>(length), '0');
    for (int i = length - 1; i >= 0; --i) {
        if (i >= 64)
            continue;
        const std::uint64_t power = std::uint64_t{1} << i;
        if (value >= power) {
            bits[static_cast<std::size_t>(length - 1 - i)] = '1';
            value -= power;
        }
    }
    return bits;
}

} // namespace

std::string hexToBits(std::string_view hex)
{
    std::string bits;
    bits.reserve(hex.size() * 4);
    for (char c : hex) {
        const int digit = hexDigit(c);
        if (digit < 0)
            continue;
        for (int b = 3; b >= 0; --b)
            bits.push_back((digit >> b) & 1 ? '1' : '0');
    }
    return bits;
}

std::string bitsToHex(std::string_view bits)
{
    unsigned value = 0;
    for (char c : bits)
        value = (value << 1) | (c == '1' ? 1u : 0u);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02X", value & 0xFFu);
    return buffer;
}

std::int64_t hexToRaw(std::string_view hex, bool isSigned, int length)
{
    std::uint64_t value = 0;
    bool negative = false;
    for (char c : hex) {
        const int digit = hexDigit(c);
        if (digit >= 0)
            value = (value << 4) | static_cast<unsigned>(digit);
        else if (c == '-')
            negative = true;
    }
    if (!isSigned)
        return static_cast<std::int64_t>(value);
    auto result = static_cast<std::int64_t>(negative ? ~value + 1 : value);
    if (length >= 1 && length <= 63 && result >= (std::int64_t{1} << (length - 1)))
        result -= std::int64_t{1} << length;
    return result;
}

std::uint64_t signExtend(std::uint64_t value, int length)
{
    if (length < 1 || length > 63)
        return value;
    if (value & (std::uint64_t{1} << (length - 1)))
        value |= ~std::uint64_t{0} << length;
    return value;
}

std::uint64_t maskToLength(std::uint64_t value, int length)
{
    if (length <= 0)
        return 0;
    if (length >= 64)
        return value;
    return value & ((std::uint64_t{1} << length) - 1);
}

std::string extractSignalBits(std::string_view bits, int startByte, int startBit, int length, int byteOrder)
{
    std::string out;
    if (length <= 0)
        return out;
    out.reserve(static_cast<std::size_t>(length));
    const auto size = static_cast<std::int64_t>(bits.size());
    forEachSignalBit(startByte, startBit, length, byteOrder, size,
                     [&](int, std::size_t position) { out.push_back(bits[position]); });
    return out;
}

std::string decodeSignal(std::string_view data, int startByte, int startBit, int length, std::string_view signalType,
                         int byteOrder)
{
    // Digits of the data, four bits each: no bit text is built.
    std::uint8_t nibbles[256];
    std::string spill;
    std::size_t count = 0;
    for (char c : data) {
        const int digit = hexDigit(c);
        if (digit < 0)
            continue;
        if (count < sizeof nibbles)
            nibbles[count] = static_cast<std::uint8_t>(digit);
        else
            spill.push_back(static_cast<char>(digit));
        ++count;
    }
    auto nibble = [&](std::size_t index) {
        return index < sizeof nibbles ? nibbles[index] : static_cast<std::uint8_t>(spill[index - sizeof nibbles]);
    };
    const auto bitCount = static_cast<std::int64_t>(count) * 4;
    std::uint64_t raw = 0;
    forEachSignalBit(startByte, startBit, length, byteOrder, bitCount,
                     [&](int, std::size_t p) { raw = (raw << 1) | ((nibble(p / 4) >> (3 - p % 4)) & 1u); });
    const bool isSigned = signalType == "SNM";
    if (isSigned)
        raw = signExtend(raw, length);
    return formatRaw(raw, isSigned);
}

std::string valueToBits(std::string_view value, int length, std::string_view signalType)
{
    if (length <= 0)
        return {};
    length = std::min(length, kMaxSignalBits);
    if (value.empty())
        value = "0";
    if (signalType != "SNM")
        return magnitudeBits(readDecimalUnsigned(value), length);
    const std::int64_t number = readDecimalSigned(value);
    const std::uint64_t magnitude =
        number < 0 ? ~static_cast<std::uint64_t>(number) + 1 : static_cast<std::uint64_t>(number);
    std::string bits = magnitudeBits(magnitude, length);
    if (number < 0) {
        for (char& c : bits)
            c = c == '1' ? '0' : '1';
        for (auto i = bits.size(); i-- > 0;) {
            if (bits[i] == '1') {
                bits[i] = '0';
            } else {
                bits[i] = '1';
                break;
            }
        }
    }
    return bits;
}

std::string insertSignalBits(std::string_view dataBits, std::string_view signalBits, int startByte, int startBit,
                             int length, int byteOrder, int dlc)
{
    dlc = std::clamp(dlc, 0, kMaxFrameBytes);
    std::string out(static_cast<std::size_t>(dlc) * 8, '0');
    for (std::size_t i = 0; i < out.size() && i < dataBits.size(); ++i)
        out[i] = dataBits[i] == '1' ? '1' : '0';
    const auto size = static_cast<std::int64_t>(out.size());
    const auto count = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(std::max(length, 0)), signalBits.size()));
    for (int i = firstInside(startByte, startBit, length, byteOrder, size); i < count; ++i) {
        const std::int64_t position = bitPosition(startByte, startBit, length, byteOrder, i);
        if (position >= 0 && position < size)
            out[static_cast<std::size_t>(position)] = signalBits[static_cast<std::size_t>(i)] == '1' ? '1' : '0';
    }
    return out;
}

std::string encodeSignal(int startBit, int startByte, int length, int byteOrder, std::string_view signalType,
                         std::string_view value, int dlc, std::string& dataBits)
{
    const std::string signalBits = valueToBits(value, length, signalType);
    dataBits = insertSignalBits(dataBits, signalBits, startByte, startBit, length, byteOrder, dlc);
    std::string text;
    text.reserve(dataBits.size() / 8 * 3);
    for (std::size_t i = 0; i + 8 <= dataBits.size(); i += 8) {
        text.push_back(' ');
        text += bitsToHex(std::string_view(dataBits).substr(i, 8));
    }
    return text;
}

std::uint64_t extractRaw(const std::uint8_t* data, std::size_t size, int startByte, int startBit, int length,
                         int byteOrder)
{
    const auto bitCount = static_cast<std::int64_t>(size) * 8;
    std::uint64_t raw = 0;
    forEachSignalBit(startByte, startBit, length, byteOrder, bitCount,
                     [&](int, std::size_t p) { raw = (raw << 1) | ((data[p / 8] >> (7 - p % 8)) & 1u); });
    return raw;
}

void insertRaw(std::uint8_t* data, std::size_t size, int startByte, int startBit, int length, int byteOrder,
               std::uint64_t raw)
{
    const auto bitCount = static_cast<std::int64_t>(size) * 8;
    forEachSignalBit(startByte, startBit, length, byteOrder, bitCount, [&](int i, std::size_t p) {
        const int bitOfValue = length - 1 - i;
        const bool set = bitOfValue < 64 && ((raw >> bitOfValue) & 1u);
        const auto mask = static_cast<std::uint8_t>(1u << (7 - p % 8));
        data[p / 8] = set ? static_cast<std::uint8_t>(data[p / 8] | mask) : static_cast<std::uint8_t>(data[p / 8] & ~mask);
    });
}

std::int64_t readDecimalSigned(std::string_view text)
{
    bool negative = false;
    bool overflow = false;
    const std::uint64_t magnitude = readMagnitude(text, skipSign(text, negative), overflow);
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (negative) {
        if (overflow || magnitude > kMax + 1)
            return std::numeric_limits<std::int64_t>::min();
        return static_cast<std::int64_t>(~magnitude + 1);
    }
    if (overflow || magnitude > kMax)
        return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(magnitude);
}

std::uint64_t readDecimalUnsigned(std::string_view text)
{
    bool negative = false;
    bool overflow = false;
    const std::uint64_t magnitude = readMagnitude(text, skipSign(text, negative), overflow);
    if (overflow)
        return std::numeric_limits<std::uint64_t>::max();
    return negative ? ~magnitude + 1 : magnitude;
}

} // namespace kivplus
