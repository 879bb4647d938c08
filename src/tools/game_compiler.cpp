#include "tools/game_compiler.h"

#include <cctype>
#include <cstdlib>
#include <map>

#include "archive/vf_archive.h"
#include "framework/prop_table.h"
#include "graphics/vask_image.h"
#include "platform/cp932.h"
#include "platform/file.h"
#include "platform/file_info.h"
#include "platform/paths.h"
#include "script/command_factory.h"
#include "script/flow_commands.h"
#include "script/object_commands.h"
#include "values/build_vobe_parser.h"

namespace vobe {

namespace {

// ---- small text helpers (UTF-8 source text) ---------------------------------------------------------

std::string Trim(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t' || s[a] == '\r')) ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r')) --b;
    return s.substr(a, b - a);
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool IsIdentStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool IsIdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Walks text outside double-quoted literals (with the expression language's backslash escapes) and
// reports the bracket depth at every byte: f(i, depth) returns true to stop.
template <class F> void ScanTopLevel(const std::string& s, F f) {
    int depth = 0;
    bool quote = false;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (quote) {
            if (c == '\\' && i + 1 < s.size())
                ++i;
            else if (c == '"')
                quote = false;
            continue;
        }
        if (c == '"') {
            quote = true;
            continue;
        }
        if (c == '(' || c == '[') ++depth;
        if (f(i, depth)) return;
        if (c == ')' || c == ']') --depth;
    }
}

// Position of the top-level word `word` (delimited by blanks), searching from the end; npos if none.
size_t FindTopLevelWord(const std::string& s, const std::string& word) {
    size_t found = std::string::npos;
    ScanTopLevel(s, [&](size_t i, int depth) {
        if (depth == 0 && s.compare(i, word.size(), word) == 0 &&
            (i == 0 || s[i - 1] == ' ' || s[i - 1] == '\t') &&
            (i + word.size() == s.size() || s[i + word.size()] == ' ' || s[i + word.size()] == '\t'))
            found = i;
        return false;
    });
    return found;
}

// Splits at top-level commas.
std::vector<std::string> SplitTopLevel(const std::string& s, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    ScanTopLevel(s, [&](size_t i, int depth) {
        if (depth == 0 && s[i] == sep) {
            parts.push_back(Trim(s.substr(start, i - start)));
            start = i + 1;
        }
        return false;
    });
    parts.push_back(Trim(s.substr(start)));
    return parts;
}

struct TPair {
    std::string Key;
    std::string Value;
};

// "key=value key=value": a pair starts at a top-level identifier that follows a blank (or the start)
// and is followed directly by a single '='.
std::vector<TPair> SplitPairs(const std::string& s, std::string& error) {
    std::vector<size_t> starts;
    ScanTopLevel(s, [&](size_t i, int depth) {
        if (depth != 0 || !IsIdentStart(s[i]) || (i > 0 && s[i - 1] != ' ' && s[i - 1] != '\t')) return false;
        size_t j = i;
        while (j < s.size() && IsIdentChar(s[j])) ++j;
        if (j < s.size() && s[j] == '=' && (j + 1 >= s.size() || s[j + 1] != '=')) starts.push_back(i);
        return false;
    });
    std::vector<TPair> pairs;
    if (starts.empty() || !Trim(s.substr(0, starts[0])).empty()) {
        if (!Trim(s).empty()) error = "expected name=value pairs, found \"" + Trim(s) + "\"";
        return pairs;
    }
    for (size_t k = 0; k < starts.size(); ++k) {
        size_t end = k + 1 < starts.size() ? starts[k + 1] : s.size();
        std::string item = s.substr(starts[k], end - starts[k]);
        size_t eq = item.find('=');
        pairs.push_back({Lower(item.substr(0, eq)), Trim(item.substr(eq + 1))});
    }
    return pairs;
}

// A double-quoted literal with the expression language's escapes, or a bare word.
bool ParseStringValue(const std::string& v, std::string& out) {
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') {
        out.clear();
        for (size_t i = 1; i + 1 < v.size(); ++i) {
            if (v[i] == '\\' && i + 2 < v.size()) {
                char n = v[i + 1];
                if (n == '"' || n == '\\') {
                    out += n;
                    ++i;
                    continue;
                }
                if (n == 'n') {
                    out += "\r\n";
                    ++i;
                    continue;
                }
            }
            out += v[i];
        }
        return true;
    }
    if (v.find(' ') != std::string::npos || v.find('"') != std::string::npos) return false;
    out = v;
    return true;
}

bool ParseInt(const std::string& v, int64_t lo, int64_t hi, int32_t& out) {
    if (v.empty()) return false;
    char* end = nullptr;
    long long x = std::strtoll(v.c_str(), &end, 0);
    if (*end != 0 || x < lo || x > hi) return false;
    out = static_cast<int32_t>(x);
    return true;
}

const char* const TypeNames[] = {"", "int", "float", "bool", "str"};

int32_t TypeCode(const std::string& name) {
    for (int32_t t = 1; t <= 4; ++t)
        if (name == TypeNames[t]) return t;
    return -1;
}

