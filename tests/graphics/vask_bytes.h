// Layered-image files built byte by byte from the format's rules, independently of the player's own
// writer: zlib and JPEG blocks straight from zlib and libjpeg, the scrambling order from the plain
// pool-drawing rule, pixels encoded per format by hand.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace vobe::test {

using TBlock = std::vector<uint8_t>;

// A colour as the 32-bit display shows it: 0x00RRGGBB.
using TPixelFn = std::function<uint32_t(int32_t x, int32_t y)>;

struct TVsk {
    std::vector<uint8_t> b;

    TVsk& u8(int v) {
        b.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    TVsk& i32(int64_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * i)));
        return *this;
    }
    TVsk& raw(const TBlock& d) {
        b.insert(b.end(), d.begin(), d.end());
        return *this;
    }
    TVsk& str(const std::string& s) {
        i32(static_cast<int64_t>(s.size()));
        b.insert(b.end(), s.begin(), s.end());
        return *this;
    }
    TVsk& block(const TBlock& d) { return i32(static_cast<int64_t>(d.size())).raw(d); }
    TVsk& sig(int version) {
        char s[8];
        std::snprintf(s, sizeof s, "Vask%03d", version);
        b.insert(b.end(), s, s + 7);
        return *this;
    }
    // The 40-byte header record of version 103 and later, with its length first.
    TVsk& header(int version, int frames, int scrambled, int compression, uint32_t background, int tileW = 0,
                 int tileH = 0, int firstOpaque = 0, int w = 0, int h = 0, int bits = 0) {
        i32(40).i32(version).i32(w).i32(h).i32(bits).i32(frames);
        u8(1).u8(scrambled).u8(compression).u8(0);
        i32(background).i32(tileW).i32(tileH);
        return u8(firstOpaque).u8(75).u8(0).u8(0);
    }
    TVsk& frame(const std::string& name, int64_t key, int delay, int layers, int w, int h, int bits) {
        str(name).i32(key).i32(delay).u8(0).i32(0).i32(layers).i32(w).i32(h).i32(bits);
        return *this;
    }
    // Everything of a layer up to its colour block; the has-mask byte only from version 101.
    TVsk& layer(int version, int visible, int64_t key, int opacity, int hasMask,
                const std::string& name = "L") {
        i32(0).i32(0).u8(visible).i32(key).i32(opacity);
        if (version >= 101) u8(hasMask);
        return str(name);
    }
};

inline TBlock Zlib(const TBlock& d) {
    uLongf n = compressBound(static_cast<uLong>(d.size()));
    TBlock out(n);
    compress2(out.data(), &n, d.data(), static_cast<uLong>(d.size()), 9);
    out.resize(n);
    return out;
}

inline int32_t RowBytes(int32_t w, int32_t bits) {
    const int32_t store = bits == 15 ? 16 : bits;
    return ((store * w + 31) / 32) * 4;
}

// One pixel in the stored form of the format; for 8 bits and fewer the value is the palette index.
inline void PutPixel(uint8_t* row, int32_t x, int32_t bits, uint32_t c) {
    const uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, bl = c & 0xFF;
    switch (bits) {
    case 1: row[x / 8] = static_cast<uint8_t>(row[x / 8] | ((c & 1) << (7 - x % 8))); break;
    case 4: row[x / 2] = static_cast<uint8_t>(row[x / 2] | ((c & 15) << (x % 2 ? 0 : 4))); break;
    case 8: row[x] = static_cast<uint8_t>(c); break;
    case 15:
    case 16: {
        const uint32_t v = bits == 15 ? ((r >> 3) << 10) | ((g >> 3) << 5) | (bl >> 3)
                                      : ((r >> 3) << 11) | ((g >> 2) << 5) | (bl >> 3);
        row[x * 2] = static_cast<uint8_t>(v);
        row[x * 2 + 1] = static_cast<uint8_t>(v >> 8);
        break;
    }
    case 24:
        row[x * 3] = static_cast<uint8_t>(bl);
        row[x * 3 + 1] = static_cast<uint8_t>(g);
        row[x * 3 + 2] = static_cast<uint8_t>(r);
        break;
    default:
        row[x * 4] = static_cast<uint8_t>(bl);
        row[x * 4 + 1] = static_cast<uint8_t>(g);
        row[x * 4 + 2] = static_cast<uint8_t>(r);
        row[x * 4 + 3] = static_cast<uint8_t>(c >> 24);
        break;
    }
}

// Bitmap rows, top row first, each padded to a multiple of 4 bytes.
inline TBlock Rows(int32_t w, int32_t h, int32_t bits, const TPixelFn& px) {
    const int32_t rb = RowBytes(w, bits);
    TBlock out(static_cast<size_t>(rb) * h, 0);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) PutPixel(out.data() + static_cast<size_t>(y) * rb, x, bits, px(x, y));
    return out;
}

