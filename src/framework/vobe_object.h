// The class tree of script-visible objects: the root TVobeObject with its property accessors and
// virtual operations, the non-visual TVobeComponent and the placed, drawn and clicked TVobeControl.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "archive/containers.h"
#include "framework/prop_table.h"
#include "framework/vobe_motion.h"

namespace vobe {

class TStream;
class TCustomDIBX;
class TVobeBaseList;
class TVobeBase;
class TVobeControl;

// The save version this player writes; loaders read older layouts by their version rules.
constexpr int32_t VobeSaveVersion = 134;

// One-byte component type codes: PR_COMPOTYPE and the class tag of saved objects. Abstract classes,
// TVobeImage, TVobeParticleImages, TVobeCustomListBox, the bases and the scene answer ctNone.
enum : uint8_t {
    ctNone = 0,
    ctBox = 2,
    ctButton = 3,
    ctCinema = 4,
    ctEdit = 5,
    ctFire = 6,
    ctHttp = 7,
    ctImages = 8, // also TVobePrevImages
    ctLabel = 9,
    ctMemo = 11,
    ctMenu = 12,
    ctMes = 13,
    ctParticle = 14,
    ctTimer = 15,
    ctVideo = 16,
    ctSound = 17,
    ctMapImage = 18,
    ctWave = 19,
    ctTile = 20,
    ctSlider = 21,
    ctScrollbar = 22,
    ctGauge = 23,
    ctCGLabel = 24,
    ctPrevMenu = 25,
    ctPropMotion = 26,
    ctCabinet = 27,
};

// The IgnoreMouse values a hit test accepts, one bit per value (values above 7 never match).
using TAcceptSet = uint8_t;
constexpr TAcceptSet AcceptSet(std::initializer_list<int> values) {
    TAcceptSet s = 0;
    for (int v : values) s = static_cast<TAcceptSet>(s | (1u << v));
    return s;
}

// The names that mark objects the player makes itself begin with this byte.
constexpr char ReservedNameMark = '\x01';
inline bool IsReservedName(const std::string& name) {
    return !name.empty() && name[0] == ReservedNameMark;
}

// Value types of the property accessors.
using TPropInt = int32_t;
using TPropFlag = bool;
using TPropFloat = long double;
using TPropStr = std::string;
using TPropArgInt = int32_t;
using TPropArgFlag = bool;
using TPropArgFloat = long double;
using TPropArgStr = const std::string&;

// The property accessors every object declares: RW (id, type, accessor, default) has a getter and a
// setter, RO only a getter. The base versions answer the default and ignore writes; a class supports
// a property by overriding them. Special accessors (names, parent, priority, tag, the border cells,
// the float parameters and the caret) are declared by hand below.
#define VOBE_PROPERTY_ACCESSORS(RW, RO)                                                                      \
    RW(PR_SOURCE, Str, Source, std::string())                                                                \
    RW(PR_LEFT, Int, Left, 0)                                                                                \
    RW(PR_TOP, Int, Top, 0)                                                                                  \
    RW(PR_WIDTH, Int, Width, 0)                                                                              \
    RW(PR_HEIGHT, Int, Height, 0)                                                                            \
    RW(PR_ZOOMX, Int, ZoomX, 256)                                                                            \
    RW(PR_COLOR, Int, Color, 0xFFFFFF)                                                                       \
    RW(PR_BORDERWIDTH, Int, BorderWidth, 0)                                                                  \
    RW(PR_BORDERCOLOR, Int, BorderColor, -1)                                                                 \
    RW(PR_ALPHA, Int, Alpha, 255)                                                                            \
    RW(PR_OFFSETX, Int, OffsetX, 0)                                                                          \
    RW(PR_OFFSETY, Int, OffsetY, 0)                                                                          \
    RW(PR_FONTNAME, Str, FontName, std::string())                                                            \
    RW(PR_FONTHEIGHT, Int, FontHeight, 0)                                                                    \
    RW(PR_FONTSTYLE, Int, FontStyle, 0)                                                                      \
    RW(PR_LINESPACE, Int, LineSpace, 0)                                                                      \
    RW(PR_FONTCOLOR, Int, FontColor, 0)                                                                      \
    RW(PR_FONTLINKCOLOR, Int, FontLinkColor, 0)                                                              \
    RW(PR_FONTBORDERCOLOR, Int, FontBorderColor, 0)                                                          \
    RW(PR_FONTHOVERCOLOR, Int, FontHoverColor, 0)                                                            \
    RW(PR_FONTHOVERSTYLE, Int, FontHoverStyle, 0)                                                            \
    RW(PR_HOVERCOLOR, Int, HoverColor, -1)                                                                   \
    RW(PR_ANTIALIAS, Flag, Antialias, false)                                                                 \
    RW(PR_DELAY, Int, Delay, 0)                                                                              \
    RW(PR_PAUSED, Flag, Paused, false)                                                                       \
    RW(PR_VOLUME, Int, Volume, 0)                                                                            \
    RW(PR_REPEAT, Flag, Repeat, false)                                                                       \
    RW(PR_BALANCE, Int, Balance, 0)                                                                          \
    RW(PR_ANGLE, Int, Angle, 0)                                                                              \
    RW(PR_ONPLAYING, Str, OnPlaying, std::string())                                                          \
    RW(PR_ONNOTIFY, Str, OnNotify, std::string())                                                            \
    RW(PR_ONMOUSEMOVE, Str, OnMouseMove, std::string())                                                      \
    RW(PR_ONMOUSEOUT, Str, OnMouseOut, std::string())                                                        \
    RW(PR_ONLBTNDOWN, Str, OnLBtnDown, std::string())                                                        \
    RW(PR_ONLBTNUP, Str, OnLBtnUp, std::string())                                                            \
    RW(PR_ONRBTNDOWN, Str, OnRBtnDown, std::string())                                                        \
    RW(PR_ONRBTNUP, Str, OnRBtnUp, std::string())                                                            \
    RW(PR_ONWHEELDOWN, Str, OnWheelDown, std::string())                                                      \
    RW(PR_ONWHEELUP, Str, OnWheelUp, std::string())                                                          \
    RW(PR_BRIGHTNESS, Int, Brightness, 255)                                                                  \
    RW(PR_ONPLAYEND, Str, OnPlayEnd, std::string())                                                          \
    RW(PR_INDEX, Int, Index, -1)                                                                             \
    RW(PR_COUNT, Int, Count, 0)                                                                              \
    RW(PR_ONLINK, Str, OnLink, std::string())                                                                \
    RW(PR_VISIBLE, Flag, Visible, false)                                                                     \
    RW(PR_COLCOUNT, Int, ColCount, 0)                                                                        \
    RW(PR_ROWCOUNT, Int, RowCount, 0)                                                                        \
    RW(PR_TEXT, Str, Text, std::string())                                                                    \
    RW(PR_MARGINX, Int, MarginX, 0)                                                                          \
    RW(PR_MARGINY, Int, MarginY, 0)                                                                          \
    RW(PR_HALIGN, Int, HAlign, 0)                                                                            \
    RW(PR_SCROLLSOURCE, Str, ScrollSource, std::string())                                                    \
    RW(PR_CHECKSOURCE, Str, CheckSource, std::string())                                                      \
    RW(PR_AUTOSCRAP, Flag, AutoScrap, false)                                                                 \
    RW(PR_ONSELECT, Str, OnSelect, std::string())                                                            \
    RW(PR_RCLICKSCRAP, Flag, RClickScrap, false)                                                             \
    RW(PR_ONOPENING, Str, OnOpening, std::string())                                                          \
    RW(PR_ONOPENED, Str, OnOpened, std::string())                                                            \
    RW(PR_ONCLOSING, Str, OnClosing, std::string())                                                          \
    RW(PR_ONCLOSED, Str, OnClosed, std::string())                                                            \
    RW(PR_IGNOREMOUSE, Int, IgnoreMouse, 0)                                                                  \
    RW(PR_TEXTPAUSED, Flag, TextPaused, false)                                                               \
    RW(PR_TEXTDELAY, Int, TextDelay, 256)                                                                    \
    RW(PR_HOVERSOURCE, Str, HoverSource, std::string())                                                      \
    RW(PR_PRESSEDSOURCE, Str, PressedSource, std::string())                                                  \
    RW(PR_GROUPINDEX, Int, GroupIndex, 0)                                                                    \
    RW(PR_ALLOWALLUP, Flag, AllowAllUp, false)                                                               \
    RW(PR_SELECTED, Flag, Selected, false)                                                                   \
    RW(PR_CAPTUREMASK, Flag, CaptureMask, false)                                                             \
    RW(PR_POWER, Int, Power, 0)                                                                              \
    RW(PR_ORIGWIDTH, Int, OrigWidth, GetWidth())                                                             \
    RW(PR_ORIGHEIGHT, Int, OrigHeight, GetHeight())                                                          \
    RO(PR_APPEARX, Int, AppearX, 0)                                                                          \
    RO(PR_APPEARY, Int, AppearY, 0)                                                                          \
    RW(PR_PARTMOTION, Int, PartMotion, 1)                                                                    \
    RW(PR_TOPINDEX, Int, TopIndex, 0)                                                                        \
    RW(PR_READONLY, Flag, ReadOnly, false)                                                                   \
    RW(PR_CURSOR, Str, Cursor, std::string())                                                                \
    RW(PR_POSZOOMED, Flag, PosZoomed, false)                                                                 \
    RW(PR_ONPLAYSTART, Str, OnPlayStart, std::string())                                                      \
    RW(PR_ONMOUSEIN, Str, OnMouseIn, std::string())                                                          \
    RW(PR_ONMAPIN, Str, OnMapIn, std::string())                                                              \
    RW(PR_ONMAPOUT, Str, OnMapOut, std::string())                                                            \
    RW(PR_MAPSOURCE, Str, MapSource, std::string())                                                          \
    RW(PR_AMP, Int, Amp, 0)                                                                                  \
    RW(PR_WAVELEN, Int, WaveLen, 0)                                                                          \
    RW(PR_SCROLLX, Int, ScrollX, 0)                                                                          \
    RW(PR_SCROLLY, Int, ScrollY, 0)                                                                          \
    RW(PR_FLIPH, Flag, FlipH, false)                                                                         \
    RW(PR_FLIPV, Flag, FlipV, false)                                                                         \
    RW(PR_ONIDLE, Str, OnIdle, std::string())                                                                \
    RW(PR_DISTANCEX, Int, DistanceX, 0)                                                                      \
    RW(PR_DISTANCEY, Int, DistanceY, 0)                                                                      \
    RW(PR_CLIPLEFT, Int, ClipLeft, 0)                                                                        \
    RW(PR_CLIPTOP, Int, ClipTop, 0)                                                                          \
    RW(PR_CLIPWIDTH, Int, ClipWidth, 0)                                                                      \
    RW(PR_CLIPHEIGHT, Int, ClipHeight, 0)                                                                    \
    RW(PR_DURATION, Int, Duration, 0)                                                                        \
    RW(PR_THUMBSOURCE, Str, ThumbSource, std::string())                                                      \
    RW(PR_BUTTONSOURCE, Str, ButtonSource, std::string())                                                    \
    RW(PR_MIN, Int, Min, 0)                                                                                  \
    RW(PR_MAX, Int, Max, 0)                                                                                  \
    RW(PR_VALUE, Int, Value, 0)                                                                              \
    RW(PR_ORIENTATION, Int, Orientation, 0)                                                                  \
    RW(PR_SMALLCHANGE, Int, SmallChange, 1)                                                                  \
    RW(PR_LARGECHANGE, Int, LargeChange, 1)                                                                  \
    RW(PR_MAPTEXT, Str, MapText, std::string())                                                              \
    RW(PR_GLYPHWIDTH, Int, GlyphWidth, 0)                                                                    \
    RW(PR_GLYPHHEIGHT, Int, GlyphHeight, 0)                                                                  \
    RW(PR_ZOOMY, Int, ZoomY, 256)                                                                            \
    RW(PR_CLICKEDSOURCE, Str, ClickedSource, std::string())                                                  \
    RW(PR_ANIPAUSED, Flag, AniPaused, false)                                                                 \
    RW(PR_ONHOLD, Str, OnHold, std::string())                                                                \
    RW(PR_ONRELEASE, Str, OnRelease, std::string())                                                          \
    RW(PR_REVERSE, Flag, Reverse, false)                                                                     \
    RO(PR_PLAYING, Flag, Playing, false)                                                                     \
    RW(PR_REWINDONLOAD, Flag, RewindOnLoad, true)                                                            \
    RW(PR_FONTSHADOWCOLOR, Int, FontShadowColor, 0)                                                          \
    RW(PR_FONTBORDER, Int, FontBorder, 0)                                                                    \
    RW(PR_FONTSHADOW, Int, FontShadow, 0)                                                                    \
    RW(PR_ONKEYDOWN, Str, OnKeyDown, std::string())                                                          \
    RW(PR_ONKEYUP, Str, OnKeyUp, std::string())                                                              \
    RW(PR_ONKEYREPEAT, Str, OnKeyRepeat, std::string())                                                      \
    RW(PR_HANDLEKEY, Flag, HandleKey, false)                                                                 \
    RW(PR_ONFOCUSIN, Str, OnFocusIn, std::string())                                                          \
    RW(PR_ONFOCUSOUT, Str, OnFocusOut, std::string())                                                        \
    RW(PR_OVERLAY, Flag, Overlay, true)                                                                      \
    RW(PR_CAPTURELINK, Flag, CaptureLink, false)                                                             \
    RW(PR_FONTHOVERBORDER, Int, FontHoverBorder, 0)                                                          \
    RW(PR_FONTHOVERBORDERCOLOR, Int, FontHoverBorderColor, 0)                                                \
    RW(PR_FONTHOVERSHADOW, Int, FontHoverShadow, 0)                                                          \
    RW(PR_FONTHOVERSHADOWCOLOR, Int, FontHoverShadowColor, 0)                                                \
    RW(PR_BARSIZE, Int, BarSize, 0)                                                                          \
    RW(PR_MUTEONLOAD, Flag, MuteOnLoad, false)                                                               \
    RW(PR_PLUSX, Int, PlusX, 0)                                                                              \
    RW(PR_PLUSY, Int, PlusY, 0)                                                                              \
    RO(PR_CARETHEIGHT, Int, CaretHeight, 0)

// A supported property backed by one field.
#define VOBE_FIELD_PROPERTY(T, Acc, Field)                                                                   \
    TProp##T Get##Acc() override {                                                                           \
        return static_cast<TProp##T>(Field);                                                                 \
    }                                                                                                        \
    void Set##Acc(TPropArg##T v) override {                                                                  \
        Field = static_cast<std::remove_cvref_t<decltype(Field)>>(v);                                        \
    }