// Source keywords of the commands that take name=value fields: the class name without "TCom" in
// lower case, and a few short names.
const std::map<std::string, int32_t>& GenericKeywords() {
    static const std::map<std::string, int32_t> words = [] {
        std::map<std::string, int32_t> m;
        for (int32_t k = 0; k < CommandKindCount; ++k)
            m[Lower(std::string(CommandClassName(k)).substr(4))] = k;
        const std::pair<const char*, int32_t> aliases[] = {
            {"box", ckBoxNew},
            {"image", ckImgNew},
            {"message", ckMesNew},
            {"button", ckBtnNew},
            {"particle", ckParticleNew},
            {"fire", ckFireNew},
            {"edit", ckEditNew},
            {"memo", ckMemoNew},
            {"mapimage", ckMapImgNew},
            {"wave", ckWaveNew},
            {"tile", ckTileNew},
            {"slider", ckSliderNew},
            {"scrollbar", ckScrollbarNew},
            {"gauge", ckGaugeNew},
            {"prevmenu", ckPrevMenuNew},
            {"label", ckCaption},
            {"cglabel", ckCGCaption},
        };
        for (auto& [name, kind] : aliases) m[name] = kind;
        // Words with a syntax of their own.
        for (const char* own :
             {"if", "elseif", "else", "label", "jump", "call", "exit", "while", "for", "whileinit",
              "whileloop", "break", "continue", "comment", "pcreset", "reset", "calc", "var", "varnew"})
            m.erase(own);
        return m;
    }();
    return words;
}

// The field of a command that a text without name=value pairs fills.
const char* PrimaryField(int32_t kind) {
    switch (kind) {
    case ckWait: return "time";
    case ckObjDel:
    case ckMenuClose:
    case ckTextClr:
    case ckMediaPlay:
    case ckEntryHist: return "object";
    case ckVarDel: return "name";
    case ckGameLoad: return "slot";
    default: return nullptr;
    }
}

} // namespace

std::string PageNameOf(const std::string& utf8) {
    std::string name = utf8;
    for (char& c : name)
        if (c == '/') c = '\\';
    size_t slash = name.rfind('\\');
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) name += ".vsb";
    return Utf8ToSjis(name);
}

// A jump, call or reset whose target index is known only when every page is compiled.
struct TGameCompiler::TPending {
    std::string File;
    int32_t Line;
    // The command's page name and target index fields.
    std::string* PageName;
    int32_t* TargetIndex;
    std::string Page;  // Shift-JIS page name
    std::string Label; // Shift-JIS label, empty for the first command
    bool LabelGiven;
};

// ---- one page ---------------------------------------------------------------------------------------

class TGameCompiler::TPageBuilder {
public:
    TPageBuilder(TGameCompiler& owner, TCompiledPage& page) : FOwner(owner), FPage(page) {}

    void Compile(const std::string& text);

private:
    struct TLine {
        int32_t No;
        int32_t Indent;
        std::string Text;
    };
    struct TLoop {
        std::vector<TComBreak*> Breaks;
        std::vector<TComContinue*> Continues;
    };

    [[noreturn]] void Error(int32_t line, const std::string& utf8) const {
        throw ECompileError(Utf8ToSjis(FPage.File + ":" + std::to_string(line) + ": " + utf8));
    }
    TExprPtr Expr(int32_t line, const std::string& utf8) const;
    TExprPtr TrueExpr(int32_t line) const { return Expr(line, "TRUE"); }
    template <class T> T* Emit(int32_t line, int32_t depth) {
        auto c = std::make_unique<T>(FPage.Page.get());
        c->line = line;
        c->indent = depth;
        c->FContinue = 1;
        return static_cast<T*>(FPage.Page->Add(std::move(c)));
    }
    int32_t Next() const { return FPage.Page->Count(); }

    // Compiles the lines [pos, end of block) at `depth` whose indent is `indent`.
    size_t Block(size_t pos, int32_t indent, int32_t depth);
    size_t Statement(size_t pos, int32_t depth);
    // The body of an opener at line `pos` (lines indented deeper); returns the position after it.
    size_t Body(size_t pos, int32_t depth);
    void Target(const TLine& l, std::string& pageName, int32_t& targetIndex, const std::string& target);
    // Splits "... if COND": returns the text before, sets cond (TRUE when there is none).
    std::string CondSuffix(const TLine& l, const std::string& rest, TExprPtr& cond);
    void Generic(const TLine& l, int32_t kind, const std::string& rest, int32_t depth);
    void Directive(const TLine& l, const std::string& rest);

    TGameCompiler& FOwner;
    TCompiledPage& FPage;
    std::vector<TLine> FLines;
    std::vector<TLoop> FLoops;
};

TExprPtr TGameCompiler::TPageBuilder::Expr(int32_t line, const std::string& utf8) const {
    auto e = std::make_unique<TVobeParser>();
    const std::string text = Trim(utf8);
    if (text.empty()) return e;
    try {
        CompileExpression(Utf8ToSjis(text), *e);
    } catch (const EVobeError& err) {
        Error(line, SjisToUtf8(err.Message()) + " in \"" + text + "\"");
    }
    return e;
}

