#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kivplus {

// A reported CAN frame handed by the session's dispatch to the trace conversion
// thread, which owns it from then on.
struct sTraceEvent {
    enum Kind : std::int32_t { TransmitError = 1, Transmitted = 2, Received = 3 };

    // The CAN frame record: extended flag, DLC, identifier (2 or 4 bytes,
    // big-endian), data, channel index, device milliseconds and tick (4 bytes
    // each, big-endian).
    std::uint8_t eventBytes[100] = {};
    std::string eventName;      // a name supplied with the event; usually empty
    std::int32_t eventKind = 0;
};

// Names traced frames from the database of their channel. The returned text
// must stay valid until the next call; empty when there is no name.
class MessageNamer {
public:
    virtual ~MessageNamer() = default;
    virtual std::string_view messageName(int channelIndex, std::uint32_t id, bool extended) const = 0;
};

} // namespace kivplus
