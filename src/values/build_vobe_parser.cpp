#include "values/build_vobe_parser.h"

#include <algorithm>

#include "archive/stream.h"
#include "platform/cp932.h"
#include "platform/error.h"
#include "values/param.h"
#include "values/sys_func_table.h"
#include "values/vobe_parser.h"

namespace vobe {

namespace {

using TChars = std::u16string;

[[noreturn]] void RaiseSyntaxError() {
    throw EVobeError(SJ("構文エラー"));
}
[[noreturn]] void RaiseIndexSyntax() {
    throw EVobeError(SJ("配列の添え字が不正です"));
}

TChars ToChars(std::string_view bytes) {
    TChars out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (IsDBCSLeadByte(b) && i + 1 < bytes.size()) {
            out += static_cast<char16_t>(b << 8 | static_cast<unsigned char>(bytes[i + 1]));
            ++i;
        } else {
            out += static_cast<char16_t>(b);
        }
    }
    return out;
}

std::string ToBytes(const TChars& chars) {
    std::string out;
    out.reserve(chars.size());
    for (char16_t c : chars) {
        if (c > 0xFF) out += static_cast<char>(c >> 8);
        out += static_cast<char>(c & 0xFF);
    }
    return out;
}

TChars ToChars16(std::string_view ascii) {
    return TChars(ascii.begin(), ascii.end());
}

bool IsBlank(char16_t c) {
    return c <= 0x20;
}
bool IsIdent(char16_t c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsIn(char16_t c, std::string_view set) {
    return c < 0x80 && set.find(static_cast<char>(c)) != set.npos;
}
// Characters that end a name and mark a text as needing compilation.
constexpr std::string_view NameStops = "+-*/%|&^=[](),<>";
constexpr std::string_view OperatorChars = "%&*+-/<=>^|";

TChars Trim(const TChars& t) {
    size_t b = 0, e = t.size();
    while (b < e && IsBlank(t[b])) ++b;
    while (e > b && IsBlank(t[e - 1])) --e;
    return t.substr(b, e - b);
}

// The matching ")" of every "(" (npos for other positions); false when the parentheses do not pair up.
bool MatchParens(const TChars& t, std::vector<size_t>& match) {
    match.assign(t.size(), TChars::npos);
    std::vector<size_t> stack;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '(') {
            stack.push_back(i);
        } else if (t[i] == ')') {
            if (stack.empty()) return false;
            match[stack.back()] = i;
            stack.pop_back();
        }
    }
    return stack.empty();
}

// The nearest non-blank character left of position p, or npos.
size_t LeftNonBlank(const TChars& t, size_t p) {
    while (p > 0) {
        --p;
        if (!IsBlank(t[p])) return p;
    }
    return TChars::npos;
}

// Splits at commas outside square brackets; every piece trimmed.
std::vector<TChars> SplitArgs(const TChars& t) {
    std::vector<TChars> parts;
    int depth = 0;
    size_t start = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '[') {
            ++depth;
        } else if (t[i] == ']') {
            if (--depth < 0) RaiseSyntaxError();
        } else if (t[i] == ',' && depth == 0) {
            parts.push_back(Trim(t.substr(start, i - start)));
            start = i + 1;
        }
    }
    if (depth != 0) RaiseSyntaxError();
    parts.push_back(Trim(t.substr(start)));
    return parts;
}

struct TToken {
    TChars Text;
    bool IsOp;
};

// Precedence group of an operator, 1 binding tightest; 0 for none.
int Precedence(const TChars& op) {
    static const struct {
        const char* Text;
        int Group;
    } table[] = {{"*", 1},  {"/", 1},  {"%", 1},  {"+", 2},  {"-", 2}, {"<<", 3},
                 {">>", 3}, {"==", 4}, {">=", 4}, {"<=", 4}, {">", 4}, {"<", 4},
                 {"<>", 4}, {"++", 5}, {"&", 6},  {"^", 7},  {"|", 8}, {"=", 9}};
    for (const auto& e : table)
        if (op == ToChars16(e.Text)) return e.Group;
    return 0;
}

uint8_t OpCodeOf(const TChars& op) {
    static const struct {
        const char* Text;
        uint8_t Code;
    } table[] = {{"*", ocMul},     {"/", ocDiv},     {"%", ocMod},     {"+", ocPlus},      {"-", ocMinus},
                 {"<<", ocShiftL}, {">>", ocShiftR}, {"==", ocEqual},  {">=", ocEBig},     {"<=", ocESmall},
                 {">", ocBig},     {"<", ocSmall},   {"<>", ocNEqual}, {"++", ocComboStr}, {"&", ocAnd},
                 {"^", ocXor},     {"|", ocOr},      {"=", ocTo}};
    for (const auto& e : table)
        if (op == ToChars16(e.Text)) return e.Code;
    return ocNone;
}

