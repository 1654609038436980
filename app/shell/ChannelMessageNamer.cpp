#include "shell/ChannelMessageNamer.h"

#include "database/DatabaseChannels.h"

namespace kivplus {

std::string_view ChannelMessageNamer::messageName(int channelIndex, std::uint32_t id, bool extended) const
{
    if (channelIndex < 0 || channelIndex >= DatabaseChannels::kChannels)
        return {};
    const CMsgSignal* database = channels_.database(channelIndex);
    const tDbMessage* message = database ? database->findMessageById(id, extended ? 1 : 0) : nullptr;
    return message ? std::string_view(message->name) : std::string_view();
}

} // namespace kivplus
