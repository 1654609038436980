#include "run/ProgressiveSweep.h"

#include "database/SignalCodec.h"
#include "keymap/KeyFields.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

namespace kivplus {

namespace {

int byteOrderOf(const tKeyFrame& frame) { return frame.signalEndian == "Intel" ? 1 : 0; }

// A signal has at most 64 bits and a frame at most 8 data bytes; the texts
// may say otherwise.
int signalLengthOf(const tKeyFrame& frame) { return std::clamp(parseDecimal(frame.signalLength), 0, 64); }

std::uint64_t readUnsignedHex(const std::string& text) { return std::strtoull(text.c_str(), nullptr, 16); }
std::int64_t readSignedHex(const std::string& text) { return std::strtoll(text.c_str(), nullptr, 16); }

std::uint64_t bitsToValue(const std::string& bits)
{
    std::uint64_t value = 0;
    for (char bit : bits)
        value = value << 1 | (bit == '1' ? 1u : 0u);
    return value;
}

std::string hexText(std::uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%" PRIX64, value);
    return text;
}

tSweepStep unsignedStep(const tKeyFrame& frame, int direction, bool autoReverse)
{
    const std::uint64_t value = readUnsignedHex(frame.sweepValue);
    const std::uint64_t minimum = readUnsignedHex(frame.progressiveMin);
    const std::uint64_t maximum = readUnsignedHex(frame.progressiveMax);
    const std::uint64_t step = readUnsignedHex(frame.progressiveStep);
    tSweepStep out{frame.sweepValue, direction, false};
    std::uint64_t result = 0;
    if (direction == DIRECTION_UP) {
        if (__builtin_add_overflow(value, step, &result))
            result = 0xFFFFFFFFu;
        if (result >= maximum) {
            result = maximum;
            if (autoReverse)
                out.direction = DIRECTION_DOWN;
        }
    } else if (direction == DIRECTION_DOWN) {
        if (__builtin_sub_overflow(value, step, &result) || result <= minimum) {
            result = minimum;
            if (autoReverse)
                out.direction = DIRECTION_UP;
        }
    } else {
        return out;
    }
    out.value = hexText(result);
    out.reversed = out.direction != direction;
    return out;
}

tSweepStep signedStep(const tKeyFrame& frame, int direction, bool autoReverse)
{
    const int length = signalLengthOf(frame);
    const auto extend = [length](const std::string& text) {
        return static_cast<std::int64_t>(signExtend(readUnsignedHex(text), length));
    };
    const std::int64_t value = extend(frame.sweepValue);
    const std::int64_t minimum = extend(frame.progressiveMin);
    const std::int64_t maximum = extend(frame.progressiveMax);
    const std::int64_t step = readSignedHex(frame.progressiveStep);
    tSweepStep out{frame.sweepValue, direction, false};
    std::int64_t result = 0;
    if (direction == DIRECTION_UP) {
        if (__builtin_add_overflow(value, step, &result))
            result = 0x7FFFFFFF;
        if (result >= maximum) {
            result = maximum;
            if (autoReverse)
                out.direction = DIRECTION_DOWN;
        }
    } else if (direction == DIRECTION_DOWN) {
        if (__builtin_sub_overflow(value, step, &result))
            result = 0x80000000;
        if (result <= minimum) {
            result = minimum;
            if (autoReverse)
                out.direction = DIRECTION_UP;
        }
    } else {
        return out;
    }
    const auto bits = static_cast<std::uint64_t>(result);
    out.value = hexText(result < 0 ? maskToLength(bits, length) : bits);
    out.reversed = out.direction != direction;
    return out;
}

} // namespace

std::string sweepStartValue(const tKeyFrame& frame)
{
    const std::string bits = extractSignalBits(hexToBits(frame.messageData), parseDecimal(frame.startByte),
                                               parseDecimal(frame.startBit), signalLengthOf(frame), byteOrderOf(frame));
    return hexText(bitsToValue(bits));
}

tRunFrame buildSweepFrame(const tKeyFrame& frame)
{
    tRunFrame out = buildFrameHeader(frame);
    const int length = signalLengthOf(frame);
    std::string valueBits = hexToBits(frame.sweepValue);
    if (length > 0) {
        const auto wanted = static_cast<std::size_t>(length);
        if (valueBits.size() < wanted)
            valueBits.insert(0, wanted - valueBits.size(), '0');
        else
            valueBits.erase(0, valueBits.size() - wanted);
    }
    const int dlc = std::clamp(static_cast<std::int32_t>(out.dlc), 0, static_cast<int>(out.data.size()));
    const std::string dataBits =
        insertSignalBits(hexToBits(frame.messageData), valueBits, parseDecimal(frame.startByte),
                         parseDecimal(frame.startBit), length, byteOrderOf(frame), dlc);
    for (std::size_t k = 0; k < out.data.size() && 8 * k + 8 <= dataBits.size(); ++k)
        out.data[k] = static_cast<std::uint8_t>(bitsToValue(dataBits.substr(8 * k, 8)));
    return out;
}

tSweepStep stepSweep(const tKeyFrame& frame, int direction, bool autoReverse)
{
    if (frame.signalType == "SNM")
        return signedStep(frame, direction, autoReverse);
    return unsignedStep(frame, direction, autoReverse);
}

} // namespace kivplus
