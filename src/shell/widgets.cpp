#include "shell/widgets.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "platform/cp932.h"
#include "platform/font_engine.h"

namespace vobe {

namespace {

// The window font and its glyphs, made once.
struct UiFont {
    std::shared_ptr<TFontFace> face;
    std::map<uint32_t, TGlyphImage> glyphs;
    std::mutex lock;

    static UiFont& Get() {
        static UiFont f;
        return f;
    }
    UiFont() { face = TFontEngine::Instance().OpenFont(SJ("ＭＳ Ｐゴシック"), -12, 0); }

    const TGlyphImage* Glyph(uint32_t code) {
        if (!face) return nullptr;
        std::lock_guard<std::mutex> g(lock);
        auto it = glyphs.find(code);
        if (it == glyphs.end()) {
            TGlyphImage img;
            face->RenderGlyph(code, true, img);
            it = glyphs.emplace(code, std::move(img)).first;
        }
        return &it->second;
    }
};

// Next character code of Shift-JIS text.
uint32_t NextCode(const std::string& s, size_t& i) {
    unsigned char c = static_cast<unsigned char>(s[i++]);
    if (IsDBCSLeadByte(c) && i < s.size()) return uint32_t(c) << 8 | static_cast<unsigned char>(s[i++]);
    return c;
}

uint32_t Blend(uint32_t dst, uint32_t src, uint32_t a) {
    uint32_t out = 0;
    for (int sh = 0; sh <= 16; sh += 8) {
        uint32_t d = (dst >> sh) & 0xFF, s = (src >> sh) & 0xFF;
        out |= ((s * a + d * (255 - a) + 127) / 255) << sh;
    }
    return out;
}

} // namespace

void TCanvas::Resize(int32_t w, int32_t h) {
    width_ = std::max(0, w);
    height_ = std::max(0, h);
    pixels_.assign(size_t(width_) * height_, clBtnFace);
}

uint32_t TCanvas::PixelAt(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return pixels_[size_t(y) * width_ + x];
}

void TCanvas::SetPixel(int32_t x, int32_t y, uint32_t color) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) pixels_[size_t(y) * width_ + x] = color;
}

void TCanvas::FillRect(const TRect& r0, uint32_t color) {
    int32_t l = std::max(0, r0.Left), t = std::max(0, r0.Top), r = std::min(width_, r0.Right),
            b = std::min(height_, r0.Bottom);
    for (int32_t y = t; y < b; ++y)
        std::fill(pixels_.begin() + size_t(y) * width_ + l, pixels_.begin() + size_t(y) * width_ + r, color);
}

void TCanvas::HLine(int32_t x0, int32_t x1, int32_t y, uint32_t color) {
    FillRect({x0, y, x1, y + 1}, color);
}
void TCanvas::VLine(int32_t x, int32_t y0, int32_t y1, uint32_t color) {
    FillRect({x, y0, x + 1, y1}, color);
}

void TCanvas::Edge(const TRect& r, bool raised, bool two) {
    uint32_t tl = raised ? clBtnHighlight : clBtnShadow, br = raised ? cl3DDkShadow : clBtnHighlight;
    HLine(r.Left, r.Right - 1, r.Top, tl);
    VLine(r.Left, r.Top, r.Bottom - 1, tl);
    HLine(r.Left, r.Right, r.Bottom - 1, br);
    VLine(r.Right - 1, r.Top, r.Bottom, br);
    if (two) {
        uint32_t tl2 = raised ? clBtnFace : cl3DDkShadow, br2 = raised ? clBtnShadow : clBtnFace;
        HLine(r.Left + 1, r.Right - 2, r.Top + 1, tl2);
        VLine(r.Left + 1, r.Top + 1, r.Bottom - 2, tl2);
        HLine(r.Left + 1, r.Right - 1, r.Bottom - 2, br2);
        VLine(r.Right - 2, r.Top + 1, r.Bottom - 1, br2);
    }
}

void TCanvas::FocusRect(const TRect& r) {
    for (int32_t x = r.Left; x < r.Right; x += 2) {
        SetPixel(x, r.Top, clWindowText);
        SetPixel(x, r.Bottom - 1, clWindowText);
    }
    for (int32_t y = r.Top; y < r.Bottom; y += 2) {
        SetPixel(r.Left, y, clWindowText);
        SetPixel(r.Right - 1, y, clWindowText);
    }
}

int32_t TCanvas::TextHeight() {
    auto& f = UiFont::Get();
    return f.face ? f.face->Metrics().Height : 12;
}

int32_t TCanvas::TextWidth(const std::string& s) {
    int32_t w = 0;
    for (size_t i = 0; i < s.size();) {
        const TGlyphImage* g = UiFont::Get().Glyph(NextCode(s, i));
        w += g ? g->AdvanceX : 6;
    }
    return w;
}

