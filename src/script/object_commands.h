// The commands that act on the scene, the variables, the media and the text history: component
// creation with its property expressions, property access, calculations, variables, the screen flip,
// cabinets, game save and load. Their stored fields; the interpreter gives them their behaviour.
#pragma once

#include <array>

#include "framework/vobe_object.h"
#include "script/command.h"

namespace vobe {

class TVobeObject;
class TVobeControl;

// A command holding one expression slot per property id. The page's mask row for the command's code
// decides at construction which slots exist; the stream then carries one expression per slot.
class TComComponent : public TCommand {
public:
    TComComponent(TPage* page, int32_t kind);
    int32_t GetKind() const override { return FKind; }
    void VisitFields(TFieldVisitor& v) override { v.Props(*this); }

    bool HasProp(int32_t id) const { return id >= 0 && id < PropertyCount && FProps[id] != nullptr; }
    TVobeParser* Prop(int32_t id) const { return HasProp(id) ? FProps[id].get() : nullptr; }

    // Evaluates slot `id`; the default stands in when the slot is absent or yields no value.
    int32_t PropInt(int32_t id, int32_t def) const;
    long double PropFloat(int32_t id, long double def) const;
    bool PropBool(int32_t id, bool def) const;
    std::string PropStr(int32_t id, const std::string& def) const;

    // The creation commands make their component in Bases and apply the present property slots
    // (ApplyProperties); the other component commands only move on.
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    // Applies the present slots to `o` in the fixed order of creation, with the creation defaults for
    // slots that yield no value, then invalidates it.
    void ApplyProperties(TVobeObject* o) const;

    std::array<TExprPtr, PropertyCount> FProps;

protected:
    int32_t FKind;
};

// Base of the commands that create controls (components with a place on a base).
class TComControl : public TComComponent {
public:
    using TComComponent::TComComponent;
};

#define VOBE_COMPONENT_COMMAND(Name, Base, Kind)                                                             \
    class Name : public Base {                                                                               \
    public:                                                                                                  \
        explicit Name(TPage* page) : Base(page, Kind) {}                                                     \
    }

VOBE_COMPONENT_COMMAND(TComTimer, TComComponent, ckTimer);
VOBE_COMPONENT_COMMAND(TComSound, TComComponent, ckSound);
VOBE_COMPONENT_COMMAND(TComBoxNew, TComControl, ckBoxNew);
VOBE_COMPONENT_COMMAND(TComImgNew, TComControl, ckImgNew);
VOBE_COMPONENT_COMMAND(TComMesNew, TComControl, ckMesNew);
VOBE_COMPONENT_COMMAND(TComMovie, TComControl, ckMovie);
VOBE_COMPONENT_COMMAND(TComCinema, TComControl, ckCinema);
VOBE_COMPONENT_COMMAND(TComCaption, TComControl, ckCaption);
VOBE_COMPONENT_COMMAND(TComMenu, TComControl, ckMenu);
VOBE_COMPONENT_COMMAND(TComBtnNew, TComControl, ckBtnNew);
VOBE_COMPONENT_COMMAND(TComParticleNew, TComControl, ckParticleNew);
VOBE_COMPONENT_COMMAND(TComFireNew, TComControl, ckFireNew);
VOBE_COMPONENT_COMMAND(TComEditNew, TComControl, ckEditNew);
VOBE_COMPONENT_COMMAND(TComMemoNew, TComControl, ckMemoNew);
VOBE_COMPONENT_COMMAND(TComMapImgNew, TComControl, ckMapImgNew);
VOBE_COMPONENT_COMMAND(TComWaveNew, TComControl, ckWaveNew);
VOBE_COMPONENT_COMMAND(TComTileNew, TComControl, ckTileNew);
VOBE_COMPONENT_COMMAND(TComSliderNew, TComControl, ckSliderNew);
VOBE_COMPONENT_COMMAND(TComScrollbarNew, TComControl, ckScrollbarNew);
VOBE_COMPONENT_COMMAND(TComGaugeNew, TComControl, ckGaugeNew);
VOBE_COMPONENT_COMMAND(TComCGCaption, TComControl, ckCGCaption);
VOBE_COMPONENT_COMMAND(TComPrevMenuNew, TComControl, ckPrevMenuNew);

#undef VOBE_COMPONENT_COMMAND

// Moves components between the back base and a storage container, selected by name lists.
class TComCabinet : public TComComponent {
public:
    using TComComponent::TComComponent;
    void VisitFields(TFieldVisitor& v) override;
    // The name is in one of the lists (one name a line), inverted by the mode.
    bool Selected(const std::string& name, const std::vector<std::string>& lists, bool mode) const;
    TExprPtr FMode;
    std::vector<TExprPtr> FNames;
};

class TComCabinetSave : public TComCabinet {
public:
    explicit TComCabinetSave(TPage* page) : TComCabinet(page, ckCabinetSave) {}
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
};

class TComCabinetLoad : public TComCabinet {
public:
    explicit TComCabinetLoad(TPage* page) : TComCabinet(page, ckCabinetLoad) {}
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
};

// Commands whose fields are one expression naming an object.
class TComObjectCommand : public TCommand {
public:
    using TCommand::TCommand;
    void VisitFields(TFieldVisitor& v) override { v.Expr("object", FObject); }
    TExprPtr FObject;
};

class TComObjDel : public TComObjectCommand {
public:
    using TComObjectCommand::TComObjectCommand;
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    int32_t GetKind() const override { return ckObjDel; }
};

class TComMenuClose : public TComObjectCommand {
public:
    using TComObjectCommand::TComObjectCommand;
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    int32_t GetKind() const override { return ckMenuClose; }
};

class TComTextClr : public TComObjectCommand {
public:
    using TComObjectCommand::TComObjectCommand;
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    int32_t GetKind() const override { return ckTextClr; }
};

class TComMediaPlay : public TComObjectCommand {
public:
    using TComObjectCommand::TComObjectCommand;
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    int32_t GetKind() const override { return ckMediaPlay; }
};

class TComEntryHist : public TComObjectCommand {
public:
    using TComObjectCommand::TComObjectCommand;
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    int32_t GetKind() const override { return ckEntryHist; }
};

class TComFlip : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckFlip; }
    void VisitFields(TFieldVisitor& v) override;
    void Prepare(TCallMan& man) override;
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    bool IsWaiting() const override;
    bool BlocksEvents() const override { return FBlock; }
    void SaveState(std::unique_ptr<TTpMemoryStream>& state) override;
    void LoadState(TStream& s) override;
    void Abort() override;
    TExprPtr FFlipKind;
    TExprPtr FTime;
    TExprPtr FReverse;
    TExprPtr FMoveMode;
    std::vector<TExprPtr> FNames;
    TExprPtr FClearBack;
    TExprPtr FParam1;
    TExprPtr FParam2;
    TExprPtr FStrParam;    // version 101 and later
    TExprPtr FBlockEvents; // version 107 and later

    // The name of the snapshot image: sorts above all siblings.
    static const std::string SnapshotName;

