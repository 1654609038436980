// Connect and disconnect rules of the serial device, on pseudo-terminals.
#include "device/CCFUSBDevice.h"

#include "VirtualDevice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

using namespace std::chrono_literals;

namespace {

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 2000ms)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

class UsbDevice : public testing::Test {
protected:
    kiv::CMessageStores stores;
    kiv::CCFUSBDevice device{&stores};
};

TEST_F(UsbDevice, RefusesPortsThatCannotBeOpened)
{
    const std::string longest(255, 'x');
    const std::string tooLong(256, 'x');
    for (const char* name : {static_cast<const char*>(nullptr), "", "/dev/kiv-no-such-port", longest.c_str(),
                             tooLong.c_str(), "/dev/null" /* not a terminal */}) {
        EXPECT_EQ(device.esConnect(name), 51) << (name ? name : "(null)");
        EXPECT_FALSE(device.bIsConnected());
        EXPECT_FALSE(device.bIsRunning());
    }
}

TEST_F(UsbDevice, DisconnectAndStopWithoutAConnectionFail)
{
    EXPECT_EQ(device.esDisconnect(), 51);
    EXPECT_FALSE(device.bIsConnected());
    EXPECT_EQ(device.esStop(), 51);
    const std::uint8_t bytes[] = {0xBA, 0x00, 0x01, 0x01};
    EXPECT_EQ(device.write(bytes, 4), -1);
}

TEST_F(UsbDevice, ConnectKeepsTheFirstPortUntilDisconnected)
{
    kivsim::VirtualDevice first, second;
    first.start();
    second.start();

    ASSERT_EQ(device.esConnect(first.path().c_str()), 0);
    EXPECT_TRUE(device.bIsConnected());
    EXPECT_TRUE(device.bIsRunning());
    EXPECT_EQ(device.esConnect(second.path().c_str()), 0);

    const std::uint8_t frame[] = {0xBA, 0x00, 0x01, 0x02};
    EXPECT_EQ(device.write(frame, 4), 4);
    EXPECT_TRUE(first.waitForFrames(0xBA, 1, 2000ms));
    EXPECT_EQ(second.receivedCount(0xBA), 0u);

    EXPECT_EQ(device.write(frame, 0), 0);
    EXPECT_EQ(device.write(nullptr, 4), -1);

    EXPECT_EQ(device.esDisconnect(), 0);
    EXPECT_FALSE(device.bIsConnected());
    EXPECT_FALSE(device.bIsRunning());
    EXPECT_EQ(device.esDisconnect(), 51);

    // The port is free again, for us or for another program.
    ASSERT_EQ(device.esConnect(second.path().c_str()), 0);
    EXPECT_EQ(device.write(frame, 4), 4);
    EXPECT_TRUE(second.waitForFrames(0xBA, 1, 2000ms));
    ASSERT_EQ(device.esDisconnect(), 0);
    ASSERT_EQ(device.esConnect(first.path().c_str()), 0);
    EXPECT_EQ(device.esDisconnect(), 0);
}

TEST_F(UsbDevice, ReceivedFramesReachTheStoresAndStayAfterDisconnect)
{
    kivsim::VirtualDevice sim;
    sim.start();
    ASSERT_EQ(device.esConnect(sim.path().c_str()), 0);
    ASSERT_TRUE(sim.sendFrame(0xF1, {0x01}));
    ASSERT_TRUE(sim.sendFrame(0xEB, {0x01, 0x00, 0x00}));
    ASSERT_TRUE(waitUntil([&] { return stores.response.size() == 1 && stores.event.size() == 1; }));
    ASSERT_EQ(device.esDisconnect(), 0);

    EXPECT_EQ(stores.response.take().frameBytes[0], 0xF1);
    EXPECT_EQ(stores.event.take().frameBytes[0], 0xEB);
}

TEST_F(UsbDevice, ReceiveThreadOutlivesAHangUpUntilDisconnect)
{
    auto sim = std::make_unique<kivsim::VirtualDevice>();
    sim->start();
    ASSERT_EQ(device.esConnect(sim->path().c_str()), 0);
    sim->hangUp();
    std::this_thread::sleep_for(20ms);
    // The port reports nothing; the flag stays until the owner disconnects.
    EXPECT_TRUE(device.bIsConnected());
    const std::uint8_t frame[] = {0xBA, 0x00, 0x01, 0x02};
    EXPECT_NE(device.write(frame, 4), 4);
    EXPECT_EQ(device.esDisconnect(), 0);
    EXPECT_FALSE(device.bIsConnected());
}

} // namespace
