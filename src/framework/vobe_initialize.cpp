#include "framework/vobe_initialize.h"

#include "framework/scene_values.h"
#include "framework/scene_wipe.h"
#include "framework/vobe_base_list.h"
#include "graphics/color_tables.h"
#include "graphics/dibx.h"
#include "platform/trace.h"
#include "values/param_collection.h"

namespace vobe {

TBasePanel* BasePanel = nullptr;
TFrameworkHooks FrameworkHooks;
TDIBX* SelRectDIB = nullptr;
TDIBX* TransBGDIB = nullptr;

namespace {

TSceneValues SceneValues;

TDIBX* MakeSelRect() {
    auto* d = new TDIBX;
    d->SetSize(2, 2, 32);
    d->Fill(0);
    d->SetPixel(0, 0, 0xFFFFFF);
    d->SetPixel(1, 1, 0xFFFFFF);
    return d;
}

TDIBX* MakeTransBG() {
    auto* d = new TDIBX;
    d->SetSize(32, 32, 32);
    d->Fill(0x808080);
    d->FillRect(TRect{0, 0, 16, 16}, 0xC0C0C0);
    d->FillRect(TRect{16, 16, 32, 32}, 0xC0C0C0);
    return d;
}

void Call(const std::function<void()>& f) {
    if (f) f();
}

} // namespace

int32_t PanelBitCount() {
    const int32_t depth = BasePanel ? BasePanel->DisplayDepth() : 32;
    return depth == 15 || depth == 16 ? depth : 32;
}

void VobeInitialize(TBasePanel* panel) {
    if (Bases) VobeFinalize();
    BasePanel = panel;
    Bases = new TVobeBaseList();
    Call(FrameworkHooks.CreateTextHistory);
    Call(FrameworkHooks.CreateTextRead);
    Call(FrameworkHooks.CreateVaskMan);
    SelRectDIB = MakeSelRect();
    TransBGDIB = MakeTransBG();
    VobeInitColor(PanelBitCount());
    if (ParamCollection) ParamCollection->Sources.Scene = &SceneValues;
}

void VobeFinalize() {
    if (ParamCollection && ParamCollection->Sources.Scene == &SceneValues)
        ParamCollection->Sources.Scene = nullptr;
    Trace("TextRead.Free");
    Call(FrameworkHooks.FreeTextRead);
    Trace("TextHistory.Free");
    Call(FrameworkHooks.FreeTextHistory);
    Trace("Bases.Free");
    delete Bases;
    Bases = nullptr;
    Trace("SelRectDIB.Free");
    delete SelRectDIB;
    SelRectDIB = nullptr;
    Trace("TransBGDIB.Free");
    delete TransBGDIB;
    TransBGDIB = nullptr;
    Trace("VaskMan.Free");
    Call(FrameworkHooks.FreeVaskMan);
    Trace("ClipMan.Free");
    BasePanel = nullptr;
}

} // namespace vobe
