#include "framework/vobe_object.h"

#include <algorithm>
#include <cmath>

#include "archive/stream.h"
#include "framework/vobe_base_list.h"
#include "framework/vobe_cabinet.h"
#include "framework/vobe_factory.h"
#include "framework/vobe_motion.h"
#include "graphics/dibx.h"
#include "platform/cp932.h"

namespace vobe {

namespace {

// Deepest nesting of controls a save may hold; deeper trees are damaged data, not games.
constexpr int32_t MaxTreeDepth = 200;
int32_t LoadDepth = 0;

// StrToInt of a name suffix: an optional sign and decimal digits within the 32-bit range.
bool ParseSuffix(const std::string& s, int64_t& v) {
    size_t i = 0;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    if (i >= s.size()) return false;
    int64_t n = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        n = n * 10 + (s[i] - '0');
        if (n > 0x80000000LL) return false;
    }
    v = neg ? -n : n;
    return v >= INT32_MIN && v <= INT32_MAX;
}

// The name an older object takes when a new control claims its name: a trailing "_N" (N > 1) counts
// on from N, anything else gets "_2", "_3", ...; the first name no object of the scene carries.
std::string RenamedName(TVobeBaseList* scene, const std::string& old) {
    std::string base = old;
    int64_t start = 2;
    // The last "_" from the second byte on, never a trail byte of a double-byte character (0x5F can
    // be one). An earlier "_" cannot carry a number, since the later one would be part of it.
    size_t underscore = std::string::npos;
    for (size_t i = 0; i < old.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<unsigned char>(old[i])) && i + 1 < old.size()) {
            ++i;
            continue;
        }
        if (old[i] == '_' && i >= 1) underscore = i;
    }
    int64_t n;
    if (underscore != std::string::npos && ParseSuffix(old.substr(underscore + 1), n) && n > 1) {
        base = old.substr(0, underscore);
        start = n;
    }
    for (int64_t k = start;; ++k) {
        std::string candidate = base + "_" + std::to_string(k);
        if (!scene->FindNamed(candidate)) return candidate;
    }
}

} // namespace

TRect ScreenBounds(int64_t left, int64_t top, int64_t width, int64_t height) {
    auto clamp = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    return TRect{clamp(left), clamp(top), clamp(left + width), clamp(top + height)};
}

int64_t ParentPictureScale(int32_t picture, int32_t parentSize) {
    const long double ratio = static_cast<long double>(picture) / parentSize * 65536.0L;
    const int64_t scale = ratio >= 9.0e18L ? INT64_MAX : static_cast<int64_t>(std::trunc(ratio));
    return std::max<int64_t>(1, scale);
}

[[noreturn]] void RaiseObjectStreamError(const std::string& what) {
    throw EVobeError(SJ("セーブデータのコンポーネントが壊れています: ") + what);
}

int32_t ReadRecordCount(TStream& s, int32_t minBytes, const char* what) {
    int32_t n = ReadInt32(s);
    if (n < 0 || (minBytes > 0 && n > s.Remaining() / minBytes))
        RaiseObjectStreamError(std::string(what) + " " + std::to_string(n));
    return n;
}

bool ChildLess(const TVobeObject* a, const TVobeObject* b) {
    auto group = [](const TVobeObject* o) {
        if (o->Name.size() == 2 && o->Name[0] == ReservedNameMark && o->Name[1] == ReservedNameMark) return 2;
        return IsReservedName(o->Name) ? 0 : 1;
    };
    int ga = group(a), gb = group(b);
    if (ga != gb) return ga < gb;
    if (ga == 2) return false;
    int64_t pa = int64_t{a->Priority} + a->MotionPriority;
    int64_t pb = int64_t{b->Priority} + b->MotionPriority;
    if (pa != pb) return pa < pb;
    return a->Name < b->Name; // byte-wise: std::string compares as unsigned char
}

// ---- TVobeObject ---------------------------------------------------------------------------------

namespace {
uint64_t NextSerial = 0; // objects are made on the game thread only
} // namespace

TVobeObject::TVobeObject(TVobeBaseList* owner) : Owner(owner), Serial(++NextSerial) {}

TVobeObject::~TVobeObject() {
    if (Owner && Owner != this) Owner->ObjectFreed(this);
}

void TVobeObject::Created() {
    if (!Owner) return;
    if (NeedsDefaultName()) Name = Owner->UniqueName("object");
    Owner->AddObject(this);
}

