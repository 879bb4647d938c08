#include "script/command.h"

#include "script/object_commands.h"
#include "script/page.h"

namespace vobe {

namespace {

// Reads fields from a page stream. Counts and lengths are checked against what the stream still
// holds, so that damaged data fails with an error instead of a huge allocation.
class TFieldReader : public TFieldVisitor {
public:
    TFieldReader(TStream& s, int32_t version) : FStream(s), FVersion(version) {}
    int32_t Version() const override { return FVersion; }
    void Expr(const char*, TExprPtr& e) override {
        e = std::make_unique<TVobeParser>();
        e->LoadFromStream(FStream);
    }
    void Str(const char*, std::string& s) override { s = ReadStr(FStream); }
    void Int(const char*, int32_t& v) override { v = ReadInt32(FStream); }
    void Byte(const char*, uint8_t& v) override { v = ReadByte(FStream); }
    void ExprList(const char* name, std::vector<TExprPtr>& list) override {
        int32_t n = ReadInt32(FStream);
        // Every stored expression takes at least its int32 operation count.
        if (n > FStream.Remaining() / 4) throw EStreamError(std::string("bad expression count: ") + name);
        list.clear();
        for (int32_t i = 0; i < n; ++i) {
            list.emplace_back();
            Expr(name, list.back());
        }
    }
    void Data(const char* name, std::vector<uint8_t>& bytes) override {
        int32_t n = ReadInt32(FStream);
        bytes.clear();
        if (n <= 0) return;
        if (n > FStream.Remaining()) throw EStreamError(std::string("bad data length: ") + name);
        bytes.resize(static_cast<size_t>(n));
        FStream.ReadBuffer(bytes.data(), n);
    }
    void Props(TComComponent& c) override {
        for (auto& slot : c.FProps)
            if (slot) slot->LoadFromStream(FStream);
    }

private:
    TStream& FStream;
    int32_t FVersion;
};

class TFieldWriter : public TFieldVisitor {
public:
    explicit TFieldWriter(TStream& s) : FStream(s) {}
    int32_t Version() const override { return PageVersion; }
    void Expr(const char*, TExprPtr& e) override {
        if (e)
            e->SaveToStream(FStream);
        else
            WriteInt32(FStream, 0); // an absent expression is stored as one without operations
    }
    void Str(const char*, std::string& s) override { WriteStr(FStream, s); }
    void Int(const char*, int32_t& v) override { WriteInt32(FStream, v); }
    void Byte(const char*, uint8_t& v) override { WriteByte(FStream, v); }
    void ExprList(const char* name, std::vector<TExprPtr>& list) override {
        WriteInt32(FStream, static_cast<int32_t>(list.size()));
        for (auto& e : list) Expr(name, e);
    }
    void Data(const char*, std::vector<uint8_t>& bytes) override {
        WriteInt32(FStream, static_cast<int32_t>(bytes.size()));
        if (!bytes.empty()) FStream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    }
    void Props(TComComponent& c) override {
        for (auto& slot : c.FProps)
            if (slot) slot->SaveToStream(FStream);
    }

private:
    TStream& FStream;
};

} // namespace

TCommand::~TCommand() = default;

int32_t TCommand::Version() const {
    return FPage ? FPage->GetVersion() : PageVersion;
}

void TCommand::LoadFromStream(TStream& s) {
    indent = ReadInt32(s);
    FSkip = ReadByte(s);
    FContinue = ReadByte(s);
    line = ReadInt32(s);
    TFieldReader reader(s, Version());
    VisitFields(reader);
}

void TCommand::SaveToStream(TStream& s) {
    WriteByte(s, static_cast<uint8_t>(GetKind()));
    WriteInt32(s, indent);
    WriteByte(s, FSkip);
    WriteByte(s, FContinue);
    WriteInt32(s, line);
    TFieldWriter writer(s);
    VisitFields(writer);
}

TExprPtr CloneExpr(const TExprPtr& e) {
    if (!e) return nullptr;
    auto copy = std::make_unique<TVobeParser>();
    copy->Assign(*e);
    return copy;
}

TCustomParam* Evaluate(TVobeParser* e) {
    if (!e) return nullptr;
    e->Execute();
    return e->Result();
}

bool EvalBool(const TExprPtr& e, bool none) {
    TCustomParam* v = Evaluate(e);
    return v ? v->GetAsBool() : none;
}

int32_t EvalInt(const TExprPtr& e, int32_t none) {
    TCustomParam* v = Evaluate(e);
    return v ? v->GetAsInt() : none;
}

std::string EvalStr(const TExprPtr& e) {
    TCustomParam* v = Evaluate(e);
    return v ? v->GetAsStr() : std::string();
}

} // namespace vobe
