#pragma once

#include <string>

namespace kivplus {

class IniSettings;

// The Log Setting group of the setting window: the folder of the automatic
// trace logs and the capacity choice (INI "LogFolder" and "LogFileSize").
struct LogSettings {
    static constexpr int kDefaultSizeChoice = 3;

    std::string folder;                    // empty: the documents folder + "/KIVPlus"
    int sizeChoice = kDefaultSizeChoice;   // 0-3: 100000, 400000, 800000, 1500000 lines

    // The folder in use: the chosen one, or the default log folder.
    std::string effectiveFolder() const;
    // Lines per log for the size choice (anything but 0-2 is 1500000).
    int capacity() const;

    void load(const IniSettings& ini);
    void save(IniSettings& ini) const;
};

} // namespace kivplus
