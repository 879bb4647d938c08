// The creation commands: the component of the kind is made in the scene, its present slots applied in
// the creation order with the creation defaults, the parent resolved among the controls.
#include <gtest/gtest.h>

#include "components/vobe_box.h"
#include "components/vobe_sound.h"
#include "framework/vobe_base_list.h"
#include "script/call_man.h"
#include "script/object_commands.h"
#include "script/page.h"
#include "values/build_vobe_parser.h"
#include "values/param_collection.h"

namespace vobe {
namespace {

class ComponentCreate : public ::testing::Test {
protected:
    ComponentCreate() {
        CreateParamCollection();
        Bases = &Scene;
        Scene.SetWidth(64);
        Scene.SetHeight(48);
    }
    ~ComponentCreate() override {
        Bases = nullptr;
        FreeParamCollection();
    }
    // A command of `kind` whose slots hold the texts given (an empty text: a slot without value).
    template <class C>
    std::unique_ptr<C> Command(int32_t kind, std::vector<std::pair<int32_t, std::string>> slots) {
        for (auto& [id, text] : slots) Page.SetMaskBit(kind, id, true);
        auto c = std::make_unique<C>(&Page);
        for (auto& [id, text] : slots)
            if (!text.empty()) CompileExpression(text, *c->FProps[static_cast<size_t>(id)]);
        return c;
    }
    int32_t Run(TCommand& c) {
        TPage* p = &Page;
        int32_t pc = 3;
        c.Execute(Man, p, pc);
        return pc;
    }
    TVobeBaseList Scene;
    TPage Page;
    TCallMan Man;
};

TEST_F(ComponentCreate, ABoxWithItsProperties) {
    Scene.Current = 1;
    auto cmd = Command<TComBoxNew>(ckBoxNew, {{PR_NAME, "\"btn\""},
                                              {PR_PARENT, "\"\""},
                                              {PR_LEFT, "10"},
                                              {PR_WIDTH, "20"},
                                              {PR_COLOR, ""},
                                              {PR_ALPHA, ""},
                                              {PR_VISIBLE, ""},
                                              {PR_ONLBTNDOWN, "\"down.vsb\""},
                                              {PR_APPEARX, "1"}}); // never applied
    EXPECT_EQ(Run(*cmd), 4);
    auto* b = dynamic_cast<TVobeBox*>(Scene.FindControl("btn"));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Parent, Scene.Base1); // "" is the front base
    EXPECT_EQ(b->Left, 10);
    EXPECT_EQ(b->Width, 20);
    EXPECT_EQ(b->Color, -1); // creation defaults for slots without value
    EXPECT_EQ(b->Alpha, 255);
    EXPECT_TRUE(b->Visible);
    EXPECT_EQ(b->OnLBtnDown, "down.vsb");

    // An empty name keeps the default one; an unknown parent is the front base too; a known one is used.
    auto second = Command<TComBoxNew>(ckBoxNew, {{PR_NAME, "\"\""}, {PR_PARENT, "\"nobody\""}});
    Run(*second);
    auto* o = dynamic_cast<TVobeControl*>(Scene.FindControl("object0")); // the first free default name
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->Parent, Scene.Base1);
    Page.SetMaskBit(ckBoxNew, PR_PARENT, false);
    Page.SetMaskBit(ckBoxNew, PR_NAME, false);
    auto child = Command<TComBoxNew>(ckBoxNew, {{PR_PARENT, "\"btn\""}});
    Run(*child);
    EXPECT_EQ(dynamic_cast<TVobeControl*>(Scene.Objects.back())->Parent, b);
    Page.SetMaskBit(ckBoxNew, PR_PARENT, false);
    auto bare = Command<TComBoxNew>(ckBoxNew, {{PR_LEFT, "1"}}); // no parent slot: the front base
    Run(*bare);
    EXPECT_EQ(dynamic_cast<TVobeControl*>(Scene.Objects.back())->Parent, Scene.Base1);
}

TEST_F(ComponentCreate, SoundsStartAndOtherCommandsOnlyMoveOn) {
    auto snd = Command<TComSound>(ckSound, {{PR_NAME, "\"bgm\""}, {PR_DELAY, "0"}});
    Run(*snd);
    auto* s = dynamic_cast<TVobeSound*>(Scene.FindComponent("bgm"));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetVolume(), 0); // not a present slot: the class's own default
    const size_t before = Scene.Objects.size();
    TComCabinetSave cab(&Page);
    EXPECT_EQ(Run(cab), 4);
    // A cabinet that receives nothing is made and dropped again at once.
    ASSERT_EQ(Scene.Objects.size(), before + 1);
    EXPECT_TRUE(Scene.IsDeleted(Scene.Objects.back()));
}

} // namespace
} // namespace vobe
