#include "archive/file_names.h"

#include "platform/cp932.h"

namespace vobe::fname {

namespace {

// Offsets of the last separator (or npos) and of the last dot after it (or npos).
void Scan(std::string_view p, size_t& sep, size_t& dot) {
    sep = dot = std::string_view::npos;
    for (size_t i = 0; i < p.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(p[i]);
        if (IsDBCSLeadByte(c)) {
            ++i;
        } else if (c == '\\' || c == ':') {
            sep = i;
            dot = std::string_view::npos;
        } else if (c == '.') {
            dot = i;
        }
    }
}

} // namespace

std::string FilePath(std::string_view path) {
    size_t sep, dot;
    Scan(path, sep, dot);
    return sep == std::string_view::npos ? std::string() : std::string(path.substr(0, sep + 1));
}

std::string FileExt(std::string_view path) {
    size_t sep, dot;
    Scan(path, sep, dot);
    return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot));
}

std::string ChangeExt(std::string_view path, std::string_view ext) {
    size_t sep, dot;
    Scan(path, sep, dot);
    std::string out(dot == std::string_view::npos ? path : path.substr(0, dot));
    out.append(ext);
    return out;
}

std::string WithBackslash(std::string_view path) {
    if (path.empty()) return {};
    size_t sep, dot;
    Scan(path, sep, dot);
    std::string out(path);
    if (sep != path.size() - 1 || path.back() != '\\') out += '\\';
    return out;
}

} // namespace vobe::fname
