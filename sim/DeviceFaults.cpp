#include "DeviceFaults.h"

#include "kiv/KIVMessages.h"

namespace kivsim {

void DeviceFaults::setFault(std::uint8_t request, Fault fault, int fromAnswer)
{
    std::lock_guard guard(lock_);
    switches_[request] = Switch{fault, fromAnswer, 0};
}

void DeviceFaults::setHangUpAfter(std::size_t count)
{
    std::lock_guard guard(lock_);
    hangUpAfter_ = count;
}

void DeviceFaults::clear()
{
    std::lock_guard guard(lock_);
    switches_.clear();
    hangUpAfter_ = 0;
}

void DeviceFaults::reply(VirtualDevice& device, std::uint8_t request, std::vector<std::uint8_t> payload)
{
    Fault fault = Fault::None;
    bool hangUp = false;
    {
        std::lock_guard guard(lock_);
        hangUp = hangUpAfter_ > 0 && device.received().size() >= hangUpAfter_;
        auto it = switches_.find(request);
        if (it != switches_.end() && ++it->second.answered >= it->second.fromAnswer)
            fault = it->second.fault;
    }
    if (hangUp) {
        device.hangUp();
        return;
    }
    std::uint8_t type = KIVCommon::answerCode(request);
    switch (fault) {
    case Fault::NoAnswer:
        return;
    case Fault::WrongType:
        type = kWrongAnswerType;
        break;
    case Fault::StatusZero:
        if (payload.empty())
            payload.push_back(0);
        payload[0] = 0;
        break;
    case Fault::None:
        break;
    }
    device.sendFrame(type, payload);
}

} // namespace kivsim
