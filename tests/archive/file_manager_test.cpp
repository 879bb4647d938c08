#include "archive/file_manager.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "independent_writer.h"
#include "platform/cp932.h"
#include "platform/file.h"
#include "platform/globals.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "test_files.h"

namespace vobe {
namespace {

using testing::BuildIndependent;
using testing::TIndepEntry;
using testing::TScratchDir;

std::string Load(TVrFileManager& fm, const std::string& name) {
    TMemoryStream m;
    fm.LoadToStream(m, name);
    EXPECT_EQ(m.GetPosition(), 0);
    return std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.GetSize()));
}

std::string Slurp(TStream& s) {
    TMemoryStream m;
    m.CopyFrom(s, 0);
    return std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.GetSize()));
}

class FileManager : public ::testing::Test {
protected:
    void SetUp() override {
        Host.TempFolder = [this] { return FDir.Player("tmp") + "\\"; };
        std::filesystem::create_directories(FDir.Real("tmp"));
    }
    void WriteArchive(const std::string& rel, const std::vector<TIndepEntry>& entries, int version = 102) {
        auto a = BuildIndependent(version, entries);
        FDir.Write(rel, a.Directory + a.Data);
    }
    TScratchDir FDir;
    TVrFileManagerHost Host;
};

TEST_F(FileManager, PrecedenceAndLookup) {
    WriteArchive("game/game.dat", {{"ABC\\def.png", "from archive", 0},
                                   {"both.txt", "archive copy", 1},
                                   {"song.ogg", "OggS archive", 1}});
    WriteArchive("second/game.dat", {{"abc\\def.png", "second archive", 1}, {"only2.txt", "two", 1}});
    FDir.Write("game/both.txt", "folder copy");
    FDir.Write("game/song.ogg", "OggS folder");
    TVrFileManager fm(Host);
    fm.SetBaseFolder(FDir.Player("game"));
    EXPECT_EQ(fm.BaseFolder(), FDir.Player("game") + "\\");
    ASSERT_EQ(fm.MountFile(FDir.Player("game/game.dat")), 0);
    ASSERT_EQ(fm.MountFile(FDir.Player("second/game.dat")), 1);

    EXPECT_EQ(Load(fm, "abc\\DEF.PNG"), "from archive"); // first archive in mount order, any case
    EXPECT_EQ(Load(fm, "only2.txt"), "two");
    EXPECT_THROW(Load(fm, "abc/def.png"), EVobeError); // no separator conversion
    EXPECT_TRUE(fm.Exists("ONLY2.TXT"));
    EXPECT_FALSE(fm.Exists("abc/def.png"));

    // The base folder wins for every operation.
    EXPECT_EQ(Load(fm, "both.txt"), "folder copy");
    EXPECT_EQ(fm.GetFileName("both.txt"), FDir.Player("game/both.txt"));
    EXPECT_EQ(Slurp(*fm.OpenRangeStream("song.ogg")), "OggS folder");
    std::filesystem::remove(FDir.Real("game/song.ogg"));
    EXPECT_EQ(Slurp(*fm.OpenRangeStream("SONG.OGG")), "OggS archive");

    try {
        Load(fm, "nothing.txt");
        ADD_FAILURE();
    } catch (const EVobeError& e) {
        EXPECT_EQ(e.Message(), "nothing.txt" + SJ(":ファイルがありません"));
    }
    EXPECT_THROW(fm.OpenRangeStream("nothing.txt"), EVobeError);
    EXPECT_EQ(fm.GetFileName("nothing.txt"), "nothing.txt");

    fm.Unmount(0);
    EXPECT_EQ(Load(fm, "abc\\def.png"), "second archive");
}

TEST_F(FileManager, MountingFoldersAndMissingFiles) {
    std::filesystem::create_directories(FDir.Real("loose"));
    FDir.Write("loose/x.txt", "x");
    TVrFileManager fm(Host);
    const std::string folder = FDir.Player("loose") + "\\";
    // A path that is no file mounts its folder; the same folder again is refused.
    EXPECT_EQ(fm.MountFile(folder), 0);
    EXPECT_EQ(fm.Archives(0)->Folder(), folder);
    EXPECT_EQ(fm.MountFile(AnsiUpperCase(folder)), -1);
    EXPECT_EQ(fm.ArchiveCount(), 1);
    // A matching entry in a collection without archive stream is passed over; a missing archive
    // file is a folder-only collection.
    EXPECT_EQ(fm.MountFile(FDir.Player("nothere/game.dat")), 1);
    EXPECT_EQ(fm.Archives(1)->ArchiveStream(), nullptr);
    // Damaged archives are refused with an error and mount nothing.
    FDir.Write("bad/game.dat", "vf\x66\0\0\0\xFF\xFF\xFF\x7F");
    EXPECT_THROW(fm.MountFile(FDir.Player("bad/game.dat")), EVobeError);
    EXPECT_EQ(fm.ArchiveCount(), 2);
}

