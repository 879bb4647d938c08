#include "graphics/image_loader.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/cp932.h"
#include "platform/error.h"

namespace vobe {

namespace {

[[noreturn]] void Fail(const char* utf8) {
    throw EVobeError(SJ(utf8));
}

uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t U32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void Put16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void ReadExact(TStream& s, void* buf, int64_t n, const char* what) {
    if (n > 0 && s.Read(buf, n) != n) Fail(what);
}

// A channel of a bit-field pixel scaled to 8 bits.
struct TField {
    uint32_t mask = 0;
    int shift = 0, bits = 0;
    explicit TField(uint32_t m) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1)) ++shift;
        while (bits + shift < 32 && ((m >> (shift + bits)) & 1)) ++bits;
    }
    uint32_t Get(uint32_t v) const {
        if (!bits) return 0;
        uint32_t c = (v & mask) >> shift;
        if (bits >= 8) return c >> (bits - 8);
        // Spread a narrow field over 0..255.
        uint32_t max = (1u << bits) - 1;
        return (c * 255 + max / 2) / max;
    }
};

constexpr const char* BmpBadHeader = "ビットマップのヘッダーが正しくありません";
constexpr const char* BmpTruncated = "ビットマップのデータが足りません";
constexpr const char* BmpTooLarge = "ビットマップが大きすぎます";
constexpr const char* BmpUnsupported = "この形式のビットマップは読み込めません";

void DecodeRle(const std::vector<uint8_t>& data, int32_t bits, TDIBSurface& pic) {
    const int32_t w = pic.Width(), h = pic.Height();
    const TPixelView v = pic.View();
    size_t pos = 0;
    int64_t x = 0, y = 0; // y counts rows from the bottom
    auto put = [&](uint32_t idx) {
        if (x < w && y < h) WritePixel(v, static_cast<int32_t>(x), static_cast<int32_t>(h - 1 - y), idx);
        ++x;
    };
    while (y < h) {
        if (pos + 2 > data.size()) Fail(BmpTruncated);
        const uint32_t c = data[pos], b = data[pos + 1];
        pos += 2;
        if (c > 0) {
            for (uint32_t i = 0; i < c; ++i) put(bits == 8 ? b : (i & 1) ? (b & 0x0F) : (b >> 4));
            continue;
        }
        if (b == 0) {
            x = 0;
            ++y;
        } else if (b == 1) {
            return;
        } else if (b == 2) {
            if (pos + 2 > data.size()) Fail(BmpTruncated);
            x += data[pos];
            y += data[pos + 1];
            pos += 2;
        } else {
            const size_t bytes = bits == 8 ? b : (b + 1) / 2;
            const size_t padded = (bytes + 1) & ~size_t{1};
            if (pos + bytes > data.size()) Fail(BmpTruncated);
            for (uint32_t i = 0; i < b; ++i)
                put(bits == 8 ? data[pos + i]
                    : (i & 1) ? (data[pos + i / 2] & 0x0F)
                              : (data[pos + i / 2] >> 4));
            pos = std::min(data.size(), pos + padded);
        }
    }
}

} // namespace

