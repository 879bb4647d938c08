#include "platform/drives.h"

#include <fstream>
#include <sstream>

#include "platform/paths.h"

namespace vobe {

namespace {

// mountinfo escapes space, tab, newline and backslash as three octal digits.
std::string Unescape(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '3' && s[i + 2] >= '0' &&
            s[i + 2] <= '7' && s[i + 3] >= '0' && s[i + 3] <= '7') {
            out += static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0'));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

} // namespace

std::vector<TMountEntry> ParseMountInfo(std::string_view text) {
    std::vector<TMountEntry> mounts;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string_view::npos) eol = text.size();
        std::string_view line = text.substr(pos, eol - pos);
        pos = eol + 1;
        std::vector<std::string_view> f;
        size_t s = 0;
        for (size_t i = 0; i <= line.size(); ++i) {
            if (i == line.size() || line[i] == ' ') {
                if (i > s) f.push_back(line.substr(s, i - s));
                s = i + 1;
            }
        }
        // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
        if (f.size() < 7) continue;
        size_t dash = 6;
        while (dash < f.size() && f[dash] != "-") ++dash;
        if (dash + 1 >= f.size()) continue;
        mounts.push_back({Unescape(f[4]), std::string(f[dash + 1])});
    }
    return mounts;
}

std::vector<TMountEntry> ReadMounts() {
    std::ifstream in("/proc/self/mountinfo");
    if (!in) return {};
    std::stringstream ss;
    ss << in.rdbuf();
    return ParseMountInfo(ss.str());
}

bool IsCdromFsType(std::string_view t) {
    return t == "iso9660" || t == "udf";
}

bool IsOnCdrom(std::string_view realPath, const std::vector<TMountEntry>& mounts) {
    const TMountEntry* best = nullptr;
    for (const auto& m : mounts) {
        std::string_view mp = m.MountPoint;
        bool under = mp == "/" || realPath == mp ||
                     (realPath.size() > mp.size() && realPath.substr(0, mp.size()) == mp &&
                      realPath[mp.size()] == '/');
        // Later mounts over the same point hide earlier ones, so ">=" keeps the last.
        if (under && (!best || mp.size() >= best->MountPoint.size())) best = &m;
    }
    return best && IsCdromFsType(best->FsType);
}

bool IsOnCdrom(std::string_view realPath) {
    return IsOnCdrom(realPath, ReadMounts());
}

std::vector<std::string> CdRoots() {
    std::vector<std::string> roots;
    for (const auto& m : ReadMounts())
        if (IsCdromFsType(m.FsType)) roots.push_back(IncludeTrailingBackslash(PlayerPath(m.MountPoint)));
    return roots;
}

} // namespace vobe
