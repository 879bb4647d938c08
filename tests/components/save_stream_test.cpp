// The object tree in the game save: a round trip over every type code, a record of an old version
// built byte by byte, and damaged records.
#include <gtest/gtest.h>

#include "archive/stream.h"
#include "components/vobe_button.h"
#include "components/vobe_list_box.h"
#include "components/vobe_mes.h"
#include "components/vobe_particle.h"
#include "components/vobe_sound.h"
#include "framework/prop_set.h"
#include "framework/vobe_base_list.h"
#include "framework/vobe_factory.h"
#include "framework/vobe_prop_motion.h"
#include "framework/vobe_timer.h"
#include "platform/error.h"
#include "values/param.h"

namespace vobe {
namespace {

const uint8_t kCodes[] = {ctBox,     ctButton,   ctCinema,     ctEdit,   ctFire,     ctHttp,      ctImages,
                          ctLabel,   ctMemo,     ctMenu,       ctMes,    ctParticle, ctTimer,     ctVideo,
                          ctSound,   ctMapImage, ctWave,       ctTile,   ctSlider,   ctScrollbar, ctGauge,
                          ctCGLabel, ctPrevMenu, ctPropMotion, ctCabinet};

// The offset of the first byte where two records differ, or -1.
int64_t FirstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return static_cast<int64_t>(i);
    return a.size() == b.size() ? -1 : static_cast<int64_t>(n);
}

std::vector<uint8_t> Save(TVobeBaseList& scene) {
    TMemoryStream s;
    scene.SaveToStream(s);
    return s.Bytes();
}

void Load(TVobeBaseList& scene, const std::vector<uint8_t>& bytes, int32_t version = VobeSaveVersion) {
    TReadOnlyMemoryStream s(bytes.data(), static_cast<int64_t>(bytes.size()));
    scene.LoadFromStream(s, version);
    EXPECT_EQ(s.Remaining(), 0);
}

// Gives every property a value of its own, through the dispatcher, as a script would.
void SetAll(TVobeObject* o, int32_t salt) {
    for (int32_t id = 0; id < PROP_COUNT; ++id) {
        if (id == PR_NAME || id == PR_PARENT || id == PR_APPEARX || id == PR_APPEARY || id == PR_VISIBLE ||
            id == PR_SOURCE || id == PR_TEXT || id == PR_INDEX)
            continue;
        const TPropInfo& info = PropInfo(id);
        std::unique_ptr<TCustomParam> p;
        switch (info.Value) {
        case pkInt:
            p = CreateParam(PT_INT);
            p->SetAsInt(id == PR_FONTSTYLE || id == PR_FONTHOVERSTYLE ? 3 : (id * 7 + salt) % 200 + 1);
            break;
        case pkFlag:
            p = CreateParam(PT_BOOL);
            p->SetAsBool((id + salt) % 2 == 0);
            break;
        case pkFloat:
            p = CreateParam(PT_FLOAT);
            p->SetAsFloat(id + salt + 0.25L);
            break;
        case pkString:
            p = CreateParam(PT_STR);
            p->SetAsStr("h" + std::to_string(id) + "_" + std::to_string(salt));
            break;
        }
        SetProp(o, id, *p);
    }
    // Loading mutes or rewinds by these: a round trip keeps what they leave alone.
    auto off = CreateParam(PT_BOOL);
    SetProp(o, PR_MUTEONLOAD, *off);
    SetProp(o, PR_REWINDONLOAD, *off);
    auto text = CreateParam(PT_STR);
    text->SetAsStr("line one\r\nline two");
    SetProp(o, PR_TEXT, *text);
    text->SetAsStr("file" + std::to_string(salt) + ".vsk");
    SetProp(o, PR_SOURCE, *text);
}

class SaveStream : public ::testing::Test {
protected:
    SaveStream() {
        Scene.SetWidth(800);
        Scene.SetHeight(600);
    }
    TVobeBaseList Scene;
};

TEST_F(SaveStream, EveryTypeCodeRoundTrips) {
    // Controls side by side on base 0 and nested under a box on base 1; components at the top.
    TVobeObject* holder = CreateVobeObject(ctBox, &Scene);
    holder->SetName("holder");
    dynamic_cast<TVobeControl*>(holder)->SetParent(Scene.Base1);
    int32_t salt = 0;
    for (uint8_t code : kCodes)
        for (int copy = 0; copy < 2; ++copy) {
            TVobeObject* o = CreateVobeObject(code, &Scene);
            SetAll(o, ++salt);
            o->SetName("c" + std::to_string(code) + "_" + std::to_string(copy));
            if (auto* c = dynamic_cast<TVobeControl*>(o))
                c->SetParent(copy == 0 ? Scene.Base0 : dynamic_cast<TVobeControl*>(holder));
        }
    // Objects that are never saved: reserved names, deleted objects, classes of type code 0.
    TVobeObject* reserved = CreateVobeObject(ctBox, &Scene);
    reserved->SetName("\x01item");
    dynamic_cast<TVobeControl*>(reserved)->SetParent(Scene.Base0);
    TVobeObject* gone = CreateVobeObject(ctSound, &Scene);
    gone->SetName("gone");
    Scene.MarkDeleted(gone);
    NewVobeObject<TVobeImage>(&Scene)->SetParent(Scene.Base0);
    // The event queue and the focus.
    TVobeObject* sender = Scene.FindComponent("c2_0");
    Scene.Events.Post(sender, "page.vsb", {"1", "two"}, PR_ONLBTNDOWN)->State = 3;
    Scene.Events.Post(Scene.FindComponent("c15_0"), "tick.vsb", {}, PR_ONNOTIFY);
    Scene.Events.Post(gone, "lost.vsb", {}, PR_ONPLAYEND);
    Scene.Focused = dynamic_cast<TVobeControl*>(Scene.FindComponent("c5_0"));
    // Message text data that only the interpreter and the history fill.
    auto* mes = dynamic_cast<TVobeMes*>(Scene.FindComponent("c13_0"));
    mes->MesData.Segments.Add("a.vsb", 3, 0, -1, 40, "v=1");
    mes->MesData.Segments.Add("A.VSB", 4, 2, 5, 20, "");
    mes->MesData.OldPages = {"p.vsb", ""};
    mes->MesData.OldCommands = {1, 2};
    mes->MesData.OldIndices = {0, 1};
    mes->MesData.OldSizes = {TPoint{640, 100}, TPoint{320, 50}};
    mes->Aux = 5;
    mes->Reserved[1] = "r";
    mes->SavedPageStates = {1, 2, 3};
    EXPECT_EQ(mes->MesData.Segments.Page[1], ""); // the same page is stored once
    Scene.Current = 1;

    const std::vector<uint8_t> first = Save(Scene);
    TVobeBaseList loaded;
    Load(loaded, first);
    const std::vector<uint8_t> second = Save(loaded);
    EXPECT_EQ(FirstDifference(first, second), -1) << first.size() << " / " << second.size();

    EXPECT_EQ(loaded.Width, 800);
    EXPECT_EQ(loaded.Current, 1);
    for (uint8_t code : kCodes)
        for (int copy = 0; copy < 2; ++copy) {
            const std::string name = "c" + std::to_string(code) + "_" + std::to_string(copy);
            TVobeObject* o = loaded.FindComponent(name);
            ASSERT_NE(o, nullptr) << name;
            EXPECT_EQ(o->GetCompoType(), code);
            if (auto* c = dynamic_cast<TVobeControl*>(o)) {
                EXPECT_EQ(c->GetParentName(), copy == 0 ? "\x01"
                                                          "BASE0"
                                                        : "holder")
                    << name;
            }
        }
    auto* mes2 = dynamic_cast<TVobeMes*>(loaded.FindComponent("c13_0"));
    EXPECT_EQ(mes2->MesData.Segments.TotalLength, 60);
    EXPECT_EQ(mes2->PageStates->GetSize(), 3); // kept for after the load
    EXPECT_EQ(loaded.FindComponent("\x01item"), nullptr);
    EXPECT_EQ(loaded.FindComponent("gone"), nullptr);
    ASSERT_EQ(loaded.Events.Count(), 3);
    EXPECT_EQ(loaded.Events.Items(0)->Sender, loaded.FindComponent("c2_0"));
    EXPECT_EQ(loaded.Events.Items(0)->Args, (std::vector<std::string>{"1", "two"}));
    EXPECT_EQ(loaded.Events.Items(0)->State, 3);
    EXPECT_EQ(loaded.Events.Items(2)->Sender, nullptr); // its sender was no longer in the scene
    ASSERT_NE(loaded.Focused, nullptr);
    EXPECT_EQ(loaded.Focused->Name, "c5_0");
    // Children come back in their order.
    auto* holder2 = dynamic_cast<TVobeControl*>(loaded.FindComponent("holder"));
    auto* holder1 = dynamic_cast<TVobeControl*>(holder);
    ASSERT_EQ(holder2->Children.size(), holder1->Children.size());
    for (size_t i = 0; i < holder1->Children.size(); ++i)
        EXPECT_EQ(holder2->Children[i]->Name, holder1->Children[i]->Name);
}

TEST_F(SaveStream, LoadReplacesTheScene) {
    CreateVobeObject(ctSound, &Scene)->SetName("old");
    TVobeBaseList empty;
    empty.SetWidth(320);
    empty.SetHeight(200);
    Load(Scene, Save(empty));
    EXPECT_EQ(Scene.Objects.size(), 0u);
    EXPECT_EQ(Scene.Width, 320);
    EXPECT_EQ(Scene.Base0->Dirty.Count(), 1); // both bases are redrawn whole
    EXPECT_EQ(Scene.Base0->Dirty.Get(0), Bounds(0, 0, 320, 200));
}

// Little-endian bytes written by hand, independent of the writers.
struct Bytes {
    std::vector<uint8_t> B;
    Bytes& I(int32_t v) {
        for (int k = 0; k < 4; ++k) B.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * k)));
        return *this;
    }
    Bytes& U(uint8_t v) {
        B.push_back(v);
        return *this;
    }
    Bytes& S(const std::string& s) {
        I(static_cast<int32_t>(s.size()));
        B.insert(B.end(), s.begin(), s.end());
        return *this;
    }
};

