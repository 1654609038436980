// Faults of the virtual device's command answers, switched on by tests:
// no answer, an answer of the wrong type, status 0, each from the Nth answer
// to a command on, and a hang-up once N frames have come from the PC.
#pragma once

#include "VirtualDevice.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

namespace kivsim {

enum class Fault { None, NoAnswer, WrongType, StatusZero };

class DeviceFaults {
public:
    // The type sent in place of the right answer for Fault::WrongType.
    static constexpr std::uint8_t kWrongAnswerType = 0xEF;

    // Applies the fault to the answers to the request from the Nth (1-based) on.
    void setFault(std::uint8_t request, Fault fault, int fromAnswer = 1);
    // Hangs up instead of answering once count frames have come (0: never).
    void setHangUpAfter(std::size_t count);
    void clear();

    // Sends the answer to a request (type request + 0x30) unless a fault says
    // otherwise. Every behaviour answers through here.
    void reply(VirtualDevice& device, std::uint8_t request, std::vector<std::uint8_t> payload);

private:
    struct Switch {
        Fault fault = Fault::None;
        int fromAnswer = 1;
        int answered = 0;
    };

    std::mutex lock_;
    std::map<std::uint8_t, Switch> switches_;
    std::size_t hangUpAfter_ = 0;
};

} // namespace kivsim
