// The window with the real scene: scripted input reaches the scene's controls, the frame draws only
// what changed into the display surface, presentation follows the scene's scale, and the framework
// starts and ends in its fixed order.
#include <gtest/gtest.h>

#include "fakes.h"

#include "components/vobe_box.h"
#include "framework/vobe_base_list.h"
#include "platform/paths.h"
#include "platform/timer.h"
#include "platform/trace.h"
#include "shell/form_view.h"
#include "shell/scene_host.h"

namespace vobe {
namespace {

class SceneHost : public testing::Test {
protected:
    SceneHost() {
        test::ResetGlobals();
        SetVirtualClock(true, 1000);
        options.Headless = true;
        options.SkipLogo = true;
        options.FixedDelta = 16;
        SetTraceHook([this](const char* s) { trace.push_back(s); });
        services = game.Services();
        services.VobeInitialize = [](IDisplayHost& d) { return StartScene(d); };
        services.VobeFinalize = [] { FinishScene(); };
        view = std::make_unique<TFormView>(services, options, PlayerPath("/tmp") + "\\");
        view->FormCreate();
        view->ApplicationEventsActivate();
    }
    ~SceneHost() override {
        view.reset();
        SetTraceHook(nullptr);
        SetVirtualClock(false);
        test::ResetGlobals();
    }
    TVobeBox* Box(const std::string& name, TRect r, int32_t colour) {
        TVobeBox* b = NewVobeObject<TVobeBox>(Bases);
        b->SetName(name);
        b->SetParent(Bases->Base0);
        b->SetBounds(r.Left, r.Top, r.Width(), r.Height());
        b->SetColor(colour);
        return b;
    }
    void Frames(int32_t n) {
        for (int32_t i = 0; i < n; ++i) view->ApplicationEventsIdle();
    }
    void Script(const std::string& text) {
        TInputScript s;
        std::string err;
        ASSERT_TRUE(s.Parse(text, err)) << err;
        view->SetInputScript(std::move(s));
    }
    uint32_t Px(int32_t x, int32_t y) { return view->GetDisplaySurface()->GetPixel(x, y); }

    test::TFakeGame game; // 64 x 48
    TGameServices services;
    TPlayerOptions options;
    std::vector<std::string> trace;
    std::unique_ptr<TFormView> view;
};

TEST_F(SceneHost, ScriptedClicksAndKeysReachTheControls) {
    ASSERT_NE(Bases, nullptr);
    EXPECT_EQ(Bases->Width, 64);
    TVobeBox* button = Box("button", {10, 10, 30, 30}, 0x0000FF);
    button->OnLBtnDown = "down.vsb";
    button->OnLBtnUp = "up.vsb";
    button->SetHandleKey(true);
    button->OnKeyDown = "key.vsb";
    std::vector<std::string> ran;
    // The project's frame stands in for the interpreter: it takes the queued events.
    game.Project->OnFrame = [&](int32_t frame) {
        while (TTimerData* e = Bases->Events.NextPending()) {
            std::string args;
            for (const std::string& a : e->Args) args += (args.empty() ? ":" : ",") + a;
            ran.push_back(std::to_string(frame) + ":" + e->Handler + args);
            e->State = 1;
        }
        Bases->Events.RemoveStarted();
    };
    Script("2 click 15 20\n4 key 32\n");
    Frames(5);
    EXPECT_EQ(ran, (std::vector<std::string>{"2:down.vsb:5,10", "3:up.vsb:5,10", "4:key.vsb"}));
    EXPECT_EQ(Bases->Focused, button);
}

TEST_F(SceneHost, KeysFollowTheFixedClock) {
    TVobeBox* f = Box("f", {0, 0, 8, 8}, 0);
    f->SetHandleKey(true);
    f->OnKeyRepeat = "repeat";
    std::vector<int32_t> repeats, pressed;
    game.Project->OnFrame = [&](int32_t frame) {
        for (int32_t i = 0; i < Bases->Events.Count(); ++i) repeats.push_back(frame);
        Bases->Events.Clear();
        if (Bases->IsKeyPressed(13)) pressed.push_back(frame);
    };
    Script("1 keydown 13\n30 keyup 13\n");
    Frames(32);
    EXPECT_EQ(pressed, (std::vector<int32_t>{1}));
    // The step that fired in frame 29 still arrives with the release in frame 30.
    EXPECT_EQ(repeats, (std::vector<int32_t>{1, 20, 23, 26, 30}));
}

TEST_F(SceneHost, TheFrameDrawsWhatChangedAndPresentsItScaled) {
    TScreenManager& sm = *view->ScreenMan();
    TVobeBox* b = Box("b", {4, 4, 12, 12}, 0x0000FF);
    Frames(1);
    EXPECT_EQ(Px(5, 5), 0xFF0000u);
    EXPECT_EQ(sm.LastRects().size(), 1u); // the first presentation sends everything
    b->SetLeft(40);
    Frames(1);
    EXPECT_EQ(Px(5, 5), 0u);
    EXPECT_EQ(Px(41, 5), 0xFF0000u);
    ASSERT_EQ(sm.LastRects().size(), 2u); // old and new place, too far apart to merge
    EXPECT_EQ(sm.LastRects()[0].Left, 4);
    EXPECT_EQ(sm.LastRects()[1].Left, 40);
    const int64_t presented = sm.PresentCount();
    Frames(1); // nothing changed: nothing presented
    EXPECT_EQ(sm.PresentCount(), presented);

    Bases->Scale = 200; // whole multiples: the dirty rectangles only, the window scales them
    b->SetTop(20);
    Frames(1);
    ASSERT_EQ(sm.LastRects().size(), 1u);
    EXPECT_EQ(sm.LastRects()[0].Top, 4);
    EXPECT_EQ(sm.LastRects()[0].Bottom, 28);
    Bases->Scale = 150; // the whole picture in every drawn frame
    Frames(1);
    ASSERT_EQ(sm.LastRects().size(), 1u);
    EXPECT_EQ(sm.LastRects()[0].Right, 64);
    EXPECT_EQ(sm.LastRects()[0].Bottom, 48);
}

TEST_F(SceneHost, DeactivationReleasesHeldKeys) {
    view->BasePanelKeyDown(65);
    EXPECT_TRUE(Bases->IsKeyDown(65));
    view->ApplicationEventsDeactivate();
    EXPECT_FALSE(Bases->IsKeyDown(65));
}

TEST_F(SceneHost, TheFrameworkEndsInItsOrder) {
    trace.clear();
    view->FormClose();
    std::string joined;
    for (const auto& t : trace) joined += t + " ";
    EXPECT_NE(joined.find("VobeFinalize TextRead.Free TextHistory.Free Bases.Free SelRectDIB.Free "
                          "TransBGDIB.Free VaskMan.Free ClipMan.Free"),
              std::string::npos)
        << joined;
    EXPECT_EQ(Bases, nullptr);
}

} // namespace
} // namespace vobe
