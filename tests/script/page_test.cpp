#include "script/page.h"

#include <gtest/gtest.h>

#include "bytes.h"
#include "framework/prop_table.h"
#include "platform/globals.h"
#include "script/command_factory.h"
#include "script/flow_commands.h"
#include "script/object_commands.h"
#include "script/page_dump.h"
#include "values/build_vobe_parser.h"
#include "values/param_collection.h"

namespace vobe {
namespace {

using test::PageHeader;
using test::TBytes;

std::string ExprText(const TVobeParser* e) {
    return e ? DumpExpr(*e) : "absent";
}

void Load(TPage& page, const TBytes& bytes) {
    TMemoryStream s = bytes.stream();
    page.SetName("test.vsb");
    page.LoadFromStream(s);
}

// A full 21-byte row with the given property ids set.
std::vector<uint8_t> Row(std::initializer_list<int> ids, size_t size = 21) {
    std::vector<uint8_t> row(size, 0);
    for (int id : ids)
        if (static_cast<size_t>(id / 8) < size)
            row[static_cast<size_t>(id / 8)] |= static_cast<uint8_t>(1 << (id % 8));
    return row;
}

TEST(PageFormat, MaskBitsSelectTheBoxPropertiesInIdOrder) {
    std::vector<std::vector<uint8_t>> rows(61);
    rows[8] = Row({0, 3});
    TBytes p = PageHeader(110, 0, 61, 21, rows);
    p.i32(2);
    p.u8(8).header(0, 0, 1, 7).strExpr("bg").intExpr(40);
    p.u8(45).header(0, 0, 0, 8); // terminate: shows the box read exactly two expressions
    TPage page;
    Load(page, p);
    ASSERT_EQ(page.Count(), 2);
    auto* box = dynamic_cast<TComBoxNew*>(page.Items(0));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetKind(), ckBoxNew);
    EXPECT_EQ(ExprText(box->Prop(0)), "{ocTo ____arg str:\"bg\"}");
    EXPECT_EQ(ExprText(box->Prop(3)), "{ocTo ____arg int:40}");
    for (int id = 0; id < PropertyCount; ++id)
        if (id != 0 && id != 3) {
            EXPECT_FALSE(box->HasProp(id)) << id;
        }
    EXPECT_EQ(box->line, 7);
    EXPECT_TRUE(box->GetContinue());
    EXPECT_EQ(page.Items(1)->GetKind(), ckTerminate);
}

TEST(PageFormat, RowSizesAndRowCounts) {
    struct Case {
        const char* what;
        int32_t t, r;
        bool has161, has159;
    };
    // Properties 159 and 161 live in byte 19 and 20 of a row.
    const Case cases[] = {
        {"R = 21", 61, 21, true, true},
        {"R = 42: the second half of each row is skipped", 61, 42, true, true},
        {"R = 20: the last mask byte stays 0", 61, 20, false, true},
        {"T = 0: no row at all", 0, 21, false, false},
        {"T = 70: rows past 60 are skipped", 70, 21, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::vector<uint8_t>> rows(static_cast<size_t>(c.t));
        if (c.t > 8) {
            rows[8] = Row({159, 161}, static_cast<size_t>(c.r));
            if (c.r > 21) std::fill(rows[8].begin() + 21, rows[8].end(), 0xFF); // must be ignored
        }
        if (c.t > 65) rows[65] = std::vector<uint8_t>(static_cast<size_t>(c.r), 0xFF);
        TBytes p = PageHeader(110, 0, c.t, c.r, rows);
        p.i32(2);
        p.u8(8).header(0, 0, 0, 1);
        if (c.has159) p.intExpr(159);
        if (c.has161) p.intExpr(161);
        p.u8(22).header(0, 0, 0, 2);
        TPage page;
        Load(page, p);
        ASSERT_EQ(page.Count(), 2);
        auto* box = dynamic_cast<TComComponent*>(page.Items(0));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->HasProp(159), c.has159);
        EXPECT_EQ(box->HasProp(161), c.has161);
        int present = 0;
        for (int id = 0; id < PropertyCount; ++id) present += box->HasProp(id);
        EXPECT_EQ(present, int(c.has159) + int(c.has161));
        EXPECT_EQ(page.Items(1)->GetKind(), ckClrHist);
    }
}

TEST(PageFormat, TypeByteBit7IsIgnored) {
    TBytes p = PageHeader(110, 0, 0, 21);
    p.i32(2);
    p.u8(0x88).header(0, 0, 0, 1);
    p.u8(0x80 | 27).header(0, 0, 0, 2).str("note");
    TPage page;
    Load(page, p);
    ASSERT_EQ(page.Count(), 2);
    EXPECT_NE(dynamic_cast<TComBoxNew*>(page.Items(0)), nullptr);
    EXPECT_NE(dynamic_cast<TComComment*>(page.Items(1)), nullptr);
}

TEST(PageFormat, VersionDependentFields) {
    struct Case {
        int32_t version;
        bool block, index, paused;
    };
    for (const Case& c :
         {Case{105, false, true, false}, Case{104, false, false, false}, Case{106, false, true, false},
          Case{107, true, true, false}, Case{108, true, true, true}, Case{110, true, true, true}}) {
        SCOPED_TRACE(c.version);
        TBytes p = PageHeader(c.version, 0, 0, 21);
        p.i32(6);
        p.u8(7).header(0, 0, 0, 1).varExpr("c").intExpr(100); // wait
        if (c.block) p.boolExpr(true);
        p.u8(21).header(0, 0, 0, 2).strExpr("bgm").intExpr(500).boolExpr(true); // movie stop
        if (c.block) p.boolExpr(false);
        p.u8(20).header(0, 0, 0, 3).i32(3).raw("abc").strExpr("mes").boolExpr(true).boolExpr(true);
        if (c.block) p.boolExpr(true);
        p.u8(38).header(0, 0, 1, 4).intExpr(1).str("resume.vsb"); // game save
        if (c.index) p.i32(12);
        p.strExpr("cap");
        p.u8(57).header(0, 0, 0, 5).strExpr("m").strExpr("t").intExpr(3).intExpr(10).intExpr(1000).intExpr(2);
        if (c.paused) p.boolExpr(true);
        p.u8(13).header(0, 0, 0, 6); // flip
        p.intExpr(5).intExpr(300).boolExpr(false).intExpr(0).i32(2).strExpr("bg").strExpr("ui");
        p.boolExpr(true).intExpr(1).intExpr(2).strExpr("s");
        if (c.block) p.boolExpr(true);
        TPage page;
        Load(page, p);
        ASSERT_EQ(page.Count(), 6);
        auto* wait = dynamic_cast<TComWait*>(page.Items(0));
        auto* stop = dynamic_cast<TComMovieStop*>(page.Items(1));
        auto* ins = dynamic_cast<TComTextIns*>(page.Items(2));
        auto* save = dynamic_cast<TComGameSave*>(page.Items(3));
        auto* motion = dynamic_cast<TComPropMotion*>(page.Items(4));
        auto* flip = dynamic_cast<TComFlip*>(page.Items(5));
        ASSERT_TRUE(wait && stop && ins && save && motion && flip);
        EXPECT_EQ(wait->FBlockEvents != nullptr, c.block);
        EXPECT_EQ(stop->FBlockEvents != nullptr, c.block);
        EXPECT_EQ(ins->FBlockEvents != nullptr, c.block);
        EXPECT_EQ(flip->FBlockEvents != nullptr, c.block);
        EXPECT_EQ(motion->FPaused != nullptr, c.paused);
        EXPECT_EQ(save->FIndex, c.index ? 12 : 0);
        EXPECT_EQ(save->FPageName, "resume.vsb");
        EXPECT_EQ(ExprText(save->FCaption.get()), "{ocTo ____arg str:\"cap\"}");
        EXPECT_EQ(std::string(ins->FText.begin(), ins->FText.end()), "abc");
        EXPECT_EQ(ExprText(wait->FCond.get()), "{ocTo ____arg var:c}");
        EXPECT_EQ(flip->FNames.size(), 2u);
        EXPECT_EQ(ExprText(flip->FStrParam.get()), "{ocTo ____arg str:\"s\"}");
        EXPECT_FALSE(save->GetContinue()); // fixed by class whatever the header says
    }
}

TEST(PageFormat, VersionLimits) {
    int rebuilds = 0;
    std::string rebuildText;
    PageServices().RebuildAndClose = [&](const std::string&, const std::string& text) {
        ++rebuilds;
        rebuildText = text;
    };
    {
        TBytes p = PageHeader(102, 0, 0, 21);
        p.i32(1).u8(45).header(0, 0, 0, 1);
        Terminating = false;
        TPage page;
        Load(page, p);
        EXPECT_EQ(page.Count(), 0);
        EXPECT_TRUE(Terminating);
        EXPECT_EQ(rebuilds, 1);
        EXPECT_EQ(rebuildText, "test.vsb\r\n" + SJ("リビルドしてください"));
    }
    {
        TBytes p;
        p.i32(111).u8(0xFF); // nothing after the version is looked at
        Terminating = false;
        TPage page;
        Load(page, p);
        EXPECT_EQ(page.Count(), 0);
        EXPECT_FALSE(Terminating);
        EXPECT_EQ(rebuilds, 1);
    }
    PageServices().RebuildAndClose = nullptr;
    Terminating = false;
}

TEST(PageFormat, UnknownCommandCode) {
    for (uint8_t code : {uint8_t(61), uint8_t(0x7F), uint8_t(0xFF)}) {
        TBytes p = PageHeader(110, 0, 0, 21);
        p.i32(1).u8(code).header(0, 0, 0, 1);
        TPage page;
        try {
            Load(page, p);
            FAIL() << "code " << int(code) << " was accepted";
        } catch (const EVobeError& e) {
            EXPECT_EQ(e.Message(), SJ("不正なコマンド"));
        }
        EXPECT_EQ(page.Count(), 0);
    }
}

TEST(PageFormat, DamagedPagesFailCleanly) {
    std::vector<std::vector<uint8_t>> rows(61);
    rows[8] = Row({0, 3, 50});
    TBytes good = PageHeader(110, 4, 61, 21, rows);
    good.i32(3);
    good.u8(8).header(0, 0, 1, 1).strExpr("a").intExpr(1).strExpr("text");
    good.u8(5)
        .header(0, 0, 1, 2)
        .str("sub.vsb")
        .i32(0)
        .str("r")
        .boolExpr(true)
        .i32(2)
        .intExpr(1)
        .varExpr("x");
    good.u8(59).header(0, 0, 1, 3).boolExpr(true).i32(1).strExpr("bg");
    // Cabinet commands read no props here (row 59 is empty): mode, then the list count and expressions.
    {
        TPage page;
        Load(page, good);
        ASSERT_EQ(page.Count(), 3);
        EXPECT_EQ(page.ResultType, 4);
    }
    // Every proper prefix fails with an error that names the page.
    for (size_t n = 0; n < good.b.size(); ++n) {
        TBytes cut;
        cut.b.assign(good.b.begin(), good.b.begin() + static_cast<long>(n));
        TPage page;
        EXPECT_THROW(Load(page, cut), EVobeError) << n;
        EXPECT_EQ(page.Count(), 0);
    }
    // Counts and lengths beyond the data.
    const std::vector<TBytes> corrupt = {
        TBytes(PageHeader(110, 0, 0, 21)).i32(0x7FFFFFFF),
        TBytes().i32(110).u8(0).i32(0x10000).i32(0x10000),
        TBytes().i32(110).u8(0).i32(-1).i32(21),
        TBytes(PageHeader(110, 0, 0, 21)).i32(1).u8(3).header(0, 0, 0, 1).i32(0x7FFFFFF0),
        TBytes(PageHeader(110, 0, 0, 21)).i32(1).u8(20).header(0, 0, 0, 1).i32(0x7FFFFFF0),
        TBytes(PageHeader(110, 0, 0, 21))
            .i32(1)
            .u8(5)
            .header(0, 0, 0, 1)
            .str("p")
            .i32(0)
            .str("")
            .noExpr()
            .i32(0x40000000),
    };
    for (size_t i = 0; i < corrupt.size(); ++i) {
        TPage page;
        try {
            Load(page, corrupt[i]);
            ADD_FAILURE() << "case " << i << " was accepted";
        } catch (const EVobeError& e) {
            EXPECT_EQ(e.Message().rfind("test.vsb", 0), 0u) << i;
        }
    }
}

TEST(PageFormat, FlagsFixedByClass) {
    TPage page;
    struct Case {
        int32_t code;
        int skip, cont; // -1: the header's value
    };
    const Case cases[] = {{ckComment, 1, 0},    {ckElse, -1, 1},    {ckWhileInit, -1, 1},
                          {ckWhileLoop, -1, 1}, {ckDoEvent, -1, 0}, {ckGameSave, -1, 0},
                          {ckGameLoad, -1, 0},  {ckIf, -1, -1},     {ckCalc, -1, -1}};
    for (const Case& c : cases) {
        for (uint8_t header : {uint8_t(0), uint8_t(1)}) {
            auto cmd = CreateCommand(c.code, &page);
            cmd->FSkip = header;
            cmd->FContinue = header;
            EXPECT_EQ(cmd->GetKind(), c.code);
            EXPECT_EQ(cmd->GetSkip(), c.skip < 0 ? header != 0 : c.skip != 0) << c.code;
            EXPECT_EQ(cmd->GetContinue(), c.cont < 0 ? header != 0 : c.cont != 0) << c.code;
        }
    }
    EXPECT_TRUE(CreateCommand(ckDoEvent, &page)->IsWaiting());
    // Labels compare exactly; comments are never labels.
    auto label = CreateCommand(ckLabel, &page);
    static_cast<TComLabel*>(label.get())->FName = "Start";
    EXPECT_TRUE(label->IsLabel("Start"));
    EXPECT_FALSE(label->IsLabel("start"));
    auto comment = CreateCommand(ckComment, &page);
    static_cast<TComLabel*>(comment.get())->FName = "Start";
    EXPECT_FALSE(comment->IsLabel("Start"));
}

TEST(PageFormat, EveryKindRoundTripsThroughTheWriter) {
    // One command of every kind with every field filled, written and read back.
    TPage page;
    page.ResultType = 2;
    for (int32_t k = 0; k < CommandKindCount; ++k) page.SetMaskBit(k, k, true);
    page.SetMaskBit(ckBoxNew, 161, true);
    for (int32_t k = 0; k < CommandKindCount; ++k) {
        auto c = CreateCommand(k, &page);
        c->indent = k % 3;
        c->line = 100 + k;
        c->FContinue = k & 1;
        c->FSkip = (k % 5) == 0;
        struct TFiller : TFieldVisitor {
            int32_t n = 0;
            int32_t Version() const override { return PageVersion; }
            TExprPtr Make() {
                auto text = std::to_string(++n);
                TBytes b;
                b.intExpr(n);
                TMemoryStream s = b.stream();
                auto e = std::make_unique<TVobeParser>();
                e->LoadFromStream(s);
                return e;
            }
            void Expr(const char*, TExprPtr& e) override { e = Make(); }
            void Str(const char*, std::string& s) override { s = "s" + std::to_string(++n); }
            void Int(const char*, int32_t& v) override { v = ++n; }
            void Byte(const char*, uint8_t& v) override { v = static_cast<uint8_t>(++n); }
            void ExprList(const char*, std::vector<TExprPtr>& l) override {
                l.push_back(Make());
                l.push_back(Make());
            }
            void Data(const char*, std::vector<uint8_t>& d) override { d = {1, 2, 0, 255}; }
            void Props(TComComponent& c) override {
                for (auto& slot : c.FProps)
                    if (slot) slot = Make();
            }
        } filler;
        c->VisitFields(filler);
        page.Add(std::move(c));
    }
    TMemoryStream s;
    page.SaveToStream(s);
    s.SetPosition(0);
    TPage back;
    back.LoadFromStream(s);
    EXPECT_EQ(s.Remaining(), 0);
    ASSERT_EQ(back.Count(), CommandKindCount);
    back.SetName(page.GetName());
    EXPECT_EQ(DumpPage(back), DumpPage(page));
}

} // namespace
} // namespace vobe