void TGameCompiler::TPageBuilder::Compile(const std::string& text) {
    int32_t no = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string raw = text.substr(start, end - start);
        start = end + 1;
        ++no;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        if (no == 1 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) raw.erase(0, 3);
        int32_t indent = 0;
        size_t i = 0;
        for (; i < raw.size() && (raw[i] == ' ' || raw[i] == '\t'); ++i) {
            if (raw[i] == '\t') Error(no, "tabs are not allowed in indentation");
            ++indent;
        }
        std::string body = Trim(raw.substr(i));
        if (body.empty() || body[0] == '#') continue;
        FLines.push_back({no, indent, body});
        if (end == text.size()) break;
    }
    size_t pos = 0;
    while (pos < FLines.size()) {
        if (FLines[pos].Indent != 0) Error(FLines[pos].No, "unexpected indentation");
        pos = Block(pos, 0, 0);
    }
}

size_t TGameCompiler::TPageBuilder::Block(size_t pos, int32_t indent, int32_t depth) {
    while (pos < FLines.size()) {
        const TLine& l = FLines[pos];
        if (l.Indent < indent) return pos;
        if (l.Indent > indent) Error(l.No, "unexpected indentation");
        pos = Statement(pos, depth);
    }
    return pos;
}

size_t TGameCompiler::TPageBuilder::Body(size_t pos, int32_t depth) {
    const TLine& opener = FLines[pos];
    ++pos;
    if (pos < FLines.size() && FLines[pos].Indent > opener.Indent) {
        const int32_t inner = FLines[pos].Indent;
        pos = Block(pos, inner, depth + 1);
        if (pos < FLines.size() && FLines[pos].Indent > opener.Indent)
            Error(FLines[pos].No, "indentation does not match any outer block");
    }
    return pos;
}

std::string TGameCompiler::TPageBuilder::CondSuffix(const TLine& l, const std::string& rest, TExprPtr& cond) {
    size_t at = FindTopLevelWord(rest, "if");
    if (at == std::string::npos) {
        cond = TrueExpr(l.No);
        return Trim(rest);
    }
    std::string text = Trim(rest.substr(at + 2));
    if (text.empty()) Error(l.No, "missing condition after \"if\"");
    cond = Expr(l.No, text);
    return Trim(rest.substr(0, at));
}

void TGameCompiler::TPageBuilder::Target(const TLine& l, std::string& pageName, int32_t& targetIndex,
                                         const std::string& target) {
    if (target.empty()) Error(l.No, "missing target page");
    std::string page, label;
    size_t colon = target.find(':');
    if (colon == std::string::npos) {
        page = target;
    } else {
        page = target.substr(0, colon);
        label = target.substr(colon + 1);
        if (label.empty()) Error(l.No, "empty label in \"" + target + "\"");
    }
    TPending p;
    p.File = FPage.File;
    p.Line = l.No;
    p.PageName = &pageName;
    p.TargetIndex = &targetIndex;
    p.Page = page.empty() ? FPage.Name : PageNameOf(page);
    p.Label = Utf8ToSjis(label);
    p.LabelGiven = !label.empty();
    pageName = p.Page;
    FOwner.FPending.push_back(std::move(p));
}