// The same for a field that changes the picture: the control is invalidated around a change.
#define VOBE_VISUAL_PROPERTY(T, Acc, Field)                                                                  \
    TProp##T Get##Acc() override {                                                                           \
        return static_cast<TProp##T>(Field);                                                                 \
    }                                                                                                        \
    void Set##Acc(TPropArg##T v) override {                                                                  \
        SetVisual(Field, v);                                                                                 \
    }

// Creates an object of class T: the constructor sets the class fields, then the object takes its
// default name and joins its owner's object list. With an owner the scene owns the object; without
// one the caller does.
template <class T, class... A> T* NewVobeObject(TVobeBaseList* owner, A&&... args) {
    T* o = new T(owner, std::forward<A>(args)...);
    o->Created();
    return o;
}

// ---- TVobeObject ---------------------------------------------------------------------------------

class TVobeObject {
public:
    explicit TVobeObject(TVobeBaseList* owner);
    virtual ~TVobeObject();
    TVobeObject(const TVobeObject&) = delete;
    TVobeObject& operator=(const TVobeObject&) = delete;

    TVobeBaseList* Owner; // the scene that owns the object, or null
    // Unique over the process's life: tells this object from a later one made at the same address.
    const uint64_t Serial;
    std::string Name;
    std::string Tag;
    int32_t Priority = 0;
    int32_t MotionPriority = 0; // set by animation frames and motions; added to Priority for ordering

