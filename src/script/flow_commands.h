// The commands that steer the interpreter: conditions and blocks, loops, labels, jumps and calls,
// exits, waits, resets and the end of the program.
#pragma once

#include "script/command.h"

namespace vobe {

class TComIf : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckIf; }
    void VisitFields(TFieldVisitor& v) override { v.Expr("cond", FCond); }
    // A false condition moves on to the elseif whose condition holds, the else, or past the chain.
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    TExprPtr FCond;
};

class TComElseif : public TComIf {
public:
    using TComIf::TComIf;
    int32_t GetKind() const override { return ckElseif; }
    // Reached in sequence, after a branch was taken: skips its own body.
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
};

class TComElse : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckElse; }
    bool GetContinue() const override { return true; }
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
};

class TComLabel : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckLabel; }
    bool IsLabel(const std::string& name) const override { return name == FName; }
    void VisitFields(TFieldVisitor& v) override { v.Str("name", FName); }
    std::string FName;
};

// A remark of the author: never executed, never a label.
class TComComment : public TComLabel {
public:
    using TComLabel::TComLabel;
    int32_t GetKind() const override { return ckComment; }
    bool GetSkip() const override { return true; }
    bool GetContinue() const override { return false; }
    bool IsLabel(const std::string&) const override { return false; }
    void VisitFields(TFieldVisitor& v) override { v.Str("text", FName); }
};

class TComJump : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckJump; }
    void VisitFields(TFieldVisitor& v) override;
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    std::string FPageName;
    int32_t FTarget = 0;
    TExprPtr FCond;
};

class TComCall : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckCall; }
    void VisitFields(TFieldVisitor& v) override;
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    std::string FPageName;
    int32_t FTarget = 0;
    std::string FResultVar;
    TExprPtr FCond;
    std::vector<TExprPtr> FArgs;
};

class TComExit : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckExit; }
    void VisitFields(TFieldVisitor& v) override { v.Expr("cond", FCond); }
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    TExprPtr FCond;
};

class TComBreak : public TComExit {
public:
    using TComExit::TComExit;
    int32_t GetKind() const override { return ckBreak; }
    void VisitFields(TFieldVisitor& v) override {
        TComExit::VisitFields(v);
        v.Int("target", FTarget);
    }
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    int32_t FTarget = -1;
};

class TComContinue : public TComExit {
public:
    using TComExit::TComExit;
    int32_t GetKind() const override { return ckContinue; }
    void VisitFields(TFieldVisitor& v) override {
        TComExit::VisitFields(v);
        v.Int("target", FTarget);
    }
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    int32_t FTarget = -1;
};

class TComWait : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckWait; }
    void VisitFields(TFieldVisitor& v) override;
    void Prepare(TCallMan& man) override;
    // Holds while the condition does (for ever without one) and, with a time, until that many
    // milliseconds of frames after the first have passed.
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    bool IsWaiting() const override { return true; }
    bool BlocksEvents() const override { return FBlock; }
    void SaveState(std::unique_ptr<TTpMemoryStream>& state) override;
    void LoadState(TStream& s) override;
    TExprPtr FCond;
    TExprPtr FTime;
    TExprPtr FBlockEvents; // pages of version 107 and later

    // The running wait.
    int32_t FTimeLeft = 0;
    int32_t FFirstFrame = 0; // 1 until the frame the wait started in has passed
    bool FBlock = false;
};

class TComWhile : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckWhile; }
    void VisitFields(TFieldVisitor& v) override {
        v.Expr("cond", FCond);
        v.Int("end", FEnd);
    }
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    TExprPtr FCond;
    int32_t FEnd = 0;
};

// Commands that evaluate one expression when reached.
class TComRuntime : public TCommand {
public:
    using TCommand::TCommand;
    void VisitFields(TFieldVisitor& v) override { v.Expr("expr", FExpr); }
    TExprPtr FExpr;
};

class TComWhileInit : public TComRuntime {
public:
    using TComRuntime::TComRuntime;
    int32_t GetKind() const override { return ckWhileInit; }
    bool GetContinue() const override { return true; }
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
};

class TComWhileLoop : public TComWhileInit {
public:
    using TComWhileInit::TComWhileInit;
    int32_t GetKind() const override { return ckWhileLoop; }
    void VisitFields(TFieldVisitor& v) override {
        TComWhileInit::VisitFields(v);
        v.Int("head", FHead);
    }
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    int32_t FHead = 0;
};

class TComPCReset : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckPCReset; }
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
    void VisitFields(TFieldVisitor& v) override {
        v.Str("page", FPageName);
        v.Int("target", FTarget);
        v.Byte("all", FAll);
    }
    std::string FPageName;
    int32_t FTarget = 0;
    uint8_t FAll = 0; // TComReset reads it too and ignores it
};

class TComReset : public TComPCReset {
public:
    using TComPCReset::TComPCReset;
    int32_t GetKind() const override { return ckReset; }
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
};

class TComTerminate : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckTerminate; }
    void Execute(TCallMan& man, TPage*& page, int32_t& pc) override;
};

// Ends the frame so that events and drawing happen.
class TComDoEvent : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckDoEvent; }
    bool GetContinue() const override { return false; }
    bool IsWaiting() const override { return true; }
};

} // namespace vobe
