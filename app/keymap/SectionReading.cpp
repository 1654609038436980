#include "keymap/SectionReading.h"

#include "keymap/KeyFields.h"
#include "keymap/KeyMapTexts.h"

#include <optional>

namespace kivplus::sectionread {

namespace {

constexpr std::size_t kLegacyDataToken = 4;

std::vector<std::string> splitTokens(std::string_view text)
{
    std::vector<std::string> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ')
            ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ')
            ++i;
        if (i > start)
            tokens.emplace_back(text.substr(start, i - start));
    }
    return tokens;
}

// canFrameData: identifier, unused, "0" for Standard, length, data bytes.
int readLegacyFrameData(xmlNodePtr element, std::string& error, tKeyFrame& frame)
{
    const auto data = xmlOptionalAttribute(element, "canFrameData");
    if (!data)
        return failStructure(error);
    if (data->empty())
        return failContent(error, keymaptext::kEmptyData);
    const auto tokens = splitTokens(*data);
    if (tokens.size() < kLegacyDataToken)
        return failStructure(error);
    const std::int32_t length = parseDecimal(tokens[3]);
    const std::size_t dataTokens = length > 0 ? static_cast<std::size_t>(length) : 0;
    if (tokens.size() - kLegacyDataToken < dataTokens)
        return failStructure(error);
    frame.messageId = tokens[0];
    frame.messageFormat = tokens[2] == "0" ? "Standard" : "Extended";
    frame.messageLength = tokens[3];
    frame.messageData.clear();
    for (std::size_t i = 0; i < dataTokens; ++i) {
        if (i > 0)
            frame.messageData += ' ';
        frame.messageData += tokens[kLegacyDataToken + i];
    }
    return kOk;
}

} // namespace

int openSection(const XmlDocument& doc, const char* sectionName, const char* label, const char* itemName,
                std::string& error, Section& section)
{
    const xmlNodePtr root = doc.root();
    if (!root)
        return kStructure;
    section.legacy = xmlAttribute(root, "docVersion") != "1.0";
    error = keymaptext::format(keymaptext::kSectionHeader, {label});
    const auto sections = xmlDescendants(root, sectionName, true);
    section.items = sections.empty() ? std::vector<xmlNodePtr>{} : xmlDescendants(sections.front(), itemName);
    return kOk;
}

int failContent(std::string& error, std::string_view message)
{
    error += message;
    return kContent;
}

int failStructure(std::string& error, std::string_view message)
{
    error += message;
    return kStructure;
}

int readChannel(xmlNodePtr element, bool legacy, std::string& error, tKeyFrame& frame)
{
    const auto channel = xmlOptionalAttribute(element, legacy ? "canNum" : "canCh");
    if (!channel)
        return failStructure(error);
    frame.canCh = channelTextToMask(*channel);
    return kOk;
}

int readFrameData(xmlNodePtr element, bool legacy, std::string& error, tKeyFrame& frame)
{
    if (legacy) {
        if (const int code = readLegacyFrameData(element, error, frame))
            return code;
    } else {
        const auto id = xmlOptionalAttribute(element, "messageId");
        const auto format = xmlOptionalAttribute(element, "messageFormat");
        const auto length = xmlOptionalAttribute(element, "messageLength");
        const auto data = xmlOptionalAttribute(element, "messageData");
        if (!id || !format || !length || !data)
            return failStructure(error);
        frame.messageId = *id;
        frame.messageFormat = *format;
        frame.messageLength = *length;
        frame.messageData = *data;
    }
    if (frame.messageId.empty() || frame.messageFormat.empty() || frame.messageLength.empty())
        return failContent(error, keymaptext::kEmptyData);
    return kOk;
}

int checkFrameData(const tKeyFrame& frame, std::string& error)
{
    if (!isValidMessageId(frame.messageId, frame.messageFormat)) {
        error += keymaptext::format(keymaptext::kMessageIdLine, {frame.messageId});
        return failContent(error, keymaptext::kInvalidMessageData);
    }
    if (!isValidMessageData(frame.messageLength, frame.messageData)) {
        error += keymaptext::format(keymaptext::kMessageDataLine, {frame.messageData});
        return failContent(error, keymaptext::kInvalidMessageData);
    }
    return kOk;
}

std::vector<xmlNodePtr> frameElements(xmlNodePtr key) { return xmlDescendants(key, "CanFrame"); }

} // namespace kivplus::sectionread
