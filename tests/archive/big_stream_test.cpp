#include "archive/big_stream.h"
#include "archive/tp_random.h"

#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "platform/file.h"
#include "test_files.h"

namespace vobe {
namespace {

using testing::TScratchDir;

TEST(TpRandom, Sequence) {
    TTpRandom r(1);
    const int32_t expected[] = {1, 6, 31, 156, 781};
    for (int32_t e : expected) EXPECT_EQ(r.Next(), e);
    // The archive generator wraps modulo 2^32 and is read as a signed value.
    TTpRandom a(3182546028u);
    EXPECT_EQ(a.Next(), static_cast<int32_t>(3182546028u));
    EXPECT_EQ(a.Next(), static_cast<int32_t>(3182546028u * 6u));
}

TEST(TpRandom, DrawIndexMatchesOrderedPool) {
    // Reference: the pool as a plain ordered list.
    for (int32_t n : {1, 3, 7, 64, 1000}) {
        TTpRandom r(12345), ref(12345);
        r.InitPermutation(n);
        std::vector<int32_t> pool(static_cast<size_t>(n));
        for (int32_t i = 0; i < n; ++i) pool[static_cast<size_t>(i)] = i;
        for (int32_t k = 0; k < n; ++k) {
            uint32_t state = static_cast<uint32_t>(ref.Next());
            size_t i = state % pool.size();
            int32_t want = pool[i];
            pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(i));
            ASSERT_EQ(r.DrawIndex(), want) << n << " " << k;
        }
        EXPECT_EQ(r.PoolSize(), 0);
        EXPECT_EQ(r.DrawIndex(), -1);
    }
    TTpRandom three(7);
    three.InitPermutation(3);
    std::vector<int32_t> got = {three.DrawIndex(), three.DrawIndex(), three.DrawIndex()};
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, (std::vector<int32_t>{0, 1, 2}));
}

TEST(BigFileStream, PartNames) {
    EXPECT_EQ(TTpBigFileStream::PartFileName("C:\\g\\game.dat", 0), "C:\\g\\game.dat");
    EXPECT_EQ(TTpBigFileStream::PartFileName("C:\\g\\game.dat", 1), "C:\\g\\game.001");
    EXPECT_EQ(TTpBigFileStream::PartFileName("C:\\g.x\\game", 12), "C:\\g.x\\game.012");
}

TEST(BigFileStream, PartNamesKeepDoubleByteCharacters) {
    // "ソ" ends in the byte of '\': that byte is no separator, so the dot before it still starts the
    // extension.
    const std::string so = "\x83\x5C";
    EXPECT_EQ(TTpBigFileStream::PartFileName("a.b" + so, 2), "a.002");
    EXPECT_EQ(TTpBigFileStream::PartFileName("d:" + so + ".dat", 3), "d:" + so + ".003");
    EXPECT_EQ(TTpBigFileStream::PartFileName("x.y:game", 1), "x.y:game.001");
}

TEST(BigFileStream, PartBoundaryAndMissingPart) {
    TScratchDir dir;
    const int64_t P = TTpBigFileStream::PartSize;
    {
        // A sparse part 0 of exactly 2^30 bytes ending in "xy", then part 1 "AB", no part 2, part 3 "zz".
        auto f = TPlatformFile::Open(dir.Real("game.dat"), TFileAccess::ReadWrite, true, true);
        ASSERT_TRUE(f);
        ASSERT_TRUE(f->Truncate(P - 2));
        f->Seek(P - 2, 0);
        f->Write("xy", 2);
    }
    dir.Write("game.001", "AB");
    dir.Write("game.003", "zz");

    TTpBigFileStream s(dir.Player("game.dat"), fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(s.PartCount(), 2);
    EXPECT_EQ(s.GetSize(), P + 2);
    s.SetPosition(P);
    char b[4] = {};
    EXPECT_EQ(s.ReadBuffer64(b, 1), 1);
    EXPECT_EQ(b[0], 'A');
    s.SetPosition(P - 2);
    EXPECT_EQ(s.ReadBuffer64(b, 10), 4); // across the boundary in one call, up to the end
    EXPECT_EQ(std::string(b, 4), "xyAB");
    s.SetPosition(P + 100);
    EXPECT_EQ(s.GetPosition(), P + 2);
    EXPECT_EQ(s.ReadBuffer64(b, 1), 0);
}

TEST(BigFileStream, WritingCrossesIntoNewPartAndCreateDeletesOldParts) {
    TScratchDir dir;
    dir.Write("a.001", "old");
    dir.Write("a.002", "old");
    {
        TTpBigFileStream w(dir.Player("a.dat"), fmCreate);
        EXPECT_FALSE(std::filesystem::exists(dir.Real("a.001")));
        EXPECT_EQ(w.WriteBuffer64("hello", 5), 5);
    }
    EXPECT_EQ(dir.Read("a.dat"), "hello");
    {
        // Grow part 0 to the boundary (sparse), then write across it.
        auto f = TPlatformFile::Open(dir.Real("a.dat"), TFileAccess::ReadWrite);
        ASSERT_TRUE(f->Truncate(TTpBigFileStream::PartSize - 1));
    }
    {
        TTpBigFileStream rw(dir.Player("a.dat"), fmOpenReadWrite);
        rw.SetPosition(TTpBigFileStream::PartSize - 1);
        EXPECT_EQ(rw.WriteBuffer64("123", 3), 3);
        EXPECT_EQ(rw.PartCount(), 2);
        EXPECT_EQ(rw.GetSize(), TTpBigFileStream::PartSize + 2);
    }
    EXPECT_EQ(dir.Read("a.001"), "23");
    EXPECT_THROW(TTpBigFileStream(dir.Player("missing.dat"), fmOpenRead), EStreamError);
}

TEST(BigStreams, CopiesAndMemory) {
    TTpBigMemoryStream m;
    TMemoryStream src;
    src.WriteBuffer("0123456789", 10);
    EXPECT_EQ(m.WriteFromStream(src, 0), 10);
    EXPECT_EQ(m.GetSize(), 10);
    m.SetPosition(3);
    TMemoryStream dst;
    EXPECT_EQ(m.ReadToStream(dst, 4), 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(dst.Memory()), 4), "3456");
    EXPECT_EQ(m.ReadToStream(dst, 100), 3); // only what is left
    TTpBigMemoryStream copy;
    EXPECT_EQ(copy.CopyFromBig(m, 0), 10);
    EXPECT_EQ(copy.GetSize(), 10);
}