namespace vobe {
namespace {

TEST(ComponentCommand, PropertySlotsEvaluateWithDefaults) {
    CreateParamCollection();
    ParamCollection->AddNamedParam(PT_INT, "x")->SetAsInt(7);
    TPage page;
    for (int id : {PR_LEFT, PR_TOP, PR_COLOR, PR_VISIBLE, PR_NAME, PR_PARAM1})
        page.SetMaskBit(ckBoxNew, id, true);
    TComBoxNew box(&page);
    CompileExpression("x * 2", *box.FProps[PR_LEFT]);
    CompileExpression("missing + 1", *box.FProps[PR_TOP]); // no value: the default stands in
    CompileExpression("FALSE", *box.FProps[PR_VISIBLE]);
    CompileExpression("\"bg\" ++ x", *box.FProps[PR_NAME]);
    CompileExpression("2.5", *box.FProps[PR_PARAM1]);
    EXPECT_EQ(box.PropInt(PR_LEFT, 0), 14);
    EXPECT_EQ(box.PropInt(PR_TOP, -5), -5);
    EXPECT_EQ(box.PropInt(PR_COLOR, -1), -1); // present, without operations
    EXPECT_EQ(box.PropInt(PR_WIDTH, 99), 99); // absent
    EXPECT_FALSE(box.PropBool(PR_VISIBLE, true));
    EXPECT_EQ(box.PropStr(PR_NAME, ""), "bg7");
    EXPECT_EQ(box.PropFloat(PR_PARAM1, 0), 2.5L);
    FreeParamCollection();
}

TEST(PageLifetime, FreeingAPageDeletesItsOwnVariable) {
    CreateParamCollection();
    ParamCollection
        ->AddNamedParam(PT_INT, "\x01"
                                "menu.vsb")
        ->SetAsInt(1);
    ParamCollection
        ->AddNamedParam(PT_INT, "\x01"
                                "other.vsb")
        ->SetAsInt(1);
    {
        TPage page;
        page.SetName("menu.vsb");
    }
    EXPECT_EQ(ParamCollection->FindItem("\x01"
                                        "menu.vsb"),
              nullptr);
    EXPECT_NE(ParamCollection->FindItem("\x01"
                                        "other.vsb"),
              nullptr);
    FreeParamCollection();
}

} // namespace
} // namespace vobe
