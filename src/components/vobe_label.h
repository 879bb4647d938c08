// Text labels: TVobeLabel draws lines of plain text in a system font; TVobeCGLabel draws text with
// glyph cells cut from a picture sheet.
#pragma once

#include <vector>

#include "framework/vobe_object.h"

namespace vobe {

// Splits text into lines at CR LF, CR or LF; a trailing line break adds no empty line, so "" has no
// lines and "A\r\n" one.
std::vector<std::string> SplitTextLines(const std::string& text);

class TVobeLabel : public TVobeControl {
public:
    explicit TVobeLabel(TVobeBaseList* owner);

    std::vector<std::string> Lines;
    std::string FontName; // "ＭＳ Ｐゴシック"; "" means "ＭＳ ゴシック"
    int32_t FontHeight = 12;
    int32_t LineSpace = 0;
    uint8_t FontStyle = 0;
    int32_t Alpha = 255;
    int32_t FontColor = 0;
    uint8_t HAlign = 0; // 0 left, 1 centre, 2 right
    bool Antialias = false;
    bool FlipH = false, FlipV = false;
    int32_t Angle = 0;
    int32_t TextWidth = 0, TextHeight = 0;
    int32_t ZoomX = 256, ZoomY = 256;
    std::string IdleHandler;
    std::string Source; // a .vmt motion or ""
    bool Repeat = false, AutoScrap = false;
    std::string PlayEndHandler;
    bool Paused = false;

    uint8_t GetCompoType() override { return ctLabel; }

    std::string GetSource() override { return Source; }
    void SetSource(const std::string& v) override;
    int32_t GetZoomX() override { return ZoomX; }
    void SetZoomX(int32_t v) override;
    int32_t GetZoomY() override { return ZoomY; }
    void SetZoomY(int32_t v) override;
    VOBE_VISUAL_PROPERTY(Int, Alpha, Alpha)
    std::string GetFontName() override { return FontName; }
    void SetFontName(const std::string& v) override { SetRendered(FontName, v); }
    int32_t GetFontHeight() override { return FontHeight; }
    void SetFontHeight(int32_t v) override { SetRendered(FontHeight, v); }
    int32_t GetFontStyle() override { return FontStyle; }
    void SetFontStyle(int32_t v) override { SetRendered(FontStyle, static_cast<uint8_t>(v)); }
    int32_t GetLineSpace() override { return LineSpace; }
    void SetLineSpace(int32_t v) override { SetRendered(LineSpace, v); }
    int32_t GetFontColor() override { return FontColor; }
    void SetFontColor(int32_t v) override { SetRendered(FontColor, v); }
    bool GetAntialias() override { return Antialias; }
    void SetAntialias(bool v) override { SetRendered(Antialias, v); }
    VOBE_FIELD_PROPERTY(Flag, Paused, Paused)
    bool GetRepeat() override { return Repeat; }
    void SetRepeat(bool v) override;
    VOBE_VISUAL_PROPERTY(Int, Angle, Angle)
    VOBE_FIELD_PROPERTY(Str, OnPlayEnd, PlayEndHandler)
    // Lines joined with CR LF.
    std::string GetText() override;
    void SetText(const std::string& v) override;
    int32_t GetHAlign() override { return HAlign; }
    void SetHAlign(int32_t v) override { SetRendered(HAlign, static_cast<uint8_t>(v)); }
    VOBE_FIELD_PROPERTY(Flag, AutoScrap, AutoScrap)
    VOBE_VISUAL_PROPERTY(Flag, FlipH, FlipH)
    VOBE_VISUAL_PROPERTY(Flag, FlipV, FlipV)
    VOBE_FIELD_PROPERTY(Str, OnIdle, IdleHandler)

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;

protected:
    // Re-measures and re-renders the text (with the glyph cache of the text layout).
    virtual void Relayout() { Invalidate(); }
    // A setting of the rendered text changed.
    template <class F> void SetRendered(F& field, const F& v) {
        if (field == v) return;
        field = v;
        Relayout();
    }
};

class TVobeCGLabel : public TVobeControl {
public:
    using TVobeControl::TVobeControl;

    std::string Source; // the glyph sheet (.vsk)
    std::string Text;
    std::string MapText; // the characters of the sheet in cell order
    int32_t GlyphWidth = 1, GlyphHeight = 1;
    int32_t LineSpace = 0;
    bool Paused = false;
    uint8_t HAlign = 0;
    int32_t Alpha = 0;
    std::vector<std::vector<int32_t>> Codes; // per line, the cell of each character (-1: none)
    std::string IdleHandler;

    uint8_t GetCompoType() override { return ctCGLabel; }

    std::string GetSource() override { return Source; }
    void SetSource(const std::string& v) override;
    VOBE_VISUAL_PROPERTY(Int, Alpha, Alpha)
    int32_t GetLineSpace() override { return LineSpace; }
    void SetLineSpace(int32_t v) override;
    VOBE_FIELD_PROPERTY(Flag, Paused, Paused)
    std::string GetText() override { return Text; }
    void SetText(const std::string& v) override;
    VOBE_VISUAL_PROPERTY(Int, HAlign, HAlign)
    // The size of the sheet (with the picture cache).
    int32_t GetOrigWidth() override { return 0; }
    int32_t GetOrigHeight() override { return 0; }
    std::string GetMapText() override { return MapText; }
    void SetMapText(const std::string& v) override;
    int32_t GetGlyphWidth() override { return GlyphWidth; }
    void SetGlyphWidth(int32_t v) override;
    int32_t GetGlyphHeight() override { return GlyphHeight; }
    void SetGlyphHeight(int32_t v) override;
    VOBE_FIELD_PROPERTY(Str, OnIdle, IdleHandler)
    bool GetPlaying() override { return !Paused && !AniPaused; }

    // Text to cell indexes, and the size from them.
    void Recode();
    void Resize();

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;
};

} // namespace vobe
