// Row kernels of the hot pixel operations, with a packed (SSE2 or AVX2) form chosen at run time.
// Every kernel reads its source forwards and gives exactly the bits of the reference rows of
// pixel_ref.h; mirrored reads use the reference rows directly.
#pragma once

#include <cstdint>

namespace vobe {

enum TSimdLevel { slReference = 0, slSSE2 = 1, slAVX2 = 2 };

// One set of rows for one target format (15, 16 or 32 bits). Keys are native values, -1 for none.
struct TRowKernels {
    void (*Fill)(uint8_t* d, int n, uint32_t v);
    void (*CopyKey)(uint8_t* d, const uint8_t* s, int n, int64_t key);
    void (*Alpha)(uint8_t* d, const uint8_t* s, int n, uint32_t alpha, int64_t key);
    void (*Add)(uint8_t* d, const uint8_t* s, int n, uint32_t level, int64_t key);
    void (*Mask)(uint8_t* d, const uint8_t* s, const uint8_t* m, int n);
    void (*MaskAlpha)(uint8_t* d, const uint8_t* s, const uint8_t* m, int n, uint32_t alpha);
    void (*MaskAdd)(uint8_t* d, const uint8_t* s, const uint8_t* m, int n, uint32_t level);
    void (*FillAlpha)(uint8_t* d, int n, uint32_t v, uint32_t alpha);
    void (*FillAdd)(uint8_t* d, int n, uint32_t v);
    void (*FillSub)(uint8_t* d, int n, uint32_t v);
    void (*FillMask)(uint8_t* d, const uint8_t* m, int n, uint32_t colour, uint32_t alpha);
};

// The best level this processor runs.
TSimdLevel BestSimdLevel();
// The level in use (the best one unless changed, as tests and benchmarks do).
TSimdLevel GetSimdLevel();
// Selects a level; a level the processor lacks falls back to the best it has. Returns the level set.
TSimdLevel SetSimdLevel(TSimdLevel level);

// The kernels of the level in use for a target of `bitCount` 15, 16 or 32; null for other formats.
const TRowKernels* RowKernels(int32_t bitCount);
// The kernels of one level, whatever is in use.
const TRowKernels* RowKernelsAt(TSimdLevel level, int32_t bitCount);

} // namespace vobe
