// Rectangles of the drawing code (Left, Top, Right, Bottom; Right and Bottom exclusive): the shared
// TRect and its helpers, plus the forms the drawing code needs for rectangles it did not make itself:
// sizes in 64 bits and sums that saturate instead of overflowing.
#pragma once

#include <cstdint>

#include "archive/containers.h"

namespace vobe {

inline bool IsRectEmpty(const TRect& r) {
    return r.IsEmpty();
}
inline int32_t Sat32(int64_t v) {
    return v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v);
}
inline int64_t RectW(const TRect& r) {
    return static_cast<int64_t>(r.Right) - r.Left;
}
inline int64_t RectH(const TRect& r) {
    return static_cast<int64_t>(r.Bottom) - r.Top;
}
inline TRect SatBounds(int64_t x, int64_t y, int64_t w, int64_t h) {
    return TRect{Sat32(x), Sat32(y), Sat32(x + w), Sat32(y + h)};
}
inline TRect SatOffset(const TRect& r, int64_t dx, int64_t dy) {
    return TRect{Sat32(r.Left + dx), Sat32(r.Top + dy), Sat32(r.Right + dx), Sat32(r.Bottom + dy)};
}

} // namespace vobe
