// Value classes: the conversion table, arrays and dimensions, references, and the stored forms.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "archive/stream.h"
#include "platform/cp932.h"
#include "platform/error.h"
#include "values/param.h"
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

TEST(FloatText, GeneralFormatWith15Digits) {
    struct Case {
        long double x;
        const char* text;
    } cases[] = {
        {0.5L, "0.5"},
        {3.141592653589793238L, "3.14159265358979"},
        {1e20L, "1E20"},
        {-2.5e-7L, "-2.5E-7"},
        {1e-5L, "1E-5"},
        {0.0001L, "0.0001"},
        {0.00012345L, "0.00012345"},
        {123456789012345.0L, "123456789012345"},
        {1e15L, "1E15"},
        {1234567890123456.0L, "1.23456789012346E15"},
        {100.0L, "100"},
        {-1234567.25L, "-1234567.25"},
        {0.0L, "0"},
        {1.0L / 3, "0.333333333333333"},
        {2.0L / 3, "0.666666666666667"},
        {999999999999999.9L, "1E15"},
        {1e-300L, "1E-300"},
    };
    for (const auto& c : cases) EXPECT_EQ(FloatToStr(c.x), c.text) << static_cast<double>(c.x);
}

TEST(TextNumbers, WhatCountsAsANumber) {
    struct Case {
        const char* text;
        bool isInt;
        int32_t i;
        bool isFloat;
        double f;
    } cases[] = {
        {"42", true, 42, true, 42},
        {"-5", true, -5, true, -5},
        {"+7", true, 7, true, 7},
        {"  12", true, 12, true, 12},
        {"12 ", false, 0, true, 12},
        {"2147483647", true, 2147483647, true, 2147483647.0},
        {"-2147483648", true, INT32_MIN, true, -2147483648.0},
        {"2147483648", false, 0, true, 2147483648.0},
        {"$FF", true, 255, false, 0},
        {"0x10", true, 16, false, 0},
        {"$FFFFFFFF", true, -1, false, 0},
        {"4.5", false, 0, true, 4.5},
        {".5", false, 0, true, 0.5},
        {"1.", false, 0, true, 1},
        {"1e3", false, 0, true, 1000},
        {"1E-2", false, 0, true, 0.01},
        {"1e", false, 0, false, 0},
        {"e5", false, 0, false, 0},
        {".", false, 0, false, 0},
        {"", false, 0, false, 0},
        {"abc", false, 0, false, 0},
        {"1e9999", false, 0, false, 0},
        {"inf", false, 0, false, 0},
        {"0x1p3", false, 0, false, 0},
        {"1,5", false, 0, false, 0},
    };
    for (const auto& c : cases) {
        int32_t i = 0;
        long double f = 0;
        EXPECT_EQ(TryStrToInt(c.text, i), c.isInt) << c.text;
        if (c.isInt) {
            EXPECT_EQ(i, c.i) << c.text;
        }
        EXPECT_EQ(TryStrToFloat(c.text, f), c.isFloat) << c.text;
        if (c.isFloat) {
            EXPECT_DOUBLE_EQ(static_cast<double>(f), c.f) << c.text;
        }
    }
}

// Every stored type read as every type: the conversion table.
TEST(Conversion, TableOfReads) {
    auto mk = [](TParamType t) { return CreateParam(t); };
    struct Case {
        TParamType type;
        std::function<void(TCustomParam&)> set;
        int32_t asInt;
        double asFloat;
        bool asBool;
        const char* asStr;
    } cases[] = {
        {PT_INT, [](TCustomParam& p) { p.SetAsInt(-5); }, -5, -5, true, "-5"},
        {PT_INT, [](TCustomParam& p) { p.SetAsInt(0); }, 0, 0, false, "0"},
        {PT_FLOAT, [](TCustomParam& p) { p.SetAsFloat(2.9L); }, 2, 2.9, true, "2.9"},
        {PT_FLOAT, [](TCustomParam& p) { p.SetAsFloat(-2.9L); }, -2, -2.9, true, "-2.9"},
        {PT_FLOAT, [](TCustomParam& p) { p.SetAsFloat(3e9L); }, -1294967296, 3e9, true, "3000000000"},
        {PT_FLOAT, [](TCustomParam& p) { p.SetAsFloat(0); }, 0, 0, false, "0"},
        {PT_BOOL, [](TCustomParam& p) { p.SetAsBool(true); }, 1, 1, true, "TRUE"},
        {PT_BOOL, [](TCustomParam& p) { p.SetAsBool(false); }, 0, 0, false, "FALSE"},
        {PT_STR, [](TCustomParam& p) { p.SetAsStr("42"); }, 42, 42, false, "42"},
        {PT_STR, [](TCustomParam& p) { p.SetAsStr("4.5"); }, 0, 4.5, false, "4.5"},
        {PT_STR, [](TCustomParam& p) { p.SetAsStr("abc"); }, 0, 0, false, "abc"},
        {PT_STR, [](TCustomParam& p) { p.SetAsStr("TRUE"); }, 0, 0, true, "TRUE"},
        {PT_STR, [](TCustomParam& p) { p.SetAsStr("true"); }, 0, 0, false, "true"},
    };
    for (const auto& c : cases) {
        auto p = mk(c.type);
        c.set(*p);
        EXPECT_EQ(p->GetAsInt(), c.asInt) << c.asStr;
        EXPECT_DOUBLE_EQ(static_cast<double>(p->GetAsFloat()), c.asFloat) << c.asStr;
        EXPECT_EQ(p->GetAsBool(), c.asBool) << c.asStr;
        EXPECT_EQ(p->GetAsStr(), c.asStr);
        EXPECT_EQ(p->GetParamType(), c.type);
    }
}

