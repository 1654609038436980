#pragma once

// Texts of the trace subsystem that the user sees.
namespace kivplus::tracetext {

inline constexpr const char* kSelectLogFileTitle = "Select Log File";
inline constexpr const char* kSaveLogTitle = "Save Log";
inline constexpr const char* kLogFileFilter =
    "KIV Log File(*.kl);;Canoe Log File(*.asc);;Vehicle Spy Log File(*.csv)";
inline constexpr const char* kChooseLogFormat = "kl 또는 asc, csi포맷 파일을 선택해 주세요.";
inline constexpr const char* kLogReadFailed = "Log 읽기에 실패 하였습니다!!";
inline constexpr const char* kLogTooManyLines = "로그파일의 라인수가 설정한 라인수를 초과합니다.";
// Shown once when an automatic log file cannot be created; the path follows.
inline constexpr const char* kAutoLogCreateFailed = "자동 로그 파일을 만들 수 없습니다. 추적은 계속됩니다.\n";

} // namespace kivplus::tracetext
