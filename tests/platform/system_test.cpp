// Instance markers, CD-ROM mounts, message boxes, keys and the clock.
#include <gtest/gtest.h>

#include "platform/cp932.h"
#include "platform/drives.h"
#include "platform/instance_lock.h"
#include "platform/keys.h"
#include "platform/message_box.h"
#include "platform/timer.h"
#include "temp_dir.h"

#include <SDL.h>

namespace vobe {
namespace {

using test::TTempDir;

TEST(InstanceLock, SecondHolderIsRefusedUntilRelease) {
    TTempDir dir("lock");
    TInstanceMutex a, b;
    EXPECT_EQ(AcquireInstanceMutex("C:-GAMES-ABC-", a, dir.Real()), TInstanceResult::Acquired);
    EXPECT_EQ(AcquireInstanceMutex("C:-GAMES-ABC-", b, dir.Real()), TInstanceResult::Exists);
    EXPECT_EQ(b.Handle, -1);
    EXPECT_EQ(AcquireInstanceMutex("C:-GAMES-XYZ-", b, dir.Real()), TInstanceResult::Acquired);
    ReleaseInstanceMutex(b);
    ReleaseInstanceMutex(a);
    EXPECT_EQ(AcquireInstanceMutex("C:-GAMES-ABC-", b, dir.Real()), TInstanceResult::Acquired);
    ReleaseInstanceMutex(b);
    // No writable folder: the player runs without a marker.
    EXPECT_EQ(AcquireInstanceMutex("X", a, dir.Real("missing")), TInstanceResult::Unavailable);
}

TEST(InstanceLock, LongAndJapaneseNamesMakeValidFiles) {
    TTempDir dir("lock-names");
    std::string longName(600, 'A');
    std::string path = InstanceLockPath(longName, dir.Real());
    EXPECT_LT(path.size() - dir.Real().size(), 255u);
    EXPECT_NE(InstanceLockPath(longName + "B", dir.Real()), path);
    TInstanceMutex m;
    EXPECT_EQ(AcquireInstanceMutex(SJ("-HOME-ゲーム-表-"), m, dir.Real()), TInstanceResult::Acquired);
    ReleaseInstanceMutex(m);
}

TEST(Drives, MountInfoAndCdromTest) {
    const char* text =
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "40 22 11:0 / /media/cd rom ro - iso9660 /dev/sr0 ro\n" // malformed: too many fields before '-'? kept
        "41 22 11:1 / /media/My\\040Disc ro,relatime - udf /dev/sr1 ro\n"
        "42 41 8:2 / /media/My\\040Disc/inner rw - ext4 /dev/sda2 rw\n"
        "garbage\n";
    auto mounts = ParseMountInfo(text);
    ASSERT_EQ(mounts.size(), 4u);
    EXPECT_EQ(mounts[2].MountPoint, "/media/My Disc");
    EXPECT_TRUE(IsOnCdrom("/media/My Disc/player", mounts));
    EXPECT_TRUE(IsOnCdrom("/media/My Disc", mounts));
    EXPECT_FALSE(IsOnCdrom("/media/My Disc/inner/x", mounts)); // a disk mounted inside the CD
    EXPECT_FALSE(IsOnCdrom("/media/My Discs/x", mounts));
    EXPECT_FALSE(IsOnCdrom("/home/x", mounts));
    EXPECT_FALSE(IsOnCdrom("/home/x"));
}

TEST(MessageBox, HeadlessAnswers) {
    struct Case {
        uint32_t flags;
        int given, answer;
    } cases[] = {
        {MB_OK | MB_ICONWARNING, 0, IDOK}, {MB_YESNO | MB_ICONQUESTION, 0, IDNO},
        {MB_OKCANCEL, 0, IDCANCEL},        {MB_RETRYCANCEL, 0, IDCANCEL},
        {MB_OKCANCEL, IDOK, IDOK},         {MB_YESNOCANCEL, 0, IDCANCEL},
    };
    for (const auto& c : cases) EXPECT_EQ(HeadlessAnswer(c.flags, c.given), c.answer) << c.flags;
    // Without a display the box goes to standard error as "CAPTION: TEXT" with LF line ends.
    testing::internal::CaptureStderr();
    int r = MessageBox(SJ("一行目\r\n二行目"), SJ("警告"), MB_OK | MB_ICONWARNING);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "警告: 一行目\n二行目\n");
    EXPECT_EQ(r, IDOK);
    SetMessageBoxHook(
        [](const std::string& text, const std::string&, uint32_t) { return text == "q" ? IDYES : IDCANCEL; });
    EXPECT_EQ(MessageBox("q", "c", MB_YESNO), IDYES);
    SetMessageBoxHook(nullptr);
}

TEST(Keys, SdlKeysBecomeVirtualKeys) {
    struct Case {
        int32_t key, scan, vk;
    } cases[] = {
        {SDLK_RETURN, SDL_SCANCODE_RETURN, 13},  {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 13},
        {SDLK_SPACE, SDL_SCANCODE_SPACE, 32},    {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 27},
        {SDLK_a, SDL_SCANCODE_A, 'A'},           {SDLK_z, SDL_SCANCODE_Z, 'Z'},
        {SDLK_5, SDL_SCANCODE_5, '5'},           {SDLK_F1, SDL_SCANCODE_F1, 0x70},
        {SDLK_F12, SDL_SCANCODE_F12, 0x7B},      {SDLK_LEFT, SDL_SCANCODE_LEFT, 0x25},
        {SDLK_DOWN, SDL_SCANCODE_DOWN, 0x28},    {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, 0x10},
        {SDLK_RCTRL, SDL_SCANCODE_RCTRL, 0x11},  {SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN, 0x22},
        {SDLK_KP_7, SDL_SCANCODE_KP_7, 0x67},    {SDLK_COMMA, SDL_SCANCODE_COMMA, 0xBC},
        {SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(SdlKeyToVK(c.key, c.scan), c.vk) << c.key;
}

TEST(Timer, VirtualClockMovesOnlyWhenAdvanced) {
    SetVirtualClock(true, 1000);
    EXPECT_EQ(TimeGetTime(), 1000u);
    AdvanceVirtualClock(16);
    EXPECT_EQ(TimeGetTime(), 1016u);
    SetVirtualClock(false);
    uint32_t a = TimeGetTime();
    SleepMs(2);
    EXPECT_GE(TimeGetTime() - a, 2u);
}

} // namespace
} // namespace vobe
