#include "platform/IniSettings.h"

#include <QSettings>
#include <QString>
#include <QStringList>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace kivplus {

namespace {

QString qt(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString keyPath(const std::string& section, const std::string& key)
{
    return qt(section) + QLatin1Char('/') + qt(key);
}

} // namespace

IniSettings::IniSettings(const std::string& path)
    : path_(path), settings_(std::make_unique<QSettings>(qt(path), QSettings::IniFormat))
{
}

IniSettings::~IniSettings() = default;

std::string IniSettings::defaultPath()
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path executable = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const fs::path beside = executable.parent_path() / "KivPlus.ini";
        if (fs::is_regular_file(beside, ec))
            return beside.string();
    }
    fs::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        config = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        config = fs::path(home) / ".config";
    else
        config = fs::temp_directory_path(ec);
    return (config / "KivPlus" / "KivPlus.ini").string();
}

std::string IniSettings::value(const std::string& section, const std::string& key, const std::string& fallback) const
{
    const QVariant stored = settings_->value(keyPath(section, key));
    if (!stored.isValid())
        return fallback;
    // A hand-written value with an unquoted comma is read as a list; the key
    // still means the whole text.
    if (stored.typeId() == QMetaType::QStringList)
        return stored.toStringList().join(QLatin1Char(',')).toStdString();
    return stored.toString().toStdString();
}

void IniSettings::setValue(const std::string& section, const std::string& key, const std::string& value)
{
    settings_->setValue(keyPath(section, key), qt(value));
}

void IniSettings::sync()
{
    settings_->sync();
}

} // namespace kivplus
