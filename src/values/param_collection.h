// The variable store: named variables in 256 hash buckets (names compared ignoring case), with call
// depths and local visibility, status variables that survive game loads, the 50 system variables that
// read and write the running player, and the game and status stream forms.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/hash_collection.h"
#include "values/param.h"

namespace vobe {

class TParamCollection;

// ---- what the system variables read and write ---------------------------------------------------------
// Each layer above registers its part at start-up (TParamCollection::Sources). Until a part is
// registered, or when its object does not override an operation, reads give the "no value" answers
// (0, false, "") and writes are ignored.

// The interpreter (@Result, @ParamCount, @ParamStr, @Sender, @StackCount).
class ISysCallValues {
public:
    virtual ~ISysCallValues() = default;
    // The result variable of the running page call, or null (no call, or a call without result).
    virtual TCustomParam* ResultParam() { return nullptr; }
    virtual int32_t ParamCount() { return 0; }
    // Argument i (0-based) of the running call as text.
    virtual std::string ParamStr(int32_t) { return std::string(); }
    virtual std::string Sender() { return std::string(); }
    virtual int32_t StackCount() { return 0; }
};

// The scene and its input (@LClick … @ActiveCompo, the key arrays, the wheel, @CGDither, @SoundON).
class ISysSceneValues {
public:
    virtual ~ISysSceneValues() = default;
    virtual bool GetLClick() { return false; }
    virtual void SetLClick(bool) {}
    virtual bool GetRClick() { return false; }
    virtual void SetRClick(bool) {}
    // Button held while no control holds that button's capture.
    virtual bool IsLeftHeld() { return false; }
    virtual bool IsRightHeld() { return false; }
    virtual int32_t GetMouseX() { return 0; }
    virtual int32_t GetMouseY() { return 0; }
    // Moves the mouse cursor (coordinates of the active base).
    virtual void SetMouseX(int32_t) {}
    virtual void SetMouseY(int32_t) {}
    // k: virtual key 0..255; 256 wheel turned down, 257 wheel turned up in this frame.
    virtual bool KeyPush(int32_t) { return false; }
    virtual bool KeyClick(int32_t) { return false; }
    virtual bool KeyRepeat(int32_t) { return false; }
    virtual bool WheelDown() { return false; }
    virtual bool WheelUp() { return false; }
    virtual bool GetCGDither() { return false; }
    virtual void SetCGDither(bool) {}
    virtual bool GetSoundON() { return false; }
    virtual void SetSoundON(bool) {}
    // Name of the component with the keyboard focus, "" for none.
    virtual std::string GetActiveCompo() { return std::string(); }
    virtual void SetActiveCompo(const std::string&) {}
};

// The project (@ScrWidth, @ScrHeight, @Title).
class ISysProjectValues {
public:
    virtual ~ISysProjectValues() = default;
    virtual int32_t ScrWidth() { return 0; }
    virtual int32_t ScrHeight() { return 0; }
    virtual std::string Title() { return std::string(); }
};

// The message history (@HistoryCount, @HistoryMaxCount).
class ISysHistoryValues {
public:
    virtual ~ISysHistoryValues() = default;
    virtual int32_t HistoryCount() { return 0; }
    virtual int32_t GetHistoryMaxCount() { return 0; }
    virtual void SetHistoryMaxCount(int32_t) {}
};

// The main window and the display (@FullScr, display modes, @PCTickCount, the font lists, the clock).
class ISysDisplayValues {
public:
    virtual ~ISysDisplayValues() = default;
    virtual bool GetFullScr() { return false; }
    virtual void SetFullScr(bool) {}
    virtual int32_t DisplayModeCount() { return 0; }
    virtual int32_t GetDisplayModeIndex() { return 0; }
    virtual void SetDisplayModeIndex(int32_t) {}
    // The system's millisecond timer.
    virtual int32_t PCTickCount() { return 0; }
    // The font list of @Fonts (fixedOnly false) or @FixedFonts: sorted names joined by CR LF.
    virtual std::string Fonts(bool) { return std::string(); }
    // The local date and time; false leaves it to the C library's clock.
    virtual bool Now(std::tm&) { return false; }
};

// Media (@MidiPort, @MidiPorts).
class ISysMediaValues {
public:
    virtual ~ISysMediaValues() = default;
    virtual std::string GetMidiPort() { return std::string(); }
    virtual void SetMidiPort(const std::string&) {}
    virtual int32_t MidiPortCount() { return 0; }
    virtual std::string MidiPortName(int32_t) { return std::string(); }
};

// The registered parts; null members give the "no value" answers. The store does not own them.
struct TSystemValueSources {
    ISysCallValues* Call = nullptr;
    ISysSceneValues* Scene = nullptr;
    ISysProjectValues* Project = nullptr;
    ISysHistoryValues* History = nullptr;
    ISysDisplayValues* Display = nullptr;
    ISysMediaValues* Media = nullptr;
};

// System variable numbers: the order of the store's first 50 items.
enum TSysVar : uint8_t {
    svResult,
    svLClick,
    svRClick,
    svLPush,
    svRPush,
    svMouseX,
    svMouseY,
    svTextDelay,
    svHistoryCount,
    svParamCount,
    svParamStr,
    svSender,
    svScrWidth,
    svScrHeight,
    svTickCount,
    svPCTickCount,
    svUpdateCount,
    svYear,
    svMonth,
    svDay,
    svWeek,
    svHour,
    svMin,
    svSec,
    svFonts,
    svFixedFonts,
    svFullScr,
    svCursor,
    svSelStr,
    svSelIndex,
    svPi,
    svCGDither,
    sv1Hour,
    sv1Min,
    sv1Sec,
    svKeyPush,
    svKeyClick,
    svDisplayModeCount,
    svDisplayModeIndex,
    svTitle,
    svSoundON,
    svActiveCompo,
    svKeyRepeat,
    svHistoryMaxCount,
    svTemp,
    svMidiPort,
    svMidiPorts,
    svWheelDown,
    svWheelUp,
    svStackCount,
    SYS_VAR_COUNT
};

// The name of system variable n ("@Result" …), "" outside 0..49.
const char* SysVarName(int32_t n);

// A system variable: no storage of its own; every operation computes or sets a player value. Writes
// arrive converted to the variable's type (text into a flag is read as a decimal number); writes to
// the read-only ones are ignored. @Result and @Temp pass every operation to the variable they stand
// for.
class TParamSystem : public TCustomParam {
public:
    TParamSystem(TParamCollection& store, uint8_t number) : FStore(store), FNumber(number) {}
    uint8_t Number() const { return FNumber; }

