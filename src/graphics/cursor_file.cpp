#include "graphics/cursor_file.h"

#include <string>

#include "platform/cp932.h"
#include "platform/error.h"

namespace vobe {

namespace {

[[noreturn]] void Damaged(const char* what) {
    throw EVobeError(SJ("カーソルファイルが壊れています: ") + what);
}

uint32_t U16(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8;
}
uint32_t U32(const uint8_t* p) {
    return U16(p) | U16(p + 2) << 16;
}

// Cursors are small; anything larger is not a cursor.
constexpr int32_t MaxSide = 256;

} // namespace

TCursorImage DecodeCursor(const uint8_t* data, size_t size) {
    if (size < 6 + 16) Damaged("header");
    if (U16(data) != 0 || (U16(data + 2) != 1 && U16(data + 2) != 2)) Damaged("header");
    if (U16(data + 4) < 1) Damaged("no picture");
    const uint8_t* entry = data + 6;
    TCursorImage img;
    img.HotX = static_cast<int32_t>(U16(entry + 4));
    img.HotY = static_cast<int32_t>(U16(entry + 6));
    const uint64_t length = U32(entry + 8), offset = U32(entry + 12);
    if (offset >= size || length > size - offset || length < 40) Damaged("picture outside the file");
    const uint8_t* bmp = data + offset;
    const uint8_t* const end = bmp + length;
    if (bmp[0] == 0x89 && bmp[1] == 'P') Damaged("PNG picture");
    const uint32_t header = U32(bmp);
    if (header < 40 || header > length) Damaged("bitmap header");
    const int32_t w = static_cast<int32_t>(U32(bmp + 4));
    const int32_t h2 = static_cast<int32_t>(U32(bmp + 8));
    const uint32_t bits = U16(bmp + 14);
    const uint32_t compression = U32(bmp + 16);
    uint32_t colours = U32(bmp + 32);
    // The height counts the colour rows and the mask rows.
    if (w < 1 || w > MaxSide || h2 < 2 || h2 > 2 * MaxSide || h2 % 2 != 0) Damaged("picture size");
    if (compression != 0) Damaged("compressed picture");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) Damaged("bit count");
    const int32_t h = h2 / 2;
    if (bits <= 8) {
        if (colours == 0 || colours > (1u << bits)) colours = 1u << bits;
    } else {
        colours = 0;
    }
    const uint8_t* palette = bmp + header;
    if (static_cast<uint64_t>(end - palette) < uint64_t{colours} * 4) Damaged("palette");
    const uint8_t* xorBits = palette + uint64_t{colours} * 4;
    const size_t xorPitch = (static_cast<size_t>(w) * bits + 31) / 32 * 4;
    const size_t andPitch = (static_cast<size_t>(w) + 31) / 32 * 4;
    if (static_cast<uint64_t>(end - xorBits) < uint64_t{xorPitch} * h + uint64_t{andPitch} * h)
        Damaged("pixels beyond the picture");
    const uint8_t* andBits = xorBits + xorPitch * static_cast<size_t>(h);

    img.Width = w;
    img.Height = h;
    img.Pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    bool anyAlpha = false;
    for (int32_t y = 0; y < h; ++y) {
        // Rows are stored bottom-up.
        const uint8_t* row = xorBits + xorPitch * static_cast<size_t>(h - 1 - y);
        const uint8_t* mask = andBits + andPitch * static_cast<size_t>(h - 1 - y);
        for (int32_t x = 0; x < w; ++x) {
            uint32_t rgb = 0, alpha = 255;
            if (bits <= 8) {
                const size_t bit = static_cast<size_t>(x) * bits;
                const uint32_t index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                rgb = index < colours ? U32(palette + index * 4) & 0xFFFFFF : 0;
            } else if (bits == 24) {
                const uint8_t* p = row + static_cast<size_t>(x) * 3;
                rgb = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
            } else {
                const uint32_t v = U32(row + static_cast<size_t>(x) * 4);
                rgb = v & 0xFFFFFF;
                alpha = v >> 24;
                anyAlpha = anyAlpha || alpha != 0;
            }
            const bool hidden = (mask[x / 8] >> (7 - x % 8)) & 1;
            if (bits != 32 && hidden) alpha = 0;
            img.Pixels[static_cast<size_t>(y) * w + x] = alpha << 24 | rgb;
        }
    }
    // A 32-bit picture without alpha values takes its shape from the mask.
    if (bits == 32 && !anyAlpha)
        for (int32_t y = 0; y < h; ++y) {
            const uint8_t* mask = andBits + andPitch * static_cast<size_t>(h - 1 - y);
            for (int32_t x = 0; x < w; ++x) {
                uint32_t& p = img.Pixels[static_cast<size_t>(y) * w + x];
                if (!((mask[x / 8] >> (7 - x % 8)) & 1)) p |= 0xFF000000u;
            }
        }
    if (img.HotX >= w) img.HotX = w - 1;
    if (img.HotY >= h) img.HotY = h - 1;
    return img;
}

} // namespace vobe
