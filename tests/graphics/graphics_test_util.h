// Small helpers shared by the graphics tests.
#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "graphics/dib_surface.h"
#include "graphics/dibx.h"
#include "graphics/pixel_kernels.h"

namespace vobe::test {

// Selects a packed level for one scope and puts the previous one back.
struct TLevelScope {
    TSimdLevel saved;
    explicit TLevelScope(TSimdLevel l) : saved(GetSimdLevel()) { SetSimdLevel(l); }
    ~TLevelScope() { SetSimdLevel(saved); }
};

inline std::unique_ptr<TDIBX> MakeSurface(int32_t w, int32_t h, int32_t bits) {
    auto s = std::make_unique<TDIBX>();
    s->SetSize(w, h, bits);
    return s;
}

// One pixel value per call from a small set (so that equal pixels and keys occur) or at random.
inline uint32_t RandomPixel(std::mt19937& rng, int32_t bits, const std::vector<uint32_t>& common) {
    uint32_t v = rng();
    if (!common.empty() && (v & 3) == 0) v = common[(v >> 2) % common.size()];
    switch (bits) {
    case 8: return v & 0xFF;
    case 15: return v & 0x7FFF;
    case 16: return v & 0xFFFF;
    default: return (rng() & 7) == 0 ? v : (v & 0xFFFFFF);
    }
}

inline void Randomize(TCustomDIBX& s, std::mt19937& rng, const std::vector<uint32_t>& common) {
    const int32_t bits = s.BitCount();
    for (int32_t y = 0; y < s.Height(); ++y)
        for (int32_t x = 0; x < s.Width(); ++x) s.SetPixel(x, y, RandomPixel(rng, bits, common));
}

// Mask bytes that favour the edges 0 and 255.
inline void RandomMask(TCustomDIBX& m, std::mt19937& rng) {
    for (int32_t y = 0; y < m.Height(); ++y)
        for (int32_t x = 0; x < m.Width(); ++x) {
            uint32_t r = rng() % 6;
            m.SetPixel(x, y, r == 0 ? 0 : r == 1 ? 255 : r == 2 ? 1 + rng() % 2 : rng() & 0xFF);
        }
}

inline std::vector<uint8_t> Pixels(TDIBX& s) {
    const TDIBSurface* d = s.DIB();
    return std::vector<uint8_t>(d->Bits(), d->Bits() + static_cast<size_t>(d->Pitch()) * d->Height());
}

} // namespace vobe::test
