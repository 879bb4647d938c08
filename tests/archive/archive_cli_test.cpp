// vobetool archive list/cat/extract/pack against archives of every version made by the independent
// writer, compared with hand-derived golden listings.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "independent_writer.h"
#include "platform/cp932.h"
#include "test_files.h"

namespace vobe {
namespace {

using testing::BuildIndependent;
using testing::TIndepEntry;
using testing::TScratchDir;

const std::string kTool = std::string(VOBE_BINARY_DIR) + "/bin/vobetool";

struct TRun {
    int status;
    std::string out;
};

TRun Tool(const std::string& args) {
    std::string cmd = "'" + kTool + "' " + args + " 2>/dev/null";
    TRun r{-1, {}};
    std::FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    int st = ::pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

std::string Golden(const std::string& name) {
    std::ifstream in(std::string(VOBE_SOURCE_DIR) + "/tests/archive/golden/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Png100() {
    std::string s(100, '\0');
    for (int i = 0; i < 100; ++i) s[static_cast<size_t>(i)] = static_cast<char>(i * 3);
    return s;
}

std::vector<TIndepEntry> Entries(int version) {
    std::vector<TIndepEntry> e = {
        {"readme.txt", "Hello, archive!\n", 0, 0x5A8B1234, 0x01234567u, 0},
        {"img\\ABC.png", Png100(), 1, 0x5A8B1235, 0x89ABCDEFu, 1},
        // 表 is 0x95 0x5C: its trail byte is no separator.
        {SJ("表示\\効果.wav"), std::string("RIFF\0\0\0\0", 8), 1, 0, 0xFEDCBA98u, 0},
    };
    if (version < 101)
        for (auto& x : e) x.Time = 0, x.Checksum = 0;
    if (version == 100) e.insert(e.begin() + 1, TIndepEntry{"", "x", 0, 0, 0, 0});
    if (version == 102) e.push_back({"empty.txt", "", 1, 0, 0, 0});
    return e;
}

class ArchiveCli : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kTool)) GTEST_SKIP() << "vobetool is not built here";
    }
    void ExpectCats(const std::string& archive, const std::vector<TIndepEntry>& entries) {
        for (const auto& e : entries) {
            if (e.Name.empty()) continue;
            TRun r = Tool("archive cat '" + archive + "' '" + SjisToUtf8(e.Name) + "'");
            EXPECT_EQ(r.status, 0) << e.Name;
            EXPECT_EQ(r.out, e.Data) << e.Name;
        }
    }
    TScratchDir FDir;
};

TEST_F(ArchiveCli, ListAndCatEveryVersion) {
    for (int v : {0, 100, 101, 102}) {
        auto entries = Entries(v);
        auto a = BuildIndependent(v, entries);
        const std::string file = "v" + std::to_string(v) + ".dat";
        FDir.Write(file, a.Directory + a.Data);
        TRun r = Tool("archive list '" + FDir.Real(file) + "'");
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, Golden("list_v" + std::to_string(v) + ".txt")) << "version " << v;
        ExpectCats(FDir.Real(file), entries);
    }
}

TEST_F(ArchiveCli, LookupIgnoresCaseButNotSeparators) {
    auto a = BuildIndependent(102, Entries(102));
    FDir.Write("g.dat", a.Directory + a.Data);
    EXPECT_EQ(Tool("archive cat '" + FDir.Real("g.dat") + "' 'IMG\\abc.PNG'").out, Png100());
    EXPECT_EQ(Tool("archive cat '" + FDir.Real("g.dat") + "' 'img/ABC.png'").status, 1);
    EXPECT_EQ(Tool("archive list '" + FDir.Real("missing.dat") + "'").status, 1);
}

