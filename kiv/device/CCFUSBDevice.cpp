#include "device/CCFUSBDevice.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace kiv {

namespace {

constexpr int kReadWaitMs = 1;
constexpr int kWriteWaitMs = 10;

bool configureLine(int fd)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    tio.c_cflag &= ~(CSTOPB | PARENB | CSIZE | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (cfsetispeed(&tio, B115200) != 0 || cfsetospeed(&tio, B115200) != 0)
        return false;
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

} // namespace

CCFUSBDevice::CCFUSBDevice(CMessageStores* stores)
    : mStores(stores)
{
}

CCFUSBDevice::~CCFUSBDevice()
{
    vStopAndJoin();
}

int CCFUSBDevice::openPort(const char* path)
{
    const int fd = ::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    // Not shared: nobody else may open the port while we hold it.
    if (!isatty(fd) || ioctl(fd, TIOCEXCL) != 0 || !configureLine(fd)) {
        ::close(fd);
        return -1;
    }
    tcflush(fd, TCIOFLUSH);
    return fd;
}

std::uint8_t CCFUSBDevice::esConnect(const char* portName)
{
    std::lock_guard guard(mLock);
    if (mPort.load() >= 0)
        return 0;
    char path[kDevicePathSize];
    const std::size_t length = portName ? strnlen(portName, kDevicePathSize) : kDevicePathSize;
    if (length == 0 || length >= kDevicePathSize) {
        mConnected = false;
        return 51;
    }
    std::memcpy(path, portName, length + 1);

    const int fd = openPort(path);
    if (fd < 0) {
        mConnected = false;
        return 51;
    }
    {
        std::lock_guard writeGuard(mWriteLock);
        mLastWriteShort = false;
    }
    mPort = fd;
    mConnected = true;
    mRing.vReset();
    esStart();
    return 0;
}

std::uint8_t CCFUSBDevice::esDisconnect()
{
    std::lock_guard guard(mLock);
    esStop();
    const int fd = mPort.load();
    if (fd < 0)
        return 51;
    // The receive thread leaves within one read wait; the port must not be
    // closed (and its number reused) under it.
    vJoin();
    ioctl(fd, TIOCNXCL);
    tcflush(fd, TCIOFLUSH);
    std::lock_guard writeGuard(mWriteLock);
    if (::close(fd) != 0 && errno != EINTR)
        return 51;
    mConnected = false;
    mPort = kNoPort;
    return 0;
}

int CCFUSBDevice::write(const std::uint8_t* bytes, int length)
{
    std::lock_guard guard(mWriteLock);
    const int fd = mPort.load();
    if (!bytes || fd < 0)
        return -1;
    // A short write may have left part of a frame queued: clear it so the
    // device does not glue it to this frame.
    if (mLastWriteShort)
        tcflush(fd, TCOFLUSH);
    int written = 0;
    for (int call = 0; call < kMaxWriteCalls && written < length; ++call) {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, kWriteWaitMs) <= 0 || !(p.revents & POLLOUT))
            continue;
        const ssize_t n = ::write(fd, bytes + written, static_cast<std::size_t>(length - written));
        if (n > 0)
            written += static_cast<int>(n);
    }
    mLastWriteShort = written < length;
    return written;
}

int CCFUSBDevice::read(std::uint8_t* buffer, std::size_t size)
{
    const int fd = mPort.load();
    if (fd < 0)
        return 0;
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, kReadWaitMs);
    if (ready <= 0)
        return 0;
    if (!(p.revents & POLLIN)) {
        // Hung up or failed: keep the read's 1 ms pace instead of spinning.
        std::this_thread::sleep_for(std::chrono::milliseconds(kReadWaitMs));
        return 0;
    }
    const ssize_t n = ::read(fd, buffer, size);
    if (n <= 0) {
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            std::this_thread::sleep_for(std::chrono::milliseconds(kReadWaitMs));
        return 0;
    }
    return static_cast<int>(n);
}

void CCFUSBDevice::vRun()
{
    if (mPort.load() < 0)
        return;
    if (!mStores) {
        vSetRunning(false);
        return;
    }
    mSplitter.vResetStall();
    while (bIsRunning()) {
        std::memset(mReadBuffer, 0, sizeof mReadBuffer);
        const int count = read(mReadBuffer, sizeof mReadBuffer);
        if (count <= 0) {
            std::this_thread::yield();
            continue;
        }
        for (int i = 0; i < count; ++i)
            mRing.vPush(mReadBuffer[i]);
        mSplitter.extract(mRing, *mStores);
        std::this_thread::yield();
    }
}

} // namespace kiv
