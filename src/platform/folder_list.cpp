#include "platform/folder_list.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace vobe {

namespace fs = std::filesystem;

std::vector<std::string> ListFolderFiles(const std::string& realFolder) {
    std::vector<std::string> out;
    std::error_code ec;
    fs::path root(realFolder);
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.empty() && name[0] == '.') {
            if (it->is_directory(ec)) it.disable_recursion_pending();
            continue;
        }
        if (!it->is_regular_file(ec)) continue;
        out.push_back(it->path().lexically_relative(root).generic_string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

bool RealFolderExists(const std::string& realFolder) {
    std::error_code ec;
    return fs::is_directory(realFolder, ec);
}

bool ForceRealFolder(const std::string& realFolder) {
    std::error_code ec;
    fs::create_directories(realFolder, ec);
    return fs::is_directory(realFolder, ec);
}

} // namespace vobe
