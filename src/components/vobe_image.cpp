#include "components/vobe_image.h"

#include <algorithm>
#include <cmath>

#include "archive/stream.h"
#include "components/vask_man.h"
#include "graphics/dibx.h"

namespace vobe {

namespace {

// Blend values that draw: 1..511.
bool Drawn(int32_t alpha) {
    return alpha >= 1 && alpha < 512;
}

// The scaled extent of a PosZoomed image on its parent's picture: the distance between the scaled
// positions of its two edges.
bool ScaledExtent(int32_t parentPicture, int32_t parentSize, int32_t pos, int32_t off, int32_t own, bool flip,
                  int32_t& extent) {
    if (parentSize <= 0) return false;
    const int64_t scale = ParentPictureScale(parentPicture, parentSize);
    const int64_t p =
        flip ? (int64_t{parentPicture} + off - pos - own) * 65536 : (int64_t{pos} - off) * 65536;
    const int64_t q = p + int64_t{own} * 65536;
    int64_t left = p / scale, right = q / scale;
    if (p % scale > 0x7FFF) ++left;
    if (q % scale > 0) ++right;
    extent = static_cast<int32_t>(std::clamp<int64_t>(right - left, INT32_MIN, INT32_MAX));
    return true;
}

int32_t Scaled(int32_t size, int32_t zoom) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{size} * zoom / 256, INT32_MIN, INT32_MAX));
}

} // namespace

// ---- TVobeCustomImage ----------------------------------------------------------------------------

TVobeCustomImage::TVobeCustomImage(TVobeBaseList* owner)
    : TVobeControl(owner), OwnPicture(std::make_unique<TDIBX>()) {}

TVobeCustomImage::~TVobeCustomImage() = default;

bool TVobeCustomImage::IsAutoSized() {
    return GetMotion() == nullptr;
}

TCustomDIBX* TVobeCustomImage::GetImage() {
    return LentPicture ? LentPicture : OwnPicture.get();
}

TCustomDIBX* TVobeCustomImage::GetMask() {
    return LentMask ? LentMask : OwnMask.get();
}

bool TVobeCustomImage::GetImageSize(int32_t& width, int32_t& height) {
    if (!LentPicture && !HasOwnPicture) {
        width = height = 0;
        return false;
    }
    TCustomDIBX* pic = GetImage();
    width = pic->Width();
    height = pic->Height();
    return true;
}

void TVobeCustomImage::AutoSize() {
    if (!IsAutoSized()) return;
    int32_t pw = 0, ph = 0;
    const bool has = GetImageSize(pw, ph);
    int32_t w = Width, h = Height;
    int32_t ppw = 0, pph = 0;
    const bool onParent = has && PosZoomed && Parent && !Parent->IsBase() && Parent->GetImageSize(ppw, pph);
    if (!has) {
        w = h = 0;
    } else {
        if (ZoomX != 0) {
            int32_t e;
            if (onParent && ZoomX == Parent->GetZoomX() &&
                ScaledExtent(ppw, Parent->Width, Left, OffsetX, pw, FlipH, e))
                w = e;
            else
                w = Scaled(pw, ZoomX);
        }
        if (ZoomY != 0) {
            int32_t e;
            if (onParent && ZoomY == Parent->GetZoomY() &&
                ScaledExtent(pph, Parent->Height, Top, OffsetY, ph, FlipV, e))
                h = e;
            else
                h = Scaled(ph, ZoomY);
        }
    }
    if (w == Width && h == Height) return;
    Invalidate();
    Width = w;
    Height = h;
    Invalidate();
}

int32_t TVobeCustomImage::UsedZoomX(int32_t pictureWidth) {
    if (ZoomX != 0 || pictureWidth <= 0) return ZoomX;
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{Width} * 256 / pictureWidth, 0, INT32_MAX));
}

int32_t TVobeCustomImage::UsedZoomY(int32_t pictureHeight) {
    if (ZoomY != 0 || pictureHeight <= 0) return ZoomY;
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{Height} * 256 / pictureHeight, 0, INT32_MAX));
}

TRect TVobeCustomImage::PlainScreenRect() {
    return ScreenBounds(GetScreenLeft(), GetScreenTop(), Width, Height);
}