void LoadBitmapFromStream(TStream& stream, TDIBSurface& picture) {
    const int64_t start = stream.GetPosition();
    const int64_t avail = stream.GetSize() - start;
    uint8_t fh[14];
    ReadExact(stream, fh, 14, BmpBadHeader);
    if (fh[0] != 'B' || fh[1] != 'M') Fail(BmpBadHeader);
    const uint32_t offBits = U32(fh + 10);
    uint8_t hs[4];
    ReadExact(stream, hs, 4, BmpBadHeader);
    const uint32_t hsize = U32(hs);
    int32_t width, height;
    uint32_t bits, compression = 0, clrUsed = 0;
    uint32_t masks[3] = {0, 0, 0};
    bool core = false;
    if (hsize == 12) {
        uint8_t h[8];
        ReadExact(stream, h, 8, BmpBadHeader);
        width = U16(h);
        height = static_cast<int16_t>(U16(h + 2));
        bits = U16(h + 6);
        core = true;
    } else if (hsize >= 40 && hsize <= 1024) {
        std::vector<uint8_t> h(hsize - 4);
        ReadExact(stream, h.data(), hsize - 4, BmpBadHeader);
        width = static_cast<int32_t>(U32(&h[0]));
        height = static_cast<int32_t>(U32(&h[4]));
        bits = U16(&h[10]);
        compression = U32(&h[12]);
        clrUsed = U32(&h[28]);
        if (hsize >= 52)
            for (int i = 0; i < 3; ++i) masks[i] = U32(&h[36 + 4 * i]);
    } else {
        Fail(BmpBadHeader);
    }
    if (hsize == 40 && (compression == 3 || compression == 6)) {
        uint8_t m[16];
        ReadExact(stream, m, compression == 6 ? 16 : 12, BmpTruncated);
        for (int i = 0; i < 3; ++i) masks[i] = U32(m + 4 * i);
    }
    if (width <= 0 || height == 0 || height == INT32_MIN) Fail(BmpBadHeader);
    const bool topDown = height < 0;
    const int32_t h = topDown ? -height : height;
    if (width > MaxBitmapSide || h > MaxBitmapSide || static_cast<int64_t>(width) * h > MaxLoadPixels)
        Fail(BmpTooLarge);
    const bool rle = compression == 1 || compression == 2;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) Fail(BmpUnsupported);
    if (compression == 1 && bits != 8) Fail(BmpUnsupported);
    if (compression == 2 && bits != 4) Fail(BmpUnsupported);
    if ((compression == 3 || compression == 6) && bits != 16 && bits != 32) Fail(BmpUnsupported);
    if (compression > 3 && compression != 6) Fail(BmpUnsupported);
    if (rle && topDown) Fail(BmpBadHeader);

    // Palette.
    std::array<uint32_t, 256> pal{};
    if (bits <= 8) {
        const uint32_t full = 1u << bits;
        const uint32_t count = (clrUsed == 0 || clrUsed > full) ? full : clrUsed;
        const int es = core ? 3 : 4;
        std::vector<uint8_t> p(static_cast<size_t>(count) * es);
        ReadExact(stream, p.data(), static_cast<int64_t>(p.size()), BmpTruncated);
        for (uint32_t i = 0; i < count; ++i)
            pal[i] = p[i * es] | (p[i * es + 1] << 8) | (static_cast<uint32_t>(p[i * es + 2]) << 16);
    }
    // The pixels start at the offset the file header gives, when that lies after the headers.
    const int64_t here = stream.GetPosition() - start;
    const int64_t dataAt = (offBits >= here && offBits < avail) ? offBits : here;
    const int64_t dataBytes = avail - dataAt;
    stream.SetPosition(start + dataAt);

    // The picture's own format.
    int32_t format = static_cast<int32_t>(bits);
    bool generic = false;
    if (bits == 16) {
        if (compression == 0 || (masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F))
            format = 15;
        else if (masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F)
            format = 16;
        else
            generic = true;
    } else if (bits == 32 && compression != 0 &&
               !(masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF)) {
        generic = true;
    }
    if (generic && (masks[0] | masks[1] | masks[2]) == 0) Fail(BmpBadHeader);

    const int64_t stride = DibRowBytes(width, static_cast<int32_t>(bits));
    if (rle) {
        // Run-length data expands at most so far; a tiny file cannot claim a huge picture.
        if (static_cast<int64_t>(width) * h > std::max<int64_t>(dataBytes, 1) * 4096) Fail(BmpTruncated);
        const int64_t rleBytes = std::clamp<int64_t>(dataBytes, 0, stride * h * 2 + 4096);
        std::vector<uint8_t> data;
        data.resize(static_cast<size_t>(rleBytes) + 1);
        data.pop_back();
        ReadExact(stream, data.data(), static_cast<int64_t>(data.size()), BmpTruncated);
        picture.SetSize(width, h, format);
        picture.Palette = pal;
        DecodeRle(data, static_cast<int32_t>(bits), picture);
        return;
    }
    if (dataBytes < stride * h) Fail(BmpTruncated);
    picture.SetSize(width, h, generic ? 24 : format);
    if (bits <= 8) picture.Palette = pal;
    std::vector<uint8_t> row(static_cast<size_t>(stride));
    const TField fr(masks[0]), fg(masks[1]), fb(masks[2]);
    for (int32_t i = 0; i < h; ++i) {
        ReadExact(stream, row.data(), stride, BmpTruncated);
        uint8_t* dst = picture.ScanLine(topDown ? i : h - 1 - i);
        if (!generic) {
            std::memcpy(dst, row.data(), static_cast<size_t>(std::min<int64_t>(stride, picture.Pitch())));
            continue;
        }
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t v = bits == 16 ? U16(&row[x * 2]) : U32(&row[x * 4]);
            dst[x * 3] = static_cast<uint8_t>(fb.Get(v));
            dst[x * 3 + 1] = static_cast<uint8_t>(fg.Get(v));
            dst[x * 3 + 2] = static_cast<uint8_t>(fr.Get(v));
        }
    }
}

