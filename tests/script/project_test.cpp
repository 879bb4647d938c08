#include "script/project.h"

#include <map>

#include <gtest/gtest.h>

#include "bytes.h"
#include "platform/globals.h"
#include "script/install_set.h"
#include "values/param_collection.h"

namespace vobe {
namespace {

using test::TBytes;

// A project file of the given version, byte by byte from the layout.
TBytes ProjectBytes(int32_t version, const std::string& exitPage = "end.vsb") {
    TBytes p;
    p.i32(version).str(SJ("テスト")).i32(641).i32(479).i32(800).i32(600).str("start.vsb");
    if (version >= 110) p.str(exitPage);
    p.str("VobeTest").i32(1234);
    if (version >= 104) p.u8(0);
    if (version >= 106) p.u8(1);
    if (version >= 109) p.str(".ogg");
    p.str("disk %d").str("bye");
    p.i32(5);
    p.u8(1).str("score").i32(-7);
    p.u8(2).str("ratio").raw(std::string("\x00\x00\x00\x00\x00\x00\x00\x80\xff\x3f", 10)); // 1.0
    p.u8(3).str("seen").u8(1);
    p.u8(4).str("name").str("abc");
    p.u8(9).str("odd"); // no value
    p.i32(2).str("DATA\\BG").i32(2).str("MOVIE").i32(3);
    return p;
}

// The game's files and the player around a project under test.
struct TFakePlayer {
    std::map<std::string, std::vector<uint8_t>> files; // the file manager's view
    std::map<std::string, std::vector<uint8_t>> disk;  // real files (beside the player, CD roots)
    std::vector<std::string> boxes, mounted, cdRoots;
    std::vector<TDeclaredVar> declared;
    std::vector<int32_t> diskRequests;
    std::vector<TBoxAnswer> answers; // answered in order, then Cancel
    std::string title, started;
    int zoomX = -1, zoomY = -1, statusLoads = 0, statusSaves = 0;
    bool folderArgument = true, baseFolder = false;

