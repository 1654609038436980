// Text values of the INI file as a user writes them by hand.
#include "TestPaths.h"
#include "platform/IniSettings.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

TEST(IniSettings, HandWrittenValueReadsWhole)
{
    struct Case {
        const char* line;
        const char* expected;
    };
    for (const Case& c : {Case{"Path=/data/ecu,v2/app.bin", "/data/ecu,v2/app.bin"},
                          Case{"Path=a,b,c", "a,b,c"},
                          Case{"Path=\"/data/x,y.seq\"", "/data/x,y.seq"},
                          Case{"Path=/data/plain.seq", "/data/plain.seq"},
                          Case{"Path=", ""}}) {
        kivtest::TempDir dir;
        std::ofstream(dir / "KivPlus.ini") << "[KivPlusUDS]\n" << c.line << "\n";
        const kivplus::IniSettings ini((dir / "KivPlus.ini").string());
        EXPECT_EQ(ini.value("KivPlusUDS", "Path", "fallback"), c.expected) << c.line;
    }
}

TEST(IniSettings, ValueWithCommaSurvivesSaving)
{
    kivtest::TempDir dir;
    const std::string path = (dir / "KivPlus.ini").string();
    {
        kivplus::IniSettings ini(path);
        ini.setValue("KivPlusUDS", "Path", "/data/ecu,v2/app.bin");
        ini.sync();
    }
    const kivplus::IniSettings ini(path);
    EXPECT_EQ(ini.value("KivPlusUDS", "Path"), "/data/ecu,v2/app.bin");
    EXPECT_EQ(ini.value("KivPlusUDS", "Missing", "none"), "none");
}

} // namespace
