#include "archive/big_stream.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

#include "archive/file_names.h"
#include "platform/cp932.h"
#include "platform/file.h"
#include "platform/paths.h"

namespace vobe {

// ---- TTpBigStream -----------------------------------------------------------------------------------

namespace {

// Copies count bytes (all of the source from its start when count is 0) through a bounded buffer;
// stops at the source's end or at a short write.
template <class Source, class ReadFn>
int64_t CopyInto(TTpBigStream& dest, Source& source, int64_t count, ReadFn read) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.GetSize();
    }
    std::vector<uint8_t> buf(static_cast<size_t>(std::clamp<int64_t>(count, 0, 1 << 20)));
    int64_t done = 0;
    while (done < count) {
        int64_t n = read(source, buf.data(), std::min<int64_t>(count - done, buf.size()));
        if (n <= 0) break;
        int64_t w = dest.WriteBuffer64(buf.data(), n);
        done += w;
        if (w != n) break;
    }
    return done;
}

} // namespace

int64_t TTpBigStream::CopyFromBig(TTpBigStream& source, int64_t count) {
    return CopyInto(*this, source, count,
                    [](TTpBigStream& src, uint8_t* p, int64_t n) { return src.ReadBuffer64(p, n); });
}

int64_t TTpBigStream::WriteFromStream(TStream& source, int64_t count) {
    return CopyInto(*this, source, count,
                    [](TStream& src, uint8_t* p, int64_t n) { return static_cast<int64_t>(src.Read(p, n)); });
}

int64_t TTpBigStream::ReadToStream(TStream& dest, int64_t count) {
    if (count <= 0) return 0;
    // Straight into a memory stream's storage: no intermediate buffer for whole-entry reads.
    if (auto* mem = dynamic_cast<TMemoryStream*>(&dest)) {
        const int64_t pos = mem->GetPosition();
        const int64_t avail = std::max<int64_t>(0, GetSize() - GetPosition());
        const int64_t want = std::min(count, avail);
        if (want <= 0) return 0;
        if (pos + want > mem->GetSize()) mem->SetSize(pos + want);
        int64_t n = ReadBuffer64(mem->Memory() + pos, want);
        if (n < want) mem->SetSize(std::max(pos + n, pos));
        mem->SetPosition(pos + n);
        return n;
    }
    std::vector<uint8_t> buf(static_cast<size_t>(std::min<int64_t>(count, 1 << 20)));
    int64_t done = 0;
    while (done < count) {
        int64_t n = ReadBuffer64(buf.data(), std::min<int64_t>(count - done, buf.size()));
        if (n <= 0) break;
        dest.WriteBuffer(buf.data(), n);
        done += n;
    }
    return done;
}

// ---- TTpBigFileStream -------------------------------------------------------------------------------

std::string TTpBigFileStream::PartFileName(const std::string& fileName, int32_t i) {
    if (i == 0) return fileName;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%.3d", i);
    return fname::ChangeExt(fileName, suffix);
}

bool TTpBigFileStream::Writable() const {
    uint32_t access = FMode & 0x0F;
    return access != fmOpenRead;
}

TTpBigFileStream::TTpBigFileStream(const std::string& fileName, uint32_t mode)
    : FFileName(fileName), FMode(mode) {
    const uint32_t access =
        mode == static_cast<uint32_t>(fmCreate) ? static_cast<uint32_t>(fmCreate) : mode & 0x0F;
    if (access != fmOpenRead && access != fmOpenReadWrite) {
        // A new stream: old parts must not survive behind the new data, even when the file itself
        // was already gone.
        DeleteFile(fileName);
        for (int32_t i = 1;; ++i) {
            std::string part = PartFileName(fileName, i);
            if (!FileExists(part)) break;
            DeleteFile(part);
        }
        return;
    }
    const TFileAccess fa = access == fmOpenRead ? TFileAccess::Read : TFileAccess::ReadWrite;
    for (int32_t i = 0;; ++i) {
        auto f = TPlatformFile::Open(RealPath(PartFileName(fileName, i)), fa);
        if (!f) break;
        FParts.push_back(std::move(f));
    }
    if (FParts.empty()) throw EStreamError(SJ("ファイル ") + fileName + SJ(" を開けません"));
    if (access == fmOpenRead)
        for (auto& p : FParts) FPartSizes.push_back(p->Size());
}

