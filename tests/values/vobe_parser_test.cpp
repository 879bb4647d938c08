// Expressions: the compiler's operation lists, the stored form, and evaluation against the store.
#include <gtest/gtest.h>

#include <functional>

#include "archive/stream.h"
#include "platform/cp932.h"
#include "platform/error.h"
#include "values/build_vobe_parser.h"
#include "values/param_collection.h"
#include "values/vobe_parser.h"

namespace vobe {
namespace {

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EVobeError& e) {
        return SjisToUtf8(e.Message());
    }
    return "(no error)";
}

// The operation list of a text, one line per operation as `vobetool expr ops` prints it (UTF-8), or
// "error:" and the message.
std::string Ops(const std::string& utf8) {
    try {
        TBuildVobeParser build;
        build.Compile(Utf8ToSjis(utf8));
        TMemoryStream m;
        build.SaveToStream(m);
        m.SetPosition(0);
        TVobeParser parser;
        parser.LoadFromStream(m);
        std::string out;
        for (int32_t i = 0; i < parser.Count(); ++i) out += SjisToUtf8(FormatOperation(parser, i)) + "\n";
        return out;
    } catch (const EVobeError& e) {
        return "error:" + SjisToUtf8(e.Message());
    }
}

TEST(Compiler, OperationLists) {
    struct Case {
        const char* text;
        const char* ops;
    } cases[] = {
        {"a = b + c * 2", "ocMul\t____0\tvar:c\tint:2\n"
                          "ocPlus\t____1\tvar:b\tvar:____0\n"
                          "ocTo\ta\tvar:____1\n"},
        // The group took ____0, its sum ____1; the copy ____0 := ____1 is gone.
        {"(a + 1) * 2", "ocPlus\t____1\tvar:a\tint:1\n"
                        "ocMul\t____2\tvar:____1\tint:2\n"
                        "ocTo\t____arg\tvar:____2\n"},
        {"a[i + 1] = 5", "ocPlus\t____2\tvar:i\tint:1\n"
                         "ocDimTo\t____d_0\tvar:a\tvar:____2\n"
                         "ocTo\t____d_0\tint:5\n"},
        {"-x", "ocMinus\t____0\tint:0\tvar:x\n"
               "ocTo\t____arg\tvar:____0\n"},
        // The argument is stripped once, to (a) + (b), and not further.
        {"Max(((a) + (b)), 1)", "ocTo\t____2\tvar:b\n"
                                "ocTo\t____3\tvar:a\n"
                                "ocPlus\t____4\tvar:____3\tvar:____2\n"
                                "ocFunc\t____0\tfunc:Max\tvar:____4\tint:1\n"
                                "ocTo\t____arg\tvar:____0\n"},
        {"a = -x * 2", "ocMinus\t____0\tint:0\tvar:x\n"
                       "ocMul\t____1\tvar:____0\tint:2\n"
                       "ocTo\ta\tvar:____1\n"},
        {"a - - b", "ocMinus\t____0\tint:0\tvar:b\n"
                    "ocMinus\t____1\tvar:a\tvar:____0\n"
                    "ocTo\t____arg\tvar:____1\n"},
        {"a * +b", "ocMul\t____0\tvar:a\tvar:b\n"
                   "ocTo\t____arg\tvar:____0\n"},
        // Comparisons bind tighter than ++, ++ tighter than the bitwise operators.
        {"a | b ^ c & d ++ e == f", "ocEqual\t____0\tvar:e\tvar:f\n"
                                    "ocComboStr\t____1\tvar:d\tvar:____0\n"
                                    "ocAnd\t____2\tvar:c\tvar:____1\n"
                                    "ocXor\t____3\tvar:b\tvar:____2\n"
                                    "ocOr\t____4\tvar:a\tvar:____3\n"
                                    "ocTo\t____arg\tvar:____4\n"},
        {"a << 1 >= b >> 2 <> c", "ocShiftL\t____0\tvar:a\tint:1\n"
                                  "ocShiftR\t____1\tvar:b\tint:2\n"
                                  "ocEBig\t____2\tvar:____0\tvar:____1\n"
                                  "ocNEqual\t____3\tvar:____2\tvar:c\n"
                                  "ocTo\t____arg\tvar:____3\n"},
        {"x = 7 % 3 / 2 - 1 <= 0 < 1 > 2", "ocMod\t____0\tint:7\tint:3\n"
                                           "ocDiv\t____1\tvar:____0\tint:2\n"
                                           "ocMinus\t____2\tvar:____1\tint:1\n"
                                           "ocESmall\t____3\tvar:____2\tint:0\n"
                                           "ocSmall\t____4\tvar:____3\tint:1\n"
                                           "ocBig\t____5\tvar:____4\tint:2\n"
                                           "ocTo\tx\tvar:____5\n"},
        // Literals with escapes; constants of every kind.
        {"s = \"a\\\"b\\\\c\\nd\\t\" ++ \"日本\"", "ocTo\t____0\tstr:\"a\"b\\c\r\nd\\t\"\n"
                                                   "ocTo\t____1\tstr:\"日本\"\n"
                                                   "ocComboStr\t____2\tvar:____0\tvar:____1\n"
                                                   "ocTo\ts\tvar:____2\n"},
        {"f = 1.5 + 1e3 + TRUE + FALSE + true + $10", "ocPlus\t____0\tfloat:1.5\tfloat:1000\n"
                                                      "ocPlus\t____1\tvar:____0\tbool:TRUE\n"
                                                      "ocPlus\t____2\tvar:____1\tbool:FALSE\n"
                                                      "ocPlus\t____3\tvar:____2\tvar:true\n"
                                                      "ocPlus\t____4\tvar:____3\tint:16\n"
                                                      "ocTo\tf\tvar:____4\n"},
        // Calls: nested, no arguments, an index argument, an array argument.
        // The last call first; an index argument is compiled into a temporary of its own.
        {"x = Max(Min(a, 1), b[2, j])", "ocFunc\t____0\tfunc:Min\tvar:a\tint:1\n"
                                        "ocDimTo\t____d_3\tvar:b\tint:2\tvar:j\n"
                                        "ocTo\t____2\tvar:____d_3\n"
                                        "ocFunc\t____1\tfunc:Max\tvar:____0\tvar:____2\n"
                                        "ocTo\tx\tvar:____1\n"},
        {"DBDelete()", "ocFunc\t____0\tfunc:DBDelete\n"
                       "ocTo\t____arg\tvar:____0\n"},
        {"t[k[0]] = 変数", "ocDimTo\t____d_0\tvar:k\tint:0\n"
                           "ocDimTo\t____d_1\tvar:t\tvar:____d_0\n"
                           "ocTo\t____d_1\tvar:変数\n"},
        {"x", "ocTo\t____arg\tvar:x\n"},
        // Blanks do not separate operands.
        {"a b", "ocTo\t____arg\tvar:a b\n"},
        {"", "ocTo\t____arg\tvar:\n"},
        // A trail byte 0x5C (ソ) is never a backslash, 0x5B never a bracket.
        {"\"ソ\" ++ ソ[1]", "ocTo\t____0\tstr:\"ソ\"\n"
                            "ocDimTo\t____d_1\tvar:ソ\tint:1\n"
                            "ocComboStr\t____2\tvar:____0\tvar:____d_1\n"
                            "ocTo\t____arg\tvar:____2\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(Ops(c.text), c.ops) << c.text;
}

TEST(Compiler, Errors) {
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"a = b = c", "error:構文エラー"},
        {"(a + 1", "error:構文エラー"},
        {"a + 1)", "error:構文エラー"},
        {")a(", "error:構文エラー"},
        {"a[1", "error:構文エラー"},
        {"a]1[", "error:構文エラー"},
        {"+ [1]", "error:構文エラー"},
        {"a[]", "error:配列の添え字が不正です"},
        {"a[ ]", "error:配列の添え字が不正です"},
        {"x = ", "error:構文エラー"},
        {"= 1", "error:構文エラー"},
        {"a +", "error:構文エラー"},
        {"* a", "error:構文エラー"},
        {"\"open", "error:構文エラー"},
        {"f(x[1)", "error:構文エラー"},
        {"Length(s, 1)", "error:Length 引数の数が不正です"},
        {"Copy(s)", "error:Copy 引数の数が不正です"},
        {"length(s)", "error:\"length\" 関数名がありません"},
        {"Nope()", "error:\"Nope\" 関数名がありません"},
    };
    for (const auto& c : cases) EXPECT_EQ(Ops(c.text), c.error) << c.text;
}

