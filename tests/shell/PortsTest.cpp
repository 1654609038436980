// Serial port listing from the tty class folder and the device identifiers.
#include "TestPaths.h"
#include "platform/DeviceMonitor.h"
#include "platform/SerialPorts.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

TEST(Ports, ListsTtysWithHardwareSortedByName)
{
    kivtest::TempDir root;
    const fs::path tty = root / "class/tty";
    const fs::path devices = root / "devices";
    fs::create_directories(devices / "usb1/1-1:1.0");
    fs::create_directories(devices / "platform/serial8250");
    fs::create_directories(root / "bus/platform");
    fs::create_directories(root / "bus/usb");
    fs::create_symlink(root / "bus/platform", devices / "platform/serial8250/subsystem");
    fs::create_symlink(root / "bus/usb", devices / "usb1/1-1:1.0/subsystem");
    auto port = [&](const char* name, const fs::path* device) {
        fs::create_directories(tty / name);
        if (device)
            fs::create_directory_symlink(*device, tty / name / "device");
    };
    const fs::path usb = devices / "usb1/1-1:1.0";
    const fs::path platform = devices / "platform/serial8250";
    port("ttyUSB0", &usb);
    port("ttyACM1", &usb);
    port("ttyACM0", &usb);
    port("ttyS0", &platform);   // a legacy port with no hardware behind it
    port("tty0", nullptr);      // a virtual console
    port(std::string(251, 'x').c_str(), &usb);   // too long for the serial port

    EXPECT_EQ(kivplus::listSerialPorts(tty),
              (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyACM1", "/dev/ttyUSB0"}));
    EXPECT_TRUE(kivplus::listSerialPorts(root / "missing").empty());
}

TEST(Ports, KivUsbIdentifiers)
{
    EXPECT_TRUE(kivplus::isKivUsbId("0483", "5740"));
    EXPECT_TRUE(kivplus::isKivUsbId("0525", "A4A7"));
    EXPECT_TRUE(kivplus::isKivUsbId("0525", "a4a7"));
    EXPECT_FALSE(kivplus::isKivUsbId("0483", "a4a7"));
    EXPECT_FALSE(kivplus::isKivUsbId("483", "5740"));
    EXPECT_FALSE(kivplus::isKivUsbId("", ""));
}

} // namespace