// ---- PNG ------------------------------------------------------------------------------------------------

namespace {

struct TPngCtx {
    TStream* stream = nullptr;
    int64_t streamBytes = 0;
    png_structp png = nullptr;
    png_infop info = nullptr;
    char error[128] = {0};
    // Results.
    png_uint_32 width = 0, height = 0;
    int colorType = 0, bitDepth = 0, channels = 0;
    size_t rowBytes = 0;
    std::vector<uint8_t> pixels;
    std::vector<png_bytep> rows;
    png_color palette[256];
    int paletteCount = 0;
    uint8_t trnsAlpha[256];
    int trnsCount = 0;
    bool hasTrnsColour = false;
    png_color_16 trnsColour{};
    bool tooLarge = false;
    ~TPngCtx() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

void PngError(png_structp png, png_const_charp msg) {
    auto* ctx = static_cast<TPngCtx*>(png_get_error_ptr(png));
    std::snprintf(ctx->error, sizeof ctx->error, "%s", msg ? msg : "");
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngRead(png_structp png, png_bytep data, size_t length) {
    auto* ctx = static_cast<TPngCtx*>(png_get_io_ptr(png));
    int64_t got = 0;
    try {
        got = ctx->stream->Read(data, static_cast<int64_t>(length));
    } catch (...) {
        got = -1;
    }
    if (got != static_cast<int64_t>(length)) png_error(png, "truncated");
}

// Everything that may jump back lives in the context on the heap; nothing here has a destructor.
bool DecodePng(TPngCtx* ctx) {
    if (setjmp(png_jmpbuf(ctx->png))) return false;
    png_set_read_fn(ctx->png, ctx, PngRead);
    png_set_user_limits(ctx->png, MaxBitmapSide, MaxBitmapSide);
    png_read_info(ctx->png, ctx->info);
    int interlace;
    png_get_IHDR(ctx->png, ctx->info, &ctx->width, &ctx->height, &ctx->bitDepth, &ctx->colorType, &interlace,
                 nullptr, nullptr);
    // Decoded bytes the compressed data can hold at most (deflate expands at most about 1032 times).
    const int64_t px = static_cast<int64_t>(ctx->width) * ctx->height;
    const int64_t rawRow =
        (static_cast<int64_t>(ctx->width) * png_get_channels(ctx->png, ctx->info) * ctx->bitDepth + 7) / 8 +
        1;
    if (px > MaxLoadPixels || rawRow * ctx->height > ctx->streamBytes * 1100 + (int64_t{1} << 20)) {
        ctx->tooLarge = true;
        return false;
    }
    if (ctx->colorType == PNG_COLOR_TYPE_PALETTE) {
        png_colorp p;
        int n = 0;
        if (png_get_PLTE(ctx->png, ctx->info, &p, &n) && n > 0) {
            ctx->paletteCount = std::min(n, 256);
            std::memcpy(ctx->palette, p, sizeof(png_color) * ctx->paletteCount);
        }
    }
    if (png_get_valid(ctx->png, ctx->info, PNG_INFO_tRNS)) {
        png_bytep alpha = nullptr;
        int n = 0;
        png_color_16p colour = nullptr;
        png_get_tRNS(ctx->png, ctx->info, &alpha, &n, &colour);
        if (ctx->colorType == PNG_COLOR_TYPE_PALETTE && alpha) {
            ctx->trnsCount = std::min(n, 256);
            std::memcpy(ctx->trnsAlpha, alpha, ctx->trnsCount);
        } else if (colour) {
            ctx->hasTrnsColour = true;
            ctx->trnsColour = *colour;
        }
    }
    png_set_strip_16(ctx->png);
    png_set_packing(ctx->png);
    if (ctx->colorType == PNG_COLOR_TYPE_GRAY && ctx->bitDepth < 8) png_set_expand_gray_1_2_4_to_8(ctx->png);
    if (ctx->colorType == PNG_COLOR_TYPE_RGB || ctx->colorType == PNG_COLOR_TYPE_RGB_ALPHA)
        png_set_bgr(ctx->png);
    png_set_interlace_handling(ctx->png);
    png_read_update_info(ctx->png, ctx->info);
    ctx->rowBytes = png_get_rowbytes(ctx->png, ctx->info);
    ctx->channels = png_get_channels(ctx->png, ctx->info);
    ctx->pixels.resize(ctx->rowBytes * ctx->height);
    ctx->rows.resize(ctx->height);
    for (png_uint_32 y = 0; y < ctx->height; ++y) ctx->rows[y] = ctx->pixels.data() + y * ctx->rowBytes;
    png_read_image(ctx->png, ctx->rows.data());
    png_read_end(ctx->png, nullptr);
    return true;
}

} // namespace

void LoadPngFromStream(TStream& stream, TDIBSurface& picture, int32_t& transparent) {
    transparent = -1;
    auto ctx = std::make_unique<TPngCtx>();
    ctx->stream = &stream;
    ctx->streamBytes = stream.GetSize() - stream.GetPosition();
    ctx->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, ctx.get(), PngError, PngWarning);
    if (!ctx->png) Fail("PNG画像を読み込めません");
    ctx->info = png_create_info_struct(ctx->png);
    if (!ctx->info) Fail("PNG画像を読み込めません");
    if (!DecodePng(ctx.get())) {
        if (ctx->tooLarge) Fail("PNG画像が大きすぎます");
        throw EVobeError(SJ("PNG画像が正しくありません: ") + ctx->error);
    }
    const int32_t w = static_cast<int32_t>(ctx->width), h = static_cast<int32_t>(ctx->height);
    const int ct = ctx->colorType;
    const bool palette = ct == PNG_COLOR_TYPE_PALETTE;
    const bool grey = ct == PNG_COLOR_TYPE_GRAY || ct == PNG_COLOR_TYPE_GRAY_ALPHA;
    const bool alpha = ct == PNG_COLOR_TYPE_GRAY_ALPHA || ct == PNG_COLOR_TYPE_RGB_ALPHA;
    picture.SetSize(w, h, palette || grey ? 8 : 24);
    picture.DropMask();
    if (palette) {
        picture.Palette.fill(0);
        for (int i = 0; i < ctx->paletteCount; ++i)
            picture.Palette[i] = ctx->palette[i].blue | (ctx->palette[i].green << 8) |
                                 (static_cast<uint32_t>(ctx->palette[i].red) << 16);
    } else if (grey) {
        picture.SetGreyPalette();
    }
    const int ch = ctx->channels;
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* s = ctx->rows[y];
        uint8_t* d = picture.ScanLine(y);
        if (palette || grey) {
            for (int32_t x = 0; x < w; ++x) d[x] = s[x * ch];
        } else {
            for (int32_t x = 0; x < w; ++x) std::memcpy(d + x * 3, s + x * ch, 3);
        }
    }
    if (alpha) {
        picture.CreateMask();
        for (int32_t y = 0; y < h; ++y) {
            const uint8_t* s = ctx->rows[y];
            uint8_t* m = picture.Mask()->ScanLine(y);
            for (int32_t x = 0; x < w; ++x) m[x] = s[x * ch + ch - 1];
        }
    } else if (palette && ctx->trnsCount > 0) {
        // One fully transparent entry and no partial ones is a colour key; anything else a mask.
        int zero = -1, zeros = 0;
        bool partial = false;
        for (int i = 0; i < ctx->trnsCount; ++i) {
            if (ctx->trnsAlpha[i] == 0) {
                if (zero < 0) zero = i;
                ++zeros;
            } else if (ctx->trnsAlpha[i] != 255) {
                partial = true;
            }
        }
        if (!partial && zeros == 1) {
            transparent = zero;
        } else if (zeros > 0 || partial) {
            picture.CreateMask();
            for (int32_t y = 0; y < h; ++y) {
                const uint8_t* s = picture.ScanLine(y);
                uint8_t* m = picture.Mask()->ScanLine(y);
                for (int32_t x = 0; x < w; ++x) m[x] = s[x] < ctx->trnsCount ? ctx->trnsAlpha[s[x]] : 255;
            }
        }
    } else if (ctx->hasTrnsColour) {
        auto to8 = [&](uint32_t v) -> uint32_t {
            if (ctx->bitDepth == 16) return v >> 8;
            if (ctx->bitDepth < 8) return v * 255 / ((1u << ctx->bitDepth) - 1);
            return v & 0xFF;
        };
        if (grey)
            transparent = static_cast<int32_t>(to8(ctx->trnsColour.gray));
        else
            transparent = static_cast<int32_t>(to8(ctx->trnsColour.red) | (to8(ctx->trnsColour.green) << 8) |
                                               (to8(ctx->trnsColour.blue) << 16));
    }
}

