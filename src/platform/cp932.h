// Conversion between the player's Shift-JIS (code page 932) text and UTF-8, the encoding of the
// outside world (file names, the terminal, message boxes, source files of the game compiler).
#pragma once

#include <string>
#include <string_view>

namespace vobe {

// UTF-8 to CP932. Characters CP932 cannot hold become '?'; invalid UTF-8 bytes also become '?'.
std::string Utf8ToSjis(std::string_view utf8);

// CP932 to UTF-8. Bytes that are not valid CP932 become U+FFFD.
std::string SjisToUtf8(std::string_view sjis);

// Strict conversions: false (and `out` unspecified) when the input does not convert exactly.
bool TryUtf8ToSjis(std::string_view utf8, std::string& out);
bool TrySjisToUtf8(std::string_view sjis, std::string& out);

// The code page's double-byte lead-byte test: 0x81-0x9F and 0xE0-0xFC.
inline bool IsDBCSLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Case mapping of Shift-JIS text as the system's locale does it: ASCII letters, and the full-width
// Latin, Greek and Cyrillic letters; trail bytes are never touched.
std::string AnsiUpperCase(std::string_view s);
std::string AnsiLowerCase(std::string_view s);
// Equality ignoring case, by the mapping above.
bool AnsiSameText(std::string_view a, std::string_view b);

// Shorthand for the system's own texts, written in UTF-8 in the source: SJ("終了").
inline std::string SJ(std::string_view utf8) { return Utf8ToSjis(utf8); }

} // namespace vobe