    TProjectServices Services() {
        TProjectServices s;
        s.FileExists = [this](const std::string& n) { return files.count(n) > 0; };
        s.LoadFile = [this](const std::string& n, TMemoryStream& d) {
            auto it = files.find(n);
            if (it == files.end()) throw EVobeError("missing " + n);
            d.Clear();
            if (!it->second.empty())
                d.WriteBuffer(it->second.data(), static_cast<int64_t>(it->second.size()));
        };
        s.HasBaseFolder = [this] { return baseFolder; };
        s.SetBaseFolder = [this](const std::string&) { baseFolder = true; };
        s.MountArchive = [this](const std::string& p) {
            mounted.push_back(p);
            return true;
        };
        s.MountedCount = [this] { return static_cast<int32_t>(mounted.size()); };
        s.RequestDisk = [this](int32_t d) {
            diskRequests.push_back(d);
            return true;
        };
        s.RealFileExists = [this](const std::string& p) { return disk.count(p) > 0; };
        s.LoadRealFile = [this](const std::string& p, TMemoryStream& d) {
            auto& b = disk.at(p);
            d.Clear();
            d.WriteBuffer(b.data(), static_cast<int64_t>(b.size()));
        };
        s.ExeFolder = [] { return std::string("C:\\game"); };
        s.CDRoots = [this] { return cdRoots; };
        s.HasGameFolderArgument = folderArgument;
        s.MessageBox = [this](const std::string& text, const std::string&, TBoxKind) {
            boxes.push_back(text);
            if (answers.empty()) return baCancel;
            TBoxAnswer a = answers.front();
            answers.erase(answers.begin());
            return a;
        };
        s.SetTitle = [this](const std::string& t) { title = t; };
        s.SetZoomCenter = [this](int32_t x, int32_t y) {
            zoomX = x;
            zoomY = y;
        };
        s.DeclareVariable = [this](const TDeclaredVar& v) { declared.push_back(v); };
        s.StatusLoad = [this] { ++statusLoads; };
        s.StatusSave = [this] { ++statusSaves; };
        // The interpreter only records the pages it is started on.
        struct TRecorder : TCallMan {
            std::string* Started;
            explicit TRecorder(std::string* started) : Started(started) {}
            void StartPage(const std::string& name) override { *Started = name; }
            void RunFrame() override {}
        };
        s.CreateInterpreter = [this] { return std::make_unique<TRecorder>(&started); };
        return s;
    }
};

// install.dat of a given version, byte by byte.
std::vector<uint8_t> InstallBytes(int version, const std::string& title, bool installed) {
    TBytes b;
    if (version > 0) b.raw("is" + std::to_string(version));
    b.i32(0).str(title).str("a").str("b").str("c").u8(1).str("d").u8(0).i32(2).str("e").i32(5).u8(1).u8(0);
    b.str("f").str("g");
    const size_t valueSize = version >= 100 ? 8 : 4;
    b.fill(2 * 4 * valueSize, 0xEE).fill(4 * valueSize, 0xDD).u8(0);
    if (version >= 101) b.u8(0);
    if (version >= 102) b.i32(2).str("x").str("y");
    if (version >= 103) b.u8(installed ? 1 : 0);
    if (version >= 104) b.u8(0);
    if (version >= 105) b.u8(0);
    if (version >= 106) b.i32(1).str("z");
    if (version >= 107) b.str("w");
    return b.b;
}

TEST(ProjectFile, VersionRules) {
    struct Case {
        int32_t version;
        const char* exitPage;
        bool saveStatus, frameWait;
        const char* media;
    };
    const Case cases[] = {
        {110, "end.vsb", false, true, ".ogg"},      {109, "", false, true, ".ogg"},
        {106, "", false, true, ".wav.wma.ogg.mid"}, {105, "", false, false, ".wav.wma.ogg.mid"},
        {103, "", true, false, ".wav.wma.ogg.mid"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        TMemoryStream s = ProjectBytes(c.version).stream();
        TProjectFile f;
        f.LoadFromStream(s);
        EXPECT_EQ(s.Remaining(), 0);
        EXPECT_EQ(f.Title, SJ("テスト"));
        EXPECT_EQ(f.ExitPage, c.exitPage);
        EXPECT_EQ(f.SaveStatusEnabled, c.saveStatus);
        EXPECT_EQ(f.FrameWaitEnabled, c.frameWait);
        EXPECT_EQ(f.MediaExtensions, c.media);
        EXPECT_EQ(f.ImageKey, 1234);
        ASSERT_EQ(f.Variables.size(), 5u);
        EXPECT_EQ(f.Variables[0].IntValue, -7);
        EXPECT_EQ(f.Variables[1].FloatValue, 1.0L);
        EXPECT_TRUE(f.Variables[2].BoolValue);
        EXPECT_EQ(f.Variables[3].StrValue, "abc");
        ASSERT_EQ(f.Folders.size(), 2u);
        EXPECT_EQ(f.Folders[1].Folder, "MOVIE");
        EXPECT_EQ(f.Folders[1].Disk, 3);
    }
}

TEST(ProjectFile, WriterRoundTrip) {
    TMemoryStream in = ProjectBytes(110).stream();
    TProjectFile f;
    f.LoadFromStream(in);
    TMemoryStream out;
    f.SaveToStream(out);
    EXPECT_EQ(out.Bytes(), ProjectBytes(110).b);
}

TEST(ProjectFile, DamagedFilesRaiseClearErrors) {
    const TBytes good = ProjectBytes(110);
    for (size_t n = 4; n < good.b.size(); ++n) {
        TBytes cut;
        cut.b.assign(good.b.begin(), good.b.begin() + static_cast<long>(n));
        TMemoryStream s = cut.stream();
        TProjectFile f;
        try {
            f.LoadFromStream(s);
            ADD_FAILURE() << n;
        } catch (const EVobeError& e) {
            EXPECT_EQ(e.Message().rfind("vobe.vpb", 0), 0u);
        }
    }
    TBytes huge = TBytes().i32(103).str("t").i32(1).i32(1).i32(1).i32(1).str("s").str("k").i32(0);
    huge.str("d").str("q").i32(0x7FFFFFFF);
    TMemoryStream s = huge.stream();
    TProjectFile f;
    EXPECT_THROW(f.LoadFromStream(s), EVobeError);
}

TEST(Project, StartsOnTheStartPage) {
    TFakePlayer fp;
    fp.files["vobe.vpb"] = ProjectBytes(110).b;
    fp.files["start.vsb"] = {1};
    Terminating = true;
    {
        TProject project(fp.Services());
        EXPECT_TRUE(project.Started());
        EXPECT_FALSE(Terminating);
        EXPECT_EQ(fp.title, SJ("テスト"));
        EXPECT_EQ(project.Width, 641);
        EXPECT_EQ(fp.zoomX, 320);
        EXPECT_EQ(fp.zoomY, 239);
        EXPECT_EQ(fp.started, "start.vsb");
        EXPECT_EQ(project.ExitPage, "end.vsb");
        EXPECT_EQ(project.DiskMessage, "disk %d");
        EXPECT_EQ(fp.declared.size(), 5u);
        EXPECT_EQ(fp.statusLoads, 1);
        EXPECT_TRUE(fp.boxes.empty());
    }
    // The end sequence runs the exit page, leaves Terminating set and writes the status.
    EXPECT_TRUE(Terminating);
    EXPECT_EQ(fp.started, "end.vsb");
    EXPECT_EQ(fp.statusSaves, 1);
    Terminating = false;
}

TEST(Project, DoesNotStart) {
    struct Case {
        const char* what;
        std::vector<uint8_t> project;
        bool startPage;
        const char* box; // UTF-8, or null for none
    };
    std::vector<uint8_t> truncated = ProjectBytes(110).b;
    truncated.resize(30);
    const Case cases[] = {
        {"empty project", {}, true, "プロジェクトがありません"},
        {"newer project", TBytes().i32(111).b, true, nullptr},
        {"truncated project", truncated, true, nullptr},
        {"no start page", ProjectBytes(110).b, false, "スタートページがありません"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TFakePlayer fp;
        fp.files["vobe.vpb"] = c.project;
        if (c.startPage) fp.files["start.vsb"] = {1};
        Terminating = false;
        TProject project(fp.Services());
        EXPECT_FALSE(project.Started());
        EXPECT_TRUE(Terminating);
        if (c.box) {
            ASSERT_EQ(fp.boxes.size(), 1u);
            EXPECT_EQ(fp.boxes[0], SJ(c.box));
        } else {
            EXPECT_TRUE(fp.boxes.empty());
            EXPECT_FALSE(project.StartError().empty());
        }
    }
    Terminating = false;
}

TEST(Project, DiskOfAndFileAvailable) {
    TFakePlayer fp;
    fp.files["vobe.vpb"] = ProjectBytes(109).b; // media ".ogg"
    fp.files["start.vsb"] = {1};
    fp.files["data\\here.png"] = {1};
    TProject project(fp.Services());
    ASSERT_TRUE(project.Started());
    struct Case {
        const char* name;
        int32_t disk;
        bool available;
        int requests;
    };
    const Case cases[] = {
        {"data\\bg\\a.png", 2, true, 1},    {"DATA\\BG", 2, true, 1},
        {"data\\bgm.ogg", 0, false, 0},     {"data\\a.png", 0, false, 0},
        {"data\\bg\\x\\y.png", 2, true, 1}, {"data\\bg\\a.ogg", 2, false, 0},
        {"data\\bg\\a.OGG", 2, false, 0},   {"movie\\op.mpg", 3, true, 1},
        {"data\\here.png", 0, true, 0},     {"", 0, false, 0},
        {"data\\bg\\noext", 2, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fp.diskRequests.clear();
        EXPECT_EQ(project.DiskOf(c.name), c.disk);
        EXPECT_EQ(project.FileAvailable(c.name), c.available);
        EXPECT_EQ(static_cast<int>(fp.diskRequests.size()), c.requests);
    }
    Terminating = false;
}

// "表" ends in the byte 0x5C: its trail byte is no folder separator.
TEST(FolderDiskList, FolderEndingInATrailByte) {
    TFolderDiskList list;
    list.Add(SJ("data\\表\\"), 2);
    list.Add(SJ("voice\\表"), 3);
    EXPECT_EQ(list.DiskOf(SJ("data\\表\\a.png")), 2);
    EXPECT_EQ(list.DiskOf(SJ("data\\表")), 2);
    EXPECT_EQ(list.DiskOf(SJ("voice\\表\\a.wav")), 3);
    EXPECT_EQ(list.DiskOf(SJ("data\\a.png")), 0);
}

TEST(Project, OriginalProjectGivesTheFolderList) {
    TFakePlayer fp;
    fp.files["vobe.vpb"] = ProjectBytes(110).b;
    fp.files["start.vsb"] = {1};
    TBytes original = ProjectBytes(105);
    original.b.resize(original.b.size() - 4 - 4 - 7 - 4 - 4 - 5 - 4); // drop the two folder entries
    original.i32(1).str("SE").i32(4);
    fp.files["/original_vobe.vpb"] = original.b;
    {
        TProject project(fp.Services());
        EXPECT_EQ(project.DiskOf("se\\a.wav"), 4);
        EXPECT_EQ(project.DiskOf("data\\bg\\a.png"), 0);
    }
    fp.files["/original_vobe.vpb"] = TBytes().i32(111).b;
    {
        TProject project(fp.Services());
        EXPECT_EQ(project.Folders().Count(), 0);
    }
    Terminating = false;
}

TEST(InstallSet, Versions) {
    for (int version : {0, 100, 101, 102, 103, 106, 107}) {
        SCOPED_TRACE(version);
        TBytes b;
        b.b = InstallBytes(version, "Game", true);
        TMemoryStream s = b.stream();
        TVobeInstallSet set;
        set.LoadFromStream(s);
        EXPECT_EQ(s.Remaining(), 0);
        EXPECT_EQ(set.Version, version);
        EXPECT_EQ(set.Title, "Game");
        EXPECT_EQ(set.Installed, version >= 103);
    }
    std::vector<uint8_t> good = InstallBytes(107, "Game", true);
    for (size_t n = 0; n < good.size(); ++n) {
        TBytes cut;
        cut.b.assign(good.begin(), good.begin() + static_cast<long>(n));
        TMemoryStream s = cut.stream();
        TVobeInstallSet set;
        EXPECT_THROW(set.LoadFromStream(s), EVobeError) << n;
    }
}

TEST(Project, DiscoveryWithoutAFolderArgument) {
    auto base = [] {
        TFakePlayer fp;
        fp.folderArgument = false;
        fp.files["vobe.vpb"] = ProjectBytes(110).b;
        fp.files["start.vsb"] = {1};
        return fp;
    };
    {
        SCOPED_TRACE("no install.dat anywhere");
        TFakePlayer fp = base();
        TProject project(fp.Services());
        EXPECT_FALSE(project.Started());
        ASSERT_EQ(fp.boxes.size(), 1u);
        EXPECT_EQ(fp.boxes[0], SJ("インストールし直してください"));
    }
    {
        SCOPED_TRACE("installed, game.dat beside the player");
        TFakePlayer fp = base();
        fp.files["install.dat"] = InstallBytes(107, "Game", true);
        fp.disk["C:\\game\\install.dat"] = fp.files["install.dat"];
        fp.disk["C:\\game\\game.dat"] = {1};
        TProject project(fp.Services());
        EXPECT_TRUE(project.Started());
        EXPECT_TRUE(fp.baseFolder);
        EXPECT_EQ(fp.mounted, std::vector<std::string>{"C:\\game\\game.dat"});
    }
    {
        SCOPED_TRACE("not installed: the game CD is needed even with game.dat beside the player");
        TFakePlayer fp = base();
        fp.files["install.dat"] = InstallBytes(107, "Game", false);
        fp.disk["C:\\game\\game.dat"] = {1};
        fp.cdRoots = {"D:\\", "E:"};
        fp.disk["D:\\game.dat"] = {1};
        fp.disk["D:\\install.dat"] = InstallBytes(107, "Other", false);
        fp.disk["E:\\game.dat"] = {1};
        fp.disk["E:\\install.dat"] = InstallBytes(100, "Game", false);
        TProject project(fp.Services());
        EXPECT_TRUE(project.Started());
        EXPECT_EQ(fp.mounted, (std::vector<std::string>{"C:\\game\\game.dat", "E:\\game.dat"}));
        EXPECT_TRUE(fp.boxes.empty());
    }
    {
        SCOPED_TRACE("CD not found: retry, then cancel and confirm the quit");
        TFakePlayer fp = base();
        fp.files["install.dat"] = InstallBytes(107, "Game", false);
        fp.answers = {baOk, baCancel, baCancel, baCancel, baOk};
        TProject project(fp.Services());
        EXPECT_FALSE(project.Started());
        EXPECT_TRUE(Terminating);
        const std::string disk = SJ("ディスクを入れてください");
        EXPECT_EQ(fp.boxes, (std::vector<std::string>{disk, disk, SJ("終了します"), disk, SJ("終了します")}));
    }
    Terminating = false;
}

} // namespace
} // namespace vobe

namespace vobe {
namespace {

TEST(Project, DeclaredVariablesBecomeStatusVariables) {
    CreateParamCollection();
    auto* saved = ParamCollection->AddNamedParam(PT_INT, "score");
    saved->Status = true;
    saved->SetAsInt(99); // as the status save restored it
    TFakePlayer fp;
    fp.files["vobe.vpb"] = ProjectBytes(110).b;
    fp.files["start.vsb"] = {1};
    TProjectServices services = fp.Services();
    services.DeclareVariable = PlayerProjectServices().DeclareVariable;
    {
        TProject project(services);
        ASSERT_TRUE(project.Started());
    }
    auto* score = ParamCollection->FindItem("SCORE");
    ASSERT_NE(score, nullptr);
    EXPECT_EQ(score->GetAsInt(), 99);
    auto* ratio = ParamCollection->FindItem("ratio");
    ASSERT_NE(ratio, nullptr);
    EXPECT_TRUE(ratio->Status);
    EXPECT_EQ(ratio->GetAsFloat(), 1.0L);
    EXPECT_TRUE(ParamCollection->FindItem("seen")->GetAsBool());
    EXPECT_EQ(ParamCollection->FindItem("name")->GetAsStr(), "abc");
    EXPECT_EQ(ParamCollection->FindItem("odd"), nullptr);
    FreeParamCollection();
    Terminating = false;
}

} // namespace
} // namespace vobe