size_t TGameCompiler::TPageBuilder::Statement(size_t pos, int32_t depth) {
    const TLine l = FLines[pos];
    size_t sp = l.Text.find_first_of(" \t");
    const std::string word = Lower(l.Text.substr(0, sp));
    const std::string rest = sp == std::string::npos ? std::string() : Trim(l.Text.substr(sp));

    if (word == "if") {
        if (rest.empty()) Error(l.No, "missing condition");
        Emit<TComIf>(l.No, depth)->FCond = Expr(l.No, rest);
        pos = Body(pos, depth);
        // elseif / else of the same chain, at the same indentation.
        while (pos < FLines.size() && FLines[pos].Indent == l.Indent) {
            const TLine& n = FLines[pos];
            size_t nsp = n.Text.find_first_of(" \t");
            const std::string nword = Lower(n.Text.substr(0, nsp));
            const std::string nrest = nsp == std::string::npos ? std::string() : Trim(n.Text.substr(nsp));
            if (nword == "elseif") {
                if (nrest.empty()) Error(n.No, "missing condition");
                Emit<TComElseif>(n.No, depth)->FCond = Expr(n.No, nrest);
                pos = Body(pos, depth);
            } else if (nword == "else") {
                if (!nrest.empty()) Error(n.No, "\"else\" takes nothing after it (use \"elseif\")");
                Emit<TComElse>(n.No, depth);
                pos = Body(pos, depth);
                break;
            } else {
                break;
            }
        }
        return pos;
    }
    if (word == "elseif" || word == "else") Error(l.No, "\"" + word + "\" without \"if\"");

    if (word == "while" || word == "for") {
        std::string cond = rest;
        std::string step; // "for" only: emitted after the body
        if (word == "for") {
            std::vector<std::string> parts = SplitTopLevel(rest, ';');
            if (parts.size() != 3) Error(l.No, "\"for\" takes INIT; CONDITION; STEP");
            Emit<TComWhileInit>(l.No, depth)->FExpr = Expr(l.No, parts[0]);
            cond = parts[1];
            step = parts[2];
        } else if (cond.empty()) {
            Error(l.No, "missing condition");
        }
        FLoops.emplace_back();
        auto* head = Emit<TComWhile>(l.No, depth);
        head->FCond = cond.empty() ? TrueExpr(l.No) : Expr(l.No, cond);
        const int32_t headIndex = Next() - 1;
        pos = Body(pos, depth);
        auto* loop = Emit<TComWhileLoop>(l.No, depth);
        loop->FExpr = word == "for" ? Expr(l.No, step) : std::make_unique<TVobeParser>();
        loop->FHead = headIndex;
        head->FEnd = Next();
        for (TComBreak* b : FLoops.back().Breaks) b->FTarget = head->FEnd;
        for (TComContinue* c : FLoops.back().Continues) c->FTarget = Next() - 1;
        FLoops.pop_back();
        return pos;
    }

    // Everything below is a single line; a deeper line after it is an error.
    if (pos + 1 < FLines.size() && FLines[pos + 1].Indent > l.Indent)
        Error(FLines[pos + 1].No, "unexpected indentation");

    if (word == "break" || word == "continue") {
        if (FLoops.empty()) Error(l.No, "\"" + word + "\" outside a loop");
        TExprPtr cond;
        if (!CondSuffix(l, rest, cond).empty()) Error(l.No, "\"" + word + "\" takes only \"if CONDITION\"");
        if (word == "break") {
            auto* b = Emit<TComBreak>(l.No, depth);
            b->FCond = std::move(cond);
            FLoops.back().Breaks.push_back(b);
        } else {
            auto* c = Emit<TComContinue>(l.No, depth);
            c->FCond = std::move(cond);
            FLoops.back().Continues.push_back(c);
        }
        return pos + 1;
    }
    if (word == "exit") {
        TExprPtr cond;
        if (!CondSuffix(l, rest, cond).empty()) Error(l.No, "\"exit\" takes only \"if CONDITION\"");
        Emit<TComExit>(l.No, depth)->FCond = std::move(cond);
        return pos + 1;
    }
    if (word == "label") {
        std::string name;
        if (rest.empty() || !ParseStringValue(rest, name)) Error(l.No, "\"label\" takes one name");
        Emit<TComLabel>(l.No, depth)->FName = Utf8ToSjis(name);
        return pos + 1;
    }
    if (word == "comment") {
        Emit<TComComment>(l.No, depth)->FName = Utf8ToSjis(rest);
        return pos + 1;
    }
    if (word == "calc") {
        if (rest.empty()) Error(l.No, "missing expression");
        Emit<TComCalc>(l.No, depth)->FExpr = Expr(l.No, rest);
        return pos + 1;
    }
    if (word == "jump") {
        auto* j = Emit<TComJump>(l.No, depth);
        std::string target = CondSuffix(l, rest, j->FCond);
        if (target.find(' ') != std::string::npos) Error(l.No, "\"jump\" takes PAGE[:LABEL] [if CONDITION]");
        Target(l, j->FPageName, j->FTarget, target);
        return pos + 1;
    }
    if (word == "call") {
        auto* c = Emit<TComCall>(l.No, depth);
        std::string text = CondSuffix(l, rest, c->FCond);
        size_t arrow = std::string::npos;
        ScanTopLevel(text, [&](size_t i, int d) {
            if (d == 0 && text.compare(i, 2, "->") == 0) arrow = i;
            return false;
        });
        if (arrow != std::string::npos) {
            std::string var = Trim(text.substr(arrow + 2));
            if (var.empty() || var.find(' ') != std::string::npos)
                Error(l.No, "\"->\" takes one variable name");
            c->FResultVar = Utf8ToSjis(var);
            text = Trim(text.substr(0, arrow));
        }
        size_t paren = text.find('(');
        std::string target = Trim(text.substr(0, paren));
        if (paren != std::string::npos) {
            if (text.back() != ')') Error(l.No, "the arguments of \"call\" end with \")\"");
            std::string args = Trim(text.substr(paren + 1, text.size() - paren - 2));
            if (!args.empty())
                for (const std::string& a : SplitTopLevel(args, ',')) {
                    if (a.empty()) Error(l.No, "empty argument");
                    c->FArgs.push_back(Expr(l.No, a));
                }
        }
        if (target.find(' ') != std::string::npos)
            Error(l.No, "\"call\" takes PAGE[:LABEL] [(ARGS)] [-> VAR] [if COND]");
        Target(l, c->FPageName, c->FTarget, target);
        return pos + 1;
    }
    if (word == "pcreset" || word == "reset") {
        std::vector<std::string> parts = SplitTopLevel(rest, ' ');
        std::string target = parts.empty() ? std::string() : parts[0];
        TComPCReset* r = word == "reset" ? Emit<TComReset>(l.No, depth) : Emit<TComPCReset>(l.No, depth);
        if (parts.size() == 2 && parts[1] == "all" && word == "pcreset")
            r->FAll = 1;
        else if (parts.size() > 1)
            Error(l.No, "\"" + word + "\" takes PAGE[:LABEL]" + (word == "pcreset" ? " [all]" : ""));
        Target(l, r->FPageName, r->FTarget, target);
        return pos + 1;
    }
    if (word == "var" || word == "varnew") {
        // var [global|auto|local|status] TYPE NAME [= VALUE]
        std::string text = rest;
        auto take = [&]() {
            size_t s = text.find(' ');
            std::string w = text.substr(0, s);
            text = s == std::string::npos ? std::string() : Trim(text.substr(s));
            return w;
        };
        auto* v = Emit<TComVarNew>(l.No, depth);
        std::string w = take();
        const char* scopes[] = {"global", "auto", "local", "status"};
        for (uint8_t k = 0; k < 4; ++k)
            if (w == scopes[k]) {
                v->FScope = k;
                w = take();
            }
        int32_t type = TypeCode(w);
        if (type < 0) Error(l.No, "expected a type (int, float, bool or str), found \"" + w + "\"");
        v->FType = static_cast<uint8_t>(type);
        size_t eq = text.find('=');
        std::string name = Trim(text.substr(0, eq));
        if (name.empty() || name.find(' ') != std::string::npos) Error(l.No, "expected one variable name");
        v->FName = Utf8ToSjis(name);
        v->FValue =
            eq == std::string::npos ? std::make_unique<TVobeParser>() : Expr(l.No, text.substr(eq + 1));
        return pos + 1;
    }
    if (word == "result") {
        Directive(l, rest);
        return pos + 1;
    }
    auto& words = GenericKeywords();
    auto it = words.find(word);
    if (it == words.end()) Error(l.No, "unknown command \"" + word + "\"");
    Generic(l, it->second, rest, depth);
    return pos + 1;
}

