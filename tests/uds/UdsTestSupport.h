// A CAN sender that records what the UDS service sends, and request helpers.
#pragma once

#include "kiv/KIV.h"
#include "uds/CCFUDSService.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

namespace udstest {

using Bytes = std::vector<std::uint8_t>;

struct SentFrame {
    int channel;
    KIVCommon::tCANData frame;
    int senderKind;
    std::chrono::steady_clock::time_point time;

    Bytes bytes() const { return Bytes(frame.data, frame.data + 8); }
};

class RecordingSender {
public:
    kiv::CanFrameSender sender()
    {
        return [this](int channel, const KIVCommon::tCANData& frame, int kind) {
            std::lock_guard guard(mLock);
            mFrames.push_back({channel, frame, kind, std::chrono::steady_clock::now()});
            return mWrites;
        };
    }
    std::vector<SentFrame> frames() const
    {
        std::lock_guard guard(mLock);
        return mFrames;
    }
    void clear()
    {
        std::lock_guard guard(mLock);
        mFrames.clear();
    }
    void failWrites() { mWrites = false; }

private:
    mutable std::mutex mLock;
    std::vector<SentFrame> mFrames;
    bool mWrites = true;
};

inline KIVCommon::tSPRequest request(std::int32_t format, const Bytes& data, std::uint32_t requestId = 0x7E0)
{
    KIVCommon::tSPRequest r;
    std::memset(&r, 0, sizeof r);
    r.addressFormat = format;
    r.sourceAddress = 0xF1;
    r.targetAddress = 0x10;
    r.addressExtension = 0x33;
    std::copy(data.begin(), data.end(), r.data);
    r.dataLength = static_cast<std::uint16_t>(data.size());
    r.requestId = requestId;
    r.responseId = 0x7E8;
    r.padByte = 0xAA;
    return r;
}

inline Bytes counting(std::size_t count)
{
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(i + 1);
    return bytes;
}

inline KIVCommon::tCANData canFrame(std::uint32_t id, const Bytes& data)
{
    KIVCommon::tCANData frame{id, 8, {}};
    std::memcpy(frame.data, data.data(), data.size() < 8 ? data.size() : 8);
    return frame;
}

} // namespace udstest
