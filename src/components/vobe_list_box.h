// The text list box with its 3x3 picture frame, picture scroll bar and check marks, and the pop-up
// menu that opens and closes with an animation.
#pragma once

#include <array>
#include <vector>

#include "framework/vobe_object.h"

namespace vobe {

// The font settings of one set of item labels, in the order of their stream form. The item labels of
// the text layout take these over; the list box keeps and saves them.
struct TLabelListSettings {
    int32_t Antialias = 3; // 0-3
    int32_t BorderWidth = 0;
    int32_t Alpha = 255;
    int32_t FontHeight = 12;
    std::string FontName; // "ＭＳ Ｐゴシック" (set by the constructor)
    int32_t FontColor = 0xFFFFFF;
    int32_t BorderColor = 0;
    uint8_t Style = 0;
    std::array<uint8_t, 212> Metrics{}; // the font metrics as last measured
    int32_t ShadowOffset = 0;
    int32_t ShadowColor = 0;

    TLabelListSettings();
    void SaveSettings(TStream& s) const;
    // Below version 109 a stored Antialias above 1 means 3 and any other 0; the shadow is read from
    // version 122 on.
    void LoadSettings(TStream& s, int32_t version);
};

// One cell of the 3x3 frame.
struct TListBoxCell {
    std::string Source;
    uint8_t HAlign = 0;
    uint8_t VAlign = 0;
};

class TVobeCustomListBox : public TVobeControl {
public:
    explicit TVobeCustomListBox(TVobeBaseList* owner);

    std::string Text; // the items, one per line
    std::vector<std::string> Items;
    int32_t LineSpace = 0;
    int32_t Alpha = 0;
    int32_t MarginX = 0, MarginY = 0;
    int32_t BorderWidth = 0;
    int32_t BorderColor = 0;
    int32_t RowCount = 0;
    std::array<TListBoxCell, 9> Cells; // TL, TC, TR, CL, CC, CR, BL, BC, BR
    std::string ScrollSource, CheckSource;
    int32_t TopIndex = 0;
    uint8_t HAlign = 0;
    std::vector<uint8_t> Checks;
    std::string MapInHandler, MapOutHandler, SelectHandler;
    bool Paused = false;
    int32_t Index = 0;
    std::string IdleHandler;
    TLabelListSettings NormalLabels, HoverLabels;
    int32_t Phase = 0; // the open/close step of a menu
    int32_t Hovered = -1;
    bool NeedsRelayout = false;

    int32_t ItemCount() const { return static_cast<int32_t>(Items.size()); }
    // Menus keep a hover colour and style of their own; a plain list box sets both label sets.
    virtual bool HasHoverFont() { return false; }

