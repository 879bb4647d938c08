// Layered images: files built byte by byte from the format's rules (every version, every block kind,
// tiles shared across frames, masks, scrambling), the composition of layers, the writer's exact
// output and round trips through it, the conversions after loading, and damaged files.
#include <gtest/gtest.h>

#include <png.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "graphics/dibx.h"
#include "graphics/vask_image.h"
#include "platform/cp932.h"
#include "platform/error.h"
#include "platform/paths.h"
#include "vask_bytes.h"

namespace vobe {
namespace {

using test::TBlock;
using test::TPixelFn;
using test::TTileSpec;
using test::TVsk;

// Two busy pictures (0x00RRGGBB) so that every channel and position matters.
uint32_t P1(int32_t x, int32_t y) {
    return (static_cast<uint32_t>((x * 40 + y * 3 + 5) & 0xFF) << 16) |
           (static_cast<uint32_t>((y * 50 + x) & 0xFF) << 8) | static_cast<uint32_t>((x * y * 7 + 11) & 0xFF);
}
uint32_t P2(int32_t x, int32_t y) {
    return (static_cast<uint32_t>((200 - x * 9 + y) & 0xFF) << 16) |
           (static_cast<uint32_t>((x * 31 + 90) & 0xFF) << 8) |
           static_cast<uint32_t>((y * 77 + x * 3) & 0xFF);
}
uint32_t Grey(uint32_t v) {
    return v * 0x010101u;
}

// A frame as the 32-bit display shows it, and its mask (empty when it has none).
struct TShown {
    int32_t W = 0, H = 0;
    std::vector<uint32_t> Px;
    std::vector<uint8_t> Mask;
    uint32_t At(int32_t x, int32_t y) const { return Px[static_cast<size_t>(y) * W + x]; }
};

TShown Show(const TVaskFrame& f) {
    TDIBX s;
    s.SetSize(1, 1, 32);
    f.CopyToSurface(s);
    TShown r;
    r.W = s.Width();
    r.H = s.Height();
    for (int32_t y = 0; y < r.H; ++y)
        for (int32_t x = 0; x < r.W; ++x) r.Px.push_back(s.GetPixel(x, y));
    if (f.HasMask()) {
        TDIBX m;
        f.CopyMaskToSurface(m);
        for (int32_t y = 0; y < m.Height(); ++y)
            for (int32_t x = 0; x < m.Width(); ++x) r.Mask.push_back(static_cast<uint8_t>(m.GetPixel(x, y)));
    }
    return r;
}

// Loads through a memory stream (blocks decoded in place) and through a plain stream (blocks copied
// first); both must agree.
void Load(TVaskFrameList& list, const std::vector<uint8_t>& bytes, bool firstOnly = false) {
    TVaskFrameList other(list.ScrambleKey);
    TReadOnlyMemoryStream plain(bytes.data(), static_cast<int64_t>(bytes.size()));
    other.LoadFromStream(plain, firstOnly);
    TMemoryStream mem;
    mem.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    mem.SetPosition(0);
    list.LoadFromStream(mem, firstOnly);
    ASSERT_EQ(list.Count(), other.Count());
    for (int32_t i = 0; i < list.Count(); ++i) {
        const TShown a = Show(*list.Frame(i)), b = Show(*other.Frame(i));
        EXPECT_EQ(a.Px, b.Px);
        EXPECT_EQ(a.Mask, b.Mask);
    }
}

void ExpectPicture(const TShown& s, int32_t w, int32_t h,
                   const std::function<uint32_t(int32_t, int32_t)>& want, const char* what) {
    ASSERT_EQ(s.W, w) << what;
    ASSERT_EQ(s.H, h) << what;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) ASSERT_EQ(s.At(x, y), want(x, y)) << what << " at " << x << "," << y;
}

TPixelFn Fn(uint32_t (*f)(int32_t, int32_t)) {
    return f;
}

uint8_t M(int32_t x, int32_t y) {
    static const uint8_t v[] = {0, 255, 128, 64, 1, 200, 254, 30};
    return v[(x + y * 3) % 8];
}
TBlock MaskRows(int32_t w, int32_t h) {
    return test::Rows(w, h, 8, [](int32_t x, int32_t y) { return M(x, y); });
}

// ---- versions ------------------------------------------------------------------------------------

TEST(VaskRead, EveryVersionOfTheHeaderAndLayer) {
    // A keyed second layer over an opaque first one shows where the background is used.
    const uint32_t key = 0x00ABCDEF; // colour of the keyed pixels (24-bit native value is 0xEFCDAB)
    auto keyed = [&](int32_t x, int32_t y) { return (x + y) % 3 == 0 ? key : P2(x, y); };
    for (int version : {0, 99, 100, 101, 102}) {
        SCOPED_TRACE(version);
        TVsk f;
        if (version) f.sig(version);
        f.i32(1).u8(7);
        if (version == 102) f.i32(0x00336699); // background, a Windows colour
        f.frame("F", -1, 250, 1, 5, 3, 24);
        // Versions 100 and 101 give the layer a mask block; 102 an empty one.
        const bool maskBlock = version == 100 || version == 101;
        f.layer(version, 1, 0xEFCDAB, 255, 1).block(test::Zlib(test::Rows(5, 3, 24, keyed)));
        if (maskBlock) f.block(test::Zlib(MaskRows(5, 3)));
        if (version == 102) f.i32(0);
        TVaskFrameList list;
        Load(list, f.b);
        EXPECT_EQ(list.Version, version);
        ASSERT_EQ(list.Count(), 1);
        EXPECT_EQ(list.Frame(0)->Delay, 250);
        const TShown s = Show(*list.Frame(0));
        // A mask block makes the layer keyless; without the has-mask byte (version 100) it is no
        // mask of the frame either.
        const bool masked = version == 101;
        EXPECT_EQ(s.Mask.empty(), !masked);
        const uint32_t bg = version == 102 ? 0x996633 : 0;
        ExpectPicture(
            s, 5, 3,
            [&](int32_t x, int32_t y) {
                return maskBlock ? keyed(x, y) : (keyed(x, y) == key ? bg : keyed(x, y));
            },
            "picture");
        if (masked) {
            for (int32_t y = 0; y < 3; ++y)
                for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(s.Mask[static_cast<size_t>(y * 5 + x)], M(x, y));
        }
    }
}

TEST(VaskRead, NewHeaderBlocksAndRectangles) {
    // One 7 x 5 frame stored raw, deflated and scrambled, at 24 and 32 bits, versions 103 to 106.
    const uint32_t key = 0x1234567;
    for (int version : {103, 104, 106})
        for (int comp : {0, 1})
            for (int bits : {24, 32})
                for (bool scrambled : {false, true}) {
                    SCOPED_TRACE(testing::Message()
                                 << version << " " << comp << " " << bits << " " << scrambled);
                    const int32_t w = 7, h = 5;
                    TBlock rows = test::Rows(w, h, bits, Fn(P1)), mask = MaskRows(w, h);
                    if (scrambled) {
                        rows = test::Scramble(rows, test::RowBytes(w, bits), h, key);
                        mask = test::Scramble(mask, test::RowBytes(w, 8), h, key);
                    }
                    if (comp == 0) {
                        rows = test::Zlib(rows);
                        mask = test::Zlib(mask);
                    }
                    TVsk f;
                    f.sig(version).header(version, 1, scrambled, comp, 0, 0, 0, 0, w, h, bits);
                    f.frame("Frame1", -1, 40, 1, w, h, bits)
                        .layer(version, 1, -1, 255, 1)
                        .block(rows)
                        .block(mask);
                    if (version >= 104)
                        f.i32(2).i32(1).i32(1).i32(3).i32(4).i32(0).i32(0).i32(7).i32(5).i32(-1);
                    TVaskFrameList list(static_cast<int32_t>(key));
                    Load(list, f.b);
                    ASSERT_EQ(list.Count(), 1);
                    const TShown s = Show(*list.Frame(0));
                    ExpectPicture(s, w, h, P1, "colour");
                    for (int32_t y = 0; y < h; ++y)
                        for (int32_t x = 0; x < w; ++x)
                            ASSERT_EQ(s.Mask[static_cast<size_t>(y * w + x)], M(x, y));
                    const TVaskFrame& fr = *list.Frame(0);
                    if (version >= 104) {
                        ASSERT_EQ(fr.DrawRects.size(), 2u);
                        EXPECT_EQ(fr.DrawRects[1], (TRect{0, 0, 7, 5}));
                    }
                    EXPECT_TRUE(fr.SpareRects.empty());
                    EXPECT_EQ(list.Scrambled, scrambled ? 1 : 0);
                    EXPECT_EQ(list.Compression, comp);
                }
}

TEST(VaskRead, ScrambledRowsFollowTheKey) {
    // Key 0 leaves the rows in stored order; another key than the writer's gives other rows.
    const int32_t w = 3, h = 9;
    const TBlock rows = test::Rows(w, h, 24, Fn(P1));
    for (uint32_t key : {0u, 5u, 0xFFFFFFFFu}) {
        TVsk f;
        f.sig(106).header(106, 1, 1, 1, 0).frame("F", -1, 1, 1, w, h, 24).layer(106, 1, -1, 255, 0);
        f.block(test::Scramble(rows, test::RowBytes(w, 24), h, key)).i32(0).i32(0).i32(0);
        TVaskFrameList list(static_cast<int32_t>(key));
        Load(list, f.b);
        ExpectPicture(Show(*list.Frame(0)), w, h, P1, "own key");
        if (key == 5) {
            TVaskFrameList wrong(6);
            Load(wrong, f.b);
            EXPECT_NE(Show(*wrong.Frame(0)).Px, Show(*list.Frame(0)).Px);
        }
    }
    EXPECT_EQ(test::Perm(0, 4), (std::vector<int32_t>{0, 1, 2, 3}));
}

TEST(VaskRead, LongerAndShorterHeaderRecords) {
    for (int len : {24, 40, 52}) {
        TVsk f;
        f.sig(106).i32(len);
        TVsk rec;
        rec.i32(106)
            .i32(2)
            .i32(1)
            .i32(24)
            .i32(1)
            .u8(1)
            .u8(0)
            .u8(1)
            .u8(0)
            .i32(0x0000FF)
            .i32(0)
            .i32(0)
            .u8(0)
            .u8(0)
            .u8(0)
            .u8(0);
        rec.b.resize(static_cast<size_t>(len), 0x55);
        f.raw(rec.b);
        f.frame("F", -1, 1, 0, 2, 1, 24).i32(0).i32(0);
        TVaskFrameList list;
        Load(list, f.b);
        ASSERT_EQ(list.Count(), 1);
        // No layer: the background alone; a record of 24 bytes has none.
        const uint32_t want = len >= 28 ? 0xFF0000 : 0;
        EXPECT_EQ(Show(*list.Frame(0)).Px, (std::vector<uint32_t>{want, want})) << len;
    }
}

// ---- other formats and block kinds -------------------------------------------------------------------

TEST(VaskRead, PaletteAndSixteenBitFrames) {
    // A 4-bit palette frame (palette shared with its layer) and 15/16-bit frames shown on a 32-bit
    // display: channels keep their high bits.
    TVsk f;
    f.sig(106).header(106, 3, 0, 1, 0);
    f.frame("P", 2, 1, 1, 5, 2, 4);
    for (int i = 0; i < 16; ++i) f.u8(i * 16).u8(255 - i).u8(i * 3).u8(0); // blue, green, red, 0
    f.layer(106, 1, -1, 255, 0).block(test::Rows(5, 2, 4, [](int32_t x, int32_t y) {
        return uint32_t(x * 3 + y) & 15;
    }));
    f.i32(0).i32(0).i32(0);
    for (int bits : {15, 16}) {
        f.frame("S", -1, 1, 1, 3, 2, bits).layer(106, 1, -1, 255, 0).block(test::Rows(3, 2, bits, Fn(P2)));
        f.i32(0).i32(0).i32(0);
    }
    TVaskFrameList list;
    Load(list, f.b);
    ASSERT_EQ(list.Count(), 3);
    const TVaskFrame& pal = *list.Frame(0);
    EXPECT_EQ(pal.TransparentIndex, 2);
    EXPECT_EQ(pal.TransparentColor, 0x20FD06); // red 6, green 253, blue 32 as a Windows colour
    ExpectPicture(
        Show(pal), 5, 2,
        [](int32_t x, int32_t y) {
            const uint32_t i = uint32_t(x * 3 + y) & 15;
            return ((i * 3) << 16) | ((255 - i) << 8) | (i * 16);
        },
        "palette");
    ExpectPicture(
        Show(*list.Frame(1)), 3, 2, [](int32_t x, int32_t y) { return P2(x, y) & 0xF8F8F8; }, "15-bit");
    ExpectPicture(
        Show(*list.Frame(2)), 3, 2, [](int32_t x, int32_t y) { return P2(x, y) & 0xF8FCF8; }, "16-bit");
}

TEST(VaskRead, JpegColourWithDeflatedMask) {
    const int32_t w = 21, h = 10;
    const TBlock jpeg = test::JpegOf(w, h, Fn(P1), 85);
    int32_t jw, jh;
    const std::vector<uint32_t> want = test::JpegPixels(jpeg, jw, jh);
    for (int bits : {24, 32, 16}) {
        SCOPED_TRACE(bits);
        TVsk f;
        f.sig(106).header(106, 1, 1, 2, 0, 0, 0, 0); // scrambling does not touch JPEG blocks
        f.frame("J", -1, 1, 1, w, h, bits).layer(106, 1, -1, 255, 1).block(jpeg);
        f.block(test::Zlib(test::Scramble(MaskRows(w, h), test::RowBytes(w, 8), h, 9))).i32(0).i32(0);
        TVaskFrameList list(9);
        Load(list, f.b);
        const TVaskFrame& fr = *list.Frame(0);
        // At 24 bits the frame takes the decoded layer over; otherwise it is a converted copy.
        const TVaskLayer& layer = *fr.Layers[0];
        EXPECT_EQ(layer.InFrame, bits == 24);
        if (!layer.InFrame) {
            EXPECT_EQ(layer.Picture.LogicalBitCount(), 24);
        }
        const TShown s = Show(fr);
        const uint32_t keep = bits == 16 ? 0xF8FCF8 : 0xFFFFFF;
        ExpectPicture(
            s, w, h, [&](int32_t x, int32_t y) { return want[static_cast<size_t>(y * w + x)] & keep; },
            "jpeg");
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) ASSERT_EQ(s.Mask[static_cast<size_t>(y * w + x)], M(x, y));
    }
}