    // The second half of creation (see NewVobeObject).
    virtual void Created();

    // ---- property accessors ----
    const std::string& GetName() const { return Name; }
    int32_t GetPriority() const { return Priority; }
    const std::string& GetTag() const { return Tag; }
    virtual void SetName(const std::string& name);
    virtual void SetPriority(int32_t value);
    virtual void SetTag(const std::string& value);
    virtual std::string GetParentName();
    virtual void SetParentName(const std::string& name);
    // PR_BORDERSOURCETL..BR: cells 0-8 (TL, TC, TR, CL, CC, CR, BL, BC, BR).
    virtual std::string GetBorderSource(int32_t cell);
    virtual void SetBorderSource(int32_t cell, const std::string& value);
    // PR_BORDERHALIGNT/C/B: cells 1, 4, 7; PR_BORDERVALIGNL/C/R: cells 3, 4, 5.
    virtual int32_t GetBorderHAlign(int32_t cell);
    virtual void SetBorderHAlign(int32_t cell, int32_t value);
    virtual int32_t GetBorderVAlign(int32_t cell);
    virtual void SetBorderVAlign(int32_t cell, int32_t value);
    // PR_PARAM1..3: index 0-2.
    virtual long double GetParam(int32_t index);
    virtual void SetParam(int32_t index, long double value);
    // PR_CARETX, PR_CARETY.
    virtual TPoint GetCaretPoint();

#define VOBE_DECLARE_RW(id, T, Acc, Def)                                                                     \
    virtual TProp##T Get##Acc();                                                                             \
    virtual void Set##Acc(TPropArg##T value);
#define VOBE_DECLARE_RO(id, T, Acc, Def) virtual TProp##T Get##Acc();
    VOBE_PROPERTY_ACCESSORS(VOBE_DECLARE_RW, VOBE_DECLARE_RO)
#undef VOBE_DECLARE_RW
#undef VOBE_DECLARE_RO