    int32_t GetCount() const override;
    void SetCount(int32_t n) override;
    TParamType GetParamType() const override;
    bool GetAsBool() const override;
    long double GetAsFloat() const override;
    int32_t GetAsInt() const override;
    std::string GetAsStr() const override;
    void SetAsBool(bool b) override;
    void SetAsFloat(long double x) override;
    void SetAsInt(int32_t v) override;
    void SetAsStr(const std::string& s) override;
    int32_t GetIntAt(int32_t i) const override;
    void SetIntAt(int32_t i, int32_t v) override;
    long double GetFloatAt(int32_t i) const override;
    void SetFloatAt(int32_t i, long double x) override;
    bool GetBoolAt(int32_t i) const override;
    void SetBoolAt(int32_t i, bool b) override;
    std::string GetStrAt(int32_t i) const override;
    void SetStrAt(int32_t i, const std::string& s) override;
    int32_t GetDimCount() const override;
    int32_t GetDim(int32_t k) const override;
    std::vector<int32_t> GetDims() const override;
    void AssignValues(const TCustomParam& src) override;
    void SetDims(const std::vector<int32_t>& dims) override;
    void FillInt(int32_t v) override;
    void FillFloat(long double x) override;
    void FillBool(bool b) override;
    void FillStr(const std::string& s) override;
    void CopyMem(const TCustomParam& src) override;
    void ClearDims() override;
    int32_t IndexOfStr(const std::string& s, bool caseSensitive, bool partial) const override;

private:
    bool IsArray() const;
    // The variable @Result or @Temp stands for (null when none); other numbers give null.
    TCustomParam* Delegate() const;
    // Element i in the variable's own type (i is 0 for a scalar, checked by the callers).
    int32_t ReadInt(int32_t i) const;
    long double ReadFloat(int32_t i) const;
    bool ReadBool(int32_t i) const;
    std::string ReadStr(int32_t i) const;
    void WriteInt(int32_t v);
    void WriteBool(bool b);
    void WriteStr(const std::string& s);
    void CheckIndex(int32_t i) const;

