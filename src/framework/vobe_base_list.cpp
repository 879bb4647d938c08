#include "framework/vobe_base_list.h"

#include <algorithm>
#include <cstdio>

#include "archive/stream.h"
#include "framework/vobe_factory.h"
#include "framework/vobe_initialize.h"
#include "graphics/dibx.h"
#include "platform/globals.h"
#include "values/param_collection.h"

namespace vobe {

TVobeBaseList* Bases = nullptr;

namespace {

const std::string& Base0Name() {
    static const std::string n = std::string(1, ReservedNameMark) + "BASE0";
    return n;
}
const std::string& Base1Name() {
    static const std::string n = std::string(1, ReservedNameMark) + "BASE1";
    return n;
}

// Larger scenes than this are damaged data: no display holds them.
constexpr int32_t MaxSceneSize = 32768;
// A base picture larger than this is not made (a size set by a damaged script): the base then draws
// nothing instead of exhausting memory.
constexpr int64_t MaxSurfacePixels = int64_t{8192} * 8192;

// A surface of that size at the depth of the display, or null for an empty or impossible size.
void MakeSurface(std::unique_ptr<TDIBX>& surface, int32_t w, int32_t h) {
    if (w <= 0 || h <= 0 || int64_t{w} * h > MaxSurfacePixels) {
        surface.reset();
        return;
    }
    if (!surface) surface = std::make_unique<TDIBX>();
    surface->SetSize(w, h, PanelBitCount());
}

} // namespace

// ---- TVobeBase -----------------------------------------------------------------------------------

TVobeBase::TVobeBase(TVobeBaseList* owner) : TVobeControl(owner) {}

TVobeBase::~TVobeBase() = default;

void TVobeBase::AddDirtyRect(const TRect& r) {
    const TRect c = IntersectRect(r, Bounds(0, 0, Width, Height));
    if (!c.IsEmpty()) Dirty.AddRect(c);
}

void TVobeBase::DirtyAll() {
    Dirty.Clear();
    AddDirtyRect(GetScreenRect());
}

void TVobeBase::RebuildSurface() {
    MakeSurface(Surface, Width, Height);
}

void TVobeBase::SetVisible(bool v) {
    if (v == Visible) return;
    Visible = v;
    // What the base showed must go or come back whole.
    DirtyAll();
}

void TVobeBase::SetWidth(int32_t v) {
    if (v == Width) return;
    Width = v;
    RebuildSurface();
    DirtyAll();
}

void TVobeBase::SetHeight(int32_t v) {
    if (v == Height) return;
    Height = v;
    RebuildSurface();
    DirtyAll();
}

TCustomDIBX* TVobeBase::GetSurface() {
    return Owner ? Owner->BaseSurface(this) : Surface.get();
}

void TVobeBase::ReleaseSurfaces() {
    Surface.reset();
}

void TVobeBase::RestoreSurfaces() {
    RebuildSurface();
}

void TVobeBase::Draw() {
    if (!Visible || Dirty.Count() == 0) return;
    TCustomDIBX* s = GetSurface();
    if (!s || s->IsEmpty()) return;
    const TRect whole = GetScreenRect();
    const uint32_t fill = Color >= 0 ? static_cast<uint32_t>(s->ColorToPixel(Color)) : 0;
    for (const TRect& r : Dirty.Rects()) {
        s->ClipRect = r;
        if (Color >= 0) s->FillRect(IntersectRect(whole, r), fill);
        DrawChildren();
    }
    s->ClipRect = TRect{};
}

void TVobeBase::UpdateMousePos(TPoint p) {
    if (p.X == MouseX && p.Y == MouseY) return;
    MouseX = p.X;
    MouseY = p.Y;
    Moved = 1;
}

void TVobeBase::ProcessMouse() {
    LeftClick = LeftClickLatch;
    RightClick = RightClickLatch;
    WheelDown = WheelDownLatch;
    WheelUp = WheelUpLatch;
    LeftClickLatch = RightClickLatch = WheelDownLatch = WheelUpLatch = 0;
    TVobeBaseList* scene = Owner;
    if (!scene) return;
    // Objects are freed only by the scene's update, never while input is processed; a handler call can
    // still mark one deleted, which the scene's list then says.
    auto alive = [scene](TVobeObject* o) { return scene->HasObject(o); };

    if (RightClick && scene->RightClickList.Count() > 0) {
        // A menu that closes may leave the list while it is walked.
        std::vector<TVobeObject*> list;
        for (int32_t i = 0; i < scene->RightClickList.Count(); ++i)
            list.push_back(scene->RightClickList.Items(i));
        for (TVobeObject* c : list) {
            if (!scene->RightClickList.Contains(c)) continue;
            const int32_t ignore = c->GetIgnoreMouse();
            if (!c->GetRClickScrap() || !c->GetVisible() || c->GetBase() != this || c->GetPaused() ||
                (ignore != 0 && ignore != 3))
                continue;
            if (c->CancelByRightClick()) {
                RightClick = 0;
                break;
            }
        }
    }

    // A captured button keeps its control until it is released, wherever the pointer goes.
    if (Capture != 0 && alive(Hover)) {
        if ((Capture & 4) && !LeftHeld) {
            Hover->MouseLeftUp();
            Capture &= static_cast<uint8_t>(~4);
        } else if ((Capture & 8) && !RightHeld) {
            Hover->MouseRightUp();
            Capture &= static_cast<uint8_t>(~8);
        }
        if (Moved && Hover) Hover->MouseMove();
        if (Hover) Hover->MouseCaptureTick();
        Moved = 0;
        return;
    }

    static constexpr TAcceptSet LeftSet = AcceptSet({0, 4}), RightSet = AcceptSet({0, 3}),
                                HoverSet = AcceptSet({0, 2, 3, 4});
    TVobeObject* target = HitTest(TPoint{MouseX, MouseY}, LeftClick    ? LeftSet
                                                          : RightClick ? RightSet
                                                                       : HoverSet);
    Capture = 0;

    if (target) {
        std::string cursor = target->GetCursorAlias();
        if (cursor.empty() && ParamCollection) cursor = ParamCollection->CursorText;
        if (!cursor.empty()) {
            if (cursor != CursorName) {
                if (BasePanel) BasePanel->LoadCustomCursor(cursor);
                CursorName = cursor;
            }
            if (BasePanel) BasePanel->ShowCustomCursor(true);
        } else if (BasePanel) {
            BasePanel->ShowCustomCursor(false);
        }

        if (LeftClick) {
            target->MouseLeftDown();
            if (!alive(target)) {
                target = nullptr;
            } else if (scene->IndexOfObject(target) >= 0 && !target->GetPaused() && target->GetHandleKey()) {
                if (auto* c = dynamic_cast<TVobeControl*>(target)) scene->SetFocus(c);
            }
        } else if (RightClick) {
            target->MouseRightDown();
        } else if (WheelDown) {
            if (!target->IsSuspended()) target->PostEvent(PR_ONWHEELDOWN, target->GetOnWheelDown());
        } else if (WheelUp) {
            if (!target->IsSuspended()) target->PostEvent(PR_ONWHEELUP, target->GetOnWheelUp());
        }
        if (!alive(target)) target = nullptr;
    }

    if (Hover && Hover != target && alive(Hover)) Hover->MouseOut(target);
    if (target && (Moved || Hover != target)) {
        if (Hover != target) target->MouseIn(Hover);
        if (alive(target)) target->MouseMove();
    }
    Hover = target;
    Moved = 0;
}

// ---- TVobeBaseCinema -----------------------------------------------------------------------------

TVobeControl* TVobeBaseCinema::GetCinema() const {
    auto* scene = dynamic_cast<TVobeBaseListCinema*>(Owner);
    return scene ? scene->Cinema : nullptr;
}

void TVobeBaseCinema::AddDirtyRect(const TRect& r) {
    TVobeControl* cinema = GetCinema();
    if (!cinema) {
        TVobeBase::AddDirtyRect(r);
        return;
    }
    TRect a = ScreenBounds(cinema->GetScreenLeft(), cinema->GetScreenTop(), Width, Height);
    TRect clip;
    if (cinema->GetClipRect(clip)) a = IntersectRect(a, clip);
    a = IntersectRect(a, r);
    if (a.IsEmpty()) return;
    Dirty.AddRect(a);
    if (TVobeBase* b = cinema->GetBase()) b->AddDirtyRect(a);
}

int32_t TVobeBaseCinema::GetLeft() {
    TVobeControl* c = GetCinema();
    return c ? c->GetLeft() : Left;
}
int32_t TVobeBaseCinema::GetTop() {
    TVobeControl* c = GetCinema();
    return c ? c->GetTop() : Top;
}
int32_t TVobeBaseCinema::GetScreenLeft() {
    TVobeControl* c = GetCinema();
    return c ? c->GetScreenLeft() : TVobeBase::GetScreenLeft();
}
int32_t TVobeBaseCinema::GetScreenTop() {
    TVobeControl* c = GetCinema();
    return c ? c->GetScreenTop() : TVobeBase::GetScreenTop();
}
int32_t TVobeBaseCinema::GetClipLeft() {
    TVobeControl* c = GetCinema();
    return c ? c->GetClipLeft() : ClipLeft;
}
int32_t TVobeBaseCinema::GetClipTop() {
    TVobeControl* c = GetCinema();
    return c ? c->GetClipTop() : ClipTop;
}
int32_t TVobeBaseCinema::GetClipWidth() {
    TVobeControl* c = GetCinema();
    return c ? c->GetClipWidth() : ClipWidth;
}
int32_t TVobeBaseCinema::GetClipHeight() {
    TVobeControl* c = GetCinema();
    return c ? c->GetClipHeight() : ClipHeight;
}
TCustomDIBX* TVobeBaseCinema::GetSurface() {
    TVobeControl* c = GetCinema();
    return c ? c->GetSurface() : Surface.get();
}

// ---- TVobeList -----------------------------------------------------------------------------------

void TVobeList::Add(TVobeObject* c) {
    if (std::find(FItems.begin(), FItems.end(), c) == FItems.end()) FItems.push_back(c);
}

bool TVobeList::Contains(const TVobeObject* c) const {
    return std::find(FItems.begin(), FItems.end(), c) != FItems.end();
}

void TVobeList::Remove(const TVobeObject* c) {
    auto it = std::find(FItems.begin(), FItems.end(), c);
    if (it != FItems.end()) FItems.erase(it);
}

// ---- TVobeBaseList -------------------------------------------------------------------------------

TVobeBaseList::TVobeBaseList(TVobeBaseList* owner) : TVobeBaseList(owner, false) {}

TVobeBaseList::TVobeBaseList(TVobeBaseList* owner, bool cinemaBases) : TVobeComponent(owner) {
    CreateBases(cinemaBases);
}

TVobeBaseList::~TVobeBaseList() {
    FreeAll();
}

void TVobeBaseList::CreateBases(bool cinemaBases) {
    for (TVobeBase** b : {&Base0, &Base1}) {
        TVobeBase* base = cinemaBases ? new TVobeBaseCinema(this) : new TVobeBase(this);
        base->Name = b == &Base0 ? Base0Name() : Base1Name();
        base->Width = Width;
        base->Height = Height;
        base->RebuildSurface();
        *b = base;
    }
}

void TVobeBaseList::RebuildSurface() {
    // The game's scene shows its front base on the display: only private scenes need a picture.
    if (IsDisplayScene())
        Surface.reset();
    else
        MakeSurface(Surface, Width, Height);
}

void TVobeBaseList::FreeAll() {
    Wipe.reset();
    WipeKind = 0;
    // Each base takes its children with it; the pointer is cleared first so that nothing reaches a
    // half-destroyed base.
    for (TVobeBase** b : {&Base0, &Base1}) {
        TVobeBase* base = *b;
        *b = nullptr;
        delete base;
    }
    Events.Clear();
    while (!Objects.empty()) FreeObject(Objects.front());
    PendingDelete.clear();
    RightClickList.Clear();
    Focused = nullptr;
}

TVobeObject* TVobeBaseList::FindComponent(const std::string& name) {
    if (name.empty() || name == Base0Name()) return FrontBase();
    if (name == std::string(1, ReservedNameMark) || name == Base1Name()) return BackBase();
    return FindNamed(name);
}

TVobeControl* TVobeBaseList::FindControl(const std::string& name) {
    if (name.empty()) return FrontBase();
    if (name == std::string(1, ReservedNameMark)) return BackBase();
    if (name == Base0Name()) return Base0;
    if (name == Base1Name()) return Base1;
    for (TVobeObject* o : Objects) {
        if (o->Name != name || IsDeleted(o)) continue;
        if (auto* c = dynamic_cast<TVobeControl*>(o)) return c;
    }
    return nullptr;
}

TVobeObject* TVobeBaseList::FindNamed(const std::string& name, const TVobeObject* except) {
    for (TVobeObject* o : Objects)
        if (o != except && o->Name == name && !IsDeleted(o)) return o;
    return nullptr;
}

std::string TVobeBaseList::UniqueName(const std::string& prefix) {
    for (int32_t i = 0;; ++i) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%d", i);
        std::string name = prefix + buf;
        bool used = false;
        for (TVobeObject* o : Objects)
            if (o->Name == name) {
                used = true;
                break;
            }
        if (!used) return name;
    }
}

