// Reading the ProgressiveKey section of a key map file.
#include "keymap/KeyMapReader.h"

#include "keymap/KeyFields.h"
#include "keymap/KeyMapTexts.h"
#include "keymap/SectionReading.h"

#include <algorithm>
#include <array>

namespace kivplus {

using namespace sectionread;
namespace text = keymaptext;

namespace {

constexpr int kLastKeyNumber = 99;

// Each hex digit as four characters 0/1, most significant first; any other
// character is skipped.
std::string bitText(std::string_view data)
{
    std::string bits;
    for (char c : data) {
        int value;
        if (c >= '0' && c <= '9')
            value = c - '0';
        else if (c >= 'a' && c <= 'f')
            value = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            value = c - 'A' + 10;
        else
            continue;
        for (int bit = 3; bit >= 0; --bit)
            bits += (value >> bit) & 1 ? '1' : '0';
    }
    return bits;
}

// Up to count characters from pos, clipped to the text.
std::string_view slice(std::string_view bits, std::int64_t pos, std::int64_t count)
{
    const auto size = static_cast<std::int64_t>(bits.size());
    pos = std::clamp<std::int64_t>(pos, 0, size);
    count = std::clamp<std::int64_t>(count, 0, size - pos);
    return bits.substr(static_cast<std::size_t>(pos), static_cast<std::size_t>(count));
}

// Whether two frames carry the same data outside the swept signal, whose first
// bit is at p = startByte * 8 - startBit + 7 in the bit text of the data.
bool sameDataOutsideSignal(const tKeyFrame& earlier, const tKeyFrame& frame)
{
    const std::string a = bitText(earlier.messageData);
    const std::string b = bitText(frame.messageData);
    const std::int64_t p = static_cast<std::int64_t>(parseDecimal(frame.startByte)) * 8
                           - parseDecimal(frame.startBit) + 7;
    const std::int64_t length = parseDecimal(frame.signalLength);
    if (slice(a, 0, p) != slice(b, 0, p))
        return false;
    const std::int64_t rest = static_cast<std::int64_t>(a.size()) - p - length;
    return slice(a, p + length, rest) == slice(b, p + length, rest);
}

int checkDuplicates(const CProgressive& staging, const std::string& name, const tKeyFrame& frame,
                    std::string& error)
{
    for (const auto& earlier : staging.entries()) {
        if (earlier.name == name)
            return failContent(error, text::kDuplicateKeyNum);
        if (earlier.frames.empty())
            continue;
        const tKeyFrame& other = earlier.frames.front();
        if (equalsIgnoreCase(other.messageId, frame.messageId) && other.startByte == frame.startByte
            && other.startBit == frame.startBit && other.canCh == frame.canCh
            && sameDataOutsideSignal(other, frame)) {
            error += text::kDuplicateData;
            return failContent(error, text::format(text::kProgressiveDuplicateData,
                                                   {frame.messageId, frame.messageData, frame.startByte,
                                                    frame.startBit}));
        }
    }
    return kOk;
}

int readProgressiveFrame(xmlNodePtr element, bool legacy, std::string& error, tKeyFrame& frame)
{
    static constexpr std::array<const char*, 10> kRequired = {
        "num",          "periodicInterval", "signalName",     "startByte",      "startBit",
        "signalLength", "signalType",       "progressiveMin", "progressiveMax", "progressiveStep"};
    for (const char* attribute : kRequired) {
        if (!xmlOptionalAttribute(element, attribute))
            return failStructure(error);
    }
    if (!xmlOptionalAttribute(element, legacy ? "canNum" : "canCh"))
        return failStructure(error);
    frame.messageName = xmlAttribute(element, "messageName");
    frame.signalEndian = xmlAttribute(element, "signalEndian");
    if (const int code = readChannel(element, legacy, error, frame))
        return code;
    if (const int code = readFrameData(element, legacy, error, frame))
        return code;
    if (const int code = checkFrameData(frame, error))
        return code;
    frame.periodicInterval = xmlAttribute(element, "periodicInterval");
    if (frame.periodicInterval.empty())
        return failContent(error, text::kPeriodicBlank);
    if (parseDecimal(frame.periodicInterval) > kMaxTime)
        return failContent(error, text::kPeriodicTooLarge);
    frame.signalName = xmlAttribute(element, "signalName");
    frame.startByte = xmlAttribute(element, "startByte");
    frame.startBit = xmlAttribute(element, "startBit");
    frame.signalLength = xmlAttribute(element, "signalLength");
    frame.signalType = xmlAttribute(element, "signalType");
    frame.progressiveMin = xmlAttribute(element, "progressiveMin");
    frame.progressiveMax = xmlAttribute(element, "progressiveMax");
    frame.progressiveStep = xmlAttribute(element, "progressiveStep");
    return kOk;
}

int readProgressiveKey(xmlNodePtr key, bool legacy, CProgressive& staging, std::string& error)
{
    const auto nameAttribute = xmlOptionalAttribute(key, "name");
    const auto type = xmlOptionalAttribute(key, "type");
    const auto count = xmlOptionalAttribute(key, "numberOfCanFrame");
    if (!nameAttribute || !type || !count)
        return failStructure(error);
    std::string name = *nameAttribute;
    if (name.empty())
        return failContent(error, text::kKeyNumBlank);
    if (legacy) {
        if (name == "123")
            name = "0";
        else if (name == "456")
            name = "1";
        else if (name == "789")
            name = "2";
    }
    const std::int32_t number = parseDecimal(name);
    if (number < 0 || number > kLastKeyNumber)
        return failContent(error, text::kKeyNumOutOf0To99);
    error = text::format(text::kKeyHeader, {text::kProgressiveLabel, name});
    if (*type != "Progressive")
        return failContent(error, text::kProgressiveTypeInvalid);

    tKeyEntry entry;
    entry.type = KEY_TYPE_PROGRESSIVE;
    entry.name = name;
    const std::int32_t n = parseDecimal(*count);
    if (n == 0)
        return failContent(error, text::kFrameCountZero);
    if (n >= 2)
        return failContent(error, text::kProgressiveOneFrame);
    const auto frames = frameElements(key);
    if (static_cast<std::int64_t>(frames.size()) != n)
        return failContent(error, text::kFrameCountMismatch);

    tKeyFrame frame;
    if (const int code = readProgressiveFrame(frames.front(), legacy, error, frame))
        return code;
    if (const int code = checkDuplicates(staging, name, frame, error))
        return code;
    entry.frames.push_back(std::move(frame));
    staging.appendEntry(std::move(entry));
    return kOk;
}

} // namespace

int readProgressiveSection(const XmlDocument& doc, std::string& error, CProgressive& staging)
{
    Section section;
    if (const int code = openSection(doc, "ProgressiveKey", text::kProgressiveLabel, "KeyNum", error, section))
        return code;
    for (xmlNodePtr key : section.items) {
        if (const int code = readProgressiveKey(key, section.legacy, staging, error))
            return code;
    }
    return kOk;
}

} // namespace kivplus
