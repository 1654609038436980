#pragma once

#include "trace/TraceEvent.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace kivplus {

class CMsgSignal;
class DatabaseChannels;

// Names traced frames from the database of their channel (slot 0 CAN 1, slot 1
// CAN 2), as findMessageById would: the first message with the identifier and
// frame format, an extended identifier masked first.
//
// The names are copied out of the databases when they are loaded or released,
// so the conversion thread never reads a database that the user-interface
// thread is replacing. messageName is called by one thread at a time (the
// conversion thread); the tables are taken by any other thread.
class DatabaseMessageNamer : public MessageNamer {
public:
    static constexpr int kChannels = 2;

    // Takes the names of both channels' databases.
    void update(const DatabaseChannels& channels);
    // Takes the names of one channel's database; null forgets them.
    void setDatabase(int channelIndex, const CMsgSignal* database);

    std::string_view messageName(int channelIndex, std::uint32_t id, bool extended) const override;

private:
    struct NameTable {
        bool gmParameterIds = false;
        std::unordered_map<std::uint64_t, std::string> names;   // by extended flag and identifier
    };
    using Tables = std::array<std::shared_ptr<const NameTable>, kChannels>;

    static std::shared_ptr<const NameTable> tableOf(const CMsgSignal* database);

    mutable std::mutex lock_;
    Tables tables_;
    std::atomic<std::uint64_t> version_{0};
    // The caller's copy, renewed when the tables changed; it keeps the text of
    // the last answer alive until the next call.
    mutable Tables held_;
    mutable std::uint64_t heldVersion_ = 0;
};

} // namespace kivplus
