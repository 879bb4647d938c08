// Rectangles of the drawing code (Left, Top, Right, Bottom; Right and Bottom exclusive): the shared
// TRect and its helpers, plus the emptiness test the drawing code reads best with.
#pragma once

#include "archive/containers.h"

namespace vobe {

inline bool IsRectEmpty(const TRect& r) {
    return r.IsEmpty();
}

} // namespace vobe
