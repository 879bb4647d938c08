// The commands that act on the scene: property access and its errors, deletion, cabinets and their
// name lists, the flip with and without a transition, media stop, property motions.
#include <gtest/gtest.h>

#include "components/vobe_box.h"
#include "components/vobe_image.h"
#include "components/vobe_mes.h"
#include "components/vobe_sound.h"
#include "framework/scene_wipe.h"
#include "framework/vobe_base_list.h"
#include "framework/vobe_cabinet.h"
#include "framework/vobe_initialize.h"
#include "framework/vobe_prop_motion.h"
#include "graphics/dibx.h"
#include "platform/cp932.h"
#include "platform/error.h"
#include "platform/globals.h"
#include "script/call_man.h"
#include "script/object_commands.h"
#include "script/page.h"
#include "values/build_vobe_parser.h"
#include "values/param_collection.h"

namespace vobe {
namespace {

// A transition that only keeps its times.
class TStubWipe : public TSceneWipe {
public:
    int32_t GetElapsed() override { return Elapsed; }
    void SetElapsed(int32_t v) override { Elapsed = v; }
    int32_t GetDuration() override { return Duration; }
    void SetDuration(int32_t v) override { Duration = v; }
    void SetReverse(bool) override {}
    bool Step() override { return Elapsed >= Duration; }
    TRect ChangedRect() override { return TRect{}; }
    int32_t Elapsed = 0, Duration = 0;
};

// The window's panel: a display surface of the scene's size.
class TTestPanel : public TBasePanel {
public:
    TTestPanel() { Display.SetSize(32, 24, 32); }
    TCustomDIBX* GetDisplaySurface() override { return &Display; }
    int32_t DisplayDepth() override { return 32; }
    TPoint GetCursorPos() override { return TPoint{}; }
    TDIBX Display;
};

class SceneCommands : public ::testing::Test {
protected:
    SceneCommands() {
        CreateParamCollection();
        SavedPanel = BasePanel;
        BasePanel = &Panel;
        Bases = &Scene;
        Scene.SetWidth(32);
        Scene.SetHeight(24);
        SavedClock = GameClock;
        SavedHooks = FrameworkHooks;
    }
    ~SceneCommands() override {
        FrameworkHooks = SavedHooks;
        GameClock = SavedClock;
        Scene.Reset();
        Bases = nullptr;
        BasePanel = SavedPanel;
        FreeParamCollection();
    }
    static TExprPtr E(const std::string& text) {
        auto e = std::make_unique<TVobeParser>();
        CompileExpression(text, *e);
        return e;
    }
    // Executes once from pc 3; the new pc.
    int32_t Run(TCommand& c) {
        TPage* p = &Page;
        int32_t pc = 3;
        c.Execute(Man, p, pc);
        return pc;
    }
    TVobeBox* Box(const std::string& name, TVobeControl* parent) {
        auto* b = NewVobeObject<TVobeBox>(&Scene);
        b->SetName(name);
        b->SetParent(parent);
        return b;
    }
    std::vector<std::string> Names(TVobeControl* c) {
        std::vector<std::string> n;
        for (TVobeObject* o : c->Children)
            if (!Scene.IsDeleted(o)) n.push_back(o->GetName());
        return n;
    }
    TTestPanel Panel;
    TBasePanel* SavedPanel = nullptr;
    TVobeBaseList Scene;
    TPage Page;
    TCallMan Man;
    int32_t SavedClock = 0;
    TFrameworkHooks SavedHooks;
};

TEST_F(SceneCommands, PropertiesAreReadAndWritten) {
    TVobeBox* b = Box("b", Scene.FrontBase());
    TComSetProp set(&Page);
    set.FObject = E("\"b\"");
    set.FPropId = E("8");
    set.FValue = E("0x123456");
    EXPECT_EQ(Run(set), 4);
    EXPECT_EQ(b->GetColor(), 0x123456);
    set.FValue = E("");
    Run(set); // no value: nothing
    EXPECT_EQ(b->GetColor(), 0x123456);
    set.FValue = E("1");

    ParamCollection->AddNamedParam(PT_INT, "w");
    TComGetProp get(&Page);
    get.FObject = E("\"b\"");
    get.FPropId = E("8");
    get.FVarName = "w";
    EXPECT_EQ(Run(get), 4);
    EXPECT_EQ(ParamCollection->FindItem("w")->GetAsInt(), 0x123456);
    get.FVarName = "missing";
    EXPECT_EQ(Run(get), 4);
    get.FVarName = "w";

    // A missing id is the command's error; an unknown object is nothing at all.
    for (TCommand* c : std::initializer_list<TCommand*>{&set, &get}) {
        auto& id = c == &set ? set.FPropId : get.FPropId;
        id = E("");
        try {
            Run(*c);
            ADD_FAILURE();
        } catch (const EVobeError& e) {
            EXPECT_EQ(e.Message(), SJ("プロパティ指定が不正です"));
        }
        id = E("500");
        EXPECT_THROW(Run(*c), EVobeError);
    }
    set.FObject = E("\"nobody\"");
    EXPECT_EQ(Run(set), 4);
}

TEST_F(SceneCommands, DeleteMarksTheObject) {
    TVobeBox* b = Box("b", Scene.FrontBase());
    TComObjDel del(&Page);
    del.FObject = E("\"b\"");
    EXPECT_EQ(Run(del), 4);
    EXPECT_TRUE(Scene.IsDeleted(b));
    EXPECT_EQ(Scene.FindComponent("b"), nullptr);
    EXPECT_EQ(Run(del), 4); // gone: nothing
}

TEST_F(SceneCommands, CabinetsTakeAndGiveBackNamedChildren) {
    TVobeBase* back = Scene.BackBase();
    for (const char* n : {"a", "b", "c"}) Box(n, back);
    Page.SetMaskBit(ckCabinetSave, PR_NAME, true);
    TComCabinetSave named(&Page);
    named.FProps[PR_NAME] = E("\"cab\"");
    named.FNames.push_back(E("\"z\r\na\""));
    named.FNames.push_back(E("\"c\""));
    EXPECT_EQ(Run(named), 4);
    auto* cab = dynamic_cast<TVobeCabinet*>(Scene.FindComponent("cab"));
    ASSERT_NE(cab, nullptr);
    EXPECT_EQ(cab->Parent, Scene.Base0);
    EXPECT_EQ(Names(cab), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(Names(back), (std::vector<std::string>{"b"}));

    // Inverted by the mode: everything not listed.
    named.FMode = E("TRUE");
    named.FNames.clear();
    named.FNames.push_back(E("\"x\""));
    Run(named);
    EXPECT_EQ(Names(cab), (std::vector<std::string>{"a", "b", "c"}));

    TComCabinetLoad load(&Page);
    load.FProps[PR_NAME] = E("\"cab\"");
    load.FNames.push_back(E("\"b\""));
    EXPECT_EQ(Run(load), 4);
    EXPECT_EQ(Names(back), (std::vector<std::string>{"b"}));
    load.FMode = E("TRUE");
    load.FNames.clear();
    Run(load); // every child comes back; the empty cabinet goes
    EXPECT_EQ(Names(back), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(Scene.IsDeleted(cab));
}

TEST_F(SceneCommands, AFlipWithoutTimeExchangesTheBasesInTheNextStep) {
    TComFlip flip(&Page);
    flip.FTime = E("0");
    EXPECT_FALSE(flip.IsWaiting());
    flip.Prepare(Man);
    EXPECT_EQ(Scene.Current, 0);
    EXPECT_EQ(Run(flip), 3); // the first step only counts
    EXPECT_EQ(Scene.Current, 0);
    EXPECT_EQ(Run(flip), 4);
    EXPECT_EQ(Scene.Current, 1);
}

TEST_F(SceneCommands, AFlipWithATransitionHoldsForItsDuration) {
    TStubWipe* wipe = nullptr;
    FrameworkHooks.CreateWipe = [&wipe](int32_t, TCustomDIBX*, TCustomDIBX*, TCustomDIBX*) {
        auto w = std::make_unique<TStubWipe>();
        wipe = w.get();
        return std::unique_ptr<TSceneWipe>(std::move(w));
    };
    TComFlip flip(&Page);
    flip.FFlipKind = E("1");
    flip.FTime = E("300");
    EXPECT_TRUE(flip.IsWaiting());
    GameClock = 1000;
    flip.Prepare(Man);
    ASSERT_NE(wipe, nullptr);
    EXPECT_EQ(wipe->Duration, 300);
    EXPECT_EQ(Run(flip), 3);
    GameClock = 1016;
    EXPECT_EQ(Run(flip), 3); // the second step starts the clock
    GameClock = 1315;
    EXPECT_EQ(Run(flip), 3);
    EXPECT_EQ(wipe->Elapsed, 299);
    EXPECT_EQ(Scene.Current, 0);
    GameClock = 1316;
    EXPECT_EQ(Run(flip), 4);
    EXPECT_EQ(Scene.Current, 1);
    EXPECT_EQ(Scene.Wipe, nullptr);
}

TEST_F(SceneCommands, AFlipMovesChildrenUnderASnapshotAndClearsTheBack) {
    TVobeBase* front = Scene.FrontBase();
    for (const char* n : {"bg", "x", "y"}) Box(n, front);
    Box("old", Scene.BackBase());
    auto* cab = NewVobeObject<TVobeCabinet>(&Scene);
    cab->SetName("keep");
    cab->SetParent(Scene.BackBase());
    TComFlip flip(&Page);
    flip.FTime = E("100");
    flip.FMoveMode = E("0");
    flip.FNames.push_back(E("\"bg\""));
    flip.FClearBack = E("TRUE");
    flip.Prepare(Man);
    // Every child but bg went to the back base; the snapshot shows what was there.
    ASSERT_EQ(front->Children.size(), 2u);
    EXPECT_EQ(front->Children[0]->GetName(), "bg");
    EXPECT_EQ(front->Children[1]->GetName(), TComFlip::SnapshotName);
    auto* snap = dynamic_cast<TVobeImage*>(front->Children[1]);
    ASSERT_NE(snap, nullptr);
    EXPECT_EQ(snap->Width, 32);
    EXPECT_EQ(snap->Height, 24);
    EXPECT_EQ(snap->IgnoreMouse, 1);
    Run(flip);
    Run(flip); // no transition runs: the flip ends at its second step
    EXPECT_EQ(Scene.Current, 1);
    EXPECT_TRUE(Scene.IsDeleted(snap));
    // The new back base (the old front) is cleared, except cabinets.
    EXPECT_TRUE(Names(Scene.BackBase()).empty());
    EXPECT_EQ(Names(Scene.FrontBase()), (std::vector<std::string>{"keep", "old", "x", "y"}));
}

TEST_F(SceneCommands, MediaStopWithoutTimeRemovesAtOnce) {
    auto* s = NewVobeObject<TVobeSound>(&Scene);
    s->SetName("bgm");
    TComMovieStop stop(&Page);
    stop.FObject = E("\"bgm\"");
    stop.FTime = E("0");
    stop.FWait = E("TRUE");
    stop.Prepare(Man);
    EXPECT_TRUE(Scene.IsDeleted(s));
    EXPECT_TRUE(stop.IsWaiting());
    EXPECT_EQ(Run(stop), 4); // nothing left to wait for
    // The saved state names no target.
    std::unique_ptr<TTpMemoryStream> state;
    stop.SaveState(state);
    state->SetPosition(0);
    TComMovieStop again(&Page);
    again.LoadState(*state);
    EXPECT_TRUE(again.IsWaiting());
    EXPECT_EQ(Run(again), 4);
}

TEST_F(SceneCommands, ATextInsertWaitingOnADeletedWindowGoesOn) {
    auto* mes = NewVobeObject<TVobeMes>(&Scene);
    mes->SetName("mes");
    mes->SetParent(Scene.FrontBase());
    mes->PageCount = 1;
    TComTextIns ins(&Page);
    ins.FText = {'a'};
    ins.FWindow = E("\"mes\"");
    ins.FWait = E("TRUE");
    ins.Prepare(Man);
    EXPECT_EQ(Run(ins), 3); // the window holds a page: wait
    // The script deletes the window while the command waits; the next frame must not touch it.
    Scene.MarkDeleted(mes);
    Scene.Update();
    ASSERT_EQ(Scene.FindComponent("mes"), nullptr);
    auto* other = NewVobeObject<TVobeMes>(&Scene); // may take the freed window's place in memory
    other->SetName("other");
    other->PageCount = 1;
    EXPECT_EQ(Run(ins), 4);
}

TEST_F(SceneCommands, PropertyMotionsAreMadeWithTheirFields) {
    TComPropMotion m(&Page);
    m.FName = E("\"fade\"");
    m.FTarget = E("\"b\"");
    m.FPropId = E("11");
    m.FEndValue = E("0.5");
    m.FTime = E("400");
    m.FMotionKind = E("2");
    EXPECT_EQ(Run(m), 4);
    auto* pm = dynamic_cast<TVobePropMotion*>(Scene.FindComponent("fade"));
    ASSERT_NE(pm, nullptr);
    EXPECT_EQ(pm->TargetName, "b");
    EXPECT_EQ(pm->PropId, 11);
    EXPECT_EQ(pm->EndValue, 0.5L);
    EXPECT_EQ(pm->Duration, 400);
    EXPECT_EQ(pm->Mode, 2);
    m.FPropId = E("");
    EXPECT_THROW(Run(m), EVobeError);
}

} // namespace
} // namespace vobe
