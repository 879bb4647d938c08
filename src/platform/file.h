// Files by their real (operating-system) path. Game-side names reach this only after paths.h has
// turned them into real paths.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace vobe {

enum class TFileAccess { Read, Write, ReadWrite };

class TPlatformFile {
public:
    // Opens an existing file, or creates it when `create` is set (emptying it when `truncate` is set).
    // Returns null when the file cannot be opened.
    static std::unique_ptr<TPlatformFile> Open(const std::string& realPath, TFileAccess access,
                                               bool create = false, bool truncate = false);
    ~TPlatformFile();
    TPlatformFile(const TPlatformFile&) = delete;
    TPlatformFile& operator=(const TPlatformFile&) = delete;

    // Both return the bytes transferred; a failure or the end of the file gives a short count.
    int64_t Read(void* buffer, int64_t count);
    int64_t Write(const void* buffer, int64_t count);
    // origin: 0 from the start, 1 from the current position, 2 from the end. Returns the new position,
    // or -1 when the position cannot be set.
    int64_t Seek(int64_t offset, int origin);
    int64_t Size() const;
    bool Truncate(int64_t size);
    bool Flush();
    const std::string& Path() const { return path_; }

private:
    TPlatformFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    int fd_;
    std::string path_;
};

// Player-path file operations (paths.h turns the names into real paths).
bool FileExists(const std::string& playerPath);      // a file (not a folder)
bool DirectoryExists(const std::string& playerPath); // a folder
bool DeleteFile(const std::string& playerPath);      // true when the file is gone afterwards
bool CreateDir(const std::string& playerPath);       // true when the folder exists afterwards

// The exit deletion list: files a game asked to delete when the player ends (player paths).
void AddExitDeletion(const std::string& playerPath);
// Deletes every file of the list and empties it.
void DeleteExitFiles();

} // namespace vobe
