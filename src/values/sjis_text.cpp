#include "values/sjis_text.h"

#include <algorithm>
#include <array>
#include <climits>

#include "platform/cp932.h"
#include "platform/error.h"

namespace vobe {

namespace {

inline bool Lead(char c) {
    return IsDBCSLeadByte(static_cast<unsigned char>(c));
}

// Byte length of the character starting at byte i (0-based); a lead byte at the end stands alone.
inline size_t CharSize(std::string_view s, size_t i) {
    return (Lead(s[i]) && i + 1 < s.size()) ? 2 : 1;
}

// 0-based byte offset of character n (1-based), or the text's size when n is past the end.
size_t CharOffset(std::string_view s, int32_t n) {
    size_t i = 0;
    for (int32_t k = 1; k < n && i < s.size(); ++k) i += CharSize(s, i);
    return std::min(i, s.size());
}

// Full-width forms of the printable ASCII bytes 0x20..0x7E.
constexpr uint16_t kZenAscii[95] = {
    0x8140, 0x8149, 0x8168, 0x8194, 0x8190, 0x8193, 0x8195, 0x8166, 0x8169, 0x816A,
    0x8196, 0x817B, 0x8143, 0x817C, 0x8144, 0x815E,                                 // space .. '/'
    0x824F, 0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255, 0x8256, 0x8257, 0x8258, // 0-9
    0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148, 0x8197,                         // : ; < = > ? @
    0x8260, 0x8261, 0x8262, 0x8263, 0x8264, 0x8265, 0x8266, 0x8267, 0x8268, 0x8269,
    0x826A, 0x826B, 0x826C, 0x826D, 0x826E, 0x826F, 0x8270, 0x8271, 0x8272, 0x8273,
    0x8274, 0x8275, 0x8276, 0x8277, 0x8278, 0x8279, // A-Z
    0x816D, 0x818F, 0x816E, 0x814F, 0x8151, 0x8165, // [ \ ] ^ _ `
    0x8281, 0x8282, 0x8283, 0x8284, 0x8285, 0x8286, 0x8287, 0x8288, 0x8289, 0x828A,
    0x828B, 0x828C, 0x828D, 0x828E, 0x828F, 0x8290, 0x8291, 0x8292, 0x8293, 0x8294,
    0x8295, 0x8296, 0x8297, 0x8298, 0x8299, 0x829A, // a-z
    0x816F, 0x8162, 0x8170, 0x8160,                 // { | } ~
};

// Full-width forms of the half-width katakana and punctuation 0xA1..0xDF.
constexpr uint16_t kZenKana[63] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392,                 // A1-A6
    0x8340, 0x8342, 0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, // A7-AE small letters
    0x8362, 0x815B,                                                 // AF small tsu, B0 long vowel
    0x8341, 0x8343, 0x8345, 0x8347, 0x8349,                         // B1-B5 vowels
    0x834A, 0x834C, 0x834E, 0x8350, 0x8352,                         // ka row
    0x8354, 0x8356, 0x8358, 0x835A, 0x835C,                         // sa row
    0x835E, 0x8360, 0x8363, 0x8365, 0x8367,                         // ta row
    0x8369, 0x836A, 0x836B, 0x836C, 0x836D,                         // na row
    0x836E, 0x8371, 0x8374, 0x8377, 0x837A,                         // ha row
    0x837D, 0x837E, 0x8380, 0x8381, 0x8382,                         // ma row
    0x8384, 0x8386, 0x8388,                                         // ya row
    0x8389, 0x838A, 0x838B, 0x838C, 0x838D,                         // ra row
    0x838F, 0x8393,                                                 // wa, n
    0x814A, 0x814B,                                                 // voiced, semi-voiced marks
};

inline bool Voiceable(unsigned char c) {
    return (c >= 0xB6 && c <= 0xC4) || (c >= 0xCA && c <= 0xCE);
}
inline bool SemiVoiceable(unsigned char c) {
    return c >= 0xCA && c <= 0xCE;
}

void PutCode(std::string& out, uint16_t code) {
    out += static_cast<char>(code >> 8);
    out += static_cast<char>(code & 0xFF);
}

// Half-width forms of the double-byte codes 0x8140..0x83FF: up to two bytes packed low byte first;
// 0 where there is none.
constexpr uint16_t kHanBase = 0x8140;
constexpr size_t kHanCount = 0x8400 - 0x8140;

const std::array<uint16_t, kHanCount>& HanTable() {
    static const std::array<uint16_t, kHanCount> table = [] {
        std::array<uint16_t, kHanCount> t{};
        auto set = [&](uint16_t code, uint16_t han) {
            if (code >= kHanBase && static_cast<size_t>(code - kHanBase) < kHanCount &&
                t[code - kHanBase] == 0)
                t[code - kHanBase] = han;
        };
        for (int c = 0x20; c <= 0x7E; ++c) set(kZenAscii[c - 0x20], static_cast<uint16_t>(c));
        set(0x8167, '"');
        for (int c = 0xA1; c <= 0xDF; ++c) {
            uint16_t zen = kZenKana[c - 0xA1];
            set(zen, static_cast<uint16_t>(c));
            if (Voiceable(static_cast<unsigned char>(c)))
                set(static_cast<uint16_t>(zen + 1), static_cast<uint16_t>(c | 0xDE << 8));
            if (SemiVoiceable(static_cast<unsigned char>(c)))
                set(static_cast<uint16_t>(zen + 2), static_cast<uint16_t>(c | 0xDF << 8));
        }
        return t;
    }();
    return table;
}

} // namespace

