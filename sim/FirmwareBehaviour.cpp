#include "FirmwareBehaviour.h"

#include "kiv/KIVMessages.h"

using namespace KIVCommon;

namespace kivsim {

FirmwareBehaviour::FirmwareBehaviour(VirtualDevice& device, DeviceFaults& faults)
    : faults_(faults)
{
    auto block = [this](VirtualDevice& dev, const ReceivedFrame& received) {
        const auto& payload = received.frame.payload;
        if (payload.empty())
            return;
        {
            std::lock_guard guard(lock_);
            blocks_.push_back({received.frame.type, payload[0], payload.size() - 1});
            image_.insert(image_.end(), payload.begin() + 1, payload.end());
        }
        faults_.reply(dev, received.frame.type, {kStatusSuccess});
    };
    device.setHandler(MSG_FIRMWARE_BLOCK, block);
    device.setHandler(MSG_BOOTLOADER_BLOCK, block);
}

std::vector<ImageBlock> FirmwareBehaviour::blocks() const
{
    std::lock_guard guard(lock_);
    return blocks_;
}

std::vector<std::uint8_t> FirmwareBehaviour::image() const
{
    std::lock_guard guard(lock_);
    return image_;
}

} // namespace kivsim
