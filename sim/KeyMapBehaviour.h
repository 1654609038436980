// The device's key map storage: the Single key list, the Scenario keys, the
// ignition list and the progressive list kept in device form, written by the
// write commands and read back in blocks of a chosen size; the key count; and
// the version answer (through the fault switches).
#pragma once

#include "DeviceFaults.h"
#include "VersionBehaviour.h"
#include "VirtualDevice.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace kivsim {

using Bytes = std::vector<std::uint8_t>;

struct StoredKeyMap {
    Bytes singleKeys;
    std::vector<Bytes> scenarioKeys;   // one record each, in the order written
    Bytes ignition;
    Bytes progressive;
};

class KeyMapBehaviour {
public:
    KeyMapBehaviour(VirtualDevice& device, DeviceFaults& faults, const VersionBehaviour& version);

    // Data bytes per answer block (at least 1).
    void setBlockSize(std::size_t size);
    StoredKeyMap stored() const;
    void setStored(StoredKeyMap keyMap);

private:
    struct Read {
        Bytes data;
        std::size_t sent = 0;
        bool active = false;
    };

    void onWrite(VirtualDevice& device, const ReceivedFrame& received);
    void onRead(VirtualDevice& device, const ReceivedFrame& received);
    void sendBlock(VirtualDevice& device, std::uint8_t request, Read& read);

    DeviceFaults& faults_;
    const VersionBehaviour& version_;
    mutable std::mutex lock_;
    StoredKeyMap stored_;
    std::size_t blockSize_ = 1024;
    std::size_t nextKey_ = 0;
    Read reads_[4];   // key map, ignition, progressive, key
};

} // namespace kivsim