    // Per-item flags of list boxes, menus and preview menus.
    virtual bool GetItemCheck(int32_t index);
    virtual void SetItemCheck(int32_t index, bool value);
    virtual bool GetItemEnabled(int32_t index);
    virtual void SetItemEnabled(int32_t index, bool value);
    virtual bool GetItemVisible(int32_t index);
    virtual void SetItemVisible(int32_t index, bool value);
    // 0 start now, 1 start with the transition, 2 stop now, 3 stop with the transition.
    virtual int32_t GetPlayState();
    virtual void SetPlayState(int32_t state);
    // Media and menus: start again from the beginning (the media-play command).
    virtual void Restart();

    // ---- operations ----
    // The surface the object renders into: the parent's; a base answers its own.
    virtual TCustomDIBX* GetSurface();
    virtual uint8_t GetCompoType();
    // The objects a scene owns.
    virtual TVobeObject* GetObject(int32_t index);
    virtual int32_t GetObjectCount();
    // A control's children (null outside the list).
    virtual TVobeObject* GetChild(int32_t index);
    virtual int32_t GetChildCount();
    virtual TVobeBase* GetBase();
    virtual bool GetMarked();
    virtual void SetMarked(bool value);
    // (ScreenLeft, ScreenTop, Width, Height).
    virtual TRect GetScreenRect();
    // True while a closing menu or map image ignores input.
    virtual bool IsSuspended();
    virtual int32_t GetScreenLeft();
    virtual int32_t GetScreenTop();
    virtual int32_t GetLocalLeft();
    virtual int32_t GetLocalTop();
    virtual TRect GetHitRect();
    virtual void SetHitRect(const TRect& r);
    // Screen position of Left/Top, without the offset correction.
    virtual TPoint GetAnchorPoint();
    virtual std::string GetTextAlias();
    // Sets the text to the current text followed by `text`.
    virtual void AppendText(const std::string& text);
    virtual TCustomDIBX* GetImage();
    virtual void SetImage(TCustomDIBX* image);
    // The size of GetImage; false when the object shows no picture.
    virtual bool GetImageSize(int32_t& width, int32_t& height);
    // Marks the screen rectangle dirty on the base; called before and after every visible change.
    virtual void Invalidate();
    // Paints the object, then its visible children, into the base surface.
    virtual void Draw();
    virtual TVobeObject* HitTest(TPoint p, TAcceptSet acceptSet);
    // Per-frame poll; true asks the scene to delete the object.
    virtual bool Update();
    virtual void MouseLeftDown();
    virtual void MouseLeftUp();
    virtual void MouseRightDown();
    virtual void MouseRightUp();
    virtual void MouseMove();
    virtual void MouseOut(TVobeObject* newTarget);
    virtual void MouseIn(TVobeObject* oldTarget);
    // Once per frame on the control that holds a mouse button's capture.
    virtual void MouseCaptureTick();
    // Button groups.
    virtual void ApplySelected(bool value);
    virtual void ApplyAllowAllUp(bool value);
    // Each class writes its parent class's part first.
    virtual void SaveToStream(TStream& s);
    virtual void LoadFromStream(TStream& s, int32_t version);
    virtual TPoint ClientToScreen(TPoint p);
    virtual TPoint ScreenToClient(TPoint p);
    virtual bool NeedsDefaultName();
    virtual void SetMotion(const std::string& fileName);
    virtual void RestartMotion();
    // Menus and map images: close on a right click; true consumes the click.
    virtual bool CancelByRightClick();
    // Intersects r with the screen rectangle; false when nothing is left.
    virtual bool ClipToSelf(TRect& r);
    // Drop and rebuild display surfaces around a display-mode change.
    virtual void ReleaseSurfaces();
    virtual void RestoreSurfaces();
    // The topmost visible descendant that can take the keyboard focus, else the object itself when it
    // handles keys and is not paused, else null.
    virtual TVobeControl* FindFocusable();
    virtual void KeyDown();
    virtual void KeyUp();
    virtual void KeyRepeat();
    virtual bool IsAncestorOf(const TVobeObject* o);
    // `r` is about to be repainted; forwarded to the parent.
    virtual void NotifyDirty(const TRect& r);
    // Some ancestor is a cabinet.
    virtual bool InCabinet();
    virtual std::string GetCursorAlias();
    virtual void FocusEnter();
    virtual void CabinetEnter();
    virtual void CabinetLeave();
    // Visible, on the front base, and every ancestor visible.
    virtual bool IsShowing();
    // After Left, Top, OffsetX or OffsetY changed; forwarded to all children.
    virtual void PositionChanged();

