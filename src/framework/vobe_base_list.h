// The scene: the object list with lookup by name, unique names, deferred deletion, the event queue,
// the keyboard focus and the two screen bases, the keyboard and mouse state of the frame, the dirty
// rectangles and their redrawing, the transition between the bases, and the scene record of the game
// save.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/containers.h"
#include "framework/scene_wipe.h"
#include "framework/timer_list.h"
#include "framework/vobe_object.h"
#include "platform/window.h"

namespace vobe {

class TVobeBaseList;
class TDIBX;

// The scene of the game, created at start-up.
extern TVobeBaseList* Bases;

// A screen base: the root control of everything shown on one of the scene's two pictures.
class TVobeBase : public TVobeControl {
public:
    explicit TVobeBase(TVobeBaseList* owner);
    ~TVobeBase() override;

    TClipList Dirty;                // rectangles changed since the last presentation
    std::unique_ptr<TDIBX> Surface; // the base's own picture: base size, display depth
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

    // Mouse input of the panel: the pointer in base coordinates; Moved when it changed.
    void UpdateMousePos(TPoint p);
    // Once per frame for the front base: the click and wheel latches of the frame, the right-click
    // cancel, the captured control, the control under the pointer with its cursor, and the mouse events.
    virtual void ProcessMouse();
    // The button is down and no control holds its capture (@LPush, @RPush).
    bool IsLeftHeld() const { return LeftHeld && !(Capture & 4); }
    bool IsRightHeld() const { return RightHeld && !(Capture & 8); }

    // The base's own surface rebuilt at the base size and the display depth (null while released).
    void RebuildSurface();

    void SetParentName(const std::string&) override {}
    bool GetVisible() override { return Visible; }
    void SetVisible(bool v) override;
    void SetWidth(int32_t v) override;
    void SetHeight(int32_t v) override;
    TVobeBase* GetBase() override { return this; }
    // The display surface for the front base of the game's scene while no transition runs, else the
    // base's own surface.
    TCustomDIBX* GetSurface() override;
    // Every dirty rectangle: cleared with the base's colour (unless it is -1), then the children.
    void Draw() override;
    void ReleaseSurfaces() override;
    void RestoreSurfaces() override;
};

// The base of a cinema's private scene: it stands where its cinema stands, clips where its cinema
// clips and draws into its cinema's surface.
class TVobeBaseCinema : public TVobeBase {
public:
    using TVobeBase::TVobeBase;

    TVobeControl* GetCinema() const;
    // The rectangle (cinema position, base size), clipped by the cinema's clip rectangle and by r, is
    // dirty here and on the base the cinema belongs to.
    void AddDirtyRect(const TRect& r) override;
    int32_t GetLeft() override;
    int32_t GetTop() override;
    int32_t GetScreenLeft() override;
    int32_t GetScreenTop() override;
    int32_t GetClipLeft() override;
    int32_t GetClipTop() override;
    int32_t GetClipWidth() override;
    int32_t GetClipHeight() override;
    TCustomDIBX* GetSurface() override;
};

// A list of controls without duplicates.
class TVobeList {
public:
    void Add(TVobeObject* c);
    void Remove(const TVobeObject* c);
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    TVobeObject* Items(int32_t i) const { return FItems[static_cast<size_t>(i)]; }
    bool Contains(const TVobeObject* c) const;
    void Clear() { FItems.clear(); }

private:
    std::vector<TVobeObject*> FItems;
};

class TVobeBaseList : public TVobeComponent {
public:
    explicit TVobeBaseList(TVobeBaseList* owner = nullptr);
    ~TVobeBaseList() override;

    static constexpr int32_t KeyCount = 256;
    // The first repeat step of a held key, and the steps after it (ms).
    static constexpr int32_t KeyRepeatDelay = 300, KeyRepeatInterval = 50;