void TGameCompiler::TPageBuilder::Directive(const TLine& l, const std::string& rest) {
    int32_t type = rest == "none" ? 0 : TypeCode(rest);
    if (type < 0) Error(l.No, "\"result\" takes none, int, float, bool or str");
    FPage.Page->ResultType = static_cast<uint8_t>(type);
}

void TGameCompiler::TPageBuilder::Generic(const TLine& l, int32_t kind, const std::string& rest,
                                          int32_t depth) {
    std::string error;
    std::vector<TPair> pairs;
    const char* primary = PrimaryField(kind);
    if (primary && !rest.empty()) {
        pairs = SplitPairs(rest, error);
        if (!error.empty()) {
            pairs = {{primary, rest}};
            error.clear();
        }
    } else {
        pairs = SplitPairs(rest, error);
    }
    if (!error.empty()) Error(l.No, error);

    TPage& page = *FPage.Page;
    // Component commands: the mask row of the kind must hold every property any command of this kind
    // names on the page. Rows only grow, and the slots of earlier commands grow with them (see Link).
    std::vector<int32_t> props;
    for (auto& p : pairs) {
        int32_t id = FindPropByName(p.Key);
        if (id >= 0) props.push_back(id);
    }

    auto cmd = CreateCommand(kind, &page);
    cmd->line = l.No;
    cmd->indent = depth;
    cmd->FContinue = 1;
    auto* component = dynamic_cast<TComComponent*>(cmd.get());
    if (component)
        for (int32_t id : props) {
            page.SetMaskBit(kind, id, true);
            if (!component->FProps[id]) component->FProps[id] = std::make_unique<TVobeParser>();
        }

    // Hand each named value to the field of that name.
    struct TSetter : TFieldVisitor {
        TPageBuilder* B;
        const TLine* L;
        std::vector<TPair>* Pairs;
        std::vector<bool> Used;
        int32_t Version() const override { return PageVersion; }
        const TPair* Take(const char* name) {
            for (size_t i = 0; i < Pairs->size(); ++i)
                if (!Used[i] && (*Pairs)[i].Key == name) {
                    Used[i] = true;
                    return &(*Pairs)[i];
                }
            return nullptr;
        }
        // Property ids may be given by name: prop=left.
        std::string PropText(const std::string& v) {
            int32_t id = FindPropByName(v);
            return id >= 0 && !std::isdigit(static_cast<unsigned char>(v[0])) ? std::to_string(id) : v;
        }
        void Expr(const char* name, TExprPtr& e) override {
            const TPair* p = Take(name);
            if (!p) {
                e = std::make_unique<TVobeParser>();
                return;
            }
            e = B->Expr(L->No, std::string(name) == "prop" ? PropText(p->Value) : p->Value);
        }
        void Str(const char* name, std::string& s) override {
            if (const TPair* p = Take(name)) {
                std::string v;
                if (!ParseStringValue(p->Value, v)) B->Error(L->No, std::string(name) + " takes a text");
                s = Utf8ToSjis(v);
            }
        }
        void Int(const char* name, int32_t& v) override {
            if (const TPair* p = Take(name))
                if (!ParseInt(p->Value, INT32_MIN, INT32_MAX, v))
                    B->Error(L->No, std::string(name) + " takes an integer");
        }
        void Byte(const char* name, uint8_t& v) override {
            if (const TPair* p = Take(name)) {
                int32_t x = 0;
                if (p->Value == "TRUE" || p->Value == "true")
                    x = 1;
                else if (p->Value == "FALSE" || p->Value == "false")
                    x = 0;
                else if (!ParseInt(p->Value, 0, 255, x))
                    B->Error(L->No, std::string(name) + " takes a number 0-255");
                v = static_cast<uint8_t>(x);
            }
        }
        void ExprList(const char* name, std::vector<TExprPtr>& list) override {
            list.clear();
            while (const TPair* p = Take(name)) list.push_back(B->Expr(L->No, p->Value));
        }
        void Data(const char* name, std::vector<uint8_t>&) override {
            if (Take(name)) B->Error(L->No, std::string(name) + ": message text is not supported yet");
        }
        void Props(TComComponent& c) override {
            for (int32_t id = 0; id < PropertyCount; ++id) {
                if (!c.FProps[id]) continue;
                const std::string key = PropScriptName(id);
                const TPair* p = Take(key.c_str());
                c.FProps[id] = p ? B->Expr(L->No, p->Value) : std::make_unique<TVobeParser>();
            }
        }
    } setter;
    setter.B = this;
    setter.L = &l;
    setter.Pairs = &pairs;
    setter.Used.assign(pairs.size(), false);
    // Property names in pairs are case-insensitive and may carry PR_: use the script name.
    for (auto& p : pairs) {
        int32_t id = FindPropByName(p.Key);
        if (id >= 0 && component) p.Key = PropScriptName(id);
    }
    cmd->VisitFields(setter);
    for (size_t i = 0; i < pairs.size(); ++i)
        if (!setter.Used[i])
            Error(l.No, "\"" + pairs[i].Key + "\" is not a field of " + CommandClassName(kind));
    page.Add(std::move(cmd));
}

