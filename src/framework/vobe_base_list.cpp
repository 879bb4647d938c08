#include "framework/vobe_base_list.h"

#include <algorithm>
#include <cstdio>

#include "archive/stream.h"
#include "framework/vobe_factory.h"

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

} // namespace

// ---- TVobeBase -----------------------------------------------------------------------------------

TVobeBase::TVobeBase(TVobeBaseList* owner) : TVobeControl(owner) {}

void TVobeBase::AddDirtyRect(const TRect& r) {
    const TRect c = IntersectRect(r, Bounds(0, 0, Width, Height));
    if (!c.IsEmpty()) Dirty.AddRect(c);
}

void TVobeBase::DirtyAll() {
    Dirty.Clear();
    AddDirtyRect(Bounds(0, 0, Width, Height));
}

// ---- TVobeList -----------------------------------------------------------------------------------

void TVobeList::Add(TVobeObject* c) {
    if (std::find(FItems.begin(), FItems.end(), c) == FItems.end()) FItems.push_back(c);
}

void TVobeList::Remove(const TVobeObject* c) {
    auto it = std::find(FItems.begin(), FItems.end(), c);
    if (it != FItems.end()) FItems.erase(it);
}

// ---- TVobeBaseList -------------------------------------------------------------------------------

TVobeBaseList::TVobeBaseList(TVobeBaseList* owner) : TVobeComponent(owner) {
    CreateBases();
}

TVobeBaseList::~TVobeBaseList() {
    FreeAll();
}

void TVobeBaseList::CreateBases() {
    Base0 = new TVobeBase(this);
    Base0->Name = Base0Name();
    Base0->Width = Width;
    Base0->Height = Height;
    Base1 = new TVobeBase(this);
    Base1->Name = Base1Name();
    Base1->Width = Width;
    Base1->Height = Height;
}

void TVobeBaseList::FreeAll() {
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
    FreeAll();
    RefocusRequested = false;
    CreateBases();
    const int32_t w = Width, h = Height;
    // Every surface is rebuilt from the small size up.
    Width = Height = 8;
    Base0->Width = Base1->Width = 8;
    Base0->Height = Base1->Height = 8;
    SetWidth(w);
    SetHeight(h);
}

void TVobeBaseList::SetWidth(int32_t v) {
    if (v == Width) return;
    Width = v;
    if (Base0) Base0->SetWidth(v);
    if (Base1) Base1->SetWidth(v);
}

void TVobeBaseList::SetHeight(int32_t v) {
    if (v == Height) return;
    Height = v;
    if (Base0) Base0->SetHeight(v);
    if (Base1) Base1->SetHeight(v);
}

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
