#include "shell/ModeAnnouncer.h"

#include "shell/DeviceSession.h"

#include "kiv/KIVMessages.h"

#include <chrono>
#include <system_error>

namespace kivplus {

ModeAnnouncer::ModeAnnouncer(DeviceSession& session)
    : session_(session)
{
}

ModeAnnouncer::~ModeAnnouncer() { stop(); }

void ModeAnnouncer::start()
{
    std::lock_guard guard(lock_);
    if (running_.load() || !session_.isConnected())
        return;
    if (worker_.joinable())
        worker_.join();
    mayRun_.store(true);
    running_.store(true);
    try {
        worker_ = std::thread([this] {
            if (mayRun_.load()) {
                const auto mode = static_cast<std::uint8_t>(mode_.load());
                session_.sendCommand(KIVCommon::MSG_DEVICE_CONTROL, &mode, 1, true, 300);
            }
            running_.store(false);
        });
    } catch (const std::system_error&) {
        running_.store(false);
    }
}

void ModeAnnouncer::stop()
{
    std::lock_guard guard(lock_);
    mayRun_.store(false);
    if (worker_.joinable())
        worker_.join();
}

TimeSync::TimeSync()
    : base_(std::chrono::steady_clock::now())
{
}

void TimeSync::payloadNow(std::uint8_t out[4]) const
{
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - base_);
    const auto ms = static_cast<std::uint32_t>(elapsed.count());
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<std::uint8_t>(ms >> (24 - 8 * i));
}

std::uint8_t TimeSync::send(DeviceSession& session) const
{
    std::uint8_t payload[4];
    payloadNow(payload);
    return session.sendCommand(KIVCommon::MSG_TIME_SYNC, payload, 4, true, 100);
}

} // namespace kivplus
