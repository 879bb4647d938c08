// Cursor files built byte by byte from the format's rules: the directory, the bitmap with its
// palette, the bottom-up rows and the AND mask; damaged files.
#include <gtest/gtest.h>

#include "graphics/cursor_file.h"
#include "platform/error.h"

namespace vobe {
namespace {

struct TBytes {
    std::vector<uint8_t> b;
    TBytes& U8(uint32_t v) {
        b.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    TBytes& U16(uint32_t v) { return U8(v).U8(v >> 8); }
    TBytes& U32(uint32_t v) { return U16(v).U16(v >> 16); }
};

// A cursor file with one picture of w x h, `bits` per pixel, the palette, the colour rows and the
// mask rows (both given top-down, already padded), hot spot (hx, hy).
std::vector<uint8_t> Cursor(int32_t w, int32_t h, uint32_t bits, std::vector<uint32_t> palette,
                            std::vector<std::vector<uint8_t>> rows, std::vector<std::vector<uint8_t>> mask,
                            uint32_t hx, uint32_t hy) {
    TBytes bmp;
    bmp.U32(40).U32(static_cast<uint32_t>(w)).U32(static_cast<uint32_t>(2 * h)).U16(1).U16(bits).U32(0);
    bmp.U32(0).U32(0).U32(0).U32(static_cast<uint32_t>(palette.size())).U32(0);
    for (uint32_t c : palette) bmp.U32(c);
    for (size_t i = rows.size(); i-- > 0;)
        for (uint8_t v : rows[i]) bmp.U8(v);
    for (size_t i = mask.size(); i-- > 0;)
        for (uint8_t v : mask[i]) bmp.U8(v);
    TBytes f;
    f.U16(0).U16(2).U16(1);
    f.U8(static_cast<uint32_t>(w)).U8(static_cast<uint32_t>(h)).U8(0).U8(0).U16(hx).U16(hy);
    f.U32(static_cast<uint32_t>(bmp.b.size())).U32(22);
    f.b.insert(f.b.end(), bmp.b.begin(), bmp.b.end());
    return f.b;
}

const std::vector<uint8_t> Pad4 = {0, 0, 0, 0};

TEST(CursorFile, OneBitPictureWithItsMask) {
    // 2 x 2: top row white/black, bottom row black/white; the mask hides the top-right pixel.
    auto f = Cursor(2, 2, 1, {0x000000, 0xFFFFFF}, {{0x80, 0, 0, 0}, {0x40, 0, 0, 0}},
                    {{0x40, 0, 0, 0}, {0x00, 0, 0, 0}}, 1, 0);
    TCursorImage c = DecodeCursor(f.data(), f.size());
    EXPECT_EQ(c.Width, 2);
    EXPECT_EQ(c.Height, 2);
    EXPECT_EQ(c.HotX, 1);
    EXPECT_EQ(c.HotY, 0);
    EXPECT_EQ(c.Pixels, (std::vector<uint32_t>{0xFFFFFFFF, 0x00000000, 0xFF000000, 0xFFFFFFFF}));
}

TEST(CursorFile, ThirtyTwoBitPictures) {
    // With alpha values they are used; without, the mask gives the shape.
    auto withAlpha = Cursor(1, 1, 32, {}, {{0x11, 0x22, 0x33, 0x80}}, {Pad4}, 0, 0);
    EXPECT_EQ(DecodeCursor(withAlpha.data(), withAlpha.size()).Pixels, std::vector<uint32_t>{0x80332211});
    auto noAlpha = Cursor(2, 1, 32, {}, {{1, 2, 3, 0, 4, 5, 6, 0}}, {{0x40, 0, 0, 0}}, 5, 5);
    TCursorImage c = DecodeCursor(noAlpha.data(), noAlpha.size());
    EXPECT_EQ(c.Pixels, (std::vector<uint32_t>{0xFF030201, 0x00060504}));
    EXPECT_EQ(c.HotX, 1); // kept inside the picture
    auto rgb = Cursor(1, 1, 24, {}, {{0x10, 0x20, 0x30, 0}}, {Pad4}, 0, 0);
    EXPECT_EQ(DecodeCursor(rgb.data(), rgb.size()).Pixels, std::vector<uint32_t>{0xFF302010});
    auto pal4 = Cursor(2, 1, 4, std::vector<uint32_t>(16, 0x0000FF), {{0x01, 0, 0, 0}}, {Pad4}, 0, 0);
    EXPECT_EQ(DecodeCursor(pal4.data(), pal4.size()).Pixels, (std::vector<uint32_t>{0xFF0000FF, 0xFF0000FF}));
}

TEST(CursorFile, DamagedFilesAreRefused) {
    const auto good =
        Cursor(2, 2, 8, std::vector<uint32_t>(256, 0), {{0, 1, 0, 0}, {1, 0, 0, 0}}, {Pad4, Pad4}, 0, 0);
    ASSERT_NO_THROW(DecodeCursor(good.data(), good.size()));
    struct Case {
        const char* What;
        size_t At;
        uint8_t Value;
    } cases[] = {
        {"reserved word", 0, 1}, {"kind", 2, 3},           {"no picture", 4, 0},
        {"offset", 18, 0xFF},    {"length", 14, 0xFF},     {"header size", 22, 12},
        {"width", 26, 0},        {"odd height", 30, 3},    {"bit count", 36, 7},
        {"compressed", 38, 1},   {"huge width", 27, 0x10}, {"palette beyond", 22, 0xFF},
    };
    for (const Case& c : cases) {
        auto f = good;
        f[c.At] = c.Value;
        EXPECT_THROW(DecodeCursor(f.data(), f.size()), EVobeError) << c.What;
    }
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_THROW(DecodeCursor(good.data(), n), EVobeError) << "cut at " << n;
}

} // namespace
} // namespace vobe
