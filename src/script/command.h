// The base of every script command: the common header, the virtual operations the interpreter drives,
// and the field visitor through which every command reads, writes and lists its stored fields.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/stream.h"
#include "values/vobe_parser.h"

namespace vobe {

class TPage;
class TCallMan;
class TComComponent;

using TExprPtr = std::unique_ptr<TVobeParser>;

// Command type codes (the low 7 bits of a command's type byte in a page file).
enum TCommandKind : int32_t {
    ckIf = 0,
    ckElseif = 1,
    ckElse = 2,
    ckLabel = 3,
    ckJump = 4,
    ckCall = 5,
    ckExit = 6,
    ckWait = 7,
    ckBoxNew = 8,
    ckImgNew = 9,
    ckMesNew = 10,
    ckTimer = 11,
    ckMovie = 12,
    ckFlip = 13,
    ckCalc = 14,
    ckVarNew = 15,
    ckVarDel = 16,
    ckGetProp = 17,
    ckSetProp = 18,
    ckObjDel = 19,
    ckTextIns = 20,
    ckMovieStop = 21,
    ckClrHist = 22,
    ckCinema = 23,
    ckCaption = 24,
    ckMenu = 25,
    ckMenuClose = 26,
    ckComment = 27,
    ckTextClr = 28,
    ckCallHist = 29,
    ckBtnNew = 30,
    ckWhile = 31,
    ckWhileInit = 32,
    ckWhileLoop = 33,
    ckBreak = 34,
    ckContinue = 35,
    ckParticleNew = 36,
    ckFireNew = 37,
    ckGameSave = 38,
    ckGameLoad = 39,
    ckPCReset = 40,
    ckReset = 41,
    ckSound = 42,
    ckEditNew = 43,
    ckMemoNew = 44,
    ckTerminate = 45,
    ckDoEvent = 46,
    ckClrRead = 47,
    ckMapImgNew = 48,
    ckWaveNew = 49,
    ckTileNew = 50,
    ckSliderNew = 51,
    ckScrollbarNew = 52,
    ckGaugeNew = 53,
    ckCGCaption = 54,
    ckMediaPlay = 55,
    ckPrevMenuNew = 56,
    ckPropMotion = 57,
    ckEntryHist = 58,
    ckCabinetSave = 59,
    ckCabinetLoad = 60,
};
constexpr int32_t CommandKindCount = 61;

// Property ids run from 0 to 161; a page's mask rows hold 168 bits.
constexpr int32_t PropertyCount = 162;
constexpr int32_t PropertyMaskBytes = 21;

// The newest page version; writers always write it.
constexpr int32_t PageVersion = 110;

// One visitor walks a command's fields in stored order. The reader, the writer, the page listing and
// the game compiler are visitors, so the stored order is written down once per command class.
// Version() is the page version the fields are read for (the writer says PageVersion); a field that a
// version does not carry is simply not visited, and an expression left unvisited stays absent (null).
class TFieldVisitor {
public:
    virtual ~TFieldVisitor() = default;
    virtual int32_t Version() const = 0;
    virtual void Expr(const char* name, TExprPtr& e) = 0;
    virtual void Str(const char* name, std::string& s) = 0;
    virtual void Int(const char* name, int32_t& v) = 0;
    virtual void Byte(const char* name, uint8_t& v) = 0;
    // int32 n, then n expressions.
    virtual void ExprList(const char* name, std::vector<TExprPtr>& list) = 0;
    // int32 L, then L bytes (none when L <= 0).
    virtual void Data(const char* name, std::vector<uint8_t>& bytes) = 0;
    // One expression per property slot the command's mask row holds, in increasing id order.
    virtual void Props(TComComponent& c) = 0;
};

class TCommand {
public:
    explicit TCommand(TPage* page) : FPage(page) {}
    virtual ~TCommand();
    TCommand(const TCommand&) = delete;
    TCommand& operator=(const TCommand&) = delete;

    virtual int32_t GetKind() const { return ckBoxNew; }
    virtual bool GetContinue() const { return FContinue != 0; }
    virtual bool GetSkip() const { return FSkip != 0; }
    virtual void SetSkip(bool v) { FSkip = v ? 1 : 0; }
    virtual bool BlocksEvents() const { return false; }
    virtual bool IsLabel(const std::string&) const { return false; }
    // Reads the common header, then the fields of the class by the page's version.
    virtual void LoadFromStream(TStream& s);
    // Writes the type byte, the common header and the fields in the newest page version.
    virtual void SaveToStream(TStream& s);
    virtual void Prepare(TCallMan&) {}
    virtual void Execute(TCallMan&, TPage*&, int32_t& pc) { ++pc; }
    virtual void SaveState(std::unique_ptr<TTpMemoryStream>&) {}
    virtual void LoadState(TStream&) {}
    virtual void Abort() {}
    virtual bool IsWaiting() const { return false; }

    // The stored fields after the common header, in stored order.
    virtual void VisitFields(TFieldVisitor&) {}

    TPage* GetPage() const { return FPage; }
    // The page version the command was read with (the newest when it has no page).
    int32_t Version() const;

    // Common header, as stored.
    uint8_t FContinue = 0;
    uint8_t FSkip = 0;
    int32_t line = 0;
    int32_t indent = 0;

protected:
    TPage* FPage;
};

// A deep copy of an expression (null stays null).
TExprPtr CloneExpr(const TExprPtr& e);

// Evaluates an expression: its value, or null when it yields none (an absent expression yields none).
TCustomParam* Evaluate(TVobeParser* e);
inline TCustomParam* Evaluate(const TExprPtr& e) {
    return Evaluate(e.get());
}
// The value converted, or `none` when the expression yields no value.
bool EvalBool(const TExprPtr& e, bool none);
int32_t EvalInt(const TExprPtr& e, int32_t none);
std::string EvalStr(const TExprPtr& e);

} // namespace vobe
