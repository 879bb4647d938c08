#include "platform/file_info.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/paths.h"

namespace vobe {

bool GetFileDosTime(const std::string& playerPath, int32_t& dosTime) {
    struct stat st;
    if (::stat(RealPath(playerPath).c_str(), &st) != 0) return false;
    std::time_t t = st.st_mtime;
    std::tm tm{};
    if (!::localtime_r(&t, &tm)) return false;
    int year = tm.tm_year + 1900;
    // The DOS form covers 1980..2107.
    year = std::clamp(year, 1980, 2107);
    uint32_t v = static_cast<uint32_t>(year - 1980) << 25 | static_cast<uint32_t>(tm.tm_mon + 1) << 21 |
                 static_cast<uint32_t>(tm.tm_mday) << 16 | static_cast<uint32_t>(tm.tm_hour) << 11 |
                 static_cast<uint32_t>(tm.tm_min) << 5 | static_cast<uint32_t>(std::min(tm.tm_sec, 59) / 2);
    dosTime = static_cast<int32_t>(v);
    return true;
}

bool ClearReadOnly(const std::string& playerPath) {
    std::string real = RealPath(playerPath);
    struct stat st;
    if (::stat(real.c_str(), &st) != 0) return false;
    if (st.st_mode & S_IWUSR) return true;
    return ::chmod(real.c_str(), st.st_mode | S_IWUSR) == 0;
}

std::vector<std::string> ListFilesRecursive(const std::string& playerFolder) {
    namespace fs = std::filesystem;
    std::vector<std::string> out;
    const fs::path root(RealPath(playerFolder));
    std::error_code ec;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code fec;
        if (!it->is_regular_file(fec)) continue;
        std::string rel = it->path().lexically_relative(root).generic_string();
        out.push_back(PlayerPath(rel));
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace vobe

namespace vobe {

std::string MakePrivateFolder(const std::string& parentFolder, const std::string& prefix) {
    std::string real = RealPath(parentFolder);
    if (!real.empty() && real.back() != '/') real += '/';
    std::string templ = real + prefix + "XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) return {};
    return PlayerPath(std::string(buf.data()) + "/");
}

bool RemoveEmptyFolder(const std::string& playerFolder) {
    std::string real = RealPath(playerFolder);
    while (real.size() > 1 && real.back() == '/') real.pop_back();
    return ::rmdir(real.c_str()) == 0 || errno == ENOENT;
}

bool SameFile(const std::string& playerPathA, const std::string& playerPathB) {
    struct stat a, b;
    if (::stat(RealPath(playerPathA).c_str(), &a) != 0 || ::stat(RealPath(playerPathB).c_str(), &b) != 0)
        return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace vobe
