// The load-time operations of TDIBSurface.
#include <gtest/gtest.h>

#include "graphics/dib_surface.h"
#include "platform/error.h"

namespace vobe {
namespace {

TEST(DIBSurface, SizesFormatsAndLimits) {
    TDIBSurface s(3, 2, 15);
    EXPECT_EQ(s.BitCount(), 16);
    EXPECT_EQ(s.LogicalBitCount(), 15);
    EXPECT_EQ(s.Pitch(), 8);
    TDIBSurface b(9, 1, 1);
    EXPECT_EQ(b.Pitch(), 4);
    EXPECT_THROW(s.SetSize(40000, 10, 32), EVobeError);
    EXPECT_THROW(s.SetSize(20000, 20000, 32), EVobeError);
    EXPECT_THROW(s.SetSize(-1, 10, 32), EVobeError);
    s.SetSize(4, 4, 24);
    s.CreateMask();
    s.SetSize(6, 5, 24);
    ASSERT_TRUE(s.HasMask());
    EXPECT_EQ(s.Mask()->Width(), 6);
    EXPECT_EQ(s.Mask()->Height(), 5);
}

TEST(DIBSurface, PixelsOfEveryFormatAndColours) {
    TDIBSurface s24(2, 1, 24);
    s24.SetPixel(1, 0, 0x00112233);      // Windows order: red 0x33
    EXPECT_EQ(s24.ScanLine(0)[3], 0x11); // stored blue, green, red
    EXPECT_EQ(s24.ScanLine(0)[5], 0x33);
    EXPECT_EQ(s24.PixelToColor(s24.GetPixel(1, 0)), 0x00112233u);
    EXPECT_EQ(s24.RGBToPixel(0x33, 0x22, 0x11), 0x00112233u);
    TDIBSurface s4(3, 1, 4);
    s4.SetPixel(0, 0, 0xA);
    s4.SetPixel(1, 0, 0x5);
    EXPECT_EQ(s4.ScanLine(0)[0], 0xA5);
    TDIBSurface s1(10, 1, 1);
    s1.SetPixel(9, 0, 1);
    EXPECT_EQ(s1.ScanLine(0)[1], 0x40);
    EXPECT_EQ(s1.GetPixel(9, 0), 1u);
    // RGBToPixel per format, and the nearest palette entry.
    EXPECT_EQ(TDIBSurface(1, 1, 15).RGBToPixel(255, 8, 7), (31u << 10) | (1u << 5));
    EXPECT_EQ(TDIBSurface(1, 1, 16).RGBToPixel(255, 8, 7), (31u << 11) | (2u << 5));
    EXPECT_EQ(TDIBSurface(1, 1, 32).RGBToPixel(1, 2, 3), 0x010203u);
    TDIBSurface p(1, 1, 8);
    p.Palette[7] = 0x00FF0000;
    EXPECT_EQ(p.RGBToPixel(250, 10, 0), 7u);
}

TEST(DIBSurface, DrawKeyedAtEveryBitCount) {
    for (int32_t bits : {1, 4, 8, 15, 16, 24, 32}) {
        TDIBSurface src(4, 1, bits), dst(4, 1, bits);
        src.SetPixel(0, 0, 1);
        src.SetPixel(2, 0, 1);
        dst.FillRect(TRect{0, 0, 4, 1}, 0);
        dst.DrawKeyed(0, 0, 0, TRect{0, 0, 4, 1}, src);
        EXPECT_EQ(dst.GetPixel(0, 0), 1u) << bits;
        dst.FillRect(TRect{0, 0, 4, 1}, 1);
        dst.DrawKeyed(0, 0, 0, TRect{0, 0, 4, 1}, src); // key 0 skips the zero pixels
        EXPECT_EQ(dst.GetPixel(1, 0), 1u) << bits;
        dst.DrawKeyed(0, 0, -1, TRect{0, 0, 4, 1}, src);
        EXPECT_EQ(dst.GetPixel(1, 0), 0u) << bits;
    }
}

TEST(DIBSurface, DrawAlphaPerFormat) {
    TDIBSurface s16(1, 1, 16), d16(1, 1, 16);
    s16.SetPixel(0, 0, 0xFFFF);
    d16.DrawAlpha(0, 0, 128, -1, TRect{0, 0, 1, 1}, s16);
    // Divided by 255 here: 128 x 31 / 255 = 15, 128 x 63 / 255 = 31.
    EXPECT_EQ(d16.GetPixel(0, 0), (15u << 11) | (31u << 5) | 15u);
    TDIBSurface s32(1, 1, 32), d32(1, 1, 32);
    s32.SetPixel(0, 0, 0xFFFFFFFF);
    d32.SetPixel(0, 0, 0xFF000000);
    d32.DrawAlpha(0, 0, 254, -1, TRect{0, 0, 1, 1}, s32);
    EXPECT_EQ(d32.GetPixel(0, 0), 0x00FDFDFDu); // >> 8, top byte cleared
    TDIBSurface s24(1, 1, 24), d24(1, 1, 24);
    s24.SetPixel(0, 0, 0xFFFFFF);
    d24.DrawAlpha(0, 0, 254, -1, TRect{0, 0, 1, 1}, s24);
    EXPECT_EQ(d24.GetPixel(0, 0), 0xFEFEFEu);             // 254 x 255 / 255
    d24.DrawAlpha(0, 0, 300, -1, TRect{0, 0, 1, 1}, s24); // above 254: a keyed copy
    EXPECT_EQ(d24.GetPixel(0, 0), 0xFFFFFFu);
    // Palette bitmaps dither: level 128 / 16 = 8 copies where the matrix cell is 8 or less.
    TDIBSurface s8(4, 4, 8), d8(4, 4, 8);
    s8.FillRect(TRect{0, 0, 4, 4}, 9);
    d8.DrawAlpha(0, 0, 128, -1, TRect{0, 0, 4, 4}, s8);
    const uint8_t cells[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(d8.GetPixel(x, y), cells[y][x] <= 8 ? 9u : 0u) << x << "," << y;
}

TEST(DIBSurface, DrawMaskedUsesTheSourceMask) {
    TDIBSurface src(3, 1, 32), dst(3, 1, 32);
    src.FillRect(TRect{0, 0, 3, 1}, 0xFFFFFF);
    src.CreateMask();
    src.Mask()->SetPixel(0, 0, 0);
    src.Mask()->SetPixel(1, 0, 128);
    src.Mask()->SetPixel(2, 0, 255);
    dst.DrawMasked(0, 0, 255, TRect{0, 0, 3, 1}, src);
    EXPECT_EQ(dst.GetPixel(0, 0), 0u);
    EXPECT_EQ(dst.GetPixel(1, 0), 0x7F7F7Fu);
    EXPECT_EQ(dst.GetPixel(2, 0), 0xFFFFFFu);
    // 24 bits scale the mask by the alpha first and skip when alpha x m < 256.
    TDIBSurface s24(3, 1, 24), d24(3, 1, 24);
    s24.FillRect(TRect{0, 0, 3, 1}, 0xFFFFFF);
    s24.AssignMask(*src.Mask());
    d24.DrawMasked(0, 0, 128, TRect{0, 0, 3, 1}, s24);
    EXPECT_EQ(d24.GetPixel(1, 0), 0x3F3F3Fu); // e = 64: 64 x 255 >> 8
    EXPECT_EQ(d24.GetPixel(2, 0), 0x7E7E7Eu); // e = 127
    // Without a mask: DrawAlpha with no key.
    TDIBSurface plain(1, 1, 32), out(1, 1, 32);
    plain.SetPixel(0, 0, 0xFFFFFF);
    out.DrawMasked(0, 0, 255, TRect{0, 0, 1, 1}, plain);
    EXPECT_EQ(out.GetPixel(0, 0), 0xFFFFFFu);
}

TEST(DIBSurface, FillRectMasksTheValueAndClampsToTheBitmap) {
    TDIBSurface s(4, 4, 15);
    s.FillRect(TRect{-5, -5, 2, 2}, 0xFFFFFFFF);
    EXPECT_EQ(s.GetPixel(1, 1), 0x7FFFu);
    EXPECT_EQ(s.GetPixel(2, 2), 0u);
    TDIBSurface p(3, 1, 4);
    p.FillRect(TRect{0, 0, 3, 1}, 0x1C);
    EXPECT_EQ(p.GetPixel(2, 0), 0xCu);
}

TEST(DIBSurface, ContentRectTrimCropAndCopyFrom) {
    TDIBSurface s(6, 5, 8);
    s.FillRect(TRect{0, 0, 6, 5}, 7);
    s.SetPixel(2, 1, 3);
    s.SetPixel(4, 3, 3);
    EXPECT_EQ(s.ContentRect(7), (TRect{2, 1, 5, 4}));
    EXPECT_EQ(s.ContentRect(-1), (TRect{0, 0, 6, 5}));
    s.CreateMask();
    s.Mask()->SetPixel(2, 1, 200);
    EXPECT_EQ(s.Trim(7), (TRect{2, 1, 5, 4}));
    EXPECT_EQ(s.Width(), 3);
    EXPECT_EQ(s.GetPixel(0, 0), 3u);
    ASSERT_TRUE(s.HasMask());
    EXPECT_EQ(s.Mask()->GetPixel(0, 0), 200u);
    TDIBSurface all(3, 3, 32);
    EXPECT_TRUE(IsRectEmpty(all.ContentRect(0)));
    all.Trim(0);
    EXPECT_EQ(all.Width(), 1);
    EXPECT_EQ(all.Height(), 1);
    TDIBSurface c;
    c.CopyFrom(s, TRect{1, 1, 3, 3}, false);
    EXPECT_EQ(c.LogicalBitCount(), 8);
    EXPECT_EQ(c.Width(), 2);
    EXPECT_FALSE(c.HasMask());
}

TEST(DIBSurface, ResampleBilinearAndBox) {
    TDIBSurface s(2, 1, 24);
    s.SetPixel(0, 0, 0x000000);
    s.SetPixel(1, 0, 0xFFFFFF);
    TDIBSurface up(2, 1, 24);
    up.DrawKeyed(0, 0, -1, TRect{0, 0, 2, 1}, s);
    up.Resample(4, 1);
    EXPECT_EQ(up.LogicalBitCount(), 24);
    EXPECT_EQ(up.GetPixel(0, 0), 0x000000u);
    EXPECT_EQ(up.GetPixel(1, 0), 0x808080u); // 127.5 rounds to even: 128
    EXPECT_EQ(up.GetPixel(2, 0), 0xFFFFFFu);
    EXPECT_EQ(up.GetPixel(3, 0), 0x808080u); // white blended with the black outside
    TDIBSurface down(2, 1, 24);
    down.DrawKeyed(0, 0, -1, TRect{0, 0, 2, 1}, s);
    down.Resample(1, 1);
    EXPECT_EQ(down.GetPixel(0, 0), 0x808080u);
    down.Resample(1, 1); // unchanged size: nothing
    EXPECT_EQ(down.GetPixel(0, 0), 0x808080u);
}

} // namespace
} // namespace vobe
