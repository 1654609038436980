#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace kivplus {

// The longest device path the serial port accepts.
inline constexpr std::size_t kMaxPortPathLength = 255;

// The serial ports present on the machine: the tty devices under ttyClass
// (normally /sys/class/tty) that have a device link, as "/dev/<name>", sorted
// by name. Legacy ports of the platform bus (ttyS0..ttyS31 with no hardware
// behind them) are left out, and so are names too long for the serial port.
std::vector<std::string> listSerialPorts(const std::filesystem::path& ttyClass = "/sys/class/tty");

} // namespace kivplus
