#include "graphics/vask_image.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "archive/tp_random.h"
#include "archive/vf_archive.h"
#include "graphics/dibx.h"
#include "graphics/image_loader.h"
#include "graphics/jpeg_codec.h"
#include "platform/cp932.h"
#include "platform/error.h"
#include "platform/paths.h"
#include "values/param.h"

namespace vobe {

namespace {

[[noreturn]] void Fail(const char* utf8) {
    throw EVobeError(SJ(utf8));
}

constexpr const char* ErrTruncated = "レイヤー画像のデータが足りません";
constexpr const char* ErrHeader = "レイヤー画像のヘッダーが正しくありません";
constexpr const char* ErrBits = "レイヤー画像の色数に対応していません";
constexpr const char* ErrSize = "レイヤー画像の大きさが正しくありません";
constexpr const char* ErrTooLarge = "レイヤー画像が大きすぎます";
constexpr const char* ErrZlib = "レイヤー画像の圧縮データが壊れています";
constexpr const char* ErrTiles = "レイヤー画像のタイル表がブロックに収まっていません";

// What one load may allocate for pictures: generous for real files (deflated pixels shrink by at most
// about 1:1000), and enough for any picture of a small one, but never what a few damaged bytes claim.
constexpr int64_t MinLoadBudget = int64_t{128} << 20;
constexpr int64_t BudgetPerByte = 1024;

bool ValidBits(int32_t b) {
    return b == 1 || b == 4 || b == 8 || b == 15 || b == 16 || b == 24 || b == 32;
}

int32_t StorageBits(int32_t b) {
    return b == 15 ? 16 : b;
}

// The bits of a native value the format keeps.
uint32_t ValueMask(int32_t bits) {
    switch (bits) {
    case 1: return 0x1;
    case 4: return 0xF;
    case 8: return 0xFF;
    case 15:
    case 16: return 0xFFFF;
    case 24: return 0xFFFFFF;
    default: return 0xFFFFFFFF;
    }
}

int32_t Get32(const uint8_t* p) {
    return static_cast<int32_t>(p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24));
}

void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// ---- pixel copies ------------------------------------------------------------------------------------

// The destination value of a colour: the nearest palette entry when the destination bitmap has one.
uint32_t ColourToValue(int32_t bits, const TDIBSurface* palette, uint8_t r, uint8_t g, uint8_t b) {
    if (bits <= 8 && palette) return palette->RGBToPixel(r, g, b);
    return RGBToNative(bits, r, g, b);
}

// Copies the w x h area of src at (sx, sy) to (dx, dy) of the view, converting through the colours
// when the formats differ (as the system converts: channels cut to their high bits). The area lies
// inside both. clearTop clears the ignored top byte of 32-bit values; palette names the destination
// bitmap whose palette 8-bit destinations use.
void ConvertArea(const TPixelView& d, int32_t dx, int32_t dy, const TDIBSurface& src, int32_t sx, int32_t sy,
                 int32_t w, int32_t h, bool clearTop, const TDIBSurface* palette) {
    if (w <= 0 || h <= 0) return;
    const TPixelView s = src.View();
    const int32_t sb = s.BitCount, db = d.BitCount;
    if (sb == db && !(clearTop && db == 32)) {
        if (db >= 8) {
            const size_t bpp = static_cast<size_t>(StorageBits(db) / 8);
            for (int32_t r = 0; r < h; ++r)
                std::memmove(d.Row(dy + r) + dx * bpp, s.Row(sy + r) + sx * bpp,
                             static_cast<size_t>(w) * bpp);
        } else {
            for (int32_t r = 0; r < h; ++r)
                for (int32_t i = 0; i < w; ++i) WritePixel(d, dx + i, dy + r, ReadPixel(s, sx + i, sy + r));
        }
        return;
    }
    for (int32_t r = 0; r < h; ++r) {
        const uint8_t* sp = s.Row(sy + r);
        uint8_t* dp = d.Row(dy + r);
        if (sb == 24 && db == 32) {
            const uint8_t* p = sp + sx * 3;
            uint32_t* q = reinterpret_cast<uint32_t*>(dp) + dx;
            for (int32_t i = 0; i < w; ++i, p += 3)
                q[i] = p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
        } else if (sb == 32 && db == 32) {
            const uint32_t* p = reinterpret_cast<const uint32_t*>(sp) + sx;
            uint32_t* q = reinterpret_cast<uint32_t*>(dp) + dx;
            for (int32_t i = 0; i < w; ++i) q[i] = p[i] & 0xFFFFFF;
        } else if (sb == 24 && (db == 15 || db == 16)) {
            const uint8_t* p = sp + sx * 3;
            uint16_t* q = reinterpret_cast<uint16_t*>(dp) + dx;
            for (int32_t i = 0; i < w; ++i, p += 3)
                q[i] = static_cast<uint16_t>(RGBToNative(db, p[2], p[1], p[0]));
        } else if (sb == 32 && (db == 15 || db == 16)) {
            const uint32_t* p = reinterpret_cast<const uint32_t*>(sp) + sx;
            uint16_t* q = reinterpret_cast<uint16_t*>(dp) + dx;
            for (int32_t i = 0; i < w; ++i)
                q[i] = static_cast<uint16_t>(
                    RGBToNative(db, (p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF));
        } else if (sb <= 8) {
            uint32_t lut[256];
            const int32_t n = 1 << sb;
            for (int32_t i = 0; i < n; ++i) {
                const uint32_t e = src.Palette[static_cast<size_t>(i)];
                lut[i] = ColourToValue(db, palette, (e >> 16) & 0xFF, (e >> 8) & 0xFF, e & 0xFF);
            }
            for (int32_t i = 0; i < w; ++i)
                WritePixel(d, dx + i, dy + r, lut[ReadPixel(s, sx + i, sy + r) & (n - 1)]);
        } else {
            for (int32_t i = 0; i < w; ++i) {
                uint8_t cr, cg, cb;
                PixelToRGB(sb, ReadPixel(s, sx + i, sy + r), cr, cg, cb);
                WritePixel(d, dx + i, dy + r, ColourToValue(db, palette, cr, cg, cb));
            }
        }
    }
}

// Copies the w x h area of src at (sx, sy) to (dx, dy) of dst, cut to both (all coordinates >= 0).
void CopyRect(TDIBSurface& dst, int32_t dx, int32_t dy, const TDIBSurface& src, int32_t sx, int32_t sy,
              int32_t w, int32_t h) {
    w = std::min({w, src.Width() - sx, dst.Width() - dx});
    h = std::min({h, src.Height() - sy, dst.Height() - dy});
    if (w <= 0 || h <= 0) return;
    ConvertArea(dst.View(), dx, dy, src, sx, sy, w, h, false, &dst);
}

// The opaque keyed draw at (0, 0) of a source of the destination's format (8 bits or more): pixels
// equal to the key are skipped. False when the formats call for the general draw.
bool CopyKeyed(TDIBSurface& dst, const TDIBSurface& src, int64_t key) {
    const int32_t bits = dst.LogicalBitCount();
    if (src.LogicalBitCount() != bits || bits < 8 || key < 0) return false;
    const int32_t w = std::min(dst.Width(), src.Width()), h = std::min(dst.Height(), src.Height());
    const uint32_t k = static_cast<uint32_t>(key);
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* s = src.ScanLine(y);
        uint8_t* d = dst.ScanLine(y);
        switch (bits) {
        case 8:
            for (int32_t x = 0; x < w; ++x)
                if (s[x] != k) d[x] = s[x];
            break;
        case 15:
        case 16: {
            const uint16_t* sp = reinterpret_cast<const uint16_t*>(s);
            uint16_t* dp = reinterpret_cast<uint16_t*>(d);
            for (int32_t x = 0; x < w; ++x)
                if (sp[x] != k) dp[x] = sp[x];
            break;
        }
        case 24:
            for (int32_t x = 0; x < w; ++x, s += 3, d += 3)
                if ((s[2] | (s[1] << 8) | (static_cast<uint32_t>(s[0]) << 16)) != k) {
                    d[0] = s[0];
                    d[1] = s[1];
                    d[2] = s[2];
                }
            break;
        default: {
            const uint32_t* sp = reinterpret_cast<const uint32_t*>(s);
            uint32_t* dp = reinterpret_cast<uint32_t*>(d);
            for (int32_t x = 0; x < w; ++x)
                if (sp[x] != k) dp[x] = sp[x];
            break;
        }
        }
    }
    return true;
}

// A native value of a format of 15 bits or more, loaded and stored in its row.
template <int Bits> inline uint32_t Load(const uint8_t* row, int32_t x) {
    if constexpr (Bits == 32) return reinterpret_cast<const uint32_t*>(row)[x];
    if constexpr (Bits == 24) {
        const uint8_t* p = row + x * 3;
        return p[2] | (p[1] << 8) | (static_cast<uint32_t>(p[0]) << 16);
    }
    return reinterpret_cast<const uint16_t*>(row)[x];
}

template <int Bits> inline void Store(uint8_t* row, int32_t x, uint32_t v) {
    if constexpr (Bits == 32) {
        reinterpret_cast<uint32_t*>(row)[x] = v;
    } else if constexpr (Bits == 24) {
        uint8_t* p = row + x * 3;
        p[0] = static_cast<uint8_t>(v >> 16);
        p[1] = static_cast<uint8_t>(v >> 8);
        p[2] = static_cast<uint8_t>(v);
    } else {
        reinterpret_cast<uint16_t*>(row)[x] = static_cast<uint16_t>(v);
    }
}

// The load-time blend of two native values: by 256 at 32 bits and under masks, else by 255; the bits
// outside the channels become 0.
template <int Bits, bool By256> inline uint32_t Blend(uint32_t s, uint32_t d, uint32_t a) {
    const TChannelLayout L = ChannelLayout(Bits);
    const uint32_t m[3] = {L.RMask, L.GMask, L.BMask};
    const int32_t sh[3] = {L.RShift, L.GShift, L.BShift};
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
        const uint32_t sc = (s & m[c]) >> sh[c], dc = (d & m[c]) >> sh[c];
        const uint32_t v = By256 ? ((255 - a) * dc + a * sc) >> 8 : ((255 - a) * dc + a * sc) / 255;
        out |= (v << sh[c]) & m[c];
    }
    return out;
}