private:
    // Shows the back base, removes the snapshot and, with the clear-back flag, the children of the new
    // back base (cabinets too when `all`).
    void Finish(bool all);
    int32_t FPhase = 0;
    int32_t FStart = 0;
    bool FBlock = false;
    bool FClearing = false; // the clear-back flag as evaluated
};

class TComCalc : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckCalc; }
    void VisitFields(TFieldVisitor& v) override { v.Expr("expr", FExpr); }
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    TExprPtr FExpr;
};

class TComVarNew : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckVarNew; }
    void VisitFields(TFieldVisitor& v) override;
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    std::string FName;
    uint8_t FType = 1;
    TExprPtr FValue;
    uint8_t FScope = 0;
};

class TComVarDel : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckVarDel; }
    void VisitFields(TFieldVisitor& v) override { v.Str("name", FName); }
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    std::string FName;
};

class TComGetProp : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckGetProp; }
    void VisitFields(TFieldVisitor& v) override;
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    TExprPtr FObject;
    TExprPtr FPropId;
    std::string FVarName;
};

class TComSetProp : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckSetProp; }
    void VisitFields(TFieldVisitor& v) override;
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    TExprPtr FObject;
    TExprPtr FPropId;
    TExprPtr FValue;
};

class TComTextIns : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckTextIns; }
    void VisitFields(TFieldVisitor& v) override;
    void Prepare(TCallMan& man) override;
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    bool IsWaiting() const override { return FWaiting; }
    bool BlocksEvents() const override { return FBlock; }
    void SaveState(std::unique_ptr<TTpMemoryStream>& state) override;
    void LoadState(TStream& s) override;
    std::vector<uint8_t> FText; // compiled message text
    TExprPtr FWindow;
    TExprPtr FTracked;
    TExprPtr FWait;
    TExprPtr FBlockEvents; // version 107 and later

private:
    TObjectLink<TVobeControl> FTarget; // the message window the text went to
    bool FWaiting = false;
    bool FBlock = false;
};

class TComMovieStop : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckMovieStop; }
    void VisitFields(TFieldVisitor& v) override;
    void Prepare(TCallMan& man) override;
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    bool IsWaiting() const override { return FWaiting; }
    bool BlocksEvents() const override { return FBlock; }
    void SaveState(std::unique_ptr<TTpMemoryStream>& state) override;
    void LoadState(TStream& s) override;
    TExprPtr FObject;
    TExprPtr FTime;
    TExprPtr FWait;
    TExprPtr FBlockEvents; // version 107 and later

private:
    TVobeObject* FadingTarget() const;
    TObjectLink<TVobeObject> FTarget; // the medium that fades out
    bool FWaiting = false;
    bool FBlock = false;
};

class TComClrHist : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckClrHist; }
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
};

class TComClrRead : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckClrRead; }
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
};

class TComCallHist : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckCallHist; }
    void VisitFields(TFieldVisitor& v) override;
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    TExprPtr FWindow;
    TExprPtr FStart;
    TExprPtr FCount;
    TExprPtr FMode;
};

class TComGameSave : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckGameSave; }
    bool GetContinue() const override { return false; }
    void VisitFields(TFieldVisitor& v) override;
    TExprPtr FSlot;
    std::string FPageName;
    int32_t FIndex = 0; // version 105 and later
    TExprPtr FCaption;
};

class TComGameLoad : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckGameLoad; }
    bool GetContinue() const override { return false; }
    void VisitFields(TFieldVisitor& v) override { v.Expr("slot", FSlot); }
    TExprPtr FSlot;
};

class TComPropMotion : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckPropMotion; }
    void VisitFields(TFieldVisitor& v) override;
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    TExprPtr FName;
    TExprPtr FTarget;
    TExprPtr FPropId;
    TExprPtr FEndValue;
    TExprPtr FTime;
    TExprPtr FMotionKind;
    TExprPtr FPaused; // version 108 and later
};

} // namespace vobe
