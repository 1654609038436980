#include "VirtualDevice.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace kivsim {

namespace {

constexpr std::size_t kMaxPayload = 4189;   // the PC builds frames in 4192 bytes
constexpr int kPollMs = 5;
constexpr int kWriteTimeoutMs = 1000;

} // namespace

VirtualDevice::VirtualDevice()
{
    mMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (mMaster < 0 || grantpt(mMaster) != 0 || unlockpt(mMaster) != 0) {
        if (mMaster >= 0)
            ::close(mMaster);
        throw std::runtime_error("kivsim: cannot open a pseudo-terminal");
    }
    char name[128];
    if (ptsname_r(mMaster, name, sizeof name) != 0) {
        ::close(mMaster);
        throw std::runtime_error("kivsim: no pseudo-terminal name");
    }
    mPath = name;
    mSlave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    termios tio{};
    if (mSlave < 0 || tcgetattr(mSlave, &tio) != 0) {
        if (mSlave >= 0)
            ::close(mSlave);
        ::close(mMaster);
        throw std::runtime_error("kivsim: cannot set up " + mPath);
    }
    cfmakeraw(&tio);
    cfsetispeed(&tio, B115200);
    cfsetospeed(&tio, B115200);
    tcsetattr(mSlave, TCSANOW, &tio);
}

VirtualDevice::~VirtualDevice()
{
    stop();
    std::lock_guard guard(mWriteLock);
    if (mMaster >= 0)
        ::close(mMaster);
    if (mSlave >= 0)
        ::close(mSlave);
}

void VirtualDevice::start()
{
    if (mReader.joinable() || mHungUp)
        return;
    mStop = false;
    mReader = std::thread([this] { readerLoop(); });
}

void VirtualDevice::stop()
{
    mStop = true;
    if (mReader.joinable() && mReader.get_id() != std::this_thread::get_id())
        mReader.join();
}

void VirtualDevice::setHandler(std::uint8_t type, Handler handler)
{
    std::lock_guard guard(mHandlerLock);
    mHandlers[type] = std::move(handler);
}

bool VirtualDevice::openTranscript(const std::string& path)
{
    std::lock_guard guard(mWriteLock);
    mTranscript.open(path, std::ios::out | std::ios::trunc);
    return mTranscript.is_open();
}

