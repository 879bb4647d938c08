// The message window: tagged text shown page by page with a typing reveal, its events, and the data
// by which it refers to the compiled text of the script (segments of text-insert commands).
#pragma once

#include <memory>
#include <vector>

#include "archive/stream.h"
#include "framework/vobe_object.h"

namespace vobe {

// The settings record of the window's layout engine, in the order of its stream form. The layout
// engine of the text takes these over; the window keeps and saves them.
struct TMesLayoutSettings {
    int32_t OriginX = 0, OriginY = 0;
    int32_t FontSize = 12;
    std::string FontName; // "ＭＳ ゴシック" (set by the constructor)
    int32_t FontColor = 0;
    int32_t Height = 0, Width = 0;
    int32_t Antialias = 3;
    int32_t LineSpace = 0;
    bool Paging = true;
    int32_t LinkColor = 0xFF0000;
    int32_t HoverColor = 0x008000;
    int32_t FadeTime = 0;
    int32_t BorderColor = 0x808080;
    int32_t Alpha = 255;
    bool TextPaused = false;
    int32_t CaretX = 0, CaretY = 0;
    int32_t TextRate = 0;
    bool Events = true; // the window's layout raises notification events
    int32_t ShadowColor = 0;
    int32_t BorderWidth = 0;
    int32_t ShadowOffset = 0;

    TMesLayoutSettings();
    void SaveSettings(TStream& s) const;
    // ShadowColor from version 110 on, BorderWidth and ShadowOffset above 110.
    void LoadSettings(TStream& s, int32_t version);
};

// An ordered list of text segments (parallel arrays): the page file, the text-insert command, the
// line range, its height and the variable text frozen when it was shown.
class TVobeHistData {
public:
    std::vector<std::string> Page; // "" = the same page as the previous non-empty entry
    std::vector<int32_t> Command;
    std::vector<int32_t> FirstLine;
    std::vector<int32_t> LastLine; // -1 = to the end
    std::vector<int32_t> Length;
    std::vector<std::string> FrozenText;
    int32_t TotalLength = 0;

    int32_t Count() const { return static_cast<int32_t>(Command.size()); }
    // Stores "" as the page when it equals (ignoring case) the last non-empty page before it.
    void Add(const std::string& page, int32_t command, int32_t firstLine, int32_t lastLine, int32_t length,
             const std::string& frozenText);
    void Clear();
    // int32 count; per segment: Page, Command, FirstLine, LastLine, Length, FrozenText (read above
    // version 123); then TotalLength.
    void SaveToStream(TStream& s) const;
    void LoadFromStream(TStream& s, int32_t version);
};

// The text data of one window: the segments, and the arrays of the old history form.
class TVobeNewMesData {
public:
    TVobeHistData Segments;
    std::vector<std::string> OldPages;
    std::vector<int32_t> OldCommands;
    std::vector<int32_t> OldIndices;
    std::vector<TPoint> OldSizes; // window width, height

    void ClearOld();
};

class TVobeMes : public TVobeControl {
public:
    explicit TVobeMes(TVobeBaseList* owner);
    ~TVobeMes() override;

    TMesLayoutSettings Layout;
    int32_t PageCount = 0; // laid-out pages (the layout engine fills them)
    int32_t Current = -1;  // the page shown
    int32_t ScrollY = 0;
    int32_t Aux = 0;         // kept and saved, not used
    std::string Reserved[3]; // kept and saved, not used
    std::string PlayingHandler, PlayStartHandler, PlayEndHandler, LinkHandler, NotifyHandler;
    bool Paused = false;
    bool TextPaused = false;
    int32_t TextDelay = 0;
    uint8_t ReadMode = 0; // 0 none, 1 read-tracked text of a page, 2 history view
    int32_t SourceCommand = 0;
    std::string SourcePage;
    TVobeNewMesData MesData;
    std::string PlainText;
    int32_t StartWait = 0;
    std::string IdleHandler;
    bool PackByText = false;
    bool NeedsReset = false, ResetFromStart = false;
    int32_t HistoryOffset = 0;
    bool CaptureLink = false;
    std::unique_ptr<TMemoryStream> PageStates; // page states of a loaded game, applied after loading
    // The page states written into a save (the layout engine produces them).
    std::vector<uint8_t> SavedPageStates;