// Frame 0 of a 10 x 7 picture in 4 x 3 tiles: pixels, copies of earlier tiles and empty tiles.
struct TTiled {
    static constexpr int32_t W = 10, H = 7, TW = 4, TH = 3;
    // 3 x 3 tiles; widths 4 4 2, heights 3 3 1.
    std::vector<TTileSpec> Frame0 = {{-1, 0}, {-1, 0}, {-1, 0}, {-2, 0}, {-1, 0},
                                     {-2, 2}, {-1, 0}, {-2, 7}, {-2, 99}};
    // Frame 1: tile 0 from frame 0's layer; its own layer, a missing frame and layer are empty.
    std::vector<TTileSpec> Frame1 = {{0, 0},  {1, 0},  {5, 0},  {0, 1}, {-1, 0},
                                     {-1, 0}, {-1, 0}, {-3, 0}, {0, 0}};
    static uint32_t Want0(int32_t x, int32_t y, uint32_t (*p)(int32_t, int32_t)) {
        const int32_t tx = x / TW, ty = y / TH;
        if (ty == 1 && tx == 0) return p(x, y - TH); // copy of tile 0
        if (ty == 1 && tx == 2) return p(x, y - TH); // copy of tile 2
        if (ty == 2 && tx >= 1) return 0;            // itself, and no such tile
        return p(x, y);
    }
    static uint32_t Want1(int32_t x, int32_t y, uint32_t (*p0)(int32_t, int32_t),
                          uint32_t (*p1)(int32_t, int32_t)) {
        const int32_t tx = x / TW, ty = y / TH;
        if (ty == 0 && tx == 0) return Want0(x, y, p0);
        if (ty == 2 && tx == 2) return Want0(x, y, p0);
        if (ty == 0 || (ty == 1 && tx == 0) || (ty == 2 && tx == 1)) return 0;
        return p1(x, y);
    }
};

