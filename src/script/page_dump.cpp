#include "script/page_dump.h"

#include <cstdio>

#include "framework/prop_table.h"
#include "platform/cp932.h"
#include "script/command_factory.h"
#include "script/object_commands.h"

namespace vobe {

namespace {

std::string Quote(const std::string& sjis) {
    std::string out = "\"";
    for (char c : SjisToUtf8(sjis)) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default: out += c;
        }
    }
    return out + "\"";
}

class TDumpVisitor : public TFieldVisitor {
public:
    TDumpVisitor(int32_t version, std::string& out) : FVersion(version), FOut(out) {}
    int32_t Version() const override { return FVersion; }
    void Expr(const char* name, TExprPtr& e) override {
        if (e) Field(name, DumpExpr(*e));
    }
    void Str(const char* name, std::string& s) override { Field(name, Quote(s)); }
    void Int(const char* name, int32_t& v) override { Field(name, std::to_string(v)); }
    void Byte(const char* name, uint8_t& v) override { Field(name, std::to_string(v)); }
    void ExprList(const char* name, std::vector<TExprPtr>& list) override {
        for (auto& e : list) Expr(name, e);
    }
    void Data(const char* name, std::vector<uint8_t>& bytes) override {
        static const char hex[] = "0123456789abcdef";
        std::string v = std::to_string(bytes.size()) + ":";
        for (uint8_t b : bytes) {
            v += hex[b >> 4];
            v += hex[b & 15];
        }
        Field(name, v);
    }
    void Props(TComComponent& c) override {
        for (int32_t id = 0; id < PropertyCount; ++id)
            if (c.HasProp(id)) Field(PropScriptName(id).c_str(), DumpExpr(*c.Prop(id)));
    }

private:
    void Field(const char* name, const std::string& value) {
        FOut += '\t';
        FOut += name;
        FOut += '=';
        FOut += value;
    }
    int32_t FVersion;
    std::string& FOut;
};

} // namespace

std::string DumpExpr(const TVobeParser& e) {
    std::string out = "{";
    for (int32_t i = 0; i < e.Count(); ++i) {
        if (i) out += "; ";
        std::string op = SjisToUtf8(FormatOperation(e, i));
        for (char& c : op)
            if (c == '\t') c = ' ';
        out += op;
    }
    return out + "}";
}

std::string DumpPage(TPage& page) {
    std::string out;
    out += "page\t" + SjisToUtf8(page.GetName()) + "\n";
    out += "version\t" + std::to_string(page.GetVersion()) + "\n";
    if (page.GetVersion() < OldestPageVersion || page.GetVersion() > PageVersion) return out;
    out += "resulttype\t" + std::to_string(page.ResultType) + "\n";
    out += "maskrows\t" + std::to_string(page.FMaskRows) + "\t" + std::to_string(page.FMaskRowSize) + "\n";
    for (int32_t k = 0; k < CommandKindCount; ++k) {
        std::string ids;
        for (int32_t id = 0; id < PropertyMaskBytes * 8; ++id)
            if (page.MaskBit(k, id)) ids += (ids.empty() ? "" : " ") + std::to_string(id);
        if (!ids.empty()) out += "mask\t" + std::string(CommandClassName(k)) + "\t" + ids + "\n";
    }
    out += "commands\t" + std::to_string(page.Count()) + "\n";
    for (int32_t i = 0; i < page.Count(); ++i) {
        TCommand* c = page.Items(i);
        out += std::to_string(i) + "\t" + std::to_string(c->indent) + "\t";
        out += c->FSkip ? 's' : '-';
        out += c->FContinue ? 'c' : '-';
        out += "\t" + std::to_string(c->line) + "\t" + CommandClassName(c->GetKind());
        TDumpVisitor v(page.GetVersion(), out);
        c->VisitFields(v);
        out += "\n";
    }
    return out;
}

} // namespace vobe
