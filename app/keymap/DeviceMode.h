#pragma once

namespace kivplus {

// The device mode chosen in the main window. Rules that depend on it take the
// mode as an argument; any value other than the two below means that no mode
// has been chosen yet.
enum class DeviceMode : int {
    Interface = 1,     // the PC runs the keys and traces the buses
    Configuration = 2, // the key map is prepared for storage on the device
};

} // namespace kivplus