int32_t TVobeBaseList::IndexOfObject(const TVobeObject* o) const {
    auto it = std::find(Objects.begin(), Objects.end(), o);
    return it == Objects.end() ? -1 : static_cast<int32_t>(it - Objects.begin());
}

int32_t TVobeBaseList::ListNames(std::vector<std::string>& list, uint8_t typeCode,
                                 const TVobeObject* parent) {
    if (!parent) return 0;
    int32_t n = 0;
    for (TVobeObject* o : Objects) {
        if (IsDeleted(o)) continue;
        if (typeCode != 0 && o->GetCompoType() != typeCode) continue;
        if (parent != this) {
            auto* c = dynamic_cast<TVobeControl*>(o);
            if (!c || c->Parent != parent) continue;
        }
        list.push_back(o->Name);
        ++n;
    }
    return n;
}

TVobeObject* TVobeBaseList::GetObject(int32_t index) {
    if (index < 0 || index >= GetObjectCount()) return nullptr;
    return Objects[static_cast<size_t>(index)];
}

void TVobeBaseList::AddObject(TVobeObject* o) {
    if (IndexOfObject(o) < 0) Objects.push_back(o);
}

void TVobeBaseList::RemoveObject(TVobeObject* o) {
    auto it = std::find(Objects.begin(), Objects.end(), o);
    if (it != Objects.end()) Objects.erase(it);
}

