#pragma once

#include "keymap/KeyMapDatabases.h"

namespace kivplus {

class DatabaseChannels;

// The channel databases as the key map's name resolution sees them
// (channels 1 and 2).
class ChannelKeyMapDatabases : public KeyMapDatabases {
public:
    explicit ChannelKeyMapDatabases(const DatabaseChannels& channels) : channels_(channels) {}

    bool isLoaded(int channel) const override;
    std::optional<std::string> findMessageName(int channel, std::uint32_t id, bool extended) const override;
    std::optional<Signal> findSignal(int channel, std::uint32_t id, bool extended, int startByte,
                                     int startBit) const override;

private:
    const DatabaseChannels& channels_;
};

} // namespace kivplus