    // ---- helpers ----
    // The scene's event queue holds an entry of this object and kind.
    bool IsQueued(uint8_t kind) const;
    // Posts an event when the handler is set and, with `once`, no entry of this object and kind is
    // queued. True when posted.
    bool PostEvent(uint8_t kind, const std::string& handler, const std::vector<std::string>& args = {},
                   bool once = true);
    // The object is a base of a scene.
    bool IsBase() const;
    bool IsControl() const;
};

// A pointer kept across frames to an object that the script may delete meanwhile. It is never
// dereferenced by itself: TVobeBaseList::Get answers the object only while that very object lives.
template <class T> class TObjectLink {
public:
    TObjectLink() = default;
    TObjectLink(T* o) : FObject(o), FSerial(o ? o->Serial : 0) {}
    T* Raw() const { return FObject; }
    uint64_t Serial() const { return FSerial; }
    bool Empty() const { return FObject == nullptr; }

private:
    T* FObject = nullptr;
    uint64_t FSerial = 0;
};

// ---- TVobeComponent ------------------------------------------------------------------------------

// Non-visual objects and the scene.
class TVobeComponent : public TVobeObject {
public:
    using TVobeObject::TVobeObject;

    // The scene implements these.
    virtual void AddObject(TVobeObject* o);
    virtual void RemoveObject(TVobeObject* o);
    virtual bool IsDeleted(const TVobeObject* o);
    virtual void MarkDeleted(TVobeObject* o);
};