int32_t CharLength(std::string_view text) {
    int32_t n = 0;
    for (size_t i = 0; i < text.size(); i += CharSize(text, i)) ++n;
    return n;
}

int32_t CharPos(std::string_view text, int32_t n) {
    // A lone lead byte at the end is a character of one byte, as CharLength counts it.
    size_t i = 0;
    for (int32_t k = 1; k < n && i < text.size(); ++k) i += CharSize(text, i);
    return static_cast<int32_t>(i) + 1;
}

bool IsTrailByte(std::string_view text, int32_t i) {
    if (i < 1 || static_cast<size_t>(i) > text.size()) throw EVobeError("Illegal Index");
    if (i == 1) return false;
    int32_t count = 0;
    for (int32_t k = i - 2; k >= 0 && Lead(text[static_cast<size_t>(k)]); --k) ++count;
    return (count & 1) != 0;
}

int32_t CharCodeAt(std::string_view text, int32_t n) {
    if (n < 1) return 0;
    size_t i = CharOffset(text, n);
    if (i >= text.size()) return 0;
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (CharSize(text, i) == 2) return c << 8 | static_cast<unsigned char>(text[i + 1]);
    return c;
}

std::string CharCopy(std::string_view text, int32_t start, int32_t count) {
    if (text.empty() || count <= 0) return {};
    int64_t last = int64_t{start} + count; // first character not copied
    if (last <= 1) return {};
    size_t from = CharOffset(text, start);
    size_t to = CharOffset(text, static_cast<int32_t>(std::min<int64_t>(last, INT32_MAX)));
    return std::string(text.substr(from, to - from));
}

void CharInsert(std::string_view piece, std::string& text, int32_t n) {
    if (n <= 0) n = 1;
    text.insert(CharOffset(text, n), piece);
}

void CharDelete(std::string& text, int32_t start, int32_t count) {
    if (count <= 0) return;
    int64_t last = int64_t{start} + count;
    if (last <= 1) return;
    size_t from = CharOffset(text, start);
    if (from >= text.size()) return;
    size_t to = CharOffset(text, static_cast<int32_t>(std::min<int64_t>(last, INT32_MAX)));
    text.erase(from, to - from);
}

int32_t CharFind(std::string_view piece, std::string_view text) {
    if (piece.empty()) return 0;
    int32_t n = 1;
    for (size_t i = 0; i < text.size(); i += CharSize(text, i), ++n) {
        if (text[i] == piece[0] && text.substr(i, piece.size()) == piece) return n;
    }
    return 0;
}

