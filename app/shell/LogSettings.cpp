#include "shell/LogSettings.h"

#include "platform/IniSettings.h"
#include "trace/AutoLogFile.h"
#include "trace/CTraceLog.h"

#include <charconv>

namespace kivplus {

namespace {

constexpr const char* kSection = "KivPlus";

int parseDecimal(const std::string& text, int fallback)
{
    std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return fallback;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data() + begin, text.data() + text.size(), value);
    return error == std::errc() ? value : fallback;
}

} // namespace

std::string LogSettings::effectiveFolder() const
{
    return folder.empty() ? defaultLogFolder() : folder;
}

int LogSettings::capacity() const
{
    return traceCapacityForSetting(sizeChoice);
}

void LogSettings::load(const IniSettings& ini)
{
    folder = ini.value(kSection, "LogFolder");
    if (folder.empty())
        folder = defaultLogFolder();
    sizeChoice = parseDecimal(ini.value(kSection, "LogFileSize", "3"), kDefaultSizeChoice);
}

void LogSettings::save(IniSettings& ini) const
{
    ini.setValue(kSection, "LogFolder", folder);
    ini.setValue(kSection, "LogFileSize", std::to_string(sizeChoice));
}

} // namespace kivplus