    uint8_t GetCompoType() override { return ctMes; }

    void SetWidth(int32_t v) override;
    void SetHeight(int32_t v) override;
    int32_t GetAlpha() override { return Layout.Alpha; }
    void SetAlpha(int32_t v) override { SetLayout(Layout.Alpha, v); }
    std::string GetFontName() override { return Layout.FontName; }
    void SetFontName(const std::string& v) override { SetLayout(Layout.FontName, v); }
    int32_t GetFontHeight() override { return Layout.FontSize; }
    void SetFontHeight(int32_t v) override { SetLayout(Layout.FontSize, v); }
    int32_t GetLineSpace() override { return Layout.LineSpace; }
    void SetLineSpace(int32_t v) override { SetLayout(Layout.LineSpace, v); }
    int32_t GetFontColor() override { return Layout.FontColor; }
    void SetFontColor(int32_t v) override { SetLayout(Layout.FontColor, v); }
    int32_t GetFontLinkColor() override { return Layout.LinkColor; }
    void SetFontLinkColor(int32_t v) override { SetLayout(Layout.LinkColor, v); }
    int32_t GetFontBorderColor() override { return Layout.BorderColor; }
    void SetFontBorderColor(int32_t v) override { SetLayout(Layout.BorderColor, v); }
    int32_t GetFontHoverColor() override { return Layout.HoverColor; }
    void SetFontHoverColor(int32_t v) override { SetLayout(Layout.HoverColor, v); }
    int32_t GetFontShadowColor() override { return Layout.ShadowColor; }
    void SetFontShadowColor(int32_t v) override { SetLayout(Layout.ShadowColor, v); }
    int32_t GetFontBorder() override { return Layout.BorderWidth; }
    void SetFontBorder(int32_t v) override { SetLayout(Layout.BorderWidth, v); }
    int32_t GetFontShadow() override { return Layout.ShadowOffset; }
    void SetFontShadow(int32_t v) override { SetLayout(Layout.ShadowOffset, v); }
    bool GetAntialias() override { return Layout.Antialias > 0; }
    void SetAntialias(bool v) override { SetLayout(Layout.Antialias, v ? 3 : 0); }
    int32_t GetDelay() override { return Layout.FadeTime; }
    void SetDelay(int32_t v) override { Layout.FadeTime = v < 0 ? 0 : v; }
    bool GetPaused() override { return Paused; }
    void SetPaused(bool v) override;
    std::string GetText() override { return PlainText; }
    void SetText(const std::string& v) override;
    void AppendText(const std::string& text) override { SetText(text); }
    bool GetTextPaused() override { return TextPaused; }
    void SetTextPaused(bool v) override;
    int32_t GetTextDelay() override { return TextDelay; }
    void SetTextDelay(int32_t v) override;
    int32_t GetIndex() override { return Current; }
    void SetIndex(int32_t v) override;
    int32_t GetCount() override { return PageCount; }
    VOBE_VISUAL_PROPERTY(Int, ScrollY, ScrollY)
    TPoint GetCaretPoint() override { return TPoint{Layout.CaretX, Layout.CaretY}; }
    VOBE_FIELD_PROPERTY(Flag, CaptureLink, CaptureLink)
    VOBE_FIELD_PROPERTY(Str, OnPlaying, PlayingHandler)
    VOBE_FIELD_PROPERTY(Str, OnNotify, NotifyHandler)
    VOBE_FIELD_PROPERTY(Str, OnPlayStart, PlayStartHandler)
    VOBE_FIELD_PROPERTY(Str, OnPlayEnd, PlayEndHandler)
    VOBE_FIELD_PROPERTY(Str, OnLink, LinkHandler)
    VOBE_FIELD_PROPERTY(Str, OnIdle, IdleHandler)
    bool GetPlaying() override;

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;

protected:
    // A layout setting changed: repaint, and restart the page at the next update.
    template <class F, class V> void SetLayout(F& field, const V& v) {
        const F nv = static_cast<F>(v);
        if (field == nv) return;
        Invalidate();
        field = nv;
        NeedsReset = true;
    }
};

} // namespace vobe
