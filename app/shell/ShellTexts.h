#pragma once

// The texts the user sees from the main window, the port and mode window, the
// setting window and the UDS window, exactly as the program shows them.
namespace kivplus::shelltext {

inline constexpr const char* kProgramTitle = "KIV Raze";
inline constexpr const char* kAboutText = "KIV Raze, Version %s";
inline constexpr const char* kProgramVersion = "1.0.0";

inline constexpr const char* kStatusAtStart = "Device not Connected!";
inline constexpr const char* kStatusNotConnected = "Device not connected!";
inline constexpr const char* kStatusConnected = "Device connected : ";
inline constexpr const char* kInterfaceMode = "Interface Mode";
inline constexpr const char* kConfigurationMode = "Configuration Mode";
inline constexpr const char* kOpenPortFailed = "포트를 여는데 실패했습니다!!!!!";
inline constexpr const char* kSimulatorEntry = "KIV-2xx Simulator";

inline constexpr const char* kKeyMapFilter = "KIV KeyMap File (*.kiv)";
inline constexpr const char* kOpenKeyMapTitle = "Open KeyMap";
inline constexpr const char* kSaveKeyMapTitle = "Save KeyMap";
inline constexpr const char* kDefaultKeyMapName = "NewKeyMap.kiv";
inline constexpr const char* kChooseKivFile = "kiv 포맷 파일을 선택해 주세요.";
inline constexpr const char* kXmlUnavailable = "XML 지원(euc-kr 인코딩)을 사용할 수 없어 KeyMap파일을 다룰 수 없습니다.";

inline constexpr const char* kLogFolderTitle = "Log Folder";
inline constexpr const char* kSequenceTitle = "Select Sequence Data";
inline constexpr const char* kDataFileTitle = "Select Download Data";
inline constexpr const char* kUdsNeedsInterface = "UDS Download는 Interface Mode에서 장치와 연결된 상태에서만 실행할 수 있습니다.";
inline constexpr const char* kUdsStartFailed = "UDS Download를 시작하지 못했습니다.";
inline constexpr const char* kUdsFinished = "UDS Download가 끝났습니다.";
inline constexpr const char* kUdsStopped = "UDS Download를 중지하였습니다.";

} // namespace kivplus::shelltext