TEST(Compiler, FailedCompilationKeepsWhatItAppended) {
    TBuildVobeParser build;
    EXPECT_EQ(ErrorOf([&] { build.Compile("\"a\" + (b"); }), "構文エラー");
    EXPECT_EQ(build.Count(), 1);
    build.Clear();
    build.Compile("x");
    EXPECT_EQ(build.Items(0).Dest, "____arg");
}

TEST(StoredForm, BytesOfEachOperandKind) {
    TBuildVobeParser build;
    build.Compile("y = IntToStr(x, 2) + 1.5 + TRUE + \"s\"");
    TMemoryStream m;
    build.SaveToStream(m);
    TMemoryStream expect;
    WriteInt32(expect, 5);
    // ocFunc: K counts the arguments only; the function number follows K.
    WriteByte(expect, ocFunc);
    WriteStr(expect, "____1");
    WriteInt32(expect, 2);
    WriteByte(expect, 0);
    WriteByte(expect, 0);
    WriteStr(expect, "x");
    WriteByte(expect, 1);
    WriteInt32(expect, 2);
    WriteByte(expect, ocPlus);
    WriteStr(expect, "____2");
    WriteInt32(expect, 2);
    WriteByte(expect, 0);
    WriteStr(expect, "____1");
    WriteByte(expect, 2);
    WriteExtended(expect, 1.5L);
    WriteByte(expect, ocPlus);
    WriteStr(expect, "____3");
    WriteInt32(expect, 2);
    WriteByte(expect, 0);
    WriteStr(expect, "____2");
    WriteByte(expect, 3);
    WriteByte(expect, 1);
    WriteByte(expect, ocPlus);
    WriteStr(expect, "____4");
    WriteInt32(expect, 2);
    WriteByte(expect, 0);
    WriteStr(expect, "____3");
    WriteByte(expect, 0);
    WriteStr(expect, "____0");
    WriteByte(expect, ocTo);
    WriteStr(expect, "y");
    WriteInt32(expect, 1);
    WriteByte(expect, 0);
    WriteStr(expect, "____4");
    // ____0 := "s" came first.
    TMemoryStream lit;
    WriteInt32(lit, 6);
    WriteByte(lit, ocTo);
    WriteStr(lit, "____0");
    WriteInt32(lit, 1);
    WriteByte(lit, 4);
    WriteStr(lit, "s");
    std::vector<uint8_t> want = lit.Bytes();
    want.insert(want.end(), expect.Bytes().begin() + 4, expect.Bytes().end());
    EXPECT_EQ(m.Bytes(), want);

    // Loading and saving again gives the same bytes; so does a copy made by Assign.
    m.SetPosition(0);
    TVobeParser p, q;
    p.LoadFromStream(m);
    q.Assign(p);
    TMemoryStream again, copied;
    p.SaveToStream(again);
    q.SaveToStream(copied);
    EXPECT_EQ(again.Bytes(), want);
    EXPECT_EQ(copied.Bytes(), want);
}

