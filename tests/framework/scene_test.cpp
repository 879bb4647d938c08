// The scene: redrawing only what changed, key states and their repeat steps, mouse routing with
// capture, focus and the right-click cancel, deferred deletion, transitions, display changes and the
// system variables of the input.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "components/vobe_box.h"
#include "framework/scene_values.h"
#include "framework/vobe_base_list.h"
#include "framework/vobe_cabinet.h"
#include "framework/vobe_initialize.h"
#include "graphics/dibx.h"
#include "platform/globals.h"

namespace vobe {
namespace {

// A panel with a display surface of its own and a record of the cursor calls.
class TFakePanel : public TBasePanel {
public:
    TFakePanel(int32_t w, int32_t h, int32_t depth) : Depth(depth) { Display.SetSize(w, h, depth); }
    TCustomDIBX* GetDisplaySurface() override { return HasDisplay ? &Display : nullptr; }
    int32_t DisplayDepth() override { return Depth; }
    TPoint GetCursorPos() override { return Cursor; }
    void LoadCustomCursor(const std::string& name) override { Calls.push_back("load " + name); }
    void ShowCustomCursor(bool custom) override { Calls.push_back(custom ? "custom" : "default"); }

    TDIBX Display;
    int32_t Depth;
    bool HasDisplay = true;
    TPoint Cursor;
    std::vector<std::string> Calls;
};

// A control that asks to be deleted at every update.
class TQuitter : public TVobeControl {
public:
    using TVobeControl::TVobeControl;
    bool Update() override { return true; }
    bool GetPaused() override { return Paused; }
    void SetPaused(bool v) override { Paused = v; }
    bool Paused = false;
};

// A menu-like control that closes on a right click.
class TCancelling : public TVobeControl {
public:
    using TVobeControl::TVobeControl;
    bool GetRClickScrap() override { return RClickScrap; }
    bool CancelByRightClick() override {
        ++Cancelled;
        return Answer;
    }
    bool RClickScrap = true;
    bool Answer = true;
    int32_t Cancelled = 0;
};

// A transition that records what the scene asks of it.
class TFakeWipe : public TSceneWipe {
public:
    int32_t GetElapsed() override { return Elapsed; }
    void SetElapsed(int32_t v) override { Elapsed = v; }
    int32_t GetDuration() override { return Duration; }
    void SetDuration(int32_t v) override { Duration = v; }
    void SetReverse(bool v) override { Reverse = v; }
    bool Step() override {
        ++Steps;
        return Elapsed >= Duration;
    }
    TRect ChangedRect() override { return TRect{0, 0, 64, 48}; }
    int32_t Elapsed = 0, Duration = 0, Steps = 0;
    bool Reverse = false;
};

class Scene : public ::testing::Test {
protected:
    Scene() : Panel(64, 48, 32) {
        BasePanel = &Panel;
        Bases = &S;
        S.SetWidth(64);
        S.SetHeight(48);
        FrameDelta = 16;
    }
    ~Scene() override {
        Bases = nullptr;
        BasePanel = nullptr;
        FrameworkHooks = TFrameworkHooks{};
    }
    TVobeBox* Box(const std::string& name, TRect r, int32_t colour, TVobeControl* parent = nullptr) {
        TVobeBox* b = NewVobeObject<TVobeBox>(&S);
        b->SetName(name);
        b->SetParent(parent ? parent : S.Base0);
        b->SetBounds(r.Left, r.Top, r.Width(), r.Height());
        b->SetColor(colour);
        return b;
    }
    // One frame of the window without the interpreter: input, update, draw, presentation done.
    void Frame() {
        S.ProcessInput();
        S.Update();
        S.Draw();
        S.Base0->Dirty.Clear();
        S.Base1->Dirty.Clear();
    }
    uint32_t Px(int32_t x, int32_t y) { return Panel.Display.GetPixel(x, y); }
    std::vector<TRect> FrontDirty() { return S.FrontBase()->Dirty.Rects(); }
    std::vector<uint8_t> Kinds() {
        std::vector<uint8_t> k;
        for (int32_t i = 0; i < S.Events.Count(); ++i) k.push_back(S.Events.Items(i)->Kind);
        return k;
    }

