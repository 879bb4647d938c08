#include "script/flow_commands.h"

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

} // namespace vobe
