#include "graphics/png_writer.h"

#include <cstring>
#include <png.h>

#include "archive/stream.h"
#include "platform/cp932.h"
#include "platform/error.h"

namespace vobe {

void NativeToRgb(uint32_t p, int32_t depth, uint8_t& r, uint8_t& g, uint8_t& b) {
    switch (depth) {
    case 15: {
        uint32_t r5 = (p >> 10) & 31, g5 = (p >> 5) & 31, b5 = p & 31;
        r = static_cast<uint8_t>(r5 << 3 | r5 >> 2);
        g = static_cast<uint8_t>(g5 << 3 | g5 >> 2);
        b = static_cast<uint8_t>(b5 << 3 | b5 >> 2);
        break;
    }
    case 16: {
        uint32_t r5 = (p >> 11) & 31, g6 = (p >> 5) & 63, b5 = p & 31;
        r = static_cast<uint8_t>(r5 << 3 | r5 >> 2);
        g = static_cast<uint8_t>(g6 << 2 | g6 >> 4);
        b = static_cast<uint8_t>(b5 << 3 | b5 >> 2);
        break;
    }
    default:
        r = static_cast<uint8_t>(p >> 16);
        g = static_cast<uint8_t>(p >> 8);
        b = static_cast<uint8_t>(p);
        break;
    }
}

namespace {

void WriteToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void FlushNothing(png_structp) {}

[[noreturn]] void PngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void PngWarning(png_structp, png_const_charp) {}

struct ReadSource {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* src = static_cast<ReadSource*>(png_get_io_ptr(png));
    if (length > src->size - src->pos) png_error(png, "truncated");
    std::memcpy(out, src->data + src->pos, length);
    src->pos += length;
}

} // namespace

std::vector<uint8_t> EncodePng24(const void* pixels, int32_t pitch, int32_t depth, int32_t width,
                                 int32_t height) {
    if (depth != 15 && depth != 16 && depth != 32)
        throw EVobeError(SJ("スクリーンショット: 画素の深さが不正です"));
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535)
        throw EVobeError(SJ("スクリーンショット: 画像の大きさが不正です"));
    std::vector<uint8_t> out;
    std::vector<uint8_t> row(size_t(width) * 3);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (!png) throw EVobeError(SJ("スクリーンショット: PNG を作成できません"));
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw EVobeError(SJ("スクリーンショット: PNG を作成できません"));
    }
    png_set_write_fn(png, &out, WriteToVector, FlushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 6);
    png_write_info(png, info);
    const auto* base = static_cast<const uint8_t*>(pixels);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* src = base + static_cast<ptrdiff_t>(y) * pitch;
        for (int32_t x = 0; x < width; ++x) {
            uint32_t p;
            if (depth == 32) {
                uint32_t v;
                std::memcpy(&v, src + size_t(x) * 4, 4);
                p = v;
            } else {
                uint16_t v;
                std::memcpy(&v, src + size_t(x) * 2, 2);
                p = v;
            }
            NativeToRgb(p, depth, row[size_t(x) * 3], row[size_t(x) * 3 + 1], row[size_t(x) * 3 + 2]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<uint8_t> EncodePngRgba(const uint8_t* rgba, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535)
        throw EVobeError(SJ("PNG: 画像の大きさが不正です"));
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (!png) throw EVobeError(SJ("PNG を作成できません"));
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw EVobeError(SJ("PNG を作成できません"));
    }
    png_set_write_fn(png, &out, WriteToVector, FlushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 6);
    png_write_info(png, info);
    for (int32_t y = 0; y < height; ++y)
        png_write_row(png,
                      const_cast<png_bytep>(rgba + static_cast<size_t>(y) * static_cast<size_t>(width) * 4));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

void SavePng24(TStream& dest, const void* pixels, int32_t pitch, int32_t depth, int32_t width,
               int32_t height) {
    std::vector<uint8_t> bytes = EncodePng24(pixels, pitch, depth, width, height);
    dest.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

bool DecodePngRgb(const uint8_t* data, size_t size, std::vector<uint32_t>& pixels, int32_t& width,
                  int32_t& height) {
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    // Everything with a destructor lives outside the jump's reach.
    std::vector<uint8_t> rows;
    std::vector<png_bytep> ptrs;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    ReadSource src{data, size, 0};
    png_set_read_fn(png, &src, ReadFromMemory);
    png_set_user_limits(png, 16384, 16384);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_strip_alpha(png);
    png_read_update_info(png, info);
    png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    size_t rowBytes = png_get_rowbytes(png, info);
    if (rowBytes < size_t(w) * 3) png_error(png, "layout");
    rows.resize(rowBytes * h);
    ptrs.resize(h);
    for (png_uint_32 y = 0; y < h; ++y) ptrs[y] = rows.data() + rowBytes * y;
    png_read_image(png, ptrs.data());
    png_destroy_read_struct(&png, &info, nullptr);
    width = static_cast<int32_t>(w);
    height = static_cast<int32_t>(h);
    pixels.resize(size_t(w) * h);
    for (png_uint_32 y = 0; y < h; ++y)
        for (png_uint_32 x = 0; x < w; ++x) {
            const uint8_t* p = rows.data() + rowBytes * y + size_t(x) * 3;
            pixels[size_t(y) * w + x] = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
        }
    return true;
}

} // namespace vobe