bool IsTemp(const std::string& s) {
    return s.size() >= 4 && s.compare(0, 4, "____") == 0;
}
bool IsDimTemp(const std::string& s) {
    return s.size() >= 6 && s.compare(0, 6, "____d_") == 0;
}

} // namespace

void TBuildVobeParser::Clear() {
    FList.clear();
    FCounter = 0;
}

std::string TBuildVobeParser::NewTemp() {
    return "____" + std::to_string(FCounter++);
}

std::string TBuildVobeParser::NewDimTemp() {
    return "____d_" + std::to_string(FCounter++);
}

void TBuildVobeParser::Append(uint8_t op, std::string dest, std::vector<std::string> operands) {
    TBuildOpeData d;
    d.Op = op;
    d.Dest = std::move(dest);
    d.Operands = std::move(operands);
    FList.push_back(std::move(d));
}

void TBuildVobeParser::Compile(const std::string& text) {
    Parse(ToChars(text), 0);
    RemoveTemporaryCopies();
}

std::string TBuildVobeParser::Prepare(TChars text, int depth) {
    std::vector<size_t> match;
    while (text.size() >= 2 && text.front() == '(' && text.back() == ')' && MatchParens(text, match) &&
           match[0] == text.size() - 1)
        text = text.substr(1, text.size() - 2);
    bool needsCompile = false;
    for (char16_t c : text)
        if (IsIn(c, NameStops)) needsCompile = true;
    if (!needsCompile) return ToBytes(Trim(text));
    std::string t = NewTemp();
    Parse(ToChars(t) + ToChars16(" = ") + text, depth + 1);
    return t;
}