TEST(VaskRead, TilesSharedWithinAndAcrossFrames) {
    TTiled t;
    const uint32_t key = 77;
    for (int comp : {0, 1})
        for (bool scrambled : {false, true})
            for (int bits : {24, 32}) {
                SCOPED_TRACE(testing::Message() << comp << " " << scrambled << " " << bits);
                auto blk = [&](int32_t bits2, const std::vector<TTileSpec>& tiles, const TPixelFn& px) {
                    TBlock b =
                        test::Tiles(t.W, t.H, bits2, t.TW, t.TH, tiles, px, scrambled ? &key : nullptr);
                    return comp == 0 ? test::Zlib(b) : b;
                };
                auto m0 = [](int32_t x, int32_t y) { return uint32_t(M(x, y)); };
                auto m1 = [](int32_t x, int32_t y) { return uint32_t(255 - M(x, y)); };
                TVsk f;
                f.sig(106).header(106, 2, scrambled, comp, 0, t.TW, t.TH);
                f.frame("A", -1, 1, 1, t.W, t.H, bits).layer(106, 1, -1, 255, 1);
                f.block(blk(bits, t.Frame0, Fn(P1))).block(blk(8, t.Frame0, m0)).i32(0).i32(0);
                f.frame("B", -1, 1, 1, t.W, t.H, bits).layer(106, 1, -1, 255, 1);
                f.block(blk(bits, t.Frame1, Fn(P2))).block(blk(8, t.Frame1, m1)).i32(0).i32(0);
                TVaskFrameList list(static_cast<int32_t>(key));
                Load(list, f.b);
                ASSERT_EQ(list.Count(), 2);
                const TShown a = Show(*list.Frame(0)), b = Show(*list.Frame(1));
                ExpectPicture(
                    a, t.W, t.H, [](int32_t x, int32_t y) { return TTiled::Want0(x, y, P1); }, "frame 0");
                ExpectPicture(
                    b, t.W, t.H, [](int32_t x, int32_t y) { return TTiled::Want1(x, y, P1, P2); }, "frame 1");
                for (int32_t y = 0; y < t.H; ++y)
                    for (int32_t x = 0; x < t.W; ++x) {
                        const size_t i = static_cast<size_t>(y * t.W + x);
                        ASSERT_EQ(a.Mask[i], TTiled::Want0(x, y, [](int32_t xx, int32_t yy) {
                                      return uint32_t(M(xx, yy));
                                  }));
                        ASSERT_EQ(b.Mask[i],
                                  TTiled::Want1(
                                      x, y, [](int32_t xx, int32_t yy) { return uint32_t(M(xx, yy)); },
                                      [](int32_t xx, int32_t yy) { return uint32_t(255 - M(xx, yy)); }));
                    }
            }
}

