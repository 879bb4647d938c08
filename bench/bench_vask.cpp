// Layered-image decoding: an 800 x 600 picture stored with zlib blocks and with a JPEG block, beside
// libpng decoding the same picture as a PNG and libjpeg decoding the same JPEG data on their own.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "graphics/dibx.h"
#include "graphics/jpeg_codec.h"
#include "graphics/vask_image.h"

using namespace vobe;

namespace {

constexpr int32_t W = 800, H = 600;

// Something like a game picture: soft gradients, shapes with edges and a little grain.
TDIBSurface MakePicture() {
    TDIBSurface p(W, H, 24);
    std::mt19937 g(3);
    for (int32_t y = 0; y < H; ++y) {
        uint8_t* row = p.ScanLine(y);
        for (int32_t x = 0; x < W; ++x) {
            int r = 60 + x * 120 / W + y * 40 / H, gr = 90 + y * 100 / H, b = 150 - x * 60 / W;
            const int dx = x - 500, dy = y - 260;
            if (dx * dx + dy * dy < 150 * 150) r += 70, gr -= 30;
            if (x > 100 && x < 300 && y > 350 && y < 520) b += 80;
            const int n = static_cast<int>(g() % 7) - 3;
            row[x * 3] = static_cast<uint8_t>(std::clamp(b + n, 0, 255));
            row[x * 3 + 1] = static_cast<uint8_t>(std::clamp(gr + n, 0, 255));
            row[x * 3 + 2] = static_cast<uint8_t>(std::clamp(r + n, 0, 255));
        }
    }
    return p;
}

void PngWrite(png_structp png, png_bytep data, png_size_t n) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}
void PngFlush(png_structp) {}

struct TPngSource {
    const uint8_t* data;
    size_t size, pos;
};
void PngRead(png_structp png, png_bytep out, png_size_t n) {
    auto* s = static_cast<TPngSource*>(png_get_io_ptr(png));
    if (n > s->size - s->pos) png_error(png, "truncated");
    std::memcpy(out, s->data + s->pos, n);
    s->pos += n;
}

// The picture as a PNG with libpng's default settings (RGB, level 6, adaptive filters).
std::vector<uint8_t> EncodePng(const TDIBSurface& p) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, PngWrite, PngFlush);
    png_set_IHDR(png, info, W, H, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    for (int32_t y = 0; y < H; ++y) png_write_row(png, const_cast<png_bytep>(p.ScanLine(y)));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

struct TFixture {
    TMemoryStream VaskZlib, VaskJpeg;
    std::vector<uint8_t> Png, Jpeg;
    TFixture() {
        TVaskFrameList list;
        list.AddFrame()->Picture = MakePicture();
        list.SaveToStream(VaskZlib, 0, 70);
        list.SaveToStream(VaskJpeg, 2, 70);
        Png = EncodePng(list.Frame(0)->Picture);
        Jpeg = EncodeJpeg(list.Frame(0)->Picture, 70);
        std::fprintf(stderr, "sizes: vask zlib %lld, png %zu, vask jpeg %lld, jpeg %zu bytes\n",
                     static_cast<long long>(VaskZlib.GetSize()), Png.size(),
                     static_cast<long long>(VaskJpeg.GetSize()), Jpeg.size());
    }
};

TFixture& Fixture() {
    static TFixture f;
    return f;
}

void LoadVask(benchmark::State& state, TMemoryStream& data) {
    for (auto _ : state) {
        data.SetPosition(0);
        TVaskFrameList list;
        list.LoadFromStream(data, false);
        benchmark::DoNotOptimize(list.Frame(0)->Picture.Bits());
    }
    state.SetItemsProcessed(state.iterations() * W * H);
}

void BM_Vask_Zlib800x600(benchmark::State& state) {
    LoadVask(state, Fixture().VaskZlib);
}
BENCHMARK(BM_Vask_Zlib800x600)->Unit(benchmark::kMillisecond);

// Reference: libpng reading the same picture into 24-bit rows.
void BM_libpng_Decode800x600(benchmark::State& state) {
    const std::vector<uint8_t>& png = Fixture().Png;
    for (auto _ : state) {
        std::vector<uint8_t> pixels(static_cast<size_t>(W) * H * 3);
        std::vector<png_bytep> rows(H);
        for (int32_t y = 0; y < H; ++y)
            rows[static_cast<size_t>(y)] = pixels.data() + static_cast<size_t>(y) * W * 3;
        TPngSource src{png.data(), png.size(), 0};
        png_structp p = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(p);
        png_set_read_fn(p, &src, PngRead);
        png_read_info(p, info);
        png_set_bgr(p);
        png_read_image(p, rows.data());
        png_destroy_read_struct(&p, &info, nullptr);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * W * H);
}
BENCHMARK(BM_libpng_Decode800x600)->Unit(benchmark::kMillisecond);

void BM_Vask_Jpeg800x600(benchmark::State& state) {
    LoadVask(state, Fixture().VaskJpeg);
}
BENCHMARK(BM_Vask_Jpeg800x600)->Unit(benchmark::kMillisecond);

// Reference: libjpeg decoding the same JPEG data (default settings) into 24-bit rows.
void BM_libjpeg_Decode800x600(benchmark::State& state) {
    const std::vector<uint8_t>& jpeg = Fixture().Jpeg;
    for (auto _ : state) {
        std::vector<uint8_t> pixels(static_cast<size_t>(W) * H * 3);
        jpeg_decompress_struct d;
        jpeg_error_mgr err;
        d.err = jpeg_std_error(&err);
        jpeg_create_decompress(&d);
        jpeg_mem_src(&d, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
        jpeg_read_header(&d, TRUE);
        d.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&d);
        while (d.output_scanline < d.output_height) {
            JSAMPROW row = pixels.data() + static_cast<size_t>(d.output_scanline) * W * 3;
            jpeg_read_scanlines(&d, &row, 1);
        }
        jpeg_finish_decompress(&d);
        jpeg_destroy_decompress(&d);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * W * H);
}
BENCHMARK(BM_libjpeg_Decode800x600)->Unit(benchmark::kMillisecond);

// What the picture cache adds: the decoded frame copied into a 32-bit display surface.
void BM_Vask_Zlib800x600_ToSurface32(benchmark::State& state) {
    TMemoryStream& data = Fixture().VaskZlib;
    TDIBX surface;
    surface.SetSize(1, 1, 32);
    for (auto _ : state) {
        data.SetPosition(0);
        TVaskFrameList list;
        list.LoadFromStream(data, false);
        list.Frame(0)->CopyToSurface(surface);
        benchmark::DoNotOptimize(surface.Lock(0, 0));
    }
    state.SetItemsProcessed(state.iterations() * W * H);
}
BENCHMARK(BM_Vask_Zlib800x600_ToSurface32)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