template <int Bits, bool Masked, bool Keyed>
void BlendRows(TDIBSurface& dst, const TDIBSurface& src, const TDIBSurface* m, int32_t w, int32_t h,
               uint32_t a0, uint32_t key) {
    constexpr bool By256 = Masked || Bits == 32;
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* sr = src.ScanLine(y);
        uint8_t* dr = dst.ScanLine(y);
        const uint8_t* mr = Masked ? m->ScanLine(y) : nullptr;
        for (int32_t x = 0; x < w; ++x) {
            uint32_t a = a0;
            if constexpr (Masked) {
                a = mr[x];
                if (a == 0) continue;
            }
            const uint32_t sv = Load<Bits>(sr, x);
            if constexpr (Keyed) {
                if (sv == key) continue;
            }
            Store<Bits>(dr, x, Masked && a == 255 ? sv : Blend<Bits, By256>(sv, Load<Bits>(dr, x), a));
        }
    }
}

template <int Bits>
void BlendRowsOf(TDIBSurface& dst, const TDIBSurface& src, const TDIBSurface* m, int32_t w, int32_t h,
                 uint32_t a, int64_t key) {
    if (m)
        BlendRows<Bits, true, false>(dst, src, m, w, h, a, 0);
    else if (key >= 0)
        BlendRows<Bits, false, true>(dst, src, m, w, h, a, static_cast<uint32_t>(key));
    else
        BlendRows<Bits, false, false>(dst, src, m, w, h, a, 0);
}