bool TVobeBaseList::IsDeleted(const TVobeObject* o) {
    return std::find(PendingDelete.begin(), PendingDelete.end(), o) != PendingDelete.end();
}

void TVobeBaseList::MarkDeleted(TVobeObject* o) {
    if (!o || IndexOfObject(o) < 0) return;
    if (!IsDeleted(o)) PendingDelete.push_back(o);
    o->Name.clear();
}

void TVobeBaseList::FreeObject(TVobeObject* o) {
    if (auto* c = dynamic_cast<TVobeControl*>(o); c && c->Parent) {
        c->Invalidate(); // what it showed is drawn again without it
        c->Parent->RemoveChild(c);
        c->Parent = nullptr;
    }
    RemoveObject(o);
    delete o;
}

void TVobeBaseList::ObjectFreed(TVobeObject* o) {
    RemoveObject(o);
    auto it = std::find(PendingDelete.begin(), PendingDelete.end(), o);
    if (it != PendingDelete.end()) PendingDelete.erase(it);
    Events.ForgetSender(o);
    RightClickList.Remove(o);
    if (Focused == o) {
        Focused = nullptr;
        RefocusRequested = true;
    }
    for (TVobeBase* b : {Base0, Base1})
        if (b && b->Hover == o) b->Hover = nullptr;
}

