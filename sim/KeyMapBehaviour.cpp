#include "KeyMapBehaviour.h"

#include "kiv/KIVMessages.h"

#include <algorithm>

using namespace KIVCommon;

namespace kivsim {

namespace {

int readSlot(std::uint8_t request)
{
    switch (request) {
    case MSG_KEYMAP_READ:
        return 0;
    case MSG_IGNITION_READ:
        return 1;
    case MSG_PROGRESSIVE_READ:
        return 2;
    default:
        return 3;
    }
}

} // namespace

KeyMapBehaviour::KeyMapBehaviour(VirtualDevice& device, DeviceFaults& faults, const VersionBehaviour& version)
    : faults_(faults)
    , version_(version)
{
    auto write = [this](VirtualDevice& dev, const ReceivedFrame& received) { onWrite(dev, received); };
    auto read = [this](VirtualDevice& dev, const ReceivedFrame& received) { onRead(dev, received); };
    for (std::uint8_t type : {MSG_KEYMAP_WRITE, MSG_KEY_WRITE, MSG_IGNITION_WRITE, MSG_PROGRESSIVE_WRITE})
        device.setHandler(type, write);
    for (std::uint8_t type : {MSG_KEYMAP_READ, MSG_KEY_READ, MSG_IGNITION_READ, MSG_PROGRESSIVE_READ})
        device.setHandler(type, read);
    device.setHandler(MSG_KEY_COUNT_READ, [this](VirtualDevice& dev, const ReceivedFrame&) {
        std::size_t count = 0;
        {
            std::lock_guard guard(lock_);
            nextKey_ = 0;
            count = stored_.scenarioKeys.size();
        }
        faults_.reply(dev, MSG_KEY_COUNT_READ, {static_cast<std::uint8_t>(count)});
    });
    device.setHandler(MSG_VERSION_CHECK, [this](VirtualDevice& dev, const ReceivedFrame&) {
        const FirmwareVersion v = version_.version();
        faults_.reply(dev, MSG_VERSION_CHECK, {v.major, v.minor});
    });
}

void KeyMapBehaviour::setBlockSize(std::size_t size)
{
    std::lock_guard guard(lock_);
    blockSize_ = std::max<std::size_t>(size, 1);
}

StoredKeyMap KeyMapBehaviour::stored() const
{
    std::lock_guard guard(lock_);
    return stored_;
}

void KeyMapBehaviour::setStored(StoredKeyMap keyMap)
{
    std::lock_guard guard(lock_);
    stored_ = std::move(keyMap);
}

void KeyMapBehaviour::onWrite(VirtualDevice& device, const ReceivedFrame& received)
{
    const Bytes& payload = received.frame.payload;
    {
        std::lock_guard guard(lock_);
        switch (received.frame.type) {
        case MSG_KEYMAP_WRITE:
            stored_.singleKeys = payload;
            break;
        case MSG_IGNITION_WRITE:
            stored_.ignition = payload;
            break;
        case MSG_PROGRESSIVE_WRITE:
            stored_.progressive = payload;
            break;
        default: {
            // A key replaces the stored key with its number.
            auto& keys = stored_.scenarioKeys;
            auto same = std::find_if(keys.begin(), keys.end(), [&](const Bytes& key) {
                return !key.empty() && !payload.empty() && key[0] == payload[0];
            });
            if (same != keys.end())
                *same = payload;
            else
                keys.push_back(payload);
        }
        }
    }
    faults_.reply(device, received.frame.type, {kStatusSuccess});
}

void KeyMapBehaviour::onRead(VirtualDevice& device, const ReceivedFrame& received)
{
    const std::uint8_t request = received.frame.type;
    const bool acknowledge = !received.frame.payload.empty() && received.frame.payload[0] == kBlockAcknowledge;
    std::unique_lock guard(lock_);
    Read& read = reads_[readSlot(request)];
    if (!acknowledge) {
        read = Read{};
        read.active = true;
        switch (request) {
        case MSG_KEYMAP_READ:
            read.data = stored_.singleKeys;
            break;
        case MSG_IGNITION_READ:
            read.data = stored_.ignition;
            break;
        case MSG_PROGRESSIVE_READ:
            read.data = stored_.progressive;
            break;
        default:
            if (nextKey_ < stored_.scenarioKeys.size())
                read.data = stored_.scenarioKeys[nextKey_++];
        }
    } else if (!read.active) {
        return;   // the acknowledgement of the last block
    }
    sendBlock(device, request, read);
}

void KeyMapBehaviour::sendBlock(VirtualDevice& device, std::uint8_t request, Read& read)
{
    const std::size_t size = std::min(blockSize_, read.data.size() - read.sent);
    const bool more = read.sent + size < read.data.size();
    Bytes block{static_cast<std::uint8_t>(more ? 1 : 0)};
    block.insert(block.end(), read.data.begin() + static_cast<std::ptrdiff_t>(read.sent),
                 read.data.begin() + static_cast<std::ptrdiff_t>(read.sent + size));
    read.sent += size;
    read.active = more;
    faults_.reply(device, request, std::move(block));
}

} // namespace kivsim
