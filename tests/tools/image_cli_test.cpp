// vobetool image info|topng|frompng on layered images built byte by byte from the format's rules,
// and the picture step of vobetool build.
#include <gtest/gtest.h>

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../graphics/vask_bytes.h"
#include "archive/vf_archive.h"
#include "graphics/vask_image.h"
#include "platform/cp932.h"
#include "platform/paths.h"
#include "tools/game_compiler.h"

namespace vobe {
namespace {

using test::TBlock;
using test::TTileSpec;
using test::TVsk;

std::string Tool() {
    return std::string(VOBE_BINARY_DIR) + "/bin/vobetool";
}

struct TRun {
    int Status = -1;
    std::string Out;
};

TRun RunTool(const std::string& args) {
    TRun r;
    FILE* p = popen(("'" + Tool() + "' " + args + " 2>&1").c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.Out.append(buf, n);
    const int st = pclose(p);
    r.Status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

class ImageCli : public testing::Test {
protected:
    void SetUp() override {
        if (!std::ifstream(Tool()).good()) GTEST_SKIP() << "vobetool is not built here";
        Dir =
            std::filesystem::path(VOBE_BINARY_DIR) / "test-tmp" / ("image_cli-" + std::to_string(::getpid()));
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }
    std::string Put(const std::string& name, const std::vector<uint8_t>& b) {
        const std::string p = (Dir / name).string();
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
        return p;
    }
    std::string Path(const std::string& name) const { return (Dir / name).string(); }
    std::filesystem::path Dir;
};

// RGBA pixels of a PNG file, 0xAARRGGBB.
std::vector<uint32_t> ReadPng(const std::string& path, int32_t& w, int32_t& h) {
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    std::vector<uint32_t> out;
    if (!png_image_begin_read_from_file(&img, path.c_str())) return out;
    img.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> px(PNG_IMAGE_SIZE(img));
    if (!png_image_finish_read(&img, nullptr, px.data(), 0, nullptr)) return out;
    w = static_cast<int32_t>(img.width);
    h = static_cast<int32_t>(img.height);
    for (size_t i = 0; i + 3 < px.size(); i += 4)
        out.push_back(uint32_t(px[i + 3]) << 24 | uint32_t(px[i]) << 16 | uint32_t(px[i + 1]) << 8 |
                      px[i + 2]);
    return out;
}

std::vector<uint8_t> PngOf(int32_t w, int32_t h, const std::function<uint32_t(int32_t, int32_t)>& argb) {
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    img.width = static_cast<png_uint_32>(w);
    img.height = static_cast<png_uint_32>(h);
    img.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> px;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t v = argb(x, y);
            px.insert(px.end(), {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v), uint8_t(v >> 24)});
        }
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&img, nullptr, &size, 0, px.data(), 0, nullptr);
    std::vector<uint8_t> out(size);
    png_image_write_to_memory(&img, out.data(), &size, 0, px.data(), 0, nullptr);
    out.resize(size);
    return out;
}

uint32_t C1(int32_t x, int32_t y) {
    return uint32_t((x * 23 + 7) & 0xFF) << 16 | uint32_t((y * 41) & 0xFF) << 8 |
           uint32_t((x ^ y) * 9 & 0xFF);
}
uint32_t C2(int32_t x, int32_t y) {
    return uint32_t((250 - y * 13) & 0xFF) << 16 | uint32_t((x * 17 + 60) & 0xFF) << 8 | 0x40u;
}
uint8_t A(int32_t x, int32_t y) {
    return static_cast<uint8_t>((x * 29 + y * 53) & 0xFF);
}

TEST_F(ImageCli, TopngShowsIndependentlyWrittenImages) {
    // Two frames in 3 x 2 tiles of 2 x 2 pixels with a scrambled tile table and tiled masks (every block
    // of the file is tiled); the second frame shares tiles with the first and has a keyed layer of
    // opacity 64 above.
    const uint32_t key = 4242;
    const std::vector<TTileSpec> t0 = {{-1, 0}, {-1, 0}, {-2, 0}, {-1, 0}, {-1, 0}, {-1, 0}};
    const std::vector<TTileSpec> t1 = {{0, 0}, {-1, 0}, {-1, 0}, {-1, 0}, {0, 0}, {-2, 1}};
    const int32_t w = 6, h = 4;
    auto mask = [](int32_t x, int32_t y) { return uint32_t(A(x, y)); };
    TVsk f;
    f.sig(106).header(106, 2, 1, 0, 0x000000FF, 2, 2);
    f.frame("A", -1, 10, 1, w, h, 32).layer(106, 1, -1, 255, 1);
    f.block(test::Zlib(test::Tiles(w, h, 32, 2, 2, t0, C1, &key)))
        .block(test::Zlib(test::Tiles(w, h, 8, 2, 2, t0, mask, &key)));
    f.i32(0).i32(0);
    f.frame("B", -1, 10, 2, w, h, 32).layer(106, 1, -1, 255, 1);
    f.block(test::Zlib(test::Tiles(w, h, 32, 2, 2, t1, C2, &key)))
        .block(test::Zlib(test::Tiles(w, h, 8, 2, 2, t1, mask, &key)));
    f.layer(106, 1, static_cast<int64_t>(C1(0, 0)), 64, 0)
        .block(test::Zlib(test::Tiles(w, h, 32, 2, 2, std::vector<TTileSpec>(6), C1, &key)))
        .i32(0);
    f.i32(0).i32(0);
    const std::string in = Put("tiles.vsk", f.b);
    // Frame 0: tile 2 copies tile 0.
    auto frame0 = [&](int32_t x, int32_t y) { return x / 2 == 2 && y / 2 == 0 ? C1(x - 4, y) : C1(x, y); };
    auto frame1Base = [&](int32_t x, int32_t y) {
        const int32_t tx = x / 2, ty = y / 2;
        if ((tx == 0 && ty == 0) || (tx == 1 && ty == 1)) return frame0(x, y); // from frame 0
        if (tx == 2 && ty == 1) return C2(x - 2, y - 2);                       // copy of tile 1
        return C2(x, y);
    };
    auto frame1Mask = [&](int32_t x, int32_t y) -> uint32_t {
        return x / 2 == 2 && y / 2 == 1 ? A(x - 2, y - 2) : A(x, y);
    };
    auto mix = [](uint32_t s, uint32_t d) {
        uint32_t o = 0;
        for (int sh = 0; sh < 24; sh += 8)
            o |= (((255 - 64) * ((d >> sh) & 0xFF) + 64 * ((s >> sh) & 0xFF)) >> 8) << sh;
        return o;
    };
    const std::string out = Path("out.png");
    TRun r = RunTool("image topng --key 4242 '" + in + "' '" + out + "' 1");
    ASSERT_EQ(r.Status, 0) << r.Out;
    int32_t pw = 0, ph = 0;
    std::vector<uint32_t> px = ReadPng(out, pw, ph);
    ASSERT_EQ(pw, w);
    ASSERT_EQ(ph, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t base = frame1Base(x, y);
            const uint32_t colour =
                x == 0 && y == 0 ? base : mix(C1(x, y), base); // the keyed pixel is skipped
            const uint32_t m = frame1Mask(x, y);
            EXPECT_EQ(px[static_cast<size_t>(y * w + x)], (m << 24) | colour) << x << "," << y;
        }
    r = RunTool("image topng --key 4242 '" + in + "' '" + out + "'");
    ASSERT_EQ(r.Status, 0) << r.Out;
    px = ReadPng(out, pw, ph);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t m = x / 2 == 2 && y / 2 == 0 ? A(x - 4, y) : A(x, y);
            EXPECT_EQ(px[static_cast<size_t>(y * w + x)], (m << 24) | frame0(x, y)) << x << "," << y;
        }
}

