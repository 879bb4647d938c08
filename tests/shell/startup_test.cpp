// Start-up rules: game.ini, DelayTime, instance names and the command line.
#include <gtest/gtest.h>

#include "../platform/temp_dir.h"
#include "fakes.h"
#include "platform/cp932.h"
#include "platform/instance_lock.h"
#include "platform/paths.h"
#include "shell/command_line.h"
#include "shell/form_view.h"
#include "shell/input_script.h"
#include "shell/player.h"

namespace vobe {
namespace {

using test::TTempDir;

TEST(StartUp, DelayTimeIsAMultipleOf100Within100To500) {
    struct Case {
        int32_t stored, loaded;
    } cases[] = {{50, 100},  {550, 500},  {349, 300}, {-50, 100}, {99, 100},
                 {450, 400}, {2000, 500}, {100, 100}, {500, 500}, {INT32_MIN, 100}};
    for (const auto& c : cases) EXPECT_EQ(NormalizeDelayTime(c.stored), c.loaded) << c.stored;
}

TEST(StartUp, SoundSettingsFromGameIni) {
    TTempDir dir("sound-ini");
    std::string ini = PlayerPath(dir.Real("game.ini"));
    test::ResetGlobals();
    LoadSoundSettings(ini); // no file: the defaults stay
    EXPECT_TRUE(UseDirectSound);
    EXPECT_EQ(DelayTime, 500);
    dir.WriteFile("game.ini", "[Sound]\r\nDirectSound=0\r\nDelayTime=349\r\n");
    LoadSoundSettings(ini);
    EXPECT_FALSE(UseDirectSound);
    EXPECT_EQ(DelayTime, 300);
    // A missing key keeps the current value, which is still normalised.
    dir.WriteFile("game.ini", "[Sound]\r\n");
    DelayTime = 250;
    LoadSoundSettings(ini);
    EXPECT_TRUE(UseDirectSound);
    EXPECT_EQ(DelayTime, 200);
    test::ResetGlobals();
}

TEST(StartUp, InstanceNames) {
    EXPECT_EQ(InstanceName("C:\\GAMES\\ABC"), "C:-GAMES-ABC-");
    EXPECT_EQ(InstanceName("c:\\games\\abc\\"), "C:-GAMES-ABC-");
    // The trail byte 0x5C of 表 stays; the letters are upper-cased.
    EXPECT_EQ(InstanceName(SJ("\\home\\表\\ａb")), SJ("-HOME-表-ＡB-"));
    // The same folder in another letter case takes the same marker.
    TTempDir dir("instance");
    TInstanceMutex first, second;
    ASSERT_EQ(AcquireInstanceMutex(InstanceName("\\Games\\Abc"), first, dir.Real()),
              TInstanceResult::Acquired);
    EXPECT_EQ(AcquireInstanceMutex(InstanceName("\\GAMES\\abc\\"), second, dir.Real()),
              TInstanceResult::Exists);
    ReleaseInstanceMutex(first);
}

TEST(CommandLine, FormsAndOptions) {
    TPlayerOptions o;
    std::string err;
    for (const char* form : {"/config", "/CONFIG", "/Config"}) {
        ASSERT_TRUE(ParseCommandLine({form}, o, err));
        EXPECT_TRUE(o.Config) << form;
        EXPECT_TRUE(o.Folders.empty());
    }
    ASSERT_TRUE(ParseCommandLine({"a", "/config"}, o, err));
    EXPECT_FALSE(o.Config); // only as the first argument
    EXPECT_EQ(o.Folders.size(), 2u);
    ASSERT_TRUE(ParseCommandLine({"--headless",   "--frames",    "3",           "--fixed-delta",
                                  "16",           "--skip-logo", "--depth",     "16",
                                  "--trace",      "t",           "--dump-vars", "d",
                                  "--screenshot", "s",           "--input",     "i",
                                  "--save-dir",   "sv",          "A",           "B"},
                                 o, err));
    EXPECT_TRUE(o.Headless && o.SkipLogo);
    EXPECT_EQ(o.Frames, 3);
    EXPECT_EQ(o.FixedDelta, 16);
    EXPECT_EQ(o.Depth, 16);
    EXPECT_EQ(o.TraceFile + o.DumpVarsFile + o.ScreenshotFile + o.InputFile + o.SaveDir, "tdsisv");
    ASSERT_EQ(o.Folders.size(), 2u);
    EXPECT_EQ(o.Folders[0], "A");

    const std::vector<std::vector<std::string>> bad = {
        {"--frames"}, {"--frames", "x"}, {"--frames", "-1"}, {"--depth", "24"}, {"--fixed-delta", "1e3"},
        {"--nope"},   {"--input"},
    };
    for (const auto& args : bad) EXPECT_FALSE(ParseCommandLine(args, o, err)) << args[0];
}

TEST(InputScript, ParsesAndOrdersEvents) {
    TInputScript s;
    std::string err;
    ASSERT_TRUE(s.Parse("# comment\n\n2 click 10 20\n3 key 13\n3 move 1 2\n1 wheel down\r\n5 down right\n"
                        "5 up right\n6 keydown 32\n7 keyup 32\n",
                        err))
        << err;
    auto kinds = [&](int32_t f) {
        std::string k;
        for (const auto& e : s.EventsOf(f)) {
            switch (e.Kind) {
            case TInputEvent::ieMove:
                k += "move(" + std::to_string(e.X) + "," + std::to_string(e.Y) + ") ";
                break;
            case TInputEvent::ieDown: k += e.Button == mbLeft ? "downL " : "downR "; break;
            case TInputEvent::ieUp: k += e.Button == mbLeft ? "upL " : "upR "; break;
            case TInputEvent::ieKeyDown: k += "kd" + std::to_string(e.VK) + " "; break;
            case TInputEvent::ieKeyUp: k += "ku" + std::to_string(e.VK) + " "; break;
            case TInputEvent::ieWheel: k += e.WheelDown ? "wheelD " : "wheelU "; break;
            }
        }
        return k;
    };
    EXPECT_EQ(kinds(1), "wheelD ");
    EXPECT_EQ(kinds(2), "move(10,20) downL ");
    // The release a click asks for comes before the frame's own events.
    EXPECT_EQ(kinds(3), "upL kd13 move(1,2) ");
    EXPECT_EQ(kinds(4), "ku13 ");
    EXPECT_EQ(kinds(5), "downR upR ");
    EXPECT_EQ(kinds(8), "");
    EXPECT_EQ(s.LastFrame(), 7);

    const char* bad[] = {"0 move 1 2", "x move 1 2", "1 move 1",     "1 down middle", "1 key 256",
                         "1 key",      "1 fly",      "1 wheel left", "1 click 1 2 3"};
    for (const char* line : bad) {
        EXPECT_FALSE(s.Parse(std::string("# ok\n") + line + "\n", err)) << line;
        EXPECT_NE(err.find("line 2"), std::string::npos) << err;
    }
}

} // namespace
} // namespace vobe
