#include "components/vobe_box.h"

#include "archive/stream.h"
#include "framework/vobe_motion.h"
#include "graphics/dibx.h"
#include "platform/cp932.h"

namespace vobe {

namespace {

bool HasExtension(const std::string& name, const char* ext) {
    const size_t n = std::char_traits<char>::length(ext);
    return name.size() >= n && AnsiSameText(std::string_view(name).substr(name.size() - n), ext);
}

} // namespace

bool IsMotionFile(const std::string& fileName) {
    return HasExtension(fileName, ".vmt");
}
bool IsPictureFile(const std::string& fileName) {
    return HasExtension(fileName, ".vsk");
}

namespace {

// The colour an additive fill adds: each channel scaled by the level (alpha - 256) / 256.
int32_t ScaledColor(int32_t colour, int32_t level) {
    const uint32_t c = static_cast<uint32_t>(colour);
    const uint32_t l = static_cast<uint32_t>(level);
    const uint32_t r = ((c & 0xFF) * l) >> 8, g = (((c >> 8) & 0xFF) * l) >> 8,
                   b = (((c >> 16) & 0xFF) * l) >> 8;
    return static_cast<int32_t>(r | (g << 8) | (b << 16));
}

} // namespace

void TVobeBox::Draw() {
    TCustomDIBX* s = GetSurface();
    if (s && GetVisible() && Alpha > 0 && Alpha < 512) {
        const TRect r = GetScreenRect();
        const int32_t a = Alpha;
        auto fill = [&](const TRect& area, int32_t colour) {
            if (a == 255)
                s->FillRect(area, static_cast<uint32_t>(s->ColorToPixel(colour)));
            else if (a < 255)
                s->FillRectAlpha(area, static_cast<uint32_t>(s->ColorToPixel(colour)), a);
            else
                s->FillRectAdd(area, static_cast<uint32_t>(s->ColorToPixel(ScaledColor(colour, a - 256))));
        };
        if (BorderWidth > 0 && BorderColor >= 0) {
            if (a == 255)
                s->FrameRect(r, BorderWidth, static_cast<uint32_t>(s->ColorToPixel(BorderColor)));
            else if (a < 255)
                s->FrameRectAlpha(r, BorderWidth, a, static_cast<uint32_t>(s->ColorToPixel(BorderColor)));
            else
                s->FrameRectAdd(r, BorderWidth,
                                static_cast<uint32_t>(s->ColorToPixel(ScaledColor(BorderColor, a - 256))));
        }
        if (BorderWidth > 0 && Color >= 0) {
            const int64_t bw = BorderWidth;
            if (int64_t{r.Right} - r.Left > 2 * bw && int64_t{r.Bottom} - r.Top > 2 * bw)
                fill(TRect{static_cast<int32_t>(r.Left + bw), static_cast<int32_t>(r.Top + bw),
                           static_cast<int32_t>(r.Right - bw), static_cast<int32_t>(r.Bottom - bw)},
                     Color);
        } else if (BorderWidth == 0 && Color >= 0) {
            fill(r, Color);
        }
    }
    DrawChildren();
}

void TVobeBox::SetSource(const std::string& v) {
    if (v == Source) return;
    Source = v;
    Invalidate();
    Motion.reset();
    if (IsMotionFile(v)) SetMotion(v);
    Invalidate();
}

void TVobeBox::SetRepeat(bool v) {
    Repeat = v;
    if (v) {
        TVobeMotion* m = GetMotion();
        if (m && m->IsFinished()) RestartMotion();
    }
}

void TVobeBox::SaveToStream(TStream& s) {
    TVobeControl::SaveToStream(s);
    WriteInt32(s, BorderWidth);
    WriteInt32(s, BorderColor);
    WriteInt32(s, Alpha);
    WriteStr(s, IdleHandler);
    WriteStr(s, Source);
    WriteBool(s, Repeat);
    WriteBool(s, AutoScrap);
    WriteStr(s, PlayEndHandler);
    WriteBool(s, Paused);
    WriteBool(s, AniPaused);
}

void TVobeBox::LoadFromStream(TStream& s, int32_t version) {
    TVobeControl::LoadFromStream(s, version);
    BorderWidth = ReadInt32(s);
    BorderColor = ReadInt32(s);
    Alpha = ReadInt32(s);
    if (version > 103) {
        IdleHandler = ReadStr(s);
        SetSource(ReadStr(s));
        Repeat = ReadBool(s);
        AutoScrap = ReadBool(s);
        PlayEndHandler = ReadStr(s);
        Paused = ReadBool(s);
        AniPaused = ReadBool(s);
    }
}

} // namespace vobe