    TVobeBase* Base0 = nullptr; // owned, named 0x01 "BASE0"
    TVobeBase* Base1 = nullptr; // owned, named 0x01 "BASE1"
    int32_t Width = 0, Height = 0;
    std::unique_ptr<TDIBX> Surface; // the scene's own picture (scenes other than Bases)
    uint8_t WipeKind = 0;           // kind of the running transition; 0 none
    std::unique_ptr<TSceneWipe> Wipe;
    TRect PresentRect;   // the area a running transition changed in this frame
    int32_t Current = 0; // index of the front base
    TTimerList Events{this};
    std::vector<TVobeObject*> Objects;       // every object of the scene in creation order (owned)
    std::vector<TVobeObject*> PendingDelete; // marked deleted, freed at the next Update
    int32_t Scale = 100;
    int32_t UpdateIndex = 0;
    TVobeList RightClickList;
    // Keyboard state per virtual key.
    std::array<uint8_t, KeyCount> KeyDown{};         // held
    std::array<uint8_t, KeyCount> PressLatch{};      // a key-down message arrived since the last frame
    std::array<uint8_t, KeyCount> Pressed{};         // PressLatch as of the start of this frame
    std::array<uint8_t, KeyCount> RepeatNow{};       // the press or a repeat step fired
    std::array<uint8_t, KeyCount> Repeated{};        // RepeatNow as of the start of this frame
    std::array<int32_t, KeyCount> RepeatCountdown{}; // ms to the key's next repeat step
    bool SoundOn = true;
    TVobeControl* Focused = nullptr;
    bool RefocusRequested = false;
    bool KeyDownEvent = false, KeyUpEvent = false, KeyRepeatEvent = false;

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
    // The object is one of the two bases or in the object list (a kept pointer still names a live object).
    bool HasObject(const TVobeObject* o) const {
        return o && (o == Base0 || o == Base1 || IndexOfObject(o) >= 0);
    }
    // HasObject for a kept link: the very object it was made from (not a later one at the same
    // address), or null.
    template <class T> T* Get(const TObjectLink<T>& link) const {
        T* o = link.Raw();
        return o && HasObject(o) && o->Serial == link.Serial() ? o : nullptr;
    }
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

    // ---- input ----
    // Once per frame before the interpreter: refocus, the key latches of the frame, the mouse of the
    // front base, the focused control's key events, the repeat steps of held keys.
    void ProcessInput();
    void SetKeyState(int32_t vk, bool down);
    void SetKeyPressed(int32_t vk);
    // The window lost the focus: no key is held any more.
    void ReleaseInput();
    bool IsKeyDown(int32_t vk) const { return InKeyRange(vk) && KeyDown[static_cast<size_t>(vk)]; }
    bool IsKeyPressed(int32_t vk) const { return InKeyRange(vk) && Pressed[static_cast<size_t>(vk)]; }
    bool IsKeyRepeated(int32_t vk) const { return InKeyRange(vk) && Repeated[static_cast<size_t>(vk)]; }
    // Mouse input of the panel (panel coordinates): held flags of both bases and the press latch of
    // the front base; release; pointer moves; the wheel of the front base.
    void PanelMouseDown(TMouseButton button);
    void PanelMouseUp();
    void PanelMouseMove(int32_t x, int32_t y);
    void PanelMouseWheel(bool down);

    // Once per frame after the interpreter: idle events, the objects' own updates, deletion.
    bool Update() override;
    // Redraws the dirty rectangles of both bases and steps a running transition.
    void Draw() override;
    // Frees every object and recreates the bases.
    void Reset();

    // ---- transitions ----
    // Makes `front` the front base; starts (kind != 0) or ends (kind 0) a transition when restart is
    // set or when kind != 0 and none runs. Returns the transition created by this call, else null.
    TSceneWipe* StartWipe(int32_t front, uint8_t kind, bool reverse, bool restart, int32_t elapsed,
                          int32_t duration);

    // ---- switches ----
    bool GetDither();
    void SetDither(bool flag);
    void SetSoundOn(bool flag);

    // ---- surfaces ----
    // Drop and rebuild every surface around a display change.
    void ReleaseSurfaces() override;
    void RestoreSurfaces() override;
    // The display surface for the game's scene, else the scene's own surface.
    TCustomDIBX* GetSurface() override;
    // The surface a base draws into (see TVobeBase::GetSurface).
    virtual TCustomDIBX* BaseSurface(TVobeBase* base);
    // This is the game's scene, shown on the display.
    bool IsDisplayScene() const { return this == Bases; }

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
    // The bases of a new scene are cinema bases for a cinema's private scene (`cinemaBases`).
    TVobeBaseList(TVobeBaseList* owner, bool cinemaBases);
    void CreateBases(bool cinemaBases);
    void FreeAll();
    static bool InKeyRange(int32_t vk) { return vk >= 0 && vk < KeyCount; }
    void RebuildSurface();

    bool FDither = false; // used while no picture cache keeps the switch
};

// The private scene of a cinema component.
class TVobeBaseListCinema : public TVobeBaseList {
public:
    // The cinema that owns this scene (not owned).
    explicit TVobeBaseListCinema(TVobeControl* cinema);

    TVobeControl* Cinema;
};

} // namespace vobe
