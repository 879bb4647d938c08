// Ordinary streams and the byte-level primitives with which every stored record of the player is
// written: little-endian int32, byte, length-prefixed string, and the 10-byte extended float.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/error.h"

namespace vobe {

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

// A byte stream with a 64-bit position. Read and Write return the bytes transferred (short at the end
// or on failure); ReadBuffer and WriteBuffer raise EStreamError instead.
class TStream {
public:
    virtual ~TStream() = default;
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual int64_t GetSize();
    virtual void SetSize(int64_t size);

    int64_t GetPosition() { return Seek(0, soCurrent); }
    void SetPosition(int64_t pos) { Seek(pos, soBeginning); }
    // Bytes between the position and the end.
    int64_t Remaining() { return GetSize() - GetPosition(); }

    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies count bytes from source's position; count 0 copies the whole source from its start.
    int64_t CopyFrom(TStream& source, int64_t count);
};

// A growable stream in memory.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t GetSize() override { return static_cast<int64_t>(data_.size()); }
    void SetSize(int64_t size) override;

    uint8_t* Memory() { return data_.data(); }
    const uint8_t* Memory() const { return data_.data(); }
    std::vector<uint8_t>& Bytes() { return data_; }
    const std::vector<uint8_t>& Bytes() const { return data_; }
    void Clear();
    // Player paths (see platform/paths.h). LoadFromFile raises EStreamError when the file cannot be read.
    void LoadFromFile(const std::string& playerPath);
    void SaveToFile(const std::string& playerPath) const;
    // Replaces the content by the rest of source, from its position (all of it when count is 0 and
    // source is at 0).
    void LoadFromStream(TStream& source);
    void SaveToStream(TStream& dest) const;

private:
    std::vector<uint8_t> data_;
    int64_t pos_ = 0;
};

// The stream class that marks saved state: a command's saved state, an archive entry made in memory.
class TTpMemoryStream : public TMemoryStream {};

// A read-only view of bytes owned elsewhere (linked-in data, a buffer under test).
class TReadOnlyMemoryStream : public TStream {
public:
    TReadOnlyMemoryStream(const void* data, int64_t size)
        : data_(static_cast<const uint8_t*>(data)), size_(size) {}
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t GetSize() override { return size_; }

private:
    const uint8_t* data_;
    int64_t size_;
    int64_t pos_ = 0;
};

class TPlatformFile;

enum TFileStreamMode { fmOpenRead, fmOpenWrite, fmOpenReadWrite, fmCreate };

// A file opened by its player path. Raises EStreamError when the file cannot be opened.
class TFileStream : public TStream {
public:
    TFileStream(const std::string& playerPath, TFileStreamMode mode);
    ~TFileStream() override;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t GetSize() override;
    void SetSize(int64_t size) override;
    void Flush();

private:
    std::unique_ptr<TPlatformFile> file_;
};

// ---- primitives ----------------------------------------------------------------------------------

void WriteInt32(TStream& s, int32_t v);
int32_t ReadInt32(TStream& s);
void WriteByte(TStream& s, uint8_t v);
uint8_t ReadByte(TStream& s);
void WriteBool(TStream& s, bool v);
bool ReadBool(TStream& s); // any non-zero byte is true
// int32 length L, then L bytes; L <= 0 is the empty string. ReadStr raises EStreamError when L runs
// past the end of the stream, before allocating anything.
void WriteStr(TStream& s, const std::string& v);
std::string ReadStr(TStream& s);
void WriteExtended(TStream& s, long double v);
long double ReadExtended(TStream& s);

// The x87 80-bit layout, little-endian: 64-bit significand with explicit integer bit, 15-bit biased
// exponent, sign. Exact on every processor: long double is used directly where it is this format.
void EncodeExtended(long double v, uint8_t out[10]);
long double DecodeExtended(const uint8_t in[10]);
// The processor-independent forms, used where long double is another format (and by the tests).
void EncodeExtendedPortable(long double v, uint8_t out[10]);
long double DecodeExtendedPortable(const uint8_t in[10]);

} // namespace vobe
