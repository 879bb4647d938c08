// vobetool expr: the operation list the compiler makes of a text, and evaluation in a fresh store.
#include <cstdio>
#include <string>
#include <vector>

#include "archive/stream.h"
#include "platform/cp932.h"
#include "platform/error.h"
#include "tools/commands.h"
#include "values/build_vobe_parser.h"
#include "values/param_collection.h"
#include "values/vobe_parser.h"

namespace vobe::tool {

namespace {

// One output line: Shift-JIS in, UTF-8 out; line breaks inside a message become spaces.
void PrintLine(const std::string& sjis) {
    std::string line = SjisToUtf8(sjis);
    std::string out;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\r' && i + 1 < line.size() && line[i + 1] == '\n') continue;
        out += (line[i] == '\r' || line[i] == '\n') ? ' ' : line[i];
    }
    std::fputs(out.c_str(), stdout);
    std::fputc('\n', stdout);
}

void PrintError(const EVobeError& e) {
    PrintLine("error\t" + e.Message());
}

// Compiles a text into a loaded expression; false (the error printed) when it does not compile or
// cannot be written.
bool CompileText(const std::string& sjisText, TVobeParser& parser) {
    try {
        CompileExpression(sjisText, parser);
        return true;
    } catch (const EVobeError& e) {
        PrintError(e);
        return false;
    }
}

const char* TypeName(TParamType t) {
    switch (t) {
    case PT_INT: return "int";
    case PT_FLOAT: return "float";
    case PT_BOOL: return "bool";
    case PT_STR: return "str";
    default: return "ref";
    }
}

int Ops(const Args& args) {
    if (args.size() != 2) return Fail("usage: vobetool expr ops TEXT");
    TVobeParser parser;
    if (CompileText(Utf8ToSjis(args[1]), parser))
        for (int32_t i = 0; i < parser.Count(); ++i) PrintLine(FormatOperation(parser, i));
    return 0;
}

int Eval(const Args& args) {
    std::vector<std::string> texts;
    struct TVarSpec {
        TParamType Type;
        std::string Name, Value;
    };
    std::vector<TVarSpec> vars;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--var") {
            if (i + 1 >= args.size()) return Fail("usage: --var TYPE:NAME=VALUE");
            const std::string decl = args[++i];
            const size_t colon = decl.find(':'), eq = decl.find('=', colon == std::string::npos ? 0 : colon);
            if (colon == std::string::npos || eq == std::string::npos)
                return Fail("--var expects TYPE:NAME=VALUE, not " + decl);
            const std::string type = decl.substr(0, colon);
            TParamType t = type == "int"     ? PT_INT
                           : type == "float" ? PT_FLOAT
                           : type == "bool"  ? PT_BOOL
                           : type == "str"   ? PT_STR
                                             : PT_NONE;
            if (t == PT_NONE) return Fail("--var: unknown type " + type);
            vars.push_back(
                {t, Utf8ToSjis(decl.substr(colon + 1, eq - colon - 1)), Utf8ToSjis(decl.substr(eq + 1))});
        } else {
            texts.push_back(Utf8ToSjis(args[i]));
        }
    }

    TParamCollection& store = *CreateParamCollection();
    struct TFree {
        ~TFree() { FreeParamCollection(); }
    } freeStore;
    for (const TVarSpec& v : vars) {
        try {
            TParamCollectionItem* item = store.AddNamedParam(v.Type, v.Name);
            if (v.Type == PT_BOOL)
                item->SetAsBool(AnsiSameText(v.Value, "TRUE") || v.Value == "1");
            else
                item->SetAsStr(v.Value);
        } catch (const EVobeError& e) {
            return Fail(e.Message());
        }
    }
    for (const std::string& text : texts) {
        TVobeParser parser;
        if (!CompileText(text, parser)) continue;
        try {
            parser.Execute();
        } catch (const EVobeError& e) {
            PrintError(e);
            continue;
        }
        const TCustomParam* result = parser.Result();
        if (!result)
            PrintLine("none");
        else
            PrintLine(std::string(TypeName(result->GetParamType())) + "\t" + result->GetAsStr());
    }
    for (const TVarSpec& v : vars) {
        const TParamCollectionItem* item = store.FindItem(v.Name);
        if (!item)
            PrintLine(v.Name + "\tnone");
        else
            PrintLine(v.Name + "\t" + TypeName(item->GetParamType()) + "\t" + item->GetAsStr());
    }
    return 0;
}

} // namespace

int ExprCommand(const Args& args) {
    if (!args.empty() && args[0] == "ops") return Ops(args);
    if (!args.empty() && args[0] == "eval") return Eval(args);
    return Fail("usage: vobetool expr ops TEXT | expr eval [--var TYPE:NAME=VALUE]... TEXT...");
}

} // namespace vobe::tool