TRect TVobeCustomImage::GetScreenRect() {
    int32_t pw, ph;
    if (Angle == 0 || !GetImageSize(pw, ph) || pw <= 0 || ph <= 0) return PlainScreenRect();
    const TPoint a = GetAnchorPoint();
    return TCustomDIBX::RotatedBounds(a.X, a.Y, OffsetX, OffsetY, FlipH, FlipV, pw, ph, UsedZoomX(pw),
                                      UsedZoomY(ph), TRect{0, 0, pw, ph}, Angle);
}

void TVobeCustomImage::Draw() {
    int32_t pw, ph;
    if (GetImageSize(pw, ph) && pw > 0 && ph > 0 && Drawn(Alpha) && Width >= 1 && Height >= 1) Render();
    DrawChildren();
}

void TVobeCustomImage::Render() {
    TCustomDIBX* s = GetSurface();
    TCustomDIBX* pic = GetImage();
    if (!s || !pic || pic->IsEmpty() || !Drawn(Alpha)) return;
    TCustomDIBX* mask = GetMask();
    const int32_t pw = pic->Width(), ph = pic->Height();
    const TRect whole{0, 0, pw, ph};
    const bool keyed = pic->TransparentColor != -1;
    const int32_t a = Alpha;

    if (Angle != 0) {
        const TPoint anchor = GetAnchorPoint();
        const int32_t px = FlipH ? pw - OffsetX - 1 : OffsetX;
        const int32_t py = FlipV ? ph - OffsetY - 1 : OffsetY;
        if (mask)
            s->DrawRotateMask(anchor.X, anchor.Y, a, FlipV, FlipH, mask, Angle, py, px, whole, pic,
                              UsedZoomY(ph), UsedZoomX(pw));
        else
            s->DrawRotate(anchor.X, anchor.Y, a, FlipV, FlipH, keyed, Angle, py, px, whole, pic,
                          UsedZoomY(ph), UsedZoomX(pw));
        return;
    }

    const int32_t x = GetScreenLeft(), y = GetScreenTop();
    if (pw == Width && ph == Height) {
        auto piece = [&](int32_t dx, int32_t dy, TRect src) {
            if (mask) {
                if (a < 255)
                    s->DrawMaskAlpha(dx, dy, a, mask, FlipV, FlipH, src, pic);
                else if (a == 255)
                    s->DrawMask(dx, dy, mask, FlipV, FlipH, src, pic);
                else
                    s->DrawMaskAdd(dx, dy, a - 256, mask, FlipV, FlipH, src, pic);
            } else {
                if (a < 255)
                    s->DrawAlpha(dx, dy, a, FlipV, FlipH, keyed, src, pic);
                else if (a == 255)
                    s->Draw(dx, dy, FlipV, FlipH, keyed, src, pic);
                else
                    s->DrawAdd(dx, dy, a - 256, FlipV, FlipH, src, pic);
            }
        };
        if (!pic->DrawRects.empty() && !dynamic_cast<TDIBXWave*>(s)) {
            // Only the opaque parts the picture lists; each lands where the mirrored picture has it.
            for (const TRect& r0 : pic->DrawRects) {
                const TRect r = IntersectRect(r0, whole);
                if (r.IsEmpty()) continue;
                const int32_t dx = FlipH ? pw - r.Right : r.Left;
                const int32_t dy = FlipV ? ph - r.Bottom : r.Top;
                piece(x + dx, y + dy, r);
            }
        } else {
            piece(x, y, whole);
        }
        return;
    }

    const TRect dest = ScreenBounds(x, y, Width, Height);
    if (mask) {
        if (a <= 255)
            s->StretchDrawMaskAlpha(dest, pic, a, mask, FlipV, FlipH, whole);
        else
            s->StretchDrawMaskAdd(dest, pic, a - 256, mask, FlipV, FlipH, whole);
    } else {
        if (a <= 255)
            s->StretchDrawAlpha(dest, pic, a, FlipV, FlipH, keyed, whole);
        else
            s->StretchDrawAdd(dest, pic, a - 256, FlipV, FlipH, keyed, whole);
    }
}

