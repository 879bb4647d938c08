#include "components/vask_man.h"

#include <algorithm>

#include "archive/file_manager.h"
#include "archive/stream.h"
#include "framework/vobe_initialize.h"
#include "graphics/color_tables.h"
#include "graphics/vask_image.h"
#include "platform/error.h"

namespace vobe {

TVaskCollection* VaskMan = nullptr;

namespace {

const char MaskSuffix[] = "?m";
const char OffsetSuffix[] = "?t";

bool EndsWith(const std::string& s, const char* suffix) {
    const size_t n = std::char_traits<char>::length(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

int64_t SurfaceBytes(TDIBX* s) {
    if (!s) return 0;
    return int64_t{s->Width()} * s->Height() * s->BytesPerPixel();
}

// The picture of a file the game does not have: 8 x 8 of colour 0 with colour 0 as key.
void MissingFrame(TVaskItemFrame& f, bool wantMasks) {
    f.Picture->SetSize(8, 8, DisplayBitCount);
    f.Picture->Fill(0);
    f.Picture->TransparentColor = 0;
    f.Picture->DrawRects.clear();
    f.Picture->SpareRects.clear();
    f.Key = 0;
    f.Duration = 1;
    f.OffsetX = f.OffsetY = 0;
    if (wantMasks) {
        if (!f.Mask) f.Mask = std::make_unique<TDIBX>();
        f.Mask->SetSize(8, 8, 8);
        f.Mask->Fill(0);
    } else {
        f.Mask.reset();
    }
}

bool LoadFromFileManager(const std::string& name, TMemoryStream& dest) {
    if (!FileManager || !FileManager->Exists(name)) return false;
    FileManager->LoadToStream(dest, name);
    return true;
}

} // namespace

bool ReadGameFile(const std::string& name, TMemoryStream& dest) {
    if (VaskMan && VaskMan->LoadFile) return VaskMan->LoadFile(name, dest);
    return LoadFromFileManager(name, dest);
}

// ---- TVaskItemFrame ------------------------------------------------------------------------------

TVaskItemFrame::TVaskItemFrame() : Picture(std::make_unique<TDIBX>()) {}
TVaskItemFrame::~TVaskItemFrame() = default;

int64_t TVaskItemFrame::MemorySize() const {
    return SurfaceBytes(Picture.get()) + SurfaceBytes(Mask.get());
}

// ---- TVaskItem -----------------------------------------------------------------------------------

TVaskItem::~TVaskItem() = default;

int64_t TVaskItem::MemorySize() const {
    int64_t n = 0;
    for (const auto& f : Frames) n += f->MemorySize();
    return n;
}

// ---- TVaskCollection -----------------------------------------------------------------------------

TVaskCollection::TVaskCollection() = default;
TVaskCollection::~TVaskCollection() = default;

TVaskItem* TVaskCollection::Acquire(const void* holder, const std::string& fileName, bool wantOffsets,
                                    bool wantMasks) {
    std::string key = fileName;
    if (wantMasks) key += MaskSuffix;
    if (wantOffsets) key += OffsetSuffix;
    auto* item = static_cast<TVaskItem*>(Find(key));
    if (!item) {
        auto made = std::make_unique<TVaskItem>(key);
        LoadItem(*made);
        item = static_cast<TVaskItem*>(Add(std::move(made)));
    }
    item->Users.push_back(holder);
    Spare.erase(std::remove(Spare.begin(), Spare.end(), item), Spare.end());
    return item;
}

void TVaskCollection::Release(TVaskItem* item, const void* holder) {
    if (!item) return;
    auto it = std::find(item->Users.begin(), item->Users.end(), holder);
    if (it != item->Users.end()) item->Users.erase(it);
    if (!item->Users.empty()) return;
    if (std::find(Spare.begin(), Spare.end(), item) == Spare.end()) Spare.push_back(item);
    Evict();
}

int64_t TVaskCollection::SpareSize() const {
    int64_t n = 0;
    for (const TVaskItem* i : Spare) n += i->MemorySize();
    return n;
}

void TVaskCollection::Evict() {
    while (Spare.size() > 1 && SpareSize() > SpareLimit) {
        TVaskItem* oldest = Spare.front();
        Spare.erase(Spare.begin());
        FreeItem(oldest);
    }
}

void TVaskCollection::FreeItem(TVaskItem* item) {
    const int32_t i = item->GetIndex();
    if (i >= 0 && i < Count() && Items(i) == item) Delete(i);
}

void TVaskCollection::LoadItem(TVaskItem& item) {
    std::string name = item.GetName();
    const bool wantOffsets = EndsWith(name, OffsetSuffix);
    if (wantOffsets) name.resize(name.size() - 2);
    const bool wantMasks = EndsWith(name, MaskSuffix);
    if (wantMasks) name.resize(name.size() - 2);

    TVaskFrameList list(ImageKey);
    TMemoryStream data;
    bool found = false;
    try {
        found = LoadFile ? LoadFile(name, data) : LoadFromFileManager(name, data);
        if (found) {
            data.SetPosition(0);
            list.LoadFromStream(data, false);
        }
    } catch (const EVobeError&) {
        // A damaged picture shows the frames read completely; none: the picture of a missing file.
    }
    if (wantMasks) list.MasksFromKey();

    // Frames keep their objects across reloads: components hold them.
    const int32_t n = std::max(1, list.Count());
    while (item.FrameCount() < n) item.Frames.push_back(std::make_unique<TVaskItemFrame>());
    item.TotalDuration = 0;
    for (int32_t i = 0; i < item.FrameCount(); ++i) {
        TVaskItemFrame& f = *item.Frames[static_cast<size_t>(i)];
        if (i >= list.Count()) {
            MissingFrame(f, wantMasks);
            if (i == 0) item.TotalDuration += f.Duration;
            continue;
        }
        TVaskFrame& src = *list.Frame(i);
        f.OffsetX = f.OffsetY = 0;
        if (wantOffsets) {
            const TRect kept = src.TrimFrame();
            f.OffsetX = kept.Left;
            f.OffsetY = kept.Top;
        }
        f.Picture->SetSize(1, 1, DisplayBitCount);
        src.CopyToSurface(*f.Picture);
        f.Picture->TransparentColor = f.Picture->ColorToPixel(src.TransparentColor);
        f.Key = src.TransparentColor;
        if (src.HasMask() || wantMasks) {
            if (!f.Mask) f.Mask = std::make_unique<TDIBX>();
            if (src.HasMask()) {
                src.CopyMaskToSurface(*f.Mask);
            } else {
                // Masks were asked for, but the frame has neither mask nor key: it is opaque.
                f.Mask->SetSize(f.Picture->Width(), f.Picture->Height(), 8);
                f.Mask->Fill(255);
            }
        } else {
            f.Mask.reset();
        }
        f.Duration = std::max(1, src.Delay);
        item.TotalDuration += f.Duration;
    }
    // Frames beyond those of the file (only after a reload) add no time.
    const TVaskItemFrame& first = *item.Frames.front();
    item.Width = first.Picture->Width();
    item.Height = first.Picture->Height();
}

void TVaskCollection::SetDither(bool flag) {
    if (flag == Dither) return;
    Dither = flag;
    for (int32_t i = 0; i < Count(); ++i) LoadItem(*static_cast<TVaskItem*>(Items(i)));
}

void TVaskCollection::ReleaseSurfaces() {
    for (int32_t i = 0; i < Count(); ++i)
        for (auto& f : static_cast<TVaskItem*>(Items(i))->Frames) {
            f->Picture->Clear();
            if (f->Mask) f->Mask->Clear();
        }
}

void TVaskCollection::RestoreSurfaces() {
    for (int32_t i = 0; i < Count(); ++i) LoadItem(*static_cast<TVaskItem*>(Items(i)));
}

void TVaskCollection::Purge(const std::string& fileName) {
    for (const std::string& suffix : {std::string(), std::string(MaskSuffix), std::string(OffsetSuffix),
                                      std::string(MaskSuffix) + OffsetSuffix}) {
        auto* item = static_cast<TVaskItem*>(Find(fileName + suffix));
        if (!item) continue;
        auto it = std::find(Spare.begin(), Spare.end(), item);
        if (it == Spare.end()) continue; // held items stay
        Spare.erase(it);
        FreeItem(item);
    }
}

void TVaskCollection::SaveToStream(TStream& s) {
    WriteBool(s, Dither);
}

void TVaskCollection::LoadFromStream(TStream& s, int32_t version) {
    if (version > 100) SetDither(ReadBool(s));
}

void RegisterPictureCache() {
    FrameworkHooks.CreateVaskMan = [] {
        delete VaskMan;
        VaskMan = new TVaskCollection();
    };
    FrameworkHooks.FreeVaskMan = [] {
        delete VaskMan;
        VaskMan = nullptr;
    };
    FrameworkHooks.GetDither = [] { return VaskMan && VaskMan->Dither; };
    FrameworkHooks.SetDither = [](bool flag) {
        if (VaskMan) VaskMan->SetDither(flag);
    };
    FrameworkHooks.ReleasePictures = [] {
        if (VaskMan) VaskMan->ReleaseSurfaces();
    };
    FrameworkHooks.RestorePictures = [] {
        if (VaskMan) VaskMan->RestoreSurfaces();
    };
}

// ---- TVobeImageData ------------------------------------------------------------------------------

void TVobeImageData::SetBrightness(int32_t b) {
    if (b == Brightness) return;
    Brightness = b;
    Rebuild();
}

void TVobeImageData::Rebuild() {
    if (Brightness == 0 || !Shared) {
        Own.reset();
        return;
    }
    TDIBX& shared = *Shared->Picture;
    if (!Own) Own = std::make_unique<TDIBX>();
    Own->SetSize(shared.Width(), shared.Height(), shared.BitCount());
    Own->ClipRect = TRect{};
    Own->DrawRects = shared.DrawRects;
    Own->SpareRects = shared.SpareRects;
    const int32_t d = std::min(255, std::abs(Brightness));
    const uint32_t grey = static_cast<uint32_t>(Own->ColorToPixel(d | (d << 8) | (d << 16)));
    const TRect one{0, 0, 1, 1};
    int32_t key = -1;
    if (shared.TransparentColor != -1 && !Own->IsEmpty()) {
        // The key moves with the pixels it stands for.
        Own->SetPixel(0, 0, static_cast<uint32_t>(shared.TransparentColor));
        if (Brightness > 0)
            Own->FillRectAdd(one, grey);
        else
            Own->FillRectSub(one, grey);
        key = static_cast<int32_t>(Own->GetPixel(0, 0));
    }
    Own->Assign(&shared);
    if (Brightness > 0)
        Own->FillRectAdd(Own->BoundsRect(), grey);
    else
        Own->FillRectSub(Own->BoundsRect(), grey);
    Own->TransparentColor = key;
}

TCustomDIBX* TVobeImageData::GetPicture() {
    if (Brightness != 0 && Own) return Own.get();
    return Shared ? Shared->Picture.get() : nullptr;
}

// ---- TVobeImageList ------------------------------------------------------------------------------

TVobeImageList::~TVobeImageList() {
    Clear();
}

void TVobeImageList::Load(const void* holder, const std::string& fileName, bool wantMasks) {
    Clear();
    if (!VaskMan) return;
    Holder = holder;
    Item = VaskMan->Acquire(holder, fileName, false, wantMasks);
    for (auto& f : Item->Frames) Items.push_back(std::make_unique<TVobeImageData>(f.get()));
    SetCurrent(0);
}

void TVobeImageList::Clear() {
    Items.clear();
    if (Item && VaskMan) VaskMan->Release(Item, Holder);
    Item = nullptr;
    Holder = nullptr;
    Current = 0;
    Remaining = 0;
}

void TVobeImageList::SetCurrent(int32_t index) {
    Current = index;
    const TVobeImageData* d = Data(index);
    Remaining = d && d->Shared ? d->Shared->Duration : 0;
}

bool TVobeImageList::Advance(int32_t delta) {
    if (Count() < 2) return false;
    const int32_t before = Current;
    // A long pause does not walk the frames one by one.
    if (Item && Item->TotalDuration > 0 && delta > Item->TotalDuration) delta %= Item->TotalDuration;
    Remaining -= delta;
    while (Remaining < 1) {
        Current = Current + 1 < Count() ? Current + 1 : 0;
        const TVobeImageData* d = Data(Current);
        Remaining += d && d->Shared ? d->Shared->Duration : 1;
    }
    return Current != before;
}

void TVobeImageList::ReleaseSurfaces() {
    for (auto& d : Items)
        if (d->Own) d->Own->Clear();
}

void TVobeImageList::RestoreSurfaces() {
    for (auto& d : Items)
        if (d->Brightness != 0) d->Rebuild();
}

} // namespace vobe
