#include "archive/utils.h"

#include <algorithm>
#include <new>
#include <vector>

#include "archive/stream.h"
#include "platform/cp932.h"

namespace vobe {

std::string ResolvePath(std::string_view path, std::string_view base) {
    if (path.size() <= 1 || path[0] == '\\' || path[1] == ':') return std::string(path);
    if (path.substr(0, 3) != "..\\") return std::string(base) + std::string(path);

    // Split the upper-cased base into components, each with its trailing '\'.
    const std::string up = AnsiUpperCase(base);
    std::vector<std::string> parts;
    size_t i = 0;
    const size_t n = up.size();
    auto nextSep = [&](size_t from) {
        size_t k = from;
        while (k < n) {
            unsigned char c = static_cast<unsigned char>(up[k]);
            if (IsDBCSLeadByte(c)) {
                k += 2;
                continue;
            }
            if (c == '\\') return k;
            ++k;
        }
        return n;
    };
    if (up.size() >= 2 && up[0] == '\\' && up[1] == '\\') {
        // "\\server\" is one component.
        size_t e = nextSep(2);
        size_t end = std::min(n, e + 1);
        parts.push_back(up.substr(0, end));
        i = end;
    } else if (up.size() >= 2 && up[1] == ':') {
        size_t end = (up.size() >= 3 && up[2] == '\\') ? 3 : 2;
        parts.push_back(up.substr(0, end));
        i = end;
    }
    while (i < n) {
        size_t e = nextSep(i);
        size_t end = std::min(n, e + 1);
        parts.push_back(up.substr(i, end - i));
        i = end;
    }

    std::string_view rest = path;
    while (rest.substr(0, 3) == "..\\") {
        if (!parts.empty()) parts.pop_back();
        rest.remove_prefix(3);
    }
    std::string out;
    for (const std::string& p : parts) out += p;
    out.append(rest);
    return out;
}

std::string Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsDBCSLeadByte(c)) {
            out += text.substr(i, 2);
            i += 2;
            continue;
        }
        if (c == '\\' && i + 1 < n) {
            char d = text[i + 1];
            if (d == '"' || d == '\\') {
                out += d;
                i += 2;
                continue;
            }
            if (d == 'n') {
                out += "\r\n";
                i += 2;
                continue;
            }
        }
        out += static_cast<char>(c);
        ++i;
    }
    return out;
}

int64_t CopyStream(TStream& dest, TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.GetSize();
    }
    if (count <= 0) return 0;
    if (auto* mem = dynamic_cast<TMemoryStream*>(&source)) {
        // In one piece, straight from the source's memory; never past its end.
        const int64_t pos = mem->GetPosition();
        const int64_t avail = std::max<int64_t>(0, mem->GetSize() - pos);
        const int64_t n = std::min(count, avail);
        if (n > 0) dest.WriteBuffer(mem->Memory() + pos, n);
        mem->SetPosition(pos + n);
        return n;
    }
    int64_t bufSize = std::min<int64_t>(count, 10 << 20);
    std::vector<uint8_t> buf;
    while (bufSize > 0) {
        try {
            buf.resize(static_cast<size_t>(bufSize));
            break;
        } catch (const std::bad_alloc&) {
            bufSize -= 1 << 20;
        }
    }
    if (bufSize <= 0) return 0;
    int64_t done = 0;
    while (done < count) {
        int64_t want = std::min(count - done, bufSize);
        int64_t got = source.Read(buf.data(), want);
        if (got <= 0) break;
        dest.WriteBuffer(buf.data(), got);
        done += got;
    }
    return done;
}

uint32_t ScaleColor(uint32_t color, int32_t b) {
    const uint32_t s = static_cast<uint32_t>(std::clamp(b, 0, 256));
    uint32_t r = ((color & 0xFF) * s) >> 8;
    uint32_t g = (((color >> 8) & 0xFF) * s) >> 8;
    uint32_t bl = (((color >> 16) & 0xFF) * s) >> 8;
    return r | g << 8 | bl << 16;
}

} // namespace vobe