void TVobeObject::SetName(const std::string& name) {
    if (name == Name) return;
    // An empty name is the mark of a deleted object; it claims nothing.
    if (Owner && !name.empty()) {
        if (TVobeObject* other = Owner->FindNamed(name, this)) {
            if (IsControl())
                other->Name = RenamedName(Owner, other->Name);
            else
                Owner->MarkDeleted(other);
        }
    }
    Name = name;
}

void TVobeObject::SetPriority(int32_t value) {
    if (value == Priority) return;
    Priority = value;
    MotionPriority = 0;
}

void TVobeObject::SetTag(const std::string& value) {
    Tag = value;
}
std::string TVobeObject::GetParentName() {
    return std::string();
}
void TVobeObject::SetParentName(const std::string&) {}
std::string TVobeObject::GetBorderSource(int32_t) {
    return std::string();
}
void TVobeObject::SetBorderSource(int32_t, const std::string&) {}
int32_t TVobeObject::GetBorderHAlign(int32_t) {
    return 0;
}
void TVobeObject::SetBorderHAlign(int32_t, int32_t) {}
int32_t TVobeObject::GetBorderVAlign(int32_t) {
    return 0;
}
void TVobeObject::SetBorderVAlign(int32_t, int32_t) {}
long double TVobeObject::GetParam(int32_t) {
    return 0;
}
void TVobeObject::SetParam(int32_t, long double) {}
TPoint TVobeObject::GetCaretPoint() {
    return TPoint{};
}

#define VOBE_DEFINE_RW(id, T, Acc, Def)                                                                      \
    TProp##T TVobeObject::Get##Acc() {                                                                       \
        return Def;                                                                                          \
    }                                                                                                        \
    void TVobeObject::Set##Acc(TPropArg##T) {}
#define VOBE_DEFINE_RO(id, T, Acc, Def)                                                                      \
    TProp##T TVobeObject::Get##Acc() {                                                                       \
        return Def;                                                                                          \
    }
VOBE_PROPERTY_ACCESSORS(VOBE_DEFINE_RW, VOBE_DEFINE_RO)
#undef VOBE_DEFINE_RW
#undef VOBE_DEFINE_RO

bool TVobeObject::GetItemCheck(int32_t) {
    return false;
}
void TVobeObject::SetItemCheck(int32_t, bool) {}
bool TVobeObject::GetItemEnabled(int32_t) {
    return true;
}
void TVobeObject::SetItemEnabled(int32_t, bool) {}
bool TVobeObject::GetItemVisible(int32_t) {
    return true;
}
void TVobeObject::SetItemVisible(int32_t, bool) {}
int32_t TVobeObject::GetPlayState() {
    return 2;
}
void TVobeObject::SetPlayState(int32_t) {}

TCustomDIBX* TVobeObject::GetSurface() {
    return nullptr;
}
uint8_t TVobeObject::GetCompoType() {
    return ctNone;
}
TVobeObject* TVobeObject::GetObject(int32_t) {
    return nullptr;
}
int32_t TVobeObject::GetObjectCount() {
    return 0;
}
TVobeObject* TVobeObject::GetChild(int32_t) {
    return nullptr;
}
int32_t TVobeObject::GetChildCount() {
    return 0;
}
TVobeBase* TVobeObject::GetBase() {
    return nullptr;
}
bool TVobeObject::GetMarked() {
    return false;
}
void TVobeObject::SetMarked(bool) {}
TRect TVobeObject::GetScreenRect() {
    return ScreenBounds(GetScreenLeft(), GetScreenTop(), GetWidth(), GetHeight());
}
bool TVobeObject::IsSuspended() {
    return false;
}
int32_t TVobeObject::GetScreenLeft() {
    return 0;
}
int32_t TVobeObject::GetScreenTop() {
    return 0;
}
int32_t TVobeObject::GetLocalLeft() {
    return 0;
}
int32_t TVobeObject::GetLocalTop() {
    return 0;
}
TRect TVobeObject::GetHitRect() {
    return TRect{};
}
void TVobeObject::SetHitRect(const TRect&) {}
TPoint TVobeObject::GetAnchorPoint() {
    return TPoint{};
}
std::string TVobeObject::GetTextAlias() {
    return GetText();
}
void TVobeObject::AppendText(const std::string& text) {
    SetText(GetText() + text);
}
TCustomDIBX* TVobeObject::GetImage() {
    return nullptr;
}
void TVobeObject::SetImage(TCustomDIBX*) {}
bool TVobeObject::GetImageSize(int32_t& width, int32_t& height) {
    width = height = 0;
    return false;
}
void TVobeObject::Invalidate() {}
void TVobeObject::Draw() {}
TVobeObject* TVobeObject::HitTest(TPoint, TAcceptSet) {
    return nullptr;
}
bool TVobeObject::Update() {
    return false;
}
void TVobeObject::MouseLeftDown() {}
void TVobeObject::MouseLeftUp() {}
void TVobeObject::MouseRightDown() {}
void TVobeObject::MouseRightUp() {}
void TVobeObject::MouseMove() {}
void TVobeObject::MouseOut(TVobeObject*) {}
void TVobeObject::MouseIn(TVobeObject*) {}
void TVobeObject::MouseCaptureTick() {}
void TVobeObject::ApplySelected(bool) {}
void TVobeObject::ApplyAllowAllUp(bool) {}

