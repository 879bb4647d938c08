#include "script/flow_commands.h"

#include "platform/globals.h"
#include "script/call_man.h"
#include "script/page.h"

namespace vobe {

void TComJump::VisitFields(TFieldVisitor& v) {
    v.Str("page", FPageName);
    v.Int("target", FTarget);
    v.Expr("cond", FCond);
}

void TComCall::VisitFields(TFieldVisitor& v) {
    v.Str("page", FPageName);
    v.Int("target", FTarget);
    v.Str("result", FResultVar);
    v.Expr("cond", FCond);
    v.ExprList("arg", FArgs);
}

void TComWait::VisitFields(TFieldVisitor& v) {
    v.Expr("cond", FCond);
    v.Expr("time", FTime);
    if (v.Version() >= 107) v.Expr("block", FBlockEvents);
}

// ---- conditions ------------------------------------------------------------------------------------

void TComIf::Execute(TCallMan&, TPage*& page, int32_t& pc) {
    ++pc;
    if (EvalBool(FCond, false)) return;
    const int32_t count = page->Count();
    for (int32_t i = pc; i < count; ++i) {
        TCommand* c = page->Items(i);
        if (c->indent > indent) continue; // the body of the branch not taken
        if (c->indent < indent) {
            pc = i; // the chain ends with its block
            return;
        }
        const int32_t kind = c->GetKind();
        if ((kind == ckElseif && EvalBool(static_cast<TComElseif*>(c)->FCond, false)) || kind == ckElse) {
            pc = i + 1;
            return;
        }
        if (kind != ckElseif) {
            pc = i;
            return;
        }
    }
    pc = count; // nothing follows: the page ends
}

namespace {

// Past the body that follows the command at pc (every later command indented deeper).
void SkipBody(const TPage& page, int32_t indent, int32_t& pc) {
    const int32_t count = page.Count();
    ++pc;
    while (pc < count && page.Items(pc)->indent > indent) ++pc;
}

} // namespace

void TComElseif::Execute(TCallMan&, TPage*& page, int32_t& pc) {
    SkipBody(*page, indent, pc);
}

void TComElse::Execute(TCallMan&, TPage*& page, int32_t& pc) {
    SkipBody(*page, indent, pc);
}

// ---- loops -----------------------------------------------------------------------------------------

void TComWhile::Execute(TCallMan&, TPage*&, int32_t& pc) {
    ++pc;
    if (!EvalBool(FCond, false)) pc = FEnd;
}

void TComWhileInit::Execute(TCallMan&, TPage*&, int32_t& pc) {
    ++pc;
    Evaluate(FExpr);
}

void TComWhileLoop::Execute(TCallMan&, TPage*&, int32_t& pc) {
    pc = FHead;
    Evaluate(FExpr);
}

void TComBreak::Execute(TCallMan&, TPage*& page, int32_t& pc) {
    if (!EvalBool(FCond, false)) {
        ++pc;
        return;
    }
    if (FTarget < 0)
        page = nullptr;
    else
        pc = FTarget;
}

void TComContinue::Execute(TCallMan&, TPage*& page, int32_t& pc) {
    ++pc;
    if (!EvalBool(FCond, false)) return;
    if (FTarget < 0)
        page = nullptr;
    else
        pc = FTarget;
}

void TComExit::Execute(TCallMan&, TPage*& page, int32_t& pc) {
    if (EvalBool(FCond, false))
        page = nullptr;
    else
        ++pc;
}

// ---- jumps and calls -------------------------------------------------------------------------------

void TComJump::Execute(TCallMan& man, TPage*& page, int32_t& pc) {
    ++pc;
    if (!EvalBool(FCond, false) || !man.FileAvailable(FPageName)) return;
    page = man.LoadPage(FPageName);
    pc = FTarget;
}

void TComCall::Execute(TCallMan& man, TPage*&, int32_t& pc) {
    ++pc;
    if (!EvalBool(FCond, false) || !man.FileAvailable(FPageName)) return;
    std::vector<std::string> args;
    args.reserve(FArgs.size());
    for (const TExprPtr& a : FArgs)
        if (TCustomParam* v = Evaluate(a)) args.push_back(v->GetAsStr());
    // The page is read before anything changes, so that one that cannot be read leaves the caller
    // where it was.
    TPage* callee = man.FindOrLoad(FPageName);
    man.CallPage(callee, FTarget, FResultVar, std::move(args));
}

// ---- waits -----------------------------------------------------------------------------------------

void TComWait::Prepare(TCallMan&) {
    FTimeLeft = EvalInt(FTime, 0);
    FFirstFrame = 1;
    FBlock = EvalBool(FBlockEvents, false);
}

void TComWait::Execute(TCallMan& man, TPage*&, int32_t& pc) {
    if (!EvalBool(FCond, true)) {
        ++pc;
        return;
    }
    if (FTimeLeft != 0) {
        if (FFirstFrame != 0) {
            // The frame the wait starts in does not count.
            FFirstFrame = 0;
        } else {
            FTimeLeft -= FrameDelta;
            if (FTimeLeft <= 0) {
                ++pc;
                return;
            }
        }
    }
    man.SetRunning(false);
}

void TComWait::SaveState(std::unique_ptr<TTpMemoryStream>& state) {
    state = std::make_unique<TTpMemoryStream>();
    WriteStateVersion(*state);
    WriteInt32(*state, FTimeLeft);
    WriteInt32(*state, FFirstFrame);
    WriteBool(*state, FBlock);
}

void TComWait::LoadState(TStream& s) {
    const int32_t version = ReadStateVersion(s);
    FTimeLeft = ReadInt32(s);
    FFirstFrame = ReadInt32(s);
    if (version >= 100) FBlock = ReadBool(s);
}

// ---- resets and the end ----------------------------------------------------------------------------

void TComPCReset::Execute(TCallMan& man, TPage*&, int32_t&) {
    man.PCReset(FPageName, FTarget, FAll != 0);
}

void TComReset::Execute(TCallMan& man, TPage*&, int32_t&) {
    man.ResetGame(FPageName, FTarget);
}

void TComTerminate::Execute(TCallMan& man, TPage*&, int32_t& pc) {
    ++pc;
    man.Terminate();
}

} // namespace vobe
