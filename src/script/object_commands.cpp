#include "script/object_commands.h"

#include "platform/cp932.h"
#include "script/page.h"
#include "values/param_collection.h"

namespace vobe {

TComComponent::TComComponent(TPage* page, int32_t kind) : TCommand(page), FKind(kind) {
    if (!page) return;
    for (int32_t id = 0; id < PropertyCount; ++id)
        if (page->MaskBit(kind, id)) FProps[static_cast<size_t>(id)] = std::make_unique<TVobeParser>();
}

int32_t TComComponent::PropInt(int32_t id, int32_t def) const {
    TCustomParam* v = Evaluate(Prop(id));
    return v ? v->GetAsInt() : def;
}

long double TComComponent::PropFloat(int32_t id, long double def) const {
    TCustomParam* v = Evaluate(Prop(id));
    return v ? v->GetAsFloat() : def;
}

bool TComComponent::PropBool(int32_t id, bool def) const {
    TCustomParam* v = Evaluate(Prop(id));
    return v ? v->GetAsBool() : def;
}

std::string TComComponent::PropStr(int32_t id, const std::string& def) const {
    TCustomParam* v = Evaluate(Prop(id));
    return v ? v->GetAsStr() : def;
}

void TComCabinet::VisitFields(TFieldVisitor& v) {
    v.Props(*this);
    v.Expr("mode", FMode);
    v.ExprList("name", FNames);
}

void TComFlip::VisitFields(TFieldVisitor& v) {
    v.Expr("kind", FFlipKind);
    v.Expr("time", FTime);
    v.Expr("reverse", FReverse);
    v.Expr("move", FMoveMode);
    v.ExprList("name", FNames);
    v.Expr("clearback", FClearBack);
    v.Expr("param1", FParam1);
    v.Expr("param2", FParam2);
    if (v.Version() >= 101) v.Expr("strparam", FStrParam);
    if (v.Version() >= 107) v.Expr("block", FBlockEvents);
}

void TComVarNew::VisitFields(TFieldVisitor& v) {
    v.Str("name", FName);
    v.Byte("type", FType);
    v.Expr("value", FValue);
    v.Byte("scope", FScope);
}

void TComGetProp::VisitFields(TFieldVisitor& v) {
    v.Expr("object", FObject);
    v.Expr("prop", FPropId);
    v.Str("var", FVarName);
}

void TComSetProp::VisitFields(TFieldVisitor& v) {
    v.Expr("object", FObject);
    v.Expr("prop", FPropId);
    v.Expr("value", FValue);
}

void TComTextIns::VisitFields(TFieldVisitor& v) {
    v.Data("text", FText);
    v.Expr("window", FWindow);
    v.Expr("tracked", FTracked);
    v.Expr("wait", FWait);
    if (v.Version() >= 107) v.Expr("block", FBlockEvents);
}

void TComMovieStop::VisitFields(TFieldVisitor& v) {
    v.Expr("object", FObject);
    v.Expr("time", FTime);
    v.Expr("wait", FWait);
    if (v.Version() >= 107) v.Expr("block", FBlockEvents);
}

void TComCallHist::VisitFields(TFieldVisitor& v) {
    v.Expr("window", FWindow);
    v.Expr("start", FStart);
    v.Expr("count", FCount);
    v.Expr("mode", FMode);
}

void TComGameSave::VisitFields(TFieldVisitor& v) {
    v.Expr("slot", FSlot);
    v.Str("page", FPageName);
    if (v.Version() >= 105) v.Int("index", FIndex);
    v.Expr("caption", FCaption);
}

void TComPropMotion::VisitFields(TFieldVisitor& v) {
    v.Expr("name", FName);
    v.Expr("target", FTarget);
    v.Expr("prop", FPropId);
    v.Expr("value", FEndValue);
    v.Expr("time", FTime);
    v.Expr("kind", FMotionKind);
    if (v.Version() >= 108) v.Expr("paused", FPaused);
}

// ---- variables -------------------------------------------------------------------------------------

void TComCalc::Execute(TCallMan&, TPage*&, int32_t& pc) {
    ++pc;
    Evaluate(FExpr); // the assignments happen inside the expression
}

void TComVarNew::Execute(TCallMan&, TPage*&, int32_t& pc) {
    ++pc;
    if (FName.empty()) throw EVobeError(SJ("変数名がありません"));
    if (!ParamCollection) return;
    TParamCollectionItem* item = ParamCollection->FindScoped(FName, FScope == 2);
    if (!item) {
        item = ParamCollection->AddNamedParam(FType, FName);
        if (!item) return;
        if (FScope == 1 || FScope == 2) item->Depth = ParamCollection->CurrentDepth;
        item->Local = FScope == 2;
        item->Status = FScope == 3;
    } else if (item->Status) {
        return; // a status variable keeps the value it came back with
    }
    TCustomParam* v = Evaluate(FValue);
    if (!v) return;
    switch (item->GetParamType()) {
    case PT_INT: item->SetAsInt(v->GetAsInt()); break;
    case PT_FLOAT: item->SetAsFloat(v->GetAsFloat()); break;
    case PT_BOOL: item->SetAsBool(v->GetAsBool()); break;
    case PT_STR: item->SetAsStr(v->GetAsStr()); break;
    default: break;
    }
}

void TComVarDel::Execute(TCallMan&, TPage*&, int32_t& pc) {
    ++pc;
    if (!ParamCollection) return;
    if (TParamCollectionItem* item = ParamCollection->FindItem(FName)) ParamCollection->DeleteItem(item);
}

} // namespace vobe