TEST(VaskRead, PackedTilesAtOddPositions) {
    // 4-bit tiles 3 pixels wide: runs of 2 bytes written from the middle of a byte.
    TVsk f;
    f.sig(106).header(106, 1, 0, 1, 0, 3, 2);
    f.frame("P", -1, 1, 1, 7, 3, 4);
    for (int i = 0; i < 16; ++i) f.u8(i).u8(i * 2).u8(i * 4).u8(0);
    auto px = [](int32_t x, int32_t y) { return uint32_t(x * 5 + y * 3) & 15; };
    std::vector<TTileSpec> tiles(6);
    f.layer(106, 1, -1, 255, 0).block(test::Tiles(7, 3, 4, 3, 2, tiles, px)).i32(0).i32(0).i32(0);
    TVaskFrameList list;
    Load(list, f.b);
    ExpectPicture(
        Show(*list.Frame(0)), 7, 3,
        [&](int32_t x, int32_t y) {
            const uint32_t i = px(x, y);
            return (i * 4 << 16) | (i * 2 << 8) | i;
        },
        "4-bit tiles");
}

// ---- composition ---------------------------------------------------------------------------------

struct TLayerSpec {
    int visible = 1;
    int64_t key = -1;
    int opacity = 255;
    int hasMask = 0;
    bool maskBlock = false;
    uint32_t (*px)(int32_t, int32_t) = P1;
};

std::vector<uint8_t> Composed(int version, int bits, uint32_t background, int firstOpaque,
                              const std::vector<TLayerSpec>& layers) {
    TVsk f;
    f.sig(version).header(version, 1, 0, 1, background, 0, 0, firstOpaque);
    f.frame("C", -1, 1, static_cast<int>(layers.size()), 4, 2, bits);
    for (const TLayerSpec& l : layers) {
        f.layer(version, l.visible, l.key, l.opacity, l.hasMask).block(test::Rows(4, 2, bits, l.px));
        if (l.maskBlock)
            f.block(MaskRows(4, 2));
        else
            f.i32(0);
    }
    if (version >= 104) f.i32(0).i32(0);
    return f.b;
}

uint32_t Mix(uint32_t s, uint32_t d, uint32_t a, bool by255) {
    uint32_t out = 0;
    for (int sh = 0; sh < 24; sh += 8) {
        const uint32_t sc = (s >> sh) & 0xFF, dc = (d >> sh) & 0xFF;
        out |= (by255 ? ((255 - a) * dc + a * sc) / 255 : ((255 - a) * dc + a * sc) >> 8) << sh;
    }
    return out;
}

TEST(VaskCompose, LayerRules) {
    const uint32_t bg = 0x00102030; // Windows colour: red 0x30, green 0x20, blue 0x10
    const uint32_t bgShown = 0x302010;
    // Key of the layers drawn with P2: the native value of P2(0, 0) at 32 bits.
    const int64_t key32 = P2(0, 0);
    auto isKey = [](int32_t x, int32_t y) { return P2(x, y) == P2(0, 0); };
    struct TCase {
        const char* name;
        int version, bits, firstOpaque;
        std::vector<TLayerSpec> layers;
        std::function<uint32_t(int32_t, int32_t)> want;
        bool frameMask;
    };
    const std::vector<TCase> cases = {
        {"masked second layer",
         106,
         32,
         0,
         {{}, {1, -1, 255, 1, true, P2}},
         [](int32_t x, int32_t y) {
             const uint32_t m = M(x, y);
             return m == 0 ? P1(x, y) : m == 255 ? P2(x, y) : Mix(P2(x, y), P1(x, y), m, false);
         },
         false},
        {"mask without the has-mask byte is not used",
         106,
         32,
         0,
         {{}, {1, -1, 255, 0, true, P2}},
         [](int32_t x, int32_t y) { return P2(x, y); },
         false},
        {"alpha at 32 bits divides by 256",
         106,
         32,
         0,
         {{}, {1, -1, 100, 0, false, P2}},
         [](int32_t x, int32_t y) { return Mix(P2(x, y), P1(x, y), 100, false); },
         false},
        {"alpha at 24 bits divides by 255",
         106,
         24,
         0,
         {{}, {1, -1, 100, 0, false, P2}},
         [](int32_t x, int32_t y) { return Mix(P2(x, y), P1(x, y), 100, true); },
         false},
        {"key skipped",
         106,
         32,
         0,
         {{}, {1, key32, 255, 0, false, P2}},
         [&](int32_t x, int32_t y) { return isKey(x, y) ? P1(x, y) : P2(x, y); },
         false},
        {"invisible layer",
         106,
         32,
         0,
         {{}, {0, -1, 255, 0, false, P2}},
         [](int32_t x, int32_t y) { return P1(x, y); },
         false},
        {"keyed first layer over the background",
         106,
         32,
         0,
         {{1, key32, 255, 0, false, P2}},
         [&](int32_t x, int32_t y) { return isKey(x, y) ? bgShown : P2(x, y); },
         false},
        {"first layer opaque",
         106,
         32,
         1,
         {{1, key32, 255, 0, false, P2}},
         [](int32_t x, int32_t y) { return P2(x, y); },
         false},
        {"first layer opaque is read from 105 on",
         104,
         32,
         1,
         {{1, key32, 255, 0, false, P2}},
         [&](int32_t x, int32_t y) { return isKey(x, y) ? bgShown : P2(x, y); },
         false},
        {"first layer's mask is the frame's",
         106,
         32,
         0,
         {{1, -1, 255, 1, true, P1}},
         [](int32_t x, int32_t y) { return P1(x, y); },
         true},
        {"has-mask byte without mask block",
         106,
         32,
         0,
         {{1, -1, 255, 1, false, P1}},
         [](int32_t x, int32_t y) { return P1(x, y); },
         false},
        {"first visible layer at index 1",
         106,
         32,
         0,
         {{0, -1, 255, 0, false, P1}, {1, -1, 255, 1, true, P2}},
         [](int32_t x, int32_t y) {
             const uint32_t m = M(x, y);
             return m == 0 ? bgShown : m == 255 ? P2(x, y) : Mix(P2(x, y), bgShown, m, false);
         },
         false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TVaskFrameList list;
        Load(list, Composed(c.version, c.bits, bg, c.firstOpaque, c.layers));
        const TShown s = Show(*list.Frame(0));
        ExpectPicture(s, 4, 2, c.want, c.name);
        EXPECT_EQ(!s.Mask.empty(), c.frameMask);
        EXPECT_EQ(list.Frame(0)->LayerCount(), static_cast<int32_t>(c.layers.size()));
    }
}

TEST(VaskCompose, LayersAtEveryDepthMatchTheBitmapDraws) {
    // Random pixels composed by the reader, checked against the bitmap's own keyed, alpha and masked
    // draws on the same pixels.
    std::mt19937 rng(21);
    for (int bits : {8, 15, 16, 24, 32})
        for (int mode = 0; mode < 4; ++mode) { // keyed copy, keyed alpha, alpha, masked
            SCOPED_TRACE(testing::Message() << bits << " " << mode);
            const int32_t w = 13, h = 5;
            auto random = [&](int32_t, int32_t) { return static_cast<uint32_t>(rng()); };
            const TBlock rows0 = test::Rows(w, h, bits, random), rows1 = test::Rows(w, h, bits, random);
            const TBlock maskRows = test::Rows(w, h, 8, [&](int32_t x, int32_t) {
                return x % 3 == 0 ? 0u : x % 3 == 1 ? 255u : static_cast<uint32_t>(rng() & 0xFF);
            });
            auto surface = [&](const TBlock& rows, int32_t b) {
                TDIBSurface p(w, h, b);
                p.SetGreyPalette();
                std::memcpy(p.Bits(), rows.data(), rows.size());
                return p;
            };
            TDIBSurface want = surface(rows0, bits);
            TDIBSurface top = surface(rows1, bits);
            const int64_t key = mode < 2 ? int64_t{top.GetPixel(2, 1)} : -1;
            const int opacity = mode == 0 || mode == 3 ? 255 : 1 + static_cast<int>(rng() % 254);
            if (mode == 3) {
                top.CreateMask();
                top.AssignMask(surface(maskRows, 8));
                want.DrawMasked(0, 0, 255, TRect{0, 0, w, h}, top);
            } else {
                want.DrawAlpha(0, 0, opacity, key, TRect{0, 0, w, h}, top);
            }
            TVsk f;
            f.sig(106).header(106, 1, 0, 1, 0).frame("K", -1, 1, 2, w, h, bits);
            if (bits == 8)
                for (int i = 0; i < 256; ++i) f.u8(i).u8(i).u8(i).u8(0);
            f.layer(106, 1, -1, 255, 0).block(rows0).i32(0);
            f.layer(106, 1, key, opacity, mode == 3).block(rows1);
            if (mode == 3)
                f.block(maskRows);
            else
                f.i32(0);
            f.i32(0).i32(0);
            TVaskFrameList list;
            Load(list, f.b);
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < w; ++x)
                    ASSERT_EQ(list.Frame(0)->Picture.GetPixel(x, y), want.GetPixel(x, y)) << x << "," << y;
        }
}