// The bitmap's alpha draw (alpha 1..254, key pixels skipped) or, with masked, its masked draw at full
// opacity, at (0, 0) of a source of the same format of 15 bits or more, with the same arithmetic in
// loops made for the format. False when the formats call for the general draw.
bool BlendLayer(TDIBSurface& dst, const TDIBSurface& src, int32_t alpha, int64_t key, bool masked) {
    const int32_t bits = dst.LogicalBitCount();
    if (src.LogicalBitCount() != bits || bits < 15 || alpha < 1 || alpha > 255) return false;
    const TDIBSurface* m = masked ? src.Mask() : nullptr;
    if (masked && !m) return false;
    int32_t w = std::min(dst.Width(), src.Width()), h = std::min(dst.Height(), src.Height());
    if (m) {
        w = std::min(w, m->Width());
        h = std::min(h, m->Height());
    }
    const uint32_t a = static_cast<uint32_t>(alpha);
    switch (bits) {
    case 32: BlendRowsOf<32>(dst, src, m, w, h, a, key); break;
    case 24: BlendRowsOf<24>(dst, src, m, w, h, a, key); break;
    case 16: BlendRowsOf<16>(dst, src, m, w, h, a, key); break;
    default: BlendRowsOf<15>(dst, src, m, w, h, a, key); break;
    }
    return true;
}

// Fills the whole bitmap with a native value: one row, then row copies.
void FillPicture(TDIBSurface& p, uint32_t value) {
    if (p.Empty()) return;
    p.FillRect(TRect{0, 0, p.Width(), 1}, value);
    const size_t n = static_cast<size_t>(p.Pitch());
    for (int32_t y = 1; y < p.Height(); ++y) std::memcpy(p.ScanLine(y), p.ScanLine(0), n);
}

// ---- zlib ------------------------------------------------------------------------------------------

// Runs the rest of a stream whose content is not needed, so that its end and checksum are still
// checked; returns Z_STREAM_END when they are sound.
int Finish(z_stream& z) {
    uint8_t sink[4096];
    for (;;) {
        z.next_out = sink;
        z.avail_out = sizeof sink;
        const int rc = inflate(&z, Z_NO_FLUSH);
        if (rc == Z_STREAM_END) return rc;
        if (rc != Z_OK && rc != Z_BUF_ERROR) return rc;
        if (z.avail_out != 0 && z.avail_in == 0) return Z_DATA_ERROR; // cut off
    }
}

// Inflates the zlib stream into out[0, cap) and returns the bytes produced. A stream that ends before
// out is full gives short content; what comes after a full out is checked but dropped. A damaged
// stream, or one cut off before its end, raises. With grow, out is a vector that grows with the data up to
// cap.
size_t Inflate(const uint8_t* in, size_t inLen, std::vector<uint8_t>* grow, uint8_t* out, size_t cap) {
    if (cap == 0) return 0;
    z_stream z{};
    if (inflateInit(&z) != Z_OK) Fail(ErrZlib);
    size_t produced = 0;
    if (grow) {
        if (grow->size() < std::min<size_t>(cap, 65536)) grow->resize(std::min<size_t>(cap, 65536));
        out = grow->data();
    }
    size_t room = grow ? std::min(grow->size(), cap) : cap;
    z.next_in = const_cast<Bytef*>(in);
    z.avail_in = static_cast<uInt>(inLen);
    int rc;
    for (;;) {
        z.next_out = out + produced;
        z.avail_out = static_cast<uInt>(room - produced);
        rc = inflate(&z, Z_NO_FLUSH);
        produced = room - z.avail_out;
        if (rc == Z_STREAM_END) break;
        if (rc != Z_OK && rc != Z_BUF_ERROR) break;
        if (z.avail_out == 0) {
            if (produced >= cap || !grow) {
                rc = Finish(z);
                break;
            }
            room = std::min(cap, std::max(grow->size() * 2, room));
            if (grow->size() < room) grow->resize(room);
            out = grow->data();
            continue;
        }
        if (z.avail_in == 0) {
            rc = Z_DATA_ERROR; // cut off
            break;
        }
    }
    inflateEnd(&z);
    if (rc != Z_STREAM_END) Fail(ErrZlib);
    return produced;
}

} // namespace

// ---- reading -----------------------------------------------------------------------------------------

class TVaskReader {
public:
    TVaskReader(TVaskFrameList& list, TStream& stream) : L(list), S(stream) {
        Mem = dynamic_cast<TMemoryStream*>(&stream);
        const int64_t size = std::max<int64_t>(0, stream.GetSize());
        Budget = std::max(MinLoadBudget, size > INT64_MAX / BudgetPerByte ? INT64_MAX : size * BudgetPerByte);
    }

    void Run(bool firstOnly) {
        L.Clear();
        L.Version = L.BackgroundColor = 0;
        L.FirstLayerOpaque = L.Scrambled = L.Compression = L.JpegQuality = 0;
        L.HeaderWidth = L.HeaderHeight = L.HeaderBitCount = L.TileWidth = L.TileHeight = 0;
        try {
            ReadSignature();
            const int32_t count = ReadHeader();
            for (int32_t i = 0; i < count; ++i) {
                if (firstOnly && i >= 1) break;
                ReadFrame();
            }
        } catch (const EStreamError&) {
            // A field past the end of the data.
            Fail(ErrTruncated);
        }
    }

private:
    struct TSpan {
        const uint8_t* P = nullptr;
        size_t N = 0;
    };

    void ReadSignature() {
        const int64_t start = S.GetPosition();
        char sig[7];
        if (S.Read(sig, 7) == 7 && std::memcmp(sig, "Vask", 4) == 0) {
            const std::string digits(sig + 4, 3);
            int32_t v;
            if (!TryStrToInt(digits, v))
                throw EVobeError("'" + digits + SJ("' は有効な整数値ではありません"));
            L.Version = v;
        } else {
            S.SetPosition(start);
            L.Version = 0;
        }
    }