TEST_F(ArchiveCli, ExternalDirectoryProgramsAndParts) {
    auto entries = Entries(102);
    const std::string golden = Golden("list_v102.txt");

    // Directory in game.ext; offsets address game.dat, whose data starts after 4 bytes of padding.
    auto ext = BuildIndependent(102, entries, 4);
    FDir.Write("ext/game.dat", "PAD!" + ext.Data);
    FDir.Write("ext/game.ext", ext.Directory);
    EXPECT_EQ(Tool("archive list '" + FDir.Real("ext/game.dat") + "'").out, golden);
    ExpectCats(FDir.Real("ext/game.dat"), entries);

    // Appended to a program: the last 6 bytes give the archive's start and "vb".
    auto a = BuildIndependent(102, entries);
    std::string trailer;
    testing::Put32(trailer, 32);
    trailer += "vb";
    FDir.Write("game.exe", "MZ" + std::string(30, 'p') + a.Directory + a.Data + trailer);
    EXPECT_EQ(Tool("archive list '" + FDir.Real("game.exe") + "'").out, golden);
    ExpectCats(FDir.Real("game.exe"), entries);
    // This system's programs have no extension: told by their header.
    FDir.Write("player", "\x7F"
                         "ELF" +
                             std::string(28, 'p') + a.Directory + a.Data + trailer);
    EXPECT_EQ(Tool("archive list '" + FDir.Real("player") + "'").out, golden);

    // Split into parts: game.dat is exactly 2^30 bytes (sparse) and game.001 continues it; the data
    // starts 10 bytes before the boundary.
    const int64_t part = int64_t{1} << 30;
    auto p = BuildIndependent(102, entries, part - 10);
    FDir.Write("parts/game.dat", p.Directory);
    std::filesystem::resize_file(FDir.Real("parts/game.dat"), static_cast<uintmax_t>(part - 10));
    {
        std::ofstream f(FDir.Real("parts/game.dat"), std::ios::binary | std::ios::app);
        f << p.Data.substr(0, 10);
    }
    FDir.Write("parts/game.001", p.Data.substr(10));
    EXPECT_EQ(Tool("archive list '" + FDir.Real("parts/game.dat") + "'").out, golden);
    ExpectCats(FDir.Real("parts/game.dat"), entries);
}

TEST_F(ArchiveCli, PackAndExtractRoundTrip) {
    FDir.Write("src/a.txt", std::string(1000, 'a'));
    FDir.Write("src/sub/" + std::string("名前.wav"), "RIFF");
    FDir.Write("src/x.bin", "");
    ASSERT_EQ(Tool("archive pack '" + FDir.Real("src") + "' '" + FDir.Real("p.dat") + "'").status, 0);
    TRun list = Tool("archive list '" + FDir.Real("p.dat") + "'");
    ASSERT_EQ(list.status, 0);
    // Names relative to the folder with '\', in byte order; compressible text compressed, sound stored.
    std::vector<std::string> lines;
    std::string cur;
    for (char c : list.out) {
        if (c == '\n') {
            lines.push_back(cur.substr(0, cur.find('\t', cur.find('\t') + 1)) + "|" +
                            cur.substr(cur.find('\t', cur.find('\t') + 1) + 1, 1));
            cur.clear();
        } else {
            cur += c;
        }
    }
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, 6), "a.txt\t");
    EXPECT_EQ(lines[0].back(), '0');
    EXPECT_EQ(lines[1], "sub\\名前.wav\t4|1");
    EXPECT_EQ(lines[2].substr(0, 6), "x.bin\t");

    ASSERT_EQ(Tool("archive extract '" + FDir.Real("p.dat") + "' '" + FDir.Real("out") + "'").status, 0);
    EXPECT_EQ(FDir.Read("out/a.txt"), std::string(1000, 'a'));
    EXPECT_EQ(FDir.Read("out/sub/名前.wav"), "RIFF");
    EXPECT_TRUE(std::filesystem::exists(FDir.Real("out/x.bin")));
}

TEST_F(ArchiveCli, ExtractRefusesNamesLeavingTheFolder) {
    std::vector<TIndepEntry> entries = {{"..\\evil.txt", "x", 1}, {"ok.txt", "y", 1}, {"\\abs.txt", "z", 1}};
    auto a = BuildIndependent(102, entries);
    FDir.Write("bad.dat", a.Directory + a.Data);
    EXPECT_EQ(Tool("archive extract '" + FDir.Real("bad.dat") + "' '" + FDir.Real("out") + "'").status, 1);
    EXPECT_EQ(FDir.Read("out/ok.txt"), "y");
    EXPECT_FALSE(std::filesystem::exists(FDir.Real("evil.txt")));
}

} // namespace
} // namespace vobe
