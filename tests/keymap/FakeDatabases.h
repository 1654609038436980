#pragma once

#include "keymap/KeyMapDatabases.h"

#include <map>
#include <set>
#include <tuple>

namespace keymaptest {

// Databases on CAN 1 and CAN 2 made of a few messages and signals.
class FakeDatabases : public kivplus::KeyMapDatabases {
public:
    void addMessage(int channel, std::uint32_t id, bool extended, const std::string& name)
    {
        loaded.insert(channel);
        messages[{channel, id, extended}] = name;
    }
    void addSignal(int channel, std::uint32_t id, bool extended, int startByte, int startBit, Signal signal)
    {
        signals[{channel, id, extended, startByte, startBit}] = std::move(signal);
    }

    bool isLoaded(int channel) const override { return loaded.count(channel) > 0; }
    std::optional<std::string> findMessageName(int channel, std::uint32_t id, bool extended) const override
    {
        auto it = messages.find({channel, id, extended});
        if (it == messages.end())
            return std::nullopt;
        return it->second;
    }
    std::optional<Signal> findSignal(int channel, std::uint32_t id, bool extended, int startByte,
                                     int startBit) const override
    {
        auto it = signals.find({channel, id, extended, startByte, startBit});
        if (it == signals.end())
            return std::nullopt;
        return it->second;
    }

    std::set<int> loaded;
    std::map<std::tuple<int, std::uint32_t, bool>, std::string> messages;
    std::map<std::tuple<int, std::uint32_t, bool, int, int>, Signal> signals;
};

} // namespace keymaptest
