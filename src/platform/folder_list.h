// Folder listing and creation by real path, for the tools that read and write whole game folders.
#pragma once

#include <string>
#include <vector>

namespace vobe {

// Every regular file under the folder, as paths relative to it with '/' separators, sorted by byte
// order. Hidden entries (names starting with '.') are left out. Empty when the folder cannot be read.
std::vector<std::string> ListFolderFiles(const std::string& realFolder);

// True when the real path is a folder.
bool RealFolderExists(const std::string& realFolder);

// Creates the folder and its missing parents; true when it exists afterwards.
bool ForceRealFolder(const std::string& realFolder);

} // namespace vobe