// A tile row's run: (bits x w + 7) div 8 bytes, no padding.
inline TBlock Run(int32_t x0, int32_t y, int32_t w, int32_t bits, const TPixelFn& px) {
    const int32_t store = bits == 15 ? 16 : bits;
    TBlock out(static_cast<size_t>((store * w + 7) / 8), 0);
    for (int32_t i = 0; i < w; ++i) PutPixel(out.data(), i, bits, px(x0 + i, y));
    return out;
}

// P(0), P(1), ...: each step s := s x 5 + key (mod 2^32) from s = 0 takes the element at s mod the
// remaining count out of the pool 0 .. n - 1.
inline std::vector<int32_t> Perm(uint32_t key, int32_t n) {
    std::vector<int32_t> pool(static_cast<size_t>(n)), out;
    for (int32_t i = 0; i < n; ++i) pool[static_cast<size_t>(i)] = i;
    uint32_t s = 0;
    while (!pool.empty()) {
        s = s * 5 + key;
        const size_t k = s % pool.size();
        out.push_back(pool[k]);
        pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(k));
    }
    return out;
}

// Rows stored in scrambled order: stored row i is picture row P(i).
inline TBlock Scramble(const TBlock& rows, int32_t rowBytes, int32_t h, uint32_t key) {
    const std::vector<int32_t> p = Perm(key, h);
    TBlock out(rows.size());
    for (int32_t i = 0; i < h; ++i)
        std::memcpy(out.data() + static_cast<size_t>(i) * rowBytes,
                    rows.data() + static_cast<size_t>(p[i]) * rowBytes, static_cast<size_t>(rowBytes));
    return out;
}

// A tiled block: the table (entry i for tile P(i) when a key is given), then the runs of the tiles
// marked -1, tiles of the last column and row cut to the picture.
struct TTileSpec {
    int32_t A = -1, B = 0;
};
inline TBlock Tiles(int32_t w, int32_t h, int32_t bits, int32_t tw, int32_t th,
                    const std::vector<TTileSpec>& tiles, const TPixelFn& px, const uint32_t* key = nullptr) {
    const int32_t nx = (w + tw - 1) / tw, ny = (h + th - 1) / th;
    TVsk t;
    std::vector<int32_t> order(static_cast<size_t>(nx * ny));
    for (int32_t i = 0; i < nx * ny; ++i) order[static_cast<size_t>(i)] = i;
    if (key) order = Perm(*key, nx * ny);
    for (int32_t i = 0; i < nx * ny; ++i)
        t.i32(tiles[static_cast<size_t>(order[i])].A).i32(tiles[static_cast<size_t>(order[i])].B);
    for (int32_t ty = 0; ty < ny; ++ty)
        for (int32_t tx = 0; tx < nx; ++tx) {
            if (tiles[static_cast<size_t>(ty * nx + tx)].A != -1) continue;
            const int32_t x0 = tx * tw, y0 = ty * th;
            const int32_t cw = std::min(tw, w - x0), ch = std::min(th, h - y0);
            for (int32_t r = 0; r < ch; ++r) t.raw(Run(x0, y0 + r, cw, bits, px));
        }
    return t.b;
}

// A baseline JPEG of an RGB picture, straight from libjpeg.
inline TBlock JpegOf(int32_t w, int32_t h, const TPixelFn& px, int quality = 90) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = static_cast<JDIMENSION>(w);
    c.image_height = static_cast<JDIMENSION>(h);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t v = px(x, y);
            row[x * 3] = static_cast<uint8_t>(v >> 16);
            row[x * 3 + 1] = static_cast<uint8_t>(v >> 8);
            row[x * 3 + 2] = static_cast<uint8_t>(v);
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    TBlock result(out, out + size);
    std::free(out);
    return result;
}

// The pixels libjpeg makes of a JPEG (0x00RRGGBB, row by row): what a decoder must show.
inline std::vector<uint32_t> JpegPixels(const TBlock& jpeg, int32_t& w, int32_t& h) {
    jpeg_decompress_struct d;
    jpeg_error_mgr err;
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&d, TRUE);
    d.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d);
    w = static_cast<int32_t>(d.output_width);
    h = static_cast<int32_t>(d.output_height);
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
    while (d.output_scanline < d.output_height) {
        const int32_t y = static_cast<int32_t>(d.output_scanline);
        JSAMPROW r = row.data();
        jpeg_read_scanlines(&d, &r, 1);
        for (int32_t x = 0; x < w; ++x)
            px[static_cast<size_t>(y) * w + x] =
                (uint32_t(row[x * 3]) << 16) | (uint32_t(row[x * 3 + 1]) << 8) | row[x * 3 + 2];
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return px;
}

} // namespace vobe::test
