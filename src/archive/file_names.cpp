#include "archive/file_names.h"

#include "platform/paths.h"

namespace vobe::fname {

std::string ChangeExt(std::string_view path, std::string_view ext) {
    std::string out(path.substr(0, path.size() - ExtractFileExt(path).size()));
    out.append(ext);
    return out;
}

std::string WithBackslash(std::string_view path) {
    return path.empty() ? std::string() : IncludeTrailingBackslash(path);
}

} // namespace vobe::fname