    TParamCollection& FStore;
    uint8_t FNumber;
};

// One named variable. Value operations act on its Param.
class TParamCollectionItem : public THashCollectionItem {
public:
    explicit TParamCollectionItem(std::unique_ptr<TCustomParam> param);
    ~TParamCollectionItem() override;

    TCustomParam& GetParam() const { return *FParam; }
    // Replaces the value object (giving the item a type); references to the item stay.
    void SetParam(std::unique_ptr<TCustomParam> param);
    // Validates the name ("\"%s\"：変数名が不正です") and files the item under it.
    void SetName(const std::string& name);
    bool IsSystem() const { return FSystem; }

    uint8_t Reserved = 0;
    bool Status = false; // survives game load; saved with the status data
    int32_t Depth = -1;  // owning call depth, -1 for none
    bool Local = false;  // visible only while the call depth equals Depth

    // The value interface, passed to Param.
    int32_t GetCount() const { return FParam->GetCount(); }
    TParamType GetParamType() const { return FParam->GetParamType(); }
    bool GetAsBool() const { return FParam->GetAsBool(); }
    long double GetAsFloat() const { return FParam->GetAsFloat(); }
    int32_t GetAsInt() const { return FParam->GetAsInt(); }
    std::string GetAsStr() const { return FParam->GetAsStr(); }
    void SetAsBool(bool b) { FParam->SetAsBool(b); }
    void SetAsFloat(long double x) { FParam->SetAsFloat(x); }
    void SetAsInt(int32_t v) { FParam->SetAsInt(v); }
    void SetAsStr(const std::string& s) { FParam->SetAsStr(s); }
    int32_t GetIntAt(int32_t i) const { return FParam->GetIntAt(i); }
    void SetIntAt(int32_t i, int32_t v) { FParam->SetIntAt(i, v); }
    long double GetFloatAt(int32_t i) const { return FParam->GetFloatAt(i); }
    void SetFloatAt(int32_t i, long double x) { FParam->SetFloatAt(i, x); }
    bool GetBoolAt(int32_t i) const { return FParam->GetBoolAt(i); }
    void SetBoolAt(int32_t i, bool b) { FParam->SetBoolAt(i, b); }
    std::string GetStrAt(int32_t i) const { return FParam->GetStrAt(i); }
    void SetStrAt(int32_t i, const std::string& s) { FParam->SetStrAt(i, s); }
    int32_t GetDimCount() const { return FParam->GetDimCount(); }
    int32_t GetDim(int32_t k) const { return FParam->GetDim(k); }
    void SetDims(const std::vector<int32_t>& dims) { FParam->SetDims(dims); }
    void ClearDims() { FParam->ClearDims(); }

private:
    friend class TItemLink;
    friend class TParamCollection;
    std::unique_ptr<TCustomParam> FParam;
    TItemLink* FLinks = nullptr; // references to this item, cut when it is freed
    bool FSystem = false;
};

// Raises "\"%s\"：変数名が不正です" for an empty name, one with a half-width space, or one that begins
// with a digit.
void CheckVariableName(std::string_view name);

class TParamCollection : public THashCollection {
public:
    // An empty store, then the 50 system variables in number order.
    TParamCollection();
    ~TParamCollection() override;

