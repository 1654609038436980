#pragma once

#include <memory>
#include <string>

class QSettings;

namespace kivplus {

// The program's INI file ("KivPlus.ini"): sections of text keys.
class IniSettings {
public:
    // Opens (or later creates) the INI file at path.
    explicit IniSettings(const std::string& path);
    ~IniSettings();
    IniSettings(const IniSettings&) = delete;
    IniSettings& operator=(const IniSettings&) = delete;

    // "KivPlus.ini" beside the executable when that file exists there (a
    // portable install), otherwise $XDG_CONFIG_HOME/KivPlus/KivPlus.ini
    // (~/.config when XDG_CONFIG_HOME is unset).
    static std::string defaultPath();

    const std::string& path() const { return path_; }
    std::string value(const std::string& section, const std::string& key, const std::string& fallback = {}) const;
    void setValue(const std::string& section, const std::string& key, const std::string& value);
    // Writes pending changes to the file.
    void sync();

private:
    std::string path_;
    std::unique_ptr<QSettings> settings_;
};

} // namespace kivplus
