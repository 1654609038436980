#pragma once

// The texts the database code shows to the user, in one place.
namespace kivplus::dbtext {

inline constexpr const char* kInvalidDatabaseSuffix = "는 잘못된 database 파일입니다.";
inline constexpr const char* kInvalidDbc = "잘못된 DBC 파일입니다.";
inline constexpr const char* kChooseDbcOrArxml = "DBC 또는 Arxml 포맷 파일을 선택해 주세요.";
inline constexpr const char* kDatabaseNameDiffers =
    "Database Name이 현재 사용중인 Database Name과 다릅니다. Message Name은 현재의 Database(DBC)를 기준으로 "
    "적용됩니다. \n계속 하시겠습니까?";
inline constexpr const char* kOpenDatabaseTitle = "Select Database Filename...";
inline constexpr const char* kOpenDatabaseFilter = "DBC Database File(*.dbc);;Autosar XML File(*.arxml)";
inline constexpr const char* kOutOfRange = "데이터 값이 범위를 벗어났습니다.";

} // namespace kivplus::dbtext
