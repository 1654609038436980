// The decoders of the device's key map records and the block loop that
// collects them, on arbitrary input. Input: byte 0 picks the record (low two
// bits) and whether the bytes come as answer blocks (bit 2): then each block
// is [length high][length low][payload] and ends the read when the input
// does. The collected data never exceeds the read buffer.
#include "keymap/BlockReceive.h"
#include "keymap/DeviceRecords.h"

#include "kiv/KIVMessages.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace KIVCommon;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void decode(int record, const std::vector<std::uint8_t>& data)
{
    switch (record) {
    case 0: {
        kivplus::CKeyMap list;
        kivplus::decodeSingleKeyList(data.data(), data.size(), list);
        break;
    }
    case 1: {
        kivplus::CKeyMap list;
        kivplus::decodeScenarioKeys(data.data(), data.size(), list);
        break;
    }
    case 2: {
        kivplus::CIgnition list;
        kivplus::decodeIgnitionList(data.data(), data.size(), list);
        break;
    }
    default: {
        kivplus::CProgressive list;
        if (kivplus::decodeProgressiveList(data.data(), data.size(), list)) {
            for (const auto& key : list.entries())
                check(key.name == "0" || key.name == "1" || key.name == "2");
        }
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    if (size == 0)
        return 0;
    const int record = bytes[0] & 3;
    if (!(bytes[0] & 4)) {
        decode(record, std::vector<std::uint8_t>(bytes + 1, bytes + size));
        return 0;
    }
    const std::uint8_t answer = 0xF2;
    std::size_t at = 1;
    int acknowledged = 0;
    auto next = [&] {
        tKIVNGMessageData frame;
        std::memset(&frame, 0, sizeof frame);
        if (size - at < 2)
            return frame;
        std::size_t length = std::size_t(bytes[at]) << 8 | bytes[at + 1];
        at += 2;
        if (length > static_cast<std::size_t>(kMaxReceivePayload))
            length = kMaxReceivePayload;
        if (length > size - at)
            length = size - at;
        frame.frameBytes[0] = answer;
        frame.frameBytes[1] = static_cast<std::uint8_t>(length >> 8);
        frame.frameBytes[2] = static_cast<std::uint8_t>(length);
        std::memcpy(frame.frameBytes + kFrameHeaderSize, bytes + at, length);
        at += length;
        return frame;
    };
    std::vector<std::uint8_t> data;
    const auto result = kivplus::receiveBlocks(answer, next, [&] { ++acknowledged; }, data);
    check(data.size() <= kivplus::kMaxCollectedBytes);
    if (result == kivplus::BlockResult::Complete) {
        check(acknowledged > 0);
        decode(record, data);
    }
    return 0;
}
