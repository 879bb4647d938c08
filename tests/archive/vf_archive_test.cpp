#include "archive/vf_archive.h"

#include <cstring>
#include <random>

#include <gtest/gtest.h>

#include "independent_writer.h"
#include "platform/cp932.h"
#include "test_files.h"

namespace vobe {
namespace {

using testing::BuildIndependent;
using testing::TIndepEntry;
using testing::TScratchDir;

std::string Random(size_t n, uint32_t key = 1) {
    std::mt19937 g(key);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(g());
    return s;
}

std::string ReadAll(TVrFileCollection& c, const std::string& name) {
    TMemoryStream m;
    c.ReadEntry(m, name);
    return std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.GetSize()));
}

TEST(VfArchive, ReadsIndependentArchivesOfEveryVersion) {
    TScratchDir dir;
    for (int v : {0, 100, 101, 102}) {
        std::vector<TIndepEntry> entries = {{"a.txt", "alpha", 1, 7, 0x11, 1},
                                            {"", "nameless", 0, 0, 0, 0}, // consumes no generator steps
                                            {"Sub\\B.bin", Random(300), 0, 8, 0x22, 0}};
        auto a = BuildIndependent(v, entries);
        dir.Write("a.dat", a.Directory + a.Data);
        TVrFileCollection c;
        c.LoadFromFile(dir.Player("a.dat"));
        EXPECT_EQ(c.Version(), v);
        ASSERT_EQ(c.EntryCount(), 3);
        EXPECT_EQ(c.Entry(2)->GetName(), "Sub\\B.bin");
        EXPECT_EQ(ReadAll(c, "a.txt"), "alpha");
        EXPECT_EQ(ReadAll(c, "SUB\\b.BIN"), entries[2].Data);
        EXPECT_EQ(c.FindEntry("sub/b.bin"), nullptr);
        EXPECT_EQ(c.Entry(0)->Stored, v >= 101 ? 1 : 0);
        EXPECT_EQ(c.Entry(0)->Time, v >= 101 ? 7 : 0);
        EXPECT_EQ(c.Entry(0)->PlainChecksum, v >= 102 ? 1 : 0);
        EXPECT_EQ(c.Folder(), dir.Player());
    }
}

TEST(VfArchive, WriterRoundTripAndLayout) {
    TScratchDir dir;
    TVrFileCollection w;
    auto* m = w.AddMemoryEntry("save1");
    m->Stream->WriteBuffer("state", 5);
    m->PlainChecksum = 1;
    w.AddMemoryEntry(SJ("日本\\語"))->Stream->WriteBuffer("x", 1);
    TMemoryStream image;
    image.WriteBuffer("PREFIX", 6); // offsets stay relative to the magic
    image.SetPosition(6);
    ASSERT_TRUE(w.WriteArchive(image));
    const uint8_t* p = image.Memory() + 6;
    EXPECT_EQ(std::memcmp(p, "vf", 2), 0);
    EXPECT_EQ(p[2], 102);
    // Names are scrambled: "save1" must not appear in the clear.
    std::string raw(reinterpret_cast<const char*>(image.Memory()), static_cast<size_t>(image.GetSize()));
    EXPECT_EQ(raw.find("save1"), std::string::npos);

    TTpBigMemoryStream big;
    big.WriteBuffer64(image.Memory(), image.GetSize());
    big.SetPosition(6);
    TVrFileCollection r;
    r.ReadDirectory(big);
    ASSERT_EQ(r.EntryCount(), 2);
    TVrFile* e = r.Entry(0);
    EXPECT_EQ(e->Stored, 0);
    EXPECT_EQ(e->PlainChecksum, 1);
    EXPECT_EQ(e->Checksum, VfCrc32("state", 5));
    EXPECT_EQ(r.Entry(1)->GetName(), SJ("日本\\語"));
    EXPECT_EQ(r.Entry(1)->Checksum,
              VfCrc32(image.Memory() + 6 + r.Entry(1)->Offset - 6, 9)); // compressed bytes
}

