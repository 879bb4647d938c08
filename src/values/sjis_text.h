// Japanese text routines: Shift-JIS text counted, indexed, cut and trimmed by characters (a
// double-byte character counts as one; a lead byte at the very end counts as a character of its own),
// half-width and full-width conversion, and EUC-JP to Shift-JIS. Positions are 1-based.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vobe {

// Number of characters.
int32_t CharLength(std::string_view text);
// Byte position (1-based) of character n; past the end when n exceeds the count; 1 for n <= 1.
int32_t CharPos(std::string_view text, int32_t n);
// Whether byte i (1-based) is the trail byte of a double-byte character. Raises "Illegal Index" when i
// is outside the text.
bool IsTrailByte(std::string_view text, int32_t i);
// Code of character n: lead * 256 + trail for a double-byte character, else the byte; 0 when there is
// no character n.
int32_t CharCodeAt(std::string_view text, int32_t n);
// Characters start .. start + count - 1 (fewer at the end).
std::string CharCopy(std::string_view text, int32_t start, int32_t count);
// Inserts piece before character n (n <= 0 counts as 1), or appends it when n is beyond the last.
void CharInsert(std::string_view piece, std::string& text, int32_t n);
// Removes count characters beginning with character start.
void CharDelete(std::string& text, int32_t start, int32_t count);
// Number of the first character at which piece occurs (matches start on character boundaries only),
// or 0.
int32_t CharFind(std::string_view piece, std::string_view text);
// Removes leading and trailing spaces and double-byte spaces (0x81 0x40); tabs stay.
std::string CharTrim(std::string_view text);
// Returns the text before the first separator byte that is no trail byte and removes it and the
// separator from text; without a separator, returns the whole text and empties it.
std::string SplitFirst(std::string& text, std::string_view separators);

// Half-width to full-width: letters, digits, symbols and katakana (voiced marks combined where a
// voiced letter exists); bytes without a full-width form, control characters among them, are dropped.
std::string HanToZen(std::string_view text);
// Full-width to half-width, the reverse; double-byte characters without a half-width form are dropped.
std::string ZenToHan(std::string_view text);
// EUC-JP to Shift-JIS.
std::string EucToSjis(std::string_view text);

} // namespace vobe
