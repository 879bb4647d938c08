#include "archive/tp_random.h"

#include <cstddef>

namespace vobe {

void TTpRandom::InitPermutation(int32_t n) {
    FTree.clear();
    FPoolSize = n > 0 ? n : 0;
    FTree.assign(static_cast<size_t>(FPoolSize) + 1, 0);
    // Every value present once: node i covers (i - lowbit(i), i].
    for (int32_t i = 1; i <= FPoolSize; ++i) FTree[static_cast<size_t>(i)] = i & -i;
    FTopBit = 1;
    while (FTopBit * 2 <= FPoolSize) FTopBit *= 2;
}

int32_t TTpRandom::DrawIndex() {
    // An empty pool would divide by zero: there is nothing left to draw.
    if (FPoolSize <= 0) return -1;
    FState = FState * 5u + FSeed;
    int32_t k = static_cast<int32_t>(FState % static_cast<uint32_t>(FPoolSize)); // 0-based rank
    // Descend to the largest position whose prefix count is <= k: the value sits right after it.
    int32_t pos = 0;
    const int32_t n = static_cast<int32_t>(FTree.size()) - 1;
    for (int32_t step = FTopBit; step > 0; step >>= 1) {
        int32_t next = pos + step;
        if (next <= n && FTree[static_cast<size_t>(next)] <= k) {
            pos = next;
            k -= FTree[static_cast<size_t>(next)];
        }
    }
    const int32_t value = pos; // position pos + 1 holds the value pos
    for (int32_t i = pos + 1; i <= n; i += i & -i) --FTree[static_cast<size_t>(i)];
    --FPoolSize;
    return value;
}

} // namespace vobe