TEST_F(ImageCli, TopngShowsJpegOldAndSixteenBitImages) {
    const int32_t w = 19, h = 11;
    const TBlock jpeg = test::JpegOf(w, h, C1, 80);
    int32_t jw, jh;
    const std::vector<uint32_t> want = test::JpegPixels(jpeg, jw, jh);
    TVsk j;
    j.sig(106).header(106, 1, 0, 2, 0).frame("J", -1, 1, 1, w, h, 24).layer(106, 1, -1, 255, 1).block(jpeg);
    j.block(test::Zlib(test::Rows(w, h, 8, [](int32_t x, int32_t y) { return uint32_t(A(x, y)); })))
        .i32(0)
        .i32(0);
    TVsk old; // no signature: version 0, deflated rows, no mask
    old.i32(1)
        .u8(0)
        .frame("O", -1, 1, 1, 3, 2, 24)
        .layer(0, 1, -1, 255, 0)
        .block(test::Zlib(test::Rows(3, 2, 24, C2)));
    TVsk sixteen;
    sixteen.sig(104).header(104, 1, 0, 1, 0).frame("S", -1, 1, 1, 5, 3, 16).layer(104, 1, -1, 255, 0);
    sixteen.block(test::Rows(5, 3, 16, C1)).i32(0).i32(0).i32(0);
    struct TCase {
        std::string file;
        int32_t w, h;
        std::function<uint32_t(int32_t, int32_t)> want;
    };
    const std::vector<TCase> cases = {
        {Put("j.vsk", j.b), w, h,
         [&](int32_t x, int32_t y) {
             return uint32_t(A(x, y)) << 24 | want[static_cast<size_t>(y * w + x)];
         }},
        {Put("old.bin", old.b), 3, 2, [](int32_t x, int32_t y) { return 0xFF000000u | C2(x, y); }},
        {Put("s.vsk", sixteen.b), 5, 3,
         [](int32_t x, int32_t y) { return 0xFF000000u | (C1(x, y) & 0xF8FCF8); }},
    };
    for (const TCase& c : cases) {
        const std::string out = Path("x.png");
        const TRun r = RunTool("image topng '" + c.file + "' '" + out + "'");
        ASSERT_EQ(r.Status, 0) << c.file << ": " << r.Out;
        int32_t pw = 0, ph = 0;
        const std::vector<uint32_t> px = ReadPng(out, pw, ph);
        ASSERT_EQ(pw, c.w);
        ASSERT_EQ(ph, c.h);
        for (int32_t y = 0; y < c.h; ++y)
            for (int32_t x = 0; x < c.w; ++x)
                ASSERT_EQ(px[static_cast<size_t>(y * c.w + x)], c.want(x, y)) << c.file;
    }
}

