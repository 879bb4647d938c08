// The small linear generator that scrambles archive directories and draws indices without
// replacement for the layered-image and transition code.
#pragma once

#include <cstdint>
#include <vector>

namespace vobe {

class TTpRandom {
public:
    explicit TTpRandom(uint32_t aSeed) : FSeed(aSeed) {}
    // state := state * 5 + FSeed (mod 2^32); returns the new state.
    int32_t Next() {
        FState = FState * 5u + FSeed;
        return static_cast<int32_t>(FState);
    }
    // Fills the pool with 0 .. n - 1.
    void InitPermutation(int32_t n);
    // Advances the state, removes the pool element at index state mod pool size (the pool keeps its
    // order) and returns it; -1 once the pool is empty.
    int32_t DrawIndex();
    int32_t PoolSize() const { return FPoolSize; }
    uint32_t State() const { return FState; }

private:
    uint32_t FSeed;
    uint32_t FState = 0;
    // The pool is 0 .. n - 1 minus the drawn values; a Fenwick tree of the values still in it finds
    // the element at an index in O(log n), where whole screens of pixels are drawn one by one.
    std::vector<int32_t> FTree;
    int32_t FPoolSize = 0;
    int32_t FTopBit = 0;
};

} // namespace vobe
