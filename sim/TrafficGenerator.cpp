#include "TrafficGenerator.h"

#include "CanRecordWriter.h"
#include "kiv/KIVMessages.h"

#include <algorithm>
#include <chrono>

namespace kivsim {

namespace {

constexpr std::uint64_t kMaxBatch = 512;

} // namespace

void TrafficGenerator::start(Settings settings)
{
    stop();
    if (settings.framesPerSecond <= 0)
        return;
    mStop = false;
    mThread = std::thread([this, settings] { run(settings); });
}

void TrafficGenerator::stop()
{
    mStop = true;
    if (mThread.joinable())
        mThread.join();
}

void TrafficGenerator::run(Settings settings)
{
    using Clock = std::chrono::steady_clock;
    const auto begin = Clock::now();
    const std::uint8_t dlc = std::min<std::uint8_t>(settings.dlc, 8);
    const bool both = (settings.channels & 3) == 3;
    const std::uint8_t onlyChannel = (settings.channels & 3) == 2 ? 1 : 0;
    std::uint64_t number = 0;

    while (!mStop && !mDevice.isHungUp()) {
        const double elapsed = std::chrono::duration<double>(Clock::now() - begin).count();
        const auto due = static_cast<std::uint64_t>(elapsed * settings.framesPerSecond);
        const std::uint64_t batch = std::min(due - std::min(due, number), kMaxBatch);
        if (batch == 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(500));
            continue;
        }
        std::vector<Frame> frames;
        frames.reserve(batch);
        const DeviceTime time = mDevice.clock().now();
        for (std::uint64_t i = 0; i < batch; ++i, ++number) {
            CanFrame can;
            can.channel = both ? static_cast<std::uint8_t>(number & 1) : onlyChannel;
            can.id = 0x100u + can.channel;
            can.dlc = dlc;
            for (std::uint8_t b = 0; b < dlc; ++b)
                can.data[b] = b < 4 ? static_cast<std::uint8_t>(number >> (8 * (std::min<int>(dlc, 4) - 1 - b)))
                                    : static_cast<std::uint8_t>(0xA0 + b);
            Frame frame{KIVCommon::MSG_CAN_RX, {}};
            appendCanRecord(frame.payload, can, time);
            frames.push_back(std::move(frame));
        }
        if (mDevice.sendFrames(frames))
            mSent += batch;
        else
            mUnsent += batch;
    }
}

} // namespace kivsim
