#include "platform/font_engine.h"

#include <algorithm>
#include <cmath>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include <map>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include "platform/cp932.h"

namespace vobe {

namespace {

// Decodes one UTF-8 sequence; 0 on malformed input.
uint32_t DecodeUtf8(const std::string& s) {
    if (s.empty()) return 0;
    auto b = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    unsigned char c = b(0);
    if (c < 0x80) return s.size() == 1 ? c : 0;
    if ((c & 0xE0) == 0xC0 && s.size() == 2) return (c & 0x1Fu) << 6 | (b(1) & 0x3Fu);
    if ((c & 0xF0) == 0xE0 && s.size() == 3) return (c & 0x0Fu) << 12 | (b(1) & 0x3Fu) << 6 | (b(2) & 0x3Fu);
    if ((c & 0xF8) == 0xF0 && s.size() == 4)
        return (c & 0x07u) << 18 | (b(1) & 0x3Fu) << 12 | (b(2) & 0x3Fu) << 6 | (b(3) & 0x3Fu);
    return 0;
}

// Folds a font name for the table: full-width ASCII to ASCII, spaces dropped, letters lower-cased.
std::string FoldName(const std::string& utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 4;
        std::string ch = utf8.substr(i, len);
        i += len;
        uint32_t cp = DecodeUtf8(ch);
        if (cp >= 0xFF01 && cp <= 0xFF5E) cp = cp - 0xFF01 + 0x21, ch = std::string(1, static_cast<char>(cp));
        if (cp == ' ' || cp == 0x3000 || cp == '\t') continue;
        if (ch.size() == 1 && ch[0] >= 'A' && ch[0] <= 'Z') ch[0] = static_cast<char>(ch[0] - 'A' + 'a');
        out += ch;
    }
    return out;
}

struct NameMap {
    const char* windowsName; // folded
    const char* family;
};
// The fonts of a Japanese Windows that games name, and the free fonts that stand in for them.
constexpr NameMap kNameMap[] = {
    {"msゴシック", "IPAGothic"},  {"msgothic", "IPAGothic"},      {"mspゴシック", "IPAPGothic"},
    {"mspgothic", "IPAPGothic"},  {"msuigothic", "IPAPGothic"},   {"ms明朝", "IPAMincho"},
    {"msmincho", "IPAMincho"},    {"msp明朝", "IPAPMincho"},      {"mspmincho", "IPAPMincho"},
    {"メイリオ", "IPAPGothic"},   {"meiryo", "IPAPGothic"},       {"meiryoui", "IPAPGothic"},
    {"ipaゴシック", "IPAGothic"}, {"ipapゴシック", "IPAPGothic"}, {"ipa明朝", "IPAMincho"},
    {"ipap明朝", "IPAPMincho"},
};

bool SameFamily(const std::string& a, const std::string& b) {
    return FoldName(a) == FoldName(b);
}

} // namespace

uint32_t SjisCodeToUnicode(uint32_t code) {
    std::string sjis;
    if (code < 0x100)
        sjis.assign(1, static_cast<char>(code));
    else if (code < 0x10000)
        sjis = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    else
        return 0;
    std::string utf8;
    if (!TrySjisToUtf8(sjis, utf8)) return 0;
    return DecodeUtf8(utf8);
}

struct TFontFaceData {
    FT_Face face = nullptr;
    FT_Pos boldStrength = 0; // 26.6
    ~TFontFaceData() {
        if (face) FT_Done_Face(face);
    }
};

struct TFontEngine::Impl {
    std::mutex lock;
    FT_Library library = nullptr;
    bool fcReady = false;
    std::map<std::string, std::string> files; // folded name -> file ("" = none)
};

TFontEngine& TFontEngine::Instance() {
    static TFontEngine engine;
    return engine;
}

TFontEngine::TFontEngine() : impl_(std::make_unique<Impl>()) {
    if (FT_Init_FreeType(&impl_->library) != 0) impl_->library = nullptr;
    impl_->fcReady = FcInit() == FcTrue;
}

TFontEngine::~TFontEngine() {
    if (impl_->library) FT_Done_FreeType(impl_->library);
    if (impl_->fcReady) FcFini();
}

