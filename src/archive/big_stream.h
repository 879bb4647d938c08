// Streams with 64-bit sizes for archives: over a set of 1 GiB part files, over memory and over linked-in
// resources; the read-ahead reader of the directory; and the thread-safe window onto one archive entry
// that the media threads read.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "archive/stream.h"

namespace vobe {

class TPlatformFile;

// Sharing part of an open mode (bits 4-7), beside the access part (bits 0-3: fmOpenRead,
// fmOpenWrite, fmOpenReadWrite, or fmCreate). Sharing is recorded but not enforced here.
constexpr uint32_t fmShareCompat = 0x00;
constexpr uint32_t fmShareExclusive = 0x10;
constexpr uint32_t fmShareDenyWrite = 0x20;
constexpr uint32_t fmShareDenyRead = 0x30;
constexpr uint32_t fmShareDenyNone = 0x40;

class TTpBigStream {
public:
    virtual ~TTpBigStream() = default;
    virtual int64_t GetSize() { return 0; }
    virtual int64_t GetPosition() { return 0; }
    virtual void SetPosition(int64_t) {}
    virtual int64_t WriteBuffer64(const void*, int64_t) { return 0; }
    virtual int64_t ReadBuffer64(void*, int64_t) { return 0; }
    // Copies from another big stream; count 0 copies the whole source from its start.
    virtual int64_t CopyFromBig(TTpBigStream& source, int64_t count);
    // Copies from an ordinary stream; count 0 copies the whole stream from position 0.
    virtual int64_t WriteFromStream(TStream& source, int64_t count);
    // Copies count bytes from the position into an ordinary stream.
    virtual int64_t ReadToStream(TStream& dest, int64_t count);
};

// A file split into parts of PartSize bytes: part 0 is the file itself, part i is the name without its
// extension followed by ".%.3d" (game.001, game.002, ...).
class TTpBigFileStream : public TTpBigStream {
public:
    static constexpr int64_t PartSize = int64_t{1} << 30;
    static constexpr int64_t CopyBufferSize = 1048576;

    // Read and read-write modes open the existing parts in order up to the first missing one (raising
    // EStreamError when the file itself cannot be opened); any other access deletes every part first,
    // so that the stream starts empty.
    TTpBigFileStream(const std::string& fileName, uint32_t mode);
    ~TTpBigFileStream() override;

    int64_t GetSize() override;
    int64_t GetPosition() override { return FPosition; }
    void SetPosition(int64_t pos) override;
    int64_t WriteBuffer64(const void* buffer, int64_t count) override;
    int64_t ReadBuffer64(void* buffer, int64_t count) override;
    int64_t CopyFromBig(TTpBigStream& source, int64_t count) override;
    int64_t WriteFromStream(TStream& source, int64_t count) override;
    int64_t ReadToStream(TStream& dest, int64_t count) override;

    const std::string& FileName() const { return FFileName; }
    int32_t PartCount() const { return static_cast<int32_t>(FParts.size()); }
    // The player path of part i.
    static std::string PartFileName(const std::string& fileName, int32_t i);

private:
    int64_t PartLength(size_t i);
    bool Writable() const;
    TPlatformFile* PartForWrite(size_t i);

    std::string FFileName;
    uint32_t FMode;
    int64_t FPosition = 0;
    std::vector<std::unique_ptr<TPlatformFile>> FParts;
    // Part sizes, kept while the stream cannot change them (read mode).
    std::vector<int64_t> FPartSizes;
};

class TTpBigMemoryStream : public TTpBigStream {
public:
    int64_t GetSize() override { return FStream.GetSize(); }
    int64_t GetPosition() override { return FStream.GetPosition(); }
    void SetPosition(int64_t pos) override;
    int64_t WriteBuffer64(const void* buffer, int64_t count) override { return FStream.Write(buffer, count); }
    int64_t ReadBuffer64(void* buffer, int64_t count) override { return FStream.Read(buffer, count); }
    void SaveToFile(const std::string& fileName) const { FStream.SaveToFile(fileName); }
    void LoadFromFile(const std::string& fileName) { FStream.LoadFromFile(fileName); }
    TMemoryStream& Stream() { return FStream; }

private:
    TMemoryStream FStream;
};

// Blobs linked into the program, found by name and type ignoring case: the stand-in for the
// executable's resources. Registered data must outlive every stream opened over it.
void RegisterResource(const std::string& name, const std::string& type, const void* data, int64_t size);
void UnregisterResource(const std::string& name, const std::string& type);

// A read-only stream over a registered resource; size 0 when there is no such resource.
class TTpBigResourceStream : public TTpBigStream {
public:
    TTpBigResourceStream(const std::string& resName, const std::string& resType);
    int64_t GetSize() override { return FSize; }
    int64_t GetPosition() override { return FPosition; }
    void SetPosition(int64_t pos) override;
    int64_t ReadBuffer64(void* buffer, int64_t count) override;
    const std::string& ResName() const { return FResName; }
    const std::string& ResType() const { return FResType; }

private:
    std::string FResName, FResType;
    const uint8_t* FData = nullptr;
    int64_t FSize = 0;
    int64_t FPosition = 0;
};

// Read-ahead over a big stream in blocks of BufferSize bytes. When it is freed, the source is moved
// back by the bytes read ahead but not consumed, so it ends right after what was read.
class TTpBuffBigStream {
public:
    static constexpr int64_t BufferSize = 102400;
    explicit TTpBuffBigStream(TTpBigStream& source) : FSource(source) {}
    ~TTpBuffBigStream();
    TTpBuffBigStream(const TTpBuffBigStream&) = delete;
    TTpBuffBigStream& operator=(const TTpBuffBigStream&) = delete;
    // Returns the bytes read: fewer than length only at the source's end.
    int64_t Read(void* buffer, int64_t length);

private:
    TTpBigStream& FSource;
    std::vector<uint8_t> FBuffer;
    size_t FBufPos = 0;
};

// A window (start, size) onto a big stream that it owns. Every operation holds the lock: the media
// library reads from its own threads. Writing is refused.
class TRangeStream : public TStream {
public:
    ~TRangeStream() override;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void*, int64_t) override { return 0; }
    // origin 0 from the range start, 1 from the current position, 2 from the range end; the target is
    // kept inside the range. Returns the position relative to the start.
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t GetSize() override;
    // The underlying stream's whole size.
    int64_t LockedStreamSize();
    int64_t Start() const { return FStart; }

protected:
    // size 0 makes the range run to the end of the stream, unless exactSize is set (an empty archive
    // entry); a range beyond the stream's end is cut to what the stream holds.
    TRangeStream(std::unique_ptr<TTpBigStream> stream, int64_t size, int64_t start, bool exactSize);

private:
    std::unique_ptr<TTpBigStream> FStream;
    int64_t FStart = 0;
    int64_t FSize = 0;
    std::mutex FLock;
};

// Opens the file (and its parts) again for reading, others may read but not write.
class TFileRangeStream : public TRangeStream {
public:
    TFileRangeStream(const std::string& fileName, int64_t size, int64_t start, bool exactSize = false);
};

class TResourceRangeStream : public TRangeStream {
public:
    TResourceRangeStream(const std::string& resName, int64_t size, int64_t start, const std::string& resType,
                         bool exactSize = false);
};

} // namespace vobe
