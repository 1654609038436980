#include "shell/FirmwareUpdate.h"

#include "shell/DeviceSession.h"
#include "shell/SessionDelay.h"
#include "shell/SessionTexts.h"

#include "platform/UserPrompt.h"

#include "kiv/KIVMessages.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>

using namespace KIVCommon;
using namespace std::chrono_literals;

namespace kivplus {

namespace {

constexpr std::uint8_t kControlStored = 4;

std::optional<std::vector<std::uint8_t>> readImage(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    char buffer[4096];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        bytes.insert(bytes.end(), buffer, buffer + file.gcount());
        if (bytes.size() > kMaxImageSize)
            return bytes;   // too large anyway; the transfer refuses it
    }
    if (file.bad())
        return std::nullopt;
    return bytes;
}

std::optional<ImageKind> kindOfFile(const std::string& path)
{
    const std::string extension = std::filesystem::path(path).extension().string();
    if (extension == ".bin")
        return ImageKind::Firmware;
    if (extension == ".bl")
        return ImageKind::BootLoader;
    return std::nullopt;
}

} // namespace

bool transferImage(DeviceSession& session, ImageKind kind, const std::vector<std::uint8_t>& image,
                   const ImageProgress& progress)
{
    if (image.size() > kMaxImageSize)
        return false;
    const std::uint8_t command = kind == ImageKind::Firmware ? MSG_FIRMWARE_BLOCK : MSG_BOOTLOADER_BLOCK;
    auto counter = static_cast<std::uint8_t>(image.size() / kImageBlockSize);
    session.drainStore(MESSAGE_STORE_RESPONSE);
    if (image.empty()) {
        session.sendCommand(MSG_DEVICE_CONTROL, &kControlStored, 1, false, 0);
        return true;
    }
    const int total = static_cast<int>((image.size() + kImageBlockSize - 1) / kImageBlockSize);
    std::vector<std::uint8_t> payload;
    std::size_t sent = 0;
    for (int block = 0; sent < image.size(); ++block) {
        const std::size_t remaining = image.size() - sent;
        const std::size_t size = remaining > kImageBlockSize ? kImageBlockSize : remaining;
        payload.assign(1, counter);
        payload.insert(payload.end(), image.begin() + static_cast<std::ptrdiff_t>(sent),
                       image.begin() + static_cast<std::ptrdiff_t>(sent + size));
        if (remaining > kImageBlockSize)
            --counter;
        sent += size;
        session.sendCommand(command, payload.data(), static_cast<int>(payload.size()), true, 40);
        if (block == 0)
            pause(1500ms);
        if (!session.waitStatus(answerCode(command)))
            return false;
        if (progress)
            progress(block + 1, total);
    }
    session.sendCommand(MSG_DEVICE_CONTROL, &kControlStored, 1, true, 40);
    return true;
}

bool updateDeviceImage(DeviceSession& session, const std::string& path, const ImageProgress& progress)
{
    UserPrompt& prompt = session.prompt();
    if (!session.isConnected()) {
        prompt.information(sessiontext::kCheckConnection);
        return false;
    }
    const auto kind = kindOfFile(path);
    if (!kind) {
        prompt.information(sessiontext::kChooseImageFile);
        return false;
    }
    const auto image = readImage(path);
    if (image && image->size() > kMaxImageSize) {
        prompt.error(sessiontext::kImageTooLarge);
        return false;
    }
    bool done = false;
    {
        BusyScope busy(prompt);
        done = image && transferImage(session, *kind, *image, progress);
        if (done)
            pause(1000ms);
    }
    if (*kind == ImageKind::Firmware)
        done ? prompt.information(sessiontext::kFirmwareDone) : prompt.error(sessiontext::kFirmwareFailed);
    else
        done ? prompt.information(sessiontext::kBootLoaderDone) : prompt.error(sessiontext::kBootLoaderFailed);
    return done;
}

bool chooseAndUpdateDeviceImage(DeviceSession& session, const ImageProgress& progress)
{
    if (!session.isConnected()) {
        session.prompt().information(sessiontext::kCheckConnection);
        return false;
    }
    const std::string path = session.prompt().chooseOpenFile(sessiontext::kImageTitle, sessiontext::kImageFilter);
    if (path.empty())
        return false;
    return updateDeviceImage(session, path, progress);
}

} // namespace kivplus
