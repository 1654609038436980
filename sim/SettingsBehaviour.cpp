#include "SettingsBehaviour.h"

#include "kiv/KIVMessages.h"

#include <algorithm>

using namespace KIVCommon;

namespace kivsim {

SettingsBehaviour::SettingsBehaviour(VirtualDevice& device, DeviceFaults& faults)
    : faults_(faults)
{
    device.setHandler(MSG_SETTING_READ, [this](VirtualDevice& dev, const ReceivedFrame& received) {
        if (!received.frame.payload.empty() && received.frame.payload[0] == kBlockAcknowledge)
            return;
        std::vector<std::uint8_t> answer;
        {
            std::lock_guard guard(lock_);
            answer = readAnswer_.empty() ? std::vector<std::uint8_t>(settings_.begin(), settings_.end()) : readAnswer_;
        }
        faults_.reply(dev, MSG_SETTING_READ, std::move(answer));
    });
    device.setHandler(MSG_SETTING_WRITE, [this](VirtualDevice& dev, const ReceivedFrame& received) {
        const auto& payload = received.frame.payload;
        const bool fits = payload.size() == settings_.size();
        if (fits) {
            std::lock_guard guard(lock_);
            std::copy(payload.begin() + 1, payload.end(), settings_.begin() + 1);
        }
        faults_.reply(dev, MSG_SETTING_WRITE, {static_cast<std::uint8_t>(fits ? kStatusSuccess : 0)});
    });
    device.setHandler(MSG_DEVICE_CONTROL, [this](VirtualDevice&, const ReceivedFrame& received) {
        if (received.frame.payload.empty())
            return;
        std::lock_guard guard(lock_);
        controlCodes_.push_back(received.frame.payload[0]);
    });
    device.setHandler(MSG_TIME_SYNC, [this](VirtualDevice&, const ReceivedFrame& received) {
        const auto& p = received.frame.payload;
        if (p.size() != 4)
            return;
        std::lock_guard guard(lock_);
        timeSyncs_.push_back(std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3]);
    });
}

std::array<std::uint8_t, 11> SettingsBehaviour::settings() const
{
    std::lock_guard guard(lock_);
    return settings_;
}

void SettingsBehaviour::setSettings(const std::array<std::uint8_t, 11>& settings)
{
    std::lock_guard guard(lock_);
    settings_ = settings;
}

void SettingsBehaviour::setReadAnswer(std::vector<std::uint8_t> payload)
{
    std::lock_guard guard(lock_);
    readAnswer_ = std::move(payload);
}

std::vector<std::uint8_t> SettingsBehaviour::controlCodes() const
{
    std::lock_guard guard(lock_);
    return controlCodes_;
}

std::vector<std::uint32_t> SettingsBehaviour::timeSyncs() const
{
    std::lock_guard guard(lock_);
    return timeSyncs_;
}

} // namespace kivsim