TEST(StoredForm, DamagedInputIsRefused) {
    TBuildVobeParser build;
    build.Compile("a = Copy(\"abc\", b[1], 2.5) ++ TRUE");
    TMemoryStream m;
    build.SaveToStream(m);
    const std::vector<uint8_t> full = m.Bytes();
    for (size_t cut = 0; cut < full.size(); ++cut) {
        TReadOnlyMemoryStream part(full.data(), static_cast<int64_t>(cut));
        TVobeParser p;
        EXPECT_NE(ErrorOf([&] { p.LoadFromStream(part); }), "(no error)") << cut;
    }
    // Counts far beyond the data.
    for (std::vector<uint8_t> bytes :
         {std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x7F, 1, 0, 0, 0, 0, 0, 0, 0, 0},
          std::vector<uint8_t>{1, 0, 0, 0, 1, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F}}) {
        TReadOnlyMemoryStream s(bytes.data(), static_cast<int64_t>(bytes.size()));
        TVobeParser p;
        EXPECT_NE(ErrorOf([&] { p.LoadFromStream(s); }), "(no error)");
    }
}

// ---- evaluation ----------------------------------------------------------------------------------------

class EvalTest : public ::testing::Test {
protected:
    void SetUp() override { CreateParamCollection(); }
    void TearDown() override {
        SysFunctions = nullptr;
        FreeParamCollection();
    }
    TParamCollection& S() { return *ParamCollection; }
    TParamCollectionItem* Var(TParamType t, const std::string& name, const std::string& value) {
        TParamCollectionItem* item = S().AddNamedParam(t, Utf8ToSjis(name));
        item->SetAsStr(Utf8ToSjis(value));
        return item;
    }
    // "type:value" of the result, or "none".
    std::string Eval(const std::string& text) {
        TBuildVobeParser build;
        build.Compile(Utf8ToSjis(text));
        TMemoryStream m;
        build.SaveToStream(m);
        m.SetPosition(0);
        TVobeParser p;
        p.LoadFromStream(m);
        const int32_t before = S().Count();
        p.Execute();
        EXPECT_EQ(S().Count(), before) << "temporaries left behind by " << text;
        if (!p.Result()) return "none";
        static const char* names[] = {"ref", "int", "float", "bool", "str"};
        return std::string(names[p.Result()->GetParamType()]) + ":" + SjisToUtf8(p.Result()->GetAsStr());
    }
};

