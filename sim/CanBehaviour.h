// MSG_CAN_TX: the device "transmits" the frame and answers with a
// MSG_CAN_TX_REPORT, one per channel for a frame sent on both; optionally it
// loops the frame back as MSG_CAN_RX on the other channel, or leaves reports
// out.
#pragma once

#include "CanRecordWriter.h"
#include "VirtualDevice.h"

#include <atomic>
#include <functional>
#include <optional>

namespace kivsim {

class CanBehaviour {
public:
    explicit CanBehaviour(VirtualDevice& device);

    void setLoopback(bool on) { mLoopback = on; }
    // Leaves out the transmit reports of the next count frames (-1: all of them).
    void dropReports(int count) { mDropReports = count; }

    // Called with every transmitted frame after its report (the ECU listens
    // here). Set before the device starts.
    using FrameListener = std::function<void(VirtualDevice&, const CanFrame&)>;
    void setFrameListener(FrameListener listener) { mListener = std::move(listener); }

    // Reads a MSG_CAN_TX payload; nothing when it is malformed.
    static std::optional<CanFrame> parseCanTx(const std::vector<std::uint8_t>& payload);

private:
    void onCanTx(VirtualDevice& device, const ReceivedFrame& received);

    std::atomic<bool> mLoopback{false};
    std::atomic<int> mDropReports{0};
    FrameListener mListener;
};

} // namespace kivsim
