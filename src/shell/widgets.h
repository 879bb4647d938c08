// The few controls the player draws itself (tool-bar buttons, and the check box, track bar, labels and
// push buttons of the configuration dialog), painted into a 32-bit canvas in the classic 3-D look, with
// text through the platform font engine.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/containers.h"

namespace vobe {

constexpr uint32_t clBtnFace = 0xD4D0C8, clBtnHighlight = 0xFFFFFF, clBtnShadow = 0x808080,
                   cl3DDkShadow = 0x404040, clWindowText = 0x000000, clGrayText = 0x808080,
                   clWindow = 0xFFFFFF;

// A picture of 0x00RRGGBB pixels.
class TCanvas {
public:
    TCanvas(int32_t w = 0, int32_t h = 0) { Resize(w, h); }
    void Resize(int32_t w, int32_t h);
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    const uint32_t* Pixels() const { return pixels_.data(); }
    int32_t PitchBytes() const { return width_ * 4; }
    uint32_t PixelAt(int32_t x, int32_t y) const;

    void FillRect(const TRect& r, uint32_t color);
    void HLine(int32_t x0, int32_t x1, int32_t y, uint32_t color); // x1 exclusive
    void VLine(int32_t x, int32_t y0, int32_t y1, uint32_t color); // y1 exclusive
    void SetPixel(int32_t x, int32_t y, uint32_t color);
    // A raised or sunken border of one or two pixels.
    void Edge(const TRect& r, bool raised, bool twoPixels);
    void FocusRect(const TRect& r); // dotted

    // Text of the window font ("ＭＳ Ｐゴシック", 9 pt): y is the top of the text cell.
    static int32_t TextHeight();
    static int32_t TextWidth(const std::string& sjis);
    void TextOut(int32_t x, int32_t y, const std::string& sjis, uint32_t color);
    // A caption with an accelerator: "&S" draws S underlined; "&&" draws one '&'.
    static std::string StripAccel(const std::string& caption);
    static char AccelOf(const std::string& caption); // the upper-case accelerator letter, or 0
    void CaptionOut(int32_t x, int32_t y, const std::string& caption, uint32_t color);
    // Disabled text: embossed in the system's way.
    void CaptionOutDisabled(int32_t x, int32_t y, const std::string& caption);

private:
    int32_t width_ = 0, height_ = 0;
    std::vector<uint32_t> pixels_;
};

class TWidget {
public:
    virtual ~TWidget() = default;
    virtual void Paint(TCanvas& c) const = 0;
    bool Contains(int32_t x, int32_t y) const { return Bounds.Contains(x, y); }
    TRect Bounds;
    std::string Caption;
    bool Enabled = true;
    bool Focused = false;
};

class TPushButton : public TWidget {
public:
    void Paint(TCanvas& c) const override;
    bool Pressed = false; // held down with the pointer over it
    bool Default = false; // the button Enter presses
};

// A flat tool-bar button: raised while the pointer is over it, sunken while pressed.
class TToolButton : public TWidget {
public:
    void Paint(TCanvas& c) const override;
    bool Pressed = false;
    bool Hot = false;
};

class TCheckBox : public TWidget {
public:
    void Paint(TCanvas& c) const override;
    bool Checked = false;
    bool Pressed = false;
};

class TStaticLabel : public TWidget {
public:
    void Paint(TCanvas& c) const override;
    bool RightAlign = false;
};

// A horizontal track bar with ticks below.
class TTrackBar : public TWidget {
public:
    void Paint(TCanvas& c) const override;
    TRect ChannelRect() const;
    TRect ThumbRect() const;
    int32_t ThumbCenterOf(int32_t position) const;
    // The position nearest to a pointer x.
    int32_t PositionAt(int32_t x) const;
    int32_t Min = 0, Max = 10, Position = 0, PageSize = 1;
};

} // namespace vobe