TTpBigFileStream::~TTpBigFileStream() {
    if (Writable())
        for (auto& p : FParts) p->Flush();
}

int64_t TTpBigFileStream::PartLength(size_t i) {
    if (i < FPartSizes.size()) return FPartSizes[i];
    return i < FParts.size() ? FParts[i]->Size() : 0;
}

int64_t TTpBigFileStream::GetSize() {
    int64_t total = 0;
    for (size_t i = 0; i < FParts.size(); ++i) total += PartLength(i);
    return total;
}

void TTpBigFileStream::SetPosition(int64_t pos) {
    FPosition = std::max<int64_t>(0, pos);
    int64_t size = GetSize();
    if (FPosition > size) FPosition = size;
}

int64_t TTpBigFileStream::ReadBuffer64(void* buffer, int64_t count) {
    auto* out = static_cast<uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count) {
        size_t part = static_cast<size_t>(FPosition / PartSize);
        if (part >= FParts.size()) break;
        int64_t offset = FPosition % PartSize;
        int64_t n = std::min(PartLength(part) - offset, count - done);
        // A short middle part leaves a hole that holds nothing: stop there instead of spinning.
        if (n <= 0) break;
        if (FParts[part]->Seek(offset, 0) != offset) break;
        int64_t got = FParts[part]->Read(out + done, n);
        if (got <= 0) break;
        done += got;
        FPosition += got;
        if (got < n) break;
    }
    return done;
}

TPlatformFile* TTpBigFileStream::PartForWrite(size_t i) {
    while (FParts.size() <= i) {
        std::string name = PartFileName(FFileName, static_cast<int32_t>(FParts.size()));
        auto f = TPlatformFile::Open(RealPath(name), TFileAccess::ReadWrite, true, true);
        if (!f) return nullptr;
        FParts.push_back(std::move(f));
    }
    return FParts[i].get();
}

int64_t TTpBigFileStream::WriteBuffer64(const void* buffer, int64_t count) {
    if (!Writable()) return 0;
    auto* in = static_cast<const uint8_t*>(buffer);
    int64_t done = 0;
    while (done < count) {
        size_t part = static_cast<size_t>(FPosition / PartSize);
        TPlatformFile* f = PartForWrite(part);
        if (!f) break;
        int64_t offset = FPosition % PartSize;
        int64_t n = std::min(PartSize - offset, count - done);
        if (f->Seek(offset, 0) != offset) break;
        int64_t put = f->Write(in + done, n);
        if (put <= 0) break;
        done += put;
        FPosition += put;
        if (put < n) break;
    }
    return done;
}

int64_t TTpBigFileStream::CopyFromBig(TTpBigStream& source, int64_t count) {
    return TTpBigStream::CopyFromBig(source, count);
}

int64_t TTpBigFileStream::WriteFromStream(TStream& source, int64_t count) {
    return TTpBigStream::WriteFromStream(source, count);
}

int64_t TTpBigFileStream::ReadToStream(TStream& dest, int64_t count) {
    return TTpBigStream::ReadToStream(dest, count);
}

// ---- TTpBigMemoryStream -----------------------------------------------------------------------------

void TTpBigMemoryStream::SetPosition(int64_t pos) {
    FStream.SetPosition(std::clamp<int64_t>(pos, 0, FStream.GetSize()));
}

// ---- resources --------------------------------------------------------------------------------------

namespace {

struct TResourceData {
    const uint8_t* data;
    int64_t size;
};

std::mutex& ResourceLock() {
    static std::mutex m;
    return m;
}

std::map<std::string, TResourceData>& Resources() {
    static std::map<std::string, TResourceData> r;
    return r;
}

std::string ResourceKey(const std::string& name, const std::string& type) {
    return AnsiUpperCase(type) + '\0' + AnsiUpperCase(name);
}

} // namespace

void RegisterResource(const std::string& name, const std::string& type, const void* data, int64_t size) {
    std::lock_guard<std::mutex> g(ResourceLock());
    Resources()[ResourceKey(name, type)] = {static_cast<const uint8_t*>(data), std::max<int64_t>(0, size)};
}

void UnregisterResource(const std::string& name, const std::string& type) {
    std::lock_guard<std::mutex> g(ResourceLock());
    Resources().erase(ResourceKey(name, type));
}

