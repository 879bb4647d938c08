// The component creation commands: the component of the command's kind is made in Bases and its
// present property slots are applied in the fixed order of creation.
#include <memory>

#include "components/vobe_images.h"
#include "framework/prop_set.h"
#include "framework/prop_table.h"
#include "framework/vobe_base_list.h"
#include "framework/vobe_factory.h"
#include "script/object_commands.h"
#include "values/param.h"

namespace vobe {

namespace {

// Name, parent and source first; zoom before size; size before position.
const std::vector<int32_t>& ApplyOrder() {
    static const std::vector<int32_t> order = [] {
        std::vector<int32_t> v = {0, 1, 2, 7, 132, 100, 5, 6, 3, 4, 8, 157, 9, 10, 11, 12, 13, 14, 159, 160};
        auto range = [&v](int32_t from, int32_t to) {
            for (int32_t id = from; id <= to; ++id) v.push_back(id);
        };
        range(15, 24);
        for (int32_t id : {153, 154, 155, 156}) v.push_back(id);
        range(25, 79);
        v.push_back(161);
        range(80, 99);
        range(101, 131);
        range(133, 152);
        v.push_back(158);
        return v;
    }();
    return order;
}

// Read-only and special ids a creation command never applies: their expressions are not evaluated.
bool NeverApplied(int32_t id) {
    switch (id) {
    case 78:
    case 79:
    case 92:
    case 93:
    case 138:
    case 140:
    case 159:
    case 160:
    case 161: return true;
    default: return false;
    }
}

// The value of a present slot that yields none.
int32_t CreationDefault(int32_t id) {
    switch (id) {
    case PR_ZOOMX:
    case PR_ZOOMY: return 256;
    case PR_COLOR:
    case PR_BORDERCOLOR:
    case PR_HOVERCOLOR: return -1;
    case PR_ALPHA: return 255;
    case PR_FONTHEIGHT: return 16;
    case PR_VOLUME: return 1000;
    case PR_VISIBLE:
    case PR_COLCOUNT:
    case PR_ROWCOUNT:
    case PR_AMP:
    case PR_SMALLCHANGE:
    case PR_LARGECHANGE:
    case PR_GLYPHWIDTH:
    case PR_GLYPHHEIGHT: return 1;
    case PR_TEXTDELAY: return 256;
    case PR_WAVELEN: return 100;
    default: return 0;
    }
}

// The type code of the component a creation command makes; 0 for the other commands.
uint8_t CreatedType(int32_t kind) {
    switch (kind) {
    case ckBoxNew: return ctBox;
    case ckImgNew: return ctImages;
    case ckMesNew: return ctMes;
    case ckTimer: return ctTimer;
    case ckMovie: return ctVideo;
    case ckCinema: return ctCinema;
    case ckCaption: return ctLabel;
    case ckMenu: return ctMenu;
    case ckBtnNew: return ctButton;
    case ckParticleNew: return ctParticle;
    case ckFireNew: return ctFire;
    case ckSound: return ctSound;
    case ckEditNew: return ctEdit;
    case ckMemoNew: return ctMemo;
    case ckMapImgNew: return ctMapImage;
    case ckWaveNew: return ctWave;
    case ckTileNew: return ctTile;
    case ckSliderNew: return ctSlider;
    case ckScrollbarNew: return ctScrollbar;
    case ckGaugeNew: return ctGauge;
    case ckCGCaption: return ctCGLabel;
    case ckPrevMenuNew: return ctPrevMenu;
    default: return ctNone;
    }
}

// A value of the property's own type: the expression's value converted, or the default.
std::unique_ptr<TCustomParam> PropertyValue(int32_t id, TVobeParser* e) {
    TCustomParam* v = Evaluate(e);
    const TPropInfo& info = PropInfo(id);
    std::unique_ptr<TCustomParam> p;
    switch (info.Value) {
    case pkInt:
        p = std::make_unique<TParamInt>();
        p->SetAsInt(v ? v->GetAsInt() : CreationDefault(id));
        break;
    case pkFlag:
        p = std::make_unique<TParamFlag>();
        p->SetAsBool(v ? v->GetAsBool() : CreationDefault(id) != 0);
        break;
    case pkFloat:
        p = std::make_unique<TParamFloat>();
        p->SetAsFloat(v ? v->GetAsFloat() : 0);
        break;
    case pkString:
        p = std::make_unique<TParamStr>();
        p->SetAsStr(v ? v->GetAsStr() : std::string());
        break;
    }
    return p;
}

// A picture is sized with the zoom given before its place (the zoom's own resize waits for the update).
void SizePicture(TVobeObject* o) {
    if (auto* image = dynamic_cast<TVobeCustomImage*>(o); image && image->NeedsRebuild) {
        image->NeedsRebuild = false;
        image->AutoSize();
    }
}

} // namespace

void TComComponent::ApplyProperties(TVobeObject* o) const {
    // A control whose command carries no parent slot would never be shown: it goes on the current
    // base, as with an empty parent.
    if (!HasProp(PR_PARENT) && o->Owner)
        if (auto* c = dynamic_cast<TVobeControl*>(o)) c->SetParent(o->Owner->FrontBase());
    for (int32_t id : ApplyOrder()) {
        if (!HasProp(id) || NeverApplied(id)) continue;
        std::unique_ptr<TCustomParam> v = PropertyValue(id, Prop(id));
        if (id == PR_NAME) {
            const std::string name = v->GetAsStr();
            if (!name.empty()) o->SetName(name);
        } else if (id == PR_PARENT) {
            auto* c = dynamic_cast<TVobeControl*>(o);
            if (!c || !o->Owner) continue;
            const std::string name = v->GetAsStr();
            TVobeControl* parent = name.empty() ? nullptr : o->Owner->FindControl(name);
            c->SetParent(parent ? parent : o->Owner->FrontBase());
        } else {
            if (id == PR_LEFT) SizePicture(o);
            SetProp(o, id, *v);
        }
    }
    o->Invalidate();
}

void TComComponent::Execute(TCallMan&, TPage*&, int32_t& pc) {
    ++pc;
    const uint8_t type = CreatedType(FKind);
    if (type == ctNone || !Bases) return;
    TVobeObject* o = CreateVobeObject(type, Bases);
    if (!o) return;
    if (FKind == ckImgNew && HasProp(PR_DELAY))
        // The animation evaluates its own copy when it reaches its last frame.
        if (auto* images = dynamic_cast<TVobeCustomImages*>(o))
            images->LastFrameWait->Assign(*Prop(PR_DELAY));
    ApplyProperties(o);
    switch (FKind) {
    case ckMovie:
    case ckSound: o->SetPlayState(o->GetDelay() != 0 ? 1 : 0); break;
    case ckMenu: o->SetPlayState(1); break;
    default: break;
    }
}

} // namespace vobe