void TVobeBaseList::SetFocus(TVobeControl* c) {
    if (c == Focused) return;
    TVobeControl* old = Focused;
    if (old && IndexOfObject(old) >= 0 && !old->Name.empty() && !old->IsSuspended())
        old->PostEvent(PR_ONFOCUSOUT, old->GetOnFocusOut());
    Focused = c;
    if (c && !c->IsSuspended()) c->PostEvent(PR_ONFOCUSIN, c->GetOnFocusIn());
    RefocusRequested = false;
    if (c) c->FocusEnter();
}

// ---- input ---------------------------------------------------------------------------------------

void TVobeBaseList::ProcessInput() {
    if (RefocusRequested) SetFocus(FrontBase()->FindFocusable());
    Pressed = PressLatch;
    PressLatch.fill(0);
    Repeated = RepeatNow;
    FrontBase()->ProcessMouse();
    if (Focused && Focused->GetHandleKey()) {
        // A handler call never frees the control; ObjectFreed would clear Focused if it did.
        if (KeyDownEvent && Focused) Focused->KeyDown();
        if (KeyRepeatEvent && Focused) Focused->KeyRepeat();
        if (KeyUpEvent && Focused) Focused->KeyUp();
    }
    KeyDownEvent = KeyUpEvent = KeyRepeatEvent = false;
    for (int32_t k = 0; k < KeyCount; ++k) {
        if (!KeyDown[static_cast<size_t>(k)]) continue;
        int32_t& left = RepeatCountdown[static_cast<size_t>(k)];
        // A huge frame delta must not run the count beyond the 32-bit range.
        left = static_cast<int32_t>(std::max<int64_t>(int64_t{left} - FrameDelta, INT32_MIN / 2));
        const bool fire = left <= 0;
        RepeatNow[static_cast<size_t>(k)] = fire;
        if (fire) {
            left += KeyRepeatInterval;
            KeyRepeatEvent = true;
        }
    }
}

