#include "database/ChannelKeyMapDatabases.h"

#include "database/DatabaseChannels.h"

namespace kivplus {

namespace {

const CMsgSignal* databaseOf(const DatabaseChannels& channels, int channel)
{
    if (channel < 1 || channel > DatabaseChannels::kChannels)
        return nullptr;
    return channels.database(channel - 1);
}

} // namespace

bool ChannelKeyMapDatabases::isLoaded(int channel) const
{
    return databaseOf(channels_, channel) != nullptr;
}

std::optional<std::string> ChannelKeyMapDatabases::findMessageName(int channel, std::uint32_t id, bool extended) const
{
    const CMsgSignal* database = databaseOf(channels_, channel);
    const tDbMessage* message = database ? database->findMessageById(id, extended ? 1 : 0) : nullptr;
    if (!message)
        return std::nullopt;
    return message->name;
}

std::optional<KeyMapDatabases::Signal> ChannelKeyMapDatabases::findSignal(int channel, std::uint32_t id,
                                                                          bool extended, int startByte,
                                                                          int startBit) const
{
    const CMsgSignal* database = databaseOf(channels_, channel);
    const tDbMessage* message = database ? database->findMessageById(id, extended ? 1 : 0) : nullptr;
    if (!message)
        return std::nullopt;
    for (const auto& signal : message->signalList) {
        if (signal.startByte == startByte && signal.startBit == startBit)
            return Signal{signal.name, signal.signalType, signal.byteOrder};
    }
    return std::nullopt;
}

} // namespace kivplus
