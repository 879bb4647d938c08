#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "temp_dir.h"

namespace vobe {
namespace {

using test::TTempDir;

TEST(IniFile, ReadsWithSystemRules) {
    TTempDir dir("ini-read");
    dir.WriteFile("game.ini", "; comment\r\n[sound]\r\n DirectSound = 0 \r\ndelaytime=$12C\r\nbad=12x\r\n"
                              "[Other]\r\nDelayTime=7\r\n");
    TIniFile ini(PlayerPath(dir.Real("game.ini")));
    EXPECT_FALSE(ini.ReadBool("Sound", "DirectSound", true));
    EXPECT_EQ(ini.ReadInteger("Sound", "DelayTime", 500), 300);
    EXPECT_EQ(ini.ReadInteger("Sound", "bad", 42), 42);
    EXPECT_EQ(ini.ReadInteger("Sound", "missing", 42), 42);
    EXPECT_EQ(ini.ReadInteger("Other", "DelayTime", 0), 7);
    EXPECT_TRUE(ini.SectionExists("SOUND"));

    struct Case {
        const char* text;
        bool ok;
        int32_t value;
    } cases[] = {{"-50", true, -50},
                 {"+7", true, 7},
                 {"0x10", true, 16},
                 {"2147483647", true, INT32_MAX},
                 {"-2147483648", true, INT32_MIN},
                 {"2147483648", false, 0},
                 {"$FFFFFFFF", true, -1},
                 {"", false, 0},
                 {"1.5", false, 0}};
    for (const auto& c : cases) {
        int32_t v = 0;
        EXPECT_EQ(TIniFile::ParseInteger(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

TEST(IniFile, WritesKeepOtherLines) {
    TTempDir dir("ini-write");
    dir.WriteFile("game.ini", "; keep me\r\n[Sound]\r\nDelayTime=200\r\n\r\n[Other]\r\nx=1\r\n");
    std::string path = PlayerPath(dir.Real("game.ini"));
    {
        TIniFile ini(path);
        EXPECT_TRUE(ini.WriteInteger("Sound", "DelayTime", 300));
        EXPECT_TRUE(ini.WriteBool("Sound", "DirectSound", false));
        EXPECT_TRUE(ini.WriteString("New", "k", "v"));
    }
    EXPECT_EQ(
        TTempDir::ReadFile(dir.Real("game.ini")),
        "; keep "
        "me\r\n[Sound]\r\nDelayTime=300\r\nDirectSound=0\r\n\r\n[Other]\r\nx=1\r\n\r\n[New]\r\nk=v\r\n");
    // A file that does not exist yet is created.
    TIniFile fresh(PlayerPath(dir.Real("new.ini")));
    EXPECT_TRUE(fresh.WriteBool("Sound", "DirectSound", true));
    EXPECT_EQ(TTempDir::ReadFile(dir.Real("new.ini")), "[Sound]\r\nDirectSound=1\r\n");
    // A folder that does not exist cannot be written, and says so.
    TIniFile nowhere(PlayerPath(dir.Real("no/such/dir.ini")));
    EXPECT_FALSE(nowhere.WriteBool("Sound", "DirectSound", true));
}

} // namespace
} // namespace vobe
