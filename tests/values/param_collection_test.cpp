// The variable store: lookup and scopes, element binding, references, system variables, and the game
// and status stream forms.
#include <gtest/gtest.h>

#include <functional>

#include "archive/stream.h"
#include "platform/cp932.h"
#include "platform/error.h"
#include "platform/globals.h"
#include "values/param_collection.h"

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

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override { CreateParamCollection(); }
    void TearDown() override { FreeParamCollection(); }
    TParamCollection& S() { return *ParamCollection; }
    TParamCollectionItem* Add(TParamType t, const std::string& name, int32_t depth = -1, bool local = false) {
        TParamCollectionItem* item = S().AddNamedParam(t, name);
        item->Depth = depth;
        item->Local = local;
        return item;
    }
};

TEST_F(StoreTest, FreshStoreHoldsTheSystemVariables) {
    EXPECT_EQ(S().Count(), 50);
    TParamCollectionItem* pi = S().FindItem("@pi");
    ASSERT_NE(pi, nullptr);
    EXPECT_EQ(pi->GetName(), "@Pi");
    EXPECT_EQ(pi->GetAsStr(), "3.14159265358979");
    EXPECT_EQ(pi->GetParamType(), PT_FLOAT);
    EXPECT_EQ(S().Item(49)->GetName(), "@StackCount");
    EXPECT_EQ(S().Item(44)->GetName(), "@Temp");
    for (int i = 0; i < 50; ++i) EXPECT_TRUE(S().Item(i)->IsSystem());
}

TEST_F(StoreTest, NamesAreValidated) {
    for (const char* bad : {"", "a b", "1x", "9"})
        EXPECT_EQ(ErrorOf([&] { S().AddNamedParam(PT_INT, bad); }),
                  "\"" + std::string(bad) + "\"：変数名が不正です");
    EXPECT_EQ(S().Count(), 50);
    for (const std::string& good : {std::string("x1"), std::string("_a"), SJ("変数"), std::string("a.b")})
        EXPECT_EQ(ErrorOf([&] { S().AddNamedParam(PT_INT, good); }), "(no error)");
    EXPECT_EQ(ErrorOf([&] { S().AddParam(9); }), "変数の型が不正です(9)");
}

TEST_F(StoreTest, LookupScopesAndDepths) {
    TParamCollectionItem* g1 = Add(PT_INT, "x");
    TParamCollectionItem* g2 = Add(PT_INT, "X");
    TParamCollectionItem* l3 = Add(PT_INT, "x", 3, true);
    // Among global items of one name the oldest wins; a local one only at its own depth.
    S().CurrentDepth = 2;
    EXPECT_EQ(S().FindItem("x"), g1);
    S().CurrentDepth = 3;
    EXPECT_EQ(S().FindItem("X"), l3);
    EXPECT_EQ(S().FindScoped("x", true), l3);
    EXPECT_EQ(S().FindScoped("x", false), g2);
    S().CurrentDepth = 4;
    EXPECT_EQ(S().FindScoped("x", true), nullptr);
    EXPECT_EQ(S().FindItem("y"), nullptr);

    // Kind 1 (deleted with its depth, visible everywhere).
    TParamCollectionItem* auto3 = Add(PT_INT, "a3", 3);
    EXPECT_EQ(S().FindItem("a3"), auto3);
    S().DeleteDepth(3);
    EXPECT_EQ(S().FindItem("a3"), nullptr);
    S().CurrentDepth = 3;
    EXPECT_EQ(S().FindItem("x"), g1);
    EXPECT_EQ(S().Count(), 52);
}

