#include "components/vobe_tile.h"

#include <algorithm>

#include "archive/stream.h"
#include "components/vask_man.h"
#include "components/vobe_box.h"
#include "graphics/dibx.h"

namespace vobe {

TVobeTile::TVobeTile(TVobeBaseList* owner)
    : TVobeCustomImages(owner), FList(std::make_unique<TVobeImageList>()) {}

TVobeTile::~TVobeTile() {
    DropLent();
    FList.reset();
}

void TVobeTile::SetSource(const std::string& v) {
    if (v == Source) return;
    Source = v;
    Invalidate();
    Current = -1;
    DropLent();
    FList->Clear();
    Motion.reset();
    // .vsk frames come from the picture cache, .vmt motions from the film player; other names load
    // nothing.
    if (IsPictureFile(v))
        LoadList(*FList, v);
    else if (IsMotionFile(v))
        SetMotion(v);
    if (FrameCount() > 0) SetIndex(0);
    Invalidate();
}

void TVobeTile::Render() {
    TCustomDIBX* s = GetSurface();
    TCustomDIBX* pic = GetImage();
    if (!s || !pic || pic->IsEmpty()) return;
    const int32_t a = Alpha;
    if (a <= 0 || a >= 512 || Width <= 0 || Height <= 0 || ZoomX <= 0 || ZoomY <= 0) return;
    TCustomDIBX* mask = GetMask();
    const int32_t pw = pic->Width(), ph = pic->Height();
    const bool keyed = pic->TransparentColor != -1;
    const TRect dest = PlainScreenRect();
    const bool spacedX = DistanceX >= 1 && int64_t{DistanceX} * 2 >= pw;
    const bool spacedY = DistanceY >= 1 && int64_t{DistanceY} * 2 >= ph;
    if (!spacedX && !spacedY) {
        // Edge to edge; the scroll moves the pattern (in screen pixels, so through the zoom).
        if (ZoomX == 256 && ZoomY == 256 && !keyed && !mask && a == 255) {
            s->TileFill(dest, pic, FlipV, FlipH, ScrollY, ScrollX);
        } else {
            const int32_t ox = static_cast<int32_t>(int64_t{ScrollX} * 256 / ZoomX);
            const int32_t oy = static_cast<int32_t>(int64_t{ScrollY} * 256 / ZoomY);
            if (mask)
                s->TileZoomMask(dest, ZoomX, a, mask, FlipV, FlipH, oy, ox, pic, ZoomY);
            else
                s->TileZoom(dest, ZoomX, a, FlipV, FlipH, keyed, oy, ox, pic, ZoomY);
        }
        return;
    }
    const int32_t dx = spacedX ? DistanceX : pw;
    const int32_t dy = spacedY ? DistanceY : ph;
    auto copies = [&](TRect src, int32_t shiftX, int32_t shiftY) {
        const int32_t ox = static_cast<int32_t>(int64_t{ScrollX} - shiftX);
        const int32_t oy = static_cast<int32_t>(int64_t{ScrollY} - shiftY);
        if (mask)
            s->TileStretchDrawMask(dest, dx, oy, ox, a, FlipV, FlipH, mask, src, pic, ZoomY, ZoomX, dy);
        else
            s->TileStretchDraw(dest, dx, oy, ox, a, FlipV, FlipH, keyed, src, pic, ZoomY, ZoomX, dy);
    };
    const TRect whole{0, 0, pw, ph};
    if (ZoomX == 256 && ZoomY == 256 && !pic->DrawRects.empty() && !FlipH && !FlipV) {
        // Only the opaque parts of each copy.
        for (const TRect& r0 : pic->DrawRects) {
            const TRect r = IntersectRect(r0, whole);
            if (!r.IsEmpty()) copies(r, r.Left, r.Top);
        }
        return;
    }
    copies(whole, 0, 0);
}

int32_t TVobeTile::GetLocalLeft() {
    return static_cast<int32_t>(int64_t{Motion ? MotionX : Left} + PlusX);
}
int32_t TVobeTile::GetLocalTop() {
    return static_cast<int32_t>(int64_t{Motion ? MotionY : Top} + PlusY);
}

int32_t TVobeTile::GetScreenLeft() {
    int64_t x = GetLocalLeft();
    if (Parent) x += int64_t{Parent->GetScreenLeft()} - Parent->GetScrollX();
    return static_cast<int32_t>(x);
}

int32_t TVobeTile::GetScreenTop() {
    int64_t y = GetLocalTop();
    if (Parent) y += int64_t{Parent->GetScreenTop()} - Parent->GetScrollY();
    return static_cast<int32_t>(y);
}

void TVobeTile::SaveToStream(TStream& s) {
    TVobeCustomImages::SaveToStream(s);
    WriteStr(s, Source);
    WriteInt32(s, ScrollX);
    WriteInt32(s, ScrollY);
    WriteStr(s, IdleHandler);
    WriteInt32(s, DistanceX);
    WriteInt32(s, DistanceY);
}

void TVobeTile::LoadFromStream(TStream& s, int32_t version) {
    TVobeCustomImages::LoadFromStream(s, version);
    const int32_t current = Current;
    const int32_t remaining = Remaining;
    const std::string source = ReadStr(s);
    Current = -1;
    SetSource(source);
    ScrollX = ReadInt32(s);
    ScrollY = ReadInt32(s);
    IdleHandler = ReadStr(s);
    DistanceX = ReadInt32(s);
    DistanceY = ReadInt32(s);
    Remaining = 0;
    Current = -1;
    SetIndex(current);
    Remaining = remaining;
}

} // namespace vobe
