#include "components/vobe_label.h"

#include <algorithm>

#include "archive/stream.h"
#include "components/vobe_box.h"
#include "framework/vobe_motion.h"
#include "platform/cp932.h"

namespace vobe {

std::vector<std::string> SplitTextLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// ---- TVobeLabel ----------------------------------------------------------------------------------

TVobeLabel::TVobeLabel(TVobeBaseList* owner) : TVobeControl(owner), FontName(SJ("ＭＳ Ｐゴシック")) {}

void TVobeLabel::SetSource(const std::string& v) {
    if (v == Source) return;
    Source = v;
    Motion.reset();
    if (IsMotionFile(v)) SetMotion(v);
}

void TVobeLabel::SetRepeat(bool v) {
    Repeat = v;
    TVobeMotion* m = GetMotion();
    if (v && m && m->IsFinished()) m->Rewind();
}

void TVobeLabel::SetZoomX(int32_t v) {
    v = std::max(v, 1);
    if (v == ZoomX) return;
    ZoomX = v;
    Relayout();
}

void TVobeLabel::SetZoomY(int32_t v) {
    v = std::max(v, 1);
    if (v == ZoomY) return;
    ZoomY = v;
    Relayout();
}

std::string TVobeLabel::GetText() {
    std::string t;
    for (size_t i = 0; i < Lines.size(); ++i) {
        if (i) t += "\r\n";
        t += Lines[i];
    }
    return t;
}

void TVobeLabel::SetText(const std::string& v) {
    if (v == GetText()) return;
    Lines = SplitTextLines(v);
    Relayout();
}

void TVobeLabel::SaveToStream(TStream& s) {
    TVobeControl::SaveToStream(s);
    WriteStr(s, FontName);
    WriteInt32(s, FontHeight);
    WriteInt32(s, LineSpace);
    WriteByte(s, FontStyle);
    WriteInt32(s, Alpha);
    WriteInt32(s, FontColor);
    WriteByte(s, HAlign);
    WriteBool(s, Antialias);
    WriteBool(s, FlipH);
    WriteBool(s, FlipV);
    WriteInt32(s, Angle);
    WriteInt32(s, ZoomX);
    WriteStr(s, GetText());
    WriteStr(s, IdleHandler);
    WriteStr(s, Source);
    WriteBool(s, Repeat);
    WriteBool(s, AutoScrap);
    WriteStr(s, PlayEndHandler);
    WriteBool(s, Paused);
    WriteInt32(s, ZoomY);
}

void TVobeLabel::LoadFromStream(TStream& s, int32_t version) {
    TVobeControl::LoadFromStream(s, version);
    FontName = ReadStr(s);
    FontHeight = ReadInt32(s);
    LineSpace = ReadInt32(s);
    FontStyle = ReadByte(s);
    Alpha = ReadInt32(s);
    FontColor = ReadInt32(s);
    HAlign = ReadByte(s);
    Antialias = ReadBool(s);
    FlipH = ReadBool(s);
    FlipV = ReadBool(s);
    Angle = ReadInt32(s);
    ZoomX = ReadInt32(s);
    SetText(ReadStr(s));
    if (version > 103) {
        IdleHandler = ReadStr(s);
        SetSource(ReadStr(s));
        Repeat = ReadBool(s);
        AutoScrap = ReadBool(s);
        PlayEndHandler = ReadStr(s);
        Paused = ReadBool(s);
        ZoomY = ReadInt32(s);
    }
    Relayout();
}

// ---- TVobeCGLabel --------------------------------------------------------------------------------

// The sheet is held as an image list from the picture cache.
void TVobeCGLabel::SetSource(const std::string& v) {
    if (v == Source) return;
    Source = v;
    Invalidate();
}

void TVobeCGLabel::SetText(const std::string& v) {
    Text = v;
    Recode();
    Resize();
}

void TVobeCGLabel::SetMapText(const std::string& v) {
    MapText = v;
    Recode();
    Invalidate();
}

void TVobeCGLabel::SetGlyphWidth(int32_t v) {
    GlyphWidth = std::max(v, 1);
    Resize();
}

void TVobeCGLabel::SetGlyphHeight(int32_t v) {
    GlyphHeight = std::max(v, 1);
    Resize();
}

void TVobeCGLabel::SetLineSpace(int32_t v) {
    LineSpace = v;
    Resize();
}

void TVobeCGLabel::Recode() {
    Codes.clear();
    for (const std::string& line : SplitTextLines(Text)) {
        std::vector<int32_t> codes;
        for (size_t i = 0; i < line.size();) {
            const size_t len =
                IsDBCSLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < line.size() ? 2 : 1;
            const std::string_view ch(line.data() + i, len);
            // The first occurrence in the map that starts on a character of the map (a trail byte
            // followed by a lead byte is no character).
            int32_t index = -1;
            for (size_t k = 0; k < MapText.size();) {
                const size_t klen =
                    IsDBCSLeadByte(static_cast<unsigned char>(MapText[k])) && k + 1 < MapText.size() ? 2 : 1;
                if (std::string_view(MapText).substr(k, klen) == ch) {
                    index = static_cast<int32_t>(k);
                    break;
                }
                k += klen;
            }
            codes.push_back(index);
            i += len;
        }
        Codes.push_back(std::move(codes));
    }
}

void TVobeCGLabel::Resize() {
    size_t longest = 0;
    for (const auto& line : Codes) longest = std::max(longest, line.size());
    const int64_t lines = static_cast<int64_t>(Codes.size());
    const int64_t w = int64_t{GlyphWidth} * static_cast<int64_t>(longest);
    const int64_t h = lines == 0 ? 0 : int64_t{GlyphHeight} * lines + int64_t{LineSpace} * (lines - 1);
    Invalidate();
    Width = static_cast<int32_t>(std::clamp<int64_t>(w, INT32_MIN, INT32_MAX));
    Height = static_cast<int32_t>(std::clamp<int64_t>(h, INT32_MIN, INT32_MAX));
    Invalidate();
}

void TVobeCGLabel::SaveToStream(TStream& s) {
    TVobeControl::SaveToStream(s);
    WriteStr(s, Source);
    WriteStr(s, Text);
    WriteStr(s, MapText);
    WriteInt32(s, GlyphWidth);
    WriteInt32(s, GlyphHeight);
    WriteInt32(s, LineSpace);
    WriteBool(s, Paused);
    WriteByte(s, HAlign);
    WriteInt32(s, Alpha);
    WriteStr(s, IdleHandler);
}

void TVobeCGLabel::LoadFromStream(TStream& s, int32_t version) {
    TVobeControl::LoadFromStream(s, version);
    SetSource(ReadStr(s));
    Text = ReadStr(s);
    MapText = ReadStr(s);
    GlyphWidth = std::max(ReadInt32(s), 1);
    GlyphHeight = std::max(ReadInt32(s), 1);
    LineSpace = ReadInt32(s);
    Paused = ReadBool(s);
    HAlign = ReadByte(s);
    Alpha = ReadInt32(s);
    if (version > 124) IdleHandler = ReadStr(s);
    Recode();
    Resize();
}

} // namespace vobe