TEST_F(StoreTest, LookupInCrowdedBuckets) {
    // Names of one shape share a few buckets; every one must still be found, locals first.
    for (int k = 0; k < 1000; ++k) Add(PT_INT, "flag" + std::to_string(1000 + k))->SetAsInt(k);
    TParamCollectionItem* local = Add(PT_INT, "FLAG1500", 2, true);
    local->SetAsInt(-1);
    for (int k = 0; k < 1000; k += 37)
        EXPECT_EQ(S().FindItem("Flag" + std::to_string(1000 + k))->GetAsInt(), k);
    EXPECT_EQ(S().FindItem("flag1500")->GetAsInt(), 500);
    S().CurrentDepth = 2;
    EXPECT_EQ(S().FindItem("flag1500"), local);
    S().DeleteDepth(2);
    EXPECT_EQ(S().FindItem("flag1500")->GetAsInt(), 500);
    EXPECT_EQ(S().FindItem("flag2000"), nullptr);
}

TEST_F(StoreTest, BindElement) {
    TParamCollectionItem* a = Add(PT_INT, "a");
    a->SetDims({2, 3});
    a->SetIntAt(5, 55);
    TParamVar ref;
    S().BindElement(ref, "A", {1, 2});
    EXPECT_EQ(ref.Index, 5);
    EXPECT_EQ(ref.GetTarget(), a);
    EXPECT_EQ(ref.GetAsInt(), 55);
    ref.SetAsStr("7");
    EXPECT_EQ(a->GetIntAt(5), 7);
    EXPECT_EQ(a->GetCount(), 6); // writes through a reference keep the array
    EXPECT_EQ(ref.GetParamType(), PT_INT);
    EXPECT_EQ(ref.GetCount(), 6);

    EXPECT_EQ(ErrorOf([&] { S().BindElement(ref, "a", {2, 0}); }), "a[2,0]\r\n要素数を超えています");
    EXPECT_EQ(ErrorOf([&] { S().BindElement(ref, "a", {1}); }), "a[1]\r\n添え字が不正です");
    // Single indices are not tested here: a[0,4] is flat 4; a negative position fails on access.
    S().BindElement(ref, "a", {0, 4});
    EXPECT_EQ(ref.Index, 4);
    S().BindElement(ref, "a", {0, -1});
    EXPECT_EQ(ErrorOf([&] { ref.GetAsInt(); }), "配列の添字が不正です");
    // A scalar is one dimension of size 1.
    TParamCollectionItem* x = Add(PT_STR, "x");
    x->SetAsStr("s");
    S().BindElement(ref, "x", {0});
    EXPECT_EQ(ref.GetAsStr(), "s");
    EXPECT_EQ(ErrorOf([&] { S().BindElement(ref, "x", {1}); }), "x[1]\r\n要素数を超えています");
}

TEST_F(StoreTest, ReferencesAreCutWhenTheTargetGoes) {
    TParamCollectionItem* a = Add(PT_INT, "a", 2);
    a->SetAsInt(4);
    TParamCollectionItem* r = Add(PT_NONE, "r");
    auto& ref = dynamic_cast<TParamVar&>(r->GetParam());
    S().BindElement(ref, "a", {0});
    EXPECT_EQ(r->GetAsInt(), 4);
    S().DeleteDepth(2);
    EXPECT_EQ(ref.GetTarget(), nullptr);
    EXPECT_EQ(r->GetAsInt(), 0);
    EXPECT_EQ(r->GetCount(), 0);
    EXPECT_EQ(r->GetParamType(), PT_NONE);
    r->SetAsInt(3); // ignored
    EXPECT_EQ(ErrorOf([&] { S().CopyParam("r"); }), "r:不正な変数です");
}

TEST_F(StoreTest, ReferenceCyclesReadAsUnbound) {
    TParamCollectionItem* r = Add(PT_NONE, "r");
    TParamCollectionItem* q = Add(PT_NONE, "q");
    dynamic_cast<TParamVar&>(r->GetParam()).SetTarget(q);
    dynamic_cast<TParamVar&>(q->GetParam()).SetTarget(r);
    EXPECT_EQ(r->GetAsInt(), 0);
    r->SetAsStr("x");
    EXPECT_EQ(r->GetParamType(), PT_NONE);
    // @Temp standing for itself.
    S().TempTarget = "@Temp";
    EXPECT_EQ(S().FindItem("@Temp")->GetAsInt(), 0);
}

