#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace kivplus {

inline constexpr int KEY_TYPE_PROGRESSIVE = 0;
inline constexpr int KEY_TYPE_SCENARIO = 1; // Scenario keys and every ignition key
inline constexpr int KEY_TYPE_SINGLE = 2;

// The messageName that marks a frame which stops the periodic repetition of
// another frame of the same key (the one whose num is its messageData).
inline constexpr const char* kStopFrameName = "Stop Periodic Message";

// A word that a runner's worker and the receive thread share in a runner's
// copy of an entry. It copies by value so that records stay plain to copy.
template <typename T>
class RunnerWord {
public:
    RunnerWord(T value = T{}) : value_(value) {}
    RunnerWord(const RunnerWord& other) : value_(other.load()) {}
    RunnerWord& operator=(const RunnerWord& other)
    {
        store(other.load());
        return *this;
    }
    RunnerWord& operator=(T value)
    {
        store(value);
        return *this;
    }
    operator T() const { return load(); }
    T load() const { return value_.load(std::memory_order_relaxed); }
    void store(T value) { value_.store(value, std::memory_order_relaxed); }
    T fetchAdd(T delta) { return value_.fetch_add(delta, std::memory_order_relaxed); }
    T fetchSub(T delta) { return value_.fetch_sub(delta, std::memory_order_relaxed); }

private:
    std::atomic<T> value_;
};

// One CAN frame of a key. Every field but num and the runtime flags is kept as
// the text that was typed, read from a file or decoded from the device.
struct tKeyFrame {
    std::int32_t num = 0;
    RunnerWord<std::uint8_t> sent;           // runtime, runners' copies only
    RunnerWord<std::uint8_t> periodicActive; // runtime, runners' copies only
    std::string canCh;                       // channel mask in decimal: "1", "2", "3"
    std::string messageName;
    std::string periodicInterval;
    std::string messageId;
    std::string messageFormat; // "Standard", "Extended" or "GMExtended"
    std::string messageData;   // "01 A0 FF"
    std::string messageLength;
    std::string canFrameDelay;
    std::string signalName; // the signal fields belong to progressive keys
    std::string startByte;
    std::string startBit;
    std::string signalLength;
    std::string signalType;
    std::string signalEndian;
    std::string progressiveMin;
    std::string progressiveMax;
    std::string progressiveStep;
    std::string sweepValue; // runtime, runners' copies only; never stored
};

// Runtime words of a runner's copy of an entry; all 0 in the lists except that
// loaders set expanded (0 for key map keys, 1 for ignition keys).
struct tRunnerStatus {
    RunnerWord<std::int32_t> unconfirmedFrames;
    RunnerWord<std::uint8_t> expanded;
    RunnerWord<std::uint8_t> running;
    RunnerWord<std::uint8_t> repeat;
    RunnerWord<std::uint8_t> managedRun;
    RunnerWord<std::int32_t> direction;
    RunnerWord<std::uint8_t> autoReverse;
    RunnerWord<std::int32_t> passCount;
    RunnerWord<std::int32_t> phase;
    RunnerWord<std::int32_t> phaseMinutes;
};

// One key: its number (or ignition type) in name and its frames in num order.
struct tKeyEntry {
    std::int32_t type = KEY_TYPE_SINGLE;
    std::int32_t numberOfCanFrame = 0;
    tRunnerStatus runnerStatus;
    std::vector<tKeyFrame> frames;
    std::string name;
    std::string runTime;
    std::string sleepTime;
};

inline bool isStopFrame(const tKeyFrame& frame) { return frame.messageName == kStopFrameName; }

// A stop frame as the editor adds it to a Scenario key. It carries the fixed
// identifier "0x0" in Standard format so that the file reader, which needs a
// non-empty identifier, format and length, opens it again.
tKeyFrame makeStopFrame(int frameToStop, const std::string& canCh);

} // namespace kivplus
