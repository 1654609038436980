#include "shell/DatabaseLookup.h"

#include "database/DatabaseChannels.h"

namespace kivplus {

namespace {

const tDbMessage* findMessage(const DatabaseChannels& channels, int slot, std::uint32_t id, bool extended)
{
    if (slot < 0 || slot >= DatabaseChannels::kChannels)
        return nullptr;
    const CMsgSignal* database = channels.database(slot);
    return database ? database->findMessageById(id, extended ? 1 : 0) : nullptr;
}

} // namespace

bool DatabaseLookup::isLoaded(int channel) const
{
    return channel >= 1 && channel <= DatabaseChannels::kChannels && channels_.database(channel - 1) != nullptr;
}

std::optional<std::string> DatabaseLookup::findMessageName(int channel, std::uint32_t id, bool extended) const
{
    if (const tDbMessage* message = findMessage(channels_, channel - 1, id, extended))
        return message->name;
    return std::nullopt;
}

std::optional<KeyMapDatabases::Signal> DatabaseLookup::findSignal(int channel, std::uint32_t id, bool extended,
                                                                  int startByte, int startBit) const
{
    const tDbMessage* message = findMessage(channels_, channel - 1, id, extended);
    if (!message)
        return std::nullopt;
    for (const tDbSignal& signal : message->signalList)
        if (signal.startByte == startByte && signal.startBit == startBit)
            return Signal{signal.name, signal.signalType};
    return std::nullopt;
}

std::string_view DatabaseLookup::messageName(int channelIndex, std::uint32_t id, bool extended) const
{
    const tDbMessage* message = findMessage(channels_, channelIndex, id, extended);
    return message ? std::string_view(message->name) : std::string_view();
}

} // namespace kivplus