TEST_F(StoreTest, CopyParamDetaches) {
    TParamCollectionItem* a = Add(PT_STR, "a");
    a->SetDims({2});
    a->SetStrAt(1, "z");
    auto copy = S().CopyParam("A");
    ASSERT_NE(copy, nullptr);
    a->SetStrAt(1, "changed");
    EXPECT_EQ(copy->GetParamType(), PT_STR);
    EXPECT_EQ(copy->GetStrAt(1), "z");
    EXPECT_EQ(copy->Dims, std::vector<int32_t>{2});
    EXPECT_EQ(S().CopyParam("nope"), nullptr);
    auto pi = S().CopyParam("@Pi");
    EXPECT_EQ(pi->GetParamType(), PT_FLOAT);
    EXPECT_EQ(pi->GetAsStr(), "3.14159265358979");
}

// A scene that records what the system variables write into it.
struct FakeScene : ISysSceneValues {
    bool lclick = false;
    int32_t mx = 0;
    std::string active;
    bool GetLClick() override { return lclick; }
    void SetLClick(bool b) override { lclick = b; }
    int32_t GetMouseX() override { return mx; }
    void SetMouseX(int32_t v) override { mx = v; }
    bool KeyPush(int32_t k) override { return k == 13; }
    std::string GetActiveCompo() override { return active; }
    void SetActiveCompo(const std::string& s) override { active = s; }
};

struct FakeCall : ISysCallValues {
    TParamFloat result;
    bool running = true;
    TCustomParam* ResultParam() override { return running ? &result : nullptr; }
    int32_t ParamCount() override { return 2; }
    std::string ParamStr(int32_t i) override { return i == 0 ? "first" : "second"; }
    int32_t StackCount() override { return 3; }
};

TEST_F(StoreTest, SystemVariablesWithoutTheirSourcesGiveNoValue) {
    for (int i = 0; i < 50; ++i) {
        TParamCollectionItem* v = S().Item(i);
        EXPECT_NO_THROW(v->GetAsStr()) << v->GetName();
        EXPECT_NO_THROW(v->SetAsInt(1)) << v->GetName();
        EXPECT_NO_THROW(v->SetAsStr("TRUE")) << v->GetName();
    }
    EXPECT_EQ(S().FindItem("@MouseX")->GetAsInt(), 0);
    EXPECT_EQ(S().FindItem("@Title")->GetAsStr(), "");
    EXPECT_EQ(S().FindItem("@ParamStr")->GetCount(), 0);
    EXPECT_EQ(S().FindItem("@KeyPush")->GetCount(), 258);
    EXPECT_FALSE(S().FindItem("@KeyPush")->GetBoolAt(13));
    EXPECT_EQ(S().FindItem("@Result")->GetCount(), 1);
    EXPECT_EQ(S().FindItem("@Result")->GetAsInt(), 0);
    // The store's own values are live from the start.
    S().FindItem("@TextDelay")->SetAsFloat(20.7L);
    EXPECT_EQ(S().TextDelay, 20);
    S().FindItem("@Cursor")->SetAsInt(-3);
    EXPECT_EQ(S().CursorText, "-3");
    S().FindItem("@SelStr")->SetAsStr("yes");
    EXPECT_EQ(S().SelStr, "yes");
    S().FindItem("@SelIndex")->SetAsStr("12");
    EXPECT_EQ(S().SelIndex, 12);
    GameClock = 1234;
    EXPECT_EQ(S().FindItem("@TickCount")->GetAsInt(), 1234);
    EXPECT_EQ(S().FindItem("@1Hour")->GetAsFloat(), 1.0L / 24);
    int32_t year = S().FindItem("@Year")->GetAsInt();
    EXPECT_GE(year, 2020);
    int32_t week = S().FindItem("@Week")->GetAsInt();
    EXPECT_TRUE(week >= 1 && week <= 7);
    GameClock = 0;
}

