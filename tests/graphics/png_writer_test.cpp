#include "graphics/png_writer.h"

#include <gtest/gtest.h>

#include "archive/stream.h"
#include "platform/error.h"

namespace vobe {
namespace {

TEST(PngWriter, RoundTripsEveryDepth) {
    const int w = 3, h = 2;
    // Native pixels: black, full red, full green, full blue, white, a mid value.
    const uint32_t p32[] = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x804020};
    const uint16_t p16[] = {0x0000, 0xF800, 0x07E0, 0x001F, 0xFFFF, 0x8204};
    const uint16_t p15[] = {0x0000, 0x7C00, 0x03E0, 0x001F, 0x7FFF, 0x4104};
    struct Case {
        int depth;
        const void* pixels;
        int pitch;
        uint32_t mid;
    } cases[] = {{32, p32, 12, 0x804020}, {16, p16, 6, 0x844121}, {15, p15, 6, 0x844221}};
    for (const auto& c : cases) {
        std::vector<uint8_t> png = EncodePng24(c.pixels, c.pitch, c.depth, w, h);
        std::vector<uint32_t> rgb;
        int32_t rw = 0, rh = 0;
        ASSERT_TRUE(DecodePngRgb(png.data(), png.size(), rgb, rw, rh)) << c.depth;
        ASSERT_EQ(rw, w);
        ASSERT_EQ(rh, h);
        const uint32_t expect[] = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, c.mid};
        for (int i = 0; i < 6; ++i) EXPECT_EQ(rgb[i], expect[i]) << "depth " << c.depth << " pixel " << i;
    }
}

TEST(PngWriter, RejectsBadInput) {
    uint32_t px = 0;
    EXPECT_THROW(EncodePng24(&px, 4, 24, 1, 1), EVobeError);
    EXPECT_THROW(EncodePng24(&px, 4, 32, 0, 1), EVobeError);
    std::vector<uint8_t> png = EncodePng24(&px, 4, 32, 1, 1);
    std::vector<uint32_t> rgb;
    int32_t w, h;
    for (size_t cut : {size_t(0), size_t(8), size_t(20), png.size() / 2})
        EXPECT_FALSE(DecodePngRgb(png.data(), cut, rgb, w, h)) << cut;
    TMemoryStream ms;
    SavePng24(ms, &px, 4, 32, 1, 1);
    EXPECT_EQ(ms.GetSize(), static_cast<int64_t>(png.size()));
}

} // namespace
} // namespace vobe