void TVobeObject::SaveToStream(TStream& s) {
    WriteStr(s, Name);
    WriteInt32(s, Priority);
    WriteInt32(s, MotionPriority);
    WriteStr(s, Tag);
}

void TVobeObject::LoadFromStream(TStream& s, int32_t version) {
    Name = ReadStr(s);
    Priority = ReadInt32(s);
    if (version > 103) MotionPriority = ReadInt32(s);
    if (version >= 120) Tag = ReadStr(s);
}

TPoint TVobeObject::ClientToScreen(TPoint p) {
    return TPoint{static_cast<int32_t>(int64_t{p.X} + GetScreenLeft()),
                  static_cast<int32_t>(int64_t{p.Y} + GetScreenTop())};
}
TPoint TVobeObject::ScreenToClient(TPoint p) {
    return TPoint{static_cast<int32_t>(int64_t{p.X} - GetScreenLeft()),
                  static_cast<int32_t>(int64_t{p.Y} - GetScreenTop())};
}
bool TVobeObject::NeedsDefaultName() {
    return true;
}
void TVobeObject::SetMotion(const std::string&) {}
void TVobeObject::Restart() {}
void TVobeObject::RestartMotion() {}
bool TVobeObject::CancelByRightClick() {
    return false;
}
bool TVobeObject::ClipToSelf(TRect& r) {
    r = IntersectRect(r, GetScreenRect());
    return !r.IsEmpty();
}
void TVobeObject::ReleaseSurfaces() {}
void TVobeObject::RestoreSurfaces() {}
TVobeControl* TVobeObject::FindFocusable() {
    return nullptr;
}
void TVobeObject::KeyDown() {}
void TVobeObject::KeyUp() {}
void TVobeObject::KeyRepeat() {}
bool TVobeObject::IsAncestorOf(const TVobeObject*) {
    return false;
}
void TVobeObject::NotifyDirty(const TRect&) {}
bool TVobeObject::InCabinet() {
    return false;
}
std::string TVobeObject::GetCursorAlias() {
    return std::string();
}
void TVobeObject::FocusEnter() {}
void TVobeObject::CabinetEnter() {}
void TVobeObject::CabinetLeave() {}
bool TVobeObject::IsShowing() {
    return false;
}
void TVobeObject::PositionChanged() {}

bool TVobeObject::IsQueued(uint8_t kind) const {
    return Owner && Owner->Events.FindQueued(this, kind) >= 0;
}

bool TVobeObject::PostEvent(uint8_t kind, const std::string& handler, const std::vector<std::string>& args,
                            bool once) {
    if (handler.empty() || !Owner) return false;
    if (once && IsQueued(kind)) return false;
    Owner->Events.Post(this, handler, args, kind);
    return true;
}

bool TVobeObject::IsBase() const {
    return dynamic_cast<const TVobeBase*>(this) != nullptr;
}
bool TVobeObject::IsControl() const {
    return dynamic_cast<const TVobeControl*>(this) != nullptr;
}

// ---- TVobeComponent ------------------------------------------------------------------------------

void TVobeComponent::AddObject(TVobeObject*) {}
void TVobeComponent::RemoveObject(TVobeObject*) {}
bool TVobeComponent::IsDeleted(const TVobeObject*) {
    return false;
}
void TVobeComponent::MarkDeleted(TVobeObject*) {}

// ---- TVobeControl --------------------------------------------------------------------------------

TVobeControl::TVobeControl(TVobeBaseList* owner) : TVobeComponent(owner) {}

TVobeControl::~TVobeControl() {
    // Children go first, each leaving the scene's list.
    while (!Children.empty()) {
        TVobeObject* c = Children.back();
        Children.pop_back();
        if (auto* cc = dynamic_cast<TVobeControl*>(c)) cc->Parent = nullptr;
        delete c;
    }
    Motion.reset();
    if (Parent) {
        TVobeControl* p = Parent;
        Parent = nullptr;
        p->RemoveChild(this);
    }
}

