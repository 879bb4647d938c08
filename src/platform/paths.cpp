#include "platform/paths.h"

#include "platform/cp932.h"

namespace vobe {

std::string RealPath(std::string_view playerPath) {
    std::string utf8;
    if (!TrySjisToUtf8(playerPath, utf8)) utf8.assign(playerPath);
    for (char& c : utf8)
        if (c == '\\') c = '/';
    return utf8;
}

std::string PlayerPath(std::string_view realPath) {
    std::string sjis;
    if (!TryUtf8ToSjis(realPath, sjis)) sjis.assign(realPath);
    for (char& c : sjis)
        if (c == '/') c = '\\';
    return sjis;
}

} // namespace vobe