TEST_F(StoreTest, SystemVariablesReachTheirSources) {
    FakeScene scene;
    FakeCall call;
    S().Sources.Scene = &scene;
    S().Sources.Call = &call;

    TParamCollectionItem* lclick = S().FindItem("@LClick");
    lclick->SetAsStr("5"); // text into a flag is read as a number
    EXPECT_TRUE(scene.lclick);
    lclick->SetAsStr("TRUE");
    EXPECT_FALSE(scene.lclick);
    lclick->SetAsFloat(0.5L);
    EXPECT_TRUE(scene.lclick);
    EXPECT_EQ(lclick->GetAsStr(), "TRUE");

    S().FindItem("@MouseX")->SetAsFloat(12.9L);
    EXPECT_EQ(scene.mx, 12);
    EXPECT_EQ(S().FindItem("@MouseX")->GetAsStr(), "12");
    S().FindItem("@MouseY")->SetAsInt(5); // no setter in the fake: ignored
    EXPECT_EQ(S().FindItem("@ActiveCompo")->GetAsStr(), "");
    S().FindItem("@ActiveCompo")->SetAsStr("btn");
    EXPECT_EQ(scene.active, "btn");

    TParamCollectionItem* keys = S().FindItem("@KeyPush");
    EXPECT_TRUE(keys->GetBoolAt(13));
    EXPECT_FALSE(keys->GetBoolAt(14));
    EXPECT_FALSE(keys->GetAsBool());
    EXPECT_EQ(ErrorOf([&] { keys->GetBoolAt(258); }), "配列の添字が不正です");
    keys->SetBoolAt(3, true); // ignored
    EXPECT_EQ(keys->GetDim(0), 258);

    // Read-only variables ignore writes.
    S().FindItem("@StackCount")->SetAsInt(99);
    EXPECT_EQ(S().FindItem("@StackCount")->GetAsInt(), 3);

    TParamCollectionItem* ps = S().FindItem("@ParamStr");
    EXPECT_EQ(ps->GetCount(), 2);
    EXPECT_EQ(ps->GetStrAt(1), "second");
    EXPECT_EQ(ps->GetAsStr(), "");
    auto copy = S().CopyParam("@ParamStr");
    EXPECT_EQ(copy->GetCount(), 2);
    EXPECT_EQ(copy->GetStrAt(0), "first");

    // @Result passes everything on, arrays included.
    TParamCollectionItem* result = S().FindItem("@Result");
    result->SetAsStr("2.5");
    EXPECT_EQ(call.result.GetAsFloat(), 2.5L);
    EXPECT_EQ(result->GetParamType(), PT_FLOAT);
    result->SetDims({3});
    EXPECT_EQ(call.result.GetCount(), 3);
    call.running = false;
    EXPECT_EQ(result->GetAsInt(), 0);
    result->SetAsInt(5);
    EXPECT_EQ(call.result.GetCount(), 3);

    // @Temp stands for the variable named TempTarget.
    TParamCollectionItem* t = Add(PT_STR, "target");
    TParamCollectionItem* temp = S().FindItem("@Temp");
    EXPECT_EQ(temp->GetAsStr(), "");
    EXPECT_EQ(temp->GetCount(), 1);
    S().TempTarget = "TARGET";
    temp->SetAsInt(8);
    EXPECT_EQ(t->GetAsStr(), "8");
    EXPECT_EQ(temp->GetParamType(), PT_STR);
    S().Sources = {};
}

TEST_F(StoreTest, DumpListsVariablesByName) {
    Add(PT_STR, "b")->SetAsStr(SJ("日本"));
    TParamCollectionItem* a = Add(PT_FLOAT, "a");
    a->SetDims({2});
    a->SetFloatAt(1, 0.5L);
    Add(PT_BOOL, "B2")->SetAsBool(true);
    TParamCollectionItem* one = Add(PT_INT, "one");
    one->SetDims({1});
    TParamCollectionItem* r = Add(PT_NONE, "r");
    S().BindElement(*r->GetParam().AsVar(), "a", {1});
    S().AddParam(PT_INT); // unnamed: not listed
    EXPECT_EQ(SjisToUtf8(DumpVariables(S())), "B2\tbool\tTRUE\n"
                                              "a[0]\tfloat\t0\n"
                                              "a[1]\tfloat\t0.5\n"
                                              "b\tstr\t日本\n"
                                              "one[0]\tint\t0\n"
                                              "r\tref\t0.5\n");
}