void TVobeControl::Created() {
    TVobeObject::Created();
    if (Owner && !Owner->Focused) Owner->RequestRefocus();
}

std::string TVobeControl::GetParentName() {
    return Parent ? Parent->Name : std::string();
}

void TVobeControl::SetParentName(const std::string& name) {
    if (!Owner || IsBase()) return;
    if (TVobeControl* c = Owner->FindControl(name)) SetParent(c);
}

void TVobeControl::SetParent(TVobeControl* newParent) {
    if (newParent == Parent || newParent == this || (newParent && IsAncestorOf(newParent))) return;
    Invalidate();
    if (TVobeControl* old = Parent) {
        old->RemoveChild(this);
        Parent = nullptr;
        if (dynamic_cast<TVobeCabinet*>(old)) CabinetLeave();
    }
    Parent = newParent;
    if (newParent) {
        newParent->AddChild(this);
        if (dynamic_cast<TVobeCabinet*>(newParent)) CabinetEnter();
    }
    Invalidate();
    if (!Owner) return;
    TVobeBase* base = GetBase();
    if (HoldsFocus() && base && base == Owner->BackBase()) {
        Owner->SetFocus(nullptr);
        Owner->RequestRefocus();
    } else if (!Owner->Focused && base && base == Owner->FrontBase()) {
        Owner->RequestRefocus();
    }
}

bool TVobeControl::SetInvalidating(int32_t& field, int32_t v) {
    if (field == v) return false;
    Invalidate();
    field = v;
    Invalidate();
    return true;
}

void TVobeControl::SetLeft(int32_t v) {
    if (v != Left) {
        Invalidate();
        Left = v;
        MotionX = 0;
        Invalidate();
    }
    PositionChanged();
}

void TVobeControl::SetTop(int32_t v) {
    if (v != Top) {
        Invalidate();
        Top = v;
        MotionY = 0;
        Invalidate();
    }
    PositionChanged();
}

void TVobeControl::SetOffsetX(int32_t v) {
    SetInvalidating(OffsetX, v);
    PositionChanged();
}

void TVobeControl::SetOffsetY(int32_t v) {
    SetInvalidating(OffsetY, v);
    PositionChanged();
}

void TVobeControl::SetWidth(int32_t v) {
    SetInvalidating(Width, v);
}
void TVobeControl::SetHeight(int32_t v) {
    SetInvalidating(Height, v);
}
void TVobeControl::SetColor(int32_t v) {
    SetInvalidating(Color, v);
}
void TVobeControl::SetPlusX(int32_t v) {
    SetInvalidating(PlusX, v);
}
void TVobeControl::SetPlusY(int32_t v) {
    SetInvalidating(PlusY, v);
}

void TVobeControl::SetPosZoomed(bool v) {
    if (v == PosZoomed) return;
    Invalidate();
    PosZoomed = v;
    Invalidate();
}

void TVobeControl::SetClipLeft(int32_t v) {
    if (SetInvalidating(ClipLeft, v)) ClipChanged();
}
void TVobeControl::SetClipTop(int32_t v) {
    if (SetInvalidating(ClipTop, v)) ClipChanged();
}
void TVobeControl::SetClipWidth(int32_t v) {
    if (SetInvalidating(ClipWidth, v)) ClipChanged();
}
void TVobeControl::SetClipHeight(int32_t v) {
    if (SetInvalidating(ClipHeight, v)) ClipChanged();
}

bool TVobeControl::GetVisible() {
    return Visible && Parent && Parent->GetVisible();
}

void TVobeControl::SetVisible(bool v) {
    if (v == Visible) return;
    if (!v) {
        Invalidate();
        Visible = false;
        FocusAfterHide();
    } else {
        Visible = true;
        Invalidate();
        FocusAfterShow();
    }
}

bool TVobeControl::HoldsFocus() {
    if (!Owner || !Owner->Focused) return false;
    return Owner->Focused == this || IsAncestorOf(Owner->Focused);
}

void TVobeControl::FocusAfterHide() {
    if (!HoldsFocus()) return;
    Owner->SetFocus(nullptr);
    Owner->RequestRefocus();
}

void TVobeControl::FocusAfterShow() {
    if (Owner && !Owner->Focused) Owner->RequestRefocus();
}

bool TVobeControl::GetPlaying() {
    return Motion && !Motion->IsFinished() && !AniPaused;
}