TTpBigResourceStream::TTpBigResourceStream(const std::string& resName, const std::string& resType)
    : FResName(resName), FResType(resType) {
    std::lock_guard<std::mutex> g(ResourceLock());
    auto it = Resources().find(ResourceKey(resName, resType));
    if (it != Resources().end()) {
        FData = it->second.data;
        FSize = it->second.size;
    }
}

void TTpBigResourceStream::SetPosition(int64_t pos) {
    FPosition = std::clamp<int64_t>(pos, 0, FSize);
}

int64_t TTpBigResourceStream::ReadBuffer64(void* buffer, int64_t count) {
    int64_t n = std::min(count, FSize - FPosition);
    if (n <= 0) return 0;
    std::memcpy(buffer, FData + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

// ---- TTpBuffBigStream -------------------------------------------------------------------------------

TTpBuffBigStream::~TTpBuffBigStream() {
    size_t unread = FBuffer.size() - FBufPos;
    if (unread > 0) FSource.SetPosition(FSource.GetPosition() - static_cast<int64_t>(unread));
}

int64_t TTpBuffBigStream::Read(void* buffer, int64_t length) {
    auto* out = static_cast<uint8_t*>(buffer);
    int64_t done = 0;
    while (length > 0) {
        if (FBufPos >= FBuffer.size()) {
            int64_t want = std::min(FSource.GetSize() - FSource.GetPosition(), BufferSize);
            FBuffer.clear();
            FBufPos = 0;
            if (want <= 0) break;
            FBuffer.resize(static_cast<size_t>(want));
            int64_t got = FSource.ReadBuffer64(FBuffer.data(), want);
            FBuffer.resize(static_cast<size_t>(std::max<int64_t>(got, 0)));
            if (got <= 0) break;
        }
        int64_t n = std::min<int64_t>(length, static_cast<int64_t>(FBuffer.size() - FBufPos));
        std::memcpy(out + done, FBuffer.data() + FBufPos, static_cast<size_t>(n));
        FBufPos += static_cast<size_t>(n);
        done += n;
        length -= n;
    }
    return done;
}

// ---- TRangeStream -----------------------------------------------------------------------------------

TRangeStream::TRangeStream(std::unique_ptr<TTpBigStream> stream, int64_t size, int64_t start, bool exactSize)
    : FStream(std::move(stream)) {
    const int64_t total = FStream->GetSize();
    FStart = std::clamp<int64_t>(start, 0, total);
    FSize = (size == 0 && !exactSize) ? total - FStart : std::clamp<int64_t>(size, 0, total - FStart);
    FStream->SetPosition(FStart);
}

TRangeStream::~TRangeStream() = default;

int64_t TRangeStream::Read(void* buffer, int64_t count) {
    std::lock_guard<std::mutex> g(FLock);
    const int64_t pos = FStream->GetPosition();
    count = std::min(count, FStart + FSize - pos);
    if (count <= 0) return 0;
    return FStream->ReadBuffer64(buffer, count);
}

int64_t TRangeStream::Seek(int64_t offset, TSeekOrigin origin) {
    std::lock_guard<std::mutex> g(FLock);
    int64_t target;
    switch (static_cast<int>(origin)) {
    case soBeginning: target = FStart + offset; break;
    case soCurrent: target = FStream->GetPosition() + offset; break;
    case soEnd: target = FStart + FSize + offset; break;
    default: target = FStream->GetPosition(); break;
    }
    target = std::clamp(target, FStart, FStart + FSize);
    FStream->SetPosition(target);
    return target - FStart;
}

int64_t TRangeStream::GetSize() {
    std::lock_guard<std::mutex> g(FLock);
    return FSize;
}

int64_t TRangeStream::LockedStreamSize() {
    std::lock_guard<std::mutex> g(FLock);
    return FStream->GetSize();
}

TFileRangeStream::TFileRangeStream(const std::string& fileName, int64_t size, int64_t start, bool exactSize)
    : TRangeStream(std::make_unique<TTpBigFileStream>(fileName, fmOpenRead | fmShareDenyWrite), size, start,
                   exactSize) {}

TResourceRangeStream::TResourceRangeStream(const std::string& resName, int64_t size, int64_t start,
                                           const std::string& resType, bool exactSize)
    : TRangeStream(std::make_unique<TTpBigResourceStream>(resName, resType), size, start, exactSize) {}

} // namespace vobe
