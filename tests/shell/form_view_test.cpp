// The window's start-up and shutdown order, the frame loop, input routing and presentation, driven
// headless with stand-ins for the project and the scene.
#include <gtest/gtest.h>

#include "../platform/temp_dir.h"
#include "fakes.h"
#include <filesystem>

#include "archive/file_manager.h"
#include "archive/stream.h"
#include "archive/vf_archive.h"
#include "graphics/png_writer.h"
#include "platform/cp932.h"
#include "platform/error.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/timer.h"
#include "platform/trace.h"
#include "shell/form_view.h"
#include "shell/player.h"
#include "values/param_collection.h"

namespace vobe {
namespace {

using test::TFakeGame;
using test::TFakeScene;
using test::TTempDir;

class FormViewTest : public testing::Test {
protected:
    void SetUp() override {
        test::ResetGlobals();
        SetVirtualClock(true, 1000);
        options.Headless = true;
        options.SkipLogo = true;
        SetTraceHook([this](const char* s) { trace.push_back(s); });
    }
    void TearDown() override {
        SetTraceHook(nullptr);
        SetMessageBoxHook(nullptr);
        SetVirtualClock(false);
        test::ResetGlobals();
    }
    std::unique_ptr<TFormView> Make() {
        return std::make_unique<TFormView>(game.Services(), options, PlayerPath(dir.Real()) + "\\");
    }
    std::string Trace() const {
        std::string s;
        for (const auto& t : trace) s += (s.empty() ? "" : " ") + t;
        return s;
    }

