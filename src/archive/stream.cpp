#include "archive/stream.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/cp932.h"
#include "platform/file.h"
#include "platform/paths.h"

namespace vobe {

namespace {

[[noreturn]] void RaiseReadError() { throw EStreamError(SJ("ストリームの読み込みエラー")); }
[[noreturn]] void RaiseWriteError() { throw EStreamError(SJ("ストリームの書き込みエラー")); }

} // namespace

// ---- TStream ----------------------------------------------------------------------------------------

int64_t TStream::GetSize() {
    int64_t pos = Seek(0, soCurrent);
    int64_t size = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return size;
}

void TStream::SetSize(int64_t) { RaiseWriteError(); }

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count < 0 || Read(buffer, count) != count) RaiseReadError();
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count < 0 || Write(buffer, count) != count) RaiseWriteError();
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.GetSize();
    }
    const int64_t total = count;
    std::vector<uint8_t> buf(static_cast<size_t>(std::min<int64_t>(count, 1 << 20)));
    while (count > 0) {
        int64_t n = std::min<int64_t>(count, static_cast<int64_t>(buf.size()));
        source.ReadBuffer(buf.data(), n);
        WriteBuffer(buf.data(), n);
        count -= n;
    }
    return total;
}

// ---- TMemoryStream ----------------------------------------------------------------------------------

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    int64_t size = static_cast<int64_t>(data_.size());
    if (count <= 0 || pos_ >= size) return 0;
    int64_t n = std::min(count, size - pos_);
    std::memcpy(buffer, data_.data() + pos_, static_cast<size_t>(n));
    pos_ += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    int64_t end = pos_ + count;
    if (end > static_cast<int64_t>(data_.size())) data_.resize(static_cast<size_t>(end));
    std::memcpy(data_.data() + pos_, buffer, static_cast<size_t>(count));
    pos_ = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == soCurrent ? pos_ : origin == soEnd ? static_cast<int64_t>(data_.size()) : 0;
    int64_t target = base + offset;
    if (target >= 0) pos_ = target;
    return pos_;
}

void TMemoryStream::SetSize(int64_t size) {
    if (size < 0) size = 0;
    data_.resize(static_cast<size_t>(size));
    if (pos_ > size) pos_ = size;
}

void TMemoryStream::Clear() {
    data_.clear();
    data_.shrink_to_fit();
    pos_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& playerPath) {
    TFileStream f(playerPath, fmOpenRead);
    LoadFromStream(f);
}

void TMemoryStream::SaveToFile(const std::string& playerPath) const {
    TFileStream f(playerPath, fmCreate);
    SaveToStream(f);
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    int64_t size = source.GetSize();
    data_.resize(static_cast<size_t>(size));
    if (size > 0) source.ReadBuffer(data_.data(), size);
    pos_ = 0;
}

void TMemoryStream::SaveToStream(TStream& dest) const {
    if (!data_.empty()) dest.WriteBuffer(data_.data(), static_cast<int64_t>(data_.size()));
}

// ---- TReadOnlyMemoryStream --------------------------------------------------------------------------

int64_t TReadOnlyMemoryStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || pos_ >= size_) return 0;
    int64_t n = std::min(count, size_ - pos_);
    std::memcpy(buffer, data_ + pos_, static_cast<size_t>(n));
    pos_ += n;
    return n;
}

int64_t TReadOnlyMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == soCurrent ? pos_ : origin == soEnd ? size_ : 0;
    int64_t target = base + offset;
    if (target >= 0) pos_ = target;
    return pos_;
}

// ---- TFileStream ------------------------------------------------------------------------------------

TFileStream::TFileStream(const std::string& playerPath, TFileStreamMode mode) {
    std::string real = RealPath(playerPath);
    switch (mode) {
    case fmOpenRead: file_ = TPlatformFile::Open(real, TFileAccess::Read); break;
    case fmOpenWrite: file_ = TPlatformFile::Open(real, TFileAccess::Write); break;
    case fmOpenReadWrite: file_ = TPlatformFile::Open(real, TFileAccess::ReadWrite); break;
    case fmCreate: file_ = TPlatformFile::Open(real, TFileAccess::ReadWrite, true, true); break;
    }
    if (!file_) {
        throw EStreamError(mode == fmCreate ? SJ("ファイル ") + playerPath + SJ(" を作成できません")
                                            : SJ("ファイル ") + playerPath + SJ(" を開けません"));
    }
}

TFileStream::~TFileStream() = default;

int64_t TFileStream::Read(void* buffer, int64_t count) { return count <= 0 ? 0 : file_->Read(buffer, count); }

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    return count <= 0 ? 0 : file_->Write(buffer, count);
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t r = file_->Seek(offset, static_cast<int>(origin));
    return r < 0 ? file_->Seek(0, 1) : r;
}