void TVobeControl::SetHandleKey(bool v) {
    if (v == HandleKey) return;
    HandleKey = v;
    if (!Owner) return;
    if ((v && !Owner->Focused) || (!v && Owner->Focused == this)) Owner->RequestRefocus();
}

void TVobeControl::SetPriority(int32_t value) {
    if (value == Priority) return;
    Priority = value;
    MotionPriority = 0;
    if (Parent) Parent->SortChildren();
    Invalidate();
}

void TVobeControl::SetMarked(bool value) {
    if (value == Marked) return;
    Invalidate();
    Marked = value;
    Invalidate();
}

TCustomDIBX* TVobeControl::GetSurface() {
    return Parent ? Parent->GetSurface() : nullptr;
}

TVobeObject* TVobeControl::GetChild(int32_t index) {
    if (index < 0 || index >= GetChildCount()) return nullptr;
    return Children[static_cast<size_t>(index)];
}

TVobeBase* TVobeControl::GetBase() {
    return Parent ? Parent->GetBase() : nullptr;
}

bool TVobeControl::PlaceOnParentPicture(bool vertical, int32_t& result) {
    if (!PosZoomed || !Parent || Parent->IsBase() || Motion) return false;
    int32_t ppw, pph, ow, oh;
    if (!Parent->GetImageSize(ppw, pph) || !GetImageSize(ow, oh)) return false;
    if ((vertical ? GetZoomY() : GetZoomX()) != (vertical ? Parent->GetZoomY() : Parent->GetZoomX()))
        return false;
    const int32_t parentSize = vertical ? Parent->Height : Parent->Width;
    // A parent without extent gives no scale; the ordinary placement applies.
    if (parentSize <= 0) return false;
    const int32_t pic = vertical ? pph : ppw;
    const int32_t own = vertical ? oh : ow;
    const int32_t pos = vertical ? Top : Left;
    const int32_t off = vertical ? OffsetY : OffsetX;
    const bool flip = vertical ? GetFlipV() : GetFlipH();
    const int64_t scale = ParentPictureScale(pic, parentSize);
    const int64_t n = flip ? (int64_t{pic} + off - pos - own) * 65536 : (int64_t{pos} - off) * 65536;
    int64_t e = n / scale;
    if (n % scale > 0x7FFF) ++e;
    result = static_cast<int32_t>(e + (vertical ? PlusY : PlusX));
    return true;
}

int32_t TVobeControl::PlaceX(bool withParent) {
    int32_t r;
    if (PlaceOnParentPicture(false, r)) {
        if (withParent) r += Parent->GetScreenLeft() - Parent->GetScrollX();
        return r;
    }
    const int32_t zoom = GetZoomX();
    const int64_t off = zoom != 256 ? int64_t{zoom} * OffsetX / 256 : OffsetX;
    const int64_t b = GetFlipH() ? Width - off - 1 : off;
    const int64_t c = Motion ? MotionX : PosZoomed ? int64_t{zoom} * Left / 256 : Left;
    int64_t v = c - b + PlusX;
    if (withParent && Parent) v += int64_t{Parent->GetScreenLeft()} - Parent->GetScrollX();
    return static_cast<int32_t>(v);
}

int32_t TVobeControl::PlaceY(bool withParent) {
    int32_t r;
    if (PlaceOnParentPicture(true, r)) {
        if (withParent) r += Parent->GetScreenTop() - Parent->GetScrollY();
        return r;
    }
    const int32_t zoom = GetZoomY();
    const int64_t off = zoom != 256 ? int64_t{zoom} * OffsetY / 256 : OffsetY;
    const int64_t b = GetFlipV() ? Height - off - 1 : off;
    const int64_t c = Motion ? MotionY : PosZoomed ? int64_t{zoom} * Top / 256 : Top;
    int64_t v = c - b + PlusY;
    if (withParent && Parent) v += int64_t{Parent->GetScreenTop()} - Parent->GetScrollY();
    return static_cast<int32_t>(v);
}

int32_t TVobeControl::GetScreenLeft() {
    return PlaceX(true);
}
int32_t TVobeControl::GetScreenTop() {
    return PlaceY(true);
}
int32_t TVobeControl::GetLocalLeft() {
    return PlaceX(false);
}
int32_t TVobeControl::GetLocalTop() {
    return PlaceY(false);
}

TRect TVobeControl::GetScreenRect() {
    return ScreenBounds(GetScreenLeft(), GetScreenTop(), Width, Height);
}

