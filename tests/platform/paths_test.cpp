#include "platform/paths.h"

#include <gtest/gtest.h>

#include "platform/cp932.h"
#include "platform/file.h"
#include "temp_dir.h"

namespace vobe {
namespace {

using test::TTempDir;

TEST(Paths, SplitKeepsTrailBytes) {
    // 表 is 0x95 0x5C: its trail byte is not a separator.
    auto parts = SplitPlayerPath(SJ("\\data\\表\\a.png"));
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[0], "data");
    EXPECT_EQ(parts[1], SJ("表"));
    EXPECT_EQ(parts[2], "a.png");
    EXPECT_TRUE(EndsWithBackslash(SJ("a\\表\\")));
    EXPECT_FALSE(EndsWithBackslash(SJ("a\\表")));
    EXPECT_EQ(IncludeTrailingBackslash(SJ("表")), SJ("表\\"));
    EXPECT_EQ(ExtractFilePath(SJ("x\\表\\ソ.vsk")), SJ("x\\表\\"));
    EXPECT_EQ(ExtractFileName(SJ("x\\表\\ソ.vsk")), SJ("ソ.vsk"));
    EXPECT_EQ(ExtractFileExt(SJ("x.y\\表")), "");
    EXPECT_EQ(ExtractFileExt("bg\\a.b.PNG"), ".PNG");
}

TEST(Paths, RealPathMatchesEachComponentIgnoringCase) {
    TTempDir dir("paths-case");
    dir.WriteFile("Data/BG/Title.PNG", "x");
    dir.WriteFile("Data/表/ｅ.txt", "y"); // full-width letter in the name
    std::string base = PlayerPath(dir.Real()) + "\\";
    EXPECT_EQ(RealPath(base + "data\\bg\\title.png"), dir.Real("Data/BG/Title.PNG"));
    EXPECT_EQ(RealPath(base + SJ("DATA\\表\\Ｅ.TXT")), dir.Real("Data/表/ｅ.txt"));
    EXPECT_TRUE(FileExists(base + "DATA\\Bg\\TITLE.png"));
    // A missing file below an existing folder keeps its own spelling, the folder gets the disk's.
    EXPECT_EQ(RealPath(base + "data\\bg\\New.sav"), dir.Real("Data/BG/New.sav"));
    // A trailing separator stays.
    EXPECT_EQ(RealPath(base + "data\\"), dir.Real("Data/"));
}

TEST(Paths, RawBytesFallBack) {
    TTempDir dir("paths-raw");
    // A name stored on disk as raw Shift-JIS bytes (an unconverted copy).
    const std::string raw = SJ("画像");
    dir.WriteFile(raw + "/a.png", "x");
    std::string base = PlayerPath(dir.Real()) + "\\";
    EXPECT_EQ(RealPath(base + raw + "\\A.PNG"), dir.Real(raw + "/a.png"));
    // Bytes that are not Shift-JIS at all pass through unchanged.
    EXPECT_EQ(RealPath("x\\\x81"), "x/\x81");
    // A UTF-8 real name without a Shift-JIS form keeps its bytes in the player path.
    EXPECT_EQ(PlayerPath("/a/\xF0\x9F\x98\x80/b"), "\\a\\\xF0\x9F\x98\x80\\b");
}

TEST(Paths, AbsoluteRealPathFolds) {
    EXPECT_EQ(AbsoluteRealPath("/a/./b/../c/"), "/a/c/");
    EXPECT_EQ(AbsoluteRealPath("/.."), "/");
    EXPECT_EQ(AbsoluteRealPath("x"), AbsoluteRealPath(CurrentDirectory() + "/x"));
}

TEST(Paths, ExeAndTempFolders) {
    EXPECT_TRUE(EndsWithBackslash(ExeFolder()));
    EXPECT_TRUE(DirectoryExists(ExeFolder()));
    EXPECT_TRUE(EndsWithBackslash(TempFolder()));
    SetSaveFolder("\\tmp\\saves");
    EXPECT_EQ(SaveFolder(), "\\tmp\\saves\\");
    SetSaveFolder("");
    EXPECT_EQ(SaveFolder(), ExeFolder());
}

} // namespace
} // namespace vobe