// ---- the compiler -----------------------------------------------------------------------------------

TGameCompiler::TGameCompiler() = default;
TGameCompiler::~TGameCompiler() = default;

const TCompiledPage* TGameCompiler::FindPage(const std::string& sjisName) const {
    for (auto& p : FPages)
        if (AnsiSameText(p.Name, sjisName)) return &p;
    return nullptr;
}

void TGameCompiler::AddPage(const std::string& name, const std::string& file, const std::string& text) {
    FPages.emplace_back();
    TCompiledPage& page = FPages.back();
    page.Name = PageNameOf(name);
    page.File = file;
    page.Page = std::make_unique<TPage>();
    page.Page->SetName(page.Name);
    page.Page->SetVersion(PageVersion);
    for (auto& other : FPages)
        if (&other != &page && AnsiSameText(other.Name, page.Name))
            throw ECompileError(Utf8ToSjis(file + ":1: page \"" + name + "\" is defined twice"));
    TPageBuilder builder(*this, page);
    builder.Compile(text);
}

void TGameCompiler::SetProject(const std::string& file, const std::string& text) {
    FProjectFile = file;
    FHasProject = true;
    TProjectFile& p = FProject;
    p = TProjectFile();
    p.Title = Utf8ToSjis("VobePlayer");
    p.MediaExtensions = ".wav.wma.ogg.mid";
    p.DiskMessage = SJ("ディスク%dを入れてから[OK]をクリックしてください");
    p.QuitMessage = SJ("終了します");
    p.StartPage = "main.vsb";
    bool fullWidthSet = false, fullHeightSet = false;
    std::string section = "project";
    int32_t no = 0;
    size_t start = 0;
    auto error = [&](const std::string& msg) {
        throw ECompileError(Utf8ToSjis(file + ":" + std::to_string(no) + ": " + msg));
    };
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = Trim(text.substr(start, end - start));
        start = end + 1;
        ++no;
        if (no == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line = Trim(line.substr(3));
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line.front() == '[') {
            if (line.back() != ']') error("unclosed section name");
            section = Lower(Trim(line.substr(1, line.size() - 2)));
            if (section != "project" && section != "variables" && section != "disks")
                error("unknown section [" + section + "]");
            continue;
        }
        size_t eq = line.find('=');
        if (section == "variables") {
            // TYPE NAME = VALUE
            std::string decl = Trim(line.substr(0, eq));
            size_t sp = decl.find(' ');
            if (sp == std::string::npos) error("expected TYPE NAME = VALUE");
            TDeclaredVar v;
            int32_t type = TypeCode(decl.substr(0, sp));
            if (type < 0) error("unknown type \"" + decl.substr(0, sp) + "\"");
            v.Type = static_cast<uint8_t>(type);
            v.Name = Utf8ToSjis(Trim(decl.substr(sp)));
            if (v.Name.empty() || v.Name.find(' ') != std::string::npos) error("expected one variable name");
            std::string value = eq == std::string::npos ? std::string() : Trim(line.substr(eq + 1));
            switch (type) {
            case 1:
                if (!value.empty() && !ParseInt(value, INT32_MIN, INT32_MAX, v.IntValue))
                    error("not an integer");
                break;
            case 2: {
                if (value.empty()) break;
                char* endp = nullptr;
                v.FloatValue = std::strtold(value.c_str(), &endp);
                if (*endp != 0) error("not a number");
                break;
            }
            case 3:
                if (value == "TRUE" || value == "true" || value == "1")
                    v.BoolValue = true;
                else if (value.empty() || value == "FALSE" || value == "false" || value == "0")
                    v.BoolValue = false;
                else
                    error("a flag is TRUE or FALSE");
                break;
            case 4: {
                std::string s;
                if (!ParseStringValue(value, s)) error("a text value is written in double quotes");
                v.StrValue = Utf8ToSjis(s);
                break;
            }
            }
            FProject.Variables.push_back(std::move(v));
            continue;
        }
        if (eq == std::string::npos) error("expected KEY = VALUE");
        const std::string key = Lower(Trim(line.substr(0, eq)));
        const std::string value = Trim(line.substr(eq + 1));
        if (section == "disks") {
            TFolderDisk f;
            f.Folder = Utf8ToSjis(key);
            for (char& c : f.Folder)
                if (c == '/') c = '\\';
            if (!ParseInt(value, 0, INT32_MAX, f.Disk)) error("a disk number is an integer");
            FProject.Folders.push_back(std::move(f));
            continue;
        }
        std::string str;
        auto text_ = [&]() {
            if (!ParseStringValue(value, str)) str = value; // a bare text with blanks
            return Utf8ToSjis(str);
        };
        auto integer = [&]() {
            int32_t v = 0;
            if (!ParseInt(value, INT32_MIN, INT32_MAX, v)) error(key + " takes an integer");
            return v;
        };
        auto flag = [&]() {
            const std::string v = Lower(value);
            if (v == "true" || v == "1" || v == "yes") return true;
            if (v == "false" || v == "0" || v == "no") return false;
            error(key + " takes true or false");
            return false;
        };
        if (key == "title")
            p.Title = text_();
        else if (key == "width")
            p.Width = integer();
        else if (key == "height")
            p.Height = integer();
        else if (key == "fullscreen_width")
            p.FullWidth = integer(), fullWidthSet = true;
        else if (key == "fullscreen_height")
            p.FullHeight = integer(), fullHeightSet = true;
        else if (key == "start")
            p.StartPage = value.empty() ? std::string() : PageNameOf(value);
        else if (key == "exit")
            p.ExitPage = value.empty() ? std::string() : PageNameOf(value);
        else if (key == "registry_key")
            p.RegistryKey = text_();
        else if (key == "image_key")
            p.ImageKey = integer();
        else if (key == "save_status")
            p.SaveStatusEnabled = flag();
        else if (key == "frame_wait")
            p.FrameWaitEnabled = flag();
        else if (key == "media_extensions")
            p.MediaExtensions = text_();
        else if (key == "disk_message")
            p.DiskMessage = text_();
        else if (key == "quit_message")
            p.QuitMessage = text_();
        else
            error("unknown setting \"" + key + "\"");
    }
    if (!fullWidthSet) p.FullWidth = p.Width;
    if (!fullHeightSet) p.FullHeight = p.Height;
}

