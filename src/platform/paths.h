// Game-side paths and real paths.
//
// Inside the player every path is a "player path": Shift-JIS bytes with '\' separators, as the games
// were written for. A real path is the operating system's: UTF-8 with '/'. Only this file turns one
// into the other.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vobe {

// Player path to real path: '\' becomes '/' (a Shift-JIS trail byte 0x5C is part of its character, not
// a separator), each component's Shift-JIS becomes UTF-8, and every component is matched to the name on
// disk without regard to case. A component is looked for under its UTF-8 form and under its raw bytes
// (names copied from an archive without conversion); when neither exists, the UTF-8 form is kept (the
// raw bytes where the component is not valid Shift-JIS), so that new files get readable names.
std::string RealPath(std::string_view playerPath);

// Real path to player path: '/' becomes '\', UTF-8 becomes Shift-JIS (the raw bytes where a component
// has no Shift-JIS form).
std::string PlayerPath(std::string_view realPath);

// The components of a player path, split at '\' but never at a trail byte. Empty components (a leading,
// doubled or trailing '\') are dropped.
std::vector<std::string> SplitPlayerPath(std::string_view playerPath);

// Shift-JIS aware helpers on player paths.
// True when the last character is a '\' of its own (not the trail byte of a double-byte character).
bool EndsWithBackslash(std::string_view playerPath);
std::string IncludeTrailingBackslash(std::string_view playerPath);
// Everything up to and including the last '\' separator ("" when there is none).
std::string ExtractFilePath(std::string_view playerPath);
// Everything after the last '\' separator.
std::string ExtractFileName(std::string_view playerPath);
// The extension with its dot, from the last '.' of the file name ("" when there is none).
std::string ExtractFileExt(std::string_view playerPath);

// The running program's full path and folder (with a trailing '\'), as player paths.
std::string ExeFileName();
std::string ExeFolder();
// The folder for working files (TMPDIR, else /tmp), as a player path with a trailing '\'.
std::string TempFolder();
// The current directory as a real path, and a real path made absolute against it ("." and ".." folded).
std::string CurrentDirectory();
std::string AbsoluteRealPath(std::string_view realPath);

// The folder that holds save.dat, as a player path with a trailing '\'. The shell sets it at start-up
// (--save-dir, else the game's base folder); until then it is the executable's folder.
std::string SaveFolder();
void SetSaveFolder(std::string_view playerFolder);

} // namespace vobe