TEST_F(ImageCli, FrompngInfoAndBack) {
    auto argb = [](int32_t x, int32_t y) { return uint32_t(A(x, y)) << 24 | C1(x, y); };
    const std::string png = Put("in.png", PngOf(3, 2, argb));
    const std::string vsk = Path("in.vsk");
    TRun r = RunTool("image frompng '" + png + "' '" + vsk + "'");
    ASSERT_EQ(r.Status, 0) << r.Out;
    r = RunTool("image info '" + vsk + "'");
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(
        r.Out,
        "version\t106\nheader\t3\t2\t24\ncompression\t0\nscrambled\t0\ntiles\t0\t0\nquality\t70\n"
        "background\t00000000\nfirstlayeropaque\t0\nframes\t1\n"
        "frame\t0\tname=Frame1\tsize=3x2\tbits=24\tdelay=100\tkey=-1\tmask=1\tlayers=1\n"
        "layer\t0\t0\tname=Layer\tvisible=1\tkey=-1\topacity=255\thasmask=1\tmask=1\tsize=3x2\tbits=24\n");
    const std::string back = Path("back.png");
    r = RunTool("image topng '" + vsk + "' '" + back + "'");
    ASSERT_EQ(r.Status, 0) << r.Out;
    int32_t w = 0, h = 0;
    std::vector<uint32_t> px = ReadPng(back, w, h);
    ASSERT_EQ(px.size(), 6u);
    for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(px[static_cast<size_t>(i)], argb(i % 3, i / 3));

    // Scrambled with a key: shown right only with that key.
    r = RunTool("image frompng --key 5 '" + png + "' '" + vsk + "'");
    ASSERT_EQ(r.Status, 0) << r.Out;
    EXPECT_NE(RunTool("image info '" + vsk + "'").Out.find("compression\t1\nscrambled\t1\n"),
              std::string::npos);
    ASSERT_EQ(RunTool("image topng --key 5 '" + vsk + "' '" + back + "'").Status, 0);
    EXPECT_EQ(ReadPng(back, w, h), px);
    ASSERT_EQ(RunTool("image topng '" + vsk + "' '" + back + "'").Status, 0);
    EXPECT_NE(ReadPng(back, w, h), px);

    r = RunTool("image frompng --compression jpeg --quality 95 '" + png + "' '" + vsk + "'");
    ASSERT_EQ(r.Status, 0) << r.Out;
    r = RunTool("image info '" + vsk + "'");
    EXPECT_NE(r.Out.find("compression\t2\n"), std::string::npos) << r.Out;
    EXPECT_NE(r.Out.find("quality\t95\n"), std::string::npos) << r.Out;
}