// ---- TVobeControl --------------------------------------------------------------------------------

// Everything that occupies a rectangle on a base.
class TVobeControl : public TVobeComponent {
public:
    explicit TVobeControl(TVobeBaseList* owner);
    ~TVobeControl() override;

    int32_t Left = 0, Top = 0, Width = 0, Height = 0;
    int32_t OffsetX = 0, OffsetY = 0; // the anchor point inside the control
    bool Visible = true;
    TVobeControl* Parent = nullptr;
    int32_t Color = 0;                  // 0x00BBGGRR
    std::vector<TVobeObject*> Children; // owned, in drawing order
    TRect HitRect{0, 0, 1, 1};
    uint8_t IgnoreMouse = 0;
    std::string Cursor;
    std::string OnMouseMove, OnMouseIn, OnMouseOut, OnLBtnDown, OnLBtnUp, OnRBtnDown, OnRBtnUp, OnWheelDown,
        OnWheelUp;
    bool PosZoomed = false;
    bool Marked = false;
    int32_t ClipLeft = 0, ClipTop = 0, ClipWidth = 0, ClipHeight = 0; // no clipping below 1
    int32_t MotionX = 0, MotionY = 0; // the position while a motion drives the control
    int32_t PlusX = 0, PlusY = 0;     // added after all placement
    bool AniPaused = false;
    bool HandleKey = false;
    std::string OnKeyDown, OnKeyUp, OnKeyRepeat, OnFocusIn, OnFocusOut;
    std::unique_ptr<TVobeMotion> Motion;

    void Created() override;

