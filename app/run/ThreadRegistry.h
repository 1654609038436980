#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <list>
#include <string>
#include <thread>

namespace kivplus {

// The threads of a runner, one entry per key name (or one shared entry): the
// thread that runs or last ran that key. A thread marks its entry ended as its
// last act; the owner joins it later. Used from the controlling thread only.
class ThreadRegistry {
public:
    struct Entry {
        std::string keyName;
        std::string runningKey; // the key its thread runs or last ran
        std::thread thread;
        std::atomic<bool> ended{true};
    };

    ~ThreadRegistry();

    Entry& entryFor(const std::string& keyName);
    // Whether the entry's thread has not yet ended.
    static bool isAlive(const Entry& entry) { return entry.thread.joinable() && !entry.ended.load(); }
    // Joins the entry's thread, however long it takes to end.
    static void join(Entry& entry);
    // Runs body for the key on a new thread of the entry (its earlier thread
    // joined first); the entry is marked ended after body returns.
    static void launch(Entry& entry, const std::string& key, std::function<void()> body);

    // Waits up to the limit for each thread to end and joins those that did;
    // one that did not stays registered and is joined later.
    void joinAll(std::chrono::milliseconds limitPerThread);
    void joinAll();
    void forEach(const std::function<void(Entry&)>& visit);

private:
    std::list<Entry> entries_;
};

} // namespace kivplus
