#include "framework/prop_set.h"

#include "framework/vobe_object.h"
#include "platform/cp932.h"
#include "platform/error.h"
#include "values/param.h"

namespace vobe {

namespace {

void StoreInt(TCustomParam& t, int32_t v) {
    t.SetAsInt(v);
}
void StoreFlag(TCustomParam& t, bool v) {
    t.SetAsBool(v);
}
void StoreStr(TCustomParam& t, const std::string& v) {
    t.SetAsStr(v);
}

// Font style masks keep only bold, italic, underline and strike-out.
int32_t ReadInt(int32_t id, const TCustomParam& s) {
    int32_t v = s.GetAsInt();
    if (id == PR_FONTSTYLE || id == PR_FONTHOVERSTYLE) v &= 0x0F;
    return v;
}
bool ReadFlag(int32_t, const TCustomParam& s) {
    return s.GetAsBool();
}
std::string ReadStr(int32_t, const TCustomParam& s) {
    return s.GetAsStr();
}

[[noreturn]] void RaiseGet() {
    throw EVobeError(SJ("GetPropエラー"));
}
[[noreturn]] void RaiseSet() {
    throw EVobeError(SJ("SetPropエラー"));
}

// The cell of PR_BORDERHALIGNT/C/B (1, 4, 7) and PR_BORDERVALIGNL/C/R (3, 4, 5).
int32_t HAlignCell(int32_t id) {
    return 1 + 3 * (id - PR_BORDERHALIGNT);
}
int32_t VAlignCell(int32_t id) {
    return 3 + (id - PR_BORDERVALIGNL);
}

} // namespace

void GetProp(TVobeObject* obj, int32_t id, TCustomParam& target) {
    if (!obj || id < 0 || id >= PROP_COUNT) RaiseGet();
    switch (id) {
    case PR_NAME: target.SetAsStr(obj->GetName()); return;
    case PR_PARENT: target.SetAsStr(obj->GetParentName()); return;
    case PR_PRIORITY: target.SetAsInt(obj->GetPriority()); return;
    case PR_TAG: target.SetAsStr(obj->GetTag()); return;
    case PR_COMPOTYPE: target.SetAsInt(obj->GetCompoType()); return;
    case PR_CARETX: target.SetAsInt(obj->GetCaretPoint().X); return;
    case PR_CARETY: target.SetAsInt(obj->GetCaretPoint().Y); return;
    case PR_PARAM1: target.SetAsFloat(obj->GetParam(0)); return;
    case PR_PARAM2: target.SetAsFloat(obj->GetParam(1)); return;
    case PR_PARAM3: target.SetAsFloat(obj->GetParam(2)); return;
    case PR_BORDERSOURCETL:
    case PR_BORDERSOURCETC:
    case PR_BORDERSOURCETR:
    case PR_BORDERSOURCECL:
    case PR_BORDERSOURCECC:
    case PR_BORDERSOURCECR:
    case PR_BORDERSOURCEBL:
    case PR_BORDERSOURCEBC:
    case PR_BORDERSOURCEBR: target.SetAsStr(obj->GetBorderSource(id - PR_BORDERSOURCETL)); return;
    case PR_BORDERHALIGNT:
    case PR_BORDERHALIGNC:
    case PR_BORDERHALIGNB: target.SetAsInt(obj->GetBorderHAlign(HAlignCell(id))); return;
    case PR_BORDERVALIGNL:
    case PR_BORDERVALIGNC:
    case PR_BORDERVALIGNR: target.SetAsInt(obj->GetBorderVAlign(VAlignCell(id))); return;
#define VOBE_GET(pid, T, Acc, Def)                                                                           \
    case pid: Store##T(target, obj->Get##Acc()); return;
        VOBE_PROPERTY_ACCESSORS(VOBE_GET, VOBE_GET)
#undef VOBE_GET
    default: RaiseGet();
    }
}

void SetProp(TVobeObject* obj, int32_t id, const TCustomParam& source) {
    if (!obj || id < 0 || id >= PROP_COUNT) RaiseSet();
    switch (id) {
    case PR_NAME: obj->SetName(source.GetAsStr()); return;
    case PR_PARENT: obj->SetParentName(source.GetAsStr()); return;
    case PR_PRIORITY: obj->SetPriority(source.GetAsInt()); return;
    case PR_TAG: obj->SetTag(source.GetAsStr()); return;
    case PR_APPEARX:
    case PR_APPEARY: RaiseSet();
    case PR_COMPOTYPE:
    case PR_CARETX:
    case PR_CARETY:
    case PR_PLAYING:
    case PR_CARETHEIGHT: return;
    case PR_PARAM1: obj->SetParam(0, source.GetAsFloat()); return;
    case PR_PARAM2: obj->SetParam(1, source.GetAsFloat()); return;
    case PR_PARAM3: obj->SetParam(2, source.GetAsFloat()); return;
    case PR_BORDERSOURCETL:
    case PR_BORDERSOURCETC:
    case PR_BORDERSOURCETR:
    case PR_BORDERSOURCECL:
    case PR_BORDERSOURCECC:
    case PR_BORDERSOURCECR:
    case PR_BORDERSOURCEBL:
    case PR_BORDERSOURCEBC:
    case PR_BORDERSOURCEBR: obj->SetBorderSource(id - PR_BORDERSOURCETL, source.GetAsStr()); return;
    case PR_BORDERHALIGNT:
    case PR_BORDERHALIGNC:
    case PR_BORDERHALIGNB: obj->SetBorderHAlign(HAlignCell(id), source.GetAsInt()); return;
    case PR_BORDERVALIGNL:
    case PR_BORDERVALIGNC:
    case PR_BORDERVALIGNR: obj->SetBorderVAlign(VAlignCell(id), source.GetAsInt()); return;
#define VOBE_SET(pid, T, Acc, Def)                                                                           \
    case pid:                                                                                                \
        obj->Set##Acc(Read##T(pid, source));                                                                 \
        return;
#define VOBE_SKIP(pid, T, Acc, Def)
        VOBE_PROPERTY_ACCESSORS(VOBE_SET, VOBE_SKIP)
#undef VOBE_SET
#undef VOBE_SKIP
    default: RaiseSet();
    }
}

} // namespace vobe