    // ---- properties ----
    std::string GetParentName() override;
    void SetParentName(const std::string& name) override;
    int32_t GetLeft() override { return Left; }
    void SetLeft(int32_t v) override;
    int32_t GetTop() override { return Top; }
    void SetTop(int32_t v) override;
    int32_t GetWidth() override { return Width; }
    void SetWidth(int32_t v) override;
    int32_t GetHeight() override { return Height; }
    void SetHeight(int32_t v) override;
    int32_t GetColor() override { return Color; }
    void SetColor(int32_t v) override;
    int32_t GetOffsetX() override { return OffsetX; }
    void SetOffsetX(int32_t v) override;
    int32_t GetOffsetY() override { return OffsetY; }
    void SetOffsetY(int32_t v) override;
    bool GetVisible() override;
    void SetVisible(bool v) override;
    int32_t GetIgnoreMouse() override { return IgnoreMouse; }
    void SetIgnoreMouse(int32_t v) override { IgnoreMouse = static_cast<uint8_t>(v); }
    std::string GetCursor() override { return Cursor; }
    void SetCursor(const std::string& v) override { Cursor = v; }
    bool GetPosZoomed() override { return PosZoomed; }
    void SetPosZoomed(bool v) override;
    int32_t GetClipLeft() override { return ClipLeft; }
    void SetClipLeft(int32_t v) override;
    int32_t GetClipTop() override { return ClipTop; }
    void SetClipTop(int32_t v) override;
    int32_t GetClipWidth() override { return ClipWidth; }
    void SetClipWidth(int32_t v) override;
    int32_t GetClipHeight() override { return ClipHeight; }
    void SetClipHeight(int32_t v) override;
    bool GetAniPaused() override { return AniPaused; }
    void SetAniPaused(bool v) override { AniPaused = v; }
    bool GetPlaying() override;
    bool GetHandleKey() override { return HandleKey; }
    void SetHandleKey(bool v) override;
    int32_t GetPlusX() override { return PlusX; }
    void SetPlusX(int32_t v) override;
    int32_t GetPlusY() override { return PlusY; }
    void SetPlusY(int32_t v) override;
    std::string GetOnMouseMove() override { return OnMouseMove; }
    void SetOnMouseMove(const std::string& v) override { OnMouseMove = v; }
    std::string GetOnMouseIn() override { return OnMouseIn; }
    void SetOnMouseIn(const std::string& v) override { OnMouseIn = v; }
    std::string GetOnMouseOut() override { return OnMouseOut; }
    void SetOnMouseOut(const std::string& v) override { OnMouseOut = v; }
    std::string GetOnLBtnDown() override { return OnLBtnDown; }
    void SetOnLBtnDown(const std::string& v) override { OnLBtnDown = v; }
    std::string GetOnLBtnUp() override { return OnLBtnUp; }
    void SetOnLBtnUp(const std::string& v) override { OnLBtnUp = v; }
    std::string GetOnRBtnDown() override { return OnRBtnDown; }
    void SetOnRBtnDown(const std::string& v) override { OnRBtnDown = v; }
    std::string GetOnRBtnUp() override { return OnRBtnUp; }
    void SetOnRBtnUp(const std::string& v) override { OnRBtnUp = v; }
    std::string GetOnWheelDown() override { return OnWheelDown; }
    void SetOnWheelDown(const std::string& v) override { OnWheelDown = v; }
    std::string GetOnWheelUp() override { return OnWheelUp; }
    void SetOnWheelUp(const std::string& v) override { OnWheelUp = v; }
    std::string GetOnKeyDown() override { return OnKeyDown; }
    void SetOnKeyDown(const std::string& v) override { OnKeyDown = v; }
    std::string GetOnKeyUp() override { return OnKeyUp; }
    void SetOnKeyUp(const std::string& v) override { OnKeyUp = v; }
    std::string GetOnKeyRepeat() override { return OnKeyRepeat; }
    void SetOnKeyRepeat(const std::string& v) override { OnKeyRepeat = v; }
    std::string GetOnFocusIn() override { return OnFocusIn; }
    void SetOnFocusIn(const std::string& v) override { OnFocusIn = v; }
    std::string GetOnFocusOut() override { return OnFocusOut; }
    void SetOnFocusOut(const std::string& v) override { OnFocusOut = v; }
    void SetPriority(int32_t value) override;

