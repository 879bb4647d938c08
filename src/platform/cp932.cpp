#include "platform/cp932.h"

#include <cerrno>
#include <cstdint>
#include <iconv.h>

namespace vobe {

namespace {

// One converter per direction and thread: iconv descriptors carry shift state and are not shared.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `in`; an unconvertible or invalid sequence of `badLen` bytes is replaced by
    // `replacement` when strict is false, or ends the conversion with false when strict is true.
    bool Run(std::string_view in, std::string& out, bool strict, std::string_view replacement) {
        out.clear();
        if (cd_ == reinterpret_cast<iconv_t>(-1)) return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        char buf[1024];
        while (srcLeft > 0) {
            char* dst = buf;
            size_t dstLeft = sizeof(buf);
            size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buf, dst - buf);
            if (r == static_cast<size_t>(-1)) {
                if (errno == E2BIG) continue;
                if (strict) return false;
                // EILSEQ or EINVAL: skip one input unit and put the replacement in its place.
                out.append(replacement);
                size_t skip = 1;
                if (utf8Input_) {
                    unsigned char c = static_cast<unsigned char>(*src);
                    if (c >= 0xC0) {
                        skip = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
                        // Consume only the continuation bytes actually present.
                        size_t k = 1;
                        while (k < skip && k < srcLeft && (static_cast<unsigned char>(src[k]) & 0xC0) == 0x80) ++k;
                        skip = k;
                    }
                }
                if (skip > srcLeft) skip = srcLeft;
                src += skip;
                srcLeft -= skip;
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        char* dst = buf;
        size_t dstLeft = sizeof(buf);
        iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
        out.append(buf, dst - buf);
        return true;
    }

    bool utf8Input_ = false;

private:
    iconv_t cd_;
};

Converter& ToSjis() {
    thread_local Converter c("CP932", "UTF-8");
    c.utf8Input_ = true;
    return c;
}

Converter& ToUtf8() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

bool IsAscii(std::string_view s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

} // namespace

std::string Utf8ToSjis(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    std::string out;
    ToSjis().Run(utf8, out, false, "?");
    return out;
}

std::string SjisToUtf8(std::string_view sjis) {
    if (IsAscii(sjis)) return std::string(sjis);
    std::string out;
    ToUtf8().Run(sjis, out, false, "\xEF\xBF\xBD");
    return out;
}

bool TryUtf8ToSjis(std::string_view utf8, std::string& out) {
    if (IsAscii(utf8)) {
        out.assign(utf8);
        return true;
    }
    return ToSjis().Run(utf8, out, true, {});
}

bool TrySjisToUtf8(std::string_view sjis, std::string& out) {
    if (IsAscii(sjis)) {
        out.assign(sjis);
        return true;
    }
    return ToUtf8().Run(sjis, out, true, {});
}

namespace {

// Double-byte upper/lower pairs: (first upper, first lower, count). Cyrillic lower case skips 0x847F.
struct CaseRange {
    uint16_t upper, lower, count;
};
constexpr CaseRange kCaseRanges[] = {
    {0x8260, 0x8281, 26}, // full-width Latin
    {0x839F, 0x83BF, 24}, // Greek
    {0x8440, 0x8470, 15}, // Cyrillic А..Н (lower а..н)
    {0x844F, 0x8480, 18}, // Cyrillic О..Я (lower о..я, after the gap at 0x847F)
};

uint16_t MapDouble(uint16_t code, bool toUpper) {
    for (const auto& r : kCaseRanges) {
        if (toUpper) {
            if (code >= r.lower && code < r.lower + r.count) return static_cast<uint16_t>(code - r.lower + r.upper);
        } else {
            if (code >= r.upper && code < r.upper + r.count) return static_cast<uint16_t>(code - r.upper + r.lower);
        }
    }
    return code;
}

std::string MapCase(std::string_view s, bool toUpper) {
    std::string out(s);
    const size_t n = out.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (c < 0x80) {
            if (toUpper ? (c >= 'a' && c <= 'z') : (c >= 'A' && c <= 'Z')) out[i] = static_cast<char>(c ^ 0x20);
        } else if (IsDBCSLeadByte(c) && i + 1 < n) {
            uint16_t code = static_cast<uint16_t>(c << 8 | static_cast<unsigned char>(out[i + 1]));
            uint16_t mapped = MapDouble(code, toUpper);
            if (mapped != code) {
                out[i] = static_cast<char>(mapped >> 8);
                out[i + 1] = static_cast<char>(mapped & 0xFF);
            }
            ++i;
        }
    }
    return out;
}

} // namespace

std::string AnsiUpperCase(std::string_view s) { return MapCase(s, true); }
std::string AnsiLowerCase(std::string_view s) { return MapCase(s, false); }

bool AnsiSameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    bool plain = true;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 0x80 || y >= 0x80) {
            plain = false;
            break;
        }
        if (x != y && ((x | 0x20) != (y | 0x20) || (x | 0x20) < 'a' || (x | 0x20) > 'z')) return false;
    }
    if (plain) return true;
    return AnsiLowerCase(a) == AnsiLowerCase(b);
}

} // namespace vobe