TEST_F(StoreTest, ClearGameKeepsSystemAndStatusVariables) {
    Add(PT_INT, "g");
    TParamCollectionItem* st = Add(PT_STR, "st");
    st->Status = true;
    S().TextDelay = 10;
    S().CursorText = "c";
    S().SelStr = "sel";
    S().TempTarget = "g";
    S().HistorySettings[0] = 16;
    S().ClearGame();
    EXPECT_EQ(S().Count(), 51);
    EXPECT_EQ(S().FindItem("g"), nullptr);
    EXPECT_EQ(S().FindItem("st"), st);
    EXPECT_EQ(S().TextDelay, 50);
    EXPECT_EQ(S().CursorText, "");
    EXPECT_EQ(S().HistorySettings[0], 0);
    EXPECT_EQ(S().SelStr, "sel");
    EXPECT_EQ(S().TempTarget, "g");
}

TEST_F(StoreTest, GameDataRoundTrip) {
    // The reference is created before its target; the target must still be written first.
    TParamCollectionItem* r = Add(PT_NONE, "r");
    TParamCollectionItem* a = Add(PT_FLOAT, "a", 2, true);
    a->SetDims({2, 2});
    a->SetFloatAt(3, 1.5L);
    S().CurrentDepth = 2;
    S().BindElement(dynamic_cast<TParamVar&>(r->GetParam()), "a", {1, 1});
    S().CurrentDepth = 0;
    TParamCollectionItem* st = Add(PT_INT, "st");
    st->Status = true;
    st->SetAsInt(77);
    Add(PT_STR, "s")->SetAsStr(SJ("漢字"));
    Add(PT_BOOL, "b")->SetAsBool(true);
    S().Item(S().Count() - 1)->Reserved = 9;
    S().TextDelay = 30;
    S().CursorText = "cur";
    S().SelStr = "sel";
    S().SelIndex = 4;
    for (int k = 0; k < 6; ++k) S().HistorySettings[k] = k + 1;
    S().TempTarget = "s";

    TMemoryStream game, status;
    S().SaveToStream(game);
    S().SaveStatusToStream(status);

    FreeParamCollection();
    CreateParamCollection();
    status.SetPosition(0);
    S().LoadStatusFromStream(status);
    ASSERT_NE(S().FindItem("st"), nullptr);
    EXPECT_TRUE(S().FindItem("st")->Status);
    Add(PT_INT, "stale");
    game.SetPosition(0);
    S().LoadFromStream(game, 134);
    EXPECT_EQ(game.GetPosition(), game.GetSize());

    EXPECT_EQ(S().FindItem("stale"), nullptr);
    EXPECT_EQ(S().FindItem("st")->GetAsInt(), 77);
    EXPECT_EQ(S().FindItem("s")->GetAsStr(), SJ("漢字"));
    EXPECT_TRUE(S().FindItem("b")->GetAsBool());
    EXPECT_EQ(S().FindItem("b")->Reserved, 9);
    S().CurrentDepth = 2;
    TParamCollectionItem* a2 = S().FindItem("a");
    ASSERT_NE(a2, nullptr);
    EXPECT_TRUE(a2->Local);
    EXPECT_EQ(a2->Depth, 2);
    EXPECT_EQ(a2->GetDim(1), 2);
    TParamCollectionItem* r2 = S().FindItem("r");
    ASSERT_NE(r2, nullptr);
    auto& ref = dynamic_cast<TParamVar&>(r2->GetParam());
    EXPECT_EQ(ref.GetTarget(), a2);
    EXPECT_EQ(ref.Index, 3);
    EXPECT_EQ(r2->GetAsFloat(), 1.5L);
    EXPECT_EQ(S().TextDelay, 30);
    EXPECT_EQ(S().CursorText, "cur");
    EXPECT_EQ(S().SelStr, "sel");
    EXPECT_EQ(S().SelIndex, 4);
    EXPECT_EQ(S().HistorySettings[5], 6);
    EXPECT_EQ(S().TempTarget, "s");
}