    int32_t ReadHeader() {
        if (L.Version < 103) {
            const int32_t count = ReadInt32(S);
            ReadByte(S);
            if (L.Version == 102) L.BackgroundColor = ReadInt32(S);
            return count;
        }
        const int32_t len = ReadInt32(S);
        if (len < 0) Fail(ErrHeader);
        if (len > S.Remaining()) Fail(ErrTruncated);
        uint8_t rec[40] = {};
        S.ReadBuffer(rec, std::min(len, 40));
        if (len > 40) S.Seek(len - 40, soCurrent);
        L.HeaderWidth = Get32(rec + 4);
        L.HeaderHeight = Get32(rec + 8);
        L.HeaderBitCount = Get32(rec + 12);
        L.Scrambled = rec[21];
        L.Compression = rec[22];
        L.BackgroundColor = Get32(rec + 24);
        L.TileWidth = Get32(rec + 28);
        L.TileHeight = Get32(rec + 32);
        if (L.Version >= 105) L.FirstLayerOpaque = rec[36];
        L.JpegQuality = rec[37];
        return Get32(rec + 16);
    }

    void Skip(int32_t n) {
        uint8_t buf[8];
        S.ReadBuffer(buf, n);
    }

    void Charge(int64_t bytes) {
        Used += bytes;
        if (Used > Budget) Fail(ErrTooLarge);
    }

    void SizePicture(TDIBSurface& p, int32_t w, int32_t h, int32_t bits) {
        Charge(DibRowBytes(w, bits) * h);
        p.SetSize(w, h, bits);
    }

    void CreateMask(TDIBSurface& p) {
        if (!p.HasMask()) Charge(DibRowBytes(p.Width(), 8) * p.Height());
        p.CreateMask();
    }

    // The block's bytes: in place in a memory stream, else read into a scratch buffer.
    TSpan TakeBlock(int32_t size) {
        TSpan sp;
        if (size <= 0) return sp;
        if (size > S.Remaining()) Fail(ErrTruncated);
        sp.N = static_cast<size_t>(size);
        if (Mem) {
            sp.P = Mem->Memory() + Mem->GetPosition();
            S.Seek(size, soCurrent);
        } else {
            Raw.resize(sp.N);
            S.ReadBuffer(Raw.data(), size);
            sp.P = Raw.data();
        }
        return sp;
    }

    const std::vector<int32_t>& Permutation(int32_t n) {
        for (auto& p : Perms)
            if (p.first == n) return p.second;
        TTpRandom r(static_cast<uint32_t>(L.ScrambleKey));
        r.InitPermutation(n);
        std::vector<int32_t> v(static_cast<size_t>(n));
        for (int32_t i = 0; i < n; ++i) v[static_cast<size_t>(i)] = r.DrawIndex();
        Perms.emplace_back(n, std::move(v));
        return Perms.back().second;
    }

    void ReadFrame() {
        auto frame = std::make_unique<TVaskFrame>();
        TVaskFrame& f = *frame;
        Cur = &f;
        f.Name = ReadStr(S);
        const int32_t trans = ReadInt32(S);
        f.Delay = ReadInt32(S);
        Skip(5);
        const int32_t layers = ReadInt32(S);
        FW = ReadInt32(S);
        FH = ReadInt32(S);
        FBits = ReadInt32(S);
        if (!ValidBits(FBits)) Fail(ErrBits);
        if (FW < 0 || FH < 0) Fail(ErrSize);
        if (FW > MaxBitmapSide || FH > MaxBitmapSide || static_cast<int64_t>(FW) * FH > MaxLoadPixels)
            Fail(ErrTooLarge);
        Palette.fill(0);
        if (FBits <= 8) {
            const int32_t n = 1 << FBits;
            uint8_t pal[256 * 4];
            S.ReadBuffer(pal, n * 4);
            for (int32_t i = 0; i < n; ++i)
                Palette[static_cast<size_t>(i)] =
                    pal[i * 4] | (pal[i * 4 + 1] << 8) | (static_cast<uint32_t>(pal[i * 4 + 2]) << 16);
        }
        f.Picture.Palette = Palette;
        if (trans >= 0) {
            const uint32_t v = static_cast<uint32_t>(trans) & ValueMask(FBits);
            f.TransparentIndex = static_cast<int32_t>(v);
            uint8_t r, g, b;
            if (FBits <= 8) {
                const uint32_t e = Palette[v & 0xFF];
                r = static_cast<uint8_t>(e >> 16), g = static_cast<uint8_t>(e >> 8),
                b = static_cast<uint8_t>(e);
            } else {
                PixelToRGB(FBits, v, r, g, b);
            }
            f.TransparentColor = static_cast<int32_t>(r | (g << 8) | (static_cast<uint32_t>(b) << 16));
        }
        // The picture is made when the first layer is drawn, and filled with the background unless
        // that layer covers it; a frame's only layer drawn as a plain copy gives it its own pixels.
        Allocated = Filled = SeenVisible = false;
        LayerCount = layers;
        for (int32_t i = 0; i < layers; ++i) {
            f.Layers.push_back(ReadLayer());
            Compose(f, *f.Layers.back(), i);
        }
        EnsureFilled(f);
        if (L.Version >= 104) {
            ReadRects(f.DrawRects);
            ReadRects(f.SpareRects);
        }
        L.FFrames.push_back(std::move(frame));
        Cur = nullptr;
    }

    void ReadRects(std::vector<TRect>& rects) {
        const int32_t n = ReadInt32(S);
        if (n < 0) return;
        if (static_cast<int64_t>(n) * 16 > S.Remaining()) Fail(ErrTruncated);
        rects.resize(static_cast<size_t>(n));
        uint8_t b[16];
        for (TRect& r : rects) {
            S.ReadBuffer(b, 16);
            r = TRect{Get32(b), Get32(b + 4), Get32(b + 8), Get32(b + 12)};
        }
    }

    void EnsurePicture(TVaskFrame& f) {
        if (Allocated) return;
        Allocated = true;
        SizePicture(f.Picture, FW, FH, FBits);
        f.Picture.Palette = Palette;
    }

