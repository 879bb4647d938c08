#include "archive/containers.h"
#include "archive/hash_collection.h"
#include "archive/stream.h"
#include "archive/utils.h"

#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "platform/cp932.h"

namespace vobe {
namespace {

class TNamed : public THashCollectionItem {
public:
    explicit TNamed(std::string n, int* freed = nullptr) : THashCollectionItem(std::move(n)), FFreed(freed) {}
    ~TNamed() override {
        if (FFreed) ++*FFreed;
    }
    int* FFreed;
};

TEST(HashName, Values) {
    struct Case {
        std::string name;
        int hash;
    } cases[] = {
        {"", 0},
        {"A", 16},
        {"a", 16},
        {"ab", (32 + 'a' + 'a') % 256},
        {"AB", (32 + 'a' + 'a') % 256},
        {"abc", (48 + 'b' + 'a') % 256},
        {"Xyz", (48 + 'y' + 'x') % 256},
        // Full-width "Ａ" lower-cases to "ａ" (0x82 0x81): the trail byte is the second-to-last byte.
        {"\x82\x60Z", (48 + 0x81 + 0x82) % 256},
        // A trail byte equal to 'A' is not a letter and stays.
        {"\x83\x41x", (48 + 0x41 + 0x83) % 256},
    };
    for (const auto& c : cases) EXPECT_EQ(HashName(c.name), c.hash) << c.name;
}

TEST(HashCollection, LookupIgnoresCaseAndNewestWins) {
    THashCollection h;
    auto* x = h.Add(std::make_unique<TNamed>("x"));
    auto* X = h.Add(std::make_unique<TNamed>("X"));
    h.Add(std::make_unique<TNamed>("other"));
    EXPECT_EQ(h.IndexOf("x"), 1);
    EXPECT_EQ(h.Find("X"), X);
    EXPECT_EQ(X->NextInBucket(), x);
    EXPECT_EQ(h.BucketHead(HashName("x")), X);
    EXPECT_EQ(h.IndexOf("OTHER"), 2);
    EXPECT_EQ(h.IndexOf("missing"), -1);
    // Full-width letters compare ignoring case too.
    h.Add(std::make_unique<TNamed>("\x82\x60\x82\x61"));
    EXPECT_EQ(h.IndexOf("\x82\x81\x82\x82"), 3);
}

TEST(HashCollection, RenameRefilesAndDeleteRenumbers) {
    THashCollection h;
    int freed = 0;
    for (const char* n : {"a", "b", "c", "d"}) h.Add(std::make_unique<TNamed>(n, &freed));
    h.Items(2)->SetName("zz");
    EXPECT_EQ(h.IndexOf("c"), -1);
    EXPECT_EQ(h.IndexOf("ZZ"), 2);
    h.Delete(1);
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(h.Count(), 3);
    EXPECT_EQ(h.IndexOf("b"), -1);
    EXPECT_EQ(h.IndexOf("zz"), 1);
    EXPECT_EQ(h.IndexOf("d"), 2);
    EXPECT_EQ(h.Items(2)->GetIndex(), 2);
    EXPECT_EQ(h.Items(0)->GetCollection(), &h);
    EXPECT_THROW(h.Items(3), EVobeError);
    // An unnamed item is filed once it gets a name.
    auto* u = h.Add(std::make_unique<TNamed>(""));
    EXPECT_EQ(u->GetBucket(), -1);
    u->SetName("late");
    EXPECT_EQ(h.IndexOf("LATE"), 3);
    h.Clear();
    EXPECT_EQ(freed, 4);
    EXPECT_EQ(h.IndexOf("a"), -1);
}

// The name index must always give what walking the bucket chain gives.
TEST(HashCollection, IndexAgreesWithChainWalk) {
    std::vector<std::string> pool = {"a",
                                           "A",
                                           "ab",
                                           "AB",
                                           "Ab",
                                           "abc",
                                           "x",
                                           "X",
                                           "\x82\x60",
                                           "\x82\x81",
                                           "",
                                           "long name of an item",
                                           "LONG NAME OF AN ITEM"};
    // Enough names to crowd the index, so that deleted slots sit inside and at the ends of runs.
    for (int i = 0; i < 40; ++i) pool.push_back("t" + std::to_string(i));
    auto walk = [](const THashCollection& h, const std::string& name) -> THashCollectionItem* {
        for (THashCollectionItem* p = h.BucketHead(HashName(name)); p; p = p->NextInBucket())
            if (AnsiSameText(p->GetName(), name)) return p;
        return nullptr;
    };
    THashCollection h;
    uint32_t r = 12345;
    auto next = [&](uint32_t n) {
        r = r * 1103515245u + 12345u;
        return (r >> 8) % n;
    };
    for (int step = 0; step < 4000; ++step) {
        const std::string& name = pool[next(static_cast<uint32_t>(pool.size()))];
        switch (next(4)) {
        case 0:
        case 1: h.Add(std::make_unique<TNamed>(name)); break;
        case 2:
            if (h.Count())
                h.Items(static_cast<int32_t>(next(static_cast<uint32_t>(h.Count()))))->SetName(name);
            break;
        case 3:
            if (h.Count()) h.Delete(static_cast<int32_t>(next(static_cast<uint32_t>(h.Count()))));
            break;
        }
        for (const std::string& q : pool) {
            ASSERT_EQ(h.Find(q), walk(h, q)) << "step " << step << " name " << q;
        }
    }
    for (int32_t i = 0; i < h.Count(); ++i) ASSERT_EQ(h.Items(i)->GetIndex(), i);
}

TEST(Rect, Helpers) {
    EXPECT_TRUE(Rect(5, 5, 5, 10).IsEmpty());
    EXPECT_EQ(UnionRect(Rect(0, 0, 10, 10), Rect(20, 5, 30, 30)), Rect(0, 0, 30, 30));
    EXPECT_EQ(UnionRect(Rect(0, 0, 0, 0), Rect(2, 2, 3, 3)), Rect(2, 2, 3, 3));
    EXPECT_EQ(IntersectRect(Rect(0, 0, 10, 10), Rect(5, 5, 20, 20)), Rect(5, 5, 10, 10));
    EXPECT_EQ(IntersectRect(Rect(0, 0, 10, 10), Rect(10, 0, 20, 10)), TRect{});
    EXPECT_EQ(OffsetRect(Rect(1, 2, 3, 4), 10, -2), Rect(11, 0, 13, 2));
    EXPECT_EQ(Bounds(3, 4, 10, 20), Rect(3, 4, 13, 24));
}

TEST(ClipList, MergeRule) {
    TClipList c;
    c.AddRect(Rect(0, 0, 10, 10));
    c.AddRect(Rect(25, 0, 35, 10)); // gap 15: merged
    ASSERT_EQ(c.Count(), 1);
    EXPECT_EQ(c.Get(0), Rect(0, 0, 35, 10));
    c.AddRect(Rect(60, 0, 70, 10)); // gap 25: apart
    ASSERT_EQ(c.Count(), 2);
    c.AddRect(Rect(0, 30, 10, 40)); // exactly 20 below: merged
    ASSERT_EQ(c.Count(), 2);
    EXPECT_EQ(c.Get(1), Rect(0, 0, 35, 40));

    // A rectangle bridging two merges them all, whatever their order in the list.
    c.AddRect(Rect(36, 0, 59, 5));
    ASSERT_EQ(c.Count(), 1);
    EXPECT_EQ(c.Get(0), Rect(0, 0, 70, 40));

    c.SetChanged(false);
    c.AddRect(Rect(5, 5, 6, 6));         // inside: nothing changes
    c.AddRect(Rect(100, 100, 100, 200)); // empty: ignored
    EXPECT_FALSE(c.Changed());
    EXPECT_EQ(c.Count(), 1);
    c.AddRect(Rect(500, 500, 510, 510));
    EXPECT_TRUE(c.Changed());
    // Extreme coordinates do not wrap into "near".
    c.AddRect(Rect(INT32_MAX - 5, 0, INT32_MAX, 5));
    EXPECT_EQ(c.Count(), 3);
}

TEST(TabStrings, Split) {
    struct Case {
        std::string line;
        std::vector<std::string> fields;
    } cases[] = {
        {"a\t\tb\t", {"a", "", "b"}},
        {"", {}},
        {"\t", {""}},
        {"one", {"one"}},
        // 0x95 0x09 is not a valid pair, but a lead byte still takes the next byte with it.
        {"\x95\x09x\ty", {"\x95\x09x", "y"}},
    };
    TTabStrings t;
    for (const auto& c : cases) {
        t.Split(c.line);
        ASSERT_EQ(t.Count(), static_cast<int32_t>(c.fields.size())) << c.line;
        for (size_t i = 0; i < c.fields.size(); ++i) EXPECT_EQ(t.Field(static_cast<int32_t>(i)), c.fields[i]);
        EXPECT_EQ(t.Field(99), "");
    }
    TTabStrings comma(',');
    comma.Split("1,2");
    EXPECT_EQ(comma.Field(1), "2");
}

TEST(IntLists, PutGrowsAndErrors) {
    TIntList l;
    l.Put(3, 7);
    EXPECT_EQ(l.Count(), 4);
    EXPECT_EQ(l.Get(0), 0);
    EXPECT_EQ(l.Get(3), 7);
    EXPECT_THROW(l.Get(4), EVobeError);
    EXPECT_THROW(l.Put(-1, 0), EVobeError);
    TIntArray a;
    a.Add(5);
    EXPECT_EQ(a.Get(0), 5);
    EXPECT_THROW(a.Get(1), EVobeError);
}

TEST(ObjList, OwnsItems) {
    struct Counted {
        explicit Counted(int* f) : freed(f) {}
        ~Counted() { ++*freed; }
        int* freed;
    };
    int freed = 0;
    TObjList<Counted> l;
    for (int i = 0; i < 3; ++i) l.Add(std::make_unique<Counted>(&freed));
    l.Delete(1);
    EXPECT_EQ(freed, 1);
    l.Clear();
    EXPECT_EQ(freed, 3);
}

TEST(ArrayString, StreamFormAndCorruptCount) {
    TArrayString a;
    a.Add("x");
    a.Add("");
    a.Add("\x82\xA0");
    TMemoryStream s;
    a.SaveToStream(s);
    const uint8_t expected[] = {3, 0, 0, 0, 1, 0, 0, 0, 'x', 0, 0, 0, 0, 2, 0, 0, 0, 0x82, 0xA0};
    ASSERT_EQ(s.Bytes(), std::vector<uint8_t>(expected, expected + sizeof expected));
    s.SetPosition(0);
    TArrayString b;
    b.LoadFromStream(s);
    EXPECT_EQ(b.Strings(), a.Strings());

    TMemoryStream bad;
    WriteInt32(bad, 0x7FFFFFFF);
    WriteInt32(bad, 0);
    bad.SetPosition(0);
    EXPECT_THROW(b.LoadFromStream(bad), EStreamError);
    EXPECT_EQ(b.Count(), 0);
}

TEST(Utils, ResolvePath) {
    struct Case {
        std::string path, base, expected;
    } cases[] = {
        {"..\\img\\a.png", "C:\\game\\data\\", "C:\\GAME\\img\\a.png"},
        {"..\\..\\a", "C:\\game\\data\\", "C:\\a"},
        {"..\\..\\..\\..\\a", "C:\\game\\data\\", "a"},
        {"img\\a.png", "C:\\game\\", "C:\\game\\img\\a.png"},
        {"\\abs\\x", "C:\\game\\", "\\abs\\x"},
        {"D:x", "C:\\game\\", "D:x"},
        {"a", "C:\\game\\", "a"},
        {"..\\x", "\\\\srv\\share\\dir\\", "\\\\SRV\\SHARE\\x"},
        {"..\\..\\..\\x", "\\\\srv\\share\\dir\\", "x"},
        {"..\\..\\x", "\\\\srv\\share\\dir\\", "\\\\SRV\\x"},
        // A trail byte 0x5C inside a folder name is no separator.
        {"..\\x", "C:\\\x95\x5C\\d\\", "C:\\\x95\x5C\\x"},
    };
    for (const auto& c : cases) EXPECT_EQ(ResolvePath(c.path, c.base), c.expected) << c.path << " " << c.base;
}

TEST(Utils, Unescape) {
    EXPECT_EQ(Unescape("a\\\"b\\\\c\\nd\\x"), "a\"b\\c\r\nd\\x");
    EXPECT_EQ(Unescape("\x95\x5C\\n"), "\x95\x5C\r\n"); // 0x5C trail byte kept, escape after it works
    EXPECT_EQ(Unescape("end\\"), "end\\");
}

TEST(Utils, CopyStreamAndScaleColor) {
    TMemoryStream src;
    src.WriteBuffer("abcdef", 6);
    TMemoryStream dst;
    EXPECT_EQ(CopyStream(dst, src, 0), 6);
    EXPECT_EQ(src.GetPosition(), 6);
    src.SetPosition(4);
    EXPECT_EQ(CopyStream(dst, src, 10), 2); // never past the memory's end
    EXPECT_EQ(std::string(reinterpret_cast<char*>(dst.Memory()), 8), "abcdefef");
    TReadOnlyMemoryStream ro("xyz", 3);
    TMemoryStream d2;
    EXPECT_EQ(CopyStream(d2, ro, 0), 3);

    EXPECT_EQ(ScaleColor(0xFF80FF40u, 128), 0x00407F20u);
    EXPECT_EQ(ScaleColor(0x00FFFFFFu, 256), 0x00FFFFFFu);
    EXPECT_EQ(ScaleColor(0x00FFFFFFu, 0), 0u);
    EXPECT_EQ(ScaleColor(0x00FFFFFFu, 999), 0x00FFFFFFu);
}

TEST(Utils, FontStyle) {
    TFontStyles s = IntToFontStyles(0xF5); // bold, underline, and ignored high bits
    EXPECT_TRUE(s.Has(fsBold));
    EXPECT_FALSE(s.Has(fsItalic));
    EXPECT_TRUE(s.Has(fsUnderline));
    EXPECT_EQ(FontStylesToInt(s), 5);
    EXPECT_EQ(FontStylesToInt(TFontStyles{fsItalic, fsStrikeOut}), 10);
}

// Rectangles from saved data or scripts may hold any coordinates; their arithmetic wraps as the
// machine's does rather than being undefined (checked under UBSan).
TEST(RectArithmetic, WrapsAtTheInt32Limits) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    TRect wide = Rect(kMin, 0, kMax, 10);
    EXPECT_EQ(wide.Width(), -1);
    TRect b = Bounds(kMax, 0, 2, 1);
    EXPECT_EQ(b.Right, kMin + 1);
    EXPECT_TRUE(b.IsEmpty());
    TRect o = OffsetRect(Rect(0, 0, 10, 10), kMax, kMin);
    EXPECT_EQ(o.Left, kMax);
    EXPECT_EQ(o.Right, kMin + 9);
    EXPECT_EQ(o.Top, kMin);
}

} // namespace
} // namespace vobe