TEST_F(EvalTest, OperationsAndTemporaryTypes) {
    Var(PT_INT, "i", "7");
    Var(PT_FLOAT, "f", "2.5");
    Var(PT_STR, "s", "12");
    Var(PT_BOOL, "b", "TRUE");
    struct Case {
        const char* text;
        const char* result;
    } cases[] = {
        // Operand 0 alone decides the temporary's type.
        {"1 + 2.5", "int:3"},
        {"2.5 + 1", "float:3.5"},
        {"f * 2", "float:5"},
        {"2 * f", "int:4"},
        {"\"12\" + \"30\"", "str:42"},
        {"s + 1", "str:13"},
        {"s - 1", "int:11"},
        {"b + 1", "int:2"},
        {"7 / 2", "int:3"},
        {"-7 / 2", "int:-3"},
        {"7 % -2", "int:1"},
        {"-7 % 2", "int:-1"},
        {"f / 2", "float:1.25"},
        {"1 << 33", "int:2"},
        {"-1 >> 28", "int:15"},
        {"1 << 31", "int:-2147483648"},
        {"2147483647 + 1", "int:-2147483648"},
        {"65536 * 65536", "int:0"},
        {"6 | 9", "int:15"},
        {"6 & 3", "int:2"},
        {"6 ^ 3", "int:5"},
        {"f ++ i", "str:2.57"},
        {"i ++ b", "str:7TRUE"},
        // Comparisons by the type of operand 0.
        {"\"abc\" < \"abd\"", "bool:TRUE"},
        {"\"10\" < \"9\"", "bool:TRUE"},
        {"10 < 9", "bool:FALSE"},
        {"s < 9", "bool:TRUE"},
        {"9 > s", "bool:FALSE"},
        {"\"a\" == \"A\"", "bool:FALSE"},
        {"\"あ\" > \"z\"", "bool:TRUE"},
        {"f >= 2.5", "bool:TRUE"},
        {"f <> 2.5", "bool:FALSE"},
        {"b == 5", "bool:TRUE"},
        {"i <= 7", "bool:TRUE"},
        {"i", "int:7"},
        {"\"x\"", "str:x"},
        {"TRUE", "bool:TRUE"},
        {"@Pi", "float:3.14159265358979"},
        {"-i", "int:-7"},
        {"-f", "int:-2"},
        // Errors end the evaluation silently, with no result.
        {"1 / 0", "none"},
        {"1 % 0", "none"},
        {"f / 0", "none"},
        {"(0 - 2147483647 - 1) / -1", "none"},
        {"x + 1", "none"},
        {"Length(s)", "none"},
    };
    for (const auto& c : cases) EXPECT_EQ(Eval(c.text), c.result) << c.text;
}

TEST_F(EvalTest, AssignmentsConvertToTheDestination) {
    TParamCollectionItem* i = Var(PT_INT, "i", "0");
    TParamCollectionItem* s = Var(PT_STR, "s", "");
    TParamCollectionItem* b = Var(PT_BOOL, "b", "FALSE");
    TParamCollectionItem* f = Var(PT_FLOAT, "f", "0");
    EXPECT_EQ(Eval("i = 2.9"), "none");
    EXPECT_EQ(i->GetAsInt(), 2);
    Eval("s = 3 * 4");
    EXPECT_EQ(s->GetAsStr(), "12");
    Eval("b = \"TRUE\"");
    EXPECT_TRUE(b->GetAsBool());
    Eval("f = 7 / 2");
    EXPECT_EQ(f->GetAsFloat(), 3);
    Eval("f = 7.0 / 2");
    EXPECT_EQ(f->GetAsFloat(), 3.5L);
    // A failing operation leaves its destination as it was.
    Eval("i = 5 / 0");
    EXPECT_EQ(i->GetAsInt(), 2);
    Eval("@TextDelay = i * 10");
    EXPECT_EQ(S().TextDelay, 20);
}

