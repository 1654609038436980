#include "database/CMsgSignal.h"

#include "database/DatabaseTexts.h"
#include "platform/UserPrompt.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace kivplus {

namespace {

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string upperCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string hexText(std::uint64_t value)
{
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(value));
    return buffer;
}

} // namespace

bool CMsgSignal::fail(std::string reason)
{
    lastError_ = std::move(reason);
    return false;
}

bool CMsgSignal::loadDatabase(const std::string& path, const std::string& extension, UserPrompt* prompt)
{
    const std::string kind = lowerCase(extension);
    bool loaded = true;
    if (kind == "dbc")
        loaded = importDbc(path);
    else if (kind == "arxml")
        loaded = importArxml(path);
    if (!loaded && prompt)
        prompt->error(path + dbtext::kInvalidDatabaseSuffix);
    return loaded;
}

bool CMsgSignal::freeMessages()
{
    messages.clear();
    messages.shrink_to_fit();
    return true;
}

const tDbMessage* CMsgSignal::findMessageById(std::uint32_t id, int extended) const
{
    if (extended == 1)
        id &= useGMParameterIds ? 0x3FFE000u : 0x1FFFFFFFu;
    for (const auto& message : messages) {
        if (message.id == id && message.extended == extended)
            return &message;
    }
    return nullptr;
}

const tDbMessage* CMsgSignal::findMessageByName(const std::string& name) const
{
    for (const auto& message : messages) {
        if (message.name == name)
            return &message;
    }
    return nullptr;
}

bool CMsgSignal::messageHasSignalLike(const std::string& messageName, const std::string& text) const
{
    const std::string wanted = upperCase(text);
    for (const auto& message : messages) {
        if (message.name != messageName)
            continue;
        for (const auto& signal : message.signalList) {
            if (upperCase(signal.name).find(wanted) != std::string::npos)
                return true;
        }
    }
    return false;
}

void CMsgSignal::updateSignal(const std::string& messageName, const std::string& signalName, const tDbSignal& signal)
{
    if (messageName.empty() && signalName.empty())
        return;
    auto message = std::find_if(messages.begin(), messages.end(),
                                [&](const tDbMessage& m) { return m.name == messageName; });
    if (message == messages.end())
        return;
    for (auto& target : message->signalList) {
        if (target.name == signalName || target.name.empty()) {
            auto values = std::move(target.valueTable);
            target = signal;
            target.valueTable = std::move(values);
            return;
        }
    }
}

MessageIdText formatMessageId(bool useGMParameterIds, const tDbMessage& message)
{
    if (useGMParameterIds) {
        const std::uint64_t composed = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(message.priority)) << 26) +
                                       message.id;
        return {hexText(composed & 0xFFFFFFFFu), message.extended ? "GMExtended" : "Standard"};
    }
    return {hexText(message.id), message.extended ? "Extended" : "Standard"};
}

} // namespace kivplus
