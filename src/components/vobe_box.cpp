#include "components/vobe_box.h"

#include "archive/stream.h"
#include "archive/utils.h"
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

void TVobeBox::Draw() {
    TCustomDIBX* s = GetSurface();
    if (s && GetVisible() && Alpha > 0 && Alpha < 512) {
        const TRect r = GetScreenRect();
        const int32_t a = Alpha;
        // The pixel an additive fill adds: the colour scaled by the level (alpha - 256) / 256.
        auto added = [&](int32_t colour) {
            return static_cast<uint32_t>(
                s->ColorToPixel(static_cast<int32_t>(ScaleColor(static_cast<uint32_t>(colour), a - 256))));
        };
        auto fill = [&](const TRect& area, int32_t colour) {
            if (a == 255)
                s->FillRect(area, static_cast<uint32_t>(s->ColorToPixel(colour)));
            else if (a < 255)
                s->FillRectAlpha(area, static_cast<uint32_t>(s->ColorToPixel(colour)), a);
            else
                s->FillRectAdd(area, added(colour));
        };
        if (BorderWidth > 0 && BorderColor >= 0) {
            if (a == 255)
                s->FrameRect(r, BorderWidth, static_cast<uint32_t>(s->ColorToPixel(BorderColor)));
            else if (a < 255)
                s->FrameRectAlpha(r, BorderWidth, a, static_cast<uint32_t>(s->ColorToPixel(BorderColor)));
            else
                s->FrameRectAdd(r, BorderWidth, added(BorderColor));
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
