#include "components/vobe_map_image.h"

#include <algorithm>
#include <climits>

#include "archive/stream.h"
#include "components/vask_man.h"
#include "framework/vobe_base_list.h"
#include "graphics/dibx.h"
#include "platform/cp932.h"
#include "platform/error.h"
#include "platform/globals.h"
#include "platform/keys.h"
#include "values/param_collection.h"

namespace vobe {

// ---- regions -------------------------------------------------------------------------------------

bool TMapRegion::Contains(int32_t x, int32_t y) const {
    const TRect& b = Bounds;
    if (Shape == 0) return x >= b.Left && x <= b.Right && y >= b.Top && y <= b.Bottom;
    if (Shape == 1) {
        if (x < b.Left || x > b.Right || y < b.Top || y > b.Bottom) return false;
        // The ellipse inside the pixels left..right, top..bottom, tested at the pixel's centre.
        const double rx = (static_cast<double>(b.Right) - b.Left + 1) / 2;
        const double ry = (static_cast<double>(b.Bottom) - b.Top + 1) / 2;
        const double dx = (x + 0.5 - b.Left - rx) / rx, dy = (y + 0.5 - b.Top - ry) / ry;
        return dx * dx + dy * dy <= 1.0;
    }
    // Winding number of the closed polygon around the pixel's centre; non-zero is inside.
    const double px = x + 0.5, py = y + 0.5;
    int wn = 0;
    const size_t n = Points.size();
    for (size_t i = 0; i < n; ++i) {
        const double x0 = Points[i].X, y0 = Points[i].Y;
        const double x1 = Points[(i + 1) % n].X, y1 = Points[(i + 1) % n].Y;
        const double side = (x1 - x0) * (py - y0) - (px - x0) * (y1 - y0);
        if (y0 <= py) {
            if (y1 > py && side > 0) ++wn;
        } else if (y1 <= py && side < 0) {
            --wn;
        }
    }
    return wn != 0;
}

TRect TMapRegion::BoxRect() const {
    int64_t l, t, r, b;
    if (Shape == 0 || Shape == 1) {
        l = Bounds.Left;
        t = Bounds.Top;
        r = int64_t{Bounds.Right} + 1;
        b = int64_t{Bounds.Bottom} + 1;
    } else {
        if (Points.empty()) return TRect{};
        l = r = Points[0].X;
        t = b = Points[0].Y;
        for (const TPoint& p : Points) {
            l = std::min<int64_t>(l, p.X);
            t = std::min<int64_t>(t, p.Y);
            r = std::max<int64_t>(r, int64_t{p.X} + 1);
            b = std::max<int64_t>(b, int64_t{p.Y} + 1);
        }
    }
    auto c = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    return TRect{c(l), c(t), c(r), c(b)};
}

namespace {

[[noreturn]] void MapError(const char* what) {
    throw EVobeError(SJ("マップファイルが壊れています") + ": " + what);
}

int32_t ReadCount(TStream& s, int64_t minBytes, const char* what) {
    if (s.GetSize() - s.GetPosition() < 4) MapError(what);
    const int32_t n = ReadInt32(s);
    if (n < 0 || (n > 0 && (s.GetSize() - s.GetPosition()) / minBytes < n)) MapError(what);
    return n;
}

} // namespace

void ReadMapRegions(TStream& s, std::vector<TMapRegion>& regions, std::vector<std::string>& names) {
    regions.clear();
    names.clear();
    // A region takes at least its name length, its shape and a point count.
    const int32_t count = ReadCount(s, 9, "region count");
    for (int32_t i = 0; i < count; ++i) {
        const int32_t len = ReadCount(s, 1, "region name");
        std::string name(static_cast<size_t>(len), '\0');
        if (len > 0) s.ReadBuffer(name.data(), len);
        if (s.GetSize() - s.GetPosition() < 1) MapError("region shape");
        TMapRegion r;
        r.Shape = ReadByte(s);
        if (r.Shape == 0 || r.Shape == 1) {
            if (s.GetSize() - s.GetPosition() < 16) MapError("region rectangle");
            r.Bounds.Left = ReadInt32(s);
            r.Bounds.Top = ReadInt32(s);
            r.Bounds.Right = ReadInt32(s);
            r.Bounds.Bottom = ReadInt32(s);
        } else {
            const int32_t n = ReadCount(s, 8, "polygon points");
            r.Points.resize(static_cast<size_t>(n));
            for (TPoint& p : r.Points) {
                p.X = ReadInt32(s);
                p.Y = ReadInt32(s);
            }
        }
        regions.push_back(std::move(r));
        names.push_back(std::move(name));
    }
}

// ---- TVobeMapImage -------------------------------------------------------------------------------

TVobeMapImage::TVobeMapImage(TVobeBaseList* owner)
    : TVobeControl(owner), Pictures(std::make_unique<TVobeImageList>()),
      Hovers(std::make_unique<TVobeImageList>()) {}

TVobeMapImage::~TVobeMapImage() {
    if (Owner) Owner->RightClickList.Remove(this);
}

void TVobeMapImage::Created() {
    TVobeControl::Created();
    if (Owner) Owner->RightClickList.Add(this);
}

void TVobeMapImage::LoadPictures(TVobeImageList& list, const std::string& fileName) {
    list.Clear();
    if (!fileName.empty()) list.Load(this, fileName, true);
    for (auto& d : list.Items) d->SetBrightness(Brightness);
    list.SetCurrent(0);
}

void TVobeMapImage::SetSource(const std::string& v) {
    if (v == Source) return;
    Invalidate();
    Source = v;
    LoadPictures(*Pictures, v);
    FPictureMasks.clear();
    const TVobeImageData* first = Pictures->Data(0);
    if (first && first->Shared) {
        Width = first->Shared->Picture->Width();
        Height = first->Shared->Picture->Height();
    } else {
        Width = Height = 0;
    }
    Invalidate();
}

void TVobeMapImage::SetHoverSource(const std::string& v) {
    if (v == HoverSource) return;
    Invalidate();
    HoverSource = v;
    LoadPictures(*Hovers, v);
    FHoverMasks.clear();
    Invalidate();
}

void TVobeMapImage::SetMapSource(const std::string& v) {
    Invalidate();
    MapSource = v;
    Hovered = -1;
    Regions.clear();
    RegionNames.clear();
    FPictureMasks.clear();
    FHoverMasks.clear();
    TMemoryStream data;
    if (!v.empty() && ReadGameFile(v, data)) {
        data.SetPosition(0);
        try {
            ReadMapRegions(data, Regions, RegionNames);
        } catch (const EVobeError&) {
            // A damaged map has no regions.
            Regions.clear();
            RegionNames.clear();
            throw;
        }
    }
    Invalidate();
}

void TVobeMapImage::SetBrightness(int32_t v) {
    if (v == Brightness) return;
    Brightness = v;
    for (auto* list : {Pictures.get(), Hovers.get()})
        for (auto& d : list->Items) d->SetBrightness(v);
    Invalidate();
}

int32_t TVobeMapImage::RegionAt(int32_t x, int32_t y) const {
    for (size_t i = 0; i < Regions.size(); ++i)
        if (Regions[i].Contains(x, y)) return static_cast<int32_t>(i);
    return -1;
}

void TVobeMapImage::InvalidateRegion(int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(Regions.size()) || !GetVisible()) return;
    TVobeBase* base = GetBase();
    if (!base) return;
    const TRect box = Regions[static_cast<size_t>(index)].BoxRect();
    const int32_t x = GetScreenLeft(), y = GetScreenTop();
    TRect r = ScreenBounds(int64_t{x} + box.Left, int64_t{y} + box.Top, int64_t{box.Right} - box.Left,
                           int64_t{box.Bottom} - box.Top);
    if (!ClipToSelf(r)) return;
    if (Parent && !Parent->ClipToSelf(r)) return;
    NotifyDirty(r);
    base->AddDirtyRect(r);
}