TEST(BuffBigStream, ReadsAheadAndGivesBackTheRest) {
    TTpBigMemoryStream m;
    std::string data(250000, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
    m.WriteBuffer64(data.data(), static_cast<int64_t>(data.size()));
    m.SetPosition(10);
    std::string got(150000, '\0');
    {
        TTpBuffBigStream b(m);
        EXPECT_EQ(b.Read(got.data(), 5), 5);
        EXPECT_EQ(b.Read(got.data() + 5, 149995), 149995);
        EXPECT_EQ(m.GetPosition(), 10 + 2 * TTpBuffBigStream::BufferSize);
    }
    EXPECT_EQ(got, data.substr(10, 150000));
    EXPECT_EQ(m.GetPosition(), 150010);
    {
        TTpBuffBigStream b(m);
        std::string rest(200000, '\0');
        EXPECT_EQ(b.Read(rest.data(), 200000), 100000 - 10);
    }
    EXPECT_EQ(m.GetPosition(), 250000);
}

TEST(RangeStream, WindowSeekAndThreads) {
    static const char blob[] = "0123456789abcdef";
    RegisterResource("RANGE", "DATA", blob, 16);
    {
        TResourceRangeStream whole("range", 0, 0, "data"); // size 0: to the end
        EXPECT_EQ(whole.GetSize(), 16);
        EXPECT_EQ(whole.LockedStreamSize(), 16);
    }
    TResourceRangeStream r("RANGE", 6, 4, "DATA");
    char b[16] = {};
    EXPECT_EQ(r.Read(b, 100), 6);
    EXPECT_EQ(std::string(b, 6), "456789");
    EXPECT_EQ(r.Read(b, 1), 0);
    EXPECT_EQ(r.Seek(-5, soBeginning), 0);
    EXPECT_EQ(r.Seek(-2, soEnd), 4);
    EXPECT_EQ(r.Read(b, 4), 2);
    EXPECT_EQ(r.Seek(99, soCurrent), 6);
    EXPECT_EQ(r.Write("x", 1), 0);
    // A range beyond the stream's end is cut to what the stream holds.
    TResourceRangeStream cut("RANGE", 100, 10, "DATA");
    EXPECT_EQ(cut.GetSize(), 6);

    // Several threads seeking and reading the same range always see consistent bytes.
    std::vector<std::thread> threads;
    std::atomic<int> bad{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i) {
                int64_t off = (t + i) % 6;
                char c = 0;
                // Seek and read are separate calls: only the byte range must be right.
                r.Seek(off, soBeginning);
                if (r.Read(&c, 1) == 1 && (c < '4' || c > '9')) ++bad;
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(bad.load(), 0);
    UnregisterResource("RANGE", "DATA");
    TTpBigResourceStream none("RANGE", "DATA");
    EXPECT_EQ(none.GetSize(), 0);
}

TEST(RangeStream, FileRange) {
    TScratchDir dir;
    dir.Write("f.bin", "abcdefgh");
    TFileRangeStream r(dir.Player("f.bin"), 3, 2);
    TMemoryStream m;
    m.CopyFrom(r, 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(m.Memory()), 3), "cde");
}

} // namespace
} // namespace vobe
