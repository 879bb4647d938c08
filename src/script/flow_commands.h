// The commands that steer the interpreter: conditions and blocks, loops, labels, jumps and calls,
// exits, waits, resets and the end of the program. Their stored fields; the interpreter gives them
// their behaviour.
#pragma once

#include "script/command.h"

namespace vobe {

class TComIf : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckIf; }
    void VisitFields(TFieldVisitor& v) override { v.Expr("cond", FCond); }
    TExprPtr FCond;
};

class TComElseif : public TComIf {
public:
    using TComIf::TComIf;
    int32_t GetKind() const override { return ckElseif; }
};

class TComElse : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckElse; }
    bool GetContinue() const override { return true; }
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
    std::string FPageName;
    int32_t FTarget = 0;
    TExprPtr FCond;
};

class TComCall : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckCall; }
    void VisitFields(TFieldVisitor& v) override;
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
    int32_t FTarget = -1;
};

class TComWait : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckWait; }
    void VisitFields(TFieldVisitor& v) override;
    TExprPtr FCond;
    TExprPtr FTime;
    TExprPtr FBlockEvents; // pages of version 107 and later
};

class TComWhile : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckWhile; }
    void VisitFields(TFieldVisitor& v) override {
        v.Expr("cond", FCond);
        v.Int("end", FEnd);
    }
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
};

class TComWhileLoop : public TComWhileInit {
public:
    using TComWhileInit::TComWhileInit;
    int32_t GetKind() const override { return ckWhileLoop; }
    void VisitFields(TFieldVisitor& v) override {
        TComWhileInit::VisitFields(v);
        v.Int("head", FHead);
    }
    int32_t FHead = 0;
};

class TComPCReset : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckPCReset; }
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
};

class TComTerminate : public TCommand {
public:
    using TCommand::TCommand;
    int32_t GetKind() const override { return ckTerminate; }
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