// ---- the writer ------------------------------------------------------------------------------------

TEST(VaskWrite, ExactBytesOfAOneLayerFile) {
    TVaskFrameList list;
    list.BackgroundColor = 0x00010203;
    TVaskFrame* f = list.AddFrame();
    f->Delay = 33;
    f->Picture.SetSize(2, 1, 24);
    f->Picture.SetPixel(0, 0, 0x112233); // native 24-bit: bytes 33 22 11
    f->Picture.SetPixel(1, 0, 0x445566);
    f->Picture.CreateMask();
    f->Picture.Mask()->SetPixel(0, 0, 9);
    f->Picture.Mask()->SetPixel(1, 0, 255);
    TMemoryStream out;
    list.SaveToStream(out, 1, 80);
    TVsk want;
    want.sig(106).i32(40).i32(106).i32(2).i32(1).i32(24).i32(1).u8(1).u8(0).u8(1).u8(0).i32(0x00010203);
    want.i32(0).i32(0).u8(0).u8(80).u8(0).u8(0);
    want.str("Frame1").i32(-1).i32(33).u8(2).i32(0).i32(1).i32(2).i32(1).i32(24);
    want.i32(0).i32(0).u8(1).i32(-1).i32(255).u8(1).str("Layer");
    want.block({0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0, 0}).block({9, 255, 0, 0}).i32(0).i32(0);
    EXPECT_EQ(out.Bytes(), want.b);
}

TEST(VaskWrite, RoundTripsEveryFormat) {
    std::mt19937 rng(5);
    for (int bits : {4, 8, 15, 16, 24, 32})
        for (int comp : {0, 1, 2})
            for (int32_t key : {0, 12345})
                for (bool mask : {false, true}) {
                    SCOPED_TRACE(testing::Message() << bits << " " << comp << " " << key << " " << mask);
                    TVaskFrameList list(key);
                    list.FirstLayerOpaque = 1;
                    const int32_t sizes[2][2] = {{13, 7}, {5, 9}};
                    for (const auto& sz : sizes) {
                        TVaskFrame* f = list.AddFrame();
                        f->Delay = sz[0] * 10;
                        f->Picture.SetSize(sz[0], sz[1], bits);
                        // JPEG blocks get a smooth picture, the others noise.
                        for (int i = 0; i < 256; ++i)
                            f->Picture.Palette[static_cast<size_t>(i)] =
                                comp == 2 ? Grey(uint32_t(i)) : rng() & 0xFFFFFF;
                        for (int32_t y = 0; y < sz[1]; ++y)
                            for (int32_t x = 0; x < sz[0]; ++x)
                                f->Picture.SetPixel(
                                    x, y,
                                    comp == 2 ? f->Picture.RGBToPixel(uint32_t(x * 12), uint32_t(y * 20), 100)
                                              : rng());
                        if (mask) {
                            f->Picture.CreateMask();
                            for (int32_t y = 0; y < sz[1]; ++y)
                                for (int32_t x = 0; x < sz[0]; ++x)
                                    f->Picture.Mask()->SetPixel(x, y, rng() & 0xFF);
                        }
                    }
                    TMemoryStream out;
                    list.SaveToStream(out, comp, 90);
                    ASSERT_GE(out.GetSize(), 47);
                    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.Memory()), 7), "Vask106");
                    EXPECT_EQ(out.Memory()[11 + 21], key ? 1 : 0);
                    const int written = key ? 1 : comp;
                    EXPECT_EQ(out.Memory()[11 + 22], written);
                    TVaskFrameList back(key);
                    Load(back, out.Bytes());
                    ASSERT_EQ(back.Count(), 2);
                    EXPECT_EQ(back.FirstLayerOpaque, 1);
                    for (int32_t i = 0; i < 2; ++i) {
                        const TVaskFrame& a = *list.Frame(i);
                        const TVaskFrame& b = *back.Frame(i);
                        EXPECT_EQ(b.Name, "Frame" + std::to_string(i + 1));
                        EXPECT_EQ(b.Delay, a.Delay);
                        ASSERT_EQ(b.HasMask(), mask);
                        const TShown sa = Show(a), sb = Show(b);
                        EXPECT_EQ(sa.Mask, sb.Mask);
                        if (written == 2) {
                            // Lossy: close to the picture.
                            ASSERT_EQ(sa.Px.size(), sb.Px.size());
                            int worst = 0;
                            for (size_t k = 0; k < sa.Px.size(); ++k)
                                for (int sh = 0; sh < 24; sh += 8)
                                    worst = std::max(worst, std::abs(int((sa.Px[k] >> sh) & 0xFF) -
                                                                     int((sb.Px[k] >> sh) & 0xFF)));
                            EXPECT_LE(worst, 40);
                        } else {
                            EXPECT_EQ(b.Picture.LogicalBitCount(), bits);
                            for (int32_t y = 0; y < a.Picture.Height(); ++y)
                                for (int32_t x = 0; x < a.Picture.Width(); ++x)
                                    ASSERT_EQ(b.Picture.GetPixel(x, y), a.Picture.GetPixel(x, y));
                        }
                    }
                }
}

