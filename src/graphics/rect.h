// Rectangles of the drawing code: Left, Top, Right, Bottom, with Right and Bottom exclusive.
#pragma once

#include <algorithm>
#include <cstdint>

namespace vobe {

struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    bool operator==(const TRect&) const = default;
};

inline TRect Rect(int32_t l, int32_t t, int32_t r, int32_t b) { return TRect{l, t, r, b}; }
inline TRect Bounds(int32_t x, int32_t y, int32_t w, int32_t h) { return TRect{x, y, x + w, y + h}; }
inline bool IsRectEmpty(const TRect& r) { return r.Left >= r.Right || r.Top >= r.Bottom; }
// The common part; empty rectangles come back as they fall (test with IsRectEmpty).
inline TRect IntersectRect(const TRect& a, const TRect& b) {
    return TRect{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                 std::min(a.Bottom, b.Bottom)};
}
inline TRect UnionRect(const TRect& a, const TRect& b) {
    return TRect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                 std::max(a.Bottom, b.Bottom)};
}
inline TRect OffsetRect(const TRect& r, int32_t dx, int32_t dy) {
    return TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

} // namespace vobe
