// The scene: the object list with lookup by name, unique names, deferred deletion, the event queue,
// the keyboard focus and the two screen bases, with the scene record of the game save. Input, drawing
// and transitions of the scene build on this.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/containers.h"
#include "framework/timer_list.h"
#include "framework/vobe_object.h"

namespace vobe {

class TVobeBaseList;

// A screen base: the root control of everything shown on one of the scene's two pictures.
class TVobeBase : public TVobeControl {
public:
    explicit TVobeBase(TVobeBaseList* owner);

    TClipList Dirty; // rectangles changed since the last presentation
    // Mouse state in base coordinates.
    int32_t MouseX = 0, MouseY = 0;
    uint8_t LeftClickLatch = 0, LeftClick = 0;   // a left press arrived since the last frame / this frame
    uint8_t RightClickLatch = 0, RightClick = 0; // the same for the right button
    uint8_t LeftHeld = 0, RightHeld = 0;
    uint8_t Moved = 0;
    uint8_t Capture = 0;          // 4: a control holds the left button; 8: the right button
    TVobeObject* Hover = nullptr; // the object under the pointer (also the capturing control)
    uint8_t WheelDownLatch = 0, WheelDown = 0, WheelUpLatch = 0, WheelUp = 0;
    std::string CursorName;

    // Clips r to the base and adds it to Dirty.
    virtual void AddDirtyRect(const TRect& r);
    // The whole base is to be redrawn.
    void DirtyAll();

    void SetParentName(const std::string&) override {}
    bool GetVisible() override { return Visible; }
    void SetVisible(bool v) override { Visible = v; }
    void SetWidth(int32_t v) override { Width = v; }
    void SetHeight(int32_t v) override { Height = v; }
    TVobeBase* GetBase() override { return this; }
};

// A list of controls without duplicates.
class TVobeList {
public:
    void Add(TVobeObject* c);
    void Remove(const TVobeObject* c);
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    TVobeObject* Items(int32_t i) const { return FItems[static_cast<size_t>(i)]; }
    void Clear() { FItems.clear(); }

private:
    std::vector<TVobeObject*> FItems;
};

class TVobeBaseList : public TVobeComponent {
public:
    explicit TVobeBaseList(TVobeBaseList* owner = nullptr);
    ~TVobeBaseList() override;

    TVobeBase* Base0 = nullptr; // owned, named 0x01 "BASE0"
    TVobeBase* Base1 = nullptr; // owned, named 0x01 "BASE1"
    int32_t Width = 0, Height = 0;
    int32_t Current = 0; // index of the front base
    TTimerList Events{this};
    std::vector<TVobeObject*> Objects;       // every object of the scene in creation order (owned)
    std::vector<TVobeObject*> PendingDelete; // marked deleted, freed at the next Update
    int32_t Scale = 100;
    int32_t UpdateIndex = 0;
    TVobeList RightClickList;
    TVobeControl* Focused = nullptr;
    bool RefocusRequested = false;

    // ---- lookup and names ----
    TVobeBase* BaseAt(int32_t index) const { return index == 0 ? Base0 : Base1; }
    TVobeBase* FrontBase() const { return BaseAt(Current); }
    TVobeBase* BackBase() const { return BaseAt(1 - Current); }
    // "" and 0x01 "BASE0": the front base; 0x01 and 0x01 "BASE1": the back base; otherwise the first
    // component (not a control) of that exact name that is not marked deleted.
    TVobeObject* FindComponent(const std::string& name);
    // "": the front base; 0x01: the back base; 0x01 "BASE0"/"BASE1": that base; otherwise the first
    // control of that exact name that is not marked deleted.
    TVobeControl* FindControl(const std::string& name);
    // The first object of Objects with exactly that name, other than `except`, or null.
    TVobeObject* FindNamed(const std::string& name, const TVobeObject* except = nullptr);
    // The first of prefix0, prefix1, ... that no object carries.
    std::string UniqueName(const std::string& prefix);
    int32_t IndexOfObject(const TVobeObject* o) const;
    // Appends the names of the objects of that type (any with 0) whose parent is `parent` (any when it
    // is this scene); returns how many.
    int32_t ListNames(std::vector<std::string>& list, uint8_t typeCode, const TVobeObject* parent);

    // ---- the object list and deferred deletion ----
    void AddObject(TVobeObject* o) override;
    void RemoveObject(TVobeObject* o) override;
    bool IsDeleted(const TVobeObject* o) override;
    // Queues the object for deletion at the next Update and clears its name.
    void MarkDeleted(TVobeObject* o) override;
    // Unlinks the object from its parent and the scene and destroys it.
    void FreeObject(TVobeObject* o);
    // Called by every object of the scene while it is destroyed: the scene forgets every reference.
    void ObjectFreed(TVobeObject* o);

    // ---- focus ----
    void SetFocus(TVobeControl* c);
    void RequestRefocus() { RefocusRequested = true; }

    // Once per frame after the interpreter: idle events, the objects' own updates, deletion.
    bool Update() override;
    // Frees every object and recreates the bases.
    void Reset();

    // The scene record of the game save.
    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;

    int32_t GetWidth() override { return Width; }
    void SetWidth(int32_t v) override;
    int32_t GetHeight() override { return Height; }
    void SetHeight(int32_t v) override;
    void SetColor(int32_t v) override;
    TVobeObject* GetObject(int32_t index) override;
    int32_t GetObjectCount() override { return static_cast<int32_t>(Objects.size()); }
    bool NeedsDefaultName() override { return false; }

protected:
    void CreateBases();
    void FreeAll();
};

// The scene of the game, created at start-up.
extern TVobeBaseList* Bases;

} // namespace vobe