TEST(VaskWrite, ScrambledFileReadWithoutKeyShowsStoredOrder) {
    const int32_t key = 31337, h = 12;
    TVaskFrameList list(key);
    TVaskFrame* f = list.AddFrame();
    f->Picture.SetSize(3, h, 24);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < 3; ++x) f->Picture.SetPixel(x, y, static_cast<uint32_t>(y * 10 + x));
    TMemoryStream out;
    list.SaveToStream(out, 0, 70);
    TVaskFrameList plain(0);
    Load(plain, out.Bytes());
    const std::vector<int32_t> p = test::Perm(static_cast<uint32_t>(key), h);
    for (int32_t i = 0; i < h; ++i)
        EXPECT_EQ(plain.Frame(0)->Picture.GetPixel(0, i), static_cast<uint32_t>(p[i] * 10)) << i;
}

// ---- reading options and conversions ---------------------------------------------------------------

std::vector<uint8_t> ThreeFrames() {
    TVsk f;
    f.sig(106).header(106, 3, 0, 1, 0);
    for (int i = 0; i < 3; ++i)
        f.frame("F" + std::to_string(i), -1, 10 + i, 1, 2, 2, 24)
            .layer(106, 1, -1, 255, 0)
            .block(test::Rows(2, 2, 24, i == 0 ? Fn(P1) : Fn(P2)))
            .i32(0)
            .i32(0)
            .i32(0);
    return f.b;
}

TEST(VaskRead, FirstOnlyStopsAfterTheFirstFrame) {
    const std::vector<uint8_t> b = ThreeFrames();
    TMemoryStream s;
    s.WriteBuffer(b.data(), static_cast<int64_t>(b.size()));
    s.SetPosition(0);
    TVaskFrameList list;
    list.LoadFromStream(s, true);
    ASSERT_EQ(list.Count(), 1);
    // Signature and header, then one frame of three.
    EXPECT_EQ(s.GetPosition(), static_cast<int64_t>(51 + (b.size() - 51) / 3));
    // Loading clears the list first, even when the stream holds nothing.
    TMemoryStream empty;
    EXPECT_THROW(list.LoadFromStream(empty, false), EVobeError);
    EXPECT_EQ(list.Count(), 0);
}

TEST(VaskRead, EmptyFramesWithMasks) {
    TVsk f;
    f.sig(106).header(106, 2, 0, 1, 0);
    f.frame("W", -1, 1, 2, 0, 3, 24).layer(106, 1, -1, 255, 1).i32(0).block(TBlock(4, 9));
    f.layer(106, 1, -1, 255, 1).i32(0).block(TBlock(4, 9)).i32(0).i32(0);
    f.frame("H", -1, 1, 1, 3, 0, 8).raw(TBlock(1024, 0)).layer(106, 1, -1, 255, 1).block(TBlock(4, 1));
    f.block(TBlock(4, 9)).i32(0).i32(0);
    TVaskFrameList list;
    Load(list, f.b);
    ASSERT_EQ(list.Count(), 2);
    for (int32_t i = 0; i < 2; ++i) {
        TVaskFrame& fr = *list.Frame(i);
        EXPECT_TRUE(fr.Picture.Empty());
        fr.MaskFromKey();
        EXPECT_EQ(fr.TrimFrame(), (TRect{0, 0, fr.Picture.Width(), fr.Picture.Height()}));
    }
}

TEST(VaskRead, SurfaceLoadTakesTheFirstFrame) {
    const std::vector<uint8_t> b = ThreeFrames();
    TReadOnlyMemoryStream s(b.data(), static_cast<int64_t>(b.size()));
    TDIBX surface;
    surface.SetSize(1, 1, 16);
    ASSERT_TRUE(surface.LoadFromStream(s, 0));
    ASSERT_EQ(surface.Width(), 2);
    EXPECT_EQ(surface.BitCount(), 16);
    EXPECT_EQ(surface.GetPixel(1, 1),
              ((P1(1, 1) >> 19 & 31) << 11) | ((P1(1, 1) >> 10 & 63) << 5) | (P1(1, 1) >> 3 & 31));
}

