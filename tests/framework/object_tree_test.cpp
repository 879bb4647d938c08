// Naming, lookup, parents and children, order, placement, hit testing, events and deletion of the
// object tree.
#include <cmath>

#include <gtest/gtest.h>

#include "components/vobe_box.h"
#include "components/vobe_image.h"
#include "components/vobe_sound.h"
#include "framework/vobe_base_list.h"
#include "framework/vobe_cabinet.h"
#include "framework/vobe_prop_motion.h"
#include "framework/vobe_timer.h"
#include "graphics/dibx.h"
#include "platform/globals.h"

namespace vobe {
namespace {

const std::string kB0 = std::string("\x01") + "BASE0";
const std::string kB1 = std::string("\x01") + "BASE1";

class ObjectTree : public ::testing::Test {
protected:
    ObjectTree() {
        Scene.SetWidth(640);
        Scene.SetHeight(480);
    }
    template <class T> T* Add(const std::string& name, TVobeControl* parent = nullptr) {
        T* o = NewVobeObject<T>(&Scene);
        o->SetName(name);
        if (auto* c = dynamic_cast<TVobeControl*>(o)) c->SetParent(parent ? parent : Scene.Base0);
        return o;
    }
    std::vector<std::string> ChildNames(TVobeControl* c) {
        std::vector<std::string> v;
        for (TVobeObject* o : c->Children) v.push_back(o->Name);
        return v;
    }
    TVobeBaseList Scene;
};

TEST_F(ObjectTree, DefaultNamesAreTheFirstFreeObjectN) {
    TVobeBox* a = NewVobeObject<TVobeBox>(&Scene);
    TVobeBox* b = NewVobeObject<TVobeBox>(&Scene);
    TVobeBox* c = NewVobeObject<TVobeBox>(&Scene);
    EXPECT_EQ(a->Name, "object0");
    EXPECT_EQ(b->Name, "object1");
    EXPECT_EQ(c->Name, "object2");
    b->SetName("x");
    EXPECT_EQ(Scene.UniqueName("object"), "object1");
    EXPECT_EQ(NewVobeObject<TVobeBox>(&Scene)->Name, "object1");
    ASSERT_EQ(Scene.Objects.size(), 4u);
    EXPECT_EQ(Scene.Objects[0], a); // creation order
}

TEST_F(ObjectTree, ANewControlRenamesTheOlderOwner) {
    struct Case {
        std::string Old;
        std::vector<std::string> Taken;
        std::string Renamed;
    } cases[] = {
        {"btn", {}, "btn_2"},
        {"btn_3", {}, "btn_4"},
        {"btn_3", {"btn_4", "btn_5"}, "btn_6"},
        {"a_1", {}, "a_1_2"},
        {"a_x", {}, "a_x_2"},
        {"_5", {}, "_5_2"}, // the first byte never splits
        {"a_b_7", {}, "a_b_8"},
        {"x_2147483647", {}, "x_2147483648"},
        {"x_2147483648", {}, "x_2147483648_2"}, // beyond 32 bits: no number
        // 0x83 0x5F is one double-byte character: its trail byte is no "_".
        {"\x83_9", {}, "\x83_9_2"},
    };
    for (const Case& c : cases) {
        TVobeBaseList scene;
        TVobeBox* old = NewVobeObject<TVobeBox>(&scene);
        old->SetName(c.Old);
        for (const std::string& t : c.Taken) NewVobeObject<TVobeBox>(&scene)->SetName(t);
        TVobeBox* young = NewVobeObject<TVobeBox>(&scene);
        young->SetName(c.Old);
        EXPECT_EQ(young->Name, c.Old);
        EXPECT_EQ(old->Name, c.Renamed) << c.Old;
        EXPECT_FALSE(scene.IsDeleted(old));
    }
}

TEST_F(ObjectTree, ANewComponentReplacesTheOlderOne) {
    TVobeSound* old = Add<TVobeSound>("bgm");
    TVobeSound* young = Add<TVobeSound>("bgm");
    EXPECT_TRUE(Scene.IsDeleted(old));
    EXPECT_EQ(old->Name, "");
    EXPECT_EQ(Scene.FindComponent("bgm"), young);
    Scene.Update(); // deleted at the next frame
    EXPECT_EQ(Scene.IndexOfObject(old), -1);
    EXPECT_EQ(Scene.Objects.size(), 1u);
}

TEST_F(ObjectTree, LookupOfBasesAndNames) {
    TVobeBox* box = Add<TVobeBox>("box");
    TVobeSound* snd = Add<TVobeSound>("snd");
    Scene.Current = 1;
    EXPECT_EQ(Scene.FindComponent(""), Scene.Base1);
    EXPECT_EQ(Scene.FindComponent(kB0), Scene.Base1); // the front base, whichever it is
    EXPECT_EQ(Scene.FindComponent("\x01"), Scene.Base0);
    EXPECT_EQ(Scene.FindControl(kB0), Scene.Base0); // absolute
    EXPECT_EQ(Scene.FindControl(kB1), Scene.Base1);
    EXPECT_EQ(Scene.FindControl("\x01"), Scene.Base0);
    EXPECT_EQ(Scene.FindControl(""), Scene.Base1);
    EXPECT_EQ(Scene.FindComponent("snd"), snd);
    EXPECT_EQ(Scene.FindControl("snd"), nullptr); // not a control
    EXPECT_EQ(Scene.FindControl("box"), box);
    EXPECT_EQ(Scene.FindComponent("BOX"), nullptr); // exact, case-sensitive
    Scene.MarkDeleted(box);
    EXPECT_EQ(Scene.FindControl("box"), nullptr);

    std::vector<std::string> names;
    Add<TVobeBox>("b2");
    EXPECT_EQ(Scene.ListNames(names, ctBox, Scene.Base0), 1); // the deleted box is not listed
    EXPECT_EQ(names, std::vector<std::string>{"b2"});
    names.clear();
    EXPECT_EQ(Scene.ListNames(names, 0, &Scene), 2);
    EXPECT_EQ(Scene.ListNames(names, 0, nullptr), 0);
}

TEST_F(ObjectTree, ParentChanges) {
    TVobeBox* a = Add<TVobeBox>("a");
    TVobeBox* b = Add<TVobeBox>("b", a);
    TVobeBox* c = Add<TVobeBox>("c", b);
    EXPECT_EQ(c->GetParentName(), "b");
    a->SetParentName("c"); // a cycle: ignored
    EXPECT_EQ(a->Parent, Scene.Base0);
    a->SetParentName("a");
    EXPECT_EQ(a->Parent, Scene.Base0);
    c->SetParentName("nobody");
    EXPECT_EQ(c->Parent, b);
    c->SetParentName(""); // the front base
    EXPECT_EQ(c->Parent, Scene.Base0);
    EXPECT_EQ(ChildNames(b), std::vector<std::string>{});
    c->SetParentName("\x01"); // the back base
    EXPECT_EQ(c->Parent, Scene.Base1);
    Scene.Base0->SetParentName("a"); // a base has no parent
    EXPECT_EQ(Scene.Base0->Parent, nullptr);
    EXPECT_TRUE(a->IsAncestorOf(b));
    EXPECT_FALSE(b->IsAncestorOf(a));
    EXPECT_EQ(b->GetBase(), Scene.Base0);
    EXPECT_EQ(c->GetBase(), Scene.Base1);

    TVobeCabinet* cab = Add<TVobeCabinet>("cab");
    b->SetParent(cab);
    EXPECT_TRUE(b->InCabinet());
    EXPECT_FALSE(b->GetVisible());
    EXPECT_FALSE(cab->GetVisible());
}

TEST_F(ObjectTree, ChildOrder) {
    TVobeBox* p = Add<TVobeBox>("p");
    Add<TVobeBox>("b", p);
    Add<TVobeBox>("a", p);
    Add<TVobeBox>("\x01\x01", p);
    Add<TVobeBox>("\x01z", p);
    TVobeBox* low = Add<TVobeBox>("zz", p);
    low->SetPriority(-1);
    EXPECT_EQ(ChildNames(p), (std::vector<std::string>{"\x01z", "zz", "a", "b", "\x01\x01"}));
    TVobeBox* b = dynamic_cast<TVobeBox*>(Scene.FindControl("b"));
    b->MotionPriority = -5; // priorities count with the motion's offset
    p->SortChildren();
    EXPECT_EQ(ChildNames(p), (std::vector<std::string>{"\x01z", "b", "zz", "a", "\x01\x01"}));
    b->SetPriority(3); // clears the motion offset and re-sorts
    EXPECT_EQ(b->MotionPriority, 0);
    EXPECT_EQ(ChildNames(p), (std::vector<std::string>{"\x01z", "zz", "a", "b", "\x01\x01"}));
}

TEST_F(ObjectTree, Placement) {
    TVobeImage* img = Add<TVobeImage>("img");
    img->SetLeft(100);
    img->SetOffsetX(10);
    img->SetZoomX(512);
    EXPECT_EQ(img->GetScreenLeft(), 80);
    img->SetPosZoomed(true);
    EXPECT_EQ(img->GetScreenLeft(), 180);
    EXPECT_EQ(img->GetAnchorPoint().X, 200);

    TVobeBox* p = Add<TVobeBox>("p");
    p->SetBounds(20, 30, 100, 100);
    TVobeBox* c = Add<TVobeBox>("c", p);
    c->SetBounds(5, 6, 10, 10);
    c->SetPlusX(1);
    c->SetOffsetY(2);
    EXPECT_EQ(c->GetScreenRect(), Bounds(26, 34, 10, 10));
    EXPECT_EQ(c->GetLocalLeft(), 6);
    EXPECT_EQ(c->GetLocalTop(), 4);
    EXPECT_EQ(c->ClientToScreen(TPoint{1, 1}), (TPoint{27, 35}));
    c->MotionX = 99;
    c->SetLeft(5); // unchanged: MotionX stays
    EXPECT_EQ(c->MotionX, 99);
    c->SetLeft(7);
    EXPECT_EQ(c->MotionX, 0);
}

TEST_F(ObjectTree, HitTestFollowsIgnoreMouse) {
    TVobeBox* below = Add<TVobeBox>("below");
    below->SetBounds(0, 0, 100, 100);
    TVobeBox* top = Add<TVobeBox>("top");
    top->SetBounds(0, 0, 100, 100);
    const TAcceptSet left = AcceptSet({0, 4}), right = AcceptSet({0, 3}), hover = AcceptSet({0, 2, 3, 4});
    struct Case {
        int Ignore;
        TVobeObject* Left;
        TVobeObject* Right;
        TVobeObject* Hover;
    } cases[] = {
        {0, top, top, top},   {1, below, below, below}, {2, below, below, top},     {3, below, top, top},
        {4, top, below, top}, {5, below, below, below}, {255, below, below, below},
    };
    for (const Case& c : cases) {
        top->SetIgnoreMouse(c.Ignore);
        EXPECT_EQ(Scene.Base0->HitTest(TPoint{50, 50}, left), c.Left) << c.Ignore;
        EXPECT_EQ(Scene.Base0->HitTest(TPoint{50, 50}, right), c.Right) << c.Ignore;
        EXPECT_EQ(Scene.Base0->HitTest(TPoint{50, 50}, hover), c.Hover) << c.Ignore;
    }
    EXPECT_EQ(Scene.Base0->HitTest(TPoint{100, 50}, left), Scene.Base0); // right edge is outside
    top->SetVisible(false);
    top->SetIgnoreMouse(0);
    EXPECT_EQ(Scene.Base0->HitTest(TPoint{50, 50}, left), below);
}

TEST_F(ObjectTree, InvalidationIsClippedByParentAndClipRect) {
    TVobeBox* p = Add<TVobeBox>("p");
    p->SetBounds(100, 100, 50, 50);
    TVobeBox* c = Add<TVobeBox>("c", p);
    Scene.Base0->Dirty.Clear();
    c->SetBounds(40, 40, 30, 30); // 140..170 is cut to the parent's 150
    ASSERT_EQ(Scene.Base0->Dirty.Count(), 1);
    EXPECT_EQ(Scene.Base0->Dirty.Get(0), Rect(140, 140, 150, 150));
    Scene.Base0->Dirty.Clear();
    c->SetBounds(0, 0, 30, 30);
    Scene.Base0->Dirty.Clear();
    c->SetClipLeft(3);
    c->SetClipTop(4);
    c->SetClipWidth(1); // ClipHeight 0: still no clipping
    EXPECT_EQ(Scene.Base0->Dirty.Get(0), Bounds(100, 100, 30, 30));
    Scene.Base0->Dirty.Clear();
    c->SetClipHeight(1); // only the pixel (3, 4)
    Scene.Base0->Dirty.Clear();
    c->SetColor(5);
    ASSERT_EQ(Scene.Base0->Dirty.Count(), 1);
    EXPECT_EQ(Scene.Base0->Dirty.Get(0), Bounds(103, 104, 1, 1));
    Scene.Base0->Dirty.Clear();
    c->SetVisible(false);
    c->SetColor(6);                           // hidden: nothing to repaint
    EXPECT_EQ(Scene.Base0->Dirty.Count(), 1); // only the hiding itself
}

// A control that notes the clip it is drawn with.
class TProbe : public TVobeControl {
public:
    using TVobeControl::TVobeControl;
    std::vector<std::pair<std::string, TRect>>* Log = nullptr;
    void Draw() override {
        Log->push_back({Name, GetSurface()->ClipRect});
        DrawChildren();
    }
};

class TSurfaceBase : public TVobeBase {
public:
    using TVobeBase::TVobeBase;
    TDIBX Surface;
    TCustomDIBX* GetSurface() override { return &Surface; }
};

TEST_F(ObjectTree, DrawingNarrowsTheClipPerChild) {
    TSurfaceBase base(&Scene);
    base.Surface.SetSize(100, 100, 32);
    base.Width = base.Height = 100;
    std::vector<std::pair<std::string, TRect>> log;
    auto probe = [&](const std::string& name, TVobeControl* parent, TRect r) {
        TProbe* p = NewVobeObject<TProbe>(&Scene);
        p->Name = name;
        p->Log = &log;
        p->SetParent(parent);
        p->SetBounds(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
        return p;
    };
    TProbe* outer = probe("outer", &base, Rect(10, 10, 40, 40));
    probe("inner", outer, Rect(20, 20, 60, 60)); // at 30..70, cut by the outer's 40
    TProbe* pixel = probe("pixel", &base, Rect(50, 50, 60, 60));
    pixel->SetClipLeft(2);
    pixel->SetClipTop(3);
    pixel->SetClipWidth(1);
    pixel->SetClipHeight(1);
    probe("hidden", &base, Rect(0, 0, 10, 10))->SetVisible(false);
    probe("away", &base, Rect(200, 0, 210, 10));
    base.Surface.ResetClip();
    base.Draw();
    const std::vector<std::pair<std::string, TRect>> expected = {
        {"outer", Rect(10, 10, 40, 40)}, {"inner", Rect(30, 30, 40, 40)}, {"pixel", Rect(52, 53, 53, 54)}};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(base.Surface.ClipRect.Right, 0); // restored
    // Freed with the test's own base before the scene.
    for (TVobeObject* o : std::vector<TVobeObject*>(base.Children)) Scene.FreeObject(o);
}

TEST_F(ObjectTree, MouseEventsPostOncePerKind) {
    TVobeBox* b = Add<TVobeBox>("b");
    b->SetBounds(10, 20, 50, 50);
    b->OnLBtnDown = "down.vsb";
    b->OnMouseMove = "move.vsb";
    Scene.Base0->MouseX = 15;
    Scene.Base0->MouseY = 27;
    Scene.Base0->LeftClick = 1;
    b->MouseLeftDown();
    ASSERT_EQ(Scene.Events.Count(), 1);
    const TTimerData* e = Scene.Events.Items(0);
    EXPECT_EQ(e->Kind, PR_ONLBTNDOWN);
    EXPECT_EQ(e->Sender, b);
    EXPECT_EQ(e->Handler, "down.vsb");
    EXPECT_EQ(e->Args, (std::vector<std::string>{"5", "7"}));
    EXPECT_EQ(Scene.Base0->Capture & 4, 4);
    EXPECT_EQ(Scene.Base0->LeftClick, 0);
    b->MouseLeftDown(); // already queued: no second entry, no capture
    Scene.Base0->Capture = 0;
    b->MouseLeftDown();
    EXPECT_EQ(Scene.Events.Count(), 1);
    EXPECT_EQ(Scene.Base0->Capture, 0);
    b->MouseMove();
    b->MouseMove();
    EXPECT_EQ(Scene.Events.Count(), 2);
    b->MouseLeftUp(); // no handler: nothing posted, capture released
    EXPECT_EQ(Scene.Events.Count(), 2);

    b->SetIgnoreMouse(3); // right button and hover only
    Scene.Base0->LeftClick = 1;
    Scene.Events.Clear();
    b->MouseLeftDown();
    EXPECT_EQ(Scene.Events.Count(), 0);
    EXPECT_EQ(Scene.Base0->LeftClick, 1); // the click passes on
    b->SetIgnoreMouse(0);
    b->SetPaused(true);
    b->MouseLeftDown();
    EXPECT_EQ(Scene.Events.Count(), 0);
    EXPECT_EQ(Scene.Base0->LeftClick, 0); // paused: no event, but the latch is taken
}

TEST_F(ObjectTree, KeyEventsAndFocus) {
    TVobeBox* a = Add<TVobeBox>("a");
    TVobeBox* b = Add<TVobeBox>("b");
    a->SetHandleKey(true);
    b->SetHandleKey(true);
    EXPECT_TRUE(Scene.RefocusRequested);
    EXPECT_EQ(Scene.Base0->FindFocusable(), b); // the topmost
    b->SetVisible(false);
    EXPECT_EQ(Scene.Base0->FindFocusable(), a);
    a->OnFocusIn = "in";
    a->OnKeyDown = "key";
    Scene.SetFocus(a);
    EXPECT_FALSE(Scene.RefocusRequested);
    a->KeyDown();
    a->KeyDown();
    ASSERT_EQ(Scene.Events.Count(), 2);
    EXPECT_EQ(Scene.Events.Items(0)->Kind, PR_ONFOCUSIN);
    EXPECT_EQ(Scene.Events.Items(1)->Kind, PR_ONKEYDOWN);
    a->SetVisible(false); // hiding the focused control drops the focus
    EXPECT_EQ(Scene.Focused, nullptr);
    EXPECT_TRUE(Scene.RefocusRequested);
}

TEST_F(ObjectTree, DeletionIsDeferredAndFreesChildren) {
    TVobeBox* p = Add<TVobeBox>("p");
    TVobeBox* c = Add<TVobeBox>("c", p);
    Add<TVobeBox>("g", c);
    TVobeBox* keep = Add<TVobeBox>("keep");
    c->OnMouseMove = "m";
    c->MouseMove();
    Scene.Events.Post(c, "started", {}, PR_ONLBTNUP)->State = 1;
    Scene.SetFocus(c);
    Scene.Base0->Hover = c;
    Scene.MarkDeleted(p);
    EXPECT_EQ(Scene.Objects.size(), 4u); // still there until the update
    EXPECT_EQ(p->Name, "");
    Scene.Update();
    ASSERT_EQ(Scene.Objects.size(), 1u);
    EXPECT_EQ(Scene.Objects[0], keep);
    EXPECT_EQ(ChildNames(Scene.Base0), std::vector<std::string>{"keep"});
    EXPECT_EQ(Scene.Focused, nullptr);
    EXPECT_EQ(Scene.Base0->Hover, nullptr);
    ASSERT_EQ(Scene.Events.Count(), 1); // the pending entry went; the started one lost its sender
    EXPECT_EQ(Scene.Events.Items(0)->Sender, nullptr);
    EXPECT_TRUE(Scene.PendingDelete.empty());
}

TEST_F(ObjectTree, TimerPostsAtMostOneNotification) {
    GameClock = 1000;
    TVobeTimer* t = Add<TVobeTimer>("t");
    t->SetOnNotify("tick");
    t->SetDelay(100);
    auto step = [&](int32_t clock) {
        GameClock = clock;
        return Scene.Update();
    };
    step(1050);
    EXPECT_EQ(Scene.Events.Count(), 0);
    step(1100);
    ASSERT_EQ(Scene.Events.Count(), 1);
    EXPECT_EQ(Scene.Events.Items(0)->Kind, PR_ONNOTIFY);
    step(1200); // still queued: the period passes without a second entry
    EXPECT_EQ(Scene.Events.Count(), 1);
    Scene.Events.Clear(); // the handler ran
    step(1250);
    EXPECT_EQ(Scene.Events.Count(), 0);
    step(1420); // a late frame is caught up at the following ones
    EXPECT_EQ(Scene.Events.Count(), 1);
    EXPECT_EQ(t->LastTime, 1300);

    t->SetPaused(true); // restart: the pending notification is dropped
    EXPECT_EQ(Scene.Events.Count(), 0);
    step(5000);
    EXPECT_EQ(Scene.Events.Count(), 0);
    t->SetPaused(false);
    EXPECT_EQ(t->LastTime, 5000);

    t->SetDelay(-1);
    step(9000);
    EXPECT_EQ(Scene.Events.Count(), 0);
    TVobeTimer* once = Add<TVobeTimer>("once"); // every frame, deleted once handled
    once->AutoScrap = true;
    step(9001);
    ASSERT_EQ(Scene.Events.Count(), 1);
    EXPECT_EQ(Scene.Events.Items(0)->Handler, ""); // posted even without a handler
    step(9002);                                    // not handled yet: the timer stays
    EXPECT_EQ(Scene.FindComponent("once"), once);
    Scene.Events.Clear();
    step(9003);
    EXPECT_EQ(Scene.FindComponent("once"), nullptr);
    EXPECT_EQ(Scene.FindComponent("t"), t);
}

TEST_F(ObjectTree, PropertyMotion) {
    FrameDelta = 100;
    TVobeBox* box = Add<TVobeBox>("box");
    box->SetLeft(10);
    auto motion = [&](int32_t duration, uint8_t mode) {
        TVobePropMotion* m = Add<TVobePropMotion>("");
        m->TargetName = "box";
        m->PropId = PR_LEFT;
        m->EndValue = 1010;
        m->Duration = duration;
        m->Mode = mode;
        return m;
    };
    // Duration 0 or 1: the end value in the first step, then the motion is gone.
    for (int32_t d : {0, 1}) {
        box->SetLeft(10);
        TVobePropMotion* m = motion(d, 0);
        Scene.Update();
        EXPECT_EQ(box->Left, 1010);
        EXPECT_EQ(Scene.IndexOfObject(m), -1);
    }
    box->SetLeft(10);
    TVobePropMotion* m = motion(1000, 0);
    std::vector<int32_t> seen;
    for (int i = 0; i < 12; ++i) {
        Scene.Update();
        seen.push_back(box->Left);
    }
    // The start value is read at the first step; 500 ms is half way; the end at Duration - 1 or more.
    EXPECT_EQ(seen, (std::vector<int32_t>{10, 110, 210, 310, 410, 510, 610, 710, 810, 910, 1010, 1010}));
    EXPECT_EQ(Scene.IndexOfObject(m), -1);

    box->SetLeft(10);
    m = motion(1000, 2); // ease out
    Scene.Update();
    Scene.Update();
    EXPECT_EQ(box->Left, static_cast<int32_t>(std::sin(100 * 3.14159265358979 / 2 / 1000) * 1000 + 10));
    Scene.MarkDeleted(box); // the target goes: the motion deletes itself without writing
    Scene.Update();
    // A new object, perhaps made where the old one was in memory, is not the motion's target.
    TVobeBox* next = Add<TVobeBox>("next");
    next->SetLeft(10);
    Scene.Update();
    EXPECT_EQ(Scene.IndexOfObject(m), -1);
    EXPECT_EQ(next->Left, 10);

    TVobePropMotion* lost = motion(1000, 0);
    lost->TargetName = "nobody";
    Scene.Update();
    EXPECT_EQ(Scene.IndexOfObject(lost), -1);
}

TEST_F(ObjectTree, IdleEventsSkipCabinets) {
    TVobeBox* a = Add<TVobeBox>("a");
    a->IdleHandler = "idle";
    TVobeCabinet* cab = Add<TVobeCabinet>("cab");
    TVobeBox* frozen = Add<TVobeBox>("frozen", cab);
    frozen->IdleHandler = "idle";
    Scene.Update();
    Scene.Update();
    ASSERT_EQ(Scene.Events.Count(), 1);
    EXPECT_EQ(Scene.Events.Items(0)->Sender, a);
    EXPECT_EQ(Scene.Events.Items(0)->Kind, PR_ONIDLE);
}

} // namespace
} // namespace vobe