bool TVobeCustomImage::PointOnImage(TPoint p) {
    if (Angle != 0) {
        // Back into the unrotated picture, around the anchor point.
        const TPoint a = GetAnchorPoint();
        const long double w = -static_cast<long double>(Angle) * 2.0L * 3.14159265358979323846L / 256.0L;
        const long double dx = static_cast<long double>(p.X) - a.X, dy = static_cast<long double>(p.Y) - a.Y;
        const long double rx = std::round(dx * std::cos(w) - dy * std::sin(w));
        const long double ry = std::round(dx * std::sin(w) + dy * std::cos(w));
        p = TPoint{static_cast<int32_t>(std::clamp<long double>(a.X + rx, INT32_MIN, INT32_MAX)),
                   static_cast<int32_t>(std::clamp<long double>(a.Y + ry, INT32_MIN, INT32_MAX))};
    }
    const TRect r = PlainScreenRect();
    if (!r.Contains(p.X, p.Y)) return false;
    TCustomDIBX* mask = GetMask();
    int32_t pw, ph;
    if (!CaptureMask || !mask || !GetImageSize(pw, ph) || pw <= 0 || ph <= 0) return true;
    const int32_t zx = UsedZoomX(pw), zy = UsedZoomY(ph);
    if (zx <= 0 || zy <= 0) return false;
    int64_t mx = (int64_t{p.X} - r.Left) * 256 / zx;
    int64_t my = (int64_t{p.Y} - r.Top) * 256 / zy;
    if (FlipH) mx = pw - 1 - mx;
    if (FlipV) my = ph - 1 - my;
    if (mx < 0 || my < 0 || mx >= mask->Width() || my >= mask->Height()) return false;
    return mask->GetPixel(static_cast<int32_t>(mx), static_cast<int32_t>(my)) > 127;
}

TVobeObject* TVobeCustomImage::HitTest(TPoint p, TAcceptSet acceptSet) {
    if (!GetVisible() || !GetScreenRect().Contains(p.X, p.Y)) return nullptr;
    for (size_t i = Children.size(); i-- > 0;)
        if (TVobeObject* hit = Children[i]->HitTest(p, acceptSet)) return hit;
    if (IgnoreMouse <= 7 && ((acceptSet >> IgnoreMouse) & 1) && PointOnImage(p)) return this;
    return nullptr;
}

bool TVobeCustomImage::Update() {
    if (NeedsRebuild) {
        NeedsRebuild = false;
        Invalidate();
        AutoSize();
        Invalidate();
    }
    return TVobeControl::Update();
}

void TVobeCustomImage::SetWidth(int32_t v) {
    // An explicit size stretches the picture: the zoom no longer applies.
    if (IsAutoSized()) ZoomX = 0;
    TVobeControl::SetWidth(v);
}

void TVobeCustomImage::SetHeight(int32_t v) {
    if (IsAutoSized()) ZoomY = 0;
    TVobeControl::SetHeight(v);
}

void TVobeCustomImage::SetZoomX(int32_t v) {
    SetSizing(ZoomX, std::max(v, 1));
}
void TVobeCustomImage::SetZoomY(int32_t v) {
    SetSizing(ZoomY, std::max(v, 1));
}
void TVobeCustomImage::SetPosZoomed(bool v) {
    SetSizing(PosZoomed, v);
}
void TVobeCustomImage::SetFlipH(bool v) {
    SetSizing(FlipH, v);
}
void TVobeCustomImage::SetFlipV(bool v) {
    SetSizing(FlipV, v);
}

void TVobeCustomImage::RebuildPosZoomedChildren() {
    for (TVobeObject* c : Children)
        if (auto* img = dynamic_cast<TVobeCustomImage*>(c); img && img->PosZoomed) img->NeedsRebuild = true;
}

int32_t TVobeCustomImage::GetOrigWidth() {
    int32_t w, h;
    return GetImageSize(w, h) ? w : 0;
}

int32_t TVobeCustomImage::GetOrigHeight() {
    int32_t w, h;
    return GetImageSize(w, h) ? h : 0;
}

void TVobeCustomImage::SaveToStream(TStream& s) {
    TVobeControl::SaveToStream(s);
    WriteInt32(s, Alpha);
    WriteInt32(s, ZoomX);
    WriteInt32(s, Angle);
    WriteBool(s, FlipH);
    WriteBool(s, FlipV);
    WriteBool(s, CaptureMask);
    WriteInt32(s, ZoomY);
}

