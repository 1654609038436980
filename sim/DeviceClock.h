// The virtual device's time stamp: a millisecond counter and a sub-millisecond
// tick that counts down from 120000 within each millisecond.
#pragma once

#include <chrono>
#include <cstdint>

namespace kivsim {

struct DeviceTime {
    std::uint32_t milliseconds;
    std::uint32_t tick;
};

class DeviceClock {
public:
    DeviceClock() : mStart(std::chrono::steady_clock::now()) {}

    DeviceTime now() const { return at(std::chrono::steady_clock::now()); }

    DeviceTime at(std::chrono::steady_clock::time_point time) const
    {
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(time - mStart).count();
        const auto within = static_cast<std::uint64_t>(ns % 1000000);
        return {static_cast<std::uint32_t>(ns / 1000000),
                static_cast<std::uint32_t>(120000 - within * 120000 / 1000000)};
    }

private:
    std::chrono::steady_clock::time_point mStart;
};

} // namespace kivsim
