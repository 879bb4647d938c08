// vobetool expr ops / eval: the exact lines of the command-line contract, for answers worked out by
// hand from the compiler's and the evaluator's rules.
#include <gtest/gtest.h>

#include "tools/commands.h"

namespace vobe::tool {
namespace {

std::string RunExpr(const Args& args) {
    testing::internal::CaptureStdout();
    int rc = ExprCommand(args);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(rc, 0);
    return out;
}

TEST(ToolExpr, Ops) {
    EXPECT_EQ(RunExpr({"ops", "a = b + c * 2"}), "ocMul\t____0\tvar:c\tint:2\n"
                                                 "ocPlus\t____1\tvar:b\tvar:____0\n"
                                                 "ocTo\ta\tvar:____1\n");
    EXPECT_EQ(RunExpr({"ops", "s = Copy(\"日本語\", 2) ++ 1.5e1 ++ FALSE"}),
              "ocTo\t____0\tstr:\"日本語\"\n"
              "ocFunc\t____1\tfunc:Copy\tvar:____0\tint:2\n"
              "ocComboStr\t____2\tvar:____1\tfloat:15\n"
              "ocComboStr\t____3\tvar:____2\tbool:FALSE\n"
              "ocTo\ts\tvar:____3\n");
    EXPECT_EQ(RunExpr({"ops", "a = (1"}), "error\t構文エラー\n");
    EXPECT_EQ(RunExpr({"ops", "Length(s, 1)"}), "error\tLength 引数の数が不正です\n");
    EXPECT_EQ(RunExpr({"ops", "Foo(1)"}), "error\t\"Foo\" 関数名がありません\n");
}

TEST(ToolExpr, Eval) {
    EXPECT_EQ(
        RunExpr({"eval",         "--var",         "int:b=3",     "--var",   "int:c=4",      "--var",
                 "float:f=0.5",  "--var",         "str:s=日本",  "--var",   "bool:ok=TRUE", "--var",
                 "int:a=0",      "a = b + c * 2", "a",           "1 + 2.5", "2.5 + 1",      "-7 / 2",
                 "-7 % 2",       "1 << 33",       "-1 >> 28",    "1 / 0",   "x + 1",        "\"10\" < \"9\"",
                 "10 < 9",       "f * 4",         "s ++ \"語\"", "ok",      "(a + 1) * 2",  "a = ",
                 "Length(s, 1)", "1 / 3.0",       "f = 1.0 / 3"}),
        "none\n"
        "int\t11\n"
        "int\t3\n"
        "float\t3.5\n"
        "int\t-3\n"
        "int\t-1\n"
        "int\t2\n"
        "int\t15\n"
        "none\n"
        "none\n"
        "bool\tTRUE\n"
        "bool\tFALSE\n"
        "float\t2\n"
        "str\t日本語\n"
        "bool\tTRUE\n"
        "int\t24\n"
        "error\t構文エラー\n"
        "error\tLength 引数の数が不正です\n"
        "int\t0\n"
        "none\n"
        "b\tint\t3\n"
        "c\tint\t4\n"
        "f\tfloat\t0.333333333333333\n"
        "s\tstr\t日本\n"
        "ok\tbool\tTRUE\n"
        "a\tint\t11\n");
    // Element writes through an index, and a variable holding a large float.
    EXPECT_EQ(RunExpr({"eval", "--var", "int:i=0", "--var", "float:x=1e20", "i[0] = 5", "i[0] * 2", "x"}),
              "none\n"
              "int\t10\n"
              "float\t1E20\n"
              "i\tint\t5\n"
              "x\tfloat\t1E20\n");
}

} // namespace
} // namespace vobe::tool
