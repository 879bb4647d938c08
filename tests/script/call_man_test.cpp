// The interpreter: blocks, loops, jumps and calls, waits, the event levels, pc resets, the page cache,
// errors, the trace and the saved record. Pages are written in the game source format and compiled
// by the game compiler; the interpreter reads them through the page loader like the player does.
#include "script/call_man.h"

#include <map>

#include <gtest/gtest.h>

#include "../platform/temp_dir.h"
#include "bytes.h"
#include "framework/vobe_base_list.h"
#include "framework/vobe_timer.h"
#include "platform/cp932.h"
#include "platform/globals.h"
#include "platform/trace.h"
#include "script/flow_commands.h"
#include "script/object_commands.h"
#include "script/page.h"
#include "tools/game_compiler.h"
#include "values/param_collection.h"

namespace vobe {
namespace {

using test::TBytes;

// The scene the tests give the interpreter: a scene of their own instead of the process-wide one.
class TTestScene : public ICallScene {
public:
    explicit TTestScene(TVobeBaseList& scene) : FScene(scene) {}
    TTimerList* Events() override { return &FScene.Events; }
    TVobeObject* FindComponent(const std::string& name) override {
        return name.empty() ? nullptr : FScene.FindComponent(name);
    }
    bool Contains(const TVobeObject* o) override { return o && FScene.IndexOfObject(o) >= 0; }
    void Reset() override {
        ++Resets;
        FScene.Reset();
    }
    int Resets = 0;

private:
    TVobeBaseList& FScene;
};

class Interp : public ::testing::Test {
protected:
    Interp() {
        CreateParamCollection();
        PageServices().LoadFile = [this](const std::string& name, TMemoryStream& dest) {
            ++Loads;
            auto it = Files.find(name);
            if (it == Files.end()) throw EVobeError("missing " + name);
            dest.Clear();
            if (!it->second.empty())
                dest.WriteBuffer(it->second.data(), static_cast<int64_t>(it->second.size()));
        };
        Services.FileAvailable = [this](const std::string& name) { return Files.count(name) > 0; };
        Services.PostClose = [this] { ++Closes; };
        Scene.SetWidth(320);
        Scene.SetHeight(240);
        GameClock = 0;
        FrameDelta = 16;
        Terminating = false;
        Store().AddNamedParam(PT_STR, "log");
    }
    ~Interp() override {
        Man.reset();
        PageServices() = TPageServices();
        FreeParamCollection();
        Terminating = false;
    }

    static TParamCollection& Store() { return *ParamCollection; }

    // Compiles page sources (name, text) into the game's files.
    void Pages(const std::vector<std::pair<std::string, std::string>>& pages) {
        TGameCompiler c;
        for (auto& [name, text] : pages) c.AddPage(name, name + ".vss", text);
        c.Link();
        for (auto& p : c.Pages()) {
            TMemoryStream s;
            p.Page->SaveToStream(s);
            Files[p.Name] = s.Bytes();
        }
    }
    TCallMan& Start(const std::string& page = "main.vsb") {
        Man = std::make_unique<TCallMan>(Services, &Access);
        Man->StartPage(page);
        return *Man;
    }
    // Runs n frames of 16 ms, the clock advanced before each as the window does.
    void Frames(int n) {
        for (int i = 0; i < n; ++i) {
            GameClock += 16;
            FrameDelta = 16;
            Man->RunFrame();
        }
    }
    std::string Log() const { return Var("log"); }
    std::string Var(const std::string& name) const {
        TParamCollectionItem* item = Store().FindItem(name);
        return item ? item->GetAsStr() : std::string("<none>");
    }
    TVobeObject* NewSender(const std::string& name) {
        TVobeTimer* t = NewVobeObject<TVobeTimer>(&Scene);
        t->SetName(name);
        return t;
    }
    void Post(TVobeObject* sender, const std::string& handler, const std::vector<std::string>& args = {}) {
        Scene.Events.Post(sender, handler, args, PR_ONNOTIFY);
    }

