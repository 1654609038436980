#pragma once

// The texts the user sees from the key map model and the key map file, exactly
// as the program shows them. "%s" marks where a value goes.
namespace kivplus::keymaptext {

inline constexpr const char* kInvalidFile = "잘못된 KeyMap파일 입니다.";
inline constexpr const char* kSaveFailed = "KeyMap파일 저장 실패";
inline constexpr const char* kDatabaseNameDiffers =
    "Database Name이 현재 사용중인 Database Name과 다릅니다. Message Name은 현재의 Database(DBC)를 기준으로 "
    "적용됩니다. \n계속 하시겠습니까?";

// Error text headers.
inline constexpr const char* kSectionHeader = "<%s>\n";
inline constexpr const char* kKeyHeader = "<%s>\n KeyNum : %s\n";
inline constexpr const char* kIgnitionHeader = "<%s>\n Ignition : %s\n";

// Section labels.
inline constexpr const char* kKeyMapLabel = "KeyMap";
inline constexpr const char* kIgnitionLabel = "Ignition";
inline constexpr const char* kProgressiveLabel = "ProgressiveKey";
inline constexpr const char* kPanelLabel = "Panel";

// Check messages.
inline constexpr const char* kKeyNumNoName = "KeyNum - name이 없습니다.";
inline constexpr const char* kKeyNumBlank = "KeyNum이 공백입니다";
inline constexpr const char* kKeyNumOutOf10To99 = "KeyNum이 10에서 99사이를 벗어난 값이 있습니다.";
inline constexpr const char* kKeyNumOutOf0To99 = "KeyNum이 0에서 99사이를 벗어난 값이 있습니다.";
inline constexpr const char* kDuplicateKeyNum = "중복된 KeyNum이 있습니다.";
inline constexpr const char* kDuplicateKeyNumName = "KeyNum : %s";
inline constexpr const char* kKeyTypeInvalid = "KeyType은 Single 또는 Scenario이어야 합니다";
inline constexpr const char* kFrameCountZero = "NumberOfCanFrame의 값은 공백이나 0이 올 수 없습니다.";
inline constexpr const char* kSingleOneFrame = "SingleType Message는 한개의 CanFrame을 가집니다.";
inline constexpr const char* kScenarioFrameLimit = "CanFrame은 50개까지 지원합니다.";
inline constexpr const char* kFrameCountMismatch = "Number Of CanFrame값과 CanFrame Element의 개수가 맞지 않습니다";
inline constexpr const char* kEmptyData = "공백인 데이터가 있습니다.";
inline constexpr const char* kMessageIdLine = "Message Id %s\n";
inline constexpr const char* kMessageDataLine = "Message Data %s\n";
inline constexpr const char* kInvalidMessageData = "잘못된 Message Data가 있습니다.";
inline constexpr const char* kDuplicateData = "중복된 데이터가 있습니다.";
inline constexpr const char* kPeriodicTooLarge = "Periodic Interval의 값은 60000보다 작아야 합니다";
inline constexpr const char* kNoPeriodicInSettingMode =
    "KIV Setting Mode에서는 Scenario에 Periodic Interval값이 올 수 없습니다";
inline constexpr const char* kDelayTooLarge = "CanFrame Delay의 값은 60000보다 작아야 합니다";
inline constexpr const char* kIgnitionNoType = "Ignition - type이 없습니다.";
inline constexpr const char* kIgnitionTypeInvalid = "잘못된 Ignition Type이 있습니다";
inline constexpr const char* kIgnitionFrameLimit = "Ignition Message는 10개까지 지원합니다.";
inline constexpr const char* kProgressiveTypeInvalid = "잘못된 KeyNum 타입입니다.";
inline constexpr const char* kProgressiveOneFrame = "Progressive Message는 한개의 CanFrame을 가집니다.";
inline constexpr const char* kPeriodicBlank = "Periodic Interval은 공백이 올 수 없습니다";
inline constexpr const char* kProgressiveDuplicateData = "\nCanFrame Data : %s %s, StartByte : %s, StartBit : %s";
inline constexpr const char* kPanelNoControlType = "Panel - Control Type이 없습니다.";
inline constexpr const char* kControlTypeInvalid = "ControlType은 Normal 또는 Progressive이어야 합니다";

} // namespace kivplus::keymaptext

#include <initializer_list>
#include <string>
#include <string_view>

namespace kivplus::keymaptext {

// The pattern with each "%s" replaced by the next value, in order.
inline std::string format(std::string_view pattern, std::initializer_list<std::string_view> values)
{
    std::string text;
    auto value = values.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's' && value != values.end()) {
            text += *value++;
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

} // namespace kivplus::keymaptext