int64_t TFileStream::GetSize() { return file_->Size(); }

void TFileStream::SetSize(int64_t size) {
    if (!file_->Truncate(size)) RaiseWriteError();
}

void TFileStream::Flush() { file_->Flush(); }

// ---- primitives -------------------------------------------------------------------------------------

void WriteInt32(TStream& s, int32_t v) {
    uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                    static_cast<uint8_t>(v >> 24)};
    s.WriteBuffer(b, 4);
}

int32_t ReadInt32(TStream& s) {
    uint8_t b[4];
    s.ReadBuffer(b, 4);
    return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                                static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24);
}

void WriteByte(TStream& s, uint8_t v) { s.WriteBuffer(&v, 1); }

uint8_t ReadByte(TStream& s) {
    uint8_t b;
    s.ReadBuffer(&b, 1);
    return b;
}

void WriteBool(TStream& s, bool v) { WriteByte(s, v ? 1 : 0); }

bool ReadBool(TStream& s) { return ReadByte(s) != 0; }

void WriteStr(TStream& s, const std::string& v) {
    WriteInt32(s, static_cast<int32_t>(v.size()));
    if (!v.empty()) s.WriteBuffer(v.data(), static_cast<int64_t>(v.size()));
}

std::string ReadStr(TStream& s) {
    int32_t len = ReadInt32(s);
    if (len <= 0) return {};
    // A length beyond the stream's end is corrupt data: refuse it before allocating.
    if (len > s.Remaining()) RaiseReadError();
    std::string v(static_cast<size_t>(len), '\0');
    s.ReadBuffer(v.data(), len);
    return v;
}

void WriteExtended(TStream& s, long double v) {
    uint8_t b[10];
    EncodeExtended(v, b);
    s.WriteBuffer(b, 10);
}

long double ReadExtended(TStream& s) {
    uint8_t b[10];
    s.ReadBuffer(b, 10);
    return DecodeExtended(b);
}

#if (defined(__x86_64__) || defined(__i386__)) && __LDBL_MANT_DIG__ == 64
void EncodeExtended(long double v, uint8_t out[10]) { std::memcpy(out, &v, 10); }
long double DecodeExtended(const uint8_t in[10]) {
    long double v = 0;
    std::memcpy(&v, in, 10);
    return v;
}
#else
void EncodeExtended(long double v, uint8_t out[10]) { EncodeExtendedPortable(v, out); }
long double DecodeExtended(const uint8_t in[10]) { return DecodeExtendedPortable(in); }
#endif

void EncodeExtendedPortable(long double v, uint8_t out[10]) {
    uint16_t se = std::signbit(v) ? 0x8000 : 0;
    uint64_t mant = 0;
    if (std::isnan(v)) {
        se |= 0x7FFF;
        mant = 0xC000000000000000ull;
    } else if (std::isinf(v)) {
        se |= 0x7FFF;
        mant = 0x8000000000000000ull;
    } else if (v != 0) {
        int e = 0;
        long double m = std::frexp(std::fabs(v), &e); // |v| = m * 2^e, 0.5 <= m < 1
        int biased = e - 1 + 16383;
        if (biased >= 0x7FFF) {
            se |= 0x7FFF;
            mant = 0x8000000000000000ull;
        } else if (biased <= 0) {
            // Denormal in the 80-bit format: exponent field 0, value = mant * 2^(-16382-63).
            mant = static_cast<uint64_t>(std::ldexp(std::fabs(v), 16382 + 63));
        } else {
            se |= static_cast<uint16_t>(biased);
            mant = static_cast<uint64_t>(std::ldexp(m, 64));
        }
    }
    for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(mant >> (8 * i));
    out[8] = static_cast<uint8_t>(se);
    out[9] = static_cast<uint8_t>(se >> 8);
}

long double DecodeExtendedPortable(const uint8_t in[10]) {
    uint64_t mant = 0;
    for (int i = 0; i < 8; ++i) mant |= static_cast<uint64_t>(in[i]) << (8 * i);
    uint16_t se = static_cast<uint16_t>(in[8] | in[9] << 8);
    bool neg = (se & 0x8000) != 0;
    int exp = se & 0x7FFF;
    long double v;
    if (exp == 0x7FFF) {
        v = (mant << 1) == 0 ? HUGE_VALL : NAN;
    } else if (exp == 0) {
        v = std::ldexp(static_cast<long double>(mant), -16382 - 63);
    } else {
        v = std::ldexp(static_cast<long double>(mant), exp - 16383 - 63);
    }
    return neg ? -v : v;
}

} // namespace vobe
