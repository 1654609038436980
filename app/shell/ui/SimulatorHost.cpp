#include "shell/ui/SimulatorHost.h"

#include "CanRecordWriter.h"
#include "Simulator.h"
#include "kiv/KIVMessages.h"

#include <chrono>
#include <condition_variable>
#include <stdexcept>

namespace kivplus {

namespace {

// One cycle of the demo vehicle's bus after `cycle` cycles of 100 ms.
std::vector<kivsim::CanFrame> demoCycle(unsigned cycle)
{
    std::vector<kivsim::CanFrame> frames;
    auto add = [&frames](std::uint32_t id, bool extended, std::initializer_list<std::uint8_t> data) {
        kivsim::CanFrame frame;
        frame.id = id;
        frame.extended = extended;
        frame.dlc = static_cast<std::uint8_t>(data.size());
        std::copy(data.begin(), data.end(), frame.data);
        frames.push_back(frame);
    };
    const auto counter = static_cast<std::uint8_t>(cycle);
    add(0x100, false, {2, counter});                                      // IGN_Status: Run
    add(0x110, false, {static_cast<std::uint8_t>((cycle / 50) % 4)});    // Gear_Status
    const std::uint16_t speed = static_cast<std::uint16_t>(3000 + 20 * (cycle % 100));
    add(0x18FF0010, true, {static_cast<std::uint8_t>(speed), static_cast<std::uint8_t>(speed >> 8), 0, counter, 0, 0, 0, 0});
    if (cycle % 2 == 0)
        add(0x120, false, {static_cast<std::uint8_t>((cycle / 40) % 2)});   // Door_Status
    if (cycle % 5 == 0)
        add(0x130, false, {0xC0, 0x80, 0});                                 // Dimming_Status
    if (cycle % 10 == 0)
        add(0x150, false, {static_cast<std::uint8_t>(120 + (cycle / 10) % 20), 130, 0});   // Temperature
    return frames;
}

} // namespace

SimulatorHost::SimulatorHost() = default;

SimulatorHost::~SimulatorHost()
{
    stop();
}

std::string SimulatorHost::start()
{
    std::lock_guard guard(lock_);
    if (!simulator_) {
        try {
            simulator_ = std::make_unique<kivsim::Simulator>();
        } catch (const std::runtime_error&) {
            return {};
        }
        simulator_->can().setLoopback(true);
        traffic_ = std::jthread([this](std::stop_token stop) { sendTraffic(stop); });
    }
    return simulator_->path();
}

void SimulatorHost::stop()
{
    std::lock_guard guard(lock_);
    if (traffic_.joinable()) {
        traffic_.request_stop();
        traffic_.join();
    }
    simulator_.reset();
}

void SimulatorHost::sendTraffic(std::stop_token stop)
{
    std::mutex sleepLock;
    std::condition_variable_any sleeper;
    kivsim::VirtualDevice& device = simulator_->device();
    for (unsigned cycle = 0; !stop.stop_requested(); ++cycle) {
        std::vector<kivsim::Frame> out;
        for (const kivsim::CanFrame& can : demoCycle(cycle)) {
            kivsim::Frame frame{KIVCommon::MSG_CAN_RX, {}};
            kivsim::appendCanRecord(frame.payload, can, device.clock().now());
            out.push_back(std::move(frame));
        }
        device.sendFrames(out);
        std::unique_lock sleepGuard(sleepLock);
        sleeper.wait_for(sleepGuard, stop, std::chrono::milliseconds(100), [] { return false; });
    }
}

} // namespace kivplus
