// Shift-JIS aware pieces of player paths used by the archive code ('\' and ':' separate; a trail
// byte 0x5C is part of its character). The plain pieces (ExtractFilePath, ExtractFileExt) are those
// of platform/paths.h.
#pragma once

#include <string>
#include <string_view>

namespace vobe::fname {

// The path with its extension replaced (or added).
std::string ChangeExt(std::string_view path, std::string_view ext);
// The path with a '\' appended unless it already ends in one (an empty path stays empty).
std::string WithBackslash(std::string_view path);

} // namespace vobe::fname
