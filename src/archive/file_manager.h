// The one file manager through which every game file is read: a loose-file base folder, the mounted
// archives in mount order and the CD-ROM roots, a small most-recently-used cache of whole files, and
// the working files extracted for consumers that need a real path.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "archive/containers.h"
#include "archive/vf_archive.h"

namespace vobe {

// The two OK/Cancel questions of a disk prompt (a headless run answers them differently).
enum TVrBoxKind { vbDiskPrompt, vbQuitQuestion };

// Services the file manager takes from the shell and the project. Every member may be left empty; the
// platform's then apply (its CD-ROM mounts, temp folder and message boxes) and the default texts.
struct TVrFileManagerHost {
    // The roots of the CD-ROM drives with a medium ("X:\" on the original; here mount points), as
    // player paths with a trailing '\'. Asked once, when the file manager is created.
    std::function<std::vector<std::string>()> CdRoots;
    // The folder for working files, with a trailing '\'. By default a private folder made inside the
    // system's temp folder when the first working file is needed (removed at exit once empty): on a
    // shared temp folder, fixed names could be taken, or planted as links, by another user.
    std::function<std::string()> TempFolder;
    // An OK/Cancel box owned by the main window; true for OK.
    std::function<bool(TVrBoxKind kind, const std::string& caption, const std::string& text)> OkCancelBox;
    // Posts a close request to the main window.
    std::function<void()> PostClose;
    std::function<std::string()> ApplicationTitle;
    // The project's title and its disk texts ("%d" in the disk message stands for the disk number).
    std::function<std::string()> ProjectTitle;
    std::function<std::string()> DiskMessage;
    std::function<std::string()> QuitMessage;
    // Reads an installation record: its title and disk index. The default reads the record's first
    // fields itself.
    std::function<bool(const std::string& installPath, std::string& title, int32_t& diskIndex)> ReadInstall;
};

// Reads the disk index and the title from the start of an installation record ("install.dat").
bool ReadInstallTitle(TStream& s, std::string& title, int32_t& diskIndex);

struct TVrCache {
    std::string Name; // upper-cased
    TMemoryStream Stream;
};

struct TVrLockData {
    int32_t Id = 0;
    std::string Name;
    int32_t RefCount = 0;
    std::string Path; // the working file
};

class TVrFileManager {
public:
    static constexpr int64_t CacheLimit = 4194304;

    explicit TVrFileManager(TVrFileManagerHost host = {});
    // Frees every lock: their working files go to WorkingFilesToDelete().
    ~TVrFileManager();
    TVrFileManager(const TVrFileManager&) = delete;
    TVrFileManager& operator=(const TVrFileManager&) = delete;

    // The loose-file folder; a '\' is appended; empty allowed.
    void SetBaseFolder(const std::string& folder);
    const std::string& BaseFolder() const { return FBaseFolder; }

    // Mounts the archive (or, when the file does not exist, the folder) at path; -1 when a collection
    // of that folder is mounted already. Raises EVobeError when the archive is damaged.
    int32_t MountFile(const std::string& path);
    // Mounts an archive linked into the program.
    int32_t MountResource(const std::string& resName, const std::string& resType);
    // Frees the collection and clears the cache.
    void Unmount(int32_t index);
    int32_t ArchiveCount() const { return FArchives.Count(); }
    TVrFileCollection* Archives(int32_t i) const { return FArchives.Items(i); }

    bool Exists(const std::string& name);
    // Fills the stream with the whole file (memory streams are cleared first); position 0 afterwards.
    // Raises "%s:ファイルがありません".
    void LoadToStream(TStream& stream, const std::string& name);
    // The path of a real file with that content: the loose file, a working file extracted from an
    // archive (the same one for every request of the same name), a file on a CD, or the name itself.
    std::string GetFileName(const std::string& name);
    // A range stream over the file or over the entry's stored bytes.
    std::unique_ptr<TRangeStream> OpenRangeStream(const std::string& name);

    // Asks for disk d until it is inserted (true) or the player gives up (false, Terminating set).
    bool RequestDisk(int32_t diskNumber);
    // Mounts game.dat of every CD root whose install.dat names this project and disk index k.
    bool MountDiskArchive(int32_t diskIndex);

    // The folder part of a name: the ordinary one for "\\..." and "X:..." names, else everything up
    // to and including the last '\'.
    static std::string ExtractFolder(const std::string& name);

    void ClearCache();
    int64_t CacheSize() const { return FCacheSize; }
    int32_t CacheCount() const { return static_cast<int32_t>(FCache.size()); }
    const std::vector<std::string>& CdRoots() const { return FCdRoots; }
    void SetCdRoots(std::vector<std::string> roots) { FCdRoots = std::move(roots); }
    const std::vector<TVrLockData>& Locks() const { return FLocks; }
    TVrFileManagerHost& Host() { return FHost; }

private:
    TVrCache* CacheEntry(const std::string& upperName);
    void DropCacheEntry(const std::string& upperName);
    std::string TempFolder();

    TVrFileManagerHost FHost;
    TObjList<TVrFileCollection> FArchives;
    std::vector<std::string> FCdRoots;
    std::string FBaseFolder;
    std::list<TVrCache> FCache; // most recently used first
    std::unordered_map<std::string, std::list<TVrCache>::iterator> FCacheIndex;
    int64_t FCacheSize = 0;
    std::vector<TVrLockData> FLocks;
    int32_t FNextLockId = 0;
    std::string FPrivateTemp;
};

// The process-wide file manager; the shell creates it before the window and frees it at exit.
extern TVrFileManager* FileManager;

// Start-up (the window's creation). Without folder arguments: the base folder is the program's folder;
// an archive linked in as resource "DUMMY" of type "BINTYPE" (when it ends in "vf") and an archive
// appended to the program itself (when it ends in "vb") are mounted. Damaged archives raise.
void MountOwnArchives(TVrFileManager& fm);
// With folder arguments: the base folder is baseFolder, and every folder's "game.dat" is mounted when
// present, in order.
void MountFolders(TVrFileManager& fm, const std::string& baseFolder, const std::vector<std::string>& folders);

// The process-wide instance: created before the window, freed at exit (which queues the working files
// and deletes them).
void CreateFileManager(TVrFileManagerHost host = {});
void FreeFileManager();

// Working files whose lock was freed, deleted at exit by DeleteWorkingFiles.
std::vector<std::string>& WorkingFilesToDelete();
// Deletes the queued working files (and the private folders that held them) and empties the queue.
void DeleteWorkingFiles();

} // namespace vobe
