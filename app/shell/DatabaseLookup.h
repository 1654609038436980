#pragma once

#include "keymap/KeyMapDatabases.h"
#include "trace/TraceEvent.h"

namespace kivplus {

class DatabaseChannels;

// The databases loaded on CAN 1 and CAN 2 as the key map and the trace ask
// for them: key map channels are 1 and 2, trace channel indexes 0 and 1.
class DatabaseLookup : public KeyMapDatabases, public MessageNamer {
public:
    explicit DatabaseLookup(const DatabaseChannels& channels) : channels_(channels) {}

    bool isLoaded(int channel) const override;
    std::optional<std::string> findMessageName(int channel, std::uint32_t id, bool extended) const override;
    std::optional<Signal> findSignal(int channel, std::uint32_t id, bool extended, int startByte,
                                     int startBit) const override;
    std::string_view messageName(int channelIndex, std::uint32_t id, bool extended) const override;

private:
    const DatabaseChannels& channels_;
};

} // namespace kivplus