void TVobeBaseList::SetKeyState(int32_t vk, bool down) {
    if (!InKeyRange(vk)) return;
    const auto k = static_cast<size_t>(vk);
    if (static_cast<bool>(KeyDown[k]) == down) return;
    KeyDown[k] = down;
    RepeatNow[k] = down;
    if (down) {
        RepeatCountdown[k] = KeyRepeatDelay;
        KeyDownEvent = true;
        KeyRepeatEvent = true;
    } else {
        KeyUpEvent = true;
    }
}

void TVobeBaseList::SetKeyPressed(int32_t vk) {
    if (InKeyRange(vk)) PressLatch[static_cast<size_t>(vk)] = 1;
}

void TVobeBaseList::ReleaseInput() {
    KeyDown.fill(0);
    PressLatch.fill(0);
    RepeatNow.fill(0);
    RepeatCountdown.fill(0);
    KeyDownEvent = KeyUpEvent = KeyRepeatEvent = false;
}

void TVobeBaseList::PanelMouseDown(TMouseButton button) {
    const bool left = button == mbLeft, right = button == mbRight;
    for (TVobeBase* b : {Base0, Base1}) {
        b->LeftHeld = left;
        b->RightHeld = right;
    }
    FrontBase()->LeftClickLatch = left;
    FrontBase()->RightClickLatch = right;
}

void TVobeBaseList::PanelMouseUp() {
    for (TVobeBase* b : {Base0, Base1}) b->LeftHeld = b->RightHeld = 0;
}

void TVobeBaseList::PanelMouseMove(int32_t x, int32_t y) {
    for (TVobeBase* b : {Base0, Base1}) b->UpdateMousePos(TPoint{x, y});
}

void TVobeBaseList::PanelMouseWheel(bool down) {
    if (down)
        FrontBase()->WheelDownLatch = 1;
    else
        FrontBase()->WheelUpLatch = 1;
}

// ---- frame steps ---------------------------------------------------------------------------------

void TVobeBaseList::Draw() {
    PresentRect = TRect{};
    if (Base0) Base0->Draw();
    if (Base1) Base1->Draw();
    if (Wipe) {
        Wipe->Step();
        PresentRect = Wipe->ChangedRect();
    }
}