void SaveBitmapToStream(const TDIBSurface& picture, TStream& stream) {
    const int32_t w = picture.Width(), h = picture.Height();
    const int64_t stride = DibRowBytes(w, 24);
    const int64_t imageBytes = stride * h;
    uint8_t hdr[54] = {0};
    hdr[0] = 'B';
    hdr[1] = 'M';
    Put32(hdr + 2, static_cast<uint32_t>(54 + imageBytes));
    Put32(hdr + 10, 54);
    Put32(hdr + 14, 40);
    Put32(hdr + 18, static_cast<uint32_t>(w));
    Put32(hdr + 22, static_cast<uint32_t>(h));
    Put16(hdr + 26, 1);
    Put16(hdr + 28, 24);
    Put32(hdr + 34, static_cast<uint32_t>(imageBytes));
    stream.WriteBuffer(hdr, sizeof hdr);
    std::vector<uint8_t> row(static_cast<size_t>(stride), 0);
    const TPixelView v = picture.View();
    for (int32_t y = h - 1; y >= 0; --y) {
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t c = picture.PixelToColor(ReadPixel(v, x, y));
            row[x * 3] = static_cast<uint8_t>(c >> 16);
            row[x * 3 + 1] = static_cast<uint8_t>(c >> 8);
            row[x * 3 + 2] = static_cast<uint8_t>(c);
        }
        stream.WriteBuffer(row.data(), stride);
    }
}

} // namespace vobe