TEST(VaskFrame, MaskFromKeyTrimAndSurfaces) {
    TVaskFrame f;
    f.Picture.SetSize(6, 5, 32);
    f.Picture.FillRect(TRect{0, 0, 6, 5}, 0xFF00FF);
    for (int32_t y = 1; y < 4; ++y)
        for (int32_t x = 2; x < 4; ++x) f.Picture.SetPixel(x, y, P1(x, y) | 0xFF000000u);
    f.Picture.SetPixel(3, 3, 0x12FF00FF); // the key, but for the ignored top byte
    f.TransparentIndex = 0xFF00FF;
    f.DrawRects = {TRect{0, 0, 6, 5}, TRect{3, 2, 10, 10}, TRect{0, 0, 1, 1}};
    f.SpareRects = {TRect{2, 1, 3, 2}};
    f.MaskFromKey();
    ASSERT_TRUE(f.HasMask());
    EXPECT_EQ(f.Picture.Mask()->GetPixel(0, 0), 0u);
    EXPECT_EQ(f.Picture.Mask()->GetPixel(2, 1), 255u);
    EXPECT_EQ(f.Picture.Mask()->GetPixel(3, 3), 0u);
    EXPECT_EQ(f.TrimFrame(), (TRect{2, 1, 4, 4}));
    EXPECT_EQ(f.Picture.Width(), 2);
    EXPECT_EQ(f.Picture.Mask()->Width(), 2);
    EXPECT_EQ(f.DrawRects, (std::vector<TRect>{TRect{0, 0, 2, 3}, TRect{1, 1, 2, 3}}));
    EXPECT_EQ(f.SpareRects, (std::vector<TRect>{TRect{0, 0, 1, 1}}));
    // On a 32-bit surface the top byte goes; on a 16-bit one the channels keep their high bits.
    TDIBX s32, s16, m;
    s32.SetSize(1, 1, 32);
    s16.SetSize(1, 1, 16);
    f.CopyToSurface(s32);
    f.CopyToSurface(s16);
    f.CopyMaskToSurface(m);
    EXPECT_EQ(s32.GetPixel(0, 0), P1(2, 1));
    EXPECT_EQ(s32.DrawRects, f.DrawRects);
    const uint32_t c = P1(3, 2);
    EXPECT_EQ(s16.GetPixel(1, 1), ((c >> 19 & 31) << 11) | ((c >> 10 & 63) << 5) | (c >> 3 & 31));
    EXPECT_EQ(m.BitCount(), 8);
    EXPECT_EQ(m.GetPixel(1, 2), 0u);
    EXPECT_EQ(m.GetPixel(0, 0), 255u);
    // Nothing left but the key: a 1 x 1 picture at the origin.
    TVaskFrame empty;
    empty.Picture.SetSize(3, 3, 24);
    empty.TransparentIndex = 0;
    EXPECT_EQ(empty.TrimFrame(), (TRect{0, 0, 1, 1}));
    EXPECT_EQ(empty.Picture.Width(), 1);
    // A 24-bit key: the native value holds red in its low byte.
    TVaskFrame rgb;
    rgb.Picture.SetSize(2, 1, 24);
    rgb.Picture.SetPixel(1, 0, 0x0000FF);
    rgb.TransparentIndex = 0x0000FF;
    rgb.MaskFromKey();
    EXPECT_EQ(rgb.Picture.Mask()->GetPixel(0, 0), 255u);
    EXPECT_EQ(rgb.Picture.Mask()->GetPixel(1, 0), 0u);
    // Without mask or key nothing is trimmed.
    TVaskFrame plain;
    plain.Picture.SetSize(3, 2, 24);
    EXPECT_EQ(plain.TrimFrame(), (TRect{0, 0, 3, 2}));
}

std::vector<uint8_t> PngBytes(int32_t w, int32_t h, bool alpha,
                              const std::function<uint32_t(int32_t, int32_t)>& argb) {
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    img.width = static_cast<png_uint_32>(w);
    img.height = static_cast<png_uint_32>(h);
    img.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    const int n = alpha ? 4 : 3;
    std::vector<uint8_t> px(static_cast<size_t>(w) * h * n);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t v = argb(x, y);
            uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * n];
            p[0] = static_cast<uint8_t>(v >> 16);
            p[1] = static_cast<uint8_t>(v >> 8);
            p[2] = static_cast<uint8_t>(v);
            if (alpha) p[3] = static_cast<uint8_t>(v >> 24);
        }
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&img, nullptr, &size, 0, px.data(), 0, nullptr);
    std::vector<uint8_t> out(size);
    png_image_write_to_memory(&img, out.data(), &size, 0, px.data(), 0, nullptr);
    out.resize(size);
    return out;
}

TEST(VaskFile, LoadFromFileByExtensionAndSaveToFile) {
    const std::filesystem::path dir = std::filesystem::path(VOBE_BINARY_DIR) / "vask_file_test";
    std::filesystem::create_directories(dir);
    auto write = [&](const std::string& name, const std::vector<uint8_t>& b) {
        TMemoryStream s;
        s.WriteBuffer(b.data(), static_cast<int64_t>(b.size()));
        s.SaveToFile(PlayerPath((dir / name).string()));
        return PlayerPath((dir / name).string());
    };
    const std::string png = write("a.PNG", PngBytes(3, 2, true, [](int32_t x, int32_t y) {
                                      return P1(x, y) | uint32_t(x * 100 + y) << 24;
                                  }));
    TVaskFrameList list;
    list.LoadFromFile(png, false);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Frame(0)->Delay, 100);
    const TShown s = Show(*list.Frame(0));
    ExpectPicture(s, 3, 2, P1, "png");
    EXPECT_EQ(s.Mask[4], 101);

    // A 32-bit bitmap: its fourth bytes become the mask, its colours 24 bits.
    TVsk bmp;
    bmp.u8('B').u8('M').i32(54 + 8).i32(0).i32(54).i32(40).i32(2).i32(1).u8(1).u8(0).u8(32).u8(0).i32(0).i32(
        8);
    bmp.i32(0).i32(0).i32(0).i32(0).raw({1, 2, 3, 40, 4, 5, 6, 250});
    list.LoadFromFile(write("b.bmp", bmp.b), false);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Frame(0)->Picture.LogicalBitCount(), 24);
    const TShown sb = Show(*list.Frame(0));
    EXPECT_EQ(sb.Px, (std::vector<uint32_t>{0x030201, 0x060504}));
    EXPECT_EQ(sb.Mask, (std::vector<uint8_t>{40, 250}));

    list.LoadFromFile(write("c.txt", {1, 2, 3}), false);
    EXPECT_EQ(list.Count(), 0);

    // SaveToFile and back: one frame, same pixels, delay kept; the file replaced.
    TVaskFrameList out;
    TVaskFrame* f = out.AddFrame();
    f->Delay = 7;
    f->Picture.SetSize(4, 3, 24);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x) f->Picture.SetPixel(x, y, P2(x, y));
    const std::string vsk = write("d.vsk", std::vector<uint8_t>(5000, 1));
    out.SaveToFile(vsk);
    TVaskFrameList back;
    back.LoadFromFile(vsk, false);
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(back.Frame(0)->Delay, 7);
    EXPECT_EQ(back.Compression, 0);
    EXPECT_EQ(Show(*back.Frame(0)).Px, Show(*f).Px);
    std::filesystem::remove_all(dir);
}

TEST(VaskFile, FrameFromPngWithKeyOrAlpha) {
    // A palette PNG whose one fully transparent entry is its key: the mask comes from the key.
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    img.width = 3;
    img.height = 1;
    img.format = PNG_FORMAT_RGBA | PNG_FORMAT_FLAG_COLORMAP;
    img.colormap_entries = 2;
    const uint8_t map[8] = {10, 20, 30, 0, 200, 100, 50, 255};
    const uint8_t idx[3] = {1, 0, 1};
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&img, nullptr, &size, 0, idx, 0, map);
    std::vector<uint8_t> b(size);
    png_image_write_to_memory(&img, b.data(), &size, 0, idx, 0, map);
    TReadOnlyMemoryStream s(b.data(), static_cast<int64_t>(size));
    TVaskFrame f;
    VaskFrameFromPng(s, f);
    EXPECT_EQ(f.Picture.LogicalBitCount(), 24);
    const TShown shown = Show(f);
    EXPECT_EQ(shown.Px[0], 0xC86432u);
    EXPECT_EQ(shown.Mask, (std::vector<uint8_t>{255, 0, 255}));
}

