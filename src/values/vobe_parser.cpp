#include "values/vobe_parser.h"

#include <cmath>
#include <exception>
#include <limits>

#include "archive/stream.h"
#include "framework/prop_table.h"
#include "platform/cp932.h"
#include "platform/error.h"
#include "values/param_collection.h"

namespace vobe {

namespace {

const char* const OpeCodeNames[OPE_CODE_COUNT] = {
    "ocNone",  "ocTo",   "ocPlus",   "ocMinus",  "ocMul",    "ocDiv",      "ocMod",
    "ocOr",    "ocAnd",  "ocXor",    "ocDimTo",  "ocFunc",   "ocEqual",    "ocBig",
    "ocSmall", "ocEBig", "ocESmall", "ocShiftL", "ocShiftR", "ocComboStr", "ocNEqual",
};

[[noreturn]] void RaiseNoVariable(const std::string& name) {
    throw EVobeError("\"" + name + SJ("\" 変数がありません"));
}

[[noreturn]] void RaiseDivByZero() {
    throw EVobeError(SJ("0 で除算しました"));
}

// The error of an operation the evaluator cannot perform: the destination, the code and the operands.
[[noreturn]] void RaiseBadOperation(const TOpeData& op) {
    std::string msg =
        SJ("不正な式") + "\r\n\r\n" + SJ("代入先:") + op.Dest + SJ("演算タイプ:") + OpeCodeName(op.Op);
    for (const auto& operand : op.Operands) msg += "\r\n" + operand->GetAsStr();
    throw EVobeError(msg);
}

const TCustomParam& Operand(const TOpeData& op, size_t i) {
    if (i >= op.Operands.size()) RaiseBadOperation(op);
    return *op.Operands[i];
}

bool IsTempName(const std::string& name) {
    return name.size() >= 4 && name.compare(0, 4, "____") == 0;
}

TParamType PropertyType(int32_t id) {
    const TPropInfo* info = FindPropInfo(id);
    if (!info) throw EVobeError(SJ("GetPropの引数が違います"));
    switch (info->Declared) {
    case pkInt: return PT_INT;
    case pkFlag: return PT_BOOL;
    case pkFloat: return PT_FLOAT;
    default: return PT_STR;
    }
}

// The type a new temporary gets: mostly decided by operand 0 alone.
TParamType TempType(const TOpeData& op) {
    switch (op.Op) {
    case ocTo: return Operand(op, 0).GetParamType();
    case ocPlus: {
        TParamType t = Operand(op, 0).GetParamType();
        return t == PT_STR ? PT_STR : t == PT_FLOAT ? PT_FLOAT : PT_INT;
    }
    case ocMinus:
    case ocMul:
    case ocDiv: return Operand(op, 0).GetParamType() == PT_FLOAT ? PT_FLOAT : PT_INT;
    case ocMod:
    case ocOr:
    case ocAnd:
    case ocXor:
    case ocShiftL:
    case ocShiftR: return PT_INT;
    case ocDimTo: return PT_NONE;
    case ocFunc:
        if (op.FuncId >= SYS_FUNC_COUNT) RaiseBadOperation(op);
        if (op.FuncId == SF_GETPROP) return PropertyType(Operand(op, 1).GetAsInt() & 0xFF);
        return SysFuncInfo(op.FuncId).Result;
    case ocEqual:
    case ocBig:
    case ocSmall:
    case ocEBig:
    case ocESmall:
    case ocNEqual: return PT_BOOL;
    case ocComboStr: return PT_STR;
    default: RaiseBadOperation(op);
    }
}

long double FloatOp(uint8_t op, long double a, long double b) {
    long double r;
    switch (op) {
    case ocPlus: r = a + b; break;
    case ocMinus: r = a - b; break;
    case ocMul: r = a * b; break;
    default:
        if (b == 0) RaiseDivByZero();
        r = a / b;
        break;
    }
    // The processor's floating-point exceptions end the evaluation, as an overflow would.
    if (!std::isfinite(r) && std::isfinite(a) && std::isfinite(b))
        throw EVobeError(SJ("浮動小数点演算でオーバーフローしました"));
    return r;
}

int32_t IntOp(uint8_t op, int32_t a, int32_t b) {
    const uint32_t ua = static_cast<uint32_t>(a), ub = static_cast<uint32_t>(b);
    switch (op) {
    case ocPlus: return static_cast<int32_t>(ua + ub);
    case ocMinus: return static_cast<int32_t>(ua - ub);
    case ocMul: return static_cast<int32_t>(ua * ub);
    default:
        if (b == 0) RaiseDivByZero();
        // The one quotient that does not fit: the processor faults on it as on a zero divisor.
        if (a == std::numeric_limits<int32_t>::min() && b == -1)
            throw EVobeError(SJ("整数演算でオーバーフローしました"));
        return op == ocMod ? a % b : a / b;
    }
}

template <typename T> bool Compare(uint8_t op, const T& a, const T& b) {
    switch (op) {
    case ocEqual: return a == b;
    case ocBig: return a > b;
    case ocSmall: return a < b;
    case ocEBig: return a >= b;
    case ocESmall: return a <= b;
    default: return a != b; // ocNEqual
    }
}

// Unbinds the variable operands of one operation however it ends.
struct TUnbind {
    const TOpeData& Op;
    ~TUnbind() {
        for (const auto& v : Op.Vars()) v.Var->SetTarget(nullptr);
    }
};

std::unique_ptr<TCustomParam> CopyOperand(const TCustomParam& src) {
    if (const TParamVar* v = src.AsVar()) {
        auto copy = std::make_unique<TParamVar>();
        copy->Name = v->Name;
        return copy;
    }
    std::unique_ptr<TCustomParam> copy = CreateParam(src.GetParamType());
    copy->AssignValues(src);
    return copy;
}

} // namespace

std::string OpeCodeName(uint8_t op) {
    return op < OPE_CODE_COUNT ? std::string(OpeCodeNames[op]) : std::to_string(op);
}

// ---- TOpeData ----------------------------------------------------------------------------------------

void TOpeData::IndexVars() {
    FVars.clear();
    for (auto& p : Operands)
        if (TParamVar* v = p->AsVar()) FVars.push_back({v, FoldedNameHash(v->Name)});
    FDestHash = FoldedNameHash(Dest);
}

// ---- TVobeParser -------------------------------------------------------------------------------------

TVobeParser::~TVobeParser() = default;

void TVobeParser::Clear() {
    FList.clear();
    FResult.reset();
}

TOpeData& TVobeParser::Add(std::unique_ptr<TOpeData> op) {
    op->IndexVars();
    FList.push_back(std::move(op));
    return *FList.back();
}

void TVobeParser::LoadFromStream(TStream& s) {
    Clear();
    const int32_t n = ReadInt32(s);
    // An operation takes at least nine bytes: code, destination length, operand count.
    if (n < 0 || n > s.Remaining() / 9) throw EStreamError(SJ("式の演算数が不正です"));
    FList.reserve(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        auto op = std::make_unique<TOpeData>();
        op->Op = ReadByte(s);
        op->Dest = ReadStr(s);
        int32_t k = ReadInt32(s);
        // An operand takes at least two bytes; a negative count means none.
        if (k > s.Remaining() / 2) throw EStreamError(SJ("式のオペランド数が不正です"));
        if (op->Op == ocFunc) op->FuncId = ReadByte(s);
        for (int32_t j = 0; j < k; ++j) {
            const uint8_t tag = ReadByte(s);
            std::unique_ptr<TCustomParam> p;
            switch (tag) {
            case 1:
                p = std::make_unique<TParamInt>();
                p->SetAsInt(ReadInt32(s));
                break;
            case 2:
                p = std::make_unique<TParamFloat>();
                p->SetAsFloat(ReadExtended(s));
                break;
            case 3:
                p = std::make_unique<TParamFlag>();
                p->SetAsBool(ReadByte(s) != 0);
                break;
            case 4:
                p = std::make_unique<TParamStr>();
                p->SetAsStr(ReadStr(s));
                break;
            default: {
                auto v = std::make_unique<TParamVar>();
                v->Name = ReadStr(s);
                p = std::move(v);
                break;
            }
            }
            op->Operands.push_back(std::move(p));
        }
        Add(std::move(op));
    }
}

void TVobeParser::SaveToStream(TStream& s) const {
    WriteInt32(s, Count());
    for (const auto& op : FList) {
        WriteByte(s, op->Op);
        WriteStr(s, op->Dest);
        WriteInt32(s, static_cast<int32_t>(op->Operands.size()));
        if (op->Op == ocFunc) WriteByte(s, op->FuncId);
        for (const auto& p : op->Operands) {
            if (const TParamVar* v = p->AsVar()) {
                WriteByte(s, 0);
                WriteStr(s, v->Name);
                continue;
            }
            switch (p->GetParamType()) {
            case PT_INT:
                WriteByte(s, 1);
                WriteInt32(s, p->GetAsInt());
                break;
            case PT_FLOAT:
                WriteByte(s, 2);
                WriteExtended(s, p->GetAsFloat());
                break;
            case PT_BOOL:
                WriteByte(s, 3);
                WriteByte(s, p->GetAsBool() ? 1 : 0);
                break;
            default:
                WriteByte(s, 4);
                WriteStr(s, p->GetAsStr());
                break;
            }
        }
    }
}

void TVobeParser::Assign(const TVobeParser& other) {
    if (&other == this) return;
    std::vector<std::unique_ptr<TOpeData>> list;
    for (const auto& src : other.FList) {
        auto op = std::make_unique<TOpeData>();
        op->Op = src->Op;
        op->Dest = src->Dest;
        op->FuncId = src->FuncId;
        for (const auto& p : src->Operands) op->Operands.push_back(CopyOperand(*p));
        op->IndexVars();
        list.push_back(std::move(op));
    }
    Clear();
    FList = std::move(list);
}

void TVobeParser::Execute() {
    FResult.reset();
    TParamCollection* store = ParamCollection;
    // The same expression is never evaluated inside its own evaluation.
    if (!store || FRunning) return;
    FRunning = true;
    bool completed = false;
    try {
        for (const auto& p : FList) {
            TOpeData& op = *p;
            TUnbind unbind{op};
            for (const auto& v : op.Vars()) {
                TParamCollectionItem* item = store->FindItem(v.Var->Name, v.Hash);
                if (!item) RaiseNoVariable(v.Var->Name);
                v.Var->SetTarget(item);
                // Bound to a reference variable: stand for the element it stands for.
                const TParamVar* ref = item->GetParam().AsVar();
                v.Var->Index = ref ? ref->Index : 0;
            }
            Perform(op);
        }
        completed = true;
    } catch (const std::exception&) {
        // An error ends the evaluation; what was done stays done.
    }

    std::unique_ptr<TCustomParam> result;
    std::exception_ptr error;
    if (completed && !FList.empty()) {
        const TOpeData& last = *FList.back();
        if (last.Op == ocTo && last.Dest == "____arg") {
            try {
                result = store->CopyParam("____arg");
            } catch (...) {
                error = std::current_exception();
            }
        }
    }
    // The temporaries go even when the result cannot be fetched.
    while (!FTemps.empty()) {
        if (TParamCollectionItem* item = FTemps.back().Get()) store->FreeTemp(item);
        FTemps.pop_back();
    }
    FRunning = false;
    if (error) std::rethrow_exception(error);
    FResult = std::move(result);
}

void TVobeParser::Perform(TOpeData& op) {
    TParamCollection& store = *ParamCollection;
    TParamCollectionItem* dest = store.FindItem(op.Dest, op.DestHash());
    if (!dest && IsTempName(op.Dest)) {
        const TParamType type = TempType(op);
        dest = store.AddTemp(type, op.Dest);
        FTemps.emplace_back().Set(dest);
        if (op.Op == ocDimTo) {
            const TParamVar* array = Operand(op, 0).AsVar();
            if (!array || !array->GetTarget()) RaiseNoVariable(Operand(op, 0).GetAsStr());
            std::vector<int32_t> indices;
            indices.reserve(op.Operands.size() - 1);
            for (size_t i = 1; i < op.Operands.size(); ++i) indices.push_back(op.Operands[i]->GetAsInt());
            store.BindElement(*dest->GetParam().AsVar(), *array->GetTarget(), indices);
        }
    }
    if (!dest) RaiseNoVariable(op.Dest);
    TCustomParam& D = dest->GetParam();

    switch (op.Op) {
    case ocTo: {
        const TCustomParam& A = Operand(op, 0);
        switch (D.GetParamType()) {
        case PT_INT: D.SetAsInt(A.GetAsInt()); break;
        case PT_FLOAT: D.SetAsFloat(A.GetAsFloat()); break;
        case PT_BOOL: D.SetAsBool(A.GetAsBool()); break;
        case PT_STR: D.SetAsStr(A.GetAsStr()); break;
        default: break;
        }
        break;
    }
    case ocPlus:
    case ocMinus:
    case ocMul:
    case ocDiv: {
        const TCustomParam& A = Operand(op, 0);
        const TCustomParam& B = Operand(op, 1);
        if (D.GetParamType() == PT_FLOAT)
            D.SetAsFloat(FloatOp(op.Op, A.GetAsFloat(), B.GetAsFloat()));
        else
            D.SetAsInt(IntOp(op.Op, A.GetAsInt(), B.GetAsInt()));
        break;
    }
    case ocMod: D.SetAsInt(IntOp(ocMod, Operand(op, 0).GetAsInt(), Operand(op, 1).GetAsInt())); break;
    case ocOr: D.SetAsInt(Operand(op, 0).GetAsInt() | Operand(op, 1).GetAsInt()); break;
    case ocAnd: D.SetAsInt(Operand(op, 0).GetAsInt() & Operand(op, 1).GetAsInt()); break;
    case ocXor: D.SetAsInt(Operand(op, 0).GetAsInt() ^ Operand(op, 1).GetAsInt()); break;
    case ocShiftL: {
        const uint32_t a = static_cast<uint32_t>(Operand(op, 0).GetAsInt());
        D.SetAsInt(static_cast<int32_t>(a << (Operand(op, 1).GetAsInt() & 31)));
        break;
    }
    case ocShiftR: {
        const uint32_t a = static_cast<uint32_t>(Operand(op, 0).GetAsInt());
        D.SetAsInt(static_cast<int32_t>(a >> (Operand(op, 1).GetAsInt() & 31)));
        break;
    }
    case ocComboStr: D.SetAsStr(Operand(op, 0).GetAsStr() + Operand(op, 1).GetAsStr()); break;
    case ocDimTo: break; // bound when the temporary was made
    case ocFunc:
        if (!SysFunctions) throw EVobeError(SJ("システム関数がありません"));
        SysFunctions->CallFunction(D, op.FuncId, static_cast<int32_t>(op.Operands.size()) - 1, op.Operands);
        break;
    case ocEqual:
    case ocBig:
    case ocSmall:
    case ocEBig:
    case ocESmall:
    case ocNEqual: {
        const TCustomParam& A = Operand(op, 0);
        const TCustomParam& B = Operand(op, 1);
        bool r;
        switch (A.GetParamType()) {
        case PT_STR: r = Compare(op.Op, A.GetAsStr(), B.GetAsStr()); break;
        case PT_FLOAT: r = Compare(op.Op, A.GetAsFloat(), B.GetAsFloat()); break;
        case PT_BOOL: r = Compare<int>(op.Op, A.GetAsBool() ? 1 : 0, B.GetAsBool() ? 1 : 0); break;
        default: r = Compare(op.Op, A.GetAsInt(), B.GetAsInt()); break;
        }
        D.SetAsBool(r);
        break;
    }
    default: break; // ocNone and unknown codes do nothing
    }
}

// ---- text form ---------------------------------------------------------------------------------------

std::string FormatOperation(const TVobeParser& parser, int32_t i) {
    const TOpeData& op = parser.Items(i);
    std::string line = OpeCodeName(op.Op) + "\t" + op.Dest;
    if (op.Op == ocFunc) {
        line += "\tfunc:";
        line +=
            op.FuncId < SYS_FUNC_COUNT ? std::string(SysFuncInfo(op.FuncId).Name) : std::to_string(op.FuncId);
    }
    for (const auto& p : op.Operands) {
        line += '\t';
        if (const TParamVar* v = p->AsVar()) {
            line += "var:" + v->Name;
            continue;
        }
        switch (p->GetParamType()) {
        case PT_INT: line += "int:" + p->GetAsStr(); break;
        case PT_FLOAT: line += "float:" + p->GetAsStr(); break;
        case PT_BOOL: line += "bool:" + p->GetAsStr(); break;
        default: line += "str:\"" + p->GetAsStr() + "\""; break;
        }
    }
    return line;
}

} // namespace vobe
