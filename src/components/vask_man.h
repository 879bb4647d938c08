// The picture cache VaskMan: every picture file is loaded once per request kind and its frames are lent
// to every component that shows it. Items nobody holds stay on a spare list until the memory they take
// passes the spare limit. TVobeImageList is a component's hold on one item, with the current frame,
// its remaining time and the brightness applied to each frame.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/hash_collection.h"
#include "graphics/dibx.h"

namespace vobe {

class TMemoryStream;
class TStream;

// One frame of a cached picture.
class TVaskItemFrame {
public:
    TVaskItemFrame();
    ~TVaskItemFrame();

    std::unique_ptr<TDIBX> Picture;   // at the display's depth; its TransparentColor is the native key
    std::unique_ptr<TDIBX> Mask;      // 8 bits, or null
    int32_t Key = -1;                 // transparent colour as 0x00BBGGRR, -1 = none
    int32_t Duration = 1;             // milliseconds, at least 1
    int32_t OffsetX = 0, OffsetY = 0; // the frame's place inside the picture ("?t" only)

    // Bytes of picture and mask (width x height x bytes per pixel each).
    int64_t MemorySize() const;
};

class TVaskItem : public THashCollectionItem {
public:
    using THashCollectionItem::THashCollectionItem;
    ~TVaskItem() override;

    std::vector<const void*> Users; // the holders
    std::vector<std::unique_ptr<TVaskItemFrame>> Frames;
    int32_t Width = 0, Height = 0; // of the first frame
    int32_t TotalDuration = 0;

    int32_t FrameCount() const { return static_cast<int32_t>(Frames.size()); }
    TVaskItemFrame* Frame(int32_t i) const {
        return i >= 0 && i < FrameCount() ? Frames[static_cast<size_t>(i)].get() : nullptr;
    }
    int64_t MemorySize() const;
};

class TVaskCollection : public THashCollection {
public:
    // The spare pictures kept at most (the newest spare item is always kept).
    static constexpr int64_t SpareLimit = 5760000;

    TVaskCollection();
    ~TVaskCollection() override;

    std::vector<TVaskItem*> Spare; // items nobody holds, oldest first
    bool Dither = false;
    // The project's image key: the row order of scrambled layered images.
    int32_t ImageKey = 0;
    // Reads a game file into the stream; false when the game has no such file. Unset: the file manager.
    std::function<bool(const std::string& name, TMemoryStream& dest)> LoadFile;

    // Finds or loads the item of the file and registers the holder as one of its users.
    TVaskItem* Acquire(const void* holder, const std::string& fileName, bool wantOffsets, bool wantMasks);
    // Unregisters the holder; an item without users becomes spare (and eviction runs).
    void Release(TVaskItem* item, const void* holder);
    // Every item reloads its frames when the switch changes (the pixels stay the same).
    void SetDither(bool flag);
    // Around a display change: every frame picture is dropped / every item is reloaded at the display
    // depth. Frames keep their addresses, so lent pictures stay valid.
    void ReleaseSurfaces();
    void RestoreSurfaces();
    // Frees the spare items of the file (with any request suffix).
    void Purge(const std::string& fileName);
    // Memory of all spare items.
    int64_t SpareSize() const;

    // The status save record's byte.
    void SaveToStream(TStream& s);
    void LoadFromStream(TStream& s, int32_t version);

private:
    void LoadItem(TVaskItem& item);
    void FreeItem(TVaskItem* item);
    void Evict();
};

// Reads a game file through the picture cache's reader (the file manager unless a reader is set);
// false when the game has no such file.
bool ReadGameFile(const std::string& name, TMemoryStream& dest);

// The process-wide picture cache (created with the framework; null outside a running game).
extern TVaskCollection* VaskMan;
// Registers the creation and the switches of VaskMan with the framework.
void RegisterPictureCache();

// One frame as a component shows it: the shared frame, or a private copy with the brightness applied.
class TVobeImageData {
public:
    TVaskItemFrame* Shared = nullptr;
    std::unique_ptr<TDIBX> Own;
    int32_t Brightness = 0; // 0 = the shared picture as it is

    explicit TVobeImageData(TVaskItemFrame* shared) : Shared(shared) {}
    // Adds (b > 0) or subtracts (b < 0) the grey |b| over a private copy of the picture.
    void SetBrightness(int32_t b);
    // Rebuilds the private copy from the shared picture (after a display change).
    void Rebuild();
    TCustomDIBX* GetPicture();
    TCustomDIBX* GetMask() { return Shared ? Shared->Mask.get() : nullptr; }
};

// A component's hold on the frames of one cached picture.
class TVobeImageList {
public:
    TVobeImageList() = default;
    ~TVobeImageList();
    TVobeImageList(const TVobeImageList&) = delete;
    TVobeImageList& operator=(const TVobeImageList&) = delete;

    std::vector<std::unique_ptr<TVobeImageData>> Items;
    TVaskItem* Item = nullptr;
    const void* Holder = nullptr;
    int32_t Current = 0;
    int32_t Remaining = 0; // milliseconds left on the current frame

    // Clears, then holds the frames of the file (no offsets).
    void Load(const void* holder, const std::string& fileName, bool wantMasks);
    void Clear();
    int32_t Count() const { return static_cast<int32_t>(Items.size()); }
    TVobeImageData* Data(int32_t i) const {
        return i >= 0 && i < Count() ? Items[static_cast<size_t>(i)].get() : nullptr;
    }
    // The current frame (null when the list is empty).
    TVobeImageData* CurrentData() const { return Data(Current); }
    void SetCurrent(int32_t index);
    // Counts the frame time down and steps (looping) through the frames; true when the frame changed.
    bool Advance(int32_t delta);
    void ReleaseSurfaces();
    void RestoreSurfaces();
};

} // namespace vobe