void TBuildVobeParser::Parse(const TChars& source, int depth) {
    // Nested texts only ever get shallower, but damaged input must not recurse without end.
    if (depth > 64) RaiseSyntaxError();
    TChars t = source;
    std::vector<size_t> match;

    // 1. Text literals become temporaries holding them.
    for (;;) {
        const size_t q = t.find(u'"');
        if (q == TChars::npos) break;
        TChars content;
        size_t j = q + 1;
        for (; j < t.size(); ++j) {
            const char16_t c = t[j];
            if (c == '\\' && j + 1 < t.size() && (t[j + 1] == '"' || t[j + 1] == '\\')) {
                content += t[++j];
            } else if (c == '\\' && j + 1 < t.size() && t[j + 1] == 'n') {
                content += u"\r\n";
                ++j;
            } else if (c == '"') {
                break;
            } else {
                content += c;
            }
        }
        if (j >= t.size()) RaiseSyntaxError();
        const std::string temp = NewTemp();
        t.replace(q, j - q + 1, ToChars(temp));
        Append(ocTo, temp, {"\"" + ToBytes(content) + "\""});
    }

    // 2. Function calls, the last one first (so arguments never hold calls any more).
    for (;;) {
        if (!MatchParens(t, match)) RaiseSyntaxError();
        size_t open = TChars::npos, nameEnd = 0;
        for (size_t p = t.size(); p-- > 0;) {
            if (t[p] != '(') continue;
            const size_t l = LeftNonBlank(t, p);
            if (l != TChars::npos && IsIdent(t[l])) {
                open = p;
                nameEnd = l;
                break;
            }
        }
        if (open == TChars::npos) break;
        size_t nameStart = nameEnd;
        while (nameStart > 0 && IsIdent(t[nameStart - 1])) --nameStart;
        const size_t close = match[open];
        const TChars inner = t.substr(open + 1, close - open - 1);
        const std::string temp = NewTemp();
        std::vector<std::string> operands{ToBytes(Trim(t.substr(nameStart, nameEnd - nameStart + 1)))};
        if (!Trim(inner).empty())
            for (const TChars& arg : SplitArgs(inner)) operands.push_back(Prepare(arg, depth));
        t.replace(nameStart, close - nameStart + 1, ToChars(temp));
        Append(ocFunc, temp, std::move(operands));
    }

    // 3. Array subscripts become element references.
    for (;;) {
        if (std::count(t.begin(), t.end(), u'[') != std::count(t.begin(), t.end(), u']')) RaiseSyntaxError();
        const size_t open = t.rfind(u'[');
        if (open == TChars::npos) break;
        const size_t close = t.find(u']', open);
        if (close == TChars::npos) RaiseSyntaxError();
        const size_t nameEnd = LeftNonBlank(t, open);
        if (nameEnd == TChars::npos || IsIn(t[nameEnd], NameStops)) RaiseSyntaxError();
        size_t nameStart = nameEnd;
        while (nameStart > 0 && !IsBlank(t[nameStart - 1]) && !IsIn(t[nameStart - 1], NameStops)) --nameStart;
        const TChars inner = t.substr(open + 1, close - open - 1);
        const std::string temp = NewDimTemp();
        if (Trim(inner).empty()) RaiseIndexSyntax();
        std::vector<std::string> operands{ToBytes(t.substr(nameStart, nameEnd - nameStart + 1))};
        for (const TChars& index : SplitArgs(inner)) operands.push_back(Prepare(index, depth));
        t.replace(nameStart, close - nameStart + 1, ToChars(temp));
        Append(ocDimTo, temp, std::move(operands));
    }

    // 4. Parenthesized groups, the last one first, each compiled into a temporary.
    for (;;) {
        if (!MatchParens(t, match)) RaiseSyntaxError();
        size_t open = TChars::npos;
        for (size_t p = t.size(); p-- > 0;) {
            if (t[p] != '(') continue;
            const size_t l = LeftNonBlank(t, p);
            if (l == TChars::npos || !IsIdent(t[l])) {
                open = p;
                break;
            }
        }
        if (open == TChars::npos) break;
        const size_t close = match[open];
        const TChars inner = t.substr(open + 1, close - open - 1);
        const std::string temp = NewTemp();
        t.replace(open, close - open + 1, ToChars(temp));
        Parse(ToChars(temp) + ToChars16(" = ") + inner, depth + 1);
    }

    // 6. Tokens: operands and operators.
    std::vector<TToken> tokens;
    {
        size_t start = 0, i = 0;
        auto flush = [&](size_t end) {
            TChars operand = Trim(t.substr(start, end - start));
            if (!operand.empty()) tokens.push_back({std::move(operand), false});
        };
        while (i < t.size()) {
            if (!IsIn(t[i], OperatorChars)) {
                ++i;
                continue;
            }
            flush(i);
            size_t len = 1;
            if (i + 1 < t.size()) {
                const TChars two = t.substr(i, 2);
                for (const char* pair : {"==", ">=", "<=", "++", "<>", "<<", ">>"})
                    if (two == ToChars16(pair)) len = 2;
            }
            tokens.push_back({t.substr(i, len), true});
            i += len;
            start = i;
        }
        flush(t.size());
    }
    if (tokens.empty()) {
        Append(ocTo, "____arg", {ToBytes(t)});
        return;
    }

    // 7. Signs after an operator: "+" goes, "-" becomes a subtraction from 0.
    if (tokens.size() > 2) {
        for (size_t k = tokens.size() - 2; k >= 1; --k) {
            if (k + 1 >= tokens.size()) continue;
            const TToken& tok = tokens[k];
            const bool sign = tok.IsOp && (tok.Text == u"+" || tok.Text == u"-");
            if (sign && !tokens[k - 1].Text.empty() && IsIn(tokens[k - 1].Text[0], "=+-*/%&^|[(,<>")) {
                if (tok.Text == u"+") {
                    tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(k));
                } else {
                    if (tokens[k + 1].IsOp) RaiseSyntaxError();
                    const std::string temp = NewTemp();
                    Append(ocMinus, temp, {"0", ToBytes(tokens[k + 1].Text)});
                    tokens[k] = {ToChars(temp), false};
                    tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(k + 1));
                }
            }
        }
    }

    // 8. Reduction by precedence, the leftmost operator of the tightest group first.
    bool assigned = false;
    for (;;) {
        size_t at = TChars::npos;
        int best = 100;
        for (size_t i = 0; i < tokens.size(); ++i) {
            if (!tokens[i].IsOp) continue;
            const int g = Precedence(tokens[i].Text);
            if (g < best) {
                best = g;
                at = i;
            }
        }
        if (at == TChars::npos) break;
        const TChars op = tokens[at].Text;
        const bool hasRight = at + 1 < tokens.size() && !tokens[at + 1].IsOp;
        if (op == u"=") {
            if (at == 0 || tokens[at - 1].IsOp || !hasRight) RaiseSyntaxError();
            Append(ocTo, ToBytes(tokens[at - 1].Text), {ToBytes(tokens[at + 1].Text)});
            tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(at - 1),
                         tokens.begin() + static_cast<std::ptrdiff_t>(at + 2));
            assigned = true;
        } else if (at > 0) {
            const TChars& left = tokens[at - 1].Text;
            if (tokens[at - 1].IsOp || IsIn(left[0], "+-*/%|&^=[(<>") || !hasRight) RaiseSyntaxError();
            const std::string temp = NewTemp();
            Append(OpCodeOf(op), temp, {ToBytes(left), ToBytes(tokens[at + 1].Text)});
            tokens[at - 1] = {ToChars(temp), false};
            tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(at),
                         tokens.begin() + static_cast<std::ptrdiff_t>(at + 2));
        } else {
            if ((op != u"+" && op != u"-") || !hasRight) RaiseSyntaxError();
            const std::string temp = NewTemp();
            Append(OpCodeOf(op), temp, {"0", ToBytes(tokens[1].Text)});
            tokens[0] = {ToChars(temp), false};
            tokens.erase(tokens.begin() + 1);
        }
    }
    if (assigned) {
        if (!tokens.empty()) RaiseSyntaxError();
        return;
    }
    if (tokens.size() != 1) RaiseSyntaxError();
    Append(ocTo, "____arg", {ToBytes(tokens[0].Text)});
}

