#include "tools/game_compiler.h"

#include <filesystem>
#include <fstream>
#include <set>

#include <gtest/gtest.h>

#include "archive/vf_archive.h"
#include "graphics/png_writer.h"
#include "platform/cp932.h"
#include "platform/paths.h"
#include "script/command_factory.h"
#include "script/flow_commands.h"
#include "script/object_commands.h"
#include "script/page_dump.h"

namespace vobe {
namespace {

// Compiles one page (plus optional others) and returns the listing of the first.
std::string CompileAndDump(const std::string& source,
                           const std::vector<std::pair<std::string, std::string>>& others = {}) {
    TGameCompiler c;
    c.AddPage("main.vsb", "main.vss", source);
    for (auto& [name, text] : others) c.AddPage(name, name, text);
    c.Link();
    // Through the stored form, as the player reads it.
    TMemoryStream s;
    c.Pages()[0].Page->SaveToStream(s);
    s.SetPosition(0);
    TPage page;
    page.SetName("main.vsb");
    page.LoadFromStream(s);
    EXPECT_EQ(s.Remaining(), 0);
    std::string dump = DumpPage(page);
    // Drop the header: the tests look at commands.
    return dump.substr(dump.find("commands\t"));
}

std::string CompileError(const std::string& source) {
    try {
        TGameCompiler c;
        c.AddPage("main.vsb", "main.vss", source);
        c.Link();
    } catch (const EVobeError& e) {
        return SjisToUtf8(e.Message());
    }
    return "no error";
}

TEST(GameCompiler, BlocksGetIndentsAndTargets) {
    const std::string src = "label top\n"
                            "if x\n"
                            "    calc x = 2\n"
                            "    # a comment line\n"
                            "elseif y\n"
                            "    if z\n"
                            "        exit\n"
                            "else\n"
                            "    comment a remark\n"
                            "while w\n"
                            "    break if x\n"
                            "    while v\n"
                            "        continue\n"
                            "    continue if y\n"
                            "jump :top if x\n";
    const std::string expected =
        "commands\t16\n"
        "0\t0\t-c\t1\tTComLabel\tname=\"top\"\n"
        "1\t0\t-c\t2\tTComIf\tcond={ocTo ____arg var:x}\n"
        "2\t1\t-c\t3\tTComCalc\texpr={ocTo x int:2}\n"
        "3\t0\t-c\t5\tTComElseif\tcond={ocTo ____arg var:y}\n"
        "4\t1\t-c\t6\tTComIf\tcond={ocTo ____arg var:z}\n"
        "5\t2\t-c\t7\tTComExit\tcond={ocTo ____arg bool:TRUE}\n"
        "6\t0\t-c\t8\tTComElse\n"
        "7\t1\t-c\t9\tTComComment\ttext=\"a remark\"\n"
        "8\t0\t-c\t10\tTComWhile\tcond={ocTo ____arg var:w}\tend=15\n"
        "9\t1\t-c\t11\tTComBreak\tcond={ocTo ____arg var:x}\ttarget=15\n"
        "10\t1\t-c\t12\tTComWhile\tcond={ocTo ____arg var:v}\tend=13\n"
        "11\t2\t-c\t13\tTComContinue\tcond={ocTo ____arg bool:TRUE}\ttarget=12\n"
        "12\t1\t-c\t12\tTComWhileLoop\texpr={}\thead=10\n"
        "13\t1\t-c\t14\tTComContinue\tcond={ocTo ____arg var:y}\ttarget=14\n"
        "14\t0\t-c\t10\tTComWhileLoop\texpr={}\thead=8\n"
        "15\t0\t-c\t15\tTComJump\tpage=\"main.vsb\"\ttarget=0\tcond={ocTo ____arg var:x}\n";
    EXPECT_EQ(CompileAndDump(src), expected);
}

TEST(GameCompiler, ForLoopsCallsAndCrossPageTargets) {
    const std::string dump = CompileAndDump("for i = 0; i < 3; i = i + 1\n"
                                            "    call sub:entry (1, \"a\") -> r if go\n"
                                            "pcreset sub:entry all\n"
                                            "reset sub\n"
                                            "var local str s = \"x\"\n"
                                            "var status int n\n",
                                            {{"sub.vsb", "result int\ncalc a = 1\nlabel entry\n"}});
    EXPECT_NE(dump.find("0\t0\t-c\t1\tTComWhileInit\texpr={ocTo i int:0}\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("\tTComWhile\tcond={"), std::string::npos);
    EXPECT_NE(dump.find("\tend=4\n"), std::string::npos) << dump;
    EXPECT_NE(
        dump.find(
            "2\t1\t-c\t2\tTComCall\tpage=\"sub.vsb\"\ttarget=1\tresult=\"r\"\tcond={ocTo ____arg var:go}"
            "\targ={ocTo ____arg int:1}\targ={ocTo ____0 str:\"a\"; ocTo ____arg var:____0}\n"),
        std::string::npos)
        << dump;
    EXPECT_NE(dump.find("\thead=1\n"), std::string::npos);
    EXPECT_NE(dump.find("4\t0\t-c\t3\tTComPCReset\tpage=\"sub.vsb\"\ttarget=1\tall=1\n"), std::string::npos);
    EXPECT_NE(dump.find("5\t0\t-c\t4\tTComReset\tpage=\"sub.vsb\"\ttarget=0\tall=0\n"), std::string::npos);
    EXPECT_NE(dump.find("6\t0\t-c\t5\tTComVarNew\tname=\"s\"\ttype=4\tvalue={ocTo ____0 str:\"x\"; ocTo "
                        "____arg var:____0}\tscope=2\n"),
              std::string::npos);
    EXPECT_NE(dump.find("7\t0\t-c\t6\tTComVarNew\tname=\"n\"\ttype=1\tvalue={}\tscope=3\n"),
              std::string::npos);
}

TEST(GameCompiler, ComponentRowsAreSharedByEveryCommandOfAKind) {
    TGameCompiler c;
    c.AddPage("main.vsb", "main.vss",
              "box name=\"a\" left=10\n"
              "box PR_TOP=5 Width=6\n"
              "image source=\"bg.png\"\n");
    c.Link();
    TPage& page = *c.Pages()[0].Page;
    for (int id : {0, 3, 4, 5}) EXPECT_TRUE(page.MaskBit(ckBoxNew, id)) << id;
    EXPECT_TRUE(page.MaskBit(ckImgNew, 2));
    EXPECT_FALSE(page.MaskBit(ckImgNew, 0));
    auto* first = static_cast<TComComponent*>(page.Items(0));
    auto* second = static_cast<TComComponent*>(page.Items(1));
    for (int id : {0, 3, 4, 5}) {
        EXPECT_TRUE(first->HasProp(id));
        EXPECT_TRUE(second->HasProp(id));
    }
    EXPECT_EQ(first->Prop(4)->Count(), 0); // not named: no value, the creation default applies
    EXPECT_EQ(DumpExpr(*second->Prop(4)), "{ocTo ____arg int:5}");
}

// Every command kind, written by its source form, read back from the stored page.
TEST(GameCompiler, EveryCommandKindRoundTrips) {
    const std::string src =
        "if a\n"
        "    calc b = 1\n"
        "elseif c\n"
        "else\n"
        "label l\n"
        "jump :l\n"
        "call :l (1) -> r\n"
        "exit if a\n"
        "wait time=10 cond=a block=TRUE\n"
        "boxnew left=1\n"
        "imgnew source=\"a\"\n"
        "mesnew name=\"m\"\n"
        "timer delay=100 onnotify=\"t.vsb\"\n"
        "movie source=\"v.mpg\"\n"
        "flip kind=3 time=300 reverse=FALSE move=0 name=\"bg\" name=\"ui\" clearback=TRUE "
        "param1=1 param2=2 strparam=\"s\" block=FALSE\n"
        "calc x = 1\n"
        "var int v = 2\n"
        "vardel v\n"
        "getprop object=\"a\" prop=left var=x\n"
        "setprop object=\"a\" prop=PR_TOP value=2\n"
        "objdel \"a\"\n"
        "textins window=\"m\" tracked=TRUE wait=TRUE block=FALSE\n"
        "moviestop object=\"v\" time=500 wait=TRUE block=TRUE\n"
        "clrhist\n"
        "cinema source=\"c\"\n"
        "caption text=\"t\"\n"
        "menu name=\"menu\"\n"
        "menuclose \"menu\"\n"
        "comment note\n"
        "textclr \"m\"\n"
        "callhist window=\"m\" start=0 count=3 mode=TRUE\n"
        "btnnew source=\"b\"\n"
        "for i = 0; i < 2; i = i + 1\n"
        "    break if i\n"
        "    continue if i\n"
        "particlenew source=\"p\"\n"
        "firenew power=3\n"
        "gamesave slot=1 page=\"main.vsb\" index=4 caption=\"c\"\n"
        "gameload 1\n"
        "pcreset :l all\n"
        "reset :l\n"
        "sound source=\"s.ogg\"\n"
        "editnew text=\"e\"\n"
        "memonew text=\"m\"\n"
        "terminate\n"
        "doevent\n"
        "clrread\n"
        "mapimgnew mapsource=\"m\"\n"
        "wavenew amp=2\n"
        "tilenew scrollx=1\n"
        "slidernew min=0 max=10\n"
        "scrollbarnew largechange=5\n"
        "gaugenew value=3\n"
        "cgcaption maptext=\"x\"\n"
        "mediaplay \"s\"\n"
        "prevmenunew source=\"p\"\n"
        "propmotion name=\"pm\" target=\"a\" prop=left value=100 time=500 kind=1 paused=FALSE\n"
        "entryhist \"m\"\n"
        "cabinetsave name=\"cab\" mode=TRUE name=\"x\"\n"
        "cabinetload name=\"cab\" mode=FALSE\n";
    TGameCompiler c;
    c.AddPage("main.vsb", "main.vss", src);
    c.Link();
    TPage& built = *c.Pages()[0].Page;
    std::set<int32_t> kinds;
    for (int32_t i = 0; i < built.Count(); ++i) kinds.insert(built.Items(i)->GetKind());
    EXPECT_EQ(kinds.size(), size_t(CommandKindCount));

    TMemoryStream s;
    built.SaveToStream(s);
    s.SetPosition(0);
    TPage back;
    back.SetName(built.GetName());
    back.LoadFromStream(s);
    EXPECT_EQ(s.Remaining(), 0);
    const std::string dump = DumpPage(back);
    EXPECT_EQ(dump, DumpPage(built));
    // A few fields by name, as the listing shows them.
    for (const char* part : {
             "\tTComFlip\tkind={ocTo ____arg int:3}\ttime={ocTo ____arg int:300}\treverse={ocTo ____arg "
             "bool:FALSE}"
             "\tmove={ocTo ____arg int:0}\tname={ocTo ____0 str:\"bg\"; ocTo ____arg var:____0}\tname={ocTo "
             "____0 str:\"ui\"; ocTo ____arg var:____0}"
             "\tclearback={ocTo ____arg bool:TRUE}\tparam1={ocTo ____arg int:1}\tparam2={ocTo ____arg int:2}"
             "\tstrparam={ocTo ____0 str:\"s\"; ocTo ____arg var:____0}\tblock={ocTo ____arg bool:FALSE}\n",
             "\tTComGetProp\tobject={ocTo ____0 str:\"a\"; ocTo ____arg var:____0}\tprop={ocTo ____arg "
             "int:3}\tvar=\"x\"\n",
             "\tTComSetProp\tobject={ocTo ____0 str:\"a\"; ocTo ____arg var:____0}\tprop={ocTo ____arg "
             "int:4}\tvalue={ocTo ____arg int:2}\n",
             "\tTComGameSave\tslot={ocTo ____arg int:1}\tpage=\"main.vsb\"\tindex=4\tcaption={ocTo ____0 "
             "str:\"c\"; ocTo ____arg var:____0}\n",
             "\tTComTextIns\ttext=0:\twindow={ocTo ____0 str:\"m\"; ocTo ____arg var:____0}",
             "\tTComCabinetSave\tname={ocTo ____0 str:\"cab\"; ocTo ____arg var:____0}\tmode={ocTo ____arg "
             "bool:TRUE}"
             "\tname={ocTo ____0 str:\"x\"; ocTo ____arg var:____0}\n",
             "\tTComTimer\tdelay={ocTo ____arg int:100}\tonnotify={ocTo ____0 str:\"t.vsb\"; ocTo ____arg "
             "var:____0}\n",
             "\tTComPropMotion\tname={ocTo ____0 str:\"pm\"; ocTo ____arg var:____0}\ttarget={ocTo ____0 "
             "str:\"a\"; ocTo ____arg var:____0}"
             "\tprop={ocTo ____arg int:3}\tvalue={ocTo ____arg int:100}\ttime={ocTo ____arg int:500}"
             "\tkind={ocTo ____arg int:1}\tpaused={ocTo ____arg bool:FALSE}\n",
         })
        EXPECT_NE(dump.find(part), std::string::npos) << part << "\n" << dump;
}

TEST(GameCompiler, ErrorsNameFileAndLine) {
    struct Case {
        const char* source;
        const char* error; // the start of the message
    };
    const Case cases[] = {
        {"calc a = 1\n  calc b = 2\n", "main.vss:2: unexpected indentation"},
        {"if a\n    calc b\n  calc c\n", "main.vss:3: indentation does not match"},
        {"else\n", "main.vss:1: \"else\" without \"if\""},
        {"if a\nelse b\n", "main.vss:2: \"else\" takes nothing"},
        {"\n\nbreak\n", "main.vss:3: \"break\" outside a loop"},
        {"frobnicate x\n", "main.vss:1: unknown command \"frobnicate\""},
        {"box left=1 colour=3\n", "main.vss:1: \"colour\" is not a field of TComBoxNew"},
        {"box 12\n", "main.vss:1: expected name=value pairs"},
        {"jump :nowhere\n", "main.vss:1: ラベルがありません: main.vsb:nowhere"},
        {"jump other:x\n", "main.vss:1: ページがありません: other.vsb"},
        {"var text s\n", "main.vss:1: expected a type"},
        {"if\n", "main.vss:1: missing condition"},
        {"gamesave index=x\n", "main.vss:1: index takes an integer"},
        {"\tcalc a = 1\n", "main.vss:1: tabs are not allowed"},
        {"for a; b\n", "main.vss:1: \"for\" takes INIT; CONDITION; STEP"},
        {"calc a = = b\n", "main.vss:1: 構文エラー in \"a = = b\""},
        {"\ncalc n = Length(s, 1)\n", "main.vss:2: Length 引数の数が不正です"},
        {"box left=(1\n", "main.vss:1: 構文エラー"},
    };
    for (const Case& c : cases) {
        std::string msg = CompileError(c.source);
        EXPECT_EQ(msg.rfind(c.error, 0), 0u) << c.source << " gave: " << msg;
    }
    // A jump to a page that is not part of the game is allowed: it does nothing at run time.
    EXPECT_EQ(CompileError("jump elsewhere\n"), "no error");
}

TEST(GameCompiler, ProjectSettings) {
    TGameCompiler c;
    c.SetProject("project.ini", "# settings\n"
                                "title = デモ\n"
                                "width = 800\n"
                                "height = 600\n"
                                "start = first\n"
                                "exit = last.vsb\n"
                                "frame_wait = false\n"
                                "media_extensions = .ogg\n"
                                "[variables]\n"
                                "int score = -3\n"
                                "float ratio = 0.5\n"
                                "bool seen = TRUE\n"
                                "str name = \"名前\"\n"
                                "[disks]\n"
                                "data/bg = 2\n");
    c.AddPage("first.vsb", "first.vss", "calc a = 1\n");
    c.AddPage("last.vsb", "last.vss", "calc a = 1\n");
    c.Link();
    TProjectFile& p = c.Project();
    EXPECT_EQ(p.Title, SJ("デモ"));
    EXPECT_EQ(p.Width, 800);
    EXPECT_EQ(p.FullHeight, 600);
    EXPECT_EQ(p.StartPage, "first.vsb");
    EXPECT_EQ(p.ExitPage, "last.vsb");
    EXPECT_FALSE(p.FrameWaitEnabled);
    EXPECT_EQ(p.MediaExtensions, ".ogg");
    ASSERT_EQ(p.Variables.size(), 4u);
    EXPECT_EQ(p.Variables[0].IntValue, -3);
    EXPECT_EQ(p.Variables[1].FloatValue, 0.5L);
    EXPECT_TRUE(p.Variables[2].BoolValue);
    EXPECT_EQ(p.Variables[3].StrValue, SJ("名前"));
    ASSERT_EQ(p.Folders.size(), 1u);
    EXPECT_EQ(p.Folders[0].Folder, "data\\bg");

    TGameCompiler missing;
    missing.SetProject("project.ini", "start = nothere\n");
    try {
        missing.Link();
        ADD_FAILURE();
    } catch (const EVobeError& e) {
        EXPECT_EQ(SjisToUtf8(e.Message()), "project.ini: スタートページがありません: nothere.vsb");
    }
    TGameCompiler bad;
    try {
        bad.SetProject("project.ini", "title = x\nwidht = 3\n");
        ADD_FAILURE();
    } catch (const EVobeError& e) {
        EXPECT_EQ(SjisToUtf8(e.Message()), "project.ini:2: unknown setting \"widht\"");
    }
}

TEST(GameCompiler, BuildWritesAFolderThePlayerReads) {
    const std::string root = std::string(VOBE_BINARY_DIR) + "/game_compiler_test";
    const std::string src = root + "/src", out = root + "/out";
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(src + "/pages");
    std::filesystem::create_directories(src + "/.git");
    auto put = [](const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    };
    put(src + "/project.ini", "title = 題名\nstart = pages/first\n");
    put(src + "/pages/first.vss", "jump pages/second:here\n");
    put(src + "/pages/second.vss", "label here\n");
    const uint32_t bgPixels[2] = {0x123456, 0xABCDEF};
    const std::vector<uint8_t> bgPng = EncodePng24(bgPixels, 8, 32, 2, 1);
    put(src + "/bg.png", std::string(bgPng.begin(), bgPng.end()));
    put(src + "/.git/config", "hidden");
    TGameCompiler::Build(src, out);
    for (const char* f : {"/vobe.vpb", "/pages/first.vsb", "/pages/second.vsb", "/bg.vsk", "/game.dat"})
        EXPECT_TRUE(std::filesystem::exists(out + f)) << f;
    EXPECT_FALSE(std::filesystem::exists(out + "/.git"));

    TVrFileCollection archive;
    archive.LoadFromFile(PlayerPath(out + "/game.dat"));
    std::vector<std::string> names;
    for (int32_t i = 0; i < archive.EntryCount(); ++i) names.push_back(archive.Entry(i)->GetName());
    EXPECT_EQ(names,
              (std::vector<std::string>{"vobe.vpb", "pages\\first.vsb", "pages\\second.vsb", "bg.vsk"}));
    TMemoryStream vpb;
    archive.ReadEntry(vpb, "vobe.vpb");
    vpb.SetPosition(0);
    TProjectFile project;
    project.LoadFromStream(vpb);
    EXPECT_EQ(project.Title, SJ("題名"));
    EXPECT_EQ(project.StartPage, "pages\\first.vsb");
    TMemoryStream first;
    archive.ReadEntry(first, "pages\\first.vsb");
    first.SetPosition(0);
    TPage page;
    page.LoadFromStream(first);
    ASSERT_EQ(page.Count(), 1);
    auto* jump = dynamic_cast<TComJump*>(page.Items(0));
    ASSERT_NE(jump, nullptr);
    EXPECT_EQ(jump->FPageName, "pages\\second.vsb");
    EXPECT_EQ(jump->FTarget, 0);

    put(src + "/pages/second.vss", "label here\n    calc x = 1\n");
    try {
        TGameCompiler::Build(src, out);
        ADD_FAILURE();
    } catch (const EVobeError& e) {
        EXPECT_EQ(SjisToUtf8(e.Message()), "pages/second.vss:2: unexpected indentation");
    }
    std::filesystem::remove_all(root);
}

} // namespace
} // namespace vobe
