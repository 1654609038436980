// The Log Setting keys of the INI file.
#include "TestPaths.h"
#include "platform/IniSettings.h"
#include "shell/LogSettings.h"
#include "trace/AutoLogFile.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

TEST(IniLogSettings, DefaultsAndValuesAsRead)
{
    struct Case {
        const char* ini;
        int sizeChoice;
        int capacity;
        bool defaultFolder;
    };
    for (const Case& c : {Case{"", 3, 1500000, true}, Case{"[KivPlus]\nLogFileSize=0\nLogFolder=/x/logs\n", 0, 100000, false},
                          Case{"[KivPlus]\nLogFileSize=abc\nLogFolder=\n", 3, 1500000, true},
                          Case{"[KivPlus]\nLogFileSize=9\n", 9, 1500000, true}}) {
        kivtest::TempDir dir;
        std::ofstream(dir / "KivPlus.ini") << c.ini;
        kivplus::IniSettings ini((dir / "KivPlus.ini").string());
        kivplus::LogSettings settings;
        settings.load(ini);
        EXPECT_EQ(settings.sizeChoice, c.sizeChoice) << c.ini;
        EXPECT_EQ(settings.capacity(), c.capacity) << c.ini;
        EXPECT_EQ(settings.folder, c.defaultFolder ? kivplus::defaultLogFolder() : "/x/logs") << c.ini;
    }
}

TEST(IniLogSettings, SavedKeysReadBack)
{
    kivtest::TempDir dir;
    const std::string path = (dir / "KivPlus.ini").string();
    {
        kivplus::IniSettings ini(path);
        kivplus::LogSettings{"/data/kiv logs", 2}.save(ini);
        ini.sync();
    }
    kivplus::IniSettings ini(path);
    EXPECT_EQ(ini.value("KivPlus", "LogFolder"), "/data/kiv logs");
    EXPECT_EQ(ini.value("KivPlus", "LogFileSize"), "2");
}

} // namespace
