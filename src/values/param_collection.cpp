#include "values/param_collection.h"

#include <algorithm>
#include <set>

#include "archive/stream.h"
#include "platform/cp932.h"
#include "platform/error.h"
#include "platform/globals.h"

namespace vobe {

TParamCollection* ParamCollection = nullptr;

TParamCollection* CreateParamCollection() {
    FreeParamCollection();
    ParamCollection = new TParamCollection();
    return ParamCollection;
}

void FreeParamCollection() {
    delete ParamCollection;
    ParamCollection = nullptr;
}

namespace {

const char* const SysVarNames[SYS_VAR_COUNT] = {
    "@Result",
    "@LClick",
    "@RClick",
    "@LPush",
    "@RPush",
    "@MouseX",
    "@MouseY",
    "@TextDelay",
    "@HistoryCount",
    "@ParamCount",
    "@ParamStr",
    "@Sender",
    "@ScrWidth",
    "@ScrHeight",
    "@TickCount",
    "@PCTickCount",
    "@UpdateCount",
    "@Year",
    "@Month",
    "@Day",
    "@Week",
    "@Hour",
    "@Min",
    "@Sec",
    "@Fonts",
    "@FixedFonts",
    "@FullScr",
    "@Cursor",
    "@SelStr",
    "@SelIndex",
    "@Pi",
    "@CGDither",
    "@1Hour",
    "@1Min",
    "@1Sec",
    "@KeyPush",
    "@KeyClick",
    "@DisplayModeCount",
    "@DisplayModeIndex",
    "@Title",
    "@SoundON",
    "@ActiveCompo",
    "@KeyRepeat",
    "@HistoryMaxCount",
    "@Temp",
    "@MidiPort",
    "@MidiPorts",
    "@WheelDown",
    "@WheelUp",
    "@StackCount",
};

// The type of each system variable (@Result and @Temp take their target's).
const TParamType SysVarTypes[SYS_VAR_COUNT] = {
    PT_INT,   PT_BOOL, PT_BOOL,  PT_BOOL,  PT_BOOL,  PT_INT,  PT_INT,  PT_INT,  PT_INT,  PT_INT,
    PT_STR,   PT_STR,  PT_INT,   PT_INT,   PT_INT,   PT_INT,  PT_INT,  PT_INT,  PT_INT,  PT_INT,
    PT_INT,   PT_INT,  PT_INT,   PT_INT,   PT_STR,   PT_STR,  PT_BOOL, PT_STR,  PT_STR,  PT_INT,
    PT_FLOAT, PT_BOOL, PT_FLOAT, PT_FLOAT, PT_FLOAT, PT_BOOL, PT_BOOL, PT_INT,  PT_INT,  PT_STR,
    PT_BOOL,  PT_STR,  PT_BOOL,  PT_INT,   PT_INT,   PT_STR,  PT_STR,  PT_BOOL, PT_BOOL, PT_INT,
};

constexpr int32_t KeyArrayCount = 258;

[[noreturn]] void RaiseInternalError() {
    throw EVobeError(SJ("内部エラー"));
}

[[noreturn]] void RaiseNoVariable(std::string_view name) {
    throw EVobeError("\"" + std::string(name) + SJ("\" 変数がありません"));
}

} // namespace

const char* SysVarName(int32_t n) {
    return n >= 0 && n < SYS_VAR_COUNT ? SysVarNames[n] : "";
}

void CheckVariableName(std::string_view name) {
    if (name.empty() || name.find(' ') != std::string_view::npos || (name[0] >= '0' && name[0] <= '9'))
        throw EVobeError("\"" + std::string(name) + SJ("\"：変数名が不正です"));
}

// ---- TParamSystem --------------------------------------------------------------------------------------

bool TParamSystem::IsArray() const {
    switch (FNumber) {
    case svParamStr:
    case svKeyPush:
    case svKeyClick:
    case svKeyRepeat:
    case svMidiPorts: return true;
    default: return false;
    }
}

TCustomParam* TParamSystem::Delegate() const {
    if (FNumber == svResult) return FStore.Sources.Call ? FStore.Sources.Call->ResultParam() : nullptr;
    if (FNumber == svTemp) {
        if (FStore.TempTarget.empty()) return nullptr;
        TParamCollectionItem* item = FStore.FindItem(FStore.TempTarget);
        return item ? &item->GetParam() : nullptr;
    }
    return nullptr;
}

// @Result and @Temp pass the operation on (under the guard against reference cycles); without a target
// they answer as a plain integer 0 of count 1.
#define VOBE_SYS_DELEGATE(fallback, call)                                                                    \
    if (FNumber == svResult || FNumber == svTemp) {                                                          \
        TDelegationGuard guard;                                                                              \
        TCustomParam* p = guard.Ok() ? Delegate() : nullptr;                                                 \
        if (!p) return fallback;                                                                             \
        return p->call;                                                                                      \
    }

void TParamSystem::CheckIndex(int32_t i) const {
    if (i < 0 || i >= GetCount()) RaiseIndexError();
}

int32_t TParamSystem::GetCount() const {
    VOBE_SYS_DELEGATE(1, GetCount())
    switch (FNumber) {
    case svParamStr: return FStore.Sources.Call ? std::max(0, FStore.Sources.Call->ParamCount()) : 0;
    case svKeyPush:
    case svKeyClick:
    case svKeyRepeat: return KeyArrayCount;
    case svMidiPorts: return FStore.Sources.Media ? std::max(0, FStore.Sources.Media->MidiPortCount()) : 0;
    default: return 1;
    }
}

void TParamSystem::SetCount(int32_t n){VOBE_SYS_DELEGATE(void(), SetCount(n))}

TParamType TParamSystem::GetParamType() const {
    VOBE_SYS_DELEGATE(PT_INT, GetParamType())
    return SysVarTypes[FNumber];
}

// Element i in the variable's own type. Arrays give their element; for a scalar i is 0.
int32_t TParamSystem::ReadInt(int32_t) const {
    const TSystemValueSources& src = FStore.Sources;
    switch (FNumber) {
    case svMouseX: return src.Scene ? src.Scene->GetMouseX() : 0;
    case svMouseY: return src.Scene ? src.Scene->GetMouseY() : 0;
    case svTextDelay: return FStore.TextDelay;
    case svHistoryCount: return src.History ? src.History->HistoryCount() : 0;
    case svParamCount: return src.Call ? src.Call->ParamCount() : 0;
    case svScrWidth: return src.Project ? src.Project->ScrWidth() : 0;
    case svScrHeight: return src.Project ? src.Project->ScrHeight() : 0;
    case svTickCount: return GameClock;
    case svPCTickCount: return src.Display ? src.Display->PCTickCount() : 0;
    case svUpdateCount: return FrameCount;
    case svYear: return FStore.CurrentTime().tm_year + 1900;
    case svMonth: return FStore.CurrentTime().tm_mon + 1;
    case svDay: return FStore.CurrentTime().tm_mday;
    case svWeek: return FStore.CurrentTime().tm_wday + 1;
    case svHour: return FStore.CurrentTime().tm_hour;
    case svMin: return FStore.CurrentTime().tm_min;
    case svSec: return std::min(59, FStore.CurrentTime().tm_sec);
    case svSelIndex: return FStore.SelIndex;
    case svDisplayModeCount: return src.Display ? src.Display->DisplayModeCount() : 0;
    case svDisplayModeIndex: return src.Display ? src.Display->GetDisplayModeIndex() : 0;
    case svHistoryMaxCount: return src.History ? src.History->GetHistoryMaxCount() : 0;
    case svStackCount: return src.Call ? src.Call->StackCount() : 0;
    default: RaiseInternalError();
    }
}

long double TParamSystem::ReadFloat(int32_t) const {
    switch (FNumber) {
    case svPi: return 3.141592653589793238462643383279502884L;
    case sv1Hour: return 1.0L / 24;
    case sv1Min: return 1.0L / (24 * 60);
    case sv1Sec: return 1.0L / (24 * 60 * 60);
    default: RaiseInternalError();
    }
}

bool TParamSystem::ReadBool(int32_t i) const {
    const TSystemValueSources& src = FStore.Sources;
    ISysSceneValues* scene = src.Scene;
    switch (FNumber) {
    case svLClick: return scene && scene->GetLClick();
    case svRClick: return scene && scene->GetRClick();
    case svLPush: return scene && scene->IsLeftHeld();
    case svRPush: return scene && scene->IsRightHeld();
    case svFullScr: return src.Display && src.Display->GetFullScr();
    case svCGDither: return scene && scene->GetCGDither();
    case svSoundON: return scene && scene->GetSoundON();
    case svWheelDown: return scene && scene->WheelDown();
    case svWheelUp: return scene && scene->WheelUp();
    // The key arrays: element k; their scalar value is false (i is -1 for the scalar read).
    case svKeyPush: return i >= 0 && scene && scene->KeyPush(i);
    case svKeyClick: return i >= 0 && scene && scene->KeyClick(i);
    case svKeyRepeat: return i >= 0 && scene && scene->KeyRepeat(i);
    default: RaiseInternalError();
    }
}

std::string TParamSystem::ReadStr(int32_t i) const {
    const TSystemValueSources& src = FStore.Sources;
    switch (FNumber) {
    case svParamStr: return i >= 0 && src.Call ? src.Call->ParamStr(i) : std::string();
    case svSender: return src.Call ? src.Call->Sender() : std::string();
    case svFonts: return src.Display ? src.Display->Fonts(false) : std::string();
    case svFixedFonts: return src.Display ? src.Display->Fonts(true) : std::string();
    case svCursor: return FStore.CursorText;
    case svSelStr: return FStore.SelStr;
    case svTitle: return src.Project ? src.Project->Title() : std::string();
    case svActiveCompo: return src.Scene ? src.Scene->GetActiveCompo() : std::string();
    case svMidiPort: return src.Media ? src.Media->GetMidiPort() : std::string();
    case svMidiPorts: return i >= 0 && src.Media ? src.Media->MidiPortName(i) : std::string();
    default: RaiseInternalError();
    }
}

void TParamSystem::WriteInt(int32_t v) {
    const TSystemValueSources& src = FStore.Sources;
    switch (FNumber) {
    case svMouseX:
        if (src.Scene) src.Scene->SetMouseX(v);
        break;
    case svMouseY:
        if (src.Scene) src.Scene->SetMouseY(v);
        break;
    case svTextDelay: FStore.TextDelay = v; break;
    case svSelIndex: FStore.SelIndex = v; break;
    case svDisplayModeIndex:
        if (src.Display) src.Display->SetDisplayModeIndex(v);
        break;
    case svHistoryMaxCount:
        if (src.History) src.History->SetHistoryMaxCount(v);
        break;
    default: break; // read-only
    }
}

void TParamSystem::WriteBool(bool b) {
    const TSystemValueSources& src = FStore.Sources;
    switch (FNumber) {
    case svLClick:
        if (src.Scene) src.Scene->SetLClick(b);
        break;
    case svRClick:
        if (src.Scene) src.Scene->SetRClick(b);
        break;
    case svFullScr:
        if (src.Display) src.Display->SetFullScr(b);
        break;
    case svCGDither:
        if (src.Scene) src.Scene->SetCGDither(b);
        break;
    case svSoundON:
        if (src.Scene) src.Scene->SetSoundON(b);
        break;
    default: break;
    }
}

void TParamSystem::WriteStr(const std::string& s) {
    const TSystemValueSources& src = FStore.Sources;
    switch (FNumber) {
    case svCursor: FStore.CursorText = s; break;
    case svSelStr: FStore.SelStr = s; break;
    case svActiveCompo:
        if (src.Scene) src.Scene->SetActiveCompo(s);
        break;
    case svMidiPort:
        if (src.Media) src.Media->SetMidiPort(s);
        break;
    default: break;
    }
}

// Reads: the variable's value in its own type, then the conversion table. Scalar reads of the arrays
// use index -1 (their scalar value: false or "").
#define VOBE_SYS_READ(index, asInt, asFloat, asBool, asStr)                                                  \
    switch (SysVarTypes[FNumber]) {                                                                          \
    case PT_INT: {                                                                                           \
        int32_t v = ReadInt(index);                                                                          \
        return asInt;                                                                                        \
    }                                                                                                        \
    case PT_FLOAT: {                                                                                         \
        long double v = ReadFloat(index);                                                                    \
        return asFloat;                                                                                      \
    }                                                                                                        \
    case PT_BOOL: {                                                                                          \
        bool v = ReadBool(index);                                                                            \
        return asBool;                                                                                       \
    }                                                                                                        \
    default: {                                                                                               \
        std::string v = ReadStr(index);                                                                      \
        return asStr;                                                                                        \
    }                                                                                                        \
    }

bool TParamSystem::GetAsBool() const {
    VOBE_SYS_DELEGATE(false, GetAsBool())
    const int32_t i = IsArray() ? -1 : 0;
    VOBE_SYS_READ(i, v != 0, v != 0, v, StrToBool(v))
}

long double TParamSystem::GetAsFloat() const {
    VOBE_SYS_DELEGATE(0.0L, GetAsFloat())
    const int32_t i = IsArray() ? -1 : 0;
    VOBE_SYS_READ(i, static_cast<long double>(v), v, v ? 1.0L : 0.0L, StrToFloatDef(v, 0))
}

int32_t TParamSystem::GetAsInt() const {
    VOBE_SYS_DELEGATE(0, GetAsInt())
    const int32_t i = IsArray() ? -1 : 0;
    VOBE_SYS_READ(i, v, FloatToInt(v), v ? 1 : 0, StrToIntDef(v, 0))
}

std::string TParamSystem::GetAsStr() const {
    VOBE_SYS_DELEGATE(std::string(), GetAsStr())
    const int32_t i = IsArray() ? -1 : 0;
    VOBE_SYS_READ(i, IntToStr(v), FloatToStr(v), BoolToStr(v), v)
}

int32_t TParamSystem::GetIntAt(int32_t i) const {
    VOBE_SYS_DELEGATE(0, GetIntAt(i))
    CheckIndex(i);
    VOBE_SYS_READ(i, v, FloatToInt(v), v ? 1 : 0, StrToIntDef(v, 0))
}

long double TParamSystem::GetFloatAt(int32_t i) const {
    VOBE_SYS_DELEGATE(0.0L, GetFloatAt(i))
    CheckIndex(i);
    VOBE_SYS_READ(i, static_cast<long double>(v), v, v ? 1.0L : 0.0L, StrToFloatDef(v, 0))
}

bool TParamSystem::GetBoolAt(int32_t i) const {
    VOBE_SYS_DELEGATE(false, GetBoolAt(i))
    CheckIndex(i);
    VOBE_SYS_READ(i, v != 0, v != 0, v, StrToBool(v))
}

std::string TParamSystem::GetStrAt(int32_t i) const {
    VOBE_SYS_DELEGATE(std::string(), GetStrAt(i))
    CheckIndex(i);
    VOBE_SYS_READ(i, IntToStr(v), FloatToStr(v), BoolToStr(v), v)
}

#undef VOBE_SYS_READ

// Writes: converted to the variable's type first. The arrays ignore writes.
void TParamSystem::SetAsInt(int32_t v) {
    VOBE_SYS_DELEGATE(void(), SetAsInt(v))
    if (IsArray()) return;
    switch (SysVarTypes[FNumber]) {
    case PT_INT: WriteInt(v); break;
    case PT_BOOL: WriteBool(v != 0); break;
    case PT_STR: WriteStr(IntToStr(v)); break;
    default: break;
    }
}

void TParamSystem::SetAsFloat(long double x) {
    VOBE_SYS_DELEGATE(void(), SetAsFloat(x))
    if (IsArray()) return;
    switch (SysVarTypes[FNumber]) {
    case PT_INT: WriteInt(FloatToInt(x)); break;
    case PT_BOOL: WriteBool(x != 0); break;
    case PT_STR: WriteStr(FloatToStr(x)); break;
    default: break;
    }
}

void TParamSystem::SetAsBool(bool b) {
    VOBE_SYS_DELEGATE(void(), SetAsBool(b))
    if (IsArray()) return;
    switch (SysVarTypes[FNumber]) {
    case PT_INT: WriteInt(b ? 1 : 0); break;
    case PT_BOOL: WriteBool(b); break;
    case PT_STR: WriteStr(BoolToStr(b)); break;
    default: break;
    }
}

void TParamSystem::SetAsStr(const std::string& s) {
    VOBE_SYS_DELEGATE(void(), SetAsStr(s))
    if (IsArray()) return;
    switch (SysVarTypes[FNumber]) {
    case PT_INT: WriteInt(StrToIntDef(s, 0)); break;
    // Text into a flag is read as a decimal number.
    case PT_BOOL: WriteBool(StrToIntDef(s, 0) != 0); break;
    case PT_STR: WriteStr(s); break;
    default: break;
    }
}

void TParamSystem::SetIntAt(int32_t i, int32_t v) {
    VOBE_SYS_DELEGATE(void(), SetIntAt(i, v))
    CheckIndex(i);
    SetAsInt(v);
}

void TParamSystem::SetFloatAt(int32_t i, long double x) {
    VOBE_SYS_DELEGATE(void(), SetFloatAt(i, x))
    CheckIndex(i);
    SetAsFloat(x);
}

void TParamSystem::SetBoolAt(int32_t i, bool b) {
    VOBE_SYS_DELEGATE(void(), SetBoolAt(i, b))
    CheckIndex(i);
    SetAsBool(b);
}

void TParamSystem::SetStrAt(int32_t i, const std::string& s) {
    VOBE_SYS_DELEGATE(void(), SetStrAt(i, s))
    CheckIndex(i);
    SetAsStr(s);
}

// The arrays count as one dimension of their element count, so that copies and sizes see them whole.
int32_t TParamSystem::GetDimCount() const {
    VOBE_SYS_DELEGATE(1, GetDimCount())
    return 1;
}

int32_t TParamSystem::GetDim(int32_t k) const {
    VOBE_SYS_DELEGATE(1, GetDim(k))
    return k == 0 && IsArray() ? GetCount() : 1;
}

std::vector<int32_t> TParamSystem::GetDims() const {
    VOBE_SYS_DELEGATE(std::vector<int32_t>(), GetDims())
    if (IsArray()) return {GetCount()};
    return {};
}

void TParamSystem::AssignValues(const TCustomParam& src) {
    VOBE_SYS_DELEGATE(void(), AssignValues(src))
}
void TParamSystem::SetDims(const std::vector<int32_t>& dims) {
    VOBE_SYS_DELEGATE(void(), SetDims(dims))
}
void TParamSystem::FillInt(int32_t v) {
    VOBE_SYS_DELEGATE(void(), FillInt(v))
}
void TParamSystem::FillFloat(long double x) {
    VOBE_SYS_DELEGATE(void(), FillFloat(x))
}
void TParamSystem::FillBool(bool b) {
    VOBE_SYS_DELEGATE(void(), FillBool(b))
}
void TParamSystem::FillStr(const std::string& s) {
    VOBE_SYS_DELEGATE(void(), FillStr(s))
}
void TParamSystem::CopyMem(const TCustomParam& src) {
    VOBE_SYS_DELEGATE(void(), CopyMem(src))
}
void TParamSystem::ClearDims(){VOBE_SYS_DELEGATE(void(), ClearDims())}

int32_t TParamSystem::IndexOfStr(const std::string& s, bool caseSensitive, bool partial) const {
    VOBE_SYS_DELEGATE(-1, IndexOfStr(s, caseSensitive, partial))
    return TCustomParam::IndexOfStr(s, caseSensitive, partial);
}

#undef VOBE_SYS_DELEGATE

// ---- TParamCollectionItem ------------------------------------------------------------------------------

TParamCollectionItem::TParamCollectionItem(std::unique_ptr<TCustomParam> param) : FParam(std::move(param)) {
    if (!FParam) FParam = std::make_unique<TParamInt>();
}

TParamCollectionItem::~TParamCollectionItem() {
    // Cut every reference to this item: they read as unbound from now on.
    while (FLinks) FLinks->Set(nullptr);
}

void TParamCollectionItem::SetParam(std::unique_ptr<TCustomParam> param) {
    if (param) FParam = std::move(param);
}

void TParamCollectionItem::SetName(const std::string& name) {
    CheckVariableName(name);
    THashCollectionItem::SetName(name);
}

// ---- TParamCollection ----------------------------------------------------------------------------------

TParamCollection::TParamCollection() {
    for (int32_t n = 0; n < SYS_VAR_COUNT; ++n) {
        auto item = std::make_unique<TParamCollectionItem>(
            std::make_unique<TParamSystem>(*this, static_cast<uint8_t>(n)));
        item->FSystem = true;
        TParamCollectionItem* p = item.get();
        Add(std::move(item));
        p->SetName(SysVarNames[n]);
    }
}

TParamCollection::~TParamCollection() {
    // Free the script variables before the system ones: references may point at either.
    while (Count() > 0) Delete(Count() - 1);
}

TParamCollectionItem* TParamCollection::AddParam(TParamType type) {
    std::unique_ptr<TCustomParam> param = CreateParam(type);
    if (!param) throw EVobeError(SJ("変数の型が不正です(") + IntToStr(type) + ")");
    return static_cast<TParamCollectionItem*>(Add(std::make_unique<TParamCollectionItem>(std::move(param))));
}

TParamCollectionItem* TParamCollection::AddNamedParam(TParamType type, const std::string& name) {
    CheckVariableName(name);
    TParamCollectionItem* item = AddParam(type);
    item->SetName(name);
    return item;
}

TParamCollectionItem* TParamCollection::FindItem(std::string_view name, uint64_t foldedHash) const {
    // The items of this name, newest first (the order of the bucket chain), through the collection's
    // name index.
    TParamCollectionItem* found = nullptr;
    for (THashCollectionItem* p = Find(name, foldedHash); p; p = p->NextSameName()) {
        auto* item = static_cast<TParamCollectionItem*>(p);
        if (item->Local) {
            if (item->Depth == CurrentDepth) return item;
            continue;
        }
        // Older items come later: among globals of one name the oldest wins.
        found = item;
    }
    return found;
}

TParamCollectionItem* TParamCollection::FindLinkTarget(std::string_view name) const {
    if (TParamCollectionItem* item = FindItem(name)) return item;
    for (THashCollectionItem* p = BucketHead(HashName(name)); p; p = p->NextInBucket())
        if (AnsiSameText(p->GetName(), name)) return static_cast<TParamCollectionItem*>(p);
    return nullptr;
}

TParamCollectionItem* TParamCollection::FindScoped(std::string_view name, bool local) const {
    for (THashCollectionItem* p = BucketHead(HashName(name)); p; p = p->NextInBucket()) {
        if (!AnsiSameText(p->GetName(), name)) continue;
        auto* item = static_cast<TParamCollectionItem*>(p);
        if (local ? (item->Local && item->Depth == CurrentDepth) : !item->Local) return item;
    }
    return nullptr;
}

std::unique_ptr<TCustomParam> TParamCollection::CopyParam(std::string_view name) const {
    TParamCollectionItem* item = FindItem(name);
    if (!item) return nullptr;
    const TParamType type = item->GetParamType();
    if (type < PT_INT || type > PT_STR) throw EVobeError(std::string(name) + SJ(":不正な変数です"));
    std::unique_ptr<TCustomParam> copy = CreateParam(type);
    copy->AssignValues(item->GetParam());
    return copy;
}

void TParamCollection::DeleteItem(TParamCollectionItem* item) {
    if (!item || item->IsSystem() || item->GetCollection() != this) return;
    Delete(item->GetIndex());
}

TParamCollectionItem* TParamCollection::AddTemp(TParamType type, const std::string& name) {
    CheckVariableName(name);
    if (type > PT_STR || FSpareTemps[type].empty()) {
        TParamCollectionItem* item = AddParam(type);
        item->SetName(name);
        return item;
    }
    std::unique_ptr<THashCollectionItem> spare = std::move(FSpareTemps[type].back());
    FSpareTemps[type].pop_back();
    auto* item = static_cast<TParamCollectionItem*>(Add(std::move(spare)));
    item->SetName(name);
    return item;
}

void TParamCollection::FreeTemp(TParamCollectionItem* item) {
    if (!item || item->IsSystem() || item->GetCollection() != this) return;
    TCustomParam& param = item->GetParam();
    const TParamType type = param.AsVar() ? PT_NONE : param.GetParamType();
    if (type > PT_STR || FSpareTemps[type].size() >= 16) {
        Delete(item->GetIndex());
        return;
    }
    while (item->FLinks) item->FLinks->Set(nullptr);
    param.Reset();
    item->Reserved = 0;
    item->Status = false;
    item->Depth = -1;
    item->Local = false;
    FSpareTemps[type].push_back(Extract(item->GetIndex()));
}

void TParamCollection::DeleteDepth(int32_t d) {
    for (int32_t i = Count() - 1; i >= SYS_VAR_COUNT; --i)
        if (Item(i)->Depth == d) Delete(i);
}

void TParamCollection::ClearGame() {
    for (int32_t i = Count() - 1; i >= 0; --i) {
        TParamCollectionItem* item = Item(i);
        if (!item->IsSystem() && !item->Status) Delete(i);
    }
    TextDelay = 50;
    CursorText.clear();
    std::fill(std::begin(HistorySettings), std::end(HistorySettings), 0);
}

void TParamCollection::BindElement(TParamVar& ref, std::string_view name,
                                   const std::vector<int32_t>& indices) const {
    TParamCollectionItem* target = FindItem(name);
    if (!target) RaiseNoVariable(name);
    BindElement(ref, *target, indices);
}

void TParamCollection::BindElement(TParamVar& ref, TParamCollectionItem& item,
                                   const std::vector<int32_t>& indices) const {
    TParamCollectionItem* target = &item;
    auto prefix = [&]() {
        std::string s(target->GetName());
        s += '[';
        for (size_t k = 0; k < indices.size(); ++k) {
            if (k) s += ',';
            s += IntToStr(indices[k]);
        }
        return s + "]\r\n";
    };
    if (static_cast<int32_t>(indices.size()) != target->GetDimCount())
        throw EVobeError(prefix() + SJ("添え字が不正です"));
    int64_t flat = 0, factor = 1;
    for (int32_t k = static_cast<int32_t>(indices.size()) - 1; k >= 0; --k) {
        flat += static_cast<int64_t>(indices[static_cast<size_t>(k)]) * factor;
        factor *= target->GetDim(k);
    }
    if (flat >= target->GetCount()) throw EVobeError(prefix() + SJ("要素数を超えています"));
    ref.SetTarget(target);
    // A negative position is left for the element access to refuse.
    ref.Index = flat < 0 ? -1 : static_cast<int32_t>(flat);
}

const std::tm& TParamCollection::CurrentTime() const {
    if (!FTimeValid || FTimeClock != GameClock) {
        std::tm now{};
        if (!(Sources.Display && Sources.Display->Now(now))) {
            std::time_t t = std::time(nullptr);
            if (std::tm* lt = std::localtime(&t)) now = *lt;
        }
        FTime = now;
        FTimeClock = GameClock;
        FTimeValid = true;
    }
    return FTime;
}

// ---- stream forms --------------------------------------------------------------------------------------

namespace {

void WriteItemRecord(TStream& s, const TParamCollectionItem& item) {
    // The class's own code: a reference is type 0 whatever its target holds.
    const TCustomParam& param = item.GetParam();
    WriteByte(s, param.AsVar() ? PT_NONE : param.GetParamType());
    WriteStr(s, item.GetName());
    item.GetParam().SaveToStream(s);
    WriteByte(s, item.Status ? 1 : 0);
    WriteByte(s, item.Reserved);
    WriteInt32(s, item.Depth);
    WriteByte(s, item.Local ? 1 : 0);
}

} // namespace

void TParamCollection::WriteItems(TStream& s, bool status) const {
    std::vector<const TParamCollectionItem*> work;
    for (int32_t i = SYS_VAR_COUNT; i < Count(); ++i) {
        const TParamCollectionItem* item = Item(i);
        // Unnamed items are invisible to the script and have nothing to restore.
        if (item->IsSystem() || item->Status != status || item->GetName().empty()) continue;
        work.push_back(item);
    }
    WriteInt32(s, static_cast<int32_t>(work.size()));
    // A reference is written after its target, so that loading can link it by name. Passes run from the
    // last entry to the first; a reference whose target is never written here (a system or status
    // variable, a deleted one, a cycle) is written once a pass writes nothing else.
    std::set<std::string> written;
    while (!work.empty()) {
        bool progress = false;
        for (size_t k = work.size(); k-- > 0;) {
            const TParamCollectionItem* item = work[k];
            if (auto* ref = item->GetParam().AsVar()) {
                TParamCollectionItem* target = ref->GetTarget();
                if (target && !written.count(AnsiLowerCase(target->GetName()))) continue;
            }
            WriteItemRecord(s, *item);
            written.insert(AnsiLowerCase(item->GetName()));
            work.erase(work.begin() + static_cast<std::ptrdiff_t>(k));
            progress = true;
        }
        if (!progress) {
            for (size_t k = work.size(); k-- > 0;) WriteItemRecord(s, *work[k]);
            work.clear();
        }
    }
}

void TParamCollection::ReadItems(TStream& s) {
    const int32_t n = ReadInt32(s);
    // Every record takes at least 18 bytes.
    if (n < 0 || n > s.Remaining() / 18) throw EStreamError(SJ("変数の数が不正です"));
    for (int32_t k = 0; k < n; ++k) {
        const TParamType type = ReadByte(s);
        TParamCollectionItem* item = AddParam(type);
        try {
            std::string name = ReadStr(s);
            if (!name.empty()) item->SetName(name);
            if (auto* ref = item->GetParam().AsVar())
                ref->LoadFromStream(s, this);
            else
                item->GetParam().LoadFromStream(s);
            item->Status = ReadByte(s) != 0;
            item->Reserved = ReadByte(s);
            item->Depth = ReadInt32(s);
            item->Local = ReadByte(s) != 0;
            if (name.empty()) Delete(item->GetIndex());
        } catch (...) {
            // The record being read goes; the ones before it stay.
            Delete(item->GetIndex());
            throw;
        }
    }
}

void TParamCollection::SaveToStream(TStream& s) const {
    WriteItems(s, false);
    WriteInt32(s, TextDelay);
    WriteStr(s, CursorText);
    WriteStr(s, SelStr);
    WriteInt32(s, SelIndex);
    for (int32_t v : HistorySettings) WriteInt32(s, v);
    WriteStr(s, TempTarget);
}

void TParamCollection::LoadFromStream(TStream& s, int32_t version) {
    for (int32_t i = Count() - 1; i >= 0; --i) {
        TParamCollectionItem* item = Item(i);
        if (!item->IsSystem() && !item->Status) Delete(i);
    }
    ReadItems(s);
    TextDelay = ReadInt32(s);
    CursorText = vobe::ReadStr(s);
    if (version > 102) {
        SelStr = vobe::ReadStr(s);
        SelIndex = ReadInt32(s);
    }
    if (version > 112)
        for (int32_t& v : HistorySettings) v = ReadInt32(s);
    if (version > 120) TempTarget = vobe::ReadStr(s);
}

void TParamCollection::SaveStatusToStream(TStream& s) const {
    WriteItems(s, true);
}

void TParamCollection::LoadStatusFromStream(TStream& s) {
    ReadItems(s);
}

// ---- the variable listing -------------------------------------------------------------------------

std::string DumpVariables(const TParamCollection& store) {
    std::vector<const TParamCollectionItem*> items;
    for (int32_t i = 0; i < store.Count(); ++i) {
        const TParamCollectionItem* item = store.Item(i);
        if (!item->IsSystem() && !item->GetName().empty()) items.push_back(item);
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const TParamCollectionItem* a, const TParamCollectionItem* b) {
                         return a->GetName() < b->GetName(); // char_traits<char> compares the bytes unsigned
                     });
    static const char* const typeNames[] = {"ref", "int", "float", "bool", "str"};
    std::string out;
    for (const TParamCollectionItem* item : items) {
        const TCustomParam& param = item->GetParam();
        const TParamType type = param.AsVar() ? PT_NONE : param.GetParamType();
        const std::string prefix = item->GetName();
        const char* typeName = type <= PT_STR ? typeNames[type] : "ref";
        if (param.AsVar() || param.Dims.empty()) {
            out += prefix + "\t" + typeName + "\t" + param.GetAsStr() + "\n";
            continue;
        }
        for (int32_t i = 0; i < param.GetCount(); ++i)
            out += prefix + "[" + IntToStr(i) + "]\t" + typeName + "\t" + param.GetStrAt(i) + "\n";
    }
    return out;
}

} // namespace vobe