void TCanvas::TextOut(int32_t x, int32_t y, const std::string& s, uint32_t color) {
    auto& f = UiFont::Get();
    if (!f.face) return;
    const int32_t baseline = y + f.face->Metrics().Ascent;
    for (size_t i = 0; i < s.size();) {
        const TGlyphImage* g = f.Glyph(NextCode(s, i));
        if (!g) continue;
        for (int32_t gy = 0; gy < g->Height; ++gy) {
            int32_t py = baseline - g->OriginY + gy;
            if (py < 0 || py >= height_) continue;
            for (int32_t gx = 0; gx < g->Width; ++gx) {
                int32_t px = x + g->OriginX + gx;
                uint8_t a = g->Coverage[size_t(gy) * g->Width + gx];
                if (a == 0 || px < 0 || px >= width_) continue;
                uint32_t& d = pixels_[size_t(py) * width_ + px];
                d = Blend(d, color, a);
            }
        }
        x += g->AdvanceX;
    }
}

std::string TCanvas::StripAccel(const std::string& caption) {
    std::string out;
    for (size_t i = 0; i < caption.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(caption[i]);
        if (IsDBCSLeadByte(c) && i + 1 < caption.size()) {
            out += caption[i];
            out += caption[++i];
        } else if (c == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') out += caption[++i];
        } else {
            out += caption[i];
        }
    }
    return out;
}

char TCanvas::AccelOf(const std::string& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(caption[i]);
        if (IsDBCSLeadByte(c)) {
            ++i;
        } else if (c == '&') {
            if (caption[i + 1] == '&') {
                ++i;
                continue;
            }
            char a = caption[i + 1];
            return a >= 'a' && a <= 'z' ? static_cast<char>(a - 'a' + 'A') : a;
        }
    }
    return 0;
}

void TCanvas::CaptionOut(int32_t x, int32_t y, const std::string& caption, uint32_t color) {
    std::string plain = StripAccel(caption);
    TextOut(x, y, plain, color);
    // Underline the accelerator: find its position in the plain text.
    std::string before;
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(caption[i]);
        if (IsDBCSLeadByte(c)) {
            before += caption[i];
            before += caption[++i];
        } else if (c == '&' && caption[i + 1] == '&') {
            before += caption[++i];
        } else if (c == '&') {
            int32_t ux = x + TextWidth(before);
            int32_t uw = TextWidth(std::string(1, caption[i + 1]));
            int32_t uy = y + (UiFont::Get().face ? UiFont::Get().face->Metrics().Ascent + 1 : 11);
            HLine(ux, ux + uw, uy, color);
            return;
        } else {
            before += caption[i];
        }
    }
}

void TCanvas::CaptionOutDisabled(int32_t x, int32_t y, const std::string& caption) {
    CaptionOut(x + 1, y + 1, caption, clBtnHighlight);
    CaptionOut(x, y, caption, clGrayText);
}

void TPushButton::Paint(TCanvas& c) const {
    TRect r = Bounds;
    c.FillRect(r, clBtnFace);
    if (Default || Focused) {
        c.FillRect({r.Left, r.Top, r.Right, r.Top + 1}, clWindowText);
        c.FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom}, clWindowText);
        c.FillRect({r.Left, r.Top, r.Left + 1, r.Bottom}, clWindowText);
        c.FillRect({r.Right - 1, r.Top, r.Right, r.Bottom}, clWindowText);
        r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    }
    if (Pressed) {
        c.FillRect({r.Left, r.Top, r.Right, r.Top + 1}, clBtnShadow);
        c.FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom}, clBtnShadow);
        c.FillRect({r.Left, r.Top, r.Left + 1, r.Bottom}, clBtnShadow);
        c.FillRect({r.Right - 1, r.Top, r.Right, r.Bottom}, clBtnShadow);
    } else {
        c.Edge(r, true, true);
    }
    std::string plain = TCanvas::StripAccel(Caption);
    int32_t tx = Bounds.Left + (Bounds.Width() - TCanvas::TextWidth(plain)) / 2 + (Pressed ? 1 : 0);
    int32_t ty = Bounds.Top + (Bounds.Height() - TCanvas::TextHeight()) / 2 + (Pressed ? 1 : 0);
    if (Enabled)
        c.CaptionOut(tx, ty, Caption, clWindowText);
    else
        c.CaptionOutDisabled(tx, ty, Caption);
    if (Focused) c.FocusRect({Bounds.Left + 4, Bounds.Top + 4, Bounds.Right - 4, Bounds.Bottom - 4});
}

void TToolButton::Paint(TCanvas& c) const {
    c.FillRect(Bounds, clBtnFace);
    if (Pressed && Hot) {
        c.Edge(Bounds, false, false);
    } else if (Hot || Pressed) {
        c.Edge(Bounds, true, false);
    }
    std::string plain = TCanvas::StripAccel(Caption);
    int32_t tx = Bounds.Left + (Bounds.Width() - TCanvas::TextWidth(plain)) / 2 + (Pressed && Hot ? 1 : 0);
    int32_t ty = Bounds.Top + (Bounds.Height() - TCanvas::TextHeight()) / 2 + (Pressed && Hot ? 1 : 0);
    if (Enabled)
        c.CaptionOut(tx, ty, Caption, clWindowText);
    else
        c.CaptionOutDisabled(tx, ty, Caption);
}

