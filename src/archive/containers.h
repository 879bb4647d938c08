// Small shared containers: the owning list, integer lists, the streamable string list, the tab
// splitter, rectangles and the dirty-rectangle list.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vobe {

class TStream;

// Raises the list-index error of the containers below.
[[noreturn]] void RaiseListIndexError(int64_t index);

// ---- TPoint --------------------------------------------------------------------------------------

struct TPoint {
    int32_t X = 0, Y = 0;
    constexpr bool operator==(const TPoint&) const = default;
};

// ---- TRect ---------------------------------------------------------------------------------------

// Right and Bottom are exclusive.
// 32-bit arithmetic that wraps like the machine's instead of being undefined on overflow: saved and
// scripted coordinates can hold any value.
constexpr int32_t WrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
constexpr int32_t WrapSub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

struct TRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;

    constexpr int32_t Width() const { return WrapSub(Right, Left); }
    constexpr int32_t Height() const { return WrapSub(Bottom, Top); }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr bool Contains(int32_t x, int32_t y) const {
        return x >= Left && x < Right && y >= Top && y < Bottom;
    }
    // r lies wholly inside this rectangle.
    constexpr bool Contains(const TRect& r) const {
        return r.Left >= Left && r.Top >= Top && r.Right <= Right && r.Bottom <= Bottom;
    }
    constexpr bool operator==(const TRect&) const = default;
};

constexpr TRect Rect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    return {left, top, right, bottom};
}
constexpr TRect Bounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    return {left, top, WrapAdd(left, width), WrapAdd(top, height)};
}
// The smallest rectangle holding both; an empty operand is ignored; both empty give the empty rectangle.
TRect UnionRect(const TRect& a, const TRect& b);
// The common part, or the empty rectangle (all zeros) when there is none.
TRect IntersectRect(const TRect& a, const TRect& b);
// Both rectangles share at least one pixel.
bool RectsIntersect(const TRect& a, const TRect& b);
TRect OffsetRect(const TRect& r, int32_t dx, int32_t dy);

// ---- TObjList --------------------------------------------------------------------------------------

// A list that owns its objects: deleting an element or clearing the list frees them.
template <class T> class TObjList {
public:
    T* Add(std::unique_ptr<T> item) {
        T* p = item.get();
        FItems.push_back(std::move(item));
        return p;
    }
    void Insert(int32_t i, std::unique_ptr<T> item) {
        if (i < 0 || i > Count()) RaiseListIndexError(i);
        FItems.insert(FItems.begin() + i, std::move(item));
    }
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    T* Items(int32_t i) const {
        if (i < 0 || i >= Count()) RaiseListIndexError(i);
        return FItems[static_cast<size_t>(i)].get();
    }
    T* operator[](int32_t i) const { return Items(i); }
    int32_t IndexOf(const T* item) const {
        for (size_t i = 0; i < FItems.size(); ++i)
            if (FItems[i].get() == item) return static_cast<int32_t>(i);
        return -1;
    }
    void Delete(int32_t i) { Extract(i).reset(); }
    // Removes element i without freeing it.
    std::unique_ptr<T> Extract(int32_t i) {
        if (i < 0 || i >= Count()) RaiseListIndexError(i);
        std::unique_ptr<T> p = std::move(FItems[static_cast<size_t>(i)]);
        FItems.erase(FItems.begin() + i);
        return p;
    }
    // Frees the item when the list holds it; returns its former index or -1.
    int32_t Remove(const T* item) {
        int32_t i = IndexOf(item);
        if (i >= 0) Delete(i);
        return i;
    }
    void Move(int32_t from, int32_t to) {
        std::unique_ptr<T> p = Extract(from);
        Insert(to, std::move(p));
    }
    void Clear() {
        // Free from the back so that destructors looking at the list see a consistent prefix.
        while (!FItems.empty()) FItems.pop_back();
    }
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    std::vector<std::unique_ptr<T>> FItems;
};

// ---- TIntList, TIntArray -------------------------------------------------------------------------

class TIntList {
public:
    int32_t Get(int32_t i) const;
    // Grows the list with zeros until index i exists.
    void Put(int32_t i, int32_t v);
    int32_t Add(int32_t v) {
        FItems.push_back(v);
        return Count() - 1;
    }
    void Delete(int32_t i);
    int32_t IndexOf(int32_t v) const;
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    void Clear() { FItems.clear(); }

private:
    std::vector<int32_t> FItems;
};

class TIntArray {
public:
    void Add(int32_t v) { FItems.push_back(v); }
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    int32_t Get(int32_t i) const {
        if (i < 0 || i >= Count()) RaiseListIndexError(i);
        return FItems[static_cast<size_t>(i)];
    }
    void Clear() { FItems.clear(); }
    const int32_t* Data() const { return FItems.data(); }

private:
    std::vector<int32_t> FItems;
};

// ---- TArrayString --------------------------------------------------------------------------------

// A list of strings. Stream form: int32 n, then n x (int32 length, bytes).
class TArrayString {
public:
    void Add(const std::string& s) { FItems.push_back(s); }
    void Assign(const TArrayString& other) { FItems = other.FItems; }
    void Clear() { FItems.clear(); }
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    const std::string& Get(int32_t i) const;
    void Put(int32_t i, const std::string& s);
    void Delete(int32_t i);
    void SaveToStream(TStream& s) const;
    // Raises EStreamError (and keeps the list empty) when the stream is truncated or the count is
    // larger than the stream can hold.
    void LoadFromStream(TStream& s);
    const std::vector<std::string>& Strings() const { return FItems; }

private:
    std::vector<std::string> FItems;
};

// ---- TTabStrings ---------------------------------------------------------------------------------

// A line split into fields at a separator byte (the tab by default). A Shift-JIS trail byte equal to
// the separator does not split; a line ending in the separator has no empty last field.
class TTabStrings {
public:
    explicit TTabStrings(char separator = '\t') : FSeparator(separator) {}
    void Split(std::string_view line);
    // Field i, or "" beyond the last.
    const std::string& Field(int32_t i) const;
    int32_t Count() const { return static_cast<int32_t>(FFields.size()); }
    void Clear() { FFields.clear(); }
    char Separator() const { return FSeparator; }
    void SetSeparator(char c) { FSeparator = c; }

private:
    char FSeparator;
    std::vector<std::string> FFields;
};

// ---- TClipList -----------------------------------------------------------------------------------

// Dirty rectangles. A rectangle within 20 pixels of one already listed is merged with it, so that many
// small changes near each other redraw as one area.
class TClipList {
public:
    static constexpr int32_t MergeDistance = 20;

    void AddRect(const TRect& r);
    const TRect& Get(int32_t i) const;
    void Delete(int32_t i);
    void Clear();
    int32_t Count() const { return static_cast<int32_t>(FRects.size()); }
    // Set by every change; the owner resets it once it has redrawn.
    bool Changed() const { return FChanged; }
    void SetChanged(bool v) { FChanged = v; }
    const std::vector<TRect>& Rects() const { return FRects; }

private:
    std::vector<TRect> FRects;
    bool FChanged = false;
};

} // namespace vobe