// A control record of version 103: no motion priority or tag, no motion position, clip, AniPaused or
// key handlers; the mouse-in handler exists (above 101).
Bytes& Control103(Bytes& b, const std::string& name, int32_t left, int32_t childCount) {
    b.S(name).I(7);                        // Name, Priority
    b.I(left).I(20).I(30).I(40).I(1).I(2); // Left, Top, Width, Height, OffsetX, OffsetY
    b.U(1);                                // PosZoomed
    b.U(1).I(0x123456);                    // Visible, Color
    b.I(0).I(0).I(5).I(6);                 // HitRect
    b.U(3).S("hand.cur");                  // IgnoreMouse, Cursor
    b.S("move").S("in").S("out").S("ld").S("lu").S("rd").S("ru").S("wd").S("wu");
    return b.I(childCount);
}

TEST_F(SaveStream, Version103RecordBuiltByHand) {
    Bytes b;
    b.I(640).I(480).I(0);
    Control103(b,
               "\x01"
               "BASE0",
               0, 1);
    b.U(ctBox);
    Control103(b, "box", 11, 0);
    b.I(2).I(-1).I(300); // BorderWidth, BorderColor, Alpha (nothing more before 104)
    Control103(b,
               "\x01"
               "BASE1",
               0, 0);
    b.I(1).U(ctTimer).S("timer").I(0).S("tick.vsb").I(500).U(1);       // no AutoScrap and Fired before 104
    b.I(1).S("tick.vsb").S("timer").U(PR_ONNOTIFY).U(9).I(1).S("arg"); // state as one byte up to 113
    // no focused name before 119

    TVobeBaseList scene;
    Load(scene, b.B, 103);
    auto* box = dynamic_cast<TVobeControl*>(scene.FindControl("box"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->Parent, scene.Base0);
    EXPECT_EQ(box->Priority, 7);
    EXPECT_EQ(box->MotionPriority, 0);
    EXPECT_EQ(box->Tag, "");
    EXPECT_EQ(box->Left, 11);
    EXPECT_EQ(box->Width, 30);
    EXPECT_EQ(box->OffsetY, 2);
    EXPECT_TRUE(box->PosZoomed);
    EXPECT_EQ(box->Color, 0x123456);
    EXPECT_EQ(box->HitRect, Rect(0, 0, 5, 6));
    EXPECT_EQ(box->IgnoreMouse, 3);
    EXPECT_EQ(box->Cursor, "hand.cur");
    EXPECT_EQ(box->OnMouseIn, "in");
    EXPECT_EQ(box->OnWheelUp, "wu");
    EXPECT_EQ(box->ClipWidth, 0);
    EXPECT_FALSE(box->AniPaused);
    EXPECT_FALSE(box->HandleKey);
    EXPECT_EQ(box->OnKeyDown, "");
    EXPECT_EQ(box->MotionX, 0);
    EXPECT_EQ(box->GetBorderWidth(), 2);
    EXPECT_EQ(box->GetBorderColor(), -1);
    EXPECT_EQ(box->GetAlpha(), 300);
    EXPECT_EQ(box->GetSource(), "");
    auto* timer = dynamic_cast<TVobeTimer*>(scene.FindComponent("timer"));
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->NotifyHandler, "tick.vsb");
    EXPECT_EQ(timer->Delay, 500);
    EXPECT_TRUE(timer->Paused);
    EXPECT_FALSE(timer->AutoScrap);
    ASSERT_EQ(scene.Events.Count(), 1);
    EXPECT_EQ(scene.Events.Items(0)->Sender, timer);
    EXPECT_EQ(scene.Events.Items(0)->State, 1);
    EXPECT_EQ(scene.Focused, nullptr);
}