std::string TFontEngine::FindFontFile(const std::string& sjisName) {
    std::string utf8 = SjisToUtf8(sjisName);
    std::string folded = FoldName(utf8);
    std::lock_guard<std::mutex> g(impl_->lock);
    auto it = impl_->files.find(folded);
    if (it != impl_->files.end()) return it->second;
    std::string family = utf8;
    for (const auto& m : kNameMap)
        if (folded == m.windowsName) family = m.family;
    std::string file;
    if (impl_->fcReady && !family.empty()) {
        FcPattern* pat = FcPatternCreate();
        FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcConfigSubstitute(nullptr, pat, FcMatchPattern);
        FcDefaultSubstitute(pat);
        FcResult res;
        FcPattern* match = FcFontMatch(nullptr, pat, &res);
        if (match) {
            // fontconfig always answers with some font; only a font of the family asked for counts.
            bool same = false;
            FcChar8* fam = nullptr;
            for (int n = 0; FcPatternGetString(match, FC_FAMILY, n, &fam) == FcResultMatch; ++n)
                if (SameFamily(reinterpret_cast<const char*>(fam), family)) same = true;
            FcChar8* path = nullptr;
            if (same && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
                file = reinterpret_cast<const char*>(path);
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pat);
    }
    impl_->files[folded] = file;
    return file;
}

std::shared_ptr<TFontFace> TFontEngine::OpenFont(const std::string& sjisName, int32_t height,
                                                 uint32_t style) {
    std::string file = FindFontFile(sjisName);
    if (file.empty()) file = FindFontFile(SJ("ＭＳ ゴシック"));
    if (file.empty()) {
        // Any Japanese font at all.
        std::lock_guard<std::mutex> g(impl_->lock);
        if (impl_->fcReady) {
            FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>("sans:lang=ja"));
            FcConfigSubstitute(nullptr, pat, FcMatchPattern);
            FcDefaultSubstitute(pat);
            FcResult res;
            if (FcPattern* match = FcFontMatch(nullptr, pat, &res)) {
                FcChar8* path = nullptr;
                if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
                    file = reinterpret_cast<const char*>(path);
                FcPatternDestroy(match);
            }
            FcPatternDestroy(pat);
        }
    }
    if (file.empty() || !impl_->library) return nullptr;

    auto data = std::make_unique<TFontFaceData>();
    {
        std::lock_guard<std::mutex> g(impl_->lock); // FT_New_Face uses the library
        if (FT_New_Face(impl_->library, file.c_str(), 0, &data->face) != 0) return nullptr;
    }
    FT_Face face = data->face;
    if (height == 0) height = 12;
    const double upem = face->units_per_EM > 0 ? face->units_per_EM : 1000;
    double asc = face->ascender, desc = -face->descender;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
        if (os2->usWinAscent + os2->usWinDescent > 0) {
            asc = os2->usWinAscent;
            desc = os2->usWinDescent;
        }
    }
    if (asc + desc <= 0) asc = upem, desc = 0;
    // A positive height is the cell (ascent + descent), a negative one the character height.
    double em = height > 0 ? height * upem / (asc + desc) : -static_cast<double>(height);
    FT_F26Dot6 em64 = static_cast<FT_F26Dot6>(std::lround(em * 64));
    if (em64 < 64) em64 = 64;
    FT_Set_Char_Size(face, 0, em64, 72, 72);
    em = em64 / 64.0;

    auto result = std::shared_ptr<TFontFace>(new TFontFace());
    TFontMetrics& m = result->metrics_;
    m.Ascent = static_cast<int32_t>(std::lround(asc * em / upem));
    m.Descent = static_cast<int32_t>(std::lround(desc * em / upem));
    m.Height = m.Ascent + m.Descent;
    m.EmHeight = static_cast<int32_t>(std::lround(em));
    m.InternalLeading = std::max(0, m.Height - m.EmHeight);
    double ulThick = face->underline_thickness > 0 ? face->underline_thickness : upem / 20;
    m.UnderlineThickness = std::max(1, static_cast<int32_t>(std::lround(ulThick * em / upem)));
    m.UnderlinePosition =
        std::max(1, static_cast<int32_t>(std::lround(-face->underline_position * em / upem)));
    m.StrikeoutThickness = m.UnderlineThickness;
    m.StrikeoutPosition = static_cast<int32_t>(std::lround(m.Ascent * 0.3 + 0.5 * m.StrikeoutThickness));
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
        if (os2->yStrikeoutSize > 0) {
            m.StrikeoutThickness =
                std::max(1, static_cast<int32_t>(std::lround(os2->yStrikeoutSize * em / upem)));
            m.StrikeoutPosition = static_cast<int32_t>(std::lround(os2->yStrikeoutPosition * em / upem));
        }
        if (os2->xAvgCharWidth > 0)
            m.AveCharWidth = static_cast<int32_t>(std::lround(os2->xAvgCharWidth * em / upem));
    }
    // Synthetic bold widens the strokes by about a pixel at text sizes, as the system's emboldening.
    if (style & FontStyleBold)
        data->boldStrength = std::max<FT_Pos>(64, static_cast<FT_Pos>(std::lround(em * 64 / 24)));
    result->data_ = std::move(data);
    result->file_ = file;
    result->style_ = style;
    return result;
}