TEST_F(EvalTest, ArraysAndReferences) {
    TParamCollectionItem* a = Var(PT_INT, "a", "0");
    a->SetDims({2, 3});
    Var(PT_INT, "i", "1");
    Eval("a[i, i + 1] = 5");
    EXPECT_EQ(a->GetIntAt(5), 5);
    EXPECT_EQ(a->GetCount(), 6); // an element write keeps the array
    EXPECT_EQ(Eval("a[1, 2] * 2"), "int:10");
    EXPECT_EQ(Eval("a[1,2] == 5"), "bool:TRUE");
    Eval("a[0, 0] = a[1, 2] + 1");
    EXPECT_EQ(a->GetIntAt(0), 6);
    // Wrong index counts and positions end the evaluation.
    EXPECT_EQ(Eval("a[2, 0]"), "none");
    EXPECT_EQ(Eval("a[1]"), "none");
    EXPECT_EQ(Eval("a[0, -1]"), "none");
    // A scalar is one dimension of size 1.
    TParamCollectionItem* x = Var(PT_STR, "x", "s");
    Eval("x[0] = 4");
    EXPECT_EQ(x->GetAsStr(), "4");
    EXPECT_EQ(Eval("x[1]"), "none");
    // A reference variable stands for its element: reads and writes go through.
    TParamCollectionItem* r = S().AddNamedParam(PT_NONE, "r");
    S().BindElement(*r->GetParam().AsVar(), "a", {0, 1});
    Eval("r = 9");
    EXPECT_EQ(a->GetIntAt(1), 9);
    EXPECT_EQ(Eval("r + 1"), "int:10");
    // The scalar write into the whole array makes it a scalar.
    Eval("a = 3");
    EXPECT_EQ(a->GetCount(), 1);
    EXPECT_EQ(Eval("r"), "none"); // element 1 is gone
    // System arrays.
    EXPECT_EQ(Eval("@KeyPush[13]"), "bool:FALSE");
    EXPECT_EQ(Eval("@KeyPush[258]"), "none");
}

TEST_F(EvalTest, ErrorsKeepWhatWasDoneAndTemporariesGo) {
    TParamCollectionItem* a = Var(PT_INT, "a", "0");
    TParamCollectionItem* c = Var(PT_INT, "c", "0");
    TVobeParser p;
    auto add = [&](uint8_t op, const std::string& dest, std::vector<std::unique_ptr<TCustomParam>> operands) {
        auto d = std::make_unique<TOpeData>();
        d->Op = op;
        d->Dest = dest;
        d->Operands = std::move(operands);
        p.Add(std::move(d));
    };
    auto num = [](int32_t v) {
        auto x = std::make_unique<TParamInt>();
        x->SetAsInt(v);
        return x;
    };
    std::vector<std::unique_ptr<TCustomParam>> ops1, ops2, ops3;
    ops1.push_back(num(1));
    add(ocTo, "a", std::move(ops1));
    ops2.push_back(num(1));
    ops2.push_back(num(0));
    add(ocDiv, "____0", std::move(ops2));
    ops3.push_back(num(2));
    add(ocTo, "c", std::move(ops3));
    p.Execute();
    EXPECT_EQ(a->GetAsInt(), 1);
    EXPECT_EQ(c->GetAsInt(), 0);
    EXPECT_EQ(S().FindItem("____0"), nullptr);
    EXPECT_EQ(p.Result(), nullptr);
}

