#include "archive/containers.h"

#include <cstdio>

#include "archive/stream.h"
#include "platform/cp932.h"
#include "platform/error.h"

namespace vobe {

void RaiseListIndexError(int64_t index) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "List index out of bounds (%lld)", static_cast<long long>(index));
    throw EVobeError(buf);
}

// ---- TRect ---------------------------------------------------------------------------------------

TRect UnionRect(const TRect& a, const TRect& b) {
    if (a.IsEmpty()) return b.IsEmpty() ? TRect{} : b;
    if (b.IsEmpty()) return a;
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
            std::max(a.Bottom, b.Bottom)};
}

TRect IntersectRect(const TRect& a, const TRect& b) {
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
    return r.IsEmpty() ? TRect{} : r;
}

bool RectsIntersect(const TRect& a, const TRect& b) {
    return !IntersectRect(a, b).IsEmpty();
}

TRect OffsetRect(const TRect& r, int32_t dx, int32_t dy) {
    return {WrapAdd(r.Left, dx), WrapAdd(r.Top, dy), WrapAdd(r.Right, dx), WrapAdd(r.Bottom, dy)};
}

// ---- TIntList ------------------------------------------------------------------------------------

int32_t TIntList::Get(int32_t i) const {
    if (i < 0 || i >= Count()) RaiseListIndexError(i);
    return FItems[static_cast<size_t>(i)];
}

void TIntList::Put(int32_t i, int32_t v) {
    if (i < 0) RaiseListIndexError(i);
    if (i >= Count()) FItems.resize(static_cast<size_t>(i) + 1, 0);
    FItems[static_cast<size_t>(i)] = v;
}

void TIntList::Delete(int32_t i) {
    if (i < 0 || i >= Count()) RaiseListIndexError(i);
    FItems.erase(FItems.begin() + i);
}

int32_t TIntList::IndexOf(int32_t v) const {
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i] == v) return static_cast<int32_t>(i);
    return -1;
}

// ---- TArrayString --------------------------------------------------------------------------------

const std::string& TArrayString::Get(int32_t i) const {
    if (i < 0 || i >= Count()) RaiseListIndexError(i);
    return FItems[static_cast<size_t>(i)];
}

void TArrayString::Put(int32_t i, const std::string& s) {
    if (i < 0 || i >= Count()) RaiseListIndexError(i);
    FItems[static_cast<size_t>(i)] = s;
}

void TArrayString::Delete(int32_t i) {
    if (i < 0 || i >= Count()) RaiseListIndexError(i);
    FItems.erase(FItems.begin() + i);
}

void TArrayString::SaveToStream(TStream& s) const {
    WriteInt32(s, Count());
    for (const std::string& v : FItems) WriteStr(s, v);
}

void TArrayString::LoadFromStream(TStream& s) {
    FItems.clear();
    int32_t n = ReadInt32(s);
    if (n <= 0) return;
    // Every string takes at least its 4-byte length: a larger count is corrupt.
    if (n > s.Remaining() / 4) throw EStreamError(SJ("文字列リストの数が不正です"));
    std::vector<std::string> items;
    items.reserve(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) items.push_back(ReadStr(s));
    FItems = std::move(items);
}

// ---- TTabStrings ---------------------------------------------------------------------------------

void TTabStrings::Split(std::string_view line) {
    FFields.clear();
    const size_t n = line.size();
    size_t start = 0, i = 0;
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(line[i]);
        if (IsDBCSLeadByte(c)) {
            i += 2;
            continue;
        }
        if (line[i] == FSeparator) {
            FFields.emplace_back(line.substr(start, i - start));
            start = i + 1;
        }
        ++i;
    }
    if (start < n) FFields.emplace_back(line.substr(start));
}

const std::string& TTabStrings::Field(int32_t i) const {
    static const std::string empty;
    if (i < 0 || i >= Count()) return empty;
    return FFields[static_cast<size_t>(i)];
}

// ---- TClipList -----------------------------------------------------------------------------------

namespace {

bool Near(const TRect& e, const TRect& r) {
    const int32_t d = TClipList::MergeDistance;
    // 64-bit sums: rectangles near the int32 limits must not wrap into "near".
    return !(int64_t{e.Right} + d < r.Left || int64_t{e.Bottom} + d < r.Top ||
             r.Right < int64_t{e.Left} - d || r.Bottom < int64_t{e.Top} - d);
}

} // namespace

void TClipList::AddRect(const TRect& rect) {
    if (rect.IsEmpty()) return;
    TRect r = rect;
    // Each merge removes one rectangle and restarts the scan with the union, so this ends.
    for (;;) {
        bool merged = false;
        for (size_t i = 0; i < FRects.size(); ++i) {
            const TRect e = FRects[i];
            if (!Near(e, r)) continue;
            if (e.Contains(r)) return;
            FRects.erase(FRects.begin() + static_cast<std::ptrdiff_t>(i));
            FChanged = true;
            r = UnionRect(r, e);
            merged = true;
            break;
        }
        if (!merged) break;
    }
    FRects.push_back(r);
    FChanged = true;
}

const TRect& TClipList::Get(int32_t i) const {
    if (i < 0 || i >= Count()) RaiseListIndexError(i);
    return FRects[static_cast<size_t>(i)];
}

void TClipList::Delete(int32_t i) {
    if (i < 0 || i >= Count()) RaiseListIndexError(i);
    FRects.erase(FRects.begin() + i);
    FChanged = true;
}

void TClipList::Clear() {
    if (!FRects.empty()) FChanged = true;
    FRects.clear();
}

} // namespace vobe