// ---- damaged files -----------------------------------------------------------------------------------

std::vector<uint8_t> RichFile() {
    TTiled t;
    TVsk f;
    f.sig(106).header(106, 2, 0, 0, 0x112233, t.TW, t.TH, 1);
    f.frame("A", 5, 1, 2, t.W, t.H, 24).layer(106, 1, -1, 255, 1);
    f.block(test::Zlib(test::Tiles(t.W, t.H, 24, t.TW, t.TH, t.Frame0, Fn(P1))));
    f.block(test::Zlib(test::Tiles(t.W, t.H, 8, t.TW, t.TH, t.Frame0,
                                   [](int32_t x, int32_t y) { return uint32_t(M(x, y)); })));
    f.layer(106, 1, 3, 128, 0)
        .block(test::Zlib(test::Tiles(t.W, t.H, 24, t.TW, t.TH, t.Frame1, Fn(P2))))
        .i32(0);
    f.i32(1).i32(0).i32(0).i32(2).i32(2).i32(0);
    f.frame("B", -1, 1, 1, t.W, t.H, 24).layer(106, 1, -1, 255, 0);
    f.block(test::Zlib(test::Tiles(t.W, t.H, 24, t.TW, t.TH, t.Frame1, Fn(P2)))).i32(0).i32(0).i32(0);
    return f.b;
}

TEST(VaskBad, EveryPrefixAndRandomDamageFailCleanly) {
    const std::vector<uint8_t> good = RichFile();
    TVaskFrameList list;
    Load(list, good);
    ASSERT_EQ(list.Count(), 2);
    for (size_t n = 0; n < good.size(); ++n) {
        TReadOnlyMemoryStream s(good.data(), static_cast<int64_t>(n));
        TVaskFrameList l;
        try {
            l.LoadFromStream(s, false);
            // Only a stream cut before the signature can read as an empty old-style file.
            EXPECT_LT(n, 7u);
        } catch (const EVobeError&) {
        }
    }
    std::mt19937 rng(11);
    for (int round = 0; round < 1500; ++round) {
        std::vector<uint8_t> b = good;
        const int hits = 1 + static_cast<int>(rng() % 4);
        for (int i = 0; i < hits; ++i) b[rng() % b.size()] = static_cast<uint8_t>(rng());
        TMemoryStream s;
        s.WriteBuffer(b.data(), static_cast<int64_t>(b.size()));
        s.SetPosition(0);
        TVaskFrameList l(static_cast<int32_t>(rng() % 3));
        try {
            l.LoadFromStream(s, false);
        } catch (const EVobeError&) {
        }
    }
}

TEST(VaskBad, FaultsNameWhatFailed) {
    auto fails = [](const std::vector<uint8_t>& b) {
        TMemoryStream s;
        s.WriteBuffer(b.data(), static_cast<int64_t>(b.size()));
        s.SetPosition(0);
        TVaskFrameList l;
        try {
            l.LoadFromStream(s, false);
        } catch (const EVobeError& e) {
            return SjisToUtf8(e.Message());
        }
        return std::string("no error");
    };
    auto one = [](int bits, int w, int h, const TBlock& colour, int comp = 1, int tiles = 0) {
        TVsk f;
        f.sig(106)
            .header(106, 1, 0, comp, 0, tiles, tiles)
            .frame("F", -1, 1, 1, w, h, bits)
            .layer(106, 1, -1, 255, 0);
        return f.block(colour).i32(0).i32(0).i32(0).b;
    };
    std::vector<uint8_t> beyond = one(24, 2, 2, TBlock(16, 1));
    beyond.resize(beyond.size() - 14);
    EXPECT_NE(fails(beyond).find("データが足りません"), std::string::npos) << fails(beyond);
    TBlock z = test::Zlib(TBlock(48, 7));
    z[z.size() - 1] ^= 0x55; // the checksum
    EXPECT_NE(fails(one(24, 4, 4, z, 0)).find("圧縮データが壊れています"), std::string::npos);
    TBlock cut = test::Zlib(test::Rows(40, 40, 24, Fn(P1)));
    cut.resize(cut.size() / 2);
    EXPECT_NE(fails(one(24, 40, 40, cut, 0)).find("圧縮データが壊れています"), std::string::npos);
    TBlock jpeg = test::JpegOf(16, 16, Fn(P1));
    EXPECT_NE(fails(one(24, 16, 16, TBlock(jpeg.begin(), jpeg.begin() + 300), 2)).find("JPEG"),
              std::string::npos);
    EXPECT_NE(fails(one(24, 16, 16, TBlock(40, 0x5A), 2)).find("JPEG"), std::string::npos);
    EXPECT_NE(fails(one(24, 9, 9, TBlock(30, 0), 1, 2)).find("タイル表"), std::string::npos);
    EXPECT_NE(fails(one(7, 2, 2, TBlock())).find("色数"), std::string::npos);
    EXPECT_NE(fails(one(24, -2, 2, TBlock())).find("大きさ"), std::string::npos);
    EXPECT_NE(fails(one(32, 30000, 30000, TBlock())).find("大きすぎます"), std::string::npos);
    // Pictures a small file cannot justify: many layers of a large frame.
    TVsk big;
    big.sig(106).header(106, 1, 0, 1, 0).frame("F", -1, 1, 1000, 8000, 8000, 32);
    for (int i = 0; i < 1000; ++i) big.layer(106, 1, -1, 255, 0).i32(0).i32(0);
    EXPECT_NE(fails(big.b).find("大きすぎます"), std::string::npos);
    TVsk digits;
    digits.sig(106);
    digits.b[5] = 'x';
    EXPECT_EQ(fails(digits.b), "'1x6' は有効な整数値ではありません");
    TVsk header;
    header.sig(106).i32(-1);
    EXPECT_NE(fails(header.b).find("ヘッダー"), std::string::npos);
    TVsk count;
    count.sig(101).i32(1000000000).u8(0);
    EXPECT_NE(fails(count.b), "no error");

    // A list keeps the frames read completely.
    std::vector<uint8_t> b = ThreeFrames();
    b.resize(b.size() - 10);
    TReadOnlyMemoryStream s(b.data(), static_cast<int64_t>(b.size()));
    TVaskFrameList l;
    EXPECT_THROW(l.LoadFromStream(s, false), EVobeError);
    EXPECT_EQ(l.Count(), 2);
}

} // namespace
} // namespace vobe