bool TVobeBaseList::Update() {
    if (Base0) Base0->Update();
    if (Base1) Base1->Update();
    UpdateIndex = 0;
    while (UpdateIndex < static_cast<int32_t>(Objects.size())) {
        TVobeObject* o = Objects[static_cast<size_t>(UpdateIndex)];
        const bool inCabinet = o->InCabinet();
        if (!inCabinet && !o->IsSuspended()) o->PostEvent(PR_ONIDLE, o->GetOnIdle());
        if (o->GetPaused() || IsDeleted(o) || inCabinet || !o->Update())
            ++UpdateIndex;
        else
            FreeObject(o);
    }
    while (!PendingDelete.empty()) {
        TVobeObject* o = PendingDelete.front();
        PendingDelete.erase(PendingDelete.begin());
        if (IndexOfObject(o) >= 0) FreeObject(o);
    }
    return false;
}

void TVobeBaseList::Reset() {
    const int32_t w = Width, h = Height;
    FreeAll();
    RefocusRequested = false;
    // Every surface is rebuilt from the small size up; the bases are plain ones in every scene.
    Width = Height = 8;
    CreateBases(false);
    SetWidth(w);
    SetHeight(h);
    if (BasePanel && IsDisplayScene()) {
        const TPoint p = BasePanel->GetCursorPos();
        for (TVobeBase* b : {Base0, Base1}) {
            b->MouseX = p.X;
            b->MouseY = p.Y;
        }
    }
}

void TVobeBaseList::SetWidth(int32_t v) {
    if (v == Width) return;
    Width = v;
    RebuildSurface();
    if (Base0) Base0->SetWidth(v);
    if (Base1) Base1->SetWidth(v);
}

void TVobeBaseList::SetHeight(int32_t v) {
    if (v == Height) return;
    Height = v;
    RebuildSurface();
    if (Base0) Base0->SetHeight(v);
    if (Base1) Base1->SetHeight(v);
}

// ---- transitions and switches --------------------------------------------------------------------

TSceneWipe* TVobeBaseList::StartWipe(int32_t front, uint8_t kind, bool reverse, bool restart, int32_t elapsed,
                                     int32_t duration) {
    Current = front != 0 ? 1 : 0;
    TSceneWipe* created = nullptr;
    if (restart || (kind != 0 && !Wipe)) {
        Wipe.reset();
        Base0->AddDirtyRect(Base0->GetScreenRect());
        Base1->AddDirtyRect(Base1->GetScreenRect());
        if (kind != 0) {
            TVobeBase* fb = FrontBase();
            TCustomDIBX* target = GetSurface();
            // The front base drew straight into the display: its own picture must hold what it shows.
            if (fb->Surface && target && fb->GetSurface() != fb->Surface.get()) {
                fb->Surface->ClipRect = TRect{};
                fb->Surface->Draw(0, 0, false, false, false, target->BoundsRect(), target);
            }
            if (target && fb->Surface && BackBase()->Surface && FrameworkHooks.CreateWipe)
                Wipe = FrameworkHooks.CreateWipe(kind, target, fb->Surface.get(), BackBase()->Surface.get());
            if (Wipe) {
                Wipe->SetDuration(duration);
                Wipe->SetReverse(reverse);
                created = Wipe.get();
            }
            if (!Focused || Focused->GetBase() == BackBase()) {
                Focused = nullptr;
                RequestRefocus();
            }
        }
    }
    WipeKind = kind;
    if (Wipe) Wipe->SetElapsed(elapsed);
    return created;
}

bool TVobeBaseList::GetDither() {
    return FrameworkHooks.GetDither ? FrameworkHooks.GetDither() : FDither;
}

void TVobeBaseList::SetDither(bool flag) {
    if (flag == GetDither()) return;
    FDither = flag;
    if (FrameworkHooks.SetDither) FrameworkHooks.SetDither(flag);
    Base0->AddDirtyRect(Base0->GetScreenRect());
    Base1->AddDirtyRect(Base1->GetScreenRect());
}

void TVobeBaseList::SetSoundOn(bool flag) {
    if (flag == SoundOn) return;
    SoundOn = flag;
    if (FrameworkHooks.SetSoundOn) FrameworkHooks.SetSoundOn(flag);
}

