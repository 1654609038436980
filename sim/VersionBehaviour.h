// MSG_VERSION_CHECK: answers with the firmware version (major, minor).
#pragma once

#include "VirtualDevice.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

namespace kivsim {

struct FirmwareVersion {
    std::uint8_t major = 1;
    std::uint8_t minor = 30;
};

// Reads "1.30" as major 1, minor 30; nothing for anything else.
std::optional<FirmwareVersion> parseFirmwareVersion(const std::string& text);

class VersionBehaviour {
public:
    explicit VersionBehaviour(VirtualDevice& device);

    void setVersion(FirmwareVersion version);
    FirmwareVersion version() const;

private:
    std::atomic<std::uint16_t> mVersion{1 << 8 | 30};
};

} // namespace kivsim