TEST(Conversion, WritesIntoEachType) {
    TParamInt i;
    i.SetAsFloat(2.9L);
    EXPECT_EQ(i.GetAsInt(), 2);
    i.SetAsFloat(-2.9L);
    EXPECT_EQ(i.GetAsInt(), -2);
    i.SetAsStr("x");
    EXPECT_EQ(i.GetAsInt(), 0);
    i.SetAsBool(true);
    EXPECT_EQ(i.GetAsInt(), 1);

    TParamFlag b;
    b.SetAsFloat(0.1L);
    EXPECT_TRUE(b.GetAsBool());
    b.SetAsInt(0);
    EXPECT_FALSE(b.GetAsBool());
    b.SetAsInt(-3);
    EXPECT_EQ(b.Values[0], 1);
    b.SetAsStr("TRUE");
    EXPECT_TRUE(b.GetAsBool());
    b.SetAsStr("1");
    EXPECT_FALSE(b.GetAsBool());

    TParamStr s;
    s.SetAsInt(-5);
    EXPECT_EQ(s.GetAsStr(), "-5");
    s.SetAsFloat(1e20L);
    EXPECT_EQ(s.GetAsStr(), "1E20");
    s.SetAsBool(false);
    EXPECT_EQ(s.GetAsStr(), "FALSE");

    TParamFloat f;
    f.SetAsStr("1e3");
    EXPECT_EQ(f.GetAsFloat(), 1000);
    f.SetAsInt(7);
    EXPECT_EQ(f.GetAsStr(), "7");
}

TEST(Arrays, DimensionsAreRowMajor) {
    TParamInt a;
    a.SetDims({2, 3});
    EXPECT_EQ(a.GetCount(), 6);
    EXPECT_EQ(a.GetDimCount(), 2);
    EXPECT_EQ(a.GetDim(0), 2);
    EXPECT_EQ(a.GetDim(1), 3);
    EXPECT_EQ(a.GetDim(2), 1);
    for (int i = 0; i < 6; ++i) a.SetIntAt(i, i * 10);
    EXPECT_EQ(a.GetIntAt(5), 50);
    EXPECT_EQ(a.GetAsInt(), 0);
    EXPECT_EQ(ErrorOf([&] { a.GetIntAt(6); }), "配列の添字が不正です");
    EXPECT_EQ(ErrorOf([&] { a.SetStrAt(-1, "1"); }), "配列の添字が不正です");

    // A refused size changes nothing.
    EXPECT_EQ(ErrorOf([&] { a.SetDims({3, 0}); }), "配列の要素数[3,0]が不正です");
    EXPECT_EQ(a.GetCount(), 6);
    EXPECT_EQ(a.GetDimCount(), 2);
    EXPECT_EQ(ErrorOf([&] { a.SetDims({100000, 100000}); }), "配列の要素数[100000,100000]が不正です");

    // Resizing keeps the flat elements that remain.
    a.SetDims({4});
    EXPECT_EQ(a.GetIntAt(3), 30);

    // A scalar write makes a scalar.
    TParamStr s;
    s.SetDims({6});
    s.SetStrAt(0, "first");
    s.SetAsInt(7);
    EXPECT_EQ(s.GetCount(), 1);
    EXPECT_TRUE(s.Dims.empty());
    EXPECT_EQ(s.GetAsStr(), "7");
    EXPECT_EQ(s.GetDimCount(), 1);
}