TPoint TVobeControl::GetAnchorPoint() {
    int64_t x = Motion ? MotionX : PosZoomed ? int64_t{GetZoomX()} * Left / 256 : Left;
    int64_t y = Motion ? MotionY : PosZoomed ? int64_t{GetZoomY()} * Top / 256 : Top;
    x += PlusX;
    y += PlusY;
    if (Parent) {
        x += int64_t{Parent->GetScreenLeft()} - Parent->GetScrollX();
        y += int64_t{Parent->GetScreenTop()} - Parent->GetScrollY();
    }
    return TPoint{static_cast<int32_t>(x), static_cast<int32_t>(y)};
}

TPoint TVobeControl::ClientToScreen(TPoint p) {
    return TVobeObject::ClientToScreen(p);
}
TPoint TVobeControl::ScreenToClient(TPoint p) {
    return TVobeObject::ScreenToClient(p);
}

bool TVobeControl::GetClipRect(TRect& r) {
    if (ClipWidth < 1 || ClipHeight < 1) return false;
    r = ScreenBounds(int64_t{GetScreenLeft()} + ClipLeft, int64_t{GetScreenTop()} + ClipTop, ClipWidth,
                     ClipHeight);
    return true;
}

void TVobeControl::Invalidate() {
    if (!GetVisible()) return;
    TVobeBase* base = GetBase();
    if (!base) return;
    TRect r = GetScreenRect();
    if (Parent && !Parent->ClipToSelf(r)) return;
    TRect clip;
    if (GetClipRect(clip)) {
        r = IntersectRect(r, clip);
        if (r.IsEmpty()) return;
    }
    NotifyDirty(r);
    base->AddDirtyRect(r);
}

void TVobeControl::NotifyDirty(const TRect& r) {
    if (Parent) Parent->NotifyDirty(r);
}

bool TVobeControl::ClipToSelf(TRect& r) {
    return TVobeObject::ClipToSelf(r);
}

void TVobeControl::Draw() {
    DrawChildren();
}

void TVobeControl::DrawChildren() {
    TCustomDIBX* surface = GetSurface();
    if (!surface) return;
    const TRect saved = surface->ClipRect;
    const TRect whole = Bounds(0, 0, surface->Width(), surface->Height());
    const TRect current = saved.Right == 0 ? whole : IntersectRect(saved, whole);
    for (size_t i = 0; i < Children.size(); ++i) {
        auto* c = dynamic_cast<TVobeControl*>(Children[i]);
        if (!c || !c->GetVisible()) continue;
        TRect r = IntersectRect(c->GetScreenRect(), current);
        TRect clip;
        if (c->GetClipRect(clip)) r = IntersectRect(r, clip);
        if (r.IsEmpty()) continue;
        surface->ClipRect = r;
        c->Draw();
        surface->ClipRect = saved;
    }
}

TVobeObject* TVobeControl::HitTest(TPoint p, TAcceptSet acceptSet) {
    if (!GetVisible() || !GetScreenRect().Contains(p.X, p.Y)) return nullptr;
    TVobeObject* candidate = (IgnoreMouse <= 7 && ((acceptSet >> IgnoreMouse) & 1)) ? this : nullptr;
    for (size_t i = Children.size(); i-- > 0;)
        if (TVobeObject* hit = Children[i]->HitTest(p, acceptSet)) return hit;
    return candidate;
}

bool TVobeControl::Update() {
    if (Motion && Motion->Step()) {
        if (GetAutoScrap()) return true;
        PostEvent(PR_ONPLAYEND, GetOnPlayEnd());
    }
    return false;
}

std::vector<std::string> TVobeControl::MouseArgs() {
    TVobeBase* base = GetBase();
    int64_t x = base ? int64_t{base->MouseX} - GetScreenLeft() : 0;
    int64_t y = base ? int64_t{base->MouseY} - GetScreenTop() : 0;
    return {std::to_string(x), std::to_string(y)};
}

void TVobeControl::MouseLeftDown() {
    TVobeBase* base = GetBase();
    const bool accepts = IgnoreMouse == 0 || IgnoreMouse == 4;
    if (accepts && !GetPaused() && !IsQueued(PR_ONLBTNDOWN) && !IsBase() && !IsSuspended()) {
        PostEvent(PR_ONLBTNDOWN, OnLBtnDown, MouseArgs());
        if (base) {
            base->Capture |= 4;
            base->LeftClick = 0;
        }
    } else if (accepts && !IsBase() && base) {
        base->LeftClick = 0;
    }
}