    TFakePanel Panel;
    TVobeBaseList S;
};

// Colours are 0x00BBGGRR; 32-bit pixels are 0x00RRGGBB.
constexpr int32_t Red = 0x0000FF, Blue = 0xFF0000;
constexpr uint32_t RedPx = 0xFF0000, BluePx = 0x0000FF;

TEST_F(Scene, OnlyDirtyRectanglesAreRedrawn) {
    TVobeBox* a = Box("a", {4, 4, 14, 14}, Red);
    Box("b", {40, 30, 50, 40}, Blue);
    S.Draw();
    EXPECT_EQ(Px(5, 5), RedPx);
    EXPECT_EQ(Px(45, 35), BluePx);
    EXPECT_EQ(Px(30, 20), 0u); // the base's colour
    S.Base0->Dirty.Clear();

    // Pixels outside the dirty rectangles stay as they are: marks in them survive the next draw.
    Panel.Display.SetPixel(60, 2, 0x123456);
    Panel.Display.SetPixel(45, 35, 0x123456);
    a->SetLeft(6); // old place and new place, merged into one rectangle
    ASSERT_EQ(FrontDirty().size(), 1u);
    EXPECT_EQ(FrontDirty()[0], (TRect{4, 4, 16, 14}));
    S.Draw();
    EXPECT_EQ(Px(4, 5), 0u);
    EXPECT_EQ(Px(15, 5), RedPx);
    EXPECT_EQ(Px(60, 2), 0x123456u);
    EXPECT_EQ(Px(45, 35), 0x123456u);

    // A frame in which nothing changed draws nothing.
    S.Base0->Dirty.Clear();
    Panel.Display.SetPixel(8, 8, 0x123456);
    S.Draw();
    EXPECT_EQ(Px(8, 8), 0x123456u);

    // Hidden: its rectangle is redrawn without it; the base's colour -1 leaves the pixels alone.
    S.Base0->Dirty.Clear();
    S.Base0->SetColor(-1);
    S.Base0->Dirty.Clear();
    a->SetVisible(false);
    EXPECT_EQ(FrontDirty(), (std::vector<TRect>{{6, 4, 16, 14}}));
    S.Draw();
    EXPECT_EQ(Px(8, 8), 0x123456u);
}

TEST_F(Scene, RectanglesCloseTogetherAreMerged) {
    EXPECT_EQ(FrontDirty(), (std::vector<TRect>{{0, 0, 64, 48}})); // a new picture is drawn whole
    S.Base0->Dirty.Clear();
    S.Base0->AddDirtyRect({0, 0, 10, 10});
    S.Base0->AddDirtyRect({25, 0, 30, 10}); // 15 pixels away
    S.Base0->AddDirtyRect({0, 35, 10, 40}); // 25 pixels away
    EXPECT_EQ(FrontDirty(), (std::vector<TRect>{{0, 0, 30, 10}, {0, 35, 10, 40}}));
    S.Base0->Dirty.Clear();
    S.Base0->AddDirtyRect({-5, 45, 200, 60}); // clipped to the base
    S.Base0->AddDirtyRect({64, 0, 70, 10});   // outside: nothing
    EXPECT_EQ(FrontDirty(), (std::vector<TRect>{{0, 45, 64, 48}}));
}

TEST_F(Scene, TheBackBaseDrawsIntoItsOwnSurface) {
    Box("front", {0, 0, 8, 8}, Red);
    Box("back", {0, 0, 8, 8}, Blue, S.Base1);
    S.Draw();
    EXPECT_EQ(Px(1, 1), RedPx);
    ASSERT_NE(S.Base1->Surface, nullptr);
    EXPECT_EQ(S.Base1->Surface->GetPixel(1, 1), BluePx);
    EXPECT_EQ(S.Base1->Surface->BitCount(), 32);
    EXPECT_EQ(S.Base0->GetSurface(), &Panel.Display);
    EXPECT_EQ(S.Base1->GetSurface(), S.Base1->Surface.get());

    // Switching without a transition: the other base draws on the display, both whole.
    S.StartWipe(1, 0, false, true, 0, 0);
    EXPECT_EQ(S.Base1->Dirty.Rects(), (std::vector<TRect>{{0, 0, 64, 48}}));
    S.Draw();
    EXPECT_EQ(Px(1, 1), BluePx);
}

TEST_F(Scene, TransitionComposesFromBothBaseSurfaces) {
    TFakeWipe* made = nullptr;
    TCustomDIBX *target = nullptr, *oldImage = nullptr, *newImage = nullptr;
    FrameworkHooks.CreateWipe = [&](int32_t kind, TCustomDIBX* t, TCustomDIBX* o, TCustomDIBX* n) {
        EXPECT_EQ(kind, 5);
        target = t, oldImage = o, newImage = n;
        auto w = std::make_unique<TFakeWipe>();
        made = w.get();
        return std::unique_ptr<TSceneWipe>(std::move(w));
    };
    TVobeBox* f = Box("f", {0, 0, 8, 8}, Red);
    f->SetHandleKey(true);
    S.SetFocus(f);
    S.Draw();
    S.Base0->Dirty.Clear();
    EXPECT_EQ(S.Base0->Surface->GetPixel(1, 1), 0u); // the front base drew on the display only

    TSceneWipe* w = S.StartWipe(0, 5, true, true, 0, 500);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w, made);
    EXPECT_EQ(target, &Panel.Display);
    EXPECT_EQ(oldImage, S.Base0->Surface.get());
    EXPECT_EQ(newImage, S.Base1->Surface.get());
    EXPECT_EQ(S.Base0->Surface->GetPixel(1, 1), RedPx); // the display's picture was kept
    EXPECT_EQ(made->Duration, 500);
    EXPECT_TRUE(made->Reverse);
    EXPECT_EQ(S.WipeKind, 5);
    EXPECT_EQ(S.Focused, f); // the focus stays on the front base
    EXPECT_EQ(S.Base0->GetSurface(), S.Base0->Surface.get());