TEST_F(ImageCli, ErrorsAreOneLine) {
    TVsk f;
    f.sig(106)
        .header(106, 1, 0, 1, 0)
        .frame("F", -1, 1, 1, 2, 2, 24)
        .layer(106, 1, -1, 255, 0)
        .i32(99)
        .raw(TBlock(20, 0));
    const std::string bad = Put("bad.vsk", f.b);
    const std::string good = Put("good.png", PngOf(2, 2, [](int32_t, int32_t) { return 0xFF102030u; }));
    const std::string out = Path("o.png");
    for (const std::string& args :
         {"image topng '" + bad + "' '" + out + "'",
          "image topng '" + Path("missing.vsk") + "' '" + out + "'",
          "image topng '" + good + "' '" + out + "' 1", "image frompng '" + bad + "' '" + out + "'",
          std::string("image topng --key x a b"), std::string("image resize a")}) {
        const TRun r = RunTool(args);
        EXPECT_EQ(r.Status, 1) << args;
        EXPECT_EQ(std::count(r.Out.begin(), r.Out.end(), '\n'), 1) << args << ": " << r.Out;
        EXPECT_EQ(r.Out.rfind("vobetool: ", 0), 0u) << r.Out;
    }
    EXPECT_NE(RunTool("image topng '" + bad + "' '" + out + "'").Out.find("データが足りません"),
              std::string::npos);
    EXPECT_NE(
        RunTool("image topng '" + good + "' '" + out + "' 1").Out.find("frame 1 does not exist (1 frames)"),
        std::string::npos);
}

TEST_F(ImageCli, BuildTurnsPicturesIntoLayeredImages) {
    auto argb = [](int32_t x, int32_t y) { return (x == 1 ? 0u : 0xFF000000u) | C2(x, y); };
    Put("src/project.ini", {});
    std::ofstream(Path("src/project.ini")) << "start = main\nimage_key = 9\n";
    std::ofstream(Path("src/main.vss")) << "image source=\"pics/a.vsk\"\n";
    Put("src/pics/a.png", PngOf(4, 3, argb));
    TGameCompiler::Build(Path("src"), Path("out"));
    const std::string vsk = Path("out/pics/a.vsk");
    ASSERT_TRUE(std::filesystem::exists(vsk));
    EXPECT_FALSE(std::filesystem::exists(Path("out/pics/a.png")));
    // Written with the project's key: read back through the archive with it.
    TVrFileCollection archive;
    archive.LoadFromFile(PlayerPath(Path("out/game.dat")));
    TMemoryStream data;
    archive.ReadEntry(data, "pics\\a.vsk");
    data.SetPosition(0);
    TVaskFrameList list(9);
    list.LoadFromStream(data, false);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Scrambled, 1);
    const TDIBSurface& p = list.Frame(0)->Picture;
    ASSERT_TRUE(p.HasMask());
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x) {
            const uint32_t c = C2(x, y);
            EXPECT_EQ(p.GetPixel(x, y), ((c & 0xFF) << 16) | (c & 0xFF00) | (c >> 16)) << x << "," << y;
            EXPECT_EQ(p.Mask()->GetPixel(x, y), x == 1 ? 0u : 255u);
        }

    Put("src/pics/a.vsk", {1, 2, 3});
    try {
        TGameCompiler::Build(Path("src"), Path("out"));
        ADD_FAILURE();
    } catch (const EVobeError& e) {
        EXPECT_EQ(SjisToUtf8(e.Message()), "pics/a.png: pics/a.vsk is there as well");
    }
    std::filesystem::remove(Path("src/pics/a.vsk"));
    Put("src/pics/b.png", {'n', 'o', 't'});
    try {
        TGameCompiler::Build(Path("src"), Path("out"));
        ADD_FAILURE();
    } catch (const EVobeError& e) {
        EXPECT_EQ(SjisToUtf8(e.Message()).rfind("pics/b.png: ", 0), 0u) << SjisToUtf8(e.Message());
    }
}

} // namespace
} // namespace vobe