TEST_F(EvalTest, UnknownOperationsAndExistingTemporaryNames) {
    // An existing variable of a temporary's name is used unchanged and survives.
    TParamCollectionItem* t = Var(PT_STR, "____0", "old");
    EXPECT_EQ(Eval("(1 + 2) * 3"), "int:9");
    EXPECT_NE(S().FindItem("____0"), nullptr);
    EXPECT_EQ(Eval("1 + 2 * 3"), "int:7");
    EXPECT_EQ(t->GetAsStr(), "6");

    // Codes without an operation do nothing into an existing variable and fail into a new temporary.
    TMemoryStream m;
    WriteInt32(m, 2);
    WriteByte(m, 33);
    WriteStr(m, "____0");
    WriteInt32(m, 1);
    WriteByte(m, 1);
    WriteInt32(m, 5);
    WriteByte(m, 0);
    WriteStr(m, "____x");
    WriteInt32(m, 0);
    m.SetPosition(0);
    TVobeParser p;
    p.LoadFromStream(m);
    EXPECT_EQ(SjisToUtf8(FormatOperation(p, 0)), "33\t____0\tint:5");
    const int32_t before = S().Count();
    p.Execute();
    EXPECT_EQ(S().Count(), before);
    EXPECT_EQ(t->GetAsStr(), "6");
}

TEST_F(EvalTest, FetchingAnUnboundReferenceResultRaises) {
    S().AddNamedParam(PT_NONE, "r");
    TBuildVobeParser build;
    build.Compile("r");
    TMemoryStream m;
    build.SaveToStream(m);
    m.SetPosition(0);
    TVobeParser p;
    p.LoadFromStream(m);
    const int32_t before = S().Count();
    EXPECT_EQ(ErrorOf([&] { p.Execute(); }), "____arg:不正な変数です");
    EXPECT_EQ(S().Count(), before);
}

TEST_F(EvalTest, LocalVariablesAreFoundAtEachEvaluation) {
    TParamCollectionItem* g = Var(PT_INT, "x", "1");
    TParamCollectionItem* l = Var(PT_INT, "x", "2");
    l->Local = true;
    l->Depth = 3;
    TBuildVobeParser build;
    build.Compile("x * 10");
    TMemoryStream m;
    build.SaveToStream(m);
    m.SetPosition(0);
    TVobeParser p;
    p.LoadFromStream(m);
    p.Execute();
    EXPECT_EQ(p.Result()->GetAsInt(), 10);
    S().CurrentDepth = 3;
    p.Execute();
    EXPECT_EQ(p.Result()->GetAsInt(), 20);
    EXPECT_NE(g, l);
}

// A dispatcher that records what it was given.
struct FakeFunctions : ISysFunctions {
    int32_t k = -1, lastIndex = -2;
    TParamType destType = 99;
    void CallFunction(TCustomParam& D, int32_t func, int32_t last, const TParamList& args) override {
        k = func;
        lastIndex = last;
        destType = D.GetParamType();
        if (func == 6) D.SetAsInt(static_cast<int32_t>(args[0]->GetAsStr().size())); // JLength, roughly
        if (func == 9) args[0]->SetAsStr("cut");                                     // Delete
    }
};

TEST_F(EvalTest, FunctionCallsGetTheirResultTypes) {
    FakeFunctions fake;
    SysFunctions = &fake;
    Var(PT_STR, "s", "abcdef");
    EXPECT_EQ(Eval("JLength(s) + 1"), "int:7");
    EXPECT_EQ(fake.k, 6);
    EXPECT_EQ(fake.lastIndex, 0);
    // A function returning nothing leaves an empty text; its variable argument is written.
    EXPECT_EQ(Eval("Delete(s, 2, 3)"), "str:");
    EXPECT_EQ(S().FindItem("s")->GetAsStr(), "cut");
    EXPECT_EQ(fake.lastIndex, 2);
    Eval("Sin(1)");
    EXPECT_EQ(fake.destType, PT_FLOAT);
    // GetProp takes the property's type from the low byte of its id.
    Eval("GetProp(\"c\", 3)");
    EXPECT_EQ(fake.destType, PT_INT);
    Eval("GetProp(\"c\", 256 + 25)");
    EXPECT_EQ(fake.destType, PT_BOOL);
    Eval("GetProp(\"c\", 0)");
    EXPECT_EQ(fake.destType, PT_STR);
    fake.destType = 99;
    EXPECT_EQ(Eval("GetProp(\"c\", 162)"), "none");
    EXPECT_EQ(fake.destType, 99);
    EXPECT_EQ(Eval("DBInsert()"), "bool:FALSE");
    EXPECT_EQ(fake.lastIndex, -1);
}

} // namespace
} // namespace vobe