TEST_F(StoreTest, GameDataOfOlderVersionsReadsLess) {
    TMemoryStream m;
    WriteInt32(m, 1);
    WriteByte(m, PT_INT);
    WriteStr(m, "v");
    TParamInt value;
    value.SetAsInt(5);
    value.SaveToStream(m);
    WriteByte(m, 0);
    WriteByte(m, 0);
    WriteInt32(m, -1);
    WriteByte(m, 0);
    WriteInt32(m, 25);
    WriteStr(m, "c");
    S().SelStr = "keep";
    S().SelIndex = 8;
    S().HistorySettings[0] = 3;
    S().TempTarget = "t";
    m.SetPosition(0);
    S().LoadFromStream(m, 102);
    EXPECT_EQ(m.GetPosition(), m.GetSize());
    EXPECT_EQ(S().FindItem("v")->GetAsInt(), 5);
    EXPECT_EQ(S().TextDelay, 25);
    EXPECT_EQ(S().SelStr, "keep");
    EXPECT_EQ(S().SelIndex, 8);
    EXPECT_EQ(S().HistorySettings[0], 3);
    EXPECT_EQ(S().TempTarget, "t");
}

TEST_F(StoreTest, ReferenceToAnUnsavedTargetIsStillWritten) {
    TParamCollectionItem* st = Add(PT_INT, "st");
    st->Status = true;
    st->SetAsInt(6);
    TParamCollectionItem* r = Add(PT_NONE, "r");
    S().BindElement(dynamic_cast<TParamVar&>(r->GetParam()), "st", {0});
    TParamCollectionItem* p = Add(PT_NONE, "p");
    TParamCollectionItem* q = Add(PT_NONE, "q");
    dynamic_cast<TParamVar&>(p->GetParam()).SetTarget(q);
    dynamic_cast<TParamVar&>(q->GetParam()).SetTarget(p);
    TMemoryStream m;
    S().SaveToStream(m);
    m.SetPosition(0);
    S().LoadFromStream(m, 134);
    ASSERT_NE(S().FindItem("r"), nullptr);
    EXPECT_EQ(S().FindItem("r")->GetAsInt(), 6);
    EXPECT_NE(S().FindItem("p"), nullptr);
    EXPECT_NE(S().FindItem("q"), nullptr);
}

TEST_F(StoreTest, DamagedGameDataGivesAnErrorAndKeepsWhatWasRead) {
    TParamCollectionItem* x = Add(PT_INT, "x");
    x->SetAsInt(1);
    Add(PT_STR, "y")->SetAsStr("yy");
    TMemoryStream m;
    S().SaveToStream(m);
    const std::vector<uint8_t> full = m.Bytes();
    // Every truncation fails cleanly.
    for (size_t cut = 0; cut + 1 < full.size(); ++cut) {
        TReadOnlyMemoryStream part(full.data(), static_cast<int64_t>(cut));
        EXPECT_NE(ErrorOf([&] { S().LoadFromStream(part, 134); }), "(no error)") << cut;
        for (int32_t i = 50; i < S().Count(); ++i) EXPECT_FALSE(S().Item(i)->GetName().empty());
    }
    // An unknown type code and a huge variable count.
    std::vector<uint8_t> bad = full;
    bad[4] = 7;
    TReadOnlyMemoryStream b1(bad.data(), static_cast<int64_t>(bad.size()));
    EXPECT_EQ(ErrorOf([&] { S().LoadFromStream(b1, 134); }), "変数の型が不正です(7)");
    bad = full;
    bad[3] = 0x7F;
    TReadOnlyMemoryStream b2(bad.data(), static_cast<int64_t>(bad.size()));
    EXPECT_NE(ErrorOf([&] { S().LoadFromStream(b2, 134); }), "(no error)");
}

} // namespace
} // namespace vobe
