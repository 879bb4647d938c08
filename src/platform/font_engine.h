// The font engine: finds a font file for a Windows font name (the MS Japanese fonts map to the IPA
// fonts, other names go through fontconfig) and renders single characters, given by their Shift-JIS
// code, into 8-bit coverage bitmaps with the metrics text layout needs.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vobe {

// Style bits, as the system's font style byte (the bits of TFontStyles). Named apart from the
// TFontStyle enumerators, which count bit positions, so both headers can meet in one file.
constexpr uint32_t FontStyleBold = 1, FontStyleItalic = 2, FontStyleUnderline = 4, FontStyleStrikeOut = 8;

// Font metrics in pixels, in the system's terms.
struct TFontMetrics {
    int32_t Height = 0;   // cell height: Ascent + Descent
    int32_t Ascent = 0;   // baseline to the top of the cell
    int32_t Descent = 0;  // baseline to the bottom of the cell
    int32_t EmHeight = 0; // the character height (Height less the internal leading)
    int32_t InternalLeading = 0;
    int32_t UnderlinePosition = 0; // distance of the underline's top below the baseline
    int32_t UnderlineThickness = 0;
    int32_t StrikeoutPosition = 0; // distance of the strike-out line's top above the baseline
    int32_t StrikeoutThickness = 0;
    int32_t AveCharWidth = 0;
};

// One character. The black box is Width x Height coverage bytes (row-major, no padding); OriginX is the
// box's left relative to the pen, OriginY the box's top above the baseline; AdvanceX the cell advance.
struct TGlyphImage {
    int32_t Width = 0, Height = 0;
    int32_t OriginX = 0, OriginY = 0;
    int32_t AdvanceX = 0;
    std::vector<uint8_t> Coverage; // 0 empty ... 255 full; monochrome gives only 0 and 255
    bool HasInk() const { return Width > 0 && Height > 0; }
};

struct TFontFaceData;

class TFontFace {
public:
    ~TFontFace();
    TFontFace(const TFontFace&) = delete;
    TFontFace& operator=(const TFontFace&) = delete;

    const TFontMetrics& Metrics() const { return metrics_; }
    const std::string& FileName() const { return file_; }
    uint32_t Style() const { return style_; }

    // code: a single byte, or lead byte * 256 + trail byte. antialias false gives a monochrome bitmap.
    // False when the character cannot be rendered at all (out is then empty).
    bool RenderGlyph(uint32_t code, bool antialias, TGlyphImage& out);
    // The cell advance of a character (0 when it has none).
    int32_t Advance(uint32_t code);

private:
    friend class TFontEngine;
    TFontFace() = default;
    std::unique_ptr<TFontFaceData> data_;
    TFontMetrics metrics_;
    std::string file_;
    uint32_t style_ = 0;
    std::mutex lock_;
};

class TFontEngine {
public:
    static TFontEngine& Instance();

    // The font file for a Windows font name (Shift-JIS), or "" when the system has no such font.
    std::string FindFontFile(const std::string& sjisName);
    bool FontExists(const std::string& sjisName) { return !FindFontFile(sjisName).empty(); }

    // Opens a face. height > 0 is the cell height, height < 0 the character height (the system's
    // convention); 0 means 12. A name that does not exist falls back to "ＭＳ ゴシック", then to any
    // Japanese font. Returns null only when no font at all can be opened.
    std::shared_ptr<TFontFace> OpenFont(const std::string& sjisName, int32_t height, uint32_t style);

    ~TFontEngine();

private:
    TFontEngine();
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The Unicode code point of a Shift-JIS character code (0 when it has none).
uint32_t SjisCodeToUnicode(uint32_t code);

} // namespace vobe
