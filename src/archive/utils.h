// Shared helpers: relative path resolution, escape handling, chunked stream copy, colour scaling and
// the font-style set.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace vobe {

class TStream;

// Resolves a game path against a base folder (both Shift-JIS with '\'). A path starting with '\', one
// with ':' as its second byte and a one-byte path are returned as they are; a path not starting with
// "..\" is appended to the base; otherwise every leading "..\" drops one component from the end of the
// upper-cased base (a drive "C:\" or a network prefix "\\server\" counts as one component).
std::string ResolvePath(std::string_view path, std::string_view base);

// \" and \\ become the second byte, \n becomes CR LF, other backslashes stay. Double-byte characters
// are kept whole, so a trail byte 0x5C is never taken for a backslash.
std::string Unescape(std::string_view text);

// Copies count bytes from source's position (count 0: the whole source from its start) and returns
// the bytes copied, fewer only when the source ends early.
int64_t CopyStream(TStream& dest, TStream& source, int64_t count);

// Each of the three low 8-bit channels times b / 256 (b from 0 to 256, clamped); the top byte is 0.
uint32_t ScaleColor(uint32_t color, int32_t b);

// ---- font style ------------------------------------------------------------------------------------

enum TFontStyle : uint8_t { fsBold = 0, fsItalic = 1, fsUnderline = 2, fsStrikeOut = 3 };

// A set of TFontStyle.
class TFontStyles {
public:
    constexpr TFontStyles() = default;
    constexpr TFontStyles(std::initializer_list<TFontStyle> styles) {
        for (TFontStyle s : styles) FBits |= static_cast<uint8_t>(1u << s);
    }
    constexpr bool Has(TFontStyle s) const { return (FBits >> s) & 1u; }
    constexpr void Include(TFontStyle s) { FBits |= static_cast<uint8_t>(1u << s); }
    constexpr void Exclude(TFontStyle s) { FBits &= static_cast<uint8_t>(~(1u << s)); }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr uint8_t Bits() const { return FBits; }
    constexpr bool operator==(const TFontStyles&) const = default;

private:
    uint8_t FBits = 0;
};

// Bit 0 bold, bit 1 italic, bit 2 underline, bit 3 strike-out; other bits are ignored.
constexpr TFontStyles IntToFontStyles(int32_t v) {
    TFontStyles s;
    for (int i = 0; i < 4; ++i)
        if (v & (1 << i)) s.Include(static_cast<TFontStyle>(i));
    return s;
}
constexpr int32_t FontStylesToInt(TFontStyles s) {
    return s.Bits() & 0x0F;
}

} // namespace vobe
