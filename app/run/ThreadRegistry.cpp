#include "run/ThreadRegistry.h"

namespace kivplus {

ThreadRegistry::~ThreadRegistry() { joinAll(); }

ThreadRegistry::Entry& ThreadRegistry::entryFor(const std::string& keyName)
{
    for (Entry& entry : entries_)
        if (entry.keyName == keyName)
            return entry;
    Entry& entry = entries_.emplace_back();
    entry.keyName = keyName;
    return entry;
}

void ThreadRegistry::join(Entry& entry)
{
    if (entry.thread.joinable())
        entry.thread.join();
}

void ThreadRegistry::launch(Entry& entry, const std::string& key, std::function<void()> body)
{
    join(entry);
    entry.runningKey = key;
    entry.ended.store(false);
    entry.thread = std::thread([&entry, body = std::move(body)] {
        body();
        entry.ended.store(true);
    });
}

void ThreadRegistry::joinAll(std::chrono::milliseconds limitPerThread)
{
    for (Entry& entry : entries_) {
        if (!entry.thread.joinable())
            continue;
        const auto deadline = std::chrono::steady_clock::now() + limitPerThread;
        while (!entry.ended.load() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (entry.ended.load())
            entry.thread.join();
    }
}

void ThreadRegistry::joinAll()
{
    for (Entry& entry : entries_)
        join(entry);
}

void ThreadRegistry::forEach(const std::function<void(Entry&)>& visit)
{
    for (Entry& entry : entries_)
        visit(entry);
}

} // namespace kivplus