TEST_F(SaveStream, DamagedRecordsStopWithAnError) {
    TVobeObject* box = CreateVobeObject(ctBox, &Scene);
    dynamic_cast<TVobeControl*>(box)->SetParent(Scene.Base0);
    TVobeObject* mes = CreateVobeObject(ctMes, &Scene);
    dynamic_cast<TVobeControl*>(mes)->SetParent(dynamic_cast<TVobeControl*>(box));
    CreateVobeObject(ctPropMotion, &Scene);
    Scene.Events.Post(box, "x", {"a"}, PR_ONMOUSEMOVE);
    const std::vector<uint8_t> good = Save(Scene);
    // Every cut of the record fails cleanly.
    for (size_t n = 0; n < good.size(); ++n) {
        TVobeBaseList scene;
        std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        TReadOnlyMemoryStream s(cut.data(), static_cast<int64_t>(cut.size()));
        EXPECT_THROW(scene.LoadFromStream(s, VobeSaveVersion), EVobeError) << n;
    }

    struct Case {
        const char* What;
        std::function<void(Bytes&)> Build;
    } cases[] = {
        {"unknown child type",
         [](Bytes& b) {
             Control103(b,
                        "\x01"
                        "BASE0",
                        0, 1)
                 .U(10);
         }},
        {"unknown component type",
         [](Bytes& b) {
             Control103(b,
                        "\x01"
                        "BASE0",
                        0, 0);
             Control103(b,
                        "\x01"
                        "BASE1",
                        0, 0)
                 .I(1)
                 .U(0x80);
         }},
        {"child count beyond the data",
         [](Bytes& b) {
             Control103(b,
                        "\x01"
                        "BASE0",
                        0, 0x7FFFFFFF);
         }},
        {"negative child count",
         [](Bytes& b) {
             Control103(b,
                        "\x01"
                        "BASE0",
                        0, -1);
         }},
        {"event count beyond the data",
         [](Bytes& b) {
             Control103(b,
                        "\x01"
                        "BASE0",
                        0, 0);
             Control103(b,
                        "\x01"
                        "BASE1",
                        0, 0)
                 .I(0)
                 .I(100000);
         }},
        {"argument count beyond the data",
         [](Bytes& b) {
             Control103(b,
                        "\x01"
                        "BASE0",
                        0, 0);
             Control103(b,
                        "\x01"
                        "BASE1",
                        0, 0)
                 .I(0)
                 .I(1)
                 .S("h")
                 .S("")
                 .U(1)
                 .U(0)
                 .I(50000);
         }},
    };
    for (const Case& c : cases) {
        Bytes b;
        b.I(10).I(10).I(0);
        c.Build(b);
        TVobeBaseList scene;
        TReadOnlyMemoryStream s(b.B.data(), static_cast<int64_t>(b.B.size()));
        EXPECT_THROW(scene.LoadFromStream(s, 103), EVobeError) << c.What;
    }
    Bytes badBase;
    badBase.I(10).I(10).I(2);
    TVobeBaseList scene;
    TReadOnlyMemoryStream s(badBase.B.data(), static_cast<int64_t>(badBase.B.size()));
    EXPECT_THROW(scene.LoadFromStream(s, 103), EVobeError);
}

TEST_F(SaveStream, DeepNestingIsRefused) {
    Bytes b;
    b.I(10).I(10).I(0);
    for (int depth = 0; depth < 1000; ++depth) Control103(b, "n", 0, 1).U(ctBox);
    TVobeBaseList scene;
    TReadOnlyMemoryStream s(b.B.data(), static_cast<int64_t>(b.B.size()));
    EXPECT_THROW(scene.LoadFromStream(s, 103), EVobeError);
}

} // namespace
} // namespace vobe
