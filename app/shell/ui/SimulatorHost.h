#pragma once

#include "shell/ShellView.h"

#include <memory>
#include <mutex>
#include <thread>

namespace kivsim {
class Simulator;
}

namespace kivplus {

// The "KIV-2xx Simulator" port entry: an in-process virtual device with
// loopback on, sending the bus traffic of a small demo vehicle (ignition,
// gear, doors, dimming, temperature, speed) on CAN 1 every 100 ms.
class SimulatorHost : public VirtualDeviceHost {
public:
    SimulatorHost();
    ~SimulatorHost() override;

    std::string start() override;
    void stop() override;

private:
    void sendTraffic(std::stop_token stop);

    std::mutex lock_;
    std::unique_ptr<kivsim::Simulator> simulator_;
    std::jthread traffic_;
};

} // namespace kivplus