TEST(VfArchive, WriterCompressionChoices) {
    TScratchDir dir;
    const std::string text(4000, 'a');
    auto vsk = [](int version, uint8_t compression) {
        std::string s = "Vask" + std::to_string(version);
        testing::Put32(s, 40);
        std::string header(40, '\0');
        header[22] = static_cast<char>(compression);
        return s + header + std::string(3000, '\0');
    };
    struct Case {
        std::string name, data;
        uint8_t stored;
    } cases[] = {
        {"text.txt", text, 0},
        {"noise.txt", Random(4000), 1}, // compressed form above 9/10: kept as is
        {"voice.wav", text, 1},         // media never
        {"movie.MPEG", text, 1},
        {"nested.dat", text, 1},
        {"raw.vsk", vsk(106, 1), 0},    // pixels stored uncompressed: compress
        {"packed.vsk", vsk(106, 0), 1}, // already zlib inside
        {"old.vsk", vsk(102, 1), 1},    // before 103: never
        {"big.txt", std::string(5242880, 'b'), 1},
        {"noext", text, 0},
        {"clip.mp", text, 1}, // found inside ".MPG"
        {"clip.mpx", text, 0},
        {"empty.txt", "", 1},
    };
    TVrFileCollection w;
    w.LoadFromFile(dir.Player("src") + "\\", true);
    for (const auto& c : cases) {
        dir.Write("src/" + c.name, c.data);
        w.AddEntry(c.name);
    }
    auto* mem = w.AddMemoryEntry("memory.big");
    mem->Stream->WriteBuffer(std::string(0x500000, 'm').data(), 0x500000); // above 0x4FFFFF: stored
    TMemoryStream image;
    w.WriteArchive(image);
    image.SaveToFile(dir.Player("out.dat"));

    TVrFileCollection r;
    r.LoadFromFile(dir.Player("out.dat"));
    for (const auto& c : cases) {
        TVrFile* e = r.FindEntry(c.name);
        ASSERT_TRUE(e) << c.name;
        EXPECT_EQ(e->Stored, c.stored) << c.name;
        EXPECT_NE(e->Time, 0) << c.name;
        if (c.stored) {
            EXPECT_EQ(e->Checksum, VfCrc32(c.data.data(), c.data.size())) << c.name;
        }
        EXPECT_EQ(ReadAll(r, c.name), c.data) << c.name;
    }
    EXPECT_EQ(r.FindEntry("memory.big")->Stored, 1);

    // Rewriting an archive whose entries come from itself (the save file's path): recompressed,
    // checksums over the written bytes.
    r.DeleteEntry("big.txt");
    r.AddMemoryEntry("new")->Stream->WriteBuffer("n", 1);
    TMemoryStream again;
    r.WriteArchive(again);
    TTpBigMemoryStream big;
    big.WriteBuffer64(again.Memory(), again.GetSize());
    big.SetPosition(0);
    TVrFileCollection r2;
    r2.ReadDirectory(big);
    EXPECT_EQ(r2.FindEntry("big.txt"), nullptr);
    EXPECT_EQ(r2.FindEntry("voice.wav")->Stored, 0);
    EXPECT_EQ(r2.FindEntry("voice.wav")->PlainChecksum, 0);
    EXPECT_EQ(r2.EntryCount(), static_cast<int32_t>(std::size(cases)) + 1);
}

