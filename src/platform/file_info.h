// File dates, attributes and folder listings, by player path.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vobe {

// The file's modification time in the packed DOS form (date in the high 16 bits, local time), as the
// archive stores it; false when the file cannot be examined.
bool GetFileDosTime(const std::string& playerPath, int32_t& dosTime);
// Makes an existing file writable by its owner (the read-only attribute cleared); true when it is.
bool ClearReadOnly(const std::string& playerPath);
// Every regular file below the folder, as paths relative to it with '\' separators (Shift-JIS where
// the names convert), sorted by bytes. Symbolic links to files count as files; links to folders are
// not followed.
std::vector<std::string> ListFilesRecursive(const std::string& playerFolder);

} // namespace vobe

namespace vobe {

// Creates a new folder only this user can enter, inside `parentFolder`, and returns it as a player
// path with a trailing '\'; "" when it cannot be made.
std::string MakePrivateFolder(const std::string& parentFolder, const std::string& prefix);
// Removes a folder when it is empty; true when it is gone afterwards.
bool RemoveEmptyFolder(const std::string& playerFolder);
// Both paths name the same existing file.
bool SameFile(const std::string& playerPathA, const std::string& playerPathB);

} // namespace vobe
