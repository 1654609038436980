#include "trace/DatabaseMessageNamer.h"

#include "database/CMsgSignal.h"
#include "database/DatabaseChannels.h"

namespace kivplus {

namespace {

std::uint64_t nameKey(std::uint32_t id, bool extended)
{
    return std::uint64_t(extended ? 1 : 0) << 32 | id;
}

} // namespace

std::shared_ptr<const DatabaseMessageNamer::NameTable> DatabaseMessageNamer::tableOf(const CMsgSignal* database)
{
    if (!database)
        return nullptr;
    auto table = std::make_shared<NameTable>();
    table->gmParameterIds = database->useGMParameterIds;
    table->names.reserve(database->messages.size());
    for (const tDbMessage& message : database->messages) {
        if (message.extended == 0 || message.extended == 1)
            table->names.emplace(nameKey(message.id, message.extended == 1), message.name);   // the first one wins
    }
    return table;
}

void DatabaseMessageNamer::update(const DatabaseChannels& channels)
{
    for (int slot = 0; slot < kChannels; ++slot)
        setDatabase(slot, channels.database(slot));
}

void DatabaseMessageNamer::setDatabase(int channelIndex, const CMsgSignal* database)
{
    if (channelIndex < 0 || channelIndex >= kChannels)
        return;
    std::shared_ptr<const NameTable> table = tableOf(database);
    std::lock_guard guard(lock_);
    tables_[std::size_t(channelIndex)] = std::move(table);
    version_.fetch_add(1, std::memory_order_release);
}

std::string_view DatabaseMessageNamer::messageName(int channelIndex, std::uint32_t id, bool extended) const
{
    if (channelIndex < 0 || channelIndex >= kChannels)
        return {};
    const std::uint64_t version = version_.load(std::memory_order_acquire);
    if (version != heldVersion_) {
        std::lock_guard guard(lock_);
        held_ = tables_;
        heldVersion_ = version_.load(std::memory_order_relaxed);
    }
    const NameTable* table = held_[std::size_t(channelIndex)].get();
    if (!table)
        return {};
    if (extended)
        id &= table->gmParameterIds ? 0x3FFE000u : 0x1FFFFFFFu;
    const auto found = table->names.find(nameKey(id, extended));
    return found == table->names.end() ? std::string_view() : std::string_view(found->second);
}

} // namespace kivplus