std::string CharTrim(std::string_view text) {
    size_t b = 0;
    for (;;) {
        if (b < text.size() && text[b] == ' ') {
            ++b;
        } else if (b + 1 < text.size() && text[b] == '\x81' && text[b + 1] == '\x40') {
            b += 2;
        } else {
            break;
        }
    }
    std::string_view rest = text.substr(b);
    for (;;) {
        size_t n = rest.size();
        if (n > 0 && rest[n - 1] == ' ') {
            // A trailing 0x20 is always a character of its own: 0x20 is never a trail byte.
            rest.remove_suffix(1);
        } else if (n >= 2 && rest[n - 2] == '\x81' && rest[n - 1] == '\x40' &&
                   IsTrailByte(rest, static_cast<int32_t>(n))) {
            rest.remove_suffix(2);
        } else {
            break;
        }
    }
    return std::string(rest);
}

std::string SplitFirst(std::string& text, std::string_view separators) {
    if (text.empty()) return {};
    if (!separators.empty()) {
        for (size_t i = 0; i < text.size(); i += CharSize(text, i)) {
            // Only single bytes are tested: a trail byte equal to a separator never splits.
            if (CharSize(text, i) == 1 && separators.find(text[i]) != std::string_view::npos) {
                std::string head = text.substr(0, i);
                text.erase(0, i + 1);
                return head;
            }
        }
    }
    std::string all = std::move(text);
    text.clear();
    return all;
}

std::string HanToZen(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (Lead(text[i])) {
            size_t len = CharSize(text, i);
            out.append(text.substr(i, len));
            i += len;
            continue;
        }
        if (c >= 0x20 && c <= 0x7E) {
            PutCode(out, kZenAscii[c - 0x20]);
        } else if (c >= 0xA1 && c <= 0xDF) {
            uint16_t zen = kZenKana[c - 0xA1];
            unsigned char next = i + 1 < n ? static_cast<unsigned char>(text[i + 1]) : 0;
            if (next == 0xDE && Voiceable(c)) {
                zen = static_cast<uint16_t>(zen + 1);
                ++i;
            } else if (next == 0xDF && SemiVoiceable(c)) {
                zen = static_cast<uint16_t>(zen + 2);
                ++i;
            }
            PutCode(out, zen);
        }
        // Control characters, 0x7F, 0x80, 0xA0 and 0xFD-0xFF have no full-width form.
        ++i;
    }
    return out;
}

std::string ZenToHan(std::string_view text) {
    const auto& table = HanTable();
    std::string out;
    out.reserve(text.size());
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        size_t len = CharSize(text, i);
        if (len == 1) {
            out += text[i];
            ++i;
            continue;
        }
        uint16_t code = static_cast<uint16_t>(static_cast<unsigned char>(text[i]) << 8 |
                                              static_cast<unsigned char>(text[i + 1]));
        if (code >= kHanBase && static_cast<size_t>(code - kHanBase) < kHanCount) {
            uint16_t han = table[code - kHanBase];
            if (han != 0) {
                out += static_cast<char>(han & 0xFF);
                if (han >> 8) out += static_cast<char>(han >> 8);
            }
        }
        i += 2;
    }
    return out;
}

std::string EucToSjis(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        unsigned char b1 = static_cast<unsigned char>(text[i]);
        if (b1 <= 0x80 || b1 == 0xFF) {
            out += static_cast<char>(b1);
            ++i;
            continue;
        }
        // A first byte cut off at the end of the text has no character to convert.
        if (i + 1 >= n) break;
        unsigned char b2 = static_cast<unsigned char>(text[i + 1]);
        i += 2;
        if (b1 == 0x8E) {
            out += static_cast<char>(b2);
            continue;
        }
        unsigned j1 = b1 & 0x7F, j2 = b2 & 0x7F;
        unsigned lead = (j1 + 1) / 2 + (j1 <= 0x5E ? 0x70 : 0xB0);
        unsigned trail;
        if (j1 & 1)
            trail = j2 + 0x1F + (j2 >= 0x60 ? 1 : 0);
        else
            trail = j2 + 0x7E;
        out += static_cast<char>(lead & 0xFF);
        out += static_cast<char>(trail & 0xFF);
    }
    return out;
}

} // namespace vobe