    std::map<std::string, std::vector<uint8_t>> Files;
    int Loads = 0, Closes = 0;
    TCallManServices Services;
    TVobeBaseList Scene;
    TTestScene Access{Scene};
    std::unique_ptr<TCallMan> Man;
};

// ---- blocks and loops ------------------------------------------------------------------------------

TEST_F(Interp, IfElseifElseRunsOneBranch) {
    Pages({{"main", "if x == 1\n"
                    "    calc log = log ++ \"a\"\n"
                    "    if x == 1\n"
                    "        calc log = log ++ \"A\"\n"
                    "    else\n"
                    "        calc log = log ++ \"!\"\n"
                    "elseif x == 2\n"
                    "    calc log = log ++ \"b\"\n"
                    "elseif x >= 2\n"
                    "    calc log = log ++ \"c\"\n"
                    "else\n"
                    "    if x == -9\n"
                    "        calc log = log ++ \"9\"\n"
                    "    calc log = log ++ \"d\"\n"
                    "calc log = log ++ \"e\"\n"}});
    const std::pair<int32_t, const char*> cases[] = {
        {1, "aAe"}, {2, "be"}, {3, "ce"}, {0, "de"}, {-9, "9de"}};
    for (auto& [x, expected] : cases) {
        SCOPED_TRACE(x);
        Store().FindItem("log")->SetAsStr("");
        if (!Store().FindItem("x")) Store().AddNamedParam(PT_INT, "x");
        Store().FindItem("x")->SetAsInt(x);
        Start();
        Frames(1);
        EXPECT_EQ(Log(), expected);
        EXPECT_EQ(Man->GetPage(), nullptr);
    }
}

TEST_F(Interp, FalseIfAtTheEndOfACalledPageReturns) {
    Pages({{"main", "call sub\n"
                    "calc log = log ++ \"r\"\n"},
           {"sub", "calc log = log ++ \"s\"\n"
                   "if FALSE\n"}});
    Start();
    Frames(1);
    EXPECT_EQ(Log(), "sr");
}

TEST_F(Interp, LoopsWithBreakAndContinue) {
    Pages({{"main", "var int i = 0\n"
                    "for i = 0; i < 6; i = i + 1\n"
                    "    continue if i == 1\n"
                    "    break if i == 4\n"
                    "    calc log = log ++ i\n"
                    "while i > 0\n"
                    "    calc i = i - 1\n"
                    "    continue if i == 2\n"
                    "    calc log = log ++ \"w\" ++ i\n"
                    "calc log = log ++ \".\"\n"}});
    Start();
    Frames(1);
    EXPECT_EQ(Log(), "023w3w1w0.");
}

// ---- jumps and calls -------------------------------------------------------------------------------

TEST_F(Interp, JumpsToLabelsAndSkipsUnavailablePages) {
    Pages({{"main", "jump other:there\n"
                    "calc log = log ++ \"not reached\"\n"},
           {"other", "calc log = log ++ \"no\"\n"
                     "label there\n"
                     "calc log = log ++ \"o\"\n"
                     "jump nowhere\n"
                     "jump other:end if FALSE\n"
                     "calc log = log ++ \"k\"\n"
                     "label end\n"}});
    Start();
    Frames(1);
    EXPECT_EQ(Log(), "ok");
}

TEST_F(Interp, CallPassesArgumentsAndReturnsATypedResult) {
    Pages({{"main", "var int r = 0\n"
                    "var auto int mine = 5\n"
                    "call sub (40 + 2, \"two\", missing, 3) -> r\n"
                    "calc log = log ++ r ++ \"/\" ++ @StackCount ++ \"/\" ++ mine\n"},
           {"sub",
            "result int\n"
            "var auto int scratch = 1\n"
            "var local int mine = 9\n"
            "calc log = @ParamCount ++ @ParamStr[0] ++ @ParamStr[1] ++ @ParamStr[2] ++ @StackCount ++ mine\n"
            "calc @Result = 0 + @ParamStr[0]\n"
            "calc @Result = @Result * 2\n"}});
    Start();
    Frames(1);
    // The callee's line, then the caller's: "missing" yields no value and is left out.
    EXPECT_EQ(Log(), std::string("342two319") + "84/0/5");
    EXPECT_EQ(Var("scratch"), "<none>"); // freed with the call's depth
    EXPECT_EQ(Store().CurrentDepth, 0);
}

TEST_F(Interp, ExitEndsTheCalledPage) {
    Pages({{"main", "call sub\n"
                    "calc log = log ++ \"m\"\n"
                    "exit if TRUE\n"
                    "calc log = log ++ \"x\"\n"},
           {"sub", "calc log = log ++ \"s\"\n"
                   "exit if FALSE\n"
                   "exit\n"
                   "calc log = log ++ \"x\"\n"}});
    Start();
    Frames(1);
    EXPECT_EQ(Log(), "sm");
}

// ---- waits -----------------------------------------------------------------------------------------

TEST_F(Interp, TimedWaitDoesNotCountItsFirstFrame) {
    Pages({{"main", "calc log = log ++ \"a\"\n"
                    "wait 100\n"
                    "calc log = log ++ \"b\"\n"
                    "wait time=1000 cond=FALSE\n"
                    "calc log = log ++ \"c\"\n"}});
    Start();
    // 100 ms: the starting frame, then six frames (96 ms) are not enough; the seventh ends it.
    Frames(7);
    EXPECT_EQ(Log(), "a");
    Frames(1);
    EXPECT_EQ(Log(), "abc"); // a false condition ends a wait at once
}

TEST_F(Interp, WaitHoldsWhileItsConditionDoes) {
    Pages({{"main", "var bool hold = TRUE\n"
                    "wait cond=hold\n"
                    "calc log = log ++ \"a\"\n"
                    "wait\n"
                    "calc log = log ++ \"never\"\n"}});
    Start();
    Frames(50);
    EXPECT_EQ(Log(), "");
    Store().FindItem("hold")->SetAsBool(false);
    Frames(1);
    EXPECT_EQ(Log(), "a");
    Frames(100); // a wait without time or condition holds for ever
    EXPECT_EQ(Log(), "a");
}

TEST_F(Interp, DoEventAndTheContinueFlagEndTheFrame) {
    Pages({{"main", "calc log = log ++ \"a\"\n"
                    "doevent\n"
                    "calc log = log ++ \"b\"\n"
                    "calc log = log ++ \"c\"\n"}});
    // The compiler sets every continue flag: clear the one of the last but one command.
    TMemoryStream s;
    s.WriteBuffer(Files["main.vsb"].data(), static_cast<int64_t>(Files["main.vsb"].size()));
    s.SetPosition(0);
    TPage page;
    page.LoadFromStream(s);
    page.Items(2)->FContinue = 0;
    TMemoryStream out;
    page.SaveToStream(out);
    Files["main.vsb"] = out.Bytes();
    Start();
    Frames(1);
    EXPECT_EQ(Log(), "a");
    Frames(1);
    EXPECT_EQ(Log(), "ab");
    Frames(1);
    EXPECT_EQ(Log(), "abc");
}

// ---- events ----------------------------------------------------------------------------------------

TEST_F(Interp, HandlersRunWhileTheMainFlowWaits) {
    Pages({{"main", "calc log = log ++ \"m\"\n"
                    "wait 64\n"
                    "calc log = log ++ \"M\"\n"
                    "wait\n"},
           {"h", "calc log = log ++ \"[\" ++ @Sender ++ @ParamStr[0] ++ \"]\"\n"
                 "label second\n"
                 "calc log = log ++ \"2\"\n"}});
    TVobeObject* btn = NewSender("btn");
    Start();
    Frames(1); // the wait starts
    Post(btn, "h.vsb", {"x"});
    Post(nullptr, "h.vsb:second");
    Frames(1); // both handlers run in this frame; the wait keeps its time
    EXPECT_EQ(Log(), "m[btnx]22");
    EXPECT_EQ(Scene.Events.Count(), 0);
    EXPECT_EQ(Var("@Sender"), ""); // only while a handler runs
    Frames(2);
    EXPECT_EQ(Log(), "m[btnx]22");
    Frames(1);
    EXPECT_EQ(Log(), "m[btnx]22M");
}

TEST_F(Interp, BlockingWaitKeepsEventsPending) {
    Pages({{"main", "wait time=48 block=TRUE\n"
                    "calc log = log ++ \"m\"\n"
                    "wait\n"},
           {"h", "calc log = log ++ \"h\"\n"}});
    Start();
    Frames(1);
    Post(nullptr, "h.vsb");
    Frames(2);
    EXPECT_EQ(Log(), "");
    EXPECT_EQ(Scene.Events.Count(), 1);
    // The wait ends; the pending event starts before the next main-flow command.
    Frames(1);
    EXPECT_EQ(Log(), "hm");
}

TEST_F(Interp, EventsWithoutPageStayQueued) {
    Pages({{"main", "wait\n"}});
    Start();
    Post(nullptr, "gone.vsb");
    Frames(3);
    EXPECT_EQ(Scene.Events.Count(), 1);
    EXPECT_EQ(Scene.Events.Items(0)->State, 0);
}

TEST_F(Interp, ANewerEventFinishesBeforeTheWaitingHandlerGoesOn) {
    Pages({{"main", "wait\n"},
           {"h1", "calc log = log ++ \"1\"\n"
                  "wait 32\n"
                  "calc log = log ++ \"2\"\n"},
           {"h2", "calc log = log ++ \"x\"\n"
                  "wait 32\n"
                  "calc log = log ++ \"y\"\n"}});
    TVobeObject* a = NewSender("a");
    TVobeObject* b = NewSender("b");
    Start();
    Frames(1);
    Post(a, "h1.vsb");
    Frames(1);
    EXPECT_EQ(Log(), "1");
    EXPECT_EQ(Man->GetState(), 2);
    Post(b, "h2.vsb");
    Frames(1); // h2 starts at level 3 and waits
    EXPECT_EQ(Log(), "1x");
    EXPECT_EQ(Man->GetEventLevel(), 3);
    EXPECT_EQ(Scene.Events.Items(1)->State, 2);
    Frames(2); // h2's wait ends; h1 waits on
    EXPECT_EQ(Log(), "1x");
    Frames(1);
    EXPECT_EQ(Log(), "1xy");
    EXPECT_EQ(Man->GetEventLevel(), 2);
    Frames(2);
    EXPECT_EQ(Log(), "1xy2");
    EXPECT_EQ(Man->GetState(), 0);
    EXPECT_EQ(Scene.Events.Count(), 0);
    EXPECT_EQ(Man->StackCount(), 0);
}

TEST_F(Interp, HandlersRunAfterTheScriptEnded) {
    Pages({{"main", "calc log = log ++ \"m\"\n"}, {"h", "calc log = log ++ \"h\"\n"}});
    Start();
    Frames(1);
    EXPECT_EQ(Man->GetPage(), nullptr);
    Post(nullptr, "h.vsb");
    Frames(1);
    EXPECT_EQ(Log(), "mh");
    EXPECT_EQ(Man->GetPage(), nullptr);
    Frames(1);
    EXPECT_EQ(Log(), "mh");
}

TEST_F(Interp, HandlerNamesSplitIntoPageAndLabel) {
    const struct {
        std::string handler, page, label;
    } cases[] = {
        {"menu.vsb:clicked", "menu.vsb", "clicked"},
        {"menu.vsb", "menu.vsb", ""},
        {"sub\\a.vsb:x", "sub\\a.vsb", "x"},
        {"a:b.vsb", "a:b.vsb", ""}, // the dot ends the scan before the colon
        {"menu.txt", "menu.vsb", ""},
        {":abc", ":vsb", ""},                     // the first byte never splits
        {"a.vsb:" + SJ("表"), "a.vsb", SJ("表")}, // 0x95 0x5C: its trail byte is no '\'
        {"ab", "vsb", ""},
    };
    for (auto& c : cases) {
        std::string page, label;
        SplitHandlerName(c.handler, page, label);
        EXPECT_EQ(page, c.page) << c.handler;
        EXPECT_EQ(label, c.label) << c.handler;
    }
}

// ---- resets ----------------------------------------------------------------------------------------

TEST_F(Interp, PCResetInAHandlerRestartsTheMainFlowAfterIt) {
    Pages({{"main", "calc log = log ++ \"m\"\n"
                    "wait\n"
                    "label restart\n"
                    "calc log = log ++ \"r\"\n"
                    "wait\n"},
           {"h", "pcreset main:restart\n"
                 "calc log = log ++ \"h\"\n"},
           {"hall", "pcreset main:restart all\n"
                    "calc log = log ++ \"never\"\n"}});
    Start();
    Frames(1);
    Post(NewSender("s"), "h.vsb");
    Frames(1);
    EXPECT_EQ(Log(), "mhr");
    EXPECT_EQ(Man->StackCount(), 0);
    Post(NewSender("t"), "hall.vsb");
    Post(nullptr, "h.vsb");
    Frames(1);
    EXPECT_EQ(Log(), "mhrr"); // the whole program restarted; the queue was cleared
    EXPECT_EQ(Scene.Events.Count(), 0);
}

TEST_F(Interp, PCResetInTheMainFlowJumpsAndFreesTheDepth) {
    Pages({{"main", "call sub\n"
                    "label back\n"
                    "calc log = log ++ \"b\" ++ @StackCount\n"},
           {"sub", "var auto int v = 1\n"
                   "pcreset main:back\n"}});
    Start();
    Frames(1);
    // The stack is kept: the reset page ends and returns into the caller after the call.
    EXPECT_EQ(Log(), "b1b0");
    EXPECT_EQ(Var("v"), "<none>");
}

TEST_F(Interp, ResetClearsTheGameAndStartsOver) {
    Pages({{"main", "var int g = 1\n"
                    "var status int st = 7\n"
                    "calc st = 8\n"
                    "call sub\n"},
           {"sub", "reset other\n"},
           {"other", "calc log2 = \"\"\n"}});
    int tables = 0, history = 0;
    Services.ClearTables = [&] { ++tables; };
    Services.ClearHistory = [&] { ++history; };
    Start();
    Frames(1);
    EXPECT_EQ(Access.Resets, 1);
    EXPECT_EQ(tables, 1);
    EXPECT_EQ(history, 1);
    EXPECT_EQ(Var("g"), "<none>");
    EXPECT_EQ(Var("st"), "8");
    EXPECT_EQ(Man->StackCount(), 0);
    EXPECT_EQ(Man->GetPage(), nullptr);
}

TEST_F(Interp, TerminateStopsTheFrameAndAsksToClose) {
    Pages({{"main", "calc log = log ++ \"a\"\n"
                    "terminate\n"
                    "calc log = log ++ \"b\"\n"}});
    Start();
    Frames(1);
    EXPECT_TRUE(Terminating);
    EXPECT_EQ(Closes, 1);
    EXPECT_EQ(Log(), "a");
}

TEST_F(Interp, DeleteStackDropsAFrameAndMovesDeeperVariablesDown) {
    Pages({{"main", "var auto int z = 0\n"
                    "call sub1\n"
                    "calc log = log ++ \"main\"\n"},
           {"sub1", "var auto int y = 1\n"
                    "call sub2\n"
                    "calc log = log ++ \"sub1\" ++ @StackCount\n"},
           {"sub2", "var auto int x = 2\n"
                    "var bool hold = TRUE\n"
                    "wait cond=hold\n"
                    "calc log = log ++ \"sub2\" ++ @StackCount\n"}});
    Start();
    Frames(1);
    ASSERT_EQ(Man->StackCount(), 2);
    EXPECT_FALSE(Man->DeleteStack(2));
    EXPECT_FALSE(Man->DeleteStack(-1));
    EXPECT_TRUE(Man->DeleteStack(0)); // the main flow's frame
    EXPECT_EQ(Store().CurrentDepth, 1);
    EXPECT_EQ(Var("z"), "<none>");
    EXPECT_EQ(Store().FindItem("y")->Depth, 0);
    EXPECT_EQ(Store().FindItem("x")->Depth, 1);
    Store().FindItem("hold")->SetAsBool(false);
    Frames(1);
    // sub2 returns into sub1, whose caller is gone: the program ends there.
    EXPECT_EQ(Log(), "sub21sub10");
    EXPECT_EQ(Man->GetPage(), nullptr);
    EXPECT_EQ(Var("x"), "<none>");
    EXPECT_EQ(Var("y"), "1"); // depth 0 now, which no return frees
}

// ---- variables -------------------------------------------------------------------------------------

TEST_F(Interp, VariableCommandsKeepStatusValuesAndScopes) {
    Pages({{"main", "var status int st = 1\n"
                    "var float f = 2\n"
                    "var str s = 1 + 2\n"
                    "var int f = 9\n"
                    "var bool gone = TRUE\n"
                    "vardel gone\n"
                    "call sub\n"},
           {"sub", "var local int f = 5\n"
                   "calc log = f\n"
                   "var local int f = 6\n"
                   "calc log = log ++ f\n"}});
    TParamCollectionItem* st = Store().AddNamedParam(PT_INT, "st");
    st->Status = true;
    st->SetAsInt(40);
    Start();
    Frames(1);
    EXPECT_EQ(Var("st"), "40");
    EXPECT_EQ(Var("f"), "9"); // an existing variable keeps its type
    EXPECT_EQ(Var("s"), "3");
    EXPECT_EQ(Var("gone"), "<none>");
    EXPECT_EQ(Log(), "56");
}

// ---- the page cache --------------------------------------------------------------------------------

TEST_F(Interp, PageCacheHoldsTenPagesAndNeverTheCurrentOne) {
    std::vector<std::pair<std::string, std::string>> pages = {{"main", "wait\n"}};
    for (int i = 0; i < 12; ++i) pages.push_back({"p" + std::to_string(i), "wait\n"});
    Pages(pages);
    TCallMan& man = Start();
    for (int i = 0; i < 12; ++i) man.FindOrLoad("p" + std::to_string(i) + ".vsb");
    // The current page sits at the back and stays; the pages before it go.
    ASSERT_EQ(man.PageCount(), 10);
    EXPECT_EQ(man.Pages(9)->GetName(), "main.vsb");
    EXPECT_EQ(man.Pages(8)->GetName(), "p3.vsb");
    EXPECT_EQ(man.Pages(0)->GetName(), "p11.vsb");
    const int loads = Loads;
    man.FindOrLoad("p5.vsb"); // cached: moved to the front, not read again
    EXPECT_EQ(Loads, loads);
    EXPECT_EQ(man.Pages(0)->GetName(), "p5.vsb");
    man.LoadPage("main.vsb");
    man.FindOrLoad("p0.vsb"); // read again, and now the back page goes
    EXPECT_EQ(Loads, loads + 1);
    EXPECT_EQ(man.PageCount(), 10);
}

// ---- errors ----------------------------------------------------------------------------------------

// A command that fails every time without moving on.
class TFailing : public TCommand {
public:
    using TCommand::TCommand;
    void Execute(TCallMan&, TPage*&, int32_t&) override {
        ++Count;
        throw EVobeError("failed");
    }
    static inline int Count = 0;
};

TEST_F(Interp, ErrorsAreSwallowedAndNeverSpin) {
    Pages({{"main", "call broken\n"
                    "calc log = log ++ \"a\"\n"
                    "var int x = 1\n"
                    "calc log = log ++ \"b\"\n"}});
    Files["broken.vsb"] = {1, 2, 3};
    // An empty variable name fails after the counter moved on.
    TMemoryStream s;
    s.WriteBuffer(Files["main.vsb"].data(), static_cast<int64_t>(Files["main.vsb"].size()));
    s.SetPosition(0);
    TPage page;
    page.LoadFromStream(s);
    static_cast<TComVarNew*>(page.Items(2))->FName.clear();
    TMemoryStream out;
    page.SaveToStream(out);
    Files["main.vsb"] = out.Bytes();
    Start();
    Frames(1);
    EXPECT_EQ(Log(), "ab");

    // A command that fails in place is tried again in the next frame, not again and again in this one.
    TPage* cached = Man->FindOrLoad("main.vsb");
    cached->Add(std::make_unique<TFailing>(cached))->FContinue = 1;
    TFailing::Count = 0;
    Man->StartPage("main.vsb");
    Frames(3);
    EXPECT_EQ(TFailing::Count, 3);
    EXPECT_EQ(Log(), "abab");
}

// ---- the trace -------------------------------------------------------------------------------------

TEST_F(Interp, TraceWritesOneLinePerCommandAndEvent) {
    test::TTempDir dir("trace");
    Pages({{"main", "calc log = \"\"\n"
                    "wait 16\n"
                    "comment c\n"
                    "wait\n"},
           {"h", "\n\n"
                 "calc log = \"h\"\n"}});
    ASSERT_TRUE(VobeLogOpen(dir.Real("t.log")));
    Start();
    Frames(2); // clock 0x10, then 0x20
    Post(nullptr, "h.vsb");
    Frames(1);
    VobeLogClose();
    EXPECT_EQ(test::TTempDir::ReadFile(dir.Real("t.log")), "00000010 : main.vsb(1)\n"
                                                           "00000010 : main.vsb(2)\n"
                                                           "00000020 : main.vsb(3)\n"
                                                           "00000020 : main.vsb(4)\n"
                                                           "00000030 : <Event>h.vsb(3)\n"
                                                           "00000030 : h.vsb(3)\n"
                                                           "00000030 : main.vsb(4)\n");
}

// ---- the saved record ------------------------------------------------------------------------------

TEST_F(Interp, SavedInTheMiddleOfANestedCallAndAWait) {
    Pages({{"main", "var int r = 0\n"
                    "call sub (7) -> r\n"
                    "calc log = log ++ \"r\" ++ r\n"},
           {"sub", "result int\n"
                   "calc @Result = 5\n"
                   "wait 100\n"
                   "calc log = log ++ \"w\" ++ @ParamStr[0]\n"}});
    Start();
    Frames(3); // the wait started in the first frame: 68 ms left
    TMemoryStream saved;
    Man->SaveToStream(saved);

    // The record, byte by byte.
    TBytes frame;
    frame.str("main.vsb").i32(2).u8(0).u8(1).str("r").i32(0).str("").i32(0).u8(1).i32(0).i32(1).i32(5);
    TBytes expected;
    expected.str("sub.vsb").i32(1).u8(0).u8(1).i32(0).str("").i32(1).str("7");
    expected.str("").i32(0).u8(0).u8(0).str("").i32(0).str("").i32(0).u8(0); // the spare frame
    expected.i32(1).add(frame).i32(2);
    expected.raw("vobe100").i32(68).i32(0).u8(0);
    EXPECT_EQ(saved.Bytes(), expected.b);

    // A new interpreter with an empty page cache picks up where the old one stood.
    Man.reset();
    Store().CurrentDepth = 0;
    Man = std::make_unique<TCallMan>(Services, &Access);
    saved.SetPosition(0);
    Man->LoadFromStream(saved, 134);
    EXPECT_EQ(saved.Remaining(), 0);
    EXPECT_EQ(Store().CurrentDepth, 1);
    Frames(4); // 68 - 4 * 16 = 4
    EXPECT_EQ(Log(), "");
    Frames(1);
    EXPECT_EQ(Log(), "w7r5");
}

TEST_F(Interp, SavedHandlerKeepsItsSenderAndLevel) {
    Pages({{"main", "wait time=500\n"},
           {"h", "wait 48\n"
                 "calc log = log ++ @Sender\n"}});
    TVobeObject* btn = NewSender("btn");
    Start();
    Frames(1);
    Post(btn, "h.vsb");
    Frames(1);
    TMemoryStream saved;
    Man->SaveToStream(saved);
    // An old save without the event level reads as level 2.
    for (int32_t version : {134, 115}) {
        SCOPED_TRACE(version);
        Man = std::make_unique<TCallMan>(Services, &Access);
        TMemoryStream s;
        const std::vector<uint8_t>& b = saved.Bytes();
        std::vector<uint8_t> bytes = b;
        if (version < 116) {
            // Drop the event level that follows the frames and comes before the wait's 16 bytes.
            bytes.erase(bytes.end() - 20, bytes.end() - 16);
        }
        s.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        s.SetPosition(0);
        Man->LoadFromStream(s, version);
        EXPECT_EQ(s.Remaining(), 0);
        EXPECT_EQ(Man->GetState(), 2);
        EXPECT_EQ(Man->GetEventLevel(), 2);
        EXPECT_EQ(Man->GetSender(), btn);
    }
    Store().FindItem("log")->SetAsStr("");
    Frames(3);
    EXPECT_EQ(Log(), "");
    Frames(1);
    EXPECT_EQ(Log(), "btn");
}

TEST_F(Interp, DamagedRecordsFailWithAnError) {
    Pages({{"main", "call sub (1, 2)\n"}, {"sub", "result str\nwait 100\n"}});
    Start();
    Frames(2);
    TMemoryStream saved;
    Man->SaveToStream(saved);
    const std::vector<uint8_t> good = saved.Bytes();
    for (size_t cut = 0; cut < good.size(); ++cut) {
        TCallMan man(Services, &Access);
        TMemoryStream s;
        if (cut > 0) s.WriteBuffer(good.data(), static_cast<int64_t>(cut));
        s.SetPosition(0);
        EXPECT_THROW(man.LoadFromStream(s, 134), EVobeError) << cut;
    }
    // Huge counts and unknown values are refused before anything is allocated for them.
    const TBytes bad[] = {
        TBytes().str("").i32(0).u8(0).u8(0).i32(7),                         // state
        TBytes().str("").i32(0).u8(0).u8(0).i32(0).str("").i32(0x7FFFFFFF), // arguments
        TBytes()
            .str("")
            .i32(0)
            .u8(0)
            .u8(0)
            .i32(0)
            .str("")
            .i32(0)
            .str("")
            .i32(0)
            .u8(0)
            .u8(0)
            .str("")
            .i32(0)
            .str("")
            .i32(0x7FFFFFF0), // state length of the spare frame
        TBytes()
            .str("")
            .i32(0)
            .u8(0)
            .u8(0)
            .i32(0)
            .str("")
            .i32(0)
            .str("")
            .i32(0)
            .u8(0)
            .u8(0)
            .str("")
            .i32(0)
            .str("")
            .i32(0)
            .u8(9), // result type
        TBytes()
            .str("missing.vsb")
            .i32(0)
            .u8(0)
            .u8(0)
            .i32(0)
            .str("")
            .i32(0)
            .str("")
            .i32(0)
            .u8(0)
            .u8(0)
            .str("")
            .i32(0)
            .str("")
            .i32(0)
            .u8(0)
            .i32(0)
            .i32(2), // a page that is not there
    };
    for (const TBytes& b : bad) {
        TCallMan man(Services, &Access);
        TMemoryStream s = b.stream();
        EXPECT_THROW(man.LoadFromStream(s, 134), EVobeError);
    }
}

} // namespace
} // namespace vobe
