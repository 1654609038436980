#include "CanBehaviour.h"

#include "kiv/KIVMessages.h"

namespace kivsim {

CanBehaviour::CanBehaviour(VirtualDevice& device)
{
    device.setHandler(KIVCommon::MSG_CAN_TX,
                      [this](VirtualDevice& dev, const ReceivedFrame& received) { onCanTx(dev, received); });
}

std::optional<CanFrame> CanBehaviour::parseCanTx(const std::vector<std::uint8_t>& p)
{
    // kind, tag, extended flag, DLC, identifier, data, channel
    if (p.size() < 4)
        return std::nullopt;
    CanFrame frame;
    frame.extended = p[2] != 0;
    frame.dlc = p[3];
    const std::size_t idSize = frame.extended ? 4 : 2;
    const std::size_t dataSize = frame.dlc < 8 ? frame.dlc : 8;
    if (p.size() != 4 + idSize + dataSize + 1)
        return std::nullopt;
    std::size_t at = 4;
    for (std::size_t i = 0; i < idSize; ++i)
        frame.id = frame.id << 8 | p[at++];
    for (std::size_t i = 0; i < dataSize; ++i)
        frame.data[i] = p[at++];
    frame.channel = p[at];
    return frame;
}

void CanBehaviour::onCanTx(VirtualDevice& device, const ReceivedFrame& received)
{
    const auto frame = parseCanTx(received.frame.payload);
    if (!frame)
        return;
    const DeviceTime sent = device.clock().now();

    // A frame for both channels (index 2) goes out on each, with a report each.
    const bool both = frame->channel == 2;
    for (std::size_t i = 0; i < (both ? 2u : 1u); ++i) {
        CanFrame sentFrame = *frame;
        if (both)
            sentFrame.channel = static_cast<std::uint8_t>(i);
        int drop = mDropReports.load();
        while (drop != 0 && !mDropReports.compare_exchange_weak(drop, drop > 0 ? drop - 1 : drop)) {
        }
        if (drop == 0) {
            std::vector<std::uint8_t> report{KIVCommon::kStatusSuccess, received.frame.payload[0],
                                             received.frame.payload[1]};
            appendCanRecord(report, sentFrame, sent);
            device.sendFrame(KIVCommon::MSG_CAN_TX_REPORT, report);
        }
        if (mLoopback) {
            CanFrame echo = sentFrame;
            echo.channel = sentFrame.channel == 0 ? 1 : 0;
            std::vector<std::uint8_t> record;
            appendCanRecord(record, echo, sent);
            device.sendFrame(KIVCommon::MSG_CAN_RX, record);
        }
    }
    if (mListener)
        mListener(device, *frame);
}

} // namespace kivsim