    void EnsureFilled(TVaskFrame& f) {
        EnsurePicture(f);
        if (Filled) return;
        Filled = true;
        const uint32_t c = static_cast<uint32_t>(L.BackgroundColor);
        FillPicture(f.Picture, f.Picture.RGBToPixel(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
    }

    std::unique_ptr<TVaskLayer> ReadLayer() {
        auto layer = std::make_unique<TVaskLayer>();
        TVaskLayer& ly = *layer;
        Skip(8);
        ly.Visible = ReadByte(S);
        ly.TransparentColor = ReadInt32(S);
        ly.Opacity = ReadInt32(S);
        if (L.Version >= 101) ly.HasMask = ReadByte(S);
        ly.Name = ReadStr(S);
        const int32_t colourSize = ReadInt32(S);
        const bool jpeg = L.Compression == 2 && L.Version >= 103 && colourSize > 0;
        if (jpeg) {
            const TSpan sp = TakeBlock(colourSize);
            // JPEG data holds at most a few thousand pixels a byte, however flat the picture.
            const int64_t left = std::max<int64_t>(0, Budget - Used) / 3;
            const int64_t byData = std::max<int64_t>(int64_t{1} << 20, static_cast<int64_t>(sp.N) * 4096);
            DecodeJpeg(sp.P, sp.N, ly.Picture, std::min({left, MaxLoadPixels, byData}));
            Charge(DibRowBytes(ly.Picture.Width(), 24) * ly.Picture.Height());
        } else {
            SizePicture(ly.Picture, FW, FH, FBits);
            ly.Picture.Palette = Palette;
            const TSpan sp = TakeBlock(colourSize);
            Decode(sp, ly.Picture, FBits, false);
        }
        if (L.Version >= 100) {
            const int32_t maskSize = ReadInt32(S);
            if (maskSize > 0) {
                ly.TransparentColor = -1;
                CreateMask(ly.Picture);
                const TSpan sp = TakeBlock(maskSize);
                Decode(sp, *ly.Picture.Mask(), 8, true);
            }
        }
        return layer;
    }

    void Compose(TVaskFrame& f, TVaskLayer& ly, int32_t i) {
        if (!ly.Visible) return;
        TDIBSurface& pic = f.Picture;
        TDIBSurface& src = ly.Picture;
        const bool masked = src.HasMask() && ly.HasMask;
        const bool copy =
            (ly.TransparentColor < 0 || (!SeenVisible && L.FirstLayerOpaque)) && ly.Opacity > 254;
        const bool covers = src.Width() >= FW && src.Height() >= FH;
        if (LayerCount == 1 && copy && covers && src.Width() == FW && src.Height() == FH &&
            src.LogicalBitCount() == FBits && (masked || !src.HasMask())) {
            // The frame would be an exact copy of the layer, mask and all.
            pic = std::move(src);
            src = TDIBSurface();
            ly.InFrame = true;
            Allocated = Filled = SeenVisible = true;
            return;
        }
        const TRect all{0, 0, src.Width(), src.Height()};
        if (i == 0 && masked) {
            EnsurePicture(f);
            CreateMask(pic);
            pic.AssignMask(*src.Mask());
        }
        if (masked && i > 0) {
            EnsureFilled(f);
            if (!BlendLayer(pic, src, 255, -1, true)) pic.DrawMasked(0, 0, 255, all, src);
        } else if (copy) {
            if (covers) Filled = true;
            EnsureFilled(f);
            CopyRect(pic, 0, 0, src, 0, 0, src.Width(), src.Height());
        } else {
            EnsureFilled(f);
            const bool opaque = ly.Opacity > 254 || ly.Opacity < 0;
            const bool fast = opaque ? CopyKeyed(pic, src, ly.TransparentColor)
                                     : BlendLayer(pic, src, ly.Opacity, ly.TransparentColor, false);
            if (!fast) pic.DrawAlpha(0, 0, ly.Opacity, ly.TransparentColor, all, src);
        }
        SeenVisible = true;
    }

    // The content of a colour (bits = the frame's) or mask (8 bits) block into target, laid out for a
    // picture of the frame's size.
    void Decode(const TSpan& sp, TDIBSurface& target, int32_t bits, bool mask) {
        if (sp.N == 0) return;
        const bool zlib = L.Compression == 0 || (mask && L.Compression == 2);
        const bool tiles = L.Version >= 103 && L.TileWidth > 0 && L.TileHeight > 0;
        const bool scrambled = L.Version >= 103 && L.Scrambled != 0;
        const int64_t rowBytes = DibRowBytes(FW, bits);
        if (!tiles) {
            const size_t need = static_cast<size_t>(rowBytes * FH);
            const bool direct = !scrambled && target.Width() == FW && target.Height() == FH &&
                                target.LogicalBitCount() == bits && target.Pitch() == rowBytes;
            if (direct && zlib) {
                Inflate(sp.P, sp.N, nullptr, target.Bits(), need);
                return;
            }
            if (direct) {
                if (need) std::memcpy(target.Bits(), sp.P, std::min(need, sp.N));
                return;
            }
            TSpan c = sp;
            if (zlib) {
                c.N = Inflate(sp.P, sp.N, &Content, nullptr, need);
                c.P = Content.data();
            }
            PlaceRows(c, target, rowBytes, scrambled);
            return;
        }
        const int64_t tw = L.TileWidth, th = L.TileHeight;
        const int64_t nx = (FW + tw - 1) / tw, ny = (FH + th - 1) / th;
        const int64_t tableBytes = nx * ny * 8;
        const int32_t sbits = StorageBits(bits);
        auto runBytes = [&](int64_t w) { return (sbits * w + 7) / 8; };
        const int64_t columnRuns = nx > 0 ? (nx - 1) * runBytes(tw) + runBytes(FW - (nx - 1) * tw) : 0;
        TSpan c = sp;
        if (zlib) {
            const int64_t cap = tableBytes + columnRuns * FH;
            c.N = Inflate(sp.P, sp.N, &Content, nullptr, static_cast<size_t>(cap));
            c.P = Content.data();
        }
        if (static_cast<int64_t>(c.N) < tableBytes) Fail(ErrTiles);
        DecodeTiles(c, target, bits, mask, nx, ny);
    }

    // Rows of rowBytes, stored row i being picture row P(i) when scrambled; rows the content does not
    // reach stay as they are.
    void PlaceRows(const TSpan& c, TDIBSurface& target, int64_t rowBytes, bool scrambled) {
        if (FH <= 0 || rowBytes <= 0) return;
        const std::vector<int32_t>* perm = scrambled ? &Permutation(FH) : nullptr;
        const size_t copy = static_cast<size_t>(std::min<int64_t>(rowBytes, target.Pitch()));
        for (int32_t i = 0; i < FH; ++i) {
            const size_t off = static_cast<size_t>(i * rowBytes);
            if (off >= c.N) break;
            const int32_t r = perm ? (*perm)[static_cast<size_t>(i)] : i;
            if (r < 0 || r >= target.Height()) continue;
            std::memcpy(target.ScanLine(r), c.P + off, std::min(copy, c.N - off));
        }
    }

    // The layer (or, for masks, its mask) that tile entry (a, b) names: layer b of frame a, read
    // completely before this one.
    const TDIBSurface* Referenced(int32_t a, int32_t b, bool mask) const {
        if (a < 0 || b < 0) return nullptr;
        const TVaskFrame* f = nullptr;
        if (static_cast<size_t>(a) < L.FFrames.size())
            f = L.FFrames[static_cast<size_t>(a)].get();
        else if (static_cast<size_t>(a) == L.FFrames.size())
            f = Cur;
        if (!f || static_cast<size_t>(b) >= f->Layers.size()) return nullptr;
        const TVaskLayer& l = *f->Layers[static_cast<size_t>(b)];
        const TDIBSurface& p = l.InFrame ? f->Picture : l.Picture;
        return mask ? p.Mask() : &p;
    }

    void DecodeTiles(const TSpan& c, TDIBSurface& target, int32_t bits, bool mask, int64_t nx, int64_t ny) {
        const int64_t count = nx * ny;
        const int32_t tw = L.TileWidth, th = L.TileHeight;
        std::vector<int32_t> table(static_cast<size_t>(count * 2));
        const std::vector<int32_t>* perm = L.Scrambled ? &Permutation(static_cast<int32_t>(count)) : nullptr;
        for (int64_t i = 0; i < count; ++i) {
            const int64_t t = perm ? (*perm)[static_cast<size_t>(i)] : i;
            table[static_cast<size_t>(t * 2)] = Get32(c.P + i * 8);
            table[static_cast<size_t>(t * 2 + 1)] = Get32(c.P + i * 8 + 4);
        }
        size_t pos = static_cast<size_t>(count * 8);
        const int32_t sbits = StorageBits(bits);
        const TPixelView dv = target.View();
        for (int64_t ty = 0; ty < ny; ++ty)
            for (int64_t tx = 0; tx < nx; ++tx) {
                const int64_t t = ty * nx + tx;
                const int32_t x0 = static_cast<int32_t>(tx * tw), y0 = static_cast<int32_t>(ty * th);
                const int32_t w = std::min(tw, FW - x0), h = std::min(th, FH - y0);
                const int32_t a = table[static_cast<size_t>(t * 2)],
                              b = table[static_cast<size_t>(t * 2 + 1)];
                if (a == -1) {
                    const size_t run = static_cast<size_t>((static_cast<int64_t>(sbits) * w + 7) / 8);
                    for (int32_t r = 0; r < h; ++r) {
                        if (pos >= c.N) break;
                        PutRun(dv, x0, y0 + r, w, c.P + pos, std::min(run, c.N - pos));
                        pos += run;
                    }
                } else if (a == -2) {
                    if (b >= 0 && b < t) {
                        const int32_t bx = static_cast<int32_t>((b % nx) * tw),
                                      by = static_cast<int32_t>((b / nx) * th);
                        CopyRect(target, x0, y0, target, bx, by, w, h);
                    }
                } else if (const TDIBSurface* src = Referenced(a, b, mask)) {
                    CopyRect(target, x0, y0, *src, x0, y0, w, h);
                }
            }
    }

    // One stored run of a tile row, as many of its w pixels as its bytes hold, cut to the target.
    static void PutRun(const TPixelView& d, int32_t x0, int32_t y, int32_t w, const uint8_t* p, size_t n) {
        if (y >= d.Height || x0 >= d.Width) return;
        w = std::min(w, d.Width - x0);
        const int32_t sbits = StorageBits(d.BitCount);
        if (sbits >= 8) {
            const size_t bpp = static_cast<size_t>(sbits / 8);
            std::memcpy(d.Row(y) + x0 * bpp, p, std::min(n / bpp * bpp, static_cast<size_t>(w) * bpp));
            return;
        }
        TPixelView run;
        run.Bits = const_cast<uint8_t*>(p);
        run.Pitch = static_cast<int32_t>(n);
        run.Width = static_cast<int32_t>(n * 8 / static_cast<size_t>(sbits));
        run.Height = 1;
        run.BitCount = d.BitCount;
        for (int32_t i = 0; i < std::min(w, run.Width); ++i) WritePixel(d, x0 + i, y, ReadPixel(run, i, 0));
    }

    TVaskFrameList& L;
    TStream& S;
    TMemoryStream* Mem = nullptr;
    int64_t Budget = 0, Used = 0;
    std::vector<uint8_t> Raw, Content;
    std::vector<std::pair<int32_t, std::vector<int32_t>>> Perms;
    TVaskFrame* Cur = nullptr;
    int32_t FW = 0, FH = 0, FBits = 0;
    int32_t LayerCount = 0;
    std::array<uint32_t, 256> Palette{};
    bool Allocated = false, Filled = false, SeenVisible = false;
};

void TVaskFrameList::LoadFromStream(TStream& stream, bool firstOnly) {
    TVaskReader reader(*this, stream);
    reader.Run(firstOnly);
}

void TVaskFrameList::LoadFromFile(const std::string& name, bool firstOnly) {
    Clear();
    const std::string ext = AnsiLowerCase(ExtractFileExt(name));
    if (ext != ".vsk" && ext != ".png" && ext != ".bmp" && ext != ".dib") return;
    TMemoryStream data;
    data.LoadFromFile(name);
    data.SetPosition(0);
    if (ext == ".vsk") {
        LoadFromStream(data, firstOnly);
        return;
    }
    auto frame = std::make_unique<TVaskFrame>();
    TDIBSurface& pic = frame->Picture;
    if (ext == ".png") {
        int32_t transparent = -1;
        LoadPngFromStream(data, pic, transparent);
        if (transparent >= 0) {
            frame->TransparentIndex = transparent;
            frame->TransparentColor =
                static_cast<int32_t>(pic.PixelToColor(static_cast<uint32_t>(transparent)));
        }
    } else {
        LoadBitmapFromStream(data, pic);
        if (pic.LogicalBitCount() == 32) {
            // The fourth byte of each pixel is its opacity.
            pic.CreateMask();
            for (int32_t y = 0; y < pic.Height(); ++y) {
                const uint8_t* s = pic.ScanLine(y);
                uint8_t* m = pic.Mask()->ScanLine(y);
                for (int32_t x = 0; x < pic.Width(); ++x) m[x] = s[x * 4 + 3];
            }
            TDIBSurface rgb(pic.Width(), pic.Height(), 24);
            rgb.ConvertFrom(pic);
            rgb.CreateMask();
            rgb.AssignMask(*pic.Mask());
            pic = std::move(rgb);
        }
    }
    FFrames.push_back(std::move(frame));
}

void TVaskFrameList::MasksFromKey() {
    for (auto& f : FFrames) f->MaskFromKey();
}

TVaskFrame* TVaskFrameList::AddFrame() {
    FFrames.push_back(std::make_unique<TVaskFrame>());
    return FFrames.back().get();
}

bool ReadVaskFirstFrame(TStream& stream, int32_t key, TDIBSurface& picture) {
    TVaskFrameList list(key);
    list.LoadFromStream(stream, true);
    if (list.Count() == 0) return false;
    picture = std::move(list.Frame(0)->Picture);
    return true;
}

// ---- frames ------------------------------------------------------------------------------------------

void TVaskFrame::MaskFromKey() {
    if (Picture.HasMask() || TransparentIndex < 0) return;
    Picture.MaskOpaque();
    const int32_t bits = Picture.LogicalBitCount();
    // The top byte of 32-bit values is no part of the colour.
    const uint32_t keep = bits == 32 ? 0xFFFFFF : ValueMask(bits);
    const uint32_t key = static_cast<uint32_t>(TransparentIndex) & keep;
    const TPixelView v = Picture.View();
    TDIBSurface& m = *Picture.Mask();
    for (int32_t y = 0; y < Picture.Height(); ++y) {
        uint8_t* mr = m.ScanLine(y);
        const uint8_t* r = v.Row(y);
        switch (bits) {
        case 32:
            for (int32_t x = 0; x < v.Width; ++x)
                if ((reinterpret_cast<const uint32_t*>(r)[x] & keep) == key) mr[x] = 0;
            break;
        case 24:
            for (int32_t x = 0; x < v.Width; ++x, r += 3)
                if ((r[2] | (r[1] << 8) | (static_cast<uint32_t>(r[0]) << 16)) == key) mr[x] = 0;
            break;
        case 15:
        case 16:
            for (int32_t x = 0; x < v.Width; ++x)
                if (reinterpret_cast<const uint16_t*>(r)[x] == key) mr[x] = 0;
            break;
        case 8:
            for (int32_t x = 0; x < v.Width; ++x)
                if (r[x] == key) mr[x] = 0;
            break;
        default:
            for (int32_t x = 0; x < v.Width; ++x)
                if (ReadPixel(v, x, y) == key) mr[x] = 0;
            break;
        }
    }
}

TRect TVaskFrame::TrimFrame() {
    const TRect whole{0, 0, Picture.Width(), Picture.Height()};
    if (Picture.Empty()) return whole;
    TRect c;
    if (Picture.HasMask())
        c = Picture.Mask()->ContentRect(0);
    else if (TransparentIndex < 0)
        return whole;
    else
        c = Picture.ContentRect(TransparentIndex);
    if (c.IsEmpty()) c = TRect{0, 0, 1, 1};
    if (c == whole) return whole;
    Picture.Crop(c);
    for (std::vector<TRect>* list : {&DrawRects, &SpareRects}) {
        std::vector<TRect> kept;
        for (const TRect& r : *list) {
            const TRect i = IntersectRect(r, c);
            if (!i.IsEmpty()) kept.push_back(OffsetRect(i, -c.Left, -c.Top));
        }
        *list = std::move(kept);
    }
    return c;
}

void TVaskFrame::CopyToSurface(TCustomDIBX& surface) const {
    const int32_t bits = surface.BitCount();
    surface.SetSize(Picture.Width(), Picture.Height(), bits);
    surface.DrawRects = DrawRects;
    surface.SpareRects = SpareRects;
    if (!Picture.Empty()) {
        uint8_t* p = surface.Lock(0, 0);
        if (p) {
            TPixelView d;
            d.Bits = p;
            d.Pitch = surface.Pitch();
            d.Width = std::min(surface.Width(), Picture.Width());
            d.Height = std::min(surface.Height(), Picture.Height());
            d.BitCount = bits;
            auto* dibx = dynamic_cast<TDIBX*>(&surface);
            ConvertArea(d, 0, 0, Picture, 0, 0, d.Width, d.Height, true, dibx ? dibx->DIB() : nullptr);
        }
        surface.Unlock();
    }
    surface.Dormant();
}

void TVaskFrame::CopyMaskToSurface(TCustomDIBX& surface) const {
    const TDIBSurface* m = Picture.Mask();
    if (!m) return;
    surface.SetSize(m->Width(), m->Height(), 8);
    if (m->Empty()) return;
    uint8_t* p = surface.Lock(0, 0);
    if (p && surface.BitCount() == 8) {
        const int32_t pitch = surface.Pitch();
        const int32_t h = std::min(surface.Height(), m->Height());
        const size_t n = static_cast<size_t>(std::min(surface.Width(), m->Width()));
        for (int32_t y = 0; y < h; ++y) std::memcpy(p + static_cast<ptrdiff_t>(y) * pitch, m->ScanLine(y), n);
    }
    surface.Unlock();
}

// ---- writing -----------------------------------------------------------------------------------------

namespace {

// A frame never sized is written as an empty 24-bit picture.
int32_t WrittenBits(const TDIBSurface& p) {
    return p.LogicalBitCount() == 0 ? 24 : p.LogicalBitCount();
}

// The rows of a picture as one block: stored row i is row P(i) when scrambled; deflated when asked.
void WriteRowsBlock(TStream& s, const TDIBSurface& pic, const std::vector<int32_t>* perm, bool deflate) {
    const size_t pitch = static_cast<size_t>(pic.Pitch());
    const size_t total = pitch * static_cast<size_t>(pic.Height());
    if (total == 0) {
        WriteInt32(s, 0);
        return;
    }
    const uint8_t* rows = pic.Bits();
    std::vector<uint8_t> permuted;
    if (perm) {
        permuted.resize(total);
        for (int32_t i = 0; i < pic.Height(); ++i)
            std::memcpy(permuted.data() + i * pitch, pic.ScanLine((*perm)[static_cast<size_t>(i)]), pitch);
        rows = permuted.data();
    }
    if (!deflate) {
        WriteInt32(s, static_cast<int32_t>(total));
        s.WriteBuffer(rows, static_cast<int64_t>(total));
        return;
    }
    TMemoryStream packed;
    VfDeflate(rows, total, packed);
    WriteInt32(s, static_cast<int32_t>(packed.GetSize()));
    s.WriteBuffer(packed.Memory(), packed.GetSize());
}

} // namespace

void TVaskFrameList::SaveToStream(TStream& s, int32_t compression, int32_t jpegQuality) const {
    const bool scrambled = ScrambleKey != 0;
    const int32_t comp = scrambled ? 1 : compression == 0 ? 0 : compression == 2 ? 2 : 1;
    s.WriteBuffer("Vask106", 7);
    WriteInt32(s, 40);
    uint8_t rec[40] = {};
    Put32(rec, VaskCurrentVersion);
    if (!FFrames.empty()) {
        const TDIBSurface& p = FFrames[0]->Picture;
        Put32(rec + 4, static_cast<uint32_t>(p.Width()));
        Put32(rec + 8, static_cast<uint32_t>(p.Height()));
        Put32(rec + 12, static_cast<uint32_t>(WrittenBits(p)));
    }
    Put32(rec + 16, static_cast<uint32_t>(FFrames.size()));
    rec[20] = 1;
    rec[21] = scrambled ? 1 : 0;
    rec[22] = static_cast<uint8_t>(comp);
    Put32(rec + 24, static_cast<uint32_t>(BackgroundColor));
    rec[36] = FirstLayerOpaque;
    rec[37] = static_cast<uint8_t>(jpegQuality);
    s.WriteBuffer(rec, 40);

    std::vector<int32_t> perm;
    int32_t permFor = -1;
    for (size_t i = 0; i < FFrames.size(); ++i) {
        const TVaskFrame& f = *FFrames[i];
        const TDIBSurface& p = f.Picture;
        WriteStr(s, "Frame" + std::to_string(i + 1));
        WriteInt32(s, -1);
        WriteInt32(s, f.Delay);
        WriteByte(s, 2);
        WriteInt32(s, 0);
        WriteInt32(s, 1);
        WriteInt32(s, p.Width());
        WriteInt32(s, p.Height());
        const int32_t bits = WrittenBits(p);
        WriteInt32(s, bits);
        if (bits <= 8) {
            const int32_t n = 1 << bits;
            for (int32_t k = 0; k < n; ++k) {
                const uint32_t e = p.Palette[static_cast<size_t>(k)];
                const uint8_t entry[4] = {static_cast<uint8_t>(e), static_cast<uint8_t>(e >> 8),
                                          static_cast<uint8_t>(e >> 16), 0};
                s.WriteBuffer(entry, 4);
            }
        }
        // The one layer.
        WriteInt32(s, 0);
        WriteInt32(s, 0);
        WriteByte(s, 1);
        WriteInt32(s, -1);
        WriteInt32(s, 255);
        WriteByte(s, p.HasMask() ? 1 : 0);
        WriteStr(s, "Layer");
        if (scrambled && permFor != p.Height()) {
            TTpRandom r(static_cast<uint32_t>(ScrambleKey));
            r.InitPermutation(p.Height());
            perm.resize(static_cast<size_t>(p.Height()));
            for (int32_t k = 0; k < p.Height(); ++k) perm[static_cast<size_t>(k)] = r.DrawIndex();
            permFor = p.Height();
        }
        const std::vector<int32_t>* order = scrambled ? &perm : nullptr;
        if (comp == 2 && !p.Empty()) {
            const std::vector<uint8_t> jpeg = EncodeJpeg(p, jpegQuality);
            WriteInt32(s, static_cast<int32_t>(jpeg.size()));
            s.WriteBuffer(jpeg.data(), static_cast<int64_t>(jpeg.size()));
        } else {
            WriteRowsBlock(s, p, order, comp == 0);
        }
        if (p.HasMask())
            WriteRowsBlock(s, *p.Mask(), order, comp == 0 || comp == 2);
        else
            WriteInt32(s, 0);
        WriteInt32(s, 0);
        WriteInt32(s, 0);
    }
}

void TVaskFrameList::SaveToFile(const std::string& name) const {
    TFileStream f(name, fmCreate);
    SaveToStream(f, 0, 70);
}

void VaskFrameFromPng(TStream& png, TVaskFrame& frame) {
    TDIBSurface pic;
    int32_t transparent = -1;
    LoadPngFromStream(png, pic, transparent);
    frame.Picture.DropMask();
    frame.Picture.SetSize(pic.Width(), pic.Height(), 24);
    frame.Picture.ConvertFrom(pic);
    frame.TransparentIndex = frame.TransparentColor = -1;
    if (pic.HasMask()) {
        frame.Picture.CreateMask();
        frame.Picture.AssignMask(*pic.Mask());
    } else if (transparent >= 0) {
        TVaskFrame keyed;
        keyed.Picture = std::move(pic);
        keyed.TransparentIndex = transparent;
        keyed.MaskFromKey();
        frame.Picture.CreateMask();
        frame.Picture.AssignMask(*keyed.Picture.Mask());
    }
}

} // namespace vobe