    int32_t CurrentDepth = 0;
    std::string SelStr;
    int32_t SelIndex = 0;
    int32_t TextDelay = 50;
    std::string CursorText;
    // The history entries' layout, copied from a message component: font height, font border, font
    // shadow, width, height, line space; a first value of 0 means none are set.
    int32_t HistorySettings[6] = {};
    std::string TempTarget; // the variable @Temp stands for

    TSystemValueSources Sources;

    TParamCollectionItem* Item(int32_t i) const { return static_cast<TParamCollectionItem*>(Items(i)); }

    // Appends an unnamed item holding a new value of the type (an unknown type code is an error).
    TParamCollectionItem* AddParam(TParamType type);
    // AddParam and SetName in one step; a refused name leaves the store unchanged.
    TParamCollectionItem* AddNamedParam(TParamType type, const std::string& name);
    // The lookup of the whole player: a local item of the running depth first, else the oldest
    // visible item of the name; null when none.
    TParamCollectionItem* FindItem(std::string_view name) const {
        return FindItem(name, FoldedNameHash(name));
    }
    // The same with FoldedNameHash(name) computed beforehand: expressions hash their names once.
    TParamCollectionItem* FindItem(std::string_view name, uint64_t foldedHash) const;
    // FindItem, or else the newest item of the name at any depth: how a loaded reference finds its
    // target, which may be a local variable of another call depth.
    TParamCollectionItem* FindLinkTarget(std::string_view name) const;
    // An item of the same scope: local: Local set and Depth = CurrentDepth; else the newest non-local.
    TParamCollectionItem* FindScoped(std::string_view name, bool local) const;
    // A detached copy of the named variable's value (null when there is no such variable; the error
    // "%s:不正な変数です" when its type is not 1..4).
    std::unique_ptr<TCustomParam> CopyParam(std::string_view name) const;
    // Frees the item (system variables stay).
    void DeleteItem(TParamCollectionItem* item);
    // A temporary of an evaluation: AddParam and naming, reusing a freed temporary's memory.
    TParamCollectionItem* AddTemp(TParamType type, const std::string& name);
    // Frees a temporary made by AddTemp (its memory is kept for the next one).
    void FreeTemp(TParamCollectionItem* item);
    // Frees every item of call depth d.
    void DeleteDepth(int32_t d);
    // Frees every item that is neither a system nor a status variable and resets the game values.
    void ClearGame();
    // Makes ref stand for element name[indices].
    void BindElement(TParamVar& ref, std::string_view name, const std::vector<int32_t>& indices) const;
    // The same for a variable already found.
    void BindElement(TParamVar& ref, TParamCollectionItem& target, const std::vector<int32_t>& indices) const;

    // Game data (version: the save file's version number).
    void SaveToStream(TStream& s) const;
    void LoadFromStream(TStream& s, int32_t version);
    // Status data.
    void SaveStatusToStream(TStream& s) const;
    void LoadStatusFromStream(TStream& s);

    // Today's date and time as @Year … @Sec read them: taken again only when the game clock moved.
    const std::tm& CurrentTime() const;

private:
    void WriteItems(TStream& s, bool status) const;
    void ReadItems(TStream& s);

    // Freed temporaries by type code, ready for reuse.
    std::vector<std::unique_ptr<THashCollectionItem>> FSpareTemps[PT_STR + 1];
    mutable std::tm FTime{};
    mutable int32_t FTimeClock = 0;
    mutable bool FTimeValid = false;
};

// The lines of `vobeplayer --dump-vars` (Shift-JIS): every named variable but the system ones, sorted
// by the bytes of its name, "NAME\tTYPE\tVALUE\n" each (TYPE int, float, bool, str or ref; VALUE the
// variable's own text form); an array gives one line per element, named NAME[i] by flat index.
std::string DumpVariables(const TParamCollection& store);

// The player's one store. The shell creates it at start-up and frees it at shutdown
// (CreateParamCollection / FreeParamCollection); the evaluator, the commands and the system functions
// reach it here.
extern TParamCollection* ParamCollection;
TParamCollection* CreateParamCollection();
void FreeParamCollection();

} // namespace vobe