    // ---- operations ----
    TCustomDIBX* GetSurface() override;
    TVobeObject* GetChild(int32_t index) override;
    int32_t GetChildCount() override { return static_cast<int32_t>(Children.size()); }
    TVobeBase* GetBase() override;
    bool GetMarked() override { return Marked; }
    void SetMarked(bool value) override;
    TRect GetScreenRect() override;
    int32_t GetScreenLeft() override;
    int32_t GetScreenTop() override;
    int32_t GetLocalLeft() override;
    int32_t GetLocalTop() override;
    TRect GetHitRect() override { return HitRect; }
    void SetHitRect(const TRect& r) override { HitRect = r; }
    TPoint GetAnchorPoint() override;
    void Invalidate() override;
    void Draw() override;
    TVobeObject* HitTest(TPoint p, TAcceptSet acceptSet) override;
    bool Update() override;
    void MouseLeftDown() override;
    void MouseLeftUp() override;
    void MouseRightDown() override;
    void MouseRightUp() override;
    void MouseMove() override;
    void MouseOut(TVobeObject* newTarget) override;
    void MouseIn(TVobeObject* oldTarget) override;
    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;
    TPoint ClientToScreen(TPoint p) override;
    TPoint ScreenToClient(TPoint p) override;
    void RestartMotion() override;
    bool ClipToSelf(TRect& r) override;
    TVobeControl* FindFocusable() override;
    void KeyDown() override;
    void KeyUp() override;
    void KeyRepeat() override;
    bool IsAncestorOf(const TVobeObject* o) override;
    void NotifyDirty(const TRect& r) override;
    bool InCabinet() override;
    std::string GetCursorAlias() override { return Cursor; }
    bool IsShowing() override;
    void PositionChanged() override;

    virtual TVobeMotion* GetMotion();
    virtual void AddChild(TVobeObject* o);
    virtual void RemoveChild(TVobeObject* o);
    // One invalidation for all four.
    virtual void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
    virtual void SortChildren();
    // After a clip field changed; forwarded to all children.
    virtual void ClipChanged();
    // Draws the visible children in order, each with the surface clip narrowed to its rectangle (and
    // its own clip rectangle); the clip is restored after each.
    void DrawChildren();

    // Moves the control under another parent (ignored for the current parent, for the control itself
    // and for one of its descendants).
    void SetParent(TVobeControl* newParent);
    // The clip rectangle in screen coordinates; false when the control does not clip.
    bool GetClipRect(TRect& r);
    // The control or one of its descendants holds the keyboard focus.
    bool HoldsFocus();
    // The x, y arguments of a mouse event: the base's pointer relative to the control.
    std::vector<std::string> MouseArgs();
    // Stores a value that changes the picture, invalidating around the change.
    template <class F, class V> void SetVisual(F& field, const V& v) {
        const F nv = static_cast<F>(v);
        if (field == nv) return;
        Invalidate();
        field = nv;
        Invalidate();
    }

protected:
    // ScreenLeft/Top without (parent term false) or with the parent's position.
    int32_t PlaceX(bool withParent);
    int32_t PlaceY(bool withParent);
    // Placement under a picture-bearing parent with the same zoom (PosZoomed images); false when the
    // ordinary rule applies.
    bool PlaceOnParentPicture(bool vertical, int32_t& result);
    // Sets a field with invalidation around the change (no-op when unchanged).
    bool SetInvalidating(int32_t& field, int32_t v);
    // Child records of the control part.
    void SaveChildren(TStream& s);
    void LoadChildren(TStream& s, int32_t version);
    // Brings the focus in line after the control was hidden, paused or moved away (lost) or shown.
    void FocusAfterHide();
    void FocusAfterShow();
};

// The order of children: objects the player makes itself first, the two-byte name 0x01 0x01 last,
// otherwise Priority + MotionPriority, then the names byte-wise. True when a sorts before b.
bool ChildLess(const TVobeObject* a, const TVobeObject* b);

// Bounds(left, top, width, height) with every edge kept inside the 32-bit range, for positions and
// sizes that come from saved data.
TRect ScreenBounds(int64_t left, int64_t top, int64_t width, int64_t height);

// The 16.16 ratio of a parent's picture size to its shown size (parentSize > 0), at least 1: the scale
// by which PosZoomed children are placed and sized on the parent's picture.
int64_t ParentPictureScale(int32_t picture, int32_t parentSize);

// Reads an int32 count of records that take at least `minBytes` each; raises an error naming `what`
// when the count is negative or larger than the rest of the stream can hold.
int32_t ReadRecordCount(TStream& s, int32_t minBytes, const char* what);

// Raises the error of a damaged object record.
[[noreturn]] void RaiseObjectStreamError(const std::string& what);

} // namespace vobe