    TTempDir dir{"formview"};
    TFakeGame game;
    TPlayerOptions options;
    std::vector<std::string> trace;
};

TEST_F(FormViewTest, StartUpAndShutdownInOrder) {
    dir.WriteFile("vobeplay.log", "old");
    auto view = Make();
    view->FormCreate();
    EXPECT_FALSE(FileExists(PlayerPath(dir.Real("vobeplay.log"))));
    EXPECT_FALSE(view->StartFailed());
    EXPECT_EQ(Trace(),
              "FormCreate TBasePanel.Create DXSound.Initialize VobeInitialize TProject.Create MediaInit "
              "MediaInit.TScreenManager.Create VobeInitColor");
    // Client area: the game plus the tool-bar dock; the panel below the dock.
    EXPECT_EQ(view->ClientWidth(), 64);
    EXPECT_EQ(view->ClientHeight(), 48 + TFormView::DockHeight);
    EXPECT_EQ(TFormView::DockHeight, 22);
    EXPECT_EQ(view->PanelRect().Left, 0);
    EXPECT_EQ(view->PanelRect().Top, 22);
    EXPECT_EQ(view->PanelRect().Right, 64);
    EXPECT_EQ(view->PanelRect().Bottom, 70);
    EXPECT_EQ(view->Caption(), "Game");
    ASSERT_NE(view->GetDisplaySurface(), nullptr);
    EXPECT_EQ(view->GetDisplaySurface()->BitCount(), 32); // headless default
    trace.clear();
    game.Log.Calls.clear();
    view->FormClose();
    EXPECT_TRUE(Terminating);
    EXPECT_EQ(Trace(),
              "Project.Free SysFuncMan.Free ParamMan.Free VobeFinalize MediaFinal ScreenMan.Free FormClose");
    EXPECT_EQ(game.Log.Joined(), "project.free sysfuncs.free params.free scene.free vobefinalize mediafinal");
    view.reset();
    EXPECT_EQ(game.Log.Calls.size(), 6u); // nothing is freed twice
}

TEST_F(FormViewTest, GameThatCannotStart) {
    game.FailStart = true;
    auto view = Make();
    view->FormCreate();
    EXPECT_TRUE(view->StartFailed());
    EXPECT_TRUE(Terminating);
    view.reset(); // the loop is not entered; the window still frees what it made
    EXPECT_EQ(game.Log.Joined(),
              "params sysfuncs size 64x48 project.free sysfuncs.free params.free scene.free "
              "vobefinalize mediafinal");
    // Without a project at all the game cannot start either.
    test::ResetGlobals();
    TPlayerOptions o = options;
    TFormView bare(TGameServices(), o, PlayerPath(dir.Real()) + "\\");
    bare.FormCreate();
    EXPECT_TRUE(bare.StartFailed());
    EXPECT_EQ(bare.ScreenMan(), nullptr);
}

TEST_F(FormViewTest, InitializeErrorIsShownAndClosesTheWindow) {
    std::string shown;
    SetMessageBoxHook([&](const std::string& text, const std::string& caption, uint32_t flags) {
        shown = caption + ":" + text + ":" + std::to_string(flags);
        return IDOK;
    });
    TGameServices s = game.Services();
    s.VobeInitColor = [](int32_t) { throw EVobeError(SJ("色の表を作れません")); };
    TFormView view(s, options, PlayerPath(dir.Real()) + "\\");
    view.FormCreate();
    EXPECT_EQ(shown, SJ("警告:色の表を作れません:48"));
    EXPECT_TRUE(view.StartFailed());
    EXPECT_FALSE(Terminating);
    view.Run(); // the posted close request is handled the normal way
    EXPECT_TRUE(view.Closed());
    EXPECT_NE(std::find(trace.begin(), trace.end(), "FormClose"), trace.end());
}

TEST_F(FormViewTest, StallLongerThan3000msIsDropped) {
    options.FixedDelta = -1; // the (virtual) multimedia clock
    auto view = Make();
    view->FormCreate();
    EXPECT_TRUE(view->ApplicationEventsIdle()); // not active yet: Done
    view->ApplicationEventsActivate();
    AdvanceVirtualClock(3000);
    EXPECT_FALSE(view->ApplicationEventsIdle());
    EXPECT_EQ(GameClock, 3000);
    EXPECT_EQ(FrameDelta, 3000);
    EXPECT_EQ(game.Project->Frames, 1);
    AdvanceVirtualClock(3001);
    EXPECT_FALSE(view->ApplicationEventsIdle());
    EXPECT_EQ(GameClock, 3000); // dropped, and no frame ran
    EXPECT_EQ(game.Project->Frames, 1);
    AdvanceVirtualClock(16);
    view->ApplicationEventsIdle();
    EXPECT_EQ(GameClock, 3016);
    EXPECT_EQ(FrameDelta, 16);
    // Time spent inactive is not added either.
    view->ApplicationEventsDeactivate();
    AdvanceVirtualClock(500);
    EXPECT_TRUE(view->ApplicationEventsIdle());
    view->ApplicationEventsActivate();
    AdvanceVirtualClock(10);
    view->ApplicationEventsIdle();
    EXPECT_EQ(GameClock, 3026);
    EXPECT_EQ(FrameCount, 3);
}

TEST_F(FormViewTest, FixedDeltaRunStopsAfterFrames) {
    options.FixedDelta = 16;
    options.Frames = 3;
    auto view = Make();
    view->FormCreate();
    view->Run();
    EXPECT_TRUE(view->Closed());
    EXPECT_EQ(view->FramesRun(), 3);
    EXPECT_EQ(GameClock, 48); // the first frame included
    // One frame: input, run, update, draw (nothing dirty: nothing presented).
    size_t first = game.Log.Joined().find("input run update draw input run update draw");
    EXPECT_NE(first, std::string::npos) << game.Log.Joined();
}

TEST_F(FormViewTest, ScriptedInputTakesTheRealRouting) {
    options.FixedDelta = 16;
    options.Frames = 4;
    auto view = Make();
    view->FormCreate();
    TInputScript s;
    std::string err;
    ASSERT_TRUE(s.Parse("1 move 5 6\n1 keydown 65\n2 click 10 11\n2 key 13\n3 wheel up\n3 wheel down\n"
                        "3 down right\n4 up right\n4 keyup 65\n",
                        err));
    view->SetInputScript(std::move(s));
    game.Log.Calls.clear();
    view->Run();
    std::string log = game.Log.Joined(",");
    // Frame 1 (the window key route: before any click the panel has no focus).
    EXPECT_NE(log.find("move 5,6,keystate+65,pressed 65,input,run"), std::string::npos) << log;
    // Frame 2: the click moves, presses; the key goes down.
    EXPECT_NE(log.find("draw,move 10,11,down.left,keystate+13,pressed 13,input"), std::string::npos) << log;
    // Frame 3: the click and the key are released first.
    EXPECT_NE(log.find("draw,up,keystate-13,wheel.up,wheel.down,down.right,input"), std::string::npos) << log;
    EXPECT_NE(log.find("draw,up,keystate-65,input"), std::string::npos) << log;
}

TEST_F(FormViewTest, InputRoutingRules) {
    auto view = Make();
    view->FormCreate();
    auto& log = game.Log;
    // Inactive: presses and key-downs are dropped, releases, moves and the wheel pass.
    log.Calls.clear();
    view->BasePanelMouseDown(mbLeft, 1, 1);
    view->BasePanelMouseUp(mbLeft, 1, 1);
    view->BasePanelMouseMove(3, 4);
    view->BasePanelKeyDown(32);
    view->BasePanelKeyUp(32);
    view->FormMouseWheelDown();
    EXPECT_EQ(log.Joined(), "up move 3,4 keystate-32 wheel.down");
    view->ApplicationEventsActivate();
    log.Calls.clear();
    // The window route ignores the system's auto-repeat; the panel route passes it.
    view->WMKeyDown(40, true);
    view->WMKeyDown(40, false);
    view->BasePanelKeyDown(40);
    view->BasePanelKeyDown(300); // codes above 255 are not keys of the scene
    EXPECT_EQ(log.Joined(), "keystate+40 pressed 40 keystate+40 pressed 40");
    // Real key events: Alt combinations are menu keys and never reach the scene.
    log.Calls.clear();
    TPlatformEvent ev;
    ev.Kind = TPlatformEvent::evKeyDown;
    ev.VK = 'X';
    ev.Alt = true;
    view->DispatchEvent(ev);
    ev.Alt = false;
    ev.VK = 0x12; // VK_MENU
    view->DispatchEvent(ev);
    EXPECT_EQ(log.Joined(), "");
    // A click on the tool bar does not reach the panel; a click on the panel does, in panel coordinates.
    ev = TPlatformEvent();
    ev.Kind = TPlatformEvent::evMouseDown;
    ev.Button = mbLeft;
    ev.X = 200; // beside the buttons, still on the dock
    ev.Y = 5;
    view->DispatchEvent(ev);
    ev.X = 7;
    ev.Y = 22 + 9;
    view->DispatchEvent(ev);
    ev.Kind = TPlatformEvent::evMouseMove;
    ev.X = 500; // captured: moves outside still reach the panel
    view->DispatchEvent(ev);
    ev.Kind = TPlatformEvent::evMouseUp;
    view->DispatchEvent(ev);
    EXPECT_EQ(log.Joined(), "down.left move 500,9 up");
    // Deactivation releases the scene's input and pauses media.
    log.Calls.clear();
    view->ApplicationEventsDeactivate();
    EXPECT_EQ(log.Joined(), "suspend releaseinput");
}

TEST_F(FormViewTest, ConfirmQuit) {
    auto view = Make();
    view->FormCreate();
    std::string asked;
    int answer = IDNO;
    SetMessageBoxHook([&](const std::string& text, const std::string& caption, uint32_t flags) {
        asked = caption + "|" + text;
        EXPECT_TRUE(Terminating); // the game stands still while the question is open
        EXPECT_EQ(flags & 0x0F, MB_YESNO);
        return answer;
    });
    for (bool before : {false, true}) {
        Terminating = before;
        view->ConfirmQuit();
        EXPECT_EQ(Terminating, before);
    }
    EXPECT_EQ(asked, SJ("Game|「Game」を終了しますか？"));
    // The quit button asks the same question; Yes closes the window the normal way.
    Terminating = false;
    answer = IDYES;
    view->ApplicationEventsActivate();
    TPlatformEvent ev;
    ev.Kind = TPlatformEvent::evMouseDown;
    ev.Button = mbLeft;
    ev.X = view->QuitButton().Bounds.Left + 5;
    ev.Y = 5;
    view->DispatchEvent(ev);
    ev.Kind = TPlatformEvent::evMouseUp;
    view->DispatchEvent(ev);
    view->Run();
    EXPECT_TRUE(view->Closed());
    EXPECT_EQ(view->FramesRun(), 0);
}

TEST_F(FormViewTest, HeadlessQuitConfirmationAnswersNo) {
    auto view = Make();
    view->FormCreate();
    testing::internal::CaptureStderr();
    view->ConfirmQuit();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Game: 「Game」を終了しますか？\n");
    EXPECT_FALSE(Terminating);
}

TEST_F(FormViewTest, FrameAfterALoadIsNotDrawn) {
    options.FixedDelta = 16;
    options.Frames = 3;
    auto view = Make();
    view->FormCreate();
    game.Project->LoadAt = 1;
    game.Log.Calls.clear();
    view->Run();
    EXPECT_EQ(game.Log.Joined(",").substr(0, 101), "resume,input,run,update,loaded,input,run,update,draw,"
                                                   "input,run,update,draw,project.free,sysfuncs.free");
}

TEST_F(FormViewTest, PresentsDirtyRectanglesOrTheWholeScaledPicture) {
    auto view = Make();
    view->FormCreate();
    view->ApplicationEventsActivate();
    TFakeScene& scene = *game.Scene;
    TScreenManager& sm = *view->ScreenMan();
    auto frame = [&] {
        AdvanceVirtualClock(16);
        view->ApplicationEventsIdle();
    };
    frame(); // the first presentation sends everything
    EXPECT_EQ(sm.PresentCount(), 1);
    frame(); // nothing dirty: nothing presented
    EXPECT_EQ(sm.PresentCount(), 1);
    scene.NextDirty = {{0, 0, 4, 4}, {40, 30, 50, 40}};
    frame();
    ASSERT_EQ(sm.LastRects().size(), 2u);
    EXPECT_EQ(sm.LastRects()[1].Left, 40);
    EXPECT_EQ(scene.Dirty.Count(), 0); // cleared after presenting
    // A running transition's area replaces the dirty rectangles.
    scene.Present = {8, 8, 16, 16};
    scene.NextDirty = {{0, 0, 4, 4}};
    frame();
    ASSERT_EQ(sm.LastRects().size(), 1u);
    EXPECT_EQ(sm.LastRects()[0].Right, 16);
    scene.Present = TRect();
    // Scale 200: still only the dirty rectangles; 150: the whole surface every drawn frame.
    scene.ScaleValue = 200;
    scene.NextDirty = {{1, 2, 3, 4}};
    frame();
    ASSERT_EQ(sm.LastRects().size(), 1u);
    EXPECT_EQ(sm.LastRects()[0].Left, 1);
    scene.ScaleValue = 150;
    frame();
    ASSERT_EQ(sm.LastRects().size(), 1u);
    EXPECT_EQ(sm.LastRects()[0].Right, 64);
    EXPECT_EQ(sm.LastRects()[0].Bottom, 48);
}

TEST_F(FormViewTest, ScreenshotAndVariableDump) {
    options.FixedDelta = 16;
    options.Frames = 2;
    options.Depth = 16;
    options.ScreenshotFile = dir.Real("shot.png");
    auto view = Make();
    view->SetDumpFile(TPlatformFile::Open(dir.Real("vars.txt"), TFileAccess::Write, true, true));
    view->FormCreate();
    // Paint the display surface: a 16-bit red pixel at (1,0).
    TDisplaySurface* s = view->GetDisplaySurface();
    ASSERT_EQ(s->BitCount(), 16);
    s->Row(0)[2] = 0x00;
    s->Row(0)[3] = 0xF8;
    game.Variables = SJ("名前\tstr\t値\n");
    view->Run();
    EXPECT_TRUE(view->ShutdownError().empty()) << view->ShutdownError();
    EXPECT_EQ(TTempDir::ReadFile(dir.Real("vars.txt")), "名前\tstr\t値\n");
    std::string png = TTempDir::ReadFile(dir.Real("shot.png"));
    std::vector<uint32_t> rgb;
    int32_t w = 0, h = 0;
    ASSERT_TRUE(DecodePngRgb(reinterpret_cast<const uint8_t*>(png.data()), png.size(), rgb, w, h));
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 48);
    EXPECT_EQ(rgb[1], 0xFF0000u);
    EXPECT_EQ(rgb[0], 0u);
    // The dump is taken between freeing the system functions and the store.
    std::string log = game.Log.Joined();
    EXPECT_NE(log.find("sysfuncs.free dump params.free"), std::string::npos) << log;
}

TEST(ScreenManager, ModeSelection) {
    auto mode = [](int32_t w, int32_t h, int32_t bits, int32_t hz) {
        TDisplayMode m;
        m.Width = w;
        m.Height = h;
        m.Bits = bits;
        m.Refresh = hz;
        return m;
    };
    int32_t sel = -2;
    // Too small or below 16 bits: left out. The first usable mode is taken until a preferred-size one comes.
    auto modes = TScreenManager::SelectModes(
        {mode(640, 400, 32, 60), mode(800, 600, 8, 60), mode(1024, 768, 16, 60), mode(800, 600, 16, 75),
         mode(800, 600, 32, 85), mode(800, 600, 32, 60), mode(800, 600, 32, 70)},
        640, 480, 800, 600, 32, sel);
    ASSERT_EQ(modes.size(), 5u);
    // 800x600: 16-bit first, then the desktop's 32 bits, then its lowest refresh rate.
    EXPECT_EQ(sel, 3);
    EXPECT_EQ(modes[sel].Refresh, 60);
    modes = TScreenManager::SelectModes({mode(1024, 768, 16, 60), mode(1280, 1024, 32, 60)}, 640, 480, 800,
                                        600, 32, sel);
    EXPECT_EQ(sel, 0); // no preferred size: the first usable mode
    modes = TScreenManager::SelectModes({mode(320, 200, 32, 60)}, 640, 480, 800, 600, 32, sel);
    EXPECT_EQ(sel, -1);
    EXPECT_TRUE(modes.empty());
    // Headless: no modes, full screen unavailable, a selection outside the list is refused.
    TScreenManager sm(nullptr, 64, 48, 64, 48, 15);
    EXPECT_TRUE(sm.Modes().empty());
    EXPECT_EQ(sm.CurrentMode(), -1);
    EXPECT_EQ(sm.Surface()->BitCount(), 15);
    EXPECT_FALSE(sm.SetSelectedMode(0));
    EXPECT_EQ(sm.SelectedMode(), -1);
}

} // namespace
} // namespace vobe

