#pragma once

#include "shell/DeviceJob.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kivplus {

class DeviceSession;

enum class ImageKind { Firmware, BootLoader };

// The largest image whose block counter (one byte, size / 1024) does not wrap.
inline constexpr std::size_t kMaxImageSize = 256 * 1024 - 1;
inline constexpr std::size_t kImageBlockSize = 1024;

// Called after each acknowledged block with the blocks done and their total.
using ImageProgress = DeviceProgress;

// Sends an image in 1024-byte blocks (firmware 0xC5, boot loader 0xBD), each
// acknowledged with status 1, then MSG_DEVICE_CONTROL 4. False at the first
// block that is not acknowledged; nothing is sent for an image that is too
// large for the block counter.
bool transferImage(DeviceSession& session, ImageKind kind, const std::vector<std::uint8_t>& image,
                   const ImageProgress& progress = {});

// The update command: a ".bin" file is firmware, a ".bl" file a boot loader;
// reads the file, sends it and reports the result. True on success.
bool updateDeviceImage(DeviceSession& session, const std::string& path, const ImageProgress& progress = {});

// About > Update KIV-2XX...: asks for the file, then updateDeviceImage.
bool chooseAndUpdateDeviceImage(DeviceSession& session, const ImageProgress& progress = {});

} // namespace kivplus