void TVobeCustomImage::LoadFromStream(TStream& s, int32_t version) {
    TVobeControl::LoadFromStream(s, version);
    Alpha = ReadInt32(s);
    ZoomX = ReadInt32(s);
    Angle = ReadInt32(s);
    FlipH = ReadBool(s);
    FlipV = ReadBool(s);
    CaptureMask = ReadBool(s);
    if (version > 103) ZoomY = ReadInt32(s);
}

// ---- TVobeImage ----------------------------------------------------------------------------------

void TVobeImage::SetSource(const std::string& v) {
    if (v == Source) return;
    Source = v;
    Reload();
}

void TVobeImage::SetBrightness(int32_t v) {
    v = std::clamp(v, 0, 255);
    if (v == Brightness) return;
    Brightness = v;
    Reload();
}

void TVobeImage::Reload() {
    Invalidate();
    if (Source.empty() || !VaskMan) {
        // Nothing to show.
        HasOwnPicture = false;
        OwnMask.reset();
        AutoSize();
        Invalidate();
        return;
    }
    TVaskItem* item = VaskMan->Acquire(this, Source, false, false);
    if (ZoomX != 0) Width = Scaled(item->Width, ZoomX);
    if (ZoomY != 0) Height = Scaled(item->Height, ZoomY);
    const TVaskItemFrame* f = item->Frame(0);
    AssignPicture(f ? f->Picture.get() : nullptr, f ? f->Mask.get() : nullptr);
    VaskMan->Release(item, this);
    if (Brightness < 255) {
        // The key moves with the pixels it stands for.
        const int32_t d = 255 - Brightness;
        const uint32_t grey = static_cast<uint32_t>(OwnPicture->ColorToPixel(d | (d << 8) | (d << 16)));
        const int32_t key = OwnPicture->TransparentColor;
        if (key != -1 && !OwnPicture->IsEmpty()) {
            TDIBX probe;
            probe.SetSize(1, 1, OwnPicture->BitCount());
            probe.SetPixel(0, 0, static_cast<uint32_t>(key));
            probe.FillRectSub(TRect{0, 0, 1, 1}, grey);
            OwnPicture->TransparentColor = static_cast<int32_t>(probe.GetPixel(0, 0));
        }
        OwnPicture->FillRectSub(OwnPicture->BoundsRect(), grey);
    }
    Invalidate();
}

void TVobeImage::AssignPicture(TCustomDIBX* picture, TCustomDIBX* mask) {
    Invalidate();
    if (!picture) {
        HasOwnPicture = false;
        OwnMask.reset();
        Invalidate();
        return;
    }
    OwnPicture->SetSize(picture->Width(), picture->Height(), picture->BitCount());
    OwnPicture->ClipRect = TRect{};
    OwnPicture->Assign(picture);
    OwnPicture->TransparentColor = picture->TransparentColor;
    OwnPicture->DrawRects = picture->DrawRects;
    OwnPicture->SpareRects = picture->SpareRects;
    if (mask) {
        if (!OwnMask) OwnMask = std::make_unique<TDIBX>();
        OwnMask->SetSize(mask->Width(), mask->Height(), 8);
        OwnMask->ClipRect = TRect{};
        OwnMask->Assign(mask);
    } else {
        OwnMask.reset();
    }
    HasOwnPicture = true;
    if (ZoomX != 0) Width = Scaled(picture->Width(), ZoomX);
    if (ZoomY != 0) Height = Scaled(picture->Height(), ZoomY);
    Invalidate();
}

void TVobeImage::RestoreSurfaces() {
    TVobeCustomImage::RestoreSurfaces();
    if (!Source.empty()) Reload();
}

void TVobeImage::SaveToStream(TStream& s) {
    TVobeCustomImage::SaveToStream(s);
    WriteStr(s, Source);
    WriteInt32(s, Brightness);
}

void TVobeImage::LoadFromStream(TStream& s, int32_t version) {
    TVobeCustomImage::LoadFromStream(s, version);
    SetSource(ReadStr(s));
    SetBrightness(ReadInt32(s));
}

} // namespace vobe