    // Without restart the running transition goes on with the new time.
    EXPECT_EQ(S.StartWipe(0, 5, false, false, 120, 500), nullptr);
    EXPECT_EQ(made->Elapsed, 120);
    S.Draw();
    EXPECT_EQ(made->Steps, 1);
    EXPECT_EQ(S.PresentRect, (TRect{0, 0, 64, 48}));

    // The end: the other base becomes the front and draws on the display again.
    S.StartWipe(1, 0, false, true, 0, 0);
    EXPECT_EQ(S.Wipe, nullptr);
    EXPECT_EQ(S.Current, 1);
    S.Draw();
    EXPECT_EQ(S.PresentRect, TRect{});
    EXPECT_EQ(S.Base1->GetSurface(), &Panel.Display);
}

TEST_F(Scene, ATransitionStartDropsAFocusLeftOnTheBackBase) {
    FrameworkHooks.CreateWipe = [](int32_t, TCustomDIBX*, TCustomDIBX*, TCustomDIBX*) {
        return std::unique_ptr<TSceneWipe>(new TFakeWipe);
    };
    TVobeBox* back = Box("back", {0, 0, 8, 8}, Red, S.Base1);
    back->SetHandleKey(true);
    S.Focused = back;
    S.RefocusRequested = false;
    S.StartWipe(0, 1, false, true, 0, 100);
    EXPECT_EQ(S.Focused, nullptr);
    EXPECT_TRUE(S.RefocusRequested);
}

TEST_F(Scene, KeyRepeatSteps) {
    // Frames of 16 ms: the press shows in the next frame; a step fires in the frame in which the count
    // reaches 0 (after 19 frames, 304 ms, for the first) and shows in the next; then every 50 ms of
    // frames (three or four of them).
    S.SetKeyState(65, true);
    S.SetKeyPressed(65);
    std::vector<int32_t> repeated, pressed;
    for (int32_t frame = 1; frame <= 30; ++frame) {
        S.ProcessInput();
        if (S.IsKeyRepeated(65)) repeated.push_back(frame);
        if (S.IsKeyPressed(65)) pressed.push_back(frame);
        EXPECT_TRUE(S.IsKeyDown(65));
    }
    EXPECT_EQ(repeated, (std::vector<int32_t>{1, 20, 23, 26, 30}));
    EXPECT_EQ(pressed, (std::vector<int32_t>{1}));

    // The system's own auto-repeat messages are key presses; the state does not change.
    S.SetKeyState(65, true);
    S.SetKeyPressed(65);
    S.ProcessInput();
    EXPECT_TRUE(S.IsKeyPressed(65));
    S.ProcessInput();
    EXPECT_FALSE(S.IsKeyPressed(65));

    S.SetKeyState(65, false);
    S.ProcessInput();
    EXPECT_FALSE(S.IsKeyDown(65));
    EXPECT_FALSE(S.IsKeyRepeated(65));

    // Out of range codes are ignored.
    S.SetKeyState(300, true);
    S.SetKeyPressed(-1);
    EXPECT_FALSE(S.IsKeyDown(300));
}

TEST_F(Scene, TheFocusedControlGetsKeyEventsInTheSameRhythm) {
    TVobeBox* f = Box("f", {0, 0, 8, 8}, Red);
    f->SetHandleKey(true);
    f->OnKeyDown = "down";
    f->OnKeyRepeat = "repeat";
    f->OnKeyUp = "up";
    f->OnFocusIn = "in";
    EXPECT_TRUE(S.RefocusRequested); // a control was made while nothing had the focus
    S.ProcessInput();
    EXPECT_EQ(S.Focused, f);
    EXPECT_EQ(Kinds(), (std::vector<uint8_t>{PR_ONFOCUSIN}));
    S.Events.Clear();

    S.SetKeyState(13, true);
    std::vector<std::string> log;
    for (int32_t frame = 1; frame <= 26; ++frame) {
        if (frame == 26) S.SetKeyState(13, false);
        S.ProcessInput();
        for (int32_t i = 0; i < S.Events.Count(); ++i)
            log.push_back(std::to_string(frame) + ":" + S.Events.Items(i)->Handler);
        S.Events.Clear(); // the interpreter ran them
    }
    EXPECT_EQ(log, (std::vector<std::string>{"1:down", "1:repeat", "20:repeat", "23:repeat", "26:repeat",
                                             "26:up"}));

    // A control that no longer handles keys gets none.
    S.SetKeyState(13, true);
    f->HandleKey = false;
    S.ProcessInput();
    EXPECT_EQ(S.Events.Count(), 0);
}

TEST_F(Scene, ReleasingTheInputForgetsHeldKeys) {
    S.SetKeyState(32, true);
    S.SetKeyPressed(32);
    S.ReleaseInput();
    S.ProcessInput();
    EXPECT_FALSE(S.IsKeyDown(32));
    EXPECT_FALSE(S.IsKeyPressed(32));
    EXPECT_FALSE(S.IsKeyRepeated(32));
    EXPECT_FALSE(S.KeyRepeatEvent);
    S.SetKeyState(32, true); // held again: a new press
    EXPECT_TRUE(S.KeyDownEvent);
}

TEST_F(Scene, AClickReachesTheControlUnderThePointer) {
    TVobeBox* a = Box("a", {10, 10, 30, 30}, Red);
    a->OnLBtnDown = "down.vsb";
    a->OnLBtnUp = "up.vsb";
    a->OnMouseIn = "in.vsb";
    S.PanelMouseMove(15, 12);
    S.PanelMouseDown(mbLeft);
    S.ProcessInput();
    ASSERT_EQ(Kinds(), (std::vector<uint8_t>{PR_ONLBTNDOWN, PR_ONMOUSEIN}));
    EXPECT_EQ(S.Events.Items(0)->Args, (std::vector<std::string>{"5", "2"}));
    EXPECT_EQ(S.Events.Items(0)->Sender, a);
    EXPECT_FALSE(S.Base0->LeftClick); // taken by the control
    EXPECT_EQ(S.Base0->Capture, 4);
    EXPECT_TRUE(S.Base0->LeftHeld);
    EXPECT_FALSE(S.Base0->IsLeftHeld()); // @LPush: a control holds the button
    EXPECT_TRUE(S.Base1->LeftHeld);
    S.PanelMouseUp();
    S.ProcessInput();
    EXPECT_EQ(S.Events.Items(2)->Kind, PR_ONLBTNUP);
    EXPECT_EQ(S.Base0->Capture, 0);

    // On the bare base the click stays for the script (@LClick).
    S.PanelMouseMove(50, 40);
    S.PanelMouseDown(mbLeft);
    S.PanelMouseUp();
    S.ProcessInput();
    EXPECT_TRUE(S.Base0->LeftClick);
    S.ProcessInput();
    EXPECT_FALSE(S.Base0->LeftClick); // one frame only
}

TEST_F(Scene, CaptureKeepsTheControlWhileTheButtonIsHeld) {
    TVobeBox* a = Box("a", {0, 0, 20, 20}, Red);
    TVobeBox* b = Box("b", {30, 0, 50, 20}, Blue);
    a->OnLBtnDown = "a.down";
    a->OnMouseMove = "a.move";
    b->OnMouseIn = "b.in";
    b->OnMouseMove = "b.move";
    b->Cursor = "hand.cur";
    S.PanelMouseMove(5, 5);
    S.ProcessInput();
    S.PanelMouseDown(mbLeft);
    S.ProcessInput();
    S.Events.Clear();
    Panel.Calls.clear();

    S.PanelMouseMove(35, 5); // over b, the button still held by a
    S.ProcessInput();
    ASSERT_EQ(Kinds(), (std::vector<uint8_t>{PR_ONMOUSEMOVE}));
    EXPECT_EQ(S.Events.Items(0)->Sender, a);
    EXPECT_EQ(S.Events.Items(0)->Args, (std::vector<std::string>{"35", "5"}));
    EXPECT_TRUE(Panel.Calls.empty()); // the pointer shape does not change
    EXPECT_EQ(S.Base0->Hover, a);

    S.Events.Clear();
    S.PanelMouseUp();
    S.ProcessInput(); // the release goes to a, then the pointer is free again
    S.ProcessInput();
    ASSERT_EQ(Kinds(), (std::vector<uint8_t>{PR_ONMOUSEIN, PR_ONMOUSEMOVE}));
    EXPECT_EQ(S.Events.Items(0)->Sender, b);
    EXPECT_EQ(Panel.Calls, (std::vector<std::string>{"load hand.cur", "custom"}));
}

TEST_F(Scene, IgnoreMouseChoosesWhoTakesTheClick) {
    TVobeBox* below = Box("below", {0, 0, 40, 40}, Red);
    TVobeBox* top = Box("top", {0, 0, 20, 20}, Blue);
    top->Priority = 1;
    S.Base0->SortChildren();
    below->OnLBtnDown = "below";
    top->OnLBtnDown = "top.left";
    top->OnRBtnDown = "top.right";
    top->SetIgnoreMouse(3); // right button and hover only
    S.PanelMouseMove(5, 5);
    S.PanelMouseDown(mbLeft);
    S.PanelMouseUp();
    S.ProcessInput();
    ASSERT_EQ(S.Events.Count(), 1);
    EXPECT_EQ(S.Events.Items(0)->Handler, "below");
    S.ProcessInput(); // the released button leaves the capture of `below`
    S.Events.Clear();
    S.PanelMouseDown(mbRight);
    S.PanelMouseUp();
    S.ProcessInput();
    ASSERT_EQ(S.Events.Count(), 1);
    EXPECT_EQ(S.Events.Items(0)->Handler, "top.right");
}

TEST_F(Scene, ARightClickClosesAMenuAndReachesNothingElse) {
    TVobeBox* under = Box("under", {0, 0, 40, 40}, Red);
    under->OnRBtnDown = "under";
    auto* menu = NewVobeObject<TCancelling>(&S);
    menu->SetParent(S.Base0);
    menu->SetBounds(30, 30, 10, 10);
    auto* other = NewVobeObject<TCancelling>(&S);
    other->SetParent(S.Base1); // another base: not asked
    S.RightClickList.Add(other);
    S.RightClickList.Add(menu);
    S.RightClickList.Add(menu); // no duplicates
    EXPECT_EQ(S.RightClickList.Count(), 2);
    S.PanelMouseMove(5, 5);
    S.PanelMouseDown(mbRight);
    S.PanelMouseUp();
    S.ProcessInput();
    EXPECT_EQ(menu->Cancelled, 1);
    EXPECT_EQ(other->Cancelled, 0);
    EXPECT_EQ(S.Events.Count(), 0);
    EXPECT_FALSE(S.Base0->RightClick);

    // A menu that declines lets the click through; one without the flag is not asked.
    menu->Answer = false;
    S.PanelMouseDown(mbRight);
    S.ProcessInput();
    EXPECT_EQ(menu->Cancelled, 2);
    EXPECT_EQ(S.Events.Count(), 1);
    menu->RClickScrap = false;
    S.PanelMouseUp();
    S.PanelMouseDown(mbRight);
    S.ProcessInput();
    EXPECT_EQ(menu->Cancelled, 2);
}

TEST_F(Scene, WheelAndFocusByClick) {
    TVobeBox* a = Box("a", {0, 0, 20, 20}, Red);
    TVobeBox* b = Box("b", {30, 0, 50, 20}, Blue);
    a->SetHandleKey(true);
    b->SetHandleKey(true);
    a->OnWheelDown = "wd";
    a->OnWheelUp = "wu";
    a->OnFocusIn = "a.in";
    b->OnFocusOut = "b.out";
    S.ProcessInput(); // refocus: the topmost focusable control
    EXPECT_EQ(S.Focused, b);
    S.PanelMouseMove(5, 5);
    S.PanelMouseWheel(true);
    S.PanelMouseWheel(false);
    S.ProcessInput();
    EXPECT_EQ(Kinds(), (std::vector<uint8_t>{PR_ONWHEELDOWN})); // one kind per frame, down first
    EXPECT_TRUE(S.Base0->WheelDown);
    EXPECT_TRUE(S.Base0->WheelUp);
    S.Events.Clear();
    S.PanelMouseWheel(false);
    S.ProcessInput();
    EXPECT_EQ(Kinds(), (std::vector<uint8_t>{PR_ONWHEELUP}));
    S.Events.Clear();

    S.PanelMouseDown(mbLeft);
    S.ProcessInput();
    EXPECT_EQ(S.Focused, a);
    EXPECT_EQ(Kinds(), (std::vector<uint8_t>{PR_ONFOCUSOUT, PR_ONFOCUSIN}));
}

TEST_F(Scene, DeletionWaitsForTheUpdate) {
    auto* q = NewVobeObject<TQuitter>(&S);
    q->SetParent(S.Base0);
    q->Paused = true;
    q->SetOnIdle("idle"); // not supported by this class: no idle handler
    S.Update();
    EXPECT_EQ(S.IndexOfObject(q), 0); // paused: kept
    q->Paused = false;
    auto* cab = NewVobeObject<TVobeCabinet>(&S);
    cab->SetParent(S.Base1);
    auto* frozen = NewVobeObject<TQuitter>(&S);
    frozen->SetParent(cab);
    TVobeBox* marked = Box("m", {0, 0, 4, 4}, Red);
    marked->IdleHandler = "idle";
    S.MarkDeleted(marked);
    EXPECT_EQ(S.FindComponent("m"), nullptr);
    S.Update();
    EXPECT_EQ(S.IndexOfObject(q), -1);
    EXPECT_EQ(S.IndexOfObject(marked), -1);
    EXPECT_GE(S.IndexOfObject(frozen), 0); // inside a cabinet: never by its own request
    EXPECT_EQ(S.Events.Count(), 0);        // a deleted object's name is gone, its idle event too
    EXPECT_TRUE(S.PendingDelete.empty());
}

TEST_F(Scene, ResetMakesNewPlainBases) {
    Box("a", {0, 0, 4, 4}, Red);
    S.Events.Post(S.Base0, "x", {}, 1);
    Panel.Cursor = {7, 9};
    TVobeBase* old = S.Base0;
    S.Reset();
    EXPECT_NE(S.Base0, nullptr);
    EXPECT_TRUE(S.Objects.empty());
    EXPECT_EQ(S.Events.Count(), 0);
    EXPECT_EQ(S.Base0->Width, 64);
    EXPECT_EQ(S.Base1->Height, 48);
    ASSERT_NE(S.Base1->Surface, nullptr);
    EXPECT_EQ(S.Base1->Surface->Width(), 64);
    EXPECT_EQ(S.Base0->MouseX, 7);
    EXPECT_EQ(S.Base1->MouseY, 9);
    (void)old;

    TVobeBox cinema(nullptr);
    TVobeBaseListCinema film(&cinema);
    EXPECT_NE(dynamic_cast<TVobeBaseCinema*>(film.Base0), nullptr);
    film.Reset();
    EXPECT_EQ(dynamic_cast<TVobeBaseCinema*>(film.Base0), nullptr);
    EXPECT_EQ(dynamic_cast<TVobeBaseCinema*>(film.Base1), nullptr);
}

TEST_F(Scene, CinemaBasesStandOnTheirCinema) {
    TVobeBox* cinema = Box("cinema", {20, 10, 40, 30}, Red);
    TVobeBaseListCinema film(cinema);
    film.SetWidth(30);
    film.SetHeight(30);
    auto* base = dynamic_cast<TVobeBaseCinema*>(film.Base0);
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(base->GetScreenLeft(), 20);
    EXPECT_EQ(base->GetLeft(), 20);
    EXPECT_EQ(base->GetSurface(), &Panel.Display);
    S.Base0->Dirty.Clear();
    base->Dirty.Clear();
    base->AddDirtyRect({0, 0, 30, 30}); // only the part on the cinema, here and on the cinema's base
    EXPECT_EQ(base->Dirty.Rects(), (std::vector<TRect>{{20, 10, 30, 30}}));
    EXPECT_EQ(FrontDirty(), (std::vector<TRect>{{20, 10, 30, 30}}));
    cinema->SetClipWidth(5);
    cinema->SetClipHeight(5);
    base->Dirty.Clear();
    base->AddDirtyRect({0, 0, 64, 48});
    EXPECT_EQ(base->Dirty.Rects(), (std::vector<TRect>{{20, 10, 25, 15}}));
    EXPECT_NE(film.Surface, nullptr); // a private scene has a picture of its own
    EXPECT_EQ(film.GetSurface(), film.Surface.get());
}

TEST_F(Scene, DisplayChangesRebuildEverySurface) {
    bool released = false, restored = false;
    FrameworkHooks.ReleasePictures = [&] { released = true; };
    FrameworkHooks.RestorePictures = [&] { restored = true; };
    Box("a", {0, 0, 4, 4}, Red);
    S.ReleaseSurfaces();
    EXPECT_TRUE(released);
    EXPECT_EQ(S.Base1->Surface, nullptr);
    Panel.HasDisplay = false;
    S.Draw(); // nothing to draw into: nothing happens
    Panel.Depth = 16;
    Panel.Display.SetSize(64, 48, 16);
    Panel.HasDisplay = true;
    S.Base0->Dirty.Clear();
    S.RestoreSurfaces();
    EXPECT_TRUE(restored);
    ASSERT_NE(S.Base1->Surface, nullptr);
    EXPECT_EQ(S.Base1->Surface->BitCount(), 16);
    EXPECT_EQ(FrontDirty(), (std::vector<TRect>{{0, 0, 64, 48}}));
    S.Draw();
    EXPECT_EQ(Px(1, 1), static_cast<uint32_t>(Panel.Display.ColorToPixel(Red)));
}

TEST_F(Scene, SwitchesTellTheirOwners) {
    std::vector<bool> sound, dither;
    FrameworkHooks.SetSoundOn = [&](bool v) { sound.push_back(v); };
    bool cacheDither = false;
    FrameworkHooks.GetDither = [&] { return cacheDither; };
    FrameworkHooks.SetDither = [&](bool v) {
        cacheDither = v;
        dither.push_back(v);
    };
    EXPECT_TRUE(S.SoundOn);
    S.SetSoundOn(true);
    S.SetSoundOn(false);
    EXPECT_EQ(sound, (std::vector<bool>{false}));
    S.SetDither(true);
    S.SetDither(true);
    EXPECT_EQ(dither, (std::vector<bool>{true}));
    EXPECT_EQ(S.Base1->Dirty.Rects(), (std::vector<TRect>{{0, 0, 64, 48}}));
}

TEST_F(Scene, SystemVariablesReadTheFrontBase) {
    TSceneValues v;
    TVobeBox* a = Box("a", {0, 0, 20, 20}, Red);
    TVobeBox* hidden = Box("hidden", {0, 0, 20, 20}, Red);
    a->SetHandleKey(true);
    hidden->SetHandleKey(true);
    hidden->SetVisible(false);
    S.PanelMouseMove(30, 25);
    S.PanelMouseDown(mbLeft);
    S.PanelMouseWheel(true);
    S.SetKeyState(40, true);
    S.SetKeyPressed(40);
    S.ProcessInput();
    EXPECT_TRUE(v.GetLClick());
    EXPECT_TRUE(v.IsLeftHeld());
    EXPECT_EQ(v.GetMouseX(), 30);
    EXPECT_EQ(v.GetMouseY(), 25);
    EXPECT_TRUE(v.KeyPush(40));
    EXPECT_TRUE(v.KeyClick(40));
    EXPECT_TRUE(v.KeyRepeat(40));
    EXPECT_FALSE(v.KeyPush(41));
    EXPECT_TRUE(v.KeyPush(256)); // the wheel turned down in this frame
    EXPECT_FALSE(v.KeyClick(257));
    EXPECT_TRUE(v.WheelDown());
    v.SetLClick(false);
    EXPECT_FALSE(S.Base0->LeftClick);
    EXPECT_EQ(v.GetActiveCompo(), "a");
    v.SetActiveCompo("hidden"); // not visible: refused
    EXPECT_EQ(v.GetActiveCompo(), "a");
    v.SetActiveCompo("nobody");
    EXPECT_EQ(v.GetActiveCompo(), "a");
    hidden->SetVisible(true);
    v.SetActiveCompo("hidden");
    EXPECT_EQ(v.GetActiveCompo(), "hidden");
    v.SetSoundON(false);
    EXPECT_FALSE(v.GetSoundON());
}

TEST(FrameworkStart, InitializeAndFinalize) {
    TFakePanel panel(32, 16, 16);
    std::vector<std::string> steps;
    FrameworkHooks.CreateTextHistory = [&] { steps.push_back("history"); };
    FrameworkHooks.FreeVaskMan = [&] { steps.push_back("vaskman.free"); };
    VobeInitialize(&panel);
    ASSERT_NE(Bases, nullptr);
    EXPECT_EQ(Bases->Scale, 100);
    EXPECT_EQ(Bases->Current, 0);
    ASSERT_NE(SelRectDIB, nullptr);
    EXPECT_EQ(SelRectDIB->GetPixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(SelRectDIB->GetPixel(1, 0), 0u);
    EXPECT_EQ(SelRectDIB->GetPixel(1, 1), 0xFFFFFFu);
    ASSERT_NE(TransBGDIB, nullptr);
    EXPECT_EQ(TransBGDIB->GetPixel(15, 15), 0xC0C0C0u);
    EXPECT_EQ(TransBGDIB->GetPixel(16, 15), 0x808080u);
    EXPECT_EQ(TransBGDIB->GetPixel(31, 31), 0xC0C0C0u);
    Bases->SetWidth(32);
    Bases->SetHeight(16);
    EXPECT_EQ(Bases->Surface, nullptr); // the game's scene shows on the display
    EXPECT_EQ(Bases->Base1->Surface->BitCount(), 16);
    VobeFinalize();
    EXPECT_EQ(Bases, nullptr);
    EXPECT_EQ(SelRectDIB, nullptr);
    EXPECT_EQ(BasePanel, nullptr);
    EXPECT_EQ(steps, (std::vector<std::string>{"history", "vaskman.free"}));
    FrameworkHooks = TFrameworkHooks{};
}

} // namespace
} // namespace vobe