void TVobeMapImage::SetHovered(int32_t index) {
    if (index == Hovered) return;
    if (Hovered >= 0 && static_cast<size_t>(Hovered) < RegionNames.size())
        PostEvent(PR_ONMAPOUT, MapOutHandler,
                  {RegionNames[static_cast<size_t>(Hovered)], std::to_string(Hovered)});
    InvalidateRegion(Hovered);
    Hovered = index;
    Hovers->SetCurrent(0);
    InvalidateRegion(Hovered);
    if (Hovered >= 0 && static_cast<size_t>(Hovered) < RegionNames.size())
        PostEvent(PR_ONMAPIN, MapInHandler,
                  {RegionNames[static_cast<size_t>(Hovered)], std::to_string(Hovered)});
}

void TVobeMapImage::StartClosing() {
    CloseCounter = 100;
    Closing = true;
}

void TVobeMapImage::ClearSelection() {
    if (!ParamCollection) return;
    ParamCollection->SelStr.clear();
    ParamCollection->SelIndex = -1;
}

void TVobeMapImage::Select() {
    if (Hovered < 0 || static_cast<size_t>(Hovered) >= RegionNames.size()) return;
    const std::string& name = RegionNames[static_cast<size_t>(Hovered)];
    if (ParamCollection) {
        ParamCollection->SelStr = name;
        ParamCollection->SelIndex = Hovered;
    }
    PostEvent(PR_ONSELECT, SelectHandler, {name, std::to_string(Hovered)});
    if (AutoScrap) StartClosing();
}