void TVobeControl::MouseRightDown() {
    TVobeBase* base = GetBase();
    const bool accepts = IgnoreMouse == 0 || IgnoreMouse == 3;
    if (accepts && !GetPaused() && !IsQueued(PR_ONRBTNDOWN) && !IsBase() && !IsSuspended()) {
        PostEvent(PR_ONRBTNDOWN, OnRBtnDown, MouseArgs());
        if (base) {
            base->Capture |= 8;
            base->RightClick = 0;
        }
    } else if (accepts && !IsBase() && base) {
        base->RightClick = 0;
    }
}

void TVobeControl::MouseLeftUp() {
    if (!IsSuspended()) PostEvent(PR_ONLBTNUP, OnLBtnUp, MouseArgs());
    if (TVobeBase* base = GetBase()) base->Capture &= static_cast<uint8_t>(~4);
}

void TVobeControl::MouseRightUp() {
    if (!IsSuspended()) PostEvent(PR_ONRBTNUP, OnRBtnUp, MouseArgs());
    if (TVobeBase* base = GetBase()) base->Capture &= static_cast<uint8_t>(~8);
}

void TVobeControl::MouseMove() {
    if (!IsSuspended()) PostEvent(PR_ONMOUSEMOVE, OnMouseMove, MouseArgs());
}

void TVobeControl::MouseOut(TVobeObject*) {
    if (!IsSuspended()) PostEvent(PR_ONMOUSEOUT, OnMouseOut);
}

void TVobeControl::MouseIn(TVobeObject*) {
    if (!IsSuspended()) PostEvent(PR_ONMOUSEIN, OnMouseIn);
}

void TVobeControl::KeyDown() {
    if (!GetPaused() && !IsBase() && !IsSuspended()) PostEvent(PR_ONKEYDOWN, OnKeyDown);
}

void TVobeControl::KeyUp() {
    if (!GetPaused() && !IsBase() && !IsSuspended()) PostEvent(PR_ONKEYUP, OnKeyUp);
}

void TVobeControl::KeyRepeat() {
    if (!GetPaused() && !IsBase() && !IsSuspended()) PostEvent(PR_ONKEYREPEAT, OnKeyRepeat);
}

void TVobeControl::RestartMotion() {
    if (Motion) Motion->Rewind();
}

TVobeControl* TVobeControl::FindFocusable() {
    for (size_t i = Children.size(); i-- > 0;) {
        TVobeObject* c = Children[i];
        if (!c->GetVisible()) continue;
        if (TVobeControl* f = c->FindFocusable()) return f;
    }
    if (GetHandleKey() && !GetPaused()) return this;
    return nullptr;
}

bool TVobeControl::IsAncestorOf(const TVobeObject* o) {
    const auto* c = dynamic_cast<const TVobeControl*>(o);
    for (TVobeControl* p = c ? c->Parent : nullptr; p; p = p->Parent)
        if (p == this) return true;
    return false;
}

bool TVobeControl::InCabinet() {
    for (TVobeControl* p = Parent; p; p = p->Parent)
        if (dynamic_cast<TVobeCabinet*>(p)) return true;
    return false;
}

bool TVobeControl::IsShowing() {
    if (!GetVisible()) return false;
    TVobeBase* base = GetBase();
    return base && base->Owner && base == base->Owner->FrontBase();
}

void TVobeControl::PositionChanged() {
    for (size_t i = 0; i < Children.size(); ++i) Children[i]->PositionChanged();
}

TVobeMotion* TVobeControl::GetMotion() {
    return Motion.get();
}

void TVobeControl::AddChild(TVobeObject* o) {
    Children.push_back(o);
    SortChildren();
}

void TVobeControl::RemoveChild(TVobeObject* o) {
    auto it = std::find(Children.begin(), Children.end(), o);
    if (it != Children.end()) Children.erase(it);
}

void TVobeControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    if (left == Left && top == Top && width == Width && height == Height) return;
    Invalidate();
    if (left != Left) MotionX = 0;
    if (top != Top) MotionY = 0;
    Left = left;
    Top = top;
    Width = width;
    Height = height;
    Invalidate();
    PositionChanged();
}

void TVobeControl::SortChildren() {
    std::stable_sort(Children.begin(), Children.end(), ChildLess);
}

void TVobeControl::ClipChanged() {
    for (size_t i = 0; i < Children.size(); ++i)
        if (auto* c = dynamic_cast<TVobeControl*>(Children[i])) c->ClipChanged();
}