TEST_F(FileManager, CacheKeepsFourMegabytes) {
    const std::string big(TVrFileManager::CacheLimit + 100, 'B');
    WriteArchive("g.dat", {{"big.bin", big, 1}, {"small1", "s1", 0}, {"small2", "s2", 0}});
    TVrFileManager fm(Host);
    fm.MountFile(FDir.Player("g.dat"));
    EXPECT_EQ(Load(fm, "big.bin"), big);
    EXPECT_EQ(fm.CacheCount(), 1);
    EXPECT_EQ(fm.CacheSize(), static_cast<int64_t>(big.size()));
    // Cached under the upper-cased name: another case hits it.
    EXPECT_EQ(Load(fm, "BIG.BIN"), big);
    EXPECT_EQ(fm.CacheCount(), 1);
    // The next new entry evicts it.
    EXPECT_EQ(Load(fm, "small1"), "s1");
    EXPECT_EQ(fm.CacheCount(), 1);
    EXPECT_EQ(Load(fm, "small2"), "s2");
    EXPECT_EQ(fm.CacheCount(), 2);
    // A failed lookup leaves no empty entry behind.
    EXPECT_THROW(Load(fm, "missing"), EVobeError);
    EXPECT_EQ(fm.CacheCount(), 2);
    // Cached data is served even when the archive changes underneath (as intended: read once).
    fm.ClearCache();
    EXPECT_EQ(fm.CacheSize(), 0);

    // Non-memory destinations get the content from their position 0.
    FDir.Write("sink.bin", "");
    {
        TFileStream f(FDir.Player("sink.bin"), fmOpenReadWrite);
        fm.LoadToStream(f, "small2");
        EXPECT_EQ(f.GetPosition(), 0);
    }
    EXPECT_EQ(FDir.Read("sink.bin"), "s2");
}

TEST_F(FileManager, WorkingFilesAreSharedAndDeletedAtExit) {
    WriteArchive("g.dat", {{"Cursor\\hand.cur", "cursor bytes", 0}, {"movie.wmv", "video", 1}});
    std::string path1, path2, path3;
    {
        TVrFileManager fm(Host);
        fm.MountFile(FDir.Player("g.dat"));
        path1 = fm.GetFileName("Cursor\\hand.cur");
        EXPECT_EQ(path1, FDir.Player("tmp") + "\\~vb00000000.cur");
        EXPECT_EQ(FDir.Read("tmp/~vb00000000.cur"), "cursor bytes");
        path2 = fm.GetFileName("Cursor\\hand.cur");
        EXPECT_EQ(path2, path1);
        ASSERT_EQ(fm.Locks().size(), 1u);
        EXPECT_EQ(fm.Locks()[0].RefCount, 2);
        // Another spelling is another lock (locks compare exactly).
        path3 = fm.GetFileName("movie.WMV");
        EXPECT_EQ(path3, FDir.Player("tmp") + "\\~vb00000001.WMV");
        EXPECT_TRUE(WorkingFilesToDelete().empty());
    }
    ASSERT_EQ(WorkingFilesToDelete().size(), 2u);
    EXPECT_TRUE(std::filesystem::exists(FDir.Real("tmp/~vb00000000.cur")));
    DeleteWorkingFiles();
    EXPECT_FALSE(std::filesystem::exists(FDir.Real("tmp/~vb00000000.cur")));
    EXPECT_FALSE(std::filesystem::exists(FDir.Real("tmp/~vb00000001.WMV")));

    // By default the working files go to a private folder of the system's temp folder, removed at exit.
    std::string privatePath;
    {
        TVrFileManagerHost h;
        h.CdRoots = [] { return std::vector<std::string>{}; };
        TVrFileManager fm(h);
        fm.MountFile(FDir.Player("g.dat"));
        privatePath = fm.GetFileName("movie.wmv");
        EXPECT_EQ(privatePath.substr(0, TempFolder().size() + 11), TempFolder() + "vobeplayer-");
        EXPECT_EQ(privatePath.substr(privatePath.size() - 16), "\\~vb00000000.wmv");
        EXPECT_TRUE(FileExists(privatePath));
    }
    DeleteWorkingFiles();
    EXPECT_FALSE(FileExists(privatePath));
    EXPECT_FALSE(std::filesystem::exists(RealPath(privatePath.substr(0, privatePath.size() - 15))));

    // A temp folder that cannot take files.
    Host.TempFolder = [this] { return FDir.Player("no/such/folder") + "\\"; };
    TVrFileManager fm(Host);
    fm.MountFile(FDir.Player("g.dat"));
    try {
        fm.GetFileName("movie.wmv");
        ADD_FAILURE();
    } catch (const EVobeError& e) {
        EXPECT_EQ(e.Message(), SJ("作業用ファイルが作れません"));
    }
    EXPECT_TRUE(fm.Locks().empty());
}