void TVobeMapImage::MouseMove() {
    if (!IsSuspended()) {
        TVobeBase* base = GetBase();
        if (base)
            SetHovered(RegionAt(static_cast<int32_t>(int64_t{base->MouseX} - GetScreenLeft()),
                                static_cast<int32_t>(int64_t{base->MouseY} - GetScreenTop())));
    }
    TVobeControl::MouseMove();
}

void TVobeMapImage::MouseOut(TVobeObject* newTarget) {
    SetHovered(-1);
    TVobeControl::MouseOut(newTarget);
}

void TVobeMapImage::MouseLeftDown() {
    TVobeControl::MouseLeftDown();
    if ((IgnoreMouse == 0 || IgnoreMouse == 4) && !Paused && !IsSuspended() && Hovered >= 0) Select();
}

void TVobeMapImage::KeyRepeat() {
    TVobeControl::KeyRepeat();
    TVobeBaseList* scene = Owner;
    if (!scene || IsSuspended() || scene->Focused != this) return;
    const int32_t n = static_cast<int32_t>(Regions.size());
    if (n > 0 && (scene->IsKeyRepeated(VK_UP) || scene->IsKeyRepeated(VK_LEFT)))
        SetHovered(Hovered <= 0 ? n - 1 : Hovered - 1);
    else if (n > 0 && (scene->IsKeyRepeated(VK_DOWN) || scene->IsKeyRepeated(VK_RIGHT)))
        SetHovered(Hovered < 0 || Hovered >= n - 1 ? 0 : Hovered + 1);
    if (scene->IsKeyPressed(VK_RETURN) || scene->IsKeyPressed(VK_SPACE)) {
        Select();
    } else if (scene->IsKeyPressed(VK_ESCAPE) && RightClickScrap) {
        ClearSelection();
        StartClosing();
    }
}

bool TVobeMapImage::CancelByRightClick() {
    if (IsSuspended() || (IgnoreMouse != 0 && IgnoreMouse != 3)) return false;
    Closing = true;
    ClearSelection();
    CloseCounter = 100;
    return true;
}

bool TVobeMapImage::Update() {
    if (CloseCounter == 100) {
        Closing = true;
        CloseCounter = 101;
        return false;
    }
    if (CloseCounter == 101) return true;
    if (TVobeControl::Update()) return true;
    if (AniPaused) return false;
    if (Pictures->Advance(FrameDelta)) Invalidate();
    if (Hovered >= 0 && Hovers->Advance(FrameDelta)) InvalidateRegion(Hovered);
    return false;
}