// Every damaged directory gives an EVobeError naming the archive.
TEST(VfArchive, DamagedDirectories) {
    TScratchDir dir;
    const std::string path = dir.Player("bad.dat");
    auto expectBad = [&](const std::string& bytes, const char* what) {
        dir.Write("bad.dat", bytes);
        TVrFileCollection c;
        try {
            c.LoadFromFile(path);
            ADD_FAILURE() << what << ": no error";
        } catch (const EVobeError& e) {
            EXPECT_NE(e.Message().find(path), std::string::npos) << what << ": " << e.Message();
        }
        EXPECT_EQ(c.Count(), 0) << what;
    };
    std::vector<TIndepEntry> entries = {{"a", "12345", 1}, {"bb", "678", 0}};
    auto a = BuildIndependent(102, entries);
    const std::string good = a.Directory + a.Data;
    // Every truncation inside the directory or the data.
    for (size_t n = 0; n < good.size(); ++n) expectBad(good.substr(0, n), "truncated");

    std::string huge = good;
    huge[6] = '\xFF', huge[7] = '\xFF', huge[8] = '\xFF', huge[9] = '\x7F';
    expectBad(huge, "entry count");
    std::string negative = good;
    negative[6] = '\xFF', negative[7] = '\xFF', negative[8] = '\xFF', negative[9] = '\xFF';
    expectBad(negative, "negative count");
    std::string longName = good;
    longName[10] = '\x00', longName[11] = '\x00', longName[12] = '\x10', longName[13] = '\x00';
    expectBad(longName, "name length");
    std::string version = good;
    version[2] = 103;
    expectBad(version, "version");

    // Offsets beyond the end and decreasing, written by the independent writer with a data base.
    auto beyond = BuildIndependent(101, entries, 1 << 20);
    expectBad(beyond.Directory + beyond.Data, "beyond");
    auto v0 = BuildIndependent(0, entries);
    std::string dec = v0.Directory + v0.Data;
    // Version 0 offsets are plain: swap the first two so that they decrease.
    const size_t offAt = 4 + 4 + 1 + 4 + 2;
    std::string o0 = dec.substr(offAt, 4), o1 = dec.substr(offAt + 4, 4);
    dec.replace(offAt, 4, o1);
    dec.replace(offAt + 4, 4, o0);
    expectBad(dec, "decreasing");
}

TEST(VfArchive, CorruptZlibNamesArchiveAndEntry) {
    TScratchDir dir;
    std::vector<TIndepEntry> entries = {{"pic.png", std::string(50, 'z'), 0}};
    auto a = BuildIndependent(102, entries);
    std::string bytes = a.Directory + a.Data;
    bytes[bytes.size() - 1] ^= 0x55; // Adler-32
    dir.Write("z.dat", bytes);
    TVrFileCollection c;
    c.LoadFromFile(dir.Player("z.dat"));
    try {
        ReadAll(c, "pic.png");
        ADD_FAILURE() << "no error";
    } catch (const EVobeError& e) {
        EXPECT_NE(e.Message().find(dir.Player("z.dat")), std::string::npos);
        EXPECT_NE(e.Message().find("pic.png"), std::string::npos);
    }
    // A stream cut short is as bad.
    TMemoryStream out;
    EXPECT_THROW(VfInflate(reinterpret_cast<const uint8_t*>("\x78\x01\x01\x05\x00"), 5, out, "x"),
                 EVobeError);
    EXPECT_THROW(VfInflate(nullptr, 0, out, "x"), EVobeError);
}

TEST(VfArchive, ResourceArchiveAndRanges) {
    std::vector<TIndepEntry> entries = {{"song.ogg", "OggS-data", 1}, {"zero", "", 1}};
    auto a = BuildIndependent(102, entries);
    static std::string blob;
    blob = a.Directory + a.Data;
    RegisterResource("DUMMY", "BINTYPE", blob.data(), static_cast<int64_t>(blob.size()));
    TVrFileCollection c;
    c.LoadFromResource("DUMMY", "BINTYPE");
    EXPECT_TRUE(c.IsResource());
    auto r = c.OpenEntryRange("SONG.OGG");
    ASSERT_TRUE(r);
    TMemoryStream m;
    m.CopyFrom(*r, 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(m.Memory()), 9), "OggS-data");
    // An empty entry gives an empty range, not the rest of the archive.
    EXPECT_EQ(c.OpenEntryRange("zero")->GetSize(), 0);
    EXPECT_EQ(c.OpenEntryRange("none"), nullptr);
    UnregisterResource("DUMMY", "BINTYPE");
    TVrFileCollection missing;
    EXPECT_THROW(missing.LoadFromResource("DUMMY", "BINTYPE"), EVobeError);
}

TEST(VfArchive, Crc32) {
    EXPECT_EQ(VfCrc32("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(VfCrc32("", 0), 0u);
}

} // namespace
} // namespace vobe
