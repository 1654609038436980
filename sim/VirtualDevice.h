// A virtual KIV-2xx on a pseudo-terminal: the device side of the frame
// envelope. Behaviours register a handler per message type; the device
// records every frame it receives with its receive time.
#pragma once

#include "DeviceClock.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <condition_variable>
#include <string>
#include <thread>
#include <vector>

namespace kivsim {

struct Frame {
    std::uint8_t type = 0;
    std::vector<std::uint8_t> payload;
};

struct ReceivedFrame {
    Frame frame;
    std::chrono::steady_clock::time_point time;
    DeviceTime deviceTime;
};

class VirtualDevice {
public:
    using Handler = std::function<void(VirtualDevice&, const ReceivedFrame&)>;

    // Opens the pseudo-terminal (raw mode); throws std::runtime_error when
    // it cannot. Frames are served once start() was called.
    VirtualDevice();
    ~VirtualDevice();
    VirtualDevice(const VirtualDevice&) = delete;
    VirtualDevice& operator=(const VirtualDevice&) = delete;

    // The path the PC side opens, e.g. /dev/pts/7.
    const std::string& path() const { return mPath; }
    const DeviceClock& clock() const { return mClock; }

    void start();
    void stop();

    // Registers the behaviour for frames of one type (replacing any earlier one).
    void setHandler(std::uint8_t type, Handler handler);

    // Appends every frame sent and received to a text file.
    bool openTranscript(const std::string& path);

    // Sends one device frame; false when it could not be written whole.
    bool sendFrame(std::uint8_t type, const std::vector<std::uint8_t>& payload);
    // Sends several frames in one write.
    bool sendFrames(const std::vector<Frame>& frames);
    // Faults: bytes that are no frame, and a frame whose payload stops short.
    bool sendGarbage(const std::vector<std::uint8_t>& bytes);
    bool sendCutFrame(std::uint8_t type, std::uint16_t declaredLength, const std::vector<std::uint8_t>& payload);
    // Closes the device side: the PC side sees the port hang up.
    void hangUp();
    bool isHungUp() const { return mHungUp.load(); }

    std::vector<ReceivedFrame> received() const;
    std::size_t receivedCount(std::uint8_t type) const;
    // Waits until count frames of the type have arrived; false on time-out.
    bool waitForFrames(std::uint8_t type, std::size_t count, std::chrono::milliseconds timeout) const;
    void clearReceived();

private:
    void readerLoop();
    void parseInput();
    bool writeAll(const std::uint8_t* bytes, std::size_t size);
    void logTranscript(const char* direction, std::uint8_t type, const std::uint8_t* payload, std::size_t size,
                       std::uint16_t declaredLength);
    static void appendFrame(std::vector<std::uint8_t>& out, std::uint8_t type, const std::vector<std::uint8_t>& payload);

    DeviceClock mClock;
    std::string mPath;
    std::atomic<int> mMaster{-1};
    int mSlave = -1;   // held open so the terminal keeps its settings between PC connections

    std::mutex mWriteLock;   // guards mMaster for writing and closing, and the transcript
    std::ofstream mTranscript;

    std::mutex mHandlerLock;
    std::map<std::uint8_t, Handler> mHandlers;

    mutable std::mutex mReceivedLock;
    mutable std::condition_variable mReceivedChanged;
    std::vector<ReceivedFrame> mReceived;

    std::vector<std::uint8_t> mInput;   // reader thread only
    std::atomic<bool> mStop{false};
    std::atomic<bool> mHungUp{false};
    std::thread mReader;
};

} // namespace kivsim