void TGameCompiler::Link() {
    for (TPending& p : FPending) {
        auto error = [&](const std::string& msg) {
            throw ECompileError(Utf8ToSjis(p.File + ":" + std::to_string(p.Line) + ": ") + msg);
        };
        const TCompiledPage* target = FindPage(p.Page);
        int32_t index = 0;
        if (p.LabelGiven) {
            if (!target) error(SJ("ページがありません: ") + p.Page);
            index = target->Page->IndexOfLabel(p.Label);
            if (index < 0) error(SJ("ラベルがありません: ") + p.Page + ":" + p.Label);
        }
        // Refer to the page by the name it was compiled under (the page cache compares exactly).
        if (target) *p.PageName = target->Name;
        *p.TargetIndex = index;
    }
    FPending.clear();
    // Every component command of a page carries a slot for every property its kind's row names: a
    // command that does not name one gets an expression without value (the creation default applies).
    for (TCompiledPage& cp : FPages)
        for (int32_t i = 0; i < cp.Page->Count(); ++i)
            if (auto* c = dynamic_cast<TComComponent*>(cp.Page->Items(i)))
                for (int32_t id = 0; id < PropertyCount; ++id)
                    if (cp.Page->MaskBit(c->GetKind(), id) && !c->FProps[id])
                        c->FProps[id] = std::make_unique<TVobeParser>();
    if (FHasProject) {
        const std::string file = FProjectFile + ": ";
        if (FProject.StartPage.empty() || !FindPage(FProject.StartPage))
            throw ECompileError(Utf8ToSjis(file) + SJ("スタートページがありません: ") + FProject.StartPage);
        if (!FProject.ExitPage.empty() && !FindPage(FProject.ExitPage))
            throw ECompileError(Utf8ToSjis(file) + SJ("ページがありません: ") + FProject.ExitPage);
        if (auto* s = FindPage(FProject.StartPage)) FProject.StartPage = s->Name;
        if (auto* e = FProject.ExitPage.empty() ? nullptr : FindPage(FProject.ExitPage))
            FProject.ExitPage = e->Name;
    }
}

} // namespace vobe

