#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kivplus {

// What name resolution needs from the databases loaded on CAN 1 and CAN 2.
// Channels are numbered 1 and 2; the application adapts its channel databases.
class KeyMapDatabases {
public:
    struct Signal {
        std::string name;
        std::string signalType;
        int byteOrder = 0; // 1 Intel, otherwise Motorola
    };

    virtual ~KeyMapDatabases() = default;

    virtual bool isLoaded(int channel) const = 0;
    // Name of the message with this identifier and format, or none.
    virtual std::optional<std::string> findMessageName(int channel, std::uint32_t id, bool extended) const = 0;
    // The signal of that message that starts at startByte and startBit, or none
    // (also when the message itself is not there).
    virtual std::optional<Signal> findSignal(int channel, std::uint32_t id, bool extended, int startByte,
                                             int startBit) const = 0;
};

} // namespace kivplus
