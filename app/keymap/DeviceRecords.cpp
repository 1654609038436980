#include "keymap/DeviceRecords.h"

#include "keymap/KeyFields.h"
#include "keymap/KeyMapDatabases.h"
#include "keymap/KeyMapTexts.h"
#include "shell/SessionTexts.h"

#include "database/SignalCodec.h"

#include <cinttypes>
#include <cstdio>
#include <optional>

namespace kivplus {

namespace {

constexpr std::uint8_t kExtendedFormat = 4;
constexpr int kMaxDlc = 8;
constexpr std::size_t kMaxScenarioFrames = 255;
constexpr std::size_t kMaxIgnitionFrames = 10;
constexpr int kIgnitionTypes = 4;
constexpr std::uint8_t kProgressiveCodes[] = {1, 4, 7};

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

std::string withoutHexPrefix(std::string text)
{
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.erase(0, 2);
    return text;
}

std::string withoutSpaces(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c != ' ')
            out += c;
    }
    return out;
}

// Hex digit pairs to bytes; none when a character is not a hex digit.
std::optional<DeviceBytes> hexPairs(std::string digits)
{
    if (digits.size() % 2)
        digits.insert(digits.begin(), '0');
    DeviceBytes bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const int high = hexDigit(digits[i]);
        const int low = hexDigit(digits[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return bytes;
}

bool isExtended(const tKeyFrame& frame) { return frame.messageFormat != "Standard"; }

std::optional<DeviceBytes> identifierBytes(const tKeyFrame& frame)
{
    const std::size_t size = isExtended(frame) ? 4 : 2;
    auto bytes = hexPairs(withoutHexPrefix(frame.messageId));
    if (!bytes || bytes->empty() || bytes->size() > size)
        return std::nullopt;
    bytes->insert(bytes->begin(), size - bytes->size(), 0);
    return bytes;
}

std::optional<DeviceBytes> dataBytes(const tKeyFrame& frame, int dlc)
{
    auto bytes = hexPairs(withoutHexPrefix(withoutSpaces(frame.messageData)));
    if (!bytes || static_cast<int>(bytes->size()) != dlc)
        return std::nullopt;
    return bytes;
}

void put16(DeviceBytes& out, const std::string& decimal)
{
    const auto value = static_cast<std::uint16_t>(parseDecimal(decimal));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

std::uint8_t channelByte(const tKeyFrame& frame) { return static_cast<std::uint8_t>(parseDecimal(frame.canCh) - 1); }

// Format byte, DLC, identifier and data of a frame.
bool putFrameHead(DeviceBytes& out, const tKeyFrame& frame)
{
    const int dlc = parseDecimal(frame.messageLength);
    if (dlc < 0 || dlc > kMaxDlc)
        return false;
    const auto id = identifierBytes(frame);
    const auto data = dataBytes(frame, dlc);
    if (!id || !data)
        return false;
    out.push_back(isExtended(frame) ? kExtendedFormat : 0);
    out.push_back(static_cast<std::uint8_t>(dlc));
    out.insert(out.end(), id->begin(), id->end());
    out.insert(out.end(), data->begin(), data->end());
    return true;
}

bool refuse(std::string& error, const char* pattern, const std::string& name)
{
    error = keymaptext::format(pattern, {name});
    return false;
}

std::uint64_t readHex64(const std::string& text)
{
    const std::string digits = withoutHexPrefix(withoutSpaces(text));
    std::uint64_t value = 0;
    for (char c : digits) {
        const int d = hexDigit(c);
        if (d < 0)
            break;
        value = value << 4 | static_cast<std::uint64_t>(d);
    }
    return value;
}

std::optional<DeviceBytes> stepBytes(const std::string& text)
{
    std::string digits = withoutHexPrefix(withoutSpaces(text));
    if (digits.size() > 16)
        return std::nullopt;
    digits.insert(digits.begin(), 16 - digits.size(), '0');
    return hexPairs(digits);
}

// Reading side.

class Reader {
public:
    Reader(const std::uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

    bool atEnd() const { return at_ == size_; }
    bool take(std::uint8_t& value)
    {
        if (at_ >= size_)
            return false;
        value = bytes_[at_++];
        return true;
    }
    bool take(std::size_t count, const std::uint8_t*& start)
    {
        if (size_ - at_ < count)
            return false;
        start = bytes_ + at_;
        at_ += count;
        return true;
    }
    bool take16(std::uint16_t& value)
    {
        const std::uint8_t* p = nullptr;
        if (!take(2, p))
            return false;
        value = static_cast<std::uint16_t>(p[0] << 8 | p[1]);
        return true;
    }
    bool take64(std::uint64_t& value)
    {
        const std::uint8_t* p = nullptr;
        if (!take(8, p))
            return false;
        value = 0;
        for (int i = 0; i < 8; ++i)
            value = value << 8 | p[i];
        return true;
    }

private:
    const std::uint8_t* bytes_;
    std::size_t size_;
    std::size_t at_ = 0;
};

std::string formatted(const char* pattern, unsigned long long value)
{
    char text[32];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

// Format byte, DLC, identifier and data into the frame's texts.
bool readFrameHead(Reader& in, tKeyFrame& frame, const char* lengthPattern)
{
    std::uint8_t format = 0, dlc = 0;
    const std::uint8_t* id = nullptr;
    const std::uint8_t* data = nullptr;
    if (!in.take(format) || !in.take(dlc))
        return false;
    const std::size_t idSize = format != 0 ? 4 : 2;
    if (!in.take(idSize, id) || !in.take(dlc, data))
        return false;
    frame.messageFormat = format != 0 ? "Extended" : "Standard";
    std::uint32_t identifier = 0;
    for (std::size_t i = 0; i < idSize; ++i)
        identifier = identifier << 8 | id[i];
    frame.messageId = formatted("0x%llX", identifier);
    frame.messageLength = formatted(lengthPattern, dlc);
    std::string text;
    for (std::size_t i = 0; i < dlc; ++i)
        text += formatted(i == 0 ? "%02llX" : " %02llX", data[i]);
    frame.messageData = text;
    return true;
}

bool readChannel(Reader& in, tKeyFrame& frame)
{
    std::uint8_t channel = 0;
    if (!in.take(channel))
        return false;
    frame.canCh = std::to_string(channel + 1);
    return true;
}

bool readDecimal16(Reader& in, std::string& text)
{
    std::uint16_t value = 0;
    if (!in.take16(value))
        return false;
    text = std::to_string(value);
    return true;
}

} // namespace

bool encodeSingleKeyList(const CKeyMap& keyMap, DeviceBytes& out, std::string& error)
{
    DeviceBytes bytes;
    for (const tKeyEntry& key : keyMap.entries()) {
        if (key.type != KEY_TYPE_SINGLE || key.frames.empty())
            continue;
        const tKeyFrame& frame = key.frames.front();
        bytes.push_back(static_cast<std::uint8_t>(parseDecimal(key.name)));
        if (!putFrameHead(bytes, frame))
            return refuse(error, sessiontext::kFrameNotStorable, key.name);
        put16(bytes, frame.periodicInterval);
        bytes.push_back(channelByte(frame));
    }
    out = std::move(bytes);
    return true;
}

bool encodeScenarioKey(const tKeyEntry& key, DeviceBytes& out, std::string& error)
{
    if (key.frames.size() > kMaxScenarioFrames)
        return refuse(error, sessiontext::kScenarioTooManyFrames, key.name);
    DeviceBytes bytes{static_cast<std::uint8_t>(parseDecimal(key.name)), static_cast<std::uint8_t>(key.type),
                      static_cast<std::uint8_t>(key.frames.size())};
    for (const tKeyFrame& frame : key.frames) {
        if (!putFrameHead(bytes, frame))
            return refuse(error, sessiontext::kFrameNotStorable, key.name);
        put16(bytes, frame.canFrameDelay);
        bytes.push_back(channelByte(frame));
    }
    out = std::move(bytes);
    return true;
}

bool encodeIgnitionList(const CIgnition& ignition, DeviceBytes& out, std::string& error)
{
    DeviceBytes bytes;
    for (int type = 0; type < kIgnitionTypes; ++type) {
        const tKeyEntry* key = ignition.findKey(std::to_string(type));
        if (!key)
            continue;
        if (key->frames.size() > kMaxIgnitionFrames)
            return refuse(error, sessiontext::kIgnitionTooManyFrames, key->name);
        for (std::size_t index = 0; index < key->frames.size(); ++index) {
            const tKeyFrame& frame = key->frames[index];
            bytes.push_back(static_cast<std::uint8_t>(type * 10 + static_cast<int>(index)));
            if (!putFrameHead(bytes, frame))
                return refuse(error, sessiontext::kFrameNotStorable, key->name);
            put16(bytes, frame.periodicInterval);
            bytes.push_back(channelByte(frame));
        }
    }
    out = std::move(bytes);
    return true;
}

DeviceBytes progressiveImage(const tKeyFrame& frame, const std::string& valueText)
{
    const int dlc = parseDecimal(frame.messageLength);
    const int length = parseDecimal(frame.signalLength);
    if (dlc < 0 || dlc > kMaxDlc)
        return {};
    const std::uint64_t raw = readHex64(valueText);
    char value[32];
    if (frame.signalType == "SNM") {
        const std::uint64_t extended = length > 0 && length < 64 ? signExtend(raw, length) : raw;
        std::snprintf(value, sizeof value, "%" PRId64, static_cast<std::int64_t>(extended));
    } else {
        std::snprintf(value, sizeof value, "%" PRIu64, raw);
    }
    std::string dataBits = hexToBits(withoutSpaces(frame.messageData));
    const std::string data = encodeSignal(parseDecimal(frame.startBit), parseDecimal(frame.startByte), length,
                                          frame.signalEndian == "Intel" ? 1 : 0, frame.signalType, value, dlc, dataBits);
    std::string digits = withoutSpaces(data);
    for (int missing = 8 - dlc; missing > 0; --missing)
        digits += "00";
    if (digits.size() != 16)
        return {};
    auto bytes = hexPairs(digits);
    return bytes ? *bytes : DeviceBytes{};
}

bool encodeProgressiveList(const CProgressive& progressive, DeviceBytes& out, std::string& error)
{
    DeviceBytes bytes;
    for (const tKeyEntry& key : progressive.entries()) {
        if (key.frames.empty())
            continue;
        const int number = parseDecimal(key.name);
        if (number < 0 || number > 2)
            return refuse(error, sessiontext::kProgressiveNumberTooHigh, key.name);
        const tKeyFrame& frame = key.frames.front();
        bytes.insert(bytes.end(), {kProgressiveCodes[number], 0x00, 0x01});
        if (!putFrameHead(bytes, frame))
            return refuse(error, sessiontext::kFrameNotStorable, key.name);
        put16(bytes, frame.periodicInterval);
        bytes.push_back(static_cast<std::uint8_t>(parseDecimal(frame.startByte)));
        bytes.push_back(static_cast<std::uint8_t>(parseDecimal(frame.startBit)));
        bytes.push_back(static_cast<std::uint8_t>(parseDecimal(frame.signalLength)));
        const DeviceBytes minimum = progressiveImage(frame, frame.progressiveMin);
        const DeviceBytes maximum = progressiveImage(frame, frame.progressiveMax);
        const auto step = stepBytes(frame.progressiveStep);
        if (minimum.size() != 8 || maximum.size() != 8 || !step)
            return refuse(error, sessiontext::kFrameNotStorable, key.name);
        bytes.insert(bytes.end(), minimum.begin(), minimum.end());
        bytes.insert(bytes.end(), maximum.begin(), maximum.end());
        bytes.insert(bytes.end(), step->begin(), step->end());
        bytes.push_back(channelByte(frame));
    }
    out = std::move(bytes);
    return true;
}

std::uint64_t imageValue(std::uint64_t image, int startByte, int startBit, int length)
{
    const int p = startByte * 8 - startBit + 7;
    if (length <= 0 || p < 0 || p >= 64)
        return 0;
    const int bits = length > 64 ? 64 : length;
    return (image << p) >> (64 - bits);
}

bool decodeSingleKeyList(const std::uint8_t* bytes, std::size_t size, CKeyMap& staging)
{
    Reader in(bytes, size);
    while (!in.atEnd()) {
        std::uint8_t number = 0;
        tKeyEntry key;
        key.type = KEY_TYPE_SINGLE;
        key.frames.emplace_back();
        tKeyFrame& frame = key.frames.front();
        if (!in.take(number) || !readFrameHead(in, frame, "%llX") || !readDecimal16(in, frame.periodicInterval)
            || !readChannel(in, frame))
            return false;
        key.name = std::to_string(number);
        if (!staging.addKey(key))
            return false;
    }
    return true;
}

bool decodeScenarioKeys(const std::uint8_t* bytes, std::size_t size, CKeyMap& staging)
{
    Reader in(bytes, size);
    while (!in.atEnd()) {
        std::uint8_t number = 0, type = 0, count = 0;
        if (!in.take(number) || !in.take(type) || !in.take(count))
            return false;
        const std::string name = std::to_string(number);
        for (int index = 0; index < count; ++index) {
            tKeyFrame frame;
            if (!readFrameHead(in, frame, "%llX") || !readDecimal16(in, frame.canFrameDelay) || !readChannel(in, frame))
                return false;
            if (index == 0) {
                tKeyEntry key;
                key.type = type;
                key.name = name;
                key.frames.push_back(std::move(frame));
                if (!staging.addKey(key))
                    return false;
            } else if (!staging.addFrame(name, frame)) {
                return false;
            }
        }
    }
    return true;
}

bool decodeIgnitionList(const std::uint8_t* bytes, std::size_t size, CKeyMap& staging)
{
    Reader in(bytes, size);
    while (!in.atEnd()) {
        std::uint8_t position = 0;
        tKeyFrame frame;
        if (!in.take(position) || !readFrameHead(in, frame, "%llX") || !readDecimal16(in, frame.periodicInterval)
            || !readChannel(in, frame))
            return false;
        frame.canFrameDelay = "0";
        const std::string name = std::to_string(position / 10);
        if (staging.findKey(name)) {
            if (!staging.addFrame(name, frame))
                return false;
            continue;
        }
        tKeyEntry key;
        key.type = KEY_TYPE_SCENARIO;
        key.name = name;
        key.runnerStatus.expanded = 1;
        key.frames.push_back(std::move(frame));
        if (!staging.addKey(key))
            return false;
    }
    return true;
}

namespace {

// The byte order of the frame's signal as the databases know it, or none.
std::optional<int> databaseByteOrder(const KeyMapDatabases* databases, const tKeyFrame& frame, int startByte,
                                     int startBit)
{
    const int channel = parseDecimal(frame.canCh);
    if (!databases || !databases->isLoaded(channel))
        return std::nullopt;
    const auto signal = databases->findSignal(channel, parseHex(frame.messageId), frame.messageFormat != "Standard",
                                              startByte, startBit);
    if (!signal)
        return std::nullopt;
    return signal->byteOrder == 1 ? 1 : 0;
}

std::uint64_t intelImageValue(std::uint64_t image, int startByte, int startBit, int length)
{
    std::uint8_t bytes[8];
    for (int i = 7; i >= 0; --i, image >>= 8)
        bytes[i] = static_cast<std::uint8_t>(image);
    return extractRaw(bytes, sizeof bytes, startByte, startBit, length, 1);
}

} // namespace

bool decodeProgressiveList(const std::uint8_t* bytes, std::size_t size, CProgressive& staging,
                           const KeyMapDatabases* databases)
{
    Reader in(bytes, size);
    while (!in.atEnd()) {
        std::uint8_t code = 0, startByte = 0, startBit = 0, length = 0;
        const std::uint8_t* skipped = nullptr;
        std::uint64_t minimum = 0, maximum = 0, step = 0;
        tKeyEntry key;
        key.type = KEY_TYPE_PROGRESSIVE;
        key.frames.emplace_back();
        tKeyFrame& frame = key.frames.front();
        if (!in.take(code))
            return false;
        if (code == kProgressiveCodes[0])
            key.name = "0";
        else if (code == kProgressiveCodes[1])
            key.name = "1";
        else if (code == kProgressiveCodes[2])
            key.name = "2";
        else
            return false;
        if (!in.take(2, skipped) || !readFrameHead(in, frame, " %llX") || !readDecimal16(in, frame.periodicInterval)
            || !in.take(startByte) || !in.take(startBit) || !in.take(length) || !in.take64(minimum)
            || !in.take64(maximum) || !in.take64(step) || !readChannel(in, frame))
            return false;
        frame.startByte = std::to_string(startByte);
        frame.startBit = std::to_string(startBit);
        frame.signalLength = std::to_string(length);
        const std::optional<int> byteOrder = databaseByteOrder(databases, frame, startByte, startBit);
        const auto value = byteOrder == 1 ? intelImageValue : imageValue;
        if (byteOrder)
            frame.signalEndian = *byteOrder == 1 ? "Intel" : "Motorola";
        frame.progressiveMin = formatted("%llX", value(minimum, startByte, startBit, length));
        frame.progressiveMax = formatted("%llX", value(maximum, startByte, startBit, length));
        frame.progressiveStep = formatted("%llX", step);
        if (!staging.addKey(key))
            return false;
    }
    return true;
}

} // namespace kivplus
