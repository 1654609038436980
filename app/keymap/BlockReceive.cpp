#include "keymap/BlockReceive.h"

#include "shell/DeviceSession.h"

namespace kivplus {

BlockResult receiveBlocks(std::uint8_t answerType, const std::function<KIVCommon::tKIVNGMessageData()>& nextAnswer,
                          const std::function<void()>& acknowledge, std::vector<std::uint8_t>& data)
{
    for (;;) {
        const KIVCommon::tKIVNGMessageData record = nextAnswer();
        if (record.messageKind != KIVCommon::MESSAGE_KIND_DEVICE_FRAME || frameType(record) != answerType)
            return BlockResult::Failed;
        const auto [payload, length] = framePayload(record);
        const bool more = length > 0 && payload[0] != 0;
        if (length > 1) {
            if (data.size() + (length - 1) > kMaxCollectedBytes)
                return BlockResult::TooLarge;
            data.insert(data.end(), payload + 1, payload + length);
        }
        acknowledge();
        if (!more)
            return BlockResult::Complete;
    }
}

} // namespace kivplus