TEST_F(FileManager, CdRootsAndDiskPrompts) {
    // Two fake CD roots; the second holds disk index 1 of this project.
    auto install = [](int32_t index, const std::string& title) {
        std::string s = "is107";
        testing::Put32(s, static_cast<uint32_t>(index));
        testing::Put32(s, static_cast<uint32_t>(title.size()));
        return s + title + "rest of the record";
    };
    WriteArchive("cd1/game.dat", {{"d1.txt", "disk one", 1}});
    FDir.Write("cd1/install.dat", install(0, "My Game"));
    WriteArchive("cd2/game.dat", {{"d2.txt", "disk two", 1}});
    FDir.Write("cd2/install.dat", install(1, "My Game"));
    FDir.Write("cd2/loose.txt", "on the cd");
    Host.CdRoots = [this] {
        return std::vector<std::string>{FDir.Player("cd1") + "\\", FDir.Player("cd2") + "\\"};
    };
    Host.ProjectTitle = [] { return std::string("My Game"); };
    std::vector<std::string> asked;
    int answers = 0;
    Host.OkCancelBox = [&](TVrBoxKind kind, const std::string&, const std::string& text) {
        asked.push_back(text);
        if (kind == vbQuitQuestion) return false; // never quit: ask for the disk again
        return ++answers >= 2;                    // refuse the first prompt
    };
    Host.DiskMessage = [] { return std::string("insert %d (100%%) %s"); };
    TVrFileManager fm(Host);
    EXPECT_TRUE(fm.Exists("loose.txt"));
    EXPECT_EQ(Load(fm, "loose.txt"), "on the cd");
    EXPECT_EQ(fm.GetFileName("loose.txt"), FDir.Player("cd2") + "\\loose.txt");

    fm.MountFile(FDir.Player("cd1/game.dat"));
    Terminating = false;
    EXPECT_TRUE(fm.RequestDisk(2));
    // The CD archive mounted before was unmounted; disk 2's archive is in.
    ASSERT_EQ(fm.ArchiveCount(), 1);
    EXPECT_EQ(Load(fm, "d2.txt"), "disk two");
    EXPECT_FALSE(fm.Exists("d1.txt"));
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0], "insert 2 (100%) %s");
    EXPECT_EQ(asked[1], SJ("終了します"));
    EXPECT_FALSE(Terminating);

    // Giving up, through the platform's boxes: the prompt refused, the quit question accepted.
    bool closed = false;
    std::vector<uint32_t> flags;
    SetMessageBoxHook([&](const std::string& text, const std::string&, uint32_t f) {
        flags.push_back(f);
        return text == SJ("終了します") ? IDOK : IDCANCEL;
    });
    TVrFileManagerHost h;
    h.CdRoots = [] { return std::vector<std::string>{}; };
    h.PostClose = [&] { closed = true; };
    TVrFileManager quiet(h);
    EXPECT_FALSE(quiet.RequestDisk(1));
    SetMessageBoxHook(nullptr);
    EXPECT_TRUE(Terminating);
    EXPECT_TRUE(closed);
    ASSERT_EQ(flags.size(), 2u);
    EXPECT_EQ(flags[0] & 0x0F, MB_OKCANCEL);
    Terminating = false;
    EXPECT_FALSE(fm.MountDiskArchive(5));
}

TEST_F(FileManager, StartUpMounting) {
    WriteArchive("a/game.dat", {{"one.txt", "1", 1}});
    WriteArchive("c/game.dat", {{"three.txt", "3", 1}});
    std::filesystem::create_directories(FDir.Real("b"));
    TVrFileManager fm(Host);
    MountFolders(fm, FDir.Player("a") + "\\", {FDir.Player("a"), FDir.Player("b"), FDir.Player("c") + "\\"});
    EXPECT_EQ(fm.BaseFolder(), FDir.Player("a") + "\\");
    EXPECT_EQ(fm.ArchiveCount(), 2);
    EXPECT_EQ(Load(fm, "three.txt"), "3");

    // The program's own archives: a linked-in archive ending in "vf" is mounted.
    auto a = BuildIndependent(102, {{"logo.txt", "made with vf", 1}});
    static std::string blob;
    blob = a.Directory + a.Data;
    RegisterResource("DUMMY", "BINTYPE", blob.data(), static_cast<int64_t>(blob.size()));
    TVrFileManager own(Host);
    MountOwnArchives(own);
    UnregisterResource("DUMMY", "BINTYPE");
    EXPECT_EQ(own.BaseFolder(), ExeFolder());
    ASSERT_EQ(own.ArchiveCount(), 1);
    EXPECT_TRUE(own.Archives(0)->IsResource());
    EXPECT_EQ(Load(own, "LOGO.TXT"), "made with vf");
}

TEST(FileManagerStatic, ExtractFolder) {
    struct Case {
        std::string name, folder;
    } cases[] = {
        {"img\\a.png", "img\\"},
        {"a.png", ""},
        {"a\\b\\c", "a\\b\\"},
        {"C:\\x\\y.png", "C:\\x\\"},
        {"C:y.png", "C:"},
        {"\\\\srv\\s\\f.txt", "\\\\srv\\s\\"},
        {"odd:name\\f", "odd:name\\"},
        {"\x95\x5C\\f", "\x95\x5C\\"},
        {"\x95\x5C", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(TVrFileManager::ExtractFolder(c.name), c.folder) << c.name;
}

} // namespace
} // namespace vobe
