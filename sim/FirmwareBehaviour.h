// Firmware (0xC5) and boot-loader (0xBD) image blocks: each is recorded and
// acknowledged with status 1 unless a fault switch says otherwise.
#pragma once

#include "DeviceFaults.h"
#include "VirtualDevice.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace kivsim {

struct ImageBlock {
    std::uint8_t command;
    std::uint8_t counter;
    std::size_t dataSize;
};

class FirmwareBehaviour {
public:
    FirmwareBehaviour(VirtualDevice& device, DeviceFaults& faults);

    std::vector<ImageBlock> blocks() const;
    // The image bytes received, in order.
    std::vector<std::uint8_t> image() const;

private:
    DeviceFaults& faults_;
    mutable std::mutex lock_;
    std::vector<ImageBlock> blocks_;
    std::vector<std::uint8_t> image_;
};

} // namespace kivsim
