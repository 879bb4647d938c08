#include "platform/paths.h"

#include <cstdlib>
#include <dirent.h>
#include <limits.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/cp932.h"

namespace vobe {

namespace {

bool Exists(const std::string& real) {
    struct stat st;
    return ::lstat(real.c_str(), &st) == 0;
}

// Looks for an entry of `dir` whose name equals `sjisName` ignoring case. Entry names on disk are read
// as UTF-8 when they are valid UTF-8 with a Shift-JIS form, else as raw Shift-JIS bytes.
bool FindIgnoringCase(const std::string& dir, const std::string& sjisName, std::string& found) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return false;
    bool ok = false;
    std::string sjis;
    while (struct dirent* e = ::readdir(d)) {
        std::string_view name(e->d_name);
        if (name.size() < sjisName.size()) continue; // UTF-8 is never shorter than Shift-JIS
        if (!TryUtf8ToSjis(name, sjis)) sjis.assign(name);
        if (AnsiSameText(sjis, sjisName)) {
            found.assign(name);
            ok = true;
            break;
        }
    }
    ::closedir(d);
    return ok;
}

std::mutex gSaveFolderLock;
std::string gSaveFolder;

} // namespace

std::vector<std::string> SplitPlayerPath(std::string_view p) {
    std::vector<std::string> parts;
    std::string cur;
    for (size_t i = 0; i < p.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(p[i]);
        if (IsDBCSLeadByte(c) && i + 1 < p.size()) {
            cur += p[i];
            cur += p[++i];
        } else if (c == '\\') {
            if (!cur.empty()) parts.push_back(std::move(cur));
            cur.clear();
        } else {
            cur += p[i];
        }
    }
    if (!cur.empty()) parts.push_back(std::move(cur));
    return parts;
}

std::string RealPath(std::string_view playerPath) {
    std::string out;
    if (playerPath.empty()) return out;
    bool absolute = playerPath[0] == '\\' || playerPath[0] == '/';
    if (absolute) out = "/";
    std::vector<std::string> parts = SplitPlayerPath(playerPath);
    // A '/' inside a player path (some games mix them) separates too.
    std::vector<std::string> comps;
    for (auto& part : parts) {
        size_t start = 0;
        for (size_t i = 0; i <= part.size(); ++i) {
            if (i < part.size() && IsDBCSLeadByte(static_cast<unsigned char>(part[i])) &&
                i + 1 < part.size()) {
                ++i;
                continue;
            }
            if (i == part.size() || part[i] == '/') {
                if (i > start) comps.push_back(part.substr(start, i - start));
                start = i + 1;
            }
        }
    }
    bool stillOnDisk = true; // once a folder is missing, nothing below it can be matched
    for (size_t k = 0; k < comps.size(); ++k) {
        const std::string& sjis = comps[k];
        std::string utf8;
        bool converted = TrySjisToUtf8(sjis, utf8);
        std::string chosen = converted ? utf8 : sjis;
        if (stillOnDisk && sjis != "." && sjis != "..") {
            const std::string dir = out;
            if (Exists(dir + chosen)) {
                // exact name present
            } else if (converted && utf8 != sjis && Exists(dir + sjis)) {
                chosen = sjis;
            } else {
                std::string found;
                if (FindIgnoringCase(dir, sjis, found))
                    chosen = found;
                else
                    stillOnDisk = false;
            }
        }
        out += chosen;
        if (k + 1 < comps.size()) out += '/';
    }
    if (!comps.empty() && EndsWithBackslash(playerPath)) out += '/';
    if (!comps.empty() && playerPath.back() == '/') out += '/';
    return out;
}

