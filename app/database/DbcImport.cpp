// The DBC import: the file's bytes are narrowed to 8-bit text, parsed, and the
// parse result becomes the messages of the database.
#include "database/CMsgSignal.h"
#include "database/DbcParser.h"
#include "database/FileBytes.h"

#include <cmath>

namespace kivplus {

namespace {

// UTF-16 files keep the characters U+0001 to U+00FF, one byte each; 8-bit
// files keep their bytes below 0x80. Everything else (the byte-order mark
// among it) is dropped.
std::string narrowToAnsi(const std::string& bytes)
{
    std::string out;
    out.reserve(bytes.size());
    const auto first = bytes.empty() ? 0 : static_cast<unsigned char>(bytes[0]);
    if (first == 0xFE || first == 0xFF) {
        const bool bigEndian = first == 0xFE;
        for (std::size_t p = 0; p + 1 < bytes.size(); p += 2) {
            const char high = bigEndian ? bytes[p] : bytes[p + 1];
            const char low = bigEndian ? bytes[p + 1] : bytes[p];
            if (high == 0)
                out.push_back(low);
        }
        return out;
    }
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) < 0x80)
            out.push_back(c);
    }
    return out;
}

// The 8-bit texts of the file are Latin-1; the model keeps UTF-8.
std::string latin1ToUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            out.push_back(c);
        } else {
            out.push_back(static_cast<char>(0xC0 | (u >> 6)));
            out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
        }
    }
    return out;
}

// An integer attribute of an object, or its default; null when the object
// has it with another kind of value or not at all.
const dbc::Attribute* integerAttribute(const std::vector<dbc::Attribute>& own,
                                       const std::vector<dbc::Attribute>& defaults, const char* name)
{
    const dbc::Attribute* attribute = dbc::findAttribute(own, defaults, name);
    return attribute && attribute->value.kind == dbc::AttributeValue::Kind::Integer ? attribute : nullptr;
}

std::int32_t clampToInt32(std::int64_t value)
{
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

// 2^(length-1) - 1 and -2^(length-1), the limits of a signed signal.
std::int64_t signedMaximum(int length)
{
    if (length - 1 >= 63)
        return INT64_MAX;
    return static_cast<std::int64_t>(std::pow(2.0, length - 1)) - 1;
}

std::int64_t signedMinimum(int length)
{
    if (length - 1 >= 63)
        return INT64_MIN;
    return -static_cast<std::int64_t>(std::pow(2.0, length - 1));
}

tDbSignal makeSignal(const dbc::Signal& source, const std::vector<dbc::Attribute>& defaults)
{
    tDbSignal signal;
    signal.name = latin1ToUtf8(source.name);
    if (const auto* type = dbc::findAttribute(source.attributes, defaults, "SignalType"))
        signal.signalType = latin1ToUtf8(type->value.text);
    signal.startBit = static_cast<std::uint8_t>(source.startBit & 7);
    signal.startByte = static_cast<std::int32_t>(source.startBit >> 3);
    signal.length = static_cast<std::int32_t>(source.length);
    signal.byteOrder = source.byteOrder;
    signal.factor = source.factor;
    signal.offset = source.offset;
    signal.unit = latin1ToUtf8(source.unit);

    const int length = signal.length;
    if (signal.signalType == "SNM") {
        signal.rawMax = source.maximum != 0.0 ? signedMaximum(length) : 0;
        signal.rawMin = source.minimum != 0.0 ? signedMinimum(length) : 0;
    } else if (signal.signalType == "ENM") {
        std::uint64_t largest = 0;
        for (const auto& value : source.values) {
            if (static_cast<std::uint64_t>(value.value) > largest)
                largest = static_cast<std::uint64_t>(value.value);
        }
        signal.rawMin = 0;
        signal.rawMax = static_cast<std::int64_t>(largest);
    } else {
        signal.rawMin = 0;
        signal.rawMax = length >= 64 ? -1 : static_cast<std::int64_t>((std::uint64_t{1} << length) - 1);
    }
    for (const auto& value : source.values)
        signal.valueTable.push_back({latin1ToUtf8(value.text), value.value});
    return signal;
}

} // namespace

bool CMsgSignal::importDbc(const std::string& path)
{
    std::string bytes;
    std::string reason;
    if (!readFileBytes(path, bytes, reason))
        return fail(reason);
    return importDbcBytes(bytes);
}

bool CMsgSignal::importDbcBytes(const std::string& bytes)
{
    lastError_.clear();
    messages.clear();
    const dbc::ParseResult parsed = dbc::parse(narrowToAnsi(bytes));
    if (!parsed.ok)
        return fail(parsed.error);
    const dbc::File& file = parsed.file;
    if (file.messages.empty())
        return fail("the file describes no message");

    messages.reserve(file.messages.size());
    if (const auto* gm = integerAttribute(file.networkAttributes, {}, "UseGMParameterIDs"))
        useGMParameterIds = gm->value.integer != 0;

    for (const auto& source : file.messages) {
        tDbMessage message;
        message.name = latin1ToUtf8(source.name);
        if (source.id & 0x80000000u) {
            message.extended = 1;
            message.id = source.id & 0x1FFFFFFFu;
        } else {
            message.extended = 0;
            message.id = source.id & 0x7FFu;
        }
        message.dlc = static_cast<std::int32_t>(source.dlc);
        if (const auto* cycle = integerAttribute(source.attributes, file.messageDefaults, "GenMsgCycleTime"))
            message.cycleTime = clampToInt32(cycle->value.integer);
        if (const auto* prio = integerAttribute(source.attributes, file.messageDefaults, "Prio"))
            message.priority = clampToInt32(prio->value.integer);
        message.signalList.reserve(source.signalList.size());
        for (const auto& signal : source.signalList)
            message.signalList.push_back(makeSignal(signal, file.signalDefaults));
        messages.push_back(std::move(message));
    }
    return true;
}

} // namespace kivplus
