#include "archive/vf_archive.h"

#include <algorithm>
#include <cstring>
#include <vector>
#include <zlib.h>

#include "archive/file_names.h"
#include "archive/tp_random.h"
#include "platform/cp932.h"
#include "platform/file.h"
#include "platform/file_info.h"
#include "platform/paths.h"

namespace vobe {

const char* const VfEofName = "\\EOF\\";

namespace {

const std::string& NotFoundFormat() {
    static const std::string s = SJ(":ファイルがありません");
    return s;
}

[[noreturn]] void RaiseNotFound(const std::string& name) {
    throw EVobeError(name + NotFoundFormat());
}

int32_t GetLE32(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

uint64_t GetLE64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

void PutLE32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void PutLE64(uint8_t* p, uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

bool IsEofName(const std::string& name) {
    return name == VfEofName;
}

} // namespace

// ---- checksums and compression ----------------------------------------------------------------------

uint32_t VfCrc32(const void* data, size_t size, uint32_t crc) {
    const auto* p = static_cast<const Bytef*>(data);
    uLong c = crc;
    while (size > 0) {
        uInt n = static_cast<uInt>(std::min<size_t>(size, 1u << 30));
        c = ::crc32(c, p, n);
        p += n;
        size -= n;
    }
    return static_cast<uint32_t>(c);
}

namespace {

// Scratch memory kept between reads: whole-file reads then cost no fresh zero-filled pages. Buffers
// that grew past ScratchKeep are given back after use.
constexpr size_t ScratchKeep = 16u << 20;

std::vector<uint8_t>& InflateScratch() {
    thread_local std::vector<uint8_t> v;
    return v;
}

std::vector<uint8_t>& PackedScratch() {
    thread_local std::vector<uint8_t> v;
    return v;
}

void TrimScratch(std::vector<uint8_t>& v) {
    if (v.size() > ScratchKeep) std::vector<uint8_t>().swap(v);
}

} // namespace

void VfInflate(const uint8_t* data, size_t size, TMemoryStream& dest, const std::string& what) {
    std::vector<uint8_t>& out = InflateScratch();
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw EVobeError(what + SJ(":展開できません"));
    if (out.size() < 65536) out.resize(65536);
    size_t produced = 0;
    const uint8_t* in = data;
    size_t inLeft = size;
    int rc = Z_OK;
    for (;;) {
        // The output grows only as the data comes, so a damaged stream cannot ask for more memory
        // than it actually inflates to.
        if (produced == out.size()) out.resize(out.size() * 2);
        z.next_in = const_cast<Bytef*>(in);
        z.avail_in = static_cast<uInt>(std::min<size_t>(inLeft, 1u << 30));
        z.next_out = out.data() + produced;
        z.avail_out = static_cast<uInt>(std::min<size_t>(out.size() - produced, 1u << 30));
        const uInt availIn = z.avail_in, availOut = z.avail_out;
        rc = inflate(&z, Z_NO_FLUSH);
        in += availIn - z.avail_in;
        inLeft -= availIn - z.avail_in;
        produced += availOut - z.avail_out;
        if (rc == Z_STREAM_END) break;
        if (rc == Z_BUF_ERROR && inLeft == 0 && z.avail_out > 0) break; // cut short
        if (rc != Z_OK && rc != Z_BUF_ERROR) break;
    }
    inflateEnd(&z);
    if (rc != Z_STREAM_END) {
        TrimScratch(out);
        dest.Clear();
        throw EVobeError(what + SJ(":圧縮データが壊れています"));
    }
    std::vector<uint8_t>& bytes = dest.Bytes();
    bytes.clear();
    bytes.insert(bytes.end(), out.begin(), out.begin() + static_cast<std::ptrdiff_t>(produced));
    dest.SetPosition(0);
    TrimScratch(out);
}

void VfDeflate(const uint8_t* data, size_t size, TMemoryStream& dest) {
    z_stream z{};
    if (deflateInit(&z, Z_BEST_SPEED) != Z_OK) throw EVobeError(SJ("圧縮できません"));
    std::vector<uint8_t>& out = dest.Bytes();
    out.resize(deflateBound(&z, static_cast<uLong>(size)));
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    int rc = deflate(&z, Z_FINISH);
    size_t produced = out.size() - z.avail_out;
    deflateEnd(&z);
    if (rc != Z_STREAM_END) throw EVobeError(SJ("圧縮できません"));
    out.resize(produced);
    dest.SetPosition(0);
}

bool ShouldCompress(const std::string& fileName) {
    const std::string ext = AnsiUpperCase(ExtractFileExt(fileName));
    if (ext == ".VSK") {
        try {
            TFileStream f(fileName, fmOpenRead);
            char sig[7];
            if (f.Read(sig, 7) != 7 || std::memcmp(sig, "Vask", 4) != 0) return false;
            for (int i = 4; i < 7; ++i)
                if (sig[i] < '0' || sig[i] > '9') return false;
            int version = (sig[4] - '0') * 100 + (sig[5] - '0') * 10 + (sig[6] - '0');
            if (version < 103) return false;
            uint8_t len[4];
            if (f.Read(len, 4) != 4) return false;
            int32_t headerLen = GetLE32(len);
            if (headerLen < 23) return false;
            uint8_t header[40] = {};
            int64_t want = std::min<int64_t>(headerLen, 40);
            if (f.Read(header, want) < 23) return false;
            // Only images that store their pixels uncompressed gain from compression.
            return header[22] == 1;
        } catch (const EVobeError&) {
            return false;
        }
    }
    // Media and nested archives never: the extension anywhere in the list (so ".MP" counts as well);
    // an empty extension is found nowhere.
    static const std::string never = ".WAV.WMA.OGG.MPG.MPEG.M1V.WMV.ASF.DAT.";
    if (!ext.empty() && never.find(ext) != std::string::npos) return false;
    try {
        TFileStream f(fileName, fmOpenRead);
        return f.GetSize() < 5242880;
    } catch (const EVobeError&) {
        return false;
    }
}

// ---- TVrFileCollection: reading ---------------------------------------------------------------------

TVrFileCollection::~TVrFileCollection() = default;

void TVrFileCollection::RaiseCorrupt(const std::string& what) const {
    const std::string& name = FFileName.empty() ? FResType : FFileName;
    throw EVobeError(SJ("アーカイブ ") + name + SJ(" が壊れています: ") + what);
}

void TVrFileCollection::LoadFromFile(const std::string& fileName, bool folderMode) {
    Clear();
    FStream.reset();
    FIsResource = false;
    FFromStream = false;
    FResType.clear();
    FVersion = 0;
    FFileName = fileName;
    const bool exists = FileExists(fileName);
    FFolder = fname::WithBackslash((exists || folderMode) ? ExtractFilePath(fileName) : fileName);
    if (!exists) return;

    FStream = std::make_unique<TTpBigFileStream>(fileName, fmOpenRead | fmShareDenyWrite);
    try {
        const std::string ext = AnsiUpperCase(ExtractFileExt(fileName));
        const int64_t size = FStream->GetSize();
        bool program = ext == ".EXE" || ext == ".SCR";
        if (!program && ext.empty() && size >= 6) {
            // Programs of this system have no extension (this player's own executable): they are
            // told by their header and the trailer "vb".
            static const uint8_t elf[4] = {0x7F, 'E', 'L', 'F'};
            uint8_t head[4] = {}, tail[2] = {};
            FStream->SetPosition(0);
            FStream->ReadBuffer64(head, 4);
            FStream->SetPosition(size - 2);
            FStream->ReadBuffer64(tail, 2);
            program = (std::memcmp(head, elf, 4) == 0 || std::memcmp(head, "MZ", 2) == 0) && tail[0] == 'v' &&
                      tail[1] == 'b';
        }
        if (program) {
            if (size < 6) RaiseCorrupt(SJ("プログラムの末尾がありません"));
            uint8_t b[4];
            FStream->SetPosition(size - 6);
            if (FStream->ReadBuffer64(b, 4) != 4) RaiseCorrupt(SJ("プログラムの末尾がありません"));
            int64_t start = GetLE32(b);
            if (start < 0 || start > size - 6) RaiseCorrupt(SJ("アーカイブの位置が不正です"));
            FStream->SetPosition(start);
            ReadDirectory(*FStream);
            return;
        }
        const std::string extFile = fname::ChangeExt(fileName, ".ext");
        if (FileExists(extFile)) {
            TTpBigMemoryStream dir;
            dir.LoadFromFile(extFile);
            dir.SetPosition(0);
            ReadDirectory(dir);
        } else {
            FStream->SetPosition(0);
            ReadDirectory(*FStream);
        }
    } catch (...) {
        Clear();
        FStream.reset();
        throw;
    }
}

void TVrFileCollection::LoadFromResource(const std::string& resName, const std::string& resType) {
    Clear();
    FStream.reset();
    FVersion = 0;
    FFolder.clear();
    FFileName = resName;
    FResType = resType;
    FIsResource = true;
    FFromStream = false;
    auto s = std::make_unique<TTpBigResourceStream>(resName, resType);
    if (s->GetSize() == 0) throw EVobeError(SJ("リソースが見つかりません"));
    FStream = std::move(s);
    try {
        FStream->SetPosition(0);
        ReadDirectory(*FStream);
    } catch (...) {
        Clear();
        FStream.reset();
        throw;
    }
}

void TVrFileCollection::LoadFromStream(std::unique_ptr<TTpBigStream> stream, const std::string& name) {
    Clear();
    FStream.reset();
    FVersion = 0;
    FFolder.clear();
    FFileName = name;
    FResType.clear();
    FIsResource = false;
    FFromStream = true;
    FStream = std::move(stream);
    if (!FStream) return;
    try {
        FStream->SetPosition(0);
        ReadDirectory(*FStream);
    } catch (...) {
        Clear();
        FStream.reset();
        throw;
    }
}

void TVrFileCollection::ReadDirectory(TTpBigStream& stream) {
    const int64_t start = stream.GetPosition();
    const int64_t streamSize = stream.GetSize();
    const int64_t dataSize = FStream ? FStream->GetSize() : streamSize;
    auto need = [&](int64_t bytes) {
        if (bytes > streamSize - stream.GetPosition()) RaiseCorrupt(SJ("ディレクトリが途中で切れています"));
    };

    uint8_t b[8];
    need(2);
    stream.ReadBuffer64(b, 2);
    int32_t version = 0;
    if (b[0] == 'v' && b[1] == 'f') {
        need(4);
        stream.ReadBuffer64(b, 4);
        version = GetLE32(b);
        if (version < 0 || version > VfCurrentVersion) RaiseCorrupt(SJ("未対応のバージョンです"));
    } else {
        stream.SetPosition(start);
    }
    FVersion = version;
    need(4);
    stream.ReadBuffer64(b, 4);
    const int32_t n = GetLE32(b);

    const int64_t offsetSize = version >= 101 ? 8 : 4;
    const int64_t perEntry = 4 + offsetSize + (version >= 101 ? 9 : 0) + (version >= 102 ? 1 : 0);
    // Every entry takes at least its name length and its tables' bytes: a larger count is corrupt.
    if (n < 0 || n > (streamSize - stream.GetPosition() - offsetSize) / perEntry)
        RaiseCorrupt(SJ("エントリ数が不正です"));

    Clear();
    std::vector<std::string> names(static_cast<size_t>(n));
    {
        TTpBuffBigStream buf(stream);
        int64_t left = streamSize - stream.GetPosition();
        for (int32_t i = 0; i < n; ++i) {
            if (buf.Read(b, 4) != 4) RaiseCorrupt(SJ("ディレクトリが途中で切れています"));
            left -= 4;
            int32_t len = GetLE32(b);
            if (len < 0 || len > left) RaiseCorrupt(SJ("名前の長さが不正です"));
            std::string& name = names[static_cast<size_t>(i)];
            name.resize(static_cast<size_t>(len));
            if (len > 0 && buf.Read(name.data(), len) != len)
                RaiseCorrupt(SJ("ディレクトリが途中で切れています"));
            left -= len;
        }
    }
    if (version >= 100) {
        TTpRandom r(VfScrambleKey);
        for (std::string& name : names)
            for (char& c : name)
                c = static_cast<char>(static_cast<uint8_t>(c) ^ static_cast<uint8_t>(r.Next()));
    }
    Reserve(n + 1);
    for (std::string& name : names) Add(std::make_unique<TVrFile>(std::move(name)));
    Add(std::make_unique<TVrFile>(VfEofName));

    // Offsets, then the flag tables, read whole.
    const int64_t tableBytes = (int64_t{n} + 1) * offsetSize + perEntry * n - (4 + offsetSize) * int64_t{n};
    need(tableBytes);
    std::vector<uint8_t> tables(static_cast<size_t>(tableBytes));
    if (stream.ReadBuffer64(tables.data(), tableBytes) != tableBytes)
        RaiseCorrupt(SJ("ディレクトリが途中で切れています"));
    const uint8_t* p = tables.data();
    TTpRandom r(VfScrambleKey);
    std::vector<int64_t> offsets(static_cast<size_t>(n) + 1);
    for (int64_t& off : offsets) {
        if (offsetSize == 4) {
            int32_t v = GetLE32(p);
            if (version >= 100) v ^= r.Next();
            off = v;
        } else {
            uint64_t v = GetLE64(p);
            // The 64-bit rule XORs with the generator's value sign-extended.
            v ^= static_cast<uint64_t>(static_cast<int64_t>(r.Next()));
            off = static_cast<int64_t>(v);
        }
        p += offsetSize;
    }
    // Offsets must rise and stay inside the archive.
    const int64_t limit = dataSize - start;
    for (size_t i = 0; i < offsets.size(); ++i) {
        const int64_t off = offsets[i];
        if (off < 0 || off > limit || (i > 0 && off < offsets[i - 1]))
            RaiseCorrupt(SJ("データの位置が不正です"));
    }
    for (int32_t i = 0; i <= n; ++i)
        static_cast<TVrFile*>(Items(i))->Offset = offsets[static_cast<size_t>(i)];

    if (version >= 101) {
        for (int32_t i = 0; i < n; ++i) Entry(i)->Stored = p[i];
        p += n;
        for (int32_t i = 0; i < n; ++i) Entry(i)->Time = GetLE32(p + 4 * i);
        p += 4 * int64_t{n};
        for (int32_t i = 0; i < n; ++i) Entry(i)->Checksum = static_cast<uint32_t>(GetLE32(p + 4 * i));
        p += 4 * int64_t{n};
        if (version >= 102)
            for (int32_t i = 0; i < n; ++i) Entry(i)->PlainChecksum = p[i];
    }
    for (int32_t i = 0; i < n; ++i) {
        TVrFile* e = Entry(i);
        e->Size = offsets[static_cast<size_t>(i) + 1] - offsets[static_cast<size_t>(i)];
        e->Offset += start;
    }
}

int32_t TVrFileCollection::EntryCount() const {
    int32_t n = Count();
    for (int32_t i = n - 1; i >= 0; --i)
        if (Items(i)->GetName() == VfEofName) return i;
    return n;
}

TVrFile* TVrFileCollection::FindEntry(std::string_view name) const {
    THashCollectionItem* p = Find(name);
    // The sentinel carries the end offset only; it is never an entry.
    if (!p || p->GetName() == VfEofName) return nullptr;
    return static_cast<TVrFile*>(p);
}

TVrFile* TVrFileCollection::AddEntry(const std::string& name) {
    return static_cast<TVrFile*>(Add(std::make_unique<TVrFile>(name)));
}

TVrFile* TVrFileCollection::AddMemoryEntry(const std::string& name) {
    TVrFile* e = AddEntry(name);
    e->Stream = std::make_unique<TTpMemoryStream>();
    return e;
}

void TVrFileCollection::DeleteEntry(const std::string& name) {
    TVrFile* e = FindEntry(name);
    if (e) Delete(e->GetIndex());
}

void TVrFileCollection::LoadEntryData(TVrFile& entry, TMemoryStream& dest) {
    dest.Clear();
    if (entry.Size <= 0 || !FStream) return;
    if (entry.Offset < 0 || entry.Offset + entry.Size > FStream->GetSize())
        RaiseCorrupt(entry.GetName() + SJ(":データの位置が不正です"));
    FStream->SetPosition(entry.Offset);
    if (entry.Stored) {
        if (FStream->ReadToStream(dest, entry.Size) != entry.Size)
            RaiseCorrupt(SJ("データが途中で切れています"));
        dest.SetPosition(0);
        return;
    }
    std::vector<uint8_t>& packed = PackedScratch();
    if (packed.size() < static_cast<size_t>(entry.Size)) packed.resize(static_cast<size_t>(entry.Size));
    if (FStream->ReadBuffer64(packed.data(), entry.Size) != entry.Size)
        RaiseCorrupt(SJ("データが途中で切れています"));
    const std::string& where = FFileName.empty() ? FResType : FFileName;
    try {
        VfInflate(packed.data(), static_cast<size_t>(entry.Size), dest, where + ":" + entry.GetName());
    } catch (...) {
        TrimScratch(packed);
        throw;
    }
    TrimScratch(packed);
}

void TVrFileCollection::ReadEntry(TStream& dest, const std::string& name) {
    auto* mem = dynamic_cast<TMemoryStream*>(&dest);
    if (mem) mem->Clear();
    TVrFile* e = FindEntry(name);
    if (e && e->Stream) {
        e->Stream->SetPosition(0);
        dest.CopyFrom(*e->Stream, 0);
        dest.SetPosition(0);
        return;
    }
    if (e && FStream) {
        if (mem) {
            LoadEntryData(*e, *mem);
        } else {
            TMemoryStream tmp;
            LoadEntryData(*e, tmp);
            tmp.SaveToStream(dest);
            dest.SetPosition(0);
        }
        return;
    }
    const std::string path = FFolder + name;
    if (!FFolder.empty() && FileExists(path) && !AnsiSameText(path, FFileName)) {
        TMemoryStream tmp;
        tmp.LoadFromFile(path);
        if (mem) {
            mem->Bytes().swap(tmp.Bytes());
            mem->SetPosition(0);
        } else {
            tmp.SaveToStream(dest);
            dest.SetPosition(0);
        }
        return;
    }
    RaiseNotFound(name);
}

std::unique_ptr<TRangeStream> TVrFileCollection::OpenEntryRange(const std::string& name) {
    TVrFile* e = FindEntry(name);
    if (!e || !FStream || e->Stream) return nullptr;
    // An archive held in memory has no file to open again.
    if (FFromStream) return nullptr;
    if (FIsResource)
        return std::make_unique<TResourceRangeStream>(FFileName, e->Size, e->Offset, FResType, true);
    return std::make_unique<TFileRangeStream>(FFileName, e->Size, e->Offset, true);
}

// ---- TVrFileCollection: writing ---------------------------------------------------------------------

bool TVrFileCollection::WriteArchive(TStream& dest) {
    const int64_t base = dest.GetPosition();
    std::vector<TVrFile*> entries;
    for (int32_t i = 0; i < Count(); ++i) {
        auto* e = static_cast<TVrFile*>(Items(i));
        if (!IsEofName(e->GetName())) entries.push_back(e);
    }
    const int32_t n = static_cast<int32_t>(entries.size());
    dest.WriteBuffer("vf", 2);
    WriteInt32(dest, VfCurrentVersion);
    WriteInt32(dest, n);
    {
        TTpRandom r(VfScrambleKey);
        std::string scrambled;
        for (TVrFile* e : entries) {
            scrambled = e->GetName();
            for (char& c : scrambled)
                c = static_cast<char>(static_cast<uint8_t>(c) ^ static_cast<uint8_t>(r.Next()));
            WriteInt32(dest, static_cast<int32_t>(scrambled.size()));
            if (!scrambled.empty())
                dest.WriteBuffer(scrambled.data(), static_cast<int64_t>(scrambled.size()));
        }
    }
    const int64_t tablesPos = dest.GetPosition();
    const size_t tableBytes = (static_cast<size_t>(n) + 1) * 8 + static_cast<size_t>(n) * 10;
    std::vector<uint8_t> tables(tableBytes, 0);
    dest.WriteBuffer(tables.data(), static_cast<int64_t>(tableBytes));

    std::vector<int64_t> offsets;
    std::vector<uint8_t> stored(static_cast<size_t>(n)), plain(static_cast<size_t>(n));
    std::vector<int32_t> times(static_cast<size_t>(n));
    std::vector<uint32_t> sums(static_cast<size_t>(n));
    TMemoryStream data, packed;
    for (int32_t i = 0; i < n; ++i) {
        TVrFile* e = entries[static_cast<size_t>(i)];
        offsets.push_back(dest.GetPosition() - base);
        uint8_t st = 0, pl = 0;
        int32_t tm = 0;
        uint32_t sum = 0;
        const std::string diskPath = FFolder + e->GetName();
        if (e->Stream) {
            TMemoryStream& src = *e->Stream;
            const auto* bytes = src.Memory();
            const size_t size = static_cast<size_t>(src.GetSize());
            if (static_cast<int64_t>(size) > VfMaxCompressSize) {
                st = 1;
                sum = VfCrc32(bytes, size);
                if (size) dest.WriteBuffer(bytes, static_cast<int64_t>(size));
            } else {
                pl = e->PlainChecksum;
                if (pl) sum = VfCrc32(bytes, size);
                VfDeflate(bytes, size, packed);
                dest.WriteBuffer(packed.Memory(), packed.GetSize());
                if (!pl) sum = VfCrc32(packed.Memory(), static_cast<size_t>(packed.GetSize()));
            }
        } else if (!FFolder.empty() && FileExists(diskPath)) {
            data.Clear();
            data.LoadFromFile(diskPath);
            GetFileDosTime(diskPath, tm);
            pl = e->PlainChecksum;
            const size_t size = static_cast<size_t>(data.GetSize());
            bool compressed = false;
            if (ShouldCompress(diskPath)) {
                VfDeflate(data.Memory(), size, packed);
                compressed = static_cast<size_t>(packed.GetSize()) <= size * 9 / 10;
            }
            const uint8_t* out = compressed ? packed.Memory() : data.Memory();
            const size_t outSize = compressed ? static_cast<size_t>(packed.GetSize()) : size;
            st = compressed ? 0 : 1;
            sum = pl ? VfCrc32(data.Memory(), size) : VfCrc32(out, outSize);
            if (outSize) dest.WriteBuffer(out, static_cast<int64_t>(outSize));
        } else {
            ReadEntry(data, e->GetName());
            const size_t size = static_cast<size_t>(data.GetSize());
            if (static_cast<int64_t>(size) > VfMaxCompressSize) {
                st = 1;
                sum = VfCrc32(data.Memory(), size);
                if (size) dest.WriteBuffer(data.Memory(), static_cast<int64_t>(size));
            } else {
                VfDeflate(data.Memory(), size, packed);
                sum = VfCrc32(packed.Memory(), static_cast<size_t>(packed.GetSize()));
                dest.WriteBuffer(packed.Memory(), packed.GetSize());
            }
            tm = e->Time;
        }
        stored[static_cast<size_t>(i)] = st;
        plain[static_cast<size_t>(i)] = pl;
        times[static_cast<size_t>(i)] = tm;
        sums[static_cast<size_t>(i)] = sum;
    }
    offsets.push_back(dest.GetPosition() - base);
    const int64_t end = dest.GetPosition();

    uint8_t* p = tables.data();
    TTpRandom r(VfScrambleKey);
    for (int64_t off : offsets) {
        PutLE64(p, static_cast<uint64_t>(off) ^ static_cast<uint64_t>(static_cast<int64_t>(r.Next())));
        p += 8;
    }
    std::memcpy(p, stored.data(), stored.size());
    p += n;
    for (int32_t i = 0; i < n; ++i, p += 4) PutLE32(p, static_cast<uint32_t>(times[static_cast<size_t>(i)]));
    for (int32_t i = 0; i < n; ++i, p += 4) PutLE32(p, sums[static_cast<size_t>(i)]);
    std::memcpy(p, plain.data(), plain.size());
    dest.SetPosition(tablesPos);
    dest.WriteBuffer(tables.data(), static_cast<int64_t>(tableBytes));
    dest.SetPosition(end);
    return true;
}

} // namespace vobe