void TVobeControl::SaveToStream(TStream& s) {
    TVobeObject::SaveToStream(s);
    for (int32_t v : {Left, Top, Width, Height, OffsetX, OffsetY}) WriteInt32(s, v);
    WriteBool(s, PosZoomed);
    for (int32_t v : {MotionX, MotionY, PlusX, PlusY}) WriteInt32(s, v);
    for (int32_t v : {ClipLeft, ClipTop, ClipWidth, ClipHeight}) WriteInt32(s, v);
    WriteBool(s, AniPaused);
    WriteBool(s, Visible);
    WriteInt32(s, Color);
    for (int32_t v : {HitRect.Left, HitRect.Top, HitRect.Right, HitRect.Bottom}) WriteInt32(s, v);
    WriteByte(s, IgnoreMouse);
    WriteStr(s, Cursor);
    WriteStr(s, OnMouseMove);
    WriteStr(s, OnMouseIn);
    for (const std::string* h :
         {&OnMouseOut, &OnLBtnDown, &OnLBtnUp, &OnRBtnDown, &OnRBtnUp, &OnWheelDown, &OnWheelUp})
        WriteStr(s, *h);
    WriteBool(s, HandleKey);
    for (const std::string* h : {&OnKeyDown, &OnKeyUp, &OnKeyRepeat, &OnFocusIn, &OnFocusOut})
        WriteStr(s, *h);
    SaveChildren(s);
}

void TVobeControl::LoadFromStream(TStream& s, int32_t version) {
    TVobeObject::LoadFromStream(s, version);
    for (int32_t* v : {&Left, &Top, &Width, &Height, &OffsetX, &OffsetY}) *v = ReadInt32(s);
    PosZoomed = ReadBool(s);
    if (version >= 130)
        for (int32_t* v : {&MotionX, &MotionY, &PlusX, &PlusY}) *v = ReadInt32(s);
    if (version > 103) {
        for (int32_t* v : {&ClipLeft, &ClipTop, &ClipWidth, &ClipHeight}) *v = ReadInt32(s);
        AniPaused = ReadBool(s);
    }
    Visible = ReadBool(s);
    Color = ReadInt32(s);
    for (int32_t* v : {&HitRect.Left, &HitRect.Top, &HitRect.Right, &HitRect.Bottom}) *v = ReadInt32(s);
    IgnoreMouse = ReadByte(s);
    Cursor = ReadStr(s);
    OnMouseMove = ReadStr(s);
    if (version > 101) OnMouseIn = ReadStr(s);
    for (std::string* h :
         {&OnMouseOut, &OnLBtnDown, &OnLBtnUp, &OnRBtnDown, &OnRBtnUp, &OnWheelDown, &OnWheelUp})
        *h = ReadStr(s);
    if (version > 117) {
        HandleKey = ReadBool(s);
        for (std::string* h : {&OnKeyDown, &OnKeyUp, &OnKeyRepeat, &OnFocusIn, &OnFocusOut}) *h = ReadStr(s);
    }
    LoadChildren(s, version);
}

void TVobeControl::SaveChildren(TStream& s) {
    std::vector<TVobeObject*> saved;
    for (TVobeObject* c : Children) {
        if (Owner && Owner->IsDeleted(c)) continue;
        if (c->GetCompoType() == ctNone || IsReservedName(c->Name)) continue;
        saved.push_back(c);
    }
    WriteInt32(s, static_cast<int32_t>(saved.size()));
    for (TVobeObject* c : saved) {
        WriteByte(s, c->GetCompoType());
        c->SaveToStream(s);
    }
}

void TVobeControl::LoadChildren(TStream& s, int32_t version) {
    // A child record takes at least its type byte, an empty name and the priority.
    const int32_t n = ReadRecordCount(s, 9, "child count");
    if (LoadDepth >= MaxTreeDepth)
        RaiseObjectStreamError("nesting deeper than " + std::to_string(MaxTreeDepth));
    ++LoadDepth;
    struct DepthGuard {
        ~DepthGuard() { --LoadDepth; }
    } guard;
    for (int32_t i = 0; i < n; ++i) {
        const uint8_t code = ReadByte(s);
        TVobeObject* o = CreateVobeObject(code, Owner);
        if (!o) RaiseObjectStreamError("unknown type code " + std::to_string(code));
        auto* c = dynamic_cast<TVobeControl*>(o);
        if (c) {
            c->Parent = this;
            Children.push_back(c);
        } else if (!Owner) {
            // A component without a scene has no owner to keep it: the record still has to be read.
            std::unique_ptr<TVobeObject> holder(o);
            o->LoadFromStream(s, version);
            continue;
        }
        o->LoadFromStream(s, version);
    }
    SortChildren();
}

} // namespace vobe