    VOBE_VISUAL_PROPERTY(Int, BorderWidth, BorderWidth)
    VOBE_VISUAL_PROPERTY(Int, BorderColor, BorderColor)
    VOBE_VISUAL_PROPERTY(Int, Alpha, Alpha)
    std::string GetFontName() override { return NormalLabels.FontName; }
    void SetFontName(const std::string& v) override;
    int32_t GetFontHeight() override { return NormalLabels.FontHeight; }
    void SetFontHeight(int32_t v) override;
    int32_t GetFontStyle() override { return NormalLabels.Style; }
    void SetFontStyle(int32_t v) override;
    int32_t GetLineSpace() override { return LineSpace; }
    void SetLineSpace(int32_t v) override;
    int32_t GetFontColor() override { return NormalLabels.FontColor; }
    void SetFontColor(int32_t v) override;
    int32_t GetFontBorderColor() override { return NormalLabels.BorderColor; }
    void SetFontBorderColor(int32_t v) override { SetFont(NormalLabels.BorderColor, v); }
    int32_t GetFontShadowColor() override { return NormalLabels.ShadowColor; }
    void SetFontShadowColor(int32_t v) override { SetFont(NormalLabels.ShadowColor, v); }
    int32_t GetFontBorder() override { return NormalLabels.BorderWidth; }
    void SetFontBorder(int32_t v) override { SetFont(NormalLabels.BorderWidth, v); }
    int32_t GetFontShadow() override { return NormalLabels.ShadowOffset; }
    void SetFontShadow(int32_t v) override { SetFont(NormalLabels.ShadowOffset, v); }
    int32_t GetFontHoverBorder() override { return HoverLabels.BorderWidth; }
    void SetFontHoverBorder(int32_t v) override { SetFont(HoverLabels.BorderWidth, v); }
    int32_t GetFontHoverBorderColor() override { return HoverLabels.BorderColor; }
    void SetFontHoverBorderColor(int32_t v) override { SetFont(HoverLabels.BorderColor, v); }
    int32_t GetFontHoverShadow() override { return HoverLabels.ShadowOffset; }
    void SetFontHoverShadow(int32_t v) override { SetFont(HoverLabels.ShadowOffset, v); }
    int32_t GetFontHoverShadowColor() override { return HoverLabels.ShadowColor; }
    void SetFontHoverShadowColor(int32_t v) override { SetFont(HoverLabels.ShadowColor, v); }
    bool GetAntialias() override { return NormalLabels.Antialias > 0; }
    void SetAntialias(bool v) override;
    VOBE_FIELD_PROPERTY(Flag, Paused, Paused)
    int32_t GetIndex() override { return Index; }
    void SetIndex(int32_t v) override { Index = v; }
    int32_t GetCount() override { return ItemCount(); }
    int32_t GetRowCount() override { return RowCount; }
    void SetRowCount(int32_t v) override { SetFont(RowCount, v); }
    int32_t GetTopIndex() override { return TopIndex; }
    void SetTopIndex(int32_t v) override;
    std::string GetText() override { return Text; }
    void SetText(const std::string& v) override;
    int32_t GetMarginX() override { return MarginX; }
    void SetMarginX(int32_t v) override { SetFont(MarginX, v); }
    int32_t GetMarginY() override { return MarginY; }
    void SetMarginY(int32_t v) override { SetFont(MarginY, v); }
    VOBE_VISUAL_PROPERTY(Int, HAlign, HAlign)
    std::string GetBorderSource(int32_t cell) override;
    void SetBorderSource(int32_t cell, const std::string& value) override;
    int32_t GetBorderHAlign(int32_t cell) override;
    void SetBorderHAlign(int32_t cell, int32_t value) override;
    int32_t GetBorderVAlign(int32_t cell) override;
    void SetBorderVAlign(int32_t cell, int32_t value) override;
    std::string GetScrollSource() override { return ScrollSource; }
    void SetScrollSource(const std::string& v) override { SetFont(ScrollSource, v); }
    std::string GetCheckSource() override { return CheckSource; }
    void SetCheckSource(const std::string& v) override { SetFont(CheckSource, v); }
    VOBE_FIELD_PROPERTY(Str, OnSelect, SelectHandler)
    VOBE_FIELD_PROPERTY(Str, OnMapIn, MapInHandler)
    VOBE_FIELD_PROPERTY(Str, OnMapOut, MapOutHandler)
    VOBE_FIELD_PROPERTY(Str, OnIdle, IdleHandler)

    bool GetItemCheck(int32_t index) override;
    void SetItemCheck(int32_t index, bool value) override;

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;

protected:
    // A setting that changes the size or the labels: repaint and lay out again at the next update.
    template <class F, class V> void SetFont(F& field, const V& v) {
        const F nv = static_cast<F>(v);
        if (field == nv) return;
        Invalidate();
        field = nv;
        NeedsRelayout = true;
    }
};

class TVobeMenu : public TVobeCustomListBox {
public:
    explicit TVobeMenu(TVobeBaseList* owner);
    ~TVobeMenu() override;

    int32_t Delay = 0; // ms of the open and close animation
    int32_t HoverColor = 0;
    bool AutoScrap = false;
    bool RClickScrap = false;
    uint8_t PlayState = 2; // 0 open now, 1 open animated, 2 closed now, 3 close animated
    std::string OpeningHandler, OpenedHandler, ClosingHandler, ClosedHandler;
    int32_t FullHeight = 0;
    int32_t StartTime = 0;
    bool Suspended = false; // set once closing has begun

    uint8_t GetCompoType() override { return ctMenu; }
    bool HasHoverFont() override { return true; }
    void Created() override;
    bool IsSuspended() override { return Suspended; }

    int32_t GetFontHoverColor() override { return HoverLabels.FontColor; }
    void SetFontHoverColor(int32_t v) override { SetFont(HoverLabels.FontColor, v); }
    int32_t GetFontHoverStyle() override { return HoverLabels.Style; }
    void SetFontHoverStyle(int32_t v) override { SetFont(HoverLabels.Style, static_cast<uint8_t>(v)); }
    VOBE_VISUAL_PROPERTY(Int, HoverColor, HoverColor)
    VOBE_FIELD_PROPERTY(Int, Delay, Delay)
    VOBE_FIELD_PROPERTY(Flag, AutoScrap, AutoScrap)
    VOBE_FIELD_PROPERTY(Flag, RClickScrap, RClickScrap)
    VOBE_FIELD_PROPERTY(Str, OnOpening, OpeningHandler)
    VOBE_FIELD_PROPERTY(Str, OnOpened, OpenedHandler)
    VOBE_FIELD_PROPERTY(Str, OnClosing, ClosingHandler)
    VOBE_FIELD_PROPERTY(Str, OnClosed, ClosedHandler)
    // The height the opening animation grows to while it runs.
    int32_t GetOrigHeight() override { return PlayState == 1 || PlayState == 3 ? FullHeight : Height; }
    int32_t GetPlayState() override { return PlayState; }
    void SetPlayState(int32_t state) override;

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;
};

} // namespace vobe
