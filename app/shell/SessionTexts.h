#pragma once

// The texts the user sees from the device session, the key map transfer, the
// device settings and the firmware update, exactly as the program shows them.
// "%s" marks where a value goes (see keymaptext::format).
namespace kivplus::sessiontext {

inline constexpr const char* kCheckConnection = "장치와 연결을 확인하세요!!";
inline constexpr const char* kConnectFailed = "KIV-2xx 연결에 실패하였습니다. 연결 상태를 확인해 주세요";
inline constexpr const char* kWrongVersion = "KIV-2xx의 버전이 %s이 아닙니다. 버전을 확인해 주세요";
inline constexpr const char* kNothingToSave =
    "저장할 데이터가 없습니다. KeyMap List, Ignition Key List, Progressive Key List를 확인하세요.";
inline constexpr const char* kSaveChanges = "변경된 데이터를 저장하시겠습니까?";

inline constexpr const char* kKeyMapReadFailed = "Key Map을 읽기 실패하였습니다. 다시 실행해 주세요";
inline constexpr const char* kIgnitionReadFailed = "Ignition List을 읽기 실패하였습니다. 다시 실행해 주세요";
inline constexpr const char* kProgressiveReadFailed = "Progressive List을 읽기 실패하였습니다. 다시 실행해 주세요";
inline constexpr const char* kStored = "KIV-2xx에 데이터를 저장하였습니다.";
inline constexpr const char* kKeyMapWriteFailed = "Key Map을 저장 실패하였습니다. 다시 실행해 주세요";
inline constexpr const char* kIgnitionWriteFailed = "Ignition List을 저장 실패하였습니다. 다시 실행해 주세요";
inline constexpr const char* kProgressiveWriteFailed = "Progressive List을 저장 실패하였습니다. 다시 실행해 주세요";

// Transfers the device records cannot express; refused before anything is sent.
inline constexpr const char* kProgressiveNumberTooHigh =
    "KIV-2xx에는 Progressive Key 0, 1, 2만 저장할 수 있습니다.\nKeyNum : %s";
inline constexpr const char* kScenarioTooManyFrames =
    "KIV-2xx에는 CanFrame이 255개를 넘는 Scenario Key를 저장할 수 없습니다.\nKeyNum : %s";
inline constexpr const char* kIgnitionTooManyFrames =
    "KIV-2xx에는 Ignition Key마다 CanFrame을 10개까지 저장할 수 있습니다.\nIgnition : %s";
inline constexpr const char* kFrameNotStorable =
    "KIV-2xx에 저장할 수 없는 CanFrame이 있습니다 (Message Id 또는 Message Data).\nKeyNum : %s";
inline constexpr const char* kPayloadTooLarge =
    "KIV-2xx에 보낼 %s 데이터가 %s bytes로 최대 크기(4189 bytes)를 넘습니다.";
inline constexpr const char* kAnswerTooLarge = "KIV-2xx에서 받은 데이터가 최대 크기(4192 bytes)를 넘습니다.";

// Device settings.
inline constexpr const char* kSettingReadFailed = "KIV-2xx의 Setting 읽는데 실패하였습니다.";
inline constexpr const char* kSettingWriteFailed = "KIV-2xx Setting 저장 실패 하였습니다!!";
inline constexpr const char* kSettingWritten = "KIV-2xx Setting 성공 하였습니다!!";

// Firmware and boot-loader update.
inline constexpr const char* kImageFilter = "BIN File (*.bin);;BootLoader File (*.bl)";
inline constexpr const char* kImageTitle = "Select Firmware Data";
inline constexpr const char* kChooseImageFile = "bin 또는 bl 포맷 파일을 선택해 주세요.";
inline constexpr const char* kFirmwareDone = "Firmware Update 성공 하였습니다!!";
inline constexpr const char* kFirmwareFailed = "Firmware Update 실패 하였습니다!!";
inline constexpr const char* kBootLoaderDone = "BootLoader Update 성공 하였습니다!!";
inline constexpr const char* kBootLoaderFailed = "Bootloader Update 실패 하였습니다!!";
inline constexpr const char* kImageTooLarge =
    "Firmware 파일이 너무 큽니다. 256 KB(262144 bytes) 보다 작은 파일만 보낼 수 있습니다.";

} // namespace kivplus::sessiontext
