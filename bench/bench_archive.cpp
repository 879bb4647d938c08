// Archive benchmarks: mounting a large directory, name lookup, and whole-file reads of a compressed
// 4 MiB entry uncached and cached, beside zlib's own inflate and memcpy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <unistd.h>
#include <zlib.h>

#include "archive/file_manager.h"
#include "archive/vf_archive.h"
#include "platform/paths.h"

using namespace vobe;

namespace {

std::string TempPath(const std::string& leaf) {
    return (std::filesystem::temp_directory_path() / (leaf + "_" + std::to_string(::getpid()))).string();
}

// Picture-like bytes: smooth runs with a little noise, compressing to roughly a third.
std::vector<uint8_t> PictureBytes(size_t n) {
    std::mt19937 g(7);
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>((i / 7) % 251 + (g() & 3));
    return v;
}

struct TFixture {
    std::string bigPath, smallPath;
    std::vector<std::string> names;
    std::vector<uint8_t> raw, packed;

    TFixture() {
        // 100,000 small entries.
        TVrFileCollection w;
        for (int i = 0; i < 100000; ++i) {
            names.push_back("data\\folder" + std::to_string(i % 97) + "\\file" + std::to_string(i) + ".vsk");
            w.AddMemoryEntry(names.back())->Stream->WriteBuffer("x", 1);
        }
        TMemoryStream image;
        w.WriteArchive(image);
        bigPath = TempPath("vobe_bench_100k.dat");
        image.SaveToFile(PlayerPath(bigPath));

        // One compressed 4 MiB entry.
        raw = PictureBytes(4 << 20);
        TVrFileCollection one;
        auto* e = one.AddMemoryEntry("pic.vsk");
        e->Stream->WriteBuffer(raw.data(), static_cast<int64_t>(raw.size()));
        TMemoryStream img2;
        one.WriteArchive(img2);
        smallPath = TempPath("vobe_bench_4m.dat");
        img2.SaveToFile(PlayerPath(smallPath));
        TMemoryStream z;
        VfDeflate(raw.data(), raw.size(), z);
        packed.assign(z.Memory(), z.Memory() + z.GetSize());
    }
    ~TFixture() {
        std::filesystem::remove(bigPath);
        std::filesystem::remove(smallPath);
    }
};

TFixture& Fixture() {
    static TFixture f;
    return f;
}

TVrFileManagerHost QuietHost() {
    TVrFileManagerHost h;
    h.CdRoots = [] { return std::vector<std::string>{}; };
    return h;
}

void BM_Mount100kEntries(benchmark::State& state) {
    const std::string path = PlayerPath(Fixture().bigPath);
    for (auto _ : state) {
        TVrFileCollection c;
        c.LoadFromFile(path);
        benchmark::DoNotOptimize(c.Count());
    }
}
BENCHMARK(BM_Mount100kEntries)->Unit(benchmark::kMillisecond);

void BM_NameLookup(benchmark::State& state) {
    TVrFileCollection c;
    c.LoadFromFile(PlayerPath(Fixture().bigPath));
    const auto& names = Fixture().names;
    size_t i = 0;
    for (auto _ : state) {
        // Looked up in another letter case, as games do.
        benchmark::DoNotOptimize(c.FindEntry(names[i]));
        i = (i + 7919) % names.size();
    }
}
BENCHMARK(BM_NameLookup);

void BM_LoadToStream4MiB_Uncached(benchmark::State& state) {
    TVrFileManager fm(QuietHost());
    fm.MountFile(PlayerPath(Fixture().smallPath));
    TMemoryStream m;
    for (auto _ : state) {
        fm.ClearCache();
        fm.LoadToStream(m, "PIC.VSK");
        benchmark::DoNotOptimize(m.Memory());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (4 << 20));
}
BENCHMARK(BM_LoadToStream4MiB_Uncached)->Unit(benchmark::kMillisecond);

void BM_LoadToStream4MiB_Cached(benchmark::State& state) {
    TVrFileManager fm(QuietHost());
    fm.MountFile(PlayerPath(Fixture().smallPath));
    TMemoryStream m;
    fm.LoadToStream(m, "pic.vsk");
    for (auto _ : state) {
        fm.LoadToStream(m, "pic.vsk");
        benchmark::DoNotOptimize(m.Memory());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (4 << 20));
}
BENCHMARK(BM_LoadToStream4MiB_Cached)->Unit(benchmark::kMillisecond);

// Reference: zlib inflating the same compressed bytes into a buffer of the known size.
void BM_zlib_Inflate4MiB(benchmark::State& state) {
    const auto& packed = Fixture().packed;
    std::vector<uint8_t> out(4 << 20);
    for (auto _ : state) {
        uLongf n = static_cast<uLongf>(out.size());
        int rc = uncompress(out.data(), &n, packed.data(), static_cast<uLong>(packed.size()));
        benchmark::DoNotOptimize(rc);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (4 << 20));
}
BENCHMARK(BM_zlib_Inflate4MiB)->Unit(benchmark::kMillisecond);

// Reference: memcpy of 4 MiB.
void BM_memcpy_4MiB(benchmark::State& state) {
    const auto& raw = Fixture().raw;
    std::vector<uint8_t> out(raw.size());
    for (auto _ : state) {
        std::memcpy(out.data(), raw.data(), raw.size());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (4 << 20));
}
BENCHMARK(BM_memcpy_4MiB)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