std::string PlayerPath(std::string_view realPath) {
    std::string sjis;
    if (TryUtf8ToSjis(realPath, sjis)) {
        // A real name never holds a trail byte 0x5C of its own, so every '/' is a separator.
        for (char& c : sjis)
            if (c == '/') c = '\\';
        return sjis;
    }
    // Convert component by component; a component without a Shift-JIS form keeps its raw bytes.
    std::string out;
    size_t start = 0;
    for (size_t i = 0; i <= realPath.size(); ++i) {
        if (i == realPath.size() || realPath[i] == '/') {
            std::string_view comp = realPath.substr(start, i - start);
            std::string conv;
            if (TryUtf8ToSjis(comp, conv))
                out += conv;
            else
                out.append(comp);
            if (i < realPath.size()) out += '\\';
            start = i + 1;
        }
    }
    return out;
}

bool EndsWithBackslash(std::string_view p) {
    bool last = false;
    for (size_t i = 0; i < p.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(p[i]);
        if (IsDBCSLeadByte(c) && i + 1 < p.size()) {
            ++i;
            last = false;
        } else {
            last = c == '\\';
        }
    }
    return last;
}

std::string IncludeTrailingBackslash(std::string_view p) {
    std::string s(p);
    if (!EndsWithBackslash(p)) s += '\\';
    return s;
}

namespace {
// Position just after the last separator, or 0.
size_t NameStart(std::string_view p) {
    size_t start = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(p[i]);
        if (IsDBCSLeadByte(c) && i + 1 < p.size())
            ++i;
        else if (c == '\\' || c == ':')
            start = i + 1;
    }
    return start;
}
} // namespace

std::string ExtractFilePath(std::string_view p) {
    return std::string(p.substr(0, NameStart(p)));
}
std::string ExtractFileName(std::string_view p) {
    return std::string(p.substr(NameStart(p)));
}

std::string ExtractFileExt(std::string_view p) {
    std::string_view name = p.substr(NameStart(p));
    size_t dot = std::string_view::npos;
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (IsDBCSLeadByte(c) && i + 1 < name.size())
            ++i;
        else if (c == '.')
            dot = i;
    }
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

std::string ExeFileName() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof(buf) - 1);
    if (n <= 0) return std::string();
    return PlayerPath(std::string_view(buf, static_cast<size_t>(n)));
}

std::string ExeFolder() {
    std::string exe = ExeFileName();
    return exe.empty() ? PlayerPath(CurrentDirectory() + "/") : ExtractFilePath(exe);
}

std::string TempFolder() {
    const char* t = std::getenv("TMPDIR");
    std::string dir = (t && *t) ? t : "/tmp";
    return IncludeTrailingBackslash(PlayerPath(dir));
}

std::string CurrentDirectory() {
    char buf[PATH_MAX];
    if (!::getcwd(buf, sizeof(buf))) return "/";
    return buf;
}

std::string AbsoluteRealPath(std::string_view realPath) {
    std::string full = (!realPath.empty() && realPath[0] == '/')
                           ? std::string(realPath)
                           : CurrentDirectory() + "/" + std::string(realPath);
    std::vector<std::string> comps;
    size_t start = 0;
    for (size_t i = 0; i <= full.size(); ++i) {
        if (i == full.size() || full[i] == '/') {
            std::string c = full.substr(start, i - start);
            if (c == "..") {
                if (!comps.empty()) comps.pop_back();
            } else if (!c.empty() && c != ".") {
                comps.push_back(std::move(c));
            }
            start = i + 1;
        }
    }
    std::string out;
    for (auto& c : comps) out += "/" + c;
    if (out.empty())
        out = "/";
    else if (full.back() == '/')
        out += '/';
    return out;
}

std::string SaveFolder() {
    std::lock_guard<std::mutex> g(gSaveFolderLock);
    if (gSaveFolder.empty()) return ExeFolder();
    return gSaveFolder;
}

void SetSaveFolder(std::string_view playerFolder) {
    std::lock_guard<std::mutex> g(gSaveFolderLock);
    gSaveFolder = playerFolder.empty() ? std::string() : IncludeTrailingBackslash(playerFolder);
}

} // namespace vobe