// ---- surfaces ------------------------------------------------------------------------------------

TCustomDIBX* TVobeBaseList::GetSurface() {
    if (IsDisplayScene()) return BasePanel ? BasePanel->GetDisplaySurface() : nullptr;
    return Surface.get();
}

TCustomDIBX* TVobeBaseList::BaseSurface(TVobeBase* base) {
    if (IsDisplayScene() && base == FrontBase() && !Wipe)
        if (TCustomDIBX* display = GetSurface()) return display;
    return base->Surface.get();
}

void TVobeBaseList::ReleaseSurfaces() {
    Surface.reset();
    Base0->ReleaseSurfaces();
    Base1->ReleaseSurfaces();
    for (TVobeObject* o : Objects) o->ReleaseSurfaces();
    if (IsDisplayScene() && FrameworkHooks.ReleasePictures) FrameworkHooks.ReleasePictures();
    Wipe.reset();
}

void TVobeBaseList::RestoreSurfaces() {
    RebuildSurface();
    if (IsDisplayScene() && FrameworkHooks.RestorePictures) FrameworkHooks.RestorePictures();
    Base0->RestoreSurfaces();
    Base1->RestoreSurfaces();
    for (TVobeObject* o : Objects) o->RestoreSurfaces();
    Base0->DirtyAll();
    Base1->DirtyAll();
}

// ---- TVobeBaseListCinema -------------------------------------------------------------------------

TVobeBaseListCinema::TVobeBaseListCinema(TVobeControl* cinema)
    : TVobeBaseList(nullptr, true), Cinema(cinema) {}

void TVobeBaseList::SetColor(int32_t v) {
    if (Base0) Base0->SetColor(v);
    if (Base1) Base1->SetColor(v);
}

void TVobeBaseList::SaveToStream(TStream& s) {
    WriteInt32(s, Width);
    WriteInt32(s, Height);
    WriteInt32(s, Current);
    Base0->SaveToStream(s);
    Base1->SaveToStream(s);
    std::vector<TVobeObject*> saved;
    for (TVobeObject* o : Objects) {
        if (dynamic_cast<TVobeControl*>(o) || IsDeleted(o)) continue;
        if (o->GetCompoType() == ctNone || IsReservedName(o->Name)) continue;
        saved.push_back(o);
    }
    WriteInt32(s, static_cast<int32_t>(saved.size()));
    for (TVobeObject* o : saved) {
        WriteByte(s, o->GetCompoType());
        o->SaveToStream(s);
    }
    Events.SaveToStream(s);
    WriteStr(s, Focused ? Focused->Name : std::string());
}

void TVobeBaseList::LoadFromStream(TStream& s, int32_t version) {
    Reset();
    const int32_t w = ReadInt32(s);
    const int32_t h = ReadInt32(s);
    if (w < 0 || h < 0 || w > MaxSceneSize || h > MaxSceneSize)
        RaiseObjectStreamError("scene size " + std::to_string(w) + "x" + std::to_string(h));
    SetWidth(w);
    SetHeight(h);
    const int32_t current = ReadInt32(s);
    if (current != 0 && current != 1) RaiseObjectStreamError("base index " + std::to_string(current));
    Current = current;
    for (TVobeBase* b : {Base0, Base1}) {
        b->LoadFromStream(s, version);
        // The bases keep the names the player gives them, whatever the record says.
        b->Name = b == Base0 ? Base0Name() : Base1Name();
        b->Width = Width;
        b->Height = Height;
        b->DirtyAll();
    }
    const int32_t n = ReadRecordCount(s, 9, "component count");
    for (int32_t i = 0; i < n; ++i) {
        const uint8_t code = ReadByte(s);
        TVobeObject* o = CreateVobeObject(code, this);
        if (!o) RaiseObjectStreamError("unknown type code " + std::to_string(code));
        o->LoadFromStream(s, version);
    }
    Events.LoadFromStream(s, version);
    if (version > 118) {
        const std::string focused = ReadStr(s);
        if (!focused.empty())
            if (TVobeControl* c = FindControl(focused)) Focused = c;
    }
}

} // namespace vobe
