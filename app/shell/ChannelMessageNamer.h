#pragma once

#include "trace/TraceEvent.h"

namespace kivplus {

class DatabaseChannels;

// Names traced frames from the database loaded on their channel (trace
// channel index 0 is CAN 1).
class ChannelMessageNamer : public MessageNamer {
public:
    explicit ChannelMessageNamer(const DatabaseChannels& channels) : channels_(channels) {}

    std::string_view messageName(int channelIndex, std::uint32_t id, bool extended) const override;

private:
    const DatabaseChannels& channels_;
};

} // namespace kivplus
