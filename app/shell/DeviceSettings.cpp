#include "shell/DeviceSettings.h"

#include "shell/DeviceSession.h"
#include "shell/ModeAnnouncer.h"
#include "shell/SessionDelay.h"
#include "shell/SessionTexts.h"

#include "platform/UserPrompt.h"

#include "kiv/KIVMessages.h"

#include <chrono>

using namespace KIVCommon;
using namespace std::chrono_literals;

namespace kivplus {

namespace {

constexpr std::uint32_t kSingleRate = 33300;
constexpr std::uint32_t kLowSpeedDefault = 100000;
constexpr std::uint32_t kHighSpeedDefault = 125000;

std::uint32_t readBe32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

void putBe32(std::uint8_t* p, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// Messages 1027 and 1028 of the setting window: the main window suspends and
// resumes its mode announce worker, then the window waits 10 ms.
class DeviceWork {
public:
    explicit DeviceWork(ModeAnnouncer* announcer) : announcer_(announcer)
    {
        if (announcer_)
            announcer_->stop();
        pause(10ms);
    }
    void end()
    {
        if (announcer_)
            announcer_->start();
        pause(10ms);
    }

private:
    ModeAnnouncer* announcer_;
};

} // namespace

int bitRateIndex(std::uint32_t bitRate)
{
    for (std::size_t i = 0; i < kBitRates.size(); ++i) {
        if (kBitRates[i] == bitRate)
            return static_cast<int>(i);
    }
    return 0;
}

bool isBitRateSelectable(int wireType, std::uint32_t bitRate)
{
    switch (wireType) {
    case WIRE_SINGLE:
        return bitRate == kSingleRate;
    case WIRE_DUAL_LOW:
        return bitRate == 100000 || bitRate == 125000;
    case WIRE_DUAL_HIGH:
        return bitRate != kSingleRate && bitRateIndex(bitRate) != 0;
    default:
        return false;
    }
}

void applyAllowedCombination(ChannelSetting& channel)
{
    channel.bitRate = kBitRates[static_cast<std::size_t>(bitRateIndex(channel.bitRate))];
    if (channel.wireType == WIRE_SINGLE)
        channel.bitRate = kSingleRate;
    else if (channel.wireType == WIRE_DUAL_LOW && !isBitRateSelectable(WIRE_DUAL_LOW, channel.bitRate))
        channel.bitRate = kLowSpeedDefault;
    else if (channel.wireType == WIRE_DUAL_HIGH && channel.bitRate == kSingleRate)
        channel.bitRate = kHighSpeedDefault;
}

std::array<std::uint8_t, DeviceSettings::kPayloadSize> DeviceSettings::encode() const
{
    std::array<std::uint8_t, kPayloadSize> payload{};
    payload[0] = kWriteHeader;
    for (std::size_t i = 0; i < channels.size(); ++i) {
        payload[1 + 5 * i] = static_cast<std::uint8_t>(channels[i].wireType);
        putBe32(&payload[2 + 5 * i], channels[i].bitRate);
    }
    return payload;
}

bool DeviceSettings::decode(const std::uint8_t* payload, std::size_t size)
{
    if (size != kPayloadSize)
        return false;
    for (std::size_t i = 0; i < channels.size(); ++i) {
        const std::uint8_t wire = payload[1 + 5 * i];
        if (wire <= WIRE_DUAL_LOW)
            channels[i].wireType = wire;
        channels[i].bitRate = readBe32(&payload[2 + 5 * i]);
    }
    applyAllowedCombinations();
    return true;
}

void DeviceSettings::applyAllowedCombinations()
{
    for (ChannelSetting& channel : channels)
        applyAllowedCombination(channel);
}

bool readDeviceSettings(DeviceSession& session, ModeAnnouncer* announcer, DeviceSettings& settings)
{
    UserPrompt& prompt = session.prompt();
    if (!session.isConnected()) {
        prompt.information(sessiontext::kCheckConnection);
        return false;
    }
    bool read = false;
    {
        BusyScope busy(prompt);
        DeviceWork work(announcer);
        session.requestBlock(MSG_SETTING_READ);
        const tKIVNGMessageData answer = session.waitFrame(answerCode(MSG_SETTING_READ));
        if (frameType(answer) == answerCode(MSG_SETTING_READ)) {
            const auto [payload, length] = framePayload(answer);
            read = settings.decode(payload, length);
        }
        work.end();
    }
    if (read)
        session.acknowledgeBlock(MSG_SETTING_READ);
    else
        prompt.error(sessiontext::kSettingReadFailed);
    return read;
}

bool writeDeviceSettings(DeviceSession& session, ModeAnnouncer* announcer, const DeviceSettings& settings)
{
    UserPrompt& prompt = session.prompt();
    if (!session.isConnected()) {
        prompt.information(sessiontext::kCheckConnection);
        return false;
    }
    bool stored = false;
    {
        BusyScope busy(prompt);
        DeviceWork work(announcer);
        const auto payload = settings.encode();
        session.drainStore(MESSAGE_STORE_RESPONSE);
        session.sendCommand(MSG_SETTING_WRITE, payload.data(), static_cast<int>(payload.size()), true, 40);
        pause(2000ms);
        stored = session.waitStatus(answerCode(MSG_SETTING_WRITE));
        work.end();
    }
    if (!stored) {
        prompt.error(sessiontext::kSettingWriteFailed);
        return false;
    }
    const std::uint8_t control = 4;
    session.sendCommand(MSG_DEVICE_CONTROL, &control, 1, true, 40);
    prompt.information(sessiontext::kSettingWritten);
    return true;
}

} // namespace kivplus