// ---- the whole build --------------------------------------------------------------------------------

namespace vobe {

namespace {

std::string ReadText(const std::string& playerPath) {
    TMemoryStream s;
    s.LoadFromFile(playerPath);
    return std::string(s.Bytes().begin(), s.Bytes().end());
}

// Creates every folder on the way to the file at `path` (a player path).
void MakeFolders(const std::string& path) {
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<unsigned char>(path[i]))) {
            ++i;
            continue;
        }
        if (path[i] == '\\' && i > 0) CreateDir(path.substr(0, i));
    }
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && Lower(s.substr(s.size() - tail.size())) == tail;
}

// A file of the source folder as messages name it: UTF-8 with '/'.
std::string SourceName(const std::string& rel) {
    std::string u = SjisToUtf8(rel);
    for (char& c : u)
        if (c == '\\') c = '/';
    return u;
}

// PNG pictures become layered images of the same name with the extension ".vsk".
bool IsPicture(const std::string& rel) { return EndsWith(rel, ".png"); }
std::string PictureName(const std::string& rel) { return rel.substr(0, rel.size() - 4) + ".vsk"; }

// A PNG asset as a one-layer layered image, scrambled with the project's image key.
void ConvertPicture(const std::string& file, TMemoryStream& data, int32_t key) {
    TVaskFrameList list(key);
    try {
        data.SetPosition(0);
        VaskFrameFromPng(data, *list.AddFrame());
    } catch (const EVobeError& e) {
        throw ECompileError(Utf8ToSjis(file + ": ") + e.Message());
    }
    TMemoryStream out;
    list.SaveToStream(out, 0, 70);
    data.Bytes().swap(out.Bytes());
}

bool Hidden(const std::string& rel) {
    for (const std::string& part : SplitPlayerPath(rel))
        if (!part.empty() && part[0] == '.') return true;
    return false;
}

} // namespace

void TGameCompiler::Build(const std::string& srcFolder, const std::string& outFolder) {
    const std::string src = IncludeTrailingBackslash(PlayerPath(srcFolder));
    const std::string out = IncludeTrailingBackslash(PlayerPath(outFolder));
    if (!DirectoryExists(src)) throw EVobeError(src + SJ(":フォルダがありません"));
    TGameCompiler compiler;
    std::vector<std::string> assets;
    bool hasProject = false;
    for (const std::string& rel : ListFilesRecursive(src)) {
        if (Hidden(rel)) continue;
        const std::string relUtf8 = SourceName(rel);
        if (AnsiSameText(rel, "project.ini")) {
            compiler.SetProject(relUtf8, ReadText(src + rel));
            hasProject = true;
        } else if (EndsWith(rel, ".vss")) {
            compiler.AddPage(relUtf8.substr(0, relUtf8.size() - 4) + ".vsb", relUtf8, ReadText(src + rel));
        } else {
            assets.push_back(rel);
        }
    }
    if (!hasProject) throw ECompileError(Utf8ToSjis("project.ini: missing"));
    compiler.Link();
    for (const std::string& rel : assets) {
        if (!IsPicture(rel)) continue;
        for (const std::string& other : assets)
            if (AnsiSameText(other, PictureName(rel)))
                throw ECompileError(Utf8ToSjis(SourceName(rel) + ": " + SourceName(other) + " is there as well"));
    }

    MakeFolders(out);
    if (!DirectoryExists(out)) throw EVobeError(out + SJ(":フォルダを作れません"));
    std::vector<std::string> written;
    auto write = [&](const std::string& rel, const TMemoryStream& data) {
        MakeFolders(out + rel);
        data.SaveToFile(out + rel);
        written.push_back(rel);
    };
    {
        TMemoryStream s;
        compiler.Project().SaveToStream(s);
        write("vobe.vpb", s);
    }
    for (TCompiledPage& p : compiler.Pages()) {
        TMemoryStream s;
        p.Page->SaveToStream(s);
        write(p.Name, s);
    }
    for (const std::string& rel : assets) {
        TMemoryStream s;
        s.LoadFromFile(src + rel);
        if (IsPicture(rel)) {
            ConvertPicture(SourceName(rel), s, compiler.Project().ImageKey);
            write(PictureName(rel), s);
        } else {
            write(rel, s);
        }
    }
    // The same files packed into the game's archive.
    TVrFileCollection archive;
    archive.LoadFromFile(out, true);
    for (const std::string& rel : written) archive.AddEntry(rel);
    TMemoryStream image;
    archive.WriteArchive(image);
    image.SaveToFile(out + "game.dat");
}

} // namespace vobe