void TCheckBox::Paint(TCanvas& c) const {
    c.FillRect(Bounds, clBtnFace);
    const int32_t box = 13;
    int32_t bx = Bounds.Left, by = Bounds.Top + (Bounds.Height() - box) / 2;
    TRect br{bx, by, bx + box, by + box};
    c.FillRect(br, Pressed || !Enabled ? clBtnFace : clWindow);
    c.Edge(br, false, true);
    if (Checked) {
        uint32_t mark = Enabled ? clWindowText : clGrayText;
        // The tick: a 7-pixel wide check, three pixels thick.
        static const int8_t ys[7] = {2, 3, 4, 3, 2, 1, 0};
        for (int32_t i = 0; i < 7; ++i)
            for (int32_t k = 0; k < 3; ++k) c.SetPixel(bx + 3 + i, by + 4 + ys[i] + k, mark);
    }
    int32_t tx = bx + box + 4, ty = Bounds.Top + (Bounds.Height() - TCanvas::TextHeight()) / 2;
    if (Enabled)
        c.CaptionOut(tx, ty, Caption, clWindowText);
    else
        c.CaptionOutDisabled(tx, ty, Caption);
    if (Focused) {
        int32_t w = TCanvas::TextWidth(TCanvas::StripAccel(Caption));
        c.FocusRect({tx - 1, ty - 1, tx + w + 2, ty + TCanvas::TextHeight() + 1});
    }
}

void TStaticLabel::Paint(TCanvas& c) const {
    c.FillRect(Bounds, clBtnFace);
    int32_t w = TCanvas::TextWidth(TCanvas::StripAccel(Caption));
    int32_t x = RightAlign ? Bounds.Right - w : Bounds.Left;
    if (Enabled)
        c.CaptionOut(x, Bounds.Top, Caption, clWindowText);
    else
        c.CaptionOutDisabled(x, Bounds.Top, Caption);
}

TRect TTrackBar::ChannelRect() const {
    int32_t cy = Bounds.Top + 8;
    return {Bounds.Left + 8, cy, Bounds.Right - 8, cy + 4};
}

int32_t TTrackBar::ThumbCenterOf(int32_t position) const {
    TRect ch = ChannelRect();
    int32_t span = std::max(1, Max - Min);
    int32_t usable = ch.Width() - 11;
    return ch.Left + 5 + (position - Min) * usable / span;
}

TRect TTrackBar::ThumbRect() const {
    int32_t cx = ThumbCenterOf(Position);
    return {cx - 5, Bounds.Top + 2, cx + 6, Bounds.Top + 2 + 18};
}

int32_t TTrackBar::PositionAt(int32_t x) const {
    int32_t best = Min, bestD = INT32_MAX;
    for (int32_t p = Min; p <= Max; ++p) {
        int32_t d = std::abs(ThumbCenterOf(p) - x);
        if (d < bestD) best = p, bestD = d;
    }
    return best;
}

void TTrackBar::Paint(TCanvas& c) const {
    c.FillRect(Bounds, clBtnFace);
    TRect ch = ChannelRect();
    c.FillRect(ch, clWindow);
    c.Edge(ch, false, true);
    // Ticks below the channel, one per position.
    int32_t ty = Bounds.Top + 24;
    for (int32_t p = Min; p <= Max; ++p)
        c.VLine(ThumbCenterOf(p), ty, ty + ((p == Min || p == Max) ? 4 : 3), clWindowText);
    // The thumb: a box with a point downwards.
    TRect t = ThumbRect();
    uint32_t face = Enabled ? clBtnFace : clBtnFace;
    c.FillRect({t.Left, t.Top, t.Right, t.Bottom - 5}, face);
    c.HLine(t.Left, t.Right - 1, t.Top, clBtnHighlight);
    c.VLine(t.Left, t.Top, t.Bottom - 5, clBtnHighlight);
    c.VLine(t.Right - 1, t.Top, t.Bottom - 5, cl3DDkShadow);
    c.VLine(t.Right - 2, t.Top + 1, t.Bottom - 5, clBtnShadow);
    for (int32_t k = 0; k < 5; ++k) {
        int32_t y = t.Bottom - 5 + k;
        c.HLine(t.Left + k + 1, t.Right - k - 1, y, face);
        c.SetPixel(t.Left + k, y, clBtnHighlight);
        c.SetPixel(t.Right - 1 - k, y, cl3DDkShadow);
        c.SetPixel(t.Right - 2 - k, y, clBtnShadow);
    }
    if (!Enabled) {
        // A disabled thumb shows a dotted face.
        for (int32_t y = t.Top + 2; y < t.Bottom - 6; ++y)
            for (int32_t x = t.Left + 2 + (y & 1); x < t.Right - 2; x += 2) c.SetPixel(x, y, clBtnHighlight);
    }
    if (Focused) c.FocusRect(Bounds);
}

} // namespace vobe