TFontFace::~TFontFace() = default;

namespace {

bool LoadOutline(TFontFaceData& d, uint32_t code, uint32_t style, bool antialias) {
    uint32_t cp = SjisCodeToUnicode(code);
    if (cp == 0) return false;
    FT_UInt index = FT_Get_Char_Index(d.face, cp);
    FT_Int32 flags = FT_LOAD_NO_BITMAP | (antialias ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO);
    if (FT_Load_Glyph(d.face, index, flags) != 0) return false;
    FT_GlyphSlot slot = d.face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return true;
    if (style & FontStyleBold) {
        FT_Outline_EmboldenXY(&slot->outline, d.boldStrength, 0);
        slot->advance.x += d.boldStrength;
    }
    if (style & FontStyleItalic) {
        FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000}; // about 12 degrees
        FT_Outline_Transform(&slot->outline, &shear);
    }
    return true;
}

} // namespace

int32_t TFontFace::Advance(uint32_t code) {
    std::lock_guard<std::mutex> g(lock_);
    if (!LoadOutline(*data_, code, style_, true)) return 0;
    return static_cast<int32_t>((data_->face->glyph->advance.x + 32) >> 6);
}

bool TFontFace::RenderGlyph(uint32_t code, bool antialias, TGlyphImage& out) {
    out = TGlyphImage();
    std::lock_guard<std::mutex> g(lock_);
    if (!LoadOutline(*data_, code, style_, antialias)) return false;
    FT_GlyphSlot slot = data_->face->glyph;
    out.AdvanceX = static_cast<int32_t>((slot->advance.x + 32) >> 6);
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE && slot->outline.n_points == 0) return true; // no ink
    if (FT_Render_Glyph(slot, antialias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) return false;
    const FT_Bitmap& bm = slot->bitmap;
    out.OriginX = slot->bitmap_left;
    out.OriginY = slot->bitmap_top;
    if (bm.width == 0 || bm.rows == 0) return true;
    out.Width = static_cast<int32_t>(bm.width);
    out.Height = static_cast<int32_t>(bm.rows);
    out.Coverage.assign(size_t(out.Width) * out.Height, 0);
    for (int32_t y = 0; y < out.Height; ++y) {
        const unsigned char* row = bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch;
        uint8_t* dst = out.Coverage.data() + size_t(y) * out.Width;
        if (bm.pixel_mode == FT_PIXEL_MODE_MONO) {
            for (int32_t x = 0; x < out.Width; ++x) dst[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
        } else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY) {
            const int grays = bm.num_grays > 1 ? bm.num_grays - 1 : 255;
            for (int32_t x = 0; x < out.Width; ++x)
                dst[x] = grays == 255 ? row[x] : static_cast<uint8_t>(row[x] * 255 / grays);
        } else {
            return false;
        }
    }
    return true;
}

} // namespace vobe
