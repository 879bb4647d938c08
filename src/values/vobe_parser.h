// A compiled expression: a flat list of three-address operations (destination := operand op operand),
// read from and written to the stored form that pages embed, and evaluated against the variable store.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "values/param.h"
#include "values/sys_func_table.h"

namespace vobe {

class TStream;

// Operation codes (one byte in the stored form).
enum TOpeCode : uint8_t {
    ocNone = 0,
    ocTo = 1,        // =
    ocPlus = 2,      // +
    ocMinus = 3,     // -
    ocMul = 4,       // *
    ocDiv = 5,       // /
    ocMod = 6,       // %
    ocOr = 7,        // |
    ocAnd = 8,       // &
    ocXor = 9,       // ^
    ocDimTo = 10,    // name[i, j, ...]: dest becomes a reference to the element
    ocFunc = 11,     // name(a, b, ...)
    ocEqual = 12,    // ==
    ocBig = 13,      // >
    ocSmall = 14,    // <
    ocEBig = 15,     // >=
    ocESmall = 16,   // <=
    ocShiftL = 17,   // <<
    ocShiftR = 18,   // >> (logical)
    ocComboStr = 19, // ++
    ocNEqual = 20,   // <>
};
constexpr int32_t OPE_CODE_COUNT = 21;

// The symbolic name of a code ("ocTo"); a code above 20 gives its decimal number.
std::string OpeCodeName(uint8_t op);

// One operation. Operands are constants (TParamInt, TParamFloat, TParamFlag, TParamStr) or variable
// references (TParamVar with Name, bound only while the operation runs). For ocFunc the operands are
// the arguments only.
class TOpeData {
public:
    uint8_t Op = ocNone;
    std::string Dest;
    uint8_t FuncId = 0;
    TParamList Operands;

    // Rebuilds the list of the variable operands after Operands or Dest changed.
    void IndexVars();
    struct TVarRef {
        TParamVar* Var;
        uint64_t Hash; // FoldedNameHash of its name
    };
    const std::vector<TVarRef>& Vars() const { return FVars; }
    uint64_t DestHash() const { return FDestHash; }

private:
    std::vector<TVarRef> FVars;
    uint64_t FDestHash = 0;
};

class TVobeParser {
public:
    TVobeParser() = default;
    ~TVobeParser();
    TVobeParser(const TVobeParser&) = delete;
    TVobeParser& operator=(const TVobeParser&) = delete;

    // Clears the list, then reads the stored form. Counts and lengths that run past the stream are
    // refused with an error before anything is allocated for them.
    void LoadFromStream(TStream& s);
    void SaveToStream(TStream& s) const;
    // Replaces the list with copies of other's operations.
    void Assign(const TVobeParser& other);
    // Evaluates against the player's store (ParamCollection). Afterwards Result holds the value of an
    // expression that is not an assignment, or null. An error inside an operation ends the evaluation
    // silently; only fetching the result can raise ("%s:不正な変数です").
    void Execute();
    void Clear();

    int32_t Count() const { return static_cast<int32_t>(FList.size()); }
    TOpeData& Items(int32_t i) const { return *FList[static_cast<size_t>(i)]; }
    // Appends an operation (the parser owns it).
    TOpeData& Add(std::unique_ptr<TOpeData> op);

    TCustomParam* Result() const { return FResult.get(); }
    std::unique_ptr<TCustomParam> TakeResult() { return std::move(FResult); }

private:
    void Perform(TOpeData& op);

    std::vector<std::unique_ptr<TOpeData>> FList;
    std::unique_ptr<TCustomParam> FResult;
    // The temporaries of the running evaluation, linked so that one freed early is not freed twice.
    std::deque<TItemLink> FTemps;
    bool FRunning = false;
};

// One operation as text, the form `vobetool expr ops` prints: OPNAME, DEST, then the operands
// (int:V, float:V, bool:TRUE, str:"V", var:NAME; func:NAME first for a call), separated by tabs.
// Shift-JIS.
std::string FormatOperation(const TVobeParser& parser, int32_t i);

} // namespace vobe