TCustomDIBX* TVobeMapImage::DerivedMask(TVobeImageList& list, std::vector<TDerivedMask>& cache, bool inside) {
    TVobeImageData* d = list.CurrentData();
    TCustomDIBX* original = d ? d->GetMask() : nullptr;
    if (!original) return nullptr;
    if (cache.size() < list.Items.size()) cache.resize(list.Items.size());
    TDerivedMask& m = cache[static_cast<size_t>(list.Current)];
    if (m.Mask && m.Region == Hovered) return m.Mask.get();
    if (!m.Mask) m.Mask = std::make_unique<TDIBX>();
    const int32_t w = original->Width(), h = original->Height();
    m.Mask->SetSize(w, h, 8);
    m.Mask->ClipRect = TRect{};
    m.Mask->Assign(original);
    const TMapRegion* region = Hovered >= 0 && static_cast<size_t>(Hovered) < Regions.size()
                                   ? &Regions[static_cast<size_t>(Hovered)]
                                   : nullptr;
    if (inside || region) {
        const TRect box = region ? IntersectRect(region->BoxRect(), TRect{0, 0, w, h}) : TRect{};
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                const bool in = region && box.Contains(x, y) && region->Contains(x, y);
                if (in != inside) m.Mask->SetPixel(x, y, 0);
            }
    }
    m.Region = Hovered;
    return m.Mask.get();
}

void TVobeMapImage::Draw() {
    TCustomDIBX* s = GetSurface();
    if (s && GetVisible() && Alpha >= 1 && Alpha < 512 && Width >= 1 && Height >= 1) {
        const int32_t x = GetScreenLeft(), y = GetScreenTop();
        auto paint = [&](TCustomDIBX* pic, TCustomDIBX* mask) {
            if (!pic || pic->IsEmpty() || !mask) return;
            const TRect src{0, 0, pic->Width(), pic->Height()};
            if (Alpha < 255)
                s->DrawMaskAlpha(x, y, Alpha, mask, false, false, src, pic);
            else if (Alpha == 255)
                s->DrawMask(x, y, mask, false, false, src, pic);
            else
                s->DrawMaskAdd(x, y, Alpha - 256, mask, false, false, src, pic);
        };
        if (TVobeImageData* d = Pictures->CurrentData())
            paint(d->GetPicture(), DerivedMask(*Pictures, FPictureMasks, false));
        if (Hovered >= 0)
            if (TVobeImageData* d = Hovers->CurrentData())
                paint(d->GetPicture(), DerivedMask(*Hovers, FHoverMasks, true));
    }
    DrawChildren();
}

void TVobeMapImage::ReleaseSurfaces() {
    TVobeControl::ReleaseSurfaces();
    Pictures->ReleaseSurfaces();
    Hovers->ReleaseSurfaces();
    FPictureMasks.clear();
    FHoverMasks.clear();
}

void TVobeMapImage::RestoreSurfaces() {
    TVobeControl::RestoreSurfaces();
    Pictures->RestoreSurfaces();
    Hovers->RestoreSurfaces();
    Invalidate();
}

void TVobeMapImage::SaveToStream(TStream& s) {
    TVobeControl::SaveToStream(s);
    WriteStr(s, Source);
    WriteStr(s, HoverSource);
    WriteStr(s, MapSource);
    WriteInt32(s, Alpha);
    WriteInt32(s, Brightness);
    WriteStr(s, MapInHandler);
    WriteStr(s, MapOutHandler);
    WriteBool(s, AutoScrap);
    WriteBool(s, RightClickScrap);
    WriteStr(s, IdleHandler);
    WriteBool(s, Paused);
    WriteStr(s, SelectHandler);
    WriteInt32(s, CloseCounter);
}

void TVobeMapImage::LoadFromStream(TStream& s, int32_t version) {
    TVobeControl::LoadFromStream(s, version);
    SetSource(ReadStr(s));
    SetHoverSource(ReadStr(s));
    const std::string map = ReadStr(s);
    try {
        SetMapSource(map);
    } catch (const EVobeError&) {
        // A damaged map file leaves the map without regions; the save itself reads on.
    }
    Alpha = ReadInt32(s);
    SetBrightness(ReadInt32(s));
    MapInHandler = ReadStr(s);
    MapOutHandler = ReadStr(s);
    AutoScrap = ReadBool(s);
    RightClickScrap = ReadBool(s);
    if (version > 103) {
        IdleHandler = ReadStr(s);
        Paused = ReadBool(s);
        SelectHandler = ReadStr(s);
    }
    if (version > 114) CloseCounter = ReadInt32(s);
    Closing = CloseCounter == 100 || CloseCounter == 101;
}

} // namespace vobe