void VirtualDevice::appendFrame(std::vector<std::uint8_t>& out, std::uint8_t type,
                                const std::vector<std::uint8_t>& payload)
{
    out.push_back(type);
    out.push_back(static_cast<std::uint8_t>(payload.size() >> 8));
    out.push_back(static_cast<std::uint8_t>(payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
}

bool VirtualDevice::sendFrame(std::uint8_t type, const std::vector<std::uint8_t>& payload)
{
    return sendFrames({Frame{type, payload}});
}

bool VirtualDevice::sendFrames(const std::vector<Frame>& frames)
{
    std::vector<std::uint8_t> bytes;
    for (const Frame& frame : frames)
        appendFrame(bytes, frame.type, frame.payload);
    std::lock_guard guard(mWriteLock);
    if (mTranscript.is_open()) {
        for (const Frame& frame : frames)
            logTranscript("dev->pc", frame.type, frame.payload.data(), frame.payload.size(),
                          static_cast<std::uint16_t>(frame.payload.size()));
    }
    return writeAll(bytes.data(), bytes.size());
}

bool VirtualDevice::sendGarbage(const std::vector<std::uint8_t>& bytes)
{
    std::lock_guard guard(mWriteLock);
    if (mTranscript.is_open())
        mTranscript << mClock.now().milliseconds << " dev->pc garbage " << bytes.size() << " bytes\n";
    return writeAll(bytes.data(), bytes.size());
}

bool VirtualDevice::sendCutFrame(std::uint8_t type, std::uint16_t declaredLength,
                                 const std::vector<std::uint8_t>& payload)
{
    std::vector<std::uint8_t> bytes{type, static_cast<std::uint8_t>(declaredLength >> 8),
                                    static_cast<std::uint8_t>(declaredLength)};
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    std::lock_guard guard(mWriteLock);
    if (mTranscript.is_open())
        logTranscript("dev->pc cut", type, payload.data(), payload.size(), declaredLength);
    return writeAll(bytes.data(), bytes.size());
}

bool VirtualDevice::writeAll(const std::uint8_t* bytes, std::size_t size)
{
    std::size_t done = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
    while (done < size && mMaster >= 0 && std::chrono::steady_clock::now() < deadline) {
        const ssize_t n = ::write(mMaster, bytes + done, size - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        pollfd p{mMaster, POLLOUT, 0};
        ::poll(&p, 1, kPollMs);
    }
    return done == size;
}

void VirtualDevice::hangUp()
{
    mHungUp = true;
    stop();
    std::lock_guard guard(mWriteLock);
    if (mMaster >= 0) {
        ::close(mMaster);
        mMaster = -1;
    }
}

void VirtualDevice::logTranscript(const char* direction, std::uint8_t type, const std::uint8_t* payload,
                                  std::size_t size, std::uint16_t declaredLength)
{
    char head[64];
    std::snprintf(head, sizeof head, "%u %s %02X %u", mClock.now().milliseconds, direction, type, declaredLength);
    mTranscript << head;
    for (std::size_t i = 0; i < size; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", payload[i]);
        mTranscript << hex;
    }
    mTranscript << '\n';
}

void VirtualDevice::readerLoop()
{
    std::uint8_t buffer[4096];
    while (!mStop) {
        pollfd p{mMaster, POLLIN, 0};
        if (::poll(&p, 1, kPollMs) <= 0 || !(p.revents & POLLIN))
            continue;
        const ssize_t n = ::read(mMaster, buffer, sizeof buffer);
        if (n <= 0)
            continue;
        mInput.insert(mInput.end(), buffer, buffer + n);
        parseInput();
    }
}

void VirtualDevice::parseInput()
{
    const auto time = std::chrono::steady_clock::now();
    std::size_t at = 0;
    while (!mStop && mInput.size() - at >= 3) {
        const std::size_t length = std::size_t(mInput[at + 1]) << 8 | mInput[at + 2];
        if (length > kMaxPayload) {
            ++at;   // not a frame start
            continue;
        }
        if (mInput.size() - at < 3 + length)
            break;
        ReceivedFrame received{Frame{mInput[at], std::vector<std::uint8_t>(mInput.begin() + at + 3,
                                                                          mInput.begin() + at + 3 + length)},
                               time, mClock.at(time)};
        at += 3 + length;
        {
            std::lock_guard guard(mWriteLock);
            if (mTranscript.is_open())
                logTranscript("pc->dev", received.frame.type, received.frame.payload.data(),
                              received.frame.payload.size(), static_cast<std::uint16_t>(length));
        }
        {
            std::lock_guard guard(mReceivedLock);
            mReceived.push_back(received);
        }
        mReceivedChanged.notify_all();
        Handler handler;
        {
            std::lock_guard guard(mHandlerLock);
            auto it = mHandlers.find(received.frame.type);
            if (it != mHandlers.end())
                handler = it->second;
        }
        if (handler)
            handler(*this, received);
    }
    mInput.erase(mInput.begin(), mInput.begin() + static_cast<std::ptrdiff_t>(std::min(at, mInput.size())));
}

std::vector<ReceivedFrame> VirtualDevice::received() const
{
    std::lock_guard guard(mReceivedLock);
    return mReceived;
}

std::size_t VirtualDevice::receivedCount(std::uint8_t type) const
{
    std::lock_guard guard(mReceivedLock);
    return static_cast<std::size_t>(std::count_if(mReceived.begin(), mReceived.end(),
                                                  [type](const ReceivedFrame& r) { return r.frame.type == type; }));
}

bool VirtualDevice::waitForFrames(std::uint8_t type, std::size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mReceivedLock);
    return mReceivedChanged.wait_for(lock, timeout, [&] {
        return static_cast<std::size_t>(std::count_if(mReceived.begin(), mReceived.end(), [type](const ReceivedFrame& r) {
                   return r.frame.type == type;
               })) >= count;
    });
}

void VirtualDevice::clearReceived()
{
    std::lock_guard guard(mReceivedLock);
    mReceived.clear();
}

} // namespace kivsim
