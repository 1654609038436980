#include "VersionBehaviour.h"

#include "kiv/KIVMessages.h"

#include <charconv>

namespace kivsim {

std::optional<FirmwareVersion> parseFirmwareVersion(const std::string& text)
{
    const auto dot = text.find('.');
    if (dot == std::string::npos)
        return std::nullopt;
    unsigned major = 0, minor = 0;
    const char* end = text.data() + text.size();
    auto first = std::from_chars(text.data(), text.data() + dot, major);
    auto second = std::from_chars(text.data() + dot + 1, end, minor);
    if (first.ptr != text.data() + dot || second.ptr != end || dot == 0 || dot + 1 == text.size() || major > 255
        || minor > 255)
        return std::nullopt;
    return FirmwareVersion{static_cast<std::uint8_t>(major), static_cast<std::uint8_t>(minor)};
}

VersionBehaviour::VersionBehaviour(VirtualDevice& device)
{
    device.setHandler(KIVCommon::MSG_VERSION_CHECK, [this](VirtualDevice& dev, const ReceivedFrame&) {
        const FirmwareVersion v = version();
        dev.sendFrame(KIVCommon::answerCode(KIVCommon::MSG_VERSION_CHECK), {v.major, v.minor});
    });
}

void VersionBehaviour::setVersion(FirmwareVersion version)
{
    mVersion = static_cast<std::uint16_t>(version.major << 8 | version.minor);
}

FirmwareVersion VersionBehaviour::version() const
{
    const std::uint16_t v = mVersion;
    return {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

} // namespace kivsim