namespace vobe {
namespace {

// The player's own wiring: both folders' game.dat are mounted, only the first is the base folder.
TEST(PlayerServices, MountsEveryFolderWithTheFirstAsBase) {
    test::ResetGlobals();
    TTempDir dir("mount");
    for (const char* folder : {"A", "B"}) {
        TVrFileCollection c;
        TVrFile* e = c.AddMemoryEntry(std::string(folder) + ".txt");
        e->Stream->Write(folder, 1);
        std::filesystem::create_directories(dir.Path() / folder);
        TFileStream out(PlayerPath(dir.Real(std::string(folder) + "/game.dat")), fmCreate);
        ASSERT_TRUE(c.WriteArchive(out));
    }
    TGameServices services = MakePlayerServices();
    services.CreateFileManager();
    TPlayerOptions options;
    options.Headless = true;
    options.Folders = {dir.Real("A"), dir.Real("B/")};
    {
        TFormView view(services, options, PlayerPath(dir.Real()) + "\\");
        view.FormCreate();
        EXPECT_TRUE(view.StartFailed()); // no project in these folders
        ASSERT_NE(FileManager, nullptr);
        EXPECT_EQ(FileManager->ArchiveCount(), 2);
        EXPECT_EQ(FileManager->BaseFolder(), PlayerPath(dir.Real("A")) + "\\");
        EXPECT_TRUE(FileManager->Exists("b.TXT"));
        ASSERT_NE(ParamCollection, nullptr); // the variable store exists from FormCreate on
    }
    EXPECT_EQ(ParamCollection, nullptr);
    services.FreeFileManager();
    EXPECT_EQ(FileManager, nullptr);
    test::ResetGlobals();
}

} // namespace
} // namespace vobe