void TBuildVobeParser::RemoveTemporaryCopies() {
    for (size_t i = 0; i < FList.size();) {
        const TBuildOpeData& op = FList[i];
        if (op.Op != ocTo || op.Operands.empty()) {
            ++i;
            continue;
        }
        const std::string from = op.Dest, to = op.Operands[0];
        if (!IsTemp(from) || !IsTemp(to) || IsDimTemp(from) || IsDimTemp(to) || from == "____arg" ||
            to == "____arg") {
            ++i;
            continue;
        }
        for (size_t j = i + 1; j < FList.size(); ++j) {
            TBuildOpeData& later = FList[j];
            if (later.Dest == from) later.Dest = to;
            for (std::string& operand : later.Operands)
                if (operand == from) operand = to;
        }
        FList.erase(FList.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

namespace {

void WriteOperand(TStream& s, const std::string& text) {
    int32_t v;
    long double x;
    if (TryStrToInt(text, v)) {
        WriteByte(s, 1);
        WriteInt32(s, v);
    } else if (TryStrToFloat(text, x)) {
        WriteByte(s, 2);
        WriteExtended(s, x);
    } else if (text == "TRUE" || text == "FALSE") {
        WriteByte(s, 3);
        WriteByte(s, text == "TRUE" ? 1 : 0);
    } else if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        WriteByte(s, 4);
        WriteStr(s, text.substr(1, text.size() - 2));
    } else {
        WriteByte(s, 0);
        WriteStr(s, text);
    }
}

// The function of a call and its argument count, checked.
int32_t CheckedFunction(const TBuildOpeData& op) {
    const std::string& name = op.Operands.empty() ? std::string() : op.Operands[0];
    const int32_t k = FindSysFunc(name);
    if (k < 0) throw EVobeError("\"" + name + SJ("\" 関数名がありません"));
    const TSysFuncInfo& info = SysFuncInfo(k);
    const int32_t args = static_cast<int32_t>(op.Operands.size()) - 1;
    if (args < info.MinArgs || (info.MaxArgs >= 0 && args > info.MaxArgs))
        throw EVobeError(name + SJ(" 引数の数が不正です"));
    return k;
}

} // namespace

void TBuildVobeParser::SaveToStream(TStream& s) const {
    // Every call is checked before anything is written.
    std::vector<int32_t> funcs(FList.size(), 0);
    for (size_t i = 0; i < FList.size(); ++i)
        if (FList[i].Op == ocFunc) funcs[i] = CheckedFunction(FList[i]);
    WriteInt32(s, Count());
    for (size_t i = 0; i < FList.size(); ++i) {
        const TBuildOpeData& op = FList[i];
        WriteByte(s, op.Op);
        WriteStr(s, op.Dest);
        if (op.Op == ocFunc) {
            WriteInt32(s, static_cast<int32_t>(op.Operands.size()) - 1);
            WriteByte(s, static_cast<uint8_t>(funcs[i]));
            for (size_t j = 1; j < op.Operands.size(); ++j) WriteOperand(s, op.Operands[j]);
        } else {
            WriteInt32(s, static_cast<int32_t>(op.Operands.size()));
            for (const std::string& operand : op.Operands) WriteOperand(s, operand);
        }
    }
}

void CompileExpression(const std::string& text, TVobeParser& parser) {
    TBuildVobeParser build;
    build.Compile(text);
    TMemoryStream m;
    build.SaveToStream(m);
    m.SetPosition(0);
    parser.LoadFromStream(m);
}

} // namespace vobe
