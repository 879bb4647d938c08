// Game-side paths and real paths.
//
// Inside the player every path is a "player path": Shift-JIS bytes with '\' separators, as the games
// were written for. A real path is the operating system's: UTF-8 with '/'. Only this file turns one
// into the other.
#pragma once

#include <string>
#include <string_view>

namespace vobe {

// Player path to real path: '\' becomes '/', Shift-JIS becomes UTF-8 (the raw bytes where the text is
// not valid Shift-JIS), and every component that exists on disk in another letter case is matched to
// the name on disk. Components that do not exist are kept as converted.
std::string RealPath(std::string_view playerPath);

// Real path to player path: '/' becomes '\', UTF-8 becomes Shift-JIS (the raw bytes where a name has no
// Shift-JIS form).
std::string PlayerPath(std::string_view realPath);

} // namespace vobe