TEST(Arrays, FillCopyMemCopyFromAndIndexOfStr) {
    TParamStr s;
    s.SetDims({3});
    s.FillStr("x");
    s.SetStrAt(1, "Apple");
    EXPECT_EQ(s.IndexOfStr("apple", true, false), -1);
    EXPECT_EQ(s.IndexOfStr("apple", false, false), 1);
    EXPECT_EQ(s.IndexOfStr("Apple", true, false), 1);
    EXPECT_EQ(s.IndexOfStr("PP", false, true), 1);
    EXPECT_EQ(s.IndexOfStr("PP", true, true), -1);
    EXPECT_EQ(s.IndexOfStr("x", true, false), 0);

    TParamStr t;
    t.CopyMem(s);
    EXPECT_EQ(t.GetCount(), 3);
    EXPECT_EQ(t.Dims, std::vector<int32_t>{3});
    EXPECT_EQ(t.GetStrAt(1), "Apple");
    TParamInt i;
    EXPECT_EQ(ErrorOf([&] { i.CopyMem(s); }), "CopyMem:変数の型があいません");

    // CopyMem from a scalar leaves one dimension of size 1.
    TParamInt scalar, arr;
    scalar.SetAsInt(9);
    arr.SetDims({5});
    arr.CopyMem(scalar);
    EXPECT_EQ(arr.GetCount(), 1);
    EXPECT_EQ(arr.Dims, std::vector<int32_t>{1});

    // CopyFrom converts element by element.
    TParamFloat f;
    f.SetDims({2, 2});
    f.SetFloatAt(3, 2.75L);
    TParamInt fi;
    fi.CopyFrom(f);
    EXPECT_EQ(fi.Dims, (std::vector<int32_t>{2, 2}));
    EXPECT_EQ(fi.GetIntAt(3), 2);
    TParamStr fs;
    fs.CopyFrom(f);
    EXPECT_EQ(fs.GetStrAt(3), "2.75");

    TParamFlag b;
    b.SetDims({4});
    b.FillBool(true);
    EXPECT_TRUE(b.GetBoolAt(3));
    i.SetDims({2});
    i.FillInt(-1);
    EXPECT_EQ(i.GetIntAt(1), -1);
}

TEST(Factory, CreatesByLow7Bits) {
    EXPECT_NE(dynamic_cast<TParamVar*>(CreateParam(0).get()), nullptr);
    EXPECT_NE(dynamic_cast<TParamInt*>(CreateParam(1).get()), nullptr);
    EXPECT_NE(dynamic_cast<TParamFloat*>(CreateParam(2).get()), nullptr);
    EXPECT_NE(dynamic_cast<TParamFlag*>(CreateParam(3).get()), nullptr);
    EXPECT_NE(dynamic_cast<TParamStr*>(CreateParam(0x84).get()), nullptr);
    EXPECT_EQ(CreateParam(5), nullptr);
    EXPECT_EQ(CreateParam(127), nullptr);
    auto p = CreateParam(PT_FLOAT);
    EXPECT_EQ(p->GetCount(), 1);
    EXPECT_EQ(p->GetAsFloat(), 0);
}

template <typename T> void RoundTrip(const T& src, T& dst) {
    TMemoryStream m;
    src.SaveToStream(m);
    m.SetPosition(0);
    dst.LoadFromStream(m);
    EXPECT_EQ(m.GetPosition(), m.GetSize());
}

TEST(StoredForm, ValuesRoundTripByteExact) {
    TParamInt i;
    i.SetDims({2, 2});
    i.SetIntAt(3, -7);
    TMemoryStream m;
    i.SaveToStream(m);
    const std::vector<uint8_t> expect = {2, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 4,    0,    0,    0,
                                         0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF9, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(m.Bytes(), expect);

    TParamInt i2;
    RoundTrip(i, i2);
    EXPECT_EQ(i2.Dims, i.Dims);
    EXPECT_EQ(i2.Values, i.Values);

    TParamFloat f, f2;
    f.SetAsFloat(3.141592653589793238L);
    RoundTrip(f, f2);
    EXPECT_EQ(f2.GetAsFloat(), f.GetAsFloat());

    TParamFlag b, b2;
    b.SetDims({3});
    b.SetBoolAt(2, true);
    RoundTrip(b, b2);
    EXPECT_EQ(b2.Values, b.Values);

    TParamStr s, s2;
    s.SetDims({2});
    s.SetStrAt(0, SJ("日本語"));
    s.SetStrAt(1, std::string("a\0b", 3));
    RoundTrip(s, s2);
    EXPECT_EQ(s2.Values, s.Values);
}

TEST(StoredForm, DamagedDataIsRefusedWithoutHugeAllocations) {
    auto load = [](TCustomParam& p, std::vector<uint8_t> bytes) {
        TReadOnlyMemoryStream m(bytes.data(), static_cast<int64_t>(bytes.size()));
        return ErrorOf([&] { p.LoadFromStream(m); });
    };
    TParamInt i;
    TParamStr s;
    TParamFloat f;
    // A dimension count far beyond the data.
    EXPECT_NE(load(i, {0xFF, 0xFF, 0xFF, 0x7F}), "(no error)");
    // Negative dimension count.
    EXPECT_NE(load(i, {0xFF, 0xFF, 0xFF, 0xFF}), "(no error)");
    // An element count beyond the data.
    EXPECT_NE(load(i, {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x0F}), "(no error)");
    EXPECT_NE(load(s, {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x0F}), "(no error)");
    EXPECT_NE(load(f, {0, 0, 0, 0, 2, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), "(no error)");
    // A string length past the end.
    EXPECT_NE(load(s, {0, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0, 0, 'a'}), "(no error)");
    // Truncated in the middle.
    EXPECT_NE(load(i, {0, 0, 0, 0, 1, 0, 0}), "(no error)");
    // A failed load leaves a usable value.
    EXPECT_GE(i.GetCount(), 1);
    i.SetAsInt(3);
    EXPECT_EQ(i.GetAsInt(), 3);
}

} // namespace
} // namespace vobe
