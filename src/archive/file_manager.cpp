#include "archive/file_manager.h"

#include <cstdio>

#include "archive/file_names.h"
#include "platform/cp932.h"
#include "platform/drives.h"
#include "platform/file.h"
#include "platform/file_info.h"
#include "platform/globals.h"
#include "platform/message_box.h"
#include "platform/paths.h"

namespace vobe {

TVrFileManager* FileManager = nullptr;

std::vector<std::string>& WorkingFilesToDelete() {
    static std::vector<std::string> files;
    return files;
}

namespace {

std::vector<std::string>& PrivateFoldersToRemove() {
    static std::vector<std::string> folders;
    return folders;
}

} // namespace

void DeleteWorkingFiles() {
    for (const std::string& f : WorkingFilesToDelete()) DeleteFile(f);
    WorkingFilesToDelete().clear();
    for (const std::string& d : PrivateFoldersToRemove()) RemoveEmptyFolder(d);
    PrivateFoldersToRemove().clear();
}

namespace {

[[noreturn]] void RaiseNotFound(const std::string& name) {
    throw EVobeError(name + SJ(":ファイルがありません"));
}

// The disk message with its "%d" (and "%%") filled in. The text comes from the game: anything else
// after a '%' is left as it stands rather than handed to a formatter.
std::string FormatDiskText(const std::string& fmt, int32_t d) {
    std::string out;
    bool used = false;
    for (size_t i = 0; i < fmt.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(fmt[i]);
        if (IsDBCSLeadByte(c) && i + 1 < fmt.size()) {
            out += fmt.substr(i, 2);
            ++i;
            continue;
        }
        if (c == '%' && i + 1 < fmt.size()) {
            if (fmt[i + 1] == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (fmt[i + 1] == 'd' && !used) {
                out += std::to_string(d);
                used = true;
                ++i;
                continue;
            }
        }
        out += static_cast<char>(c);
    }
    return out;
}

} // namespace

bool ReadInstallTitle(TStream& s, std::string& title, int32_t& diskIndex) {
    try {
        char magic[2] = {};
        s.SetPosition(0);
        if (s.Read(magic, 2) == 2 && magic[0] == 'i' && magic[1] == 's') {
            char digits[3];
            s.ReadBuffer(digits, 3);
        } else {
            s.SetPosition(0);
        }
        diskIndex = ReadInt32(s);
        title = ReadStr(s);
        return true;
    } catch (const EVobeError&) {
        return false;
    }
}

// ---- TVrFileManager ---------------------------------------------------------------------------------

TVrFileManager::TVrFileManager(TVrFileManagerHost host) : FHost(std::move(host)) {
    FCdRoots = FHost.CdRoots ? FHost.CdRoots() : vobe::CdRoots();
}

TVrFileManager::~TVrFileManager() {
    for (const TVrLockData& l : FLocks) WorkingFilesToDelete().push_back(l.Path);
    FLocks.clear();
    if (!FPrivateTemp.empty()) PrivateFoldersToRemove().push_back(FPrivateTemp);
}

void TVrFileManager::SetBaseFolder(const std::string& folder) {
    FBaseFolder = fname::WithBackslash(folder);
}

int32_t TVrFileManager::MountFile(const std::string& path) {
    for (const auto& c : FArchives)
        if (AnsiSameText(c->Folder(), path)) return -1;
    auto c = std::make_unique<TVrFileCollection>();
    c->LoadFromFile(path);
    FArchives.Add(std::move(c));
    return FArchives.Count() - 1;
}

int32_t TVrFileManager::MountResource(const std::string& resName, const std::string& resType) {
    auto c = std::make_unique<TVrFileCollection>();
    c->LoadFromResource(resName, resType);
    FArchives.Add(std::move(c));
    return FArchives.Count() - 1;
}

void TVrFileManager::Unmount(int32_t index) {
    FArchives.Delete(index);
    // Files read from that archive must not be served from the cache once it is gone.
    ClearCache();
}

std::string TVrFileManager::TempFolder() {
    if (FHost.TempFolder) return fname::WithBackslash(FHost.TempFolder());
    if (FPrivateTemp.empty()) FPrivateTemp = MakePrivateFolder(vobe::TempFolder(), "vobeplayer-");
    return FPrivateTemp.empty() ? fname::WithBackslash(vobe::TempFolder()) : FPrivateTemp;
}

bool TVrFileManager::Exists(const std::string& name) {
    for (const auto& c : FArchives)
        if (c->FindEntry(name)) return true;
    if (FileExists(FBaseFolder + name)) return true;
    for (const std::string& root : FCdRoots)
        if (FileExists(root + name)) return true;
    return false;
}

// ---- cache ------------------------------------------------------------------------------------------

TVrCache* TVrFileManager::CacheEntry(const std::string& upperName) {
    auto it = FCacheIndex.find(upperName);
    if (it != FCacheIndex.end()) {
        FCache.splice(FCache.begin(), FCache, it->second);
        return &FCache.front();
    }
    FCache.emplace_front();
    FCache.front().Name = upperName;
    FCacheIndex[upperName] = FCache.begin();
    if (FCache.size() > 1) {
        while (FCacheSize > CacheLimit && FCache.size() > 1) {
            TVrCache& last = FCache.back();
            FCacheSize -= last.Stream.GetSize();
            FCacheIndex.erase(last.Name);
            FCache.pop_back();
        }
    }
    return &FCache.front();
}

void TVrFileManager::DropCacheEntry(const std::string& upperName) {
    auto it = FCacheIndex.find(upperName);
    if (it == FCacheIndex.end()) return;
    FCacheSize -= it->second->Stream.GetSize();
    FCache.erase(it->second);
    FCacheIndex.erase(it);
}

void TVrFileManager::ClearCache() {
    FCache.clear();
    FCacheIndex.clear();
    FCacheSize = 0;
}

// ---- reading ----------------------------------------------------------------------------------------

namespace {

// Replaces dest's content by the source memory (a memory destination is cleared first).
void Deliver(TStream& dest, const TMemoryStream& src) {
    if (auto* mem = dynamic_cast<TMemoryStream*>(&dest)) {
        mem->Bytes() = src.Bytes();
        mem->SetPosition(0);
        return;
    }
    src.SaveToStream(dest);
    dest.SetPosition(0);
}

} // namespace

void TVrFileManager::LoadToStream(TStream& stream, const std::string& name) {
    if (auto* mem = dynamic_cast<TMemoryStream*>(&stream)) mem->Clear();
    const std::string upper = AnsiUpperCase(name);
    TVrCache* cache = CacheEntry(upper);
    if (cache->Stream.GetSize() > 0) {
        Deliver(stream, cache->Stream);
        return;
    }
    try {
        auto fill = [&](auto&& load) {
            load(cache->Stream);
            FCacheSize += cache->Stream.GetSize();
            Deliver(stream, cache->Stream);
        };
        const std::string loose = FBaseFolder + name;
        if (FileExists(loose)) {
            fill([&](TMemoryStream& m) { m.LoadFromFile(loose); });
            return;
        }
        for (const auto& c : FArchives) {
            TVrFile* e = c->FindEntry(name);
            if (!e) continue;
            if (e->Stream) {
                DropCacheEntry(upper);
                Deliver(stream, *e->Stream);
                return;
            }
            if (!c->ArchiveStream()) continue;
            fill([&](TMemoryStream& m) { c->LoadEntryData(*e, m); });
            return;
        }
        for (const std::string& root : FCdRoots) {
            if (FileExists(root + name)) {
                fill([&](TMemoryStream& m) { m.LoadFromFile(root + name); });
                return;
            }
        }
    } catch (...) {
        DropCacheEntry(upper);
        throw;
    }
    DropCacheEntry(upper);
    RaiseNotFound(name);
}

std::string TVrFileManager::GetFileName(const std::string& name) {
    const std::string loose = FBaseFolder + name;
    if (FileExists(loose)) return loose;
    bool inArchive = false;
    for (const auto& c : FArchives)
        if (c->FindEntry(name)) {
            inArchive = true;
            break;
        }
    if (inArchive) {
        for (TVrLockData& l : FLocks)
            if (l.Name == name) {
                ++l.RefCount;
                return l.Path;
            }
        TVrLockData lock;
        lock.Id = FNextLockId;
        lock.Name = name;
        lock.RefCount = 1;
        char hex[16];
        std::snprintf(hex, sizeof hex, "%.8X", static_cast<uint32_t>(lock.Id));
        lock.Path = TempFolder() + "~vb" + hex + ExtractFileExt(name);
        if (FileExists(lock.Path)) ClearReadOnly(lock.Path);
        std::unique_ptr<TFileStream> f;
        try {
            f = std::make_unique<TFileStream>(lock.Path, fmCreate);
        } catch (const EVobeError&) {
            throw EVobeError(SJ("作業用ファイルが作れません"));
        }
        try {
            LoadToStream(*f, name);
        } catch (...) {
            // A half-written working file must not be handed out later.
            f.reset();
            DeleteFile(lock.Path);
            throw;
        }
        f.reset();
        FLocks.push_back(lock);
        // The next id skips every id still in use.
        for (bool used = true; used;) {
            ++FNextLockId;
            used = false;
            for (const TVrLockData& l : FLocks)
                if (l.Id == FNextLockId) used = true;
        }
        return lock.Path;
    }
    for (const std::string& root : FCdRoots)
        if (FileExists(root + name)) return root + name;
    return name;
}

std::unique_ptr<TRangeStream> TVrFileManager::OpenRangeStream(const std::string& name) {
    const std::string loose = FBaseFolder + name;
    if (FileExists(loose)) return std::make_unique<TFileRangeStream>(loose, 0, 0);
    for (const auto& c : FArchives) {
        if (!c->ArchiveStream() || !c->FindEntry(name)) continue;
        if (auto r = c->OpenEntryRange(name)) return r;
    }
    for (const std::string& root : FCdRoots)
        if (FileExists(root + name)) return std::make_unique<TFileRangeStream>(root + name, 0, 0);
    RaiseNotFound(name);
}

// ---- disks ------------------------------------------------------------------------------------------

bool TVrFileManager::RequestDisk(int32_t diskNumber) {
    for (int32_t i = FArchives.Count() - 1; i >= 0; --i) {
        const std::string folder = AnsiUpperCase(FArchives.Items(i)->Folder());
        for (const std::string& root : FCdRoots) {
            if (folder.compare(0, root.size(), AnsiUpperCase(root)) == 0) {
                Unmount(i);
                break;
            }
        }
    }
    const std::string caption = FHost.ApplicationTitle ? FHost.ApplicationTitle() : std::string();
    std::string diskFmt = FHost.DiskMessage ? FHost.DiskMessage() : std::string();
    if (diskFmt.empty()) diskFmt = SJ("ディスク%dを入れてから[OK]をクリックしてください");
    std::string quit = FHost.QuitMessage ? FHost.QuitMessage() : std::string();
    if (quit.empty()) quit = SJ("終了します");
    auto ask = [&](TVrBoxKind kind, const std::string& text) {
        if (FHost.OkCancelBox) return FHost.OkCancelBox(kind, caption, text);
        // A headless run refuses the prompt and accepts the quit question that follows.
        return MessageBox(text, caption, MB_OKCANCEL | MB_ICONQUESTION, kind == vbQuitQuestion ? IDOK : 0) ==
               IDOK;
    };
    for (;;) {
        if (ask(vbDiskPrompt, FormatDiskText(diskFmt, diskNumber))) {
            if (MountDiskArchive(diskNumber - 1)) return true;
            continue;
        }
        if (ask(vbQuitQuestion, quit)) {
            Terminating = true;
            if (FHost.PostClose) FHost.PostClose();
            return false;
        }
    }
}

bool TVrFileManager::MountDiskArchive(int32_t diskIndex) {
    const std::string project = FHost.ProjectTitle ? FHost.ProjectTitle() : std::string();
    const std::string gameDat = "game.dat", installDat = "install.dat";
    bool mounted = false;
    for (const std::string& root : FCdRoots) {
        if (!FileExists(root + gameDat) || !FileExists(root + installDat)) continue;
        std::string title;
        int32_t index = -1;
        bool ok;
        if (FHost.ReadInstall) {
            ok = FHost.ReadInstall(root + installDat, title, index);
        } else {
            try {
                TFileStream f(root + installDat, fmOpenRead);
                ok = ReadInstallTitle(f, title, index);
            } catch (const EVobeError&) {
                ok = false;
            }
        }
        if (!ok || title != project || index != diskIndex) continue;
        try {
            if (MountFile(root + gameDat) >= 0) mounted = true;
        } catch (const EVobeError&) {
            // A damaged disk is no disk: the prompt asks again.
        }
    }
    return mounted;
}

std::string TVrFileManager::ExtractFolder(const std::string& name) {
    if ((name.size() >= 2 && name[0] == '\\' && name[1] == '\\') || (name.size() >= 2 && name[1] == ':'))
        return ExtractFilePath(name);
    // Up to the last '\' only: a ':' further on is part of a name here.
    size_t last = std::string::npos;
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (IsDBCSLeadByte(c)) {
            ++i;
        } else if (c == '\\') {
            last = i;
        }
    }
    return last == std::string::npos ? std::string() : name.substr(0, last + 1);
}

// ---- start-up ---------------------------------------------------------------------------------------

void MountOwnArchives(TVrFileManager& fm) {
    fm.SetBaseFolder(ExeFolder());
    {
        TTpBigResourceStream res("DUMMY", "BINTYPE");
        const int64_t size = res.GetSize();
        uint8_t tail[2] = {};
        if (size >= 2) {
            res.SetPosition(size - 2);
            res.ReadBuffer64(tail, 2);
        }
        if (tail[0] == 'v' && tail[1] == 'f') fm.MountResource("DUMMY", "BINTYPE");
    }
    const std::string exe = ExeFileName();
    bool appended = false;
    try {
        TFileStream f(exe, fmOpenRead);
        const int64_t size = f.GetSize();
        char tail[2] = {};
        if (size >= 6) {
            f.SetPosition(size - 2);
            appended = f.Read(tail, 2) == 2 && tail[0] == 'v' && tail[1] == 'b';
        }
    } catch (const EVobeError&) {
        appended = false;
    }
    if (appended) fm.MountFile(exe);
}

void MountFolders(TVrFileManager& fm, const std::string& baseFolder,
                  const std::vector<std::string>& folders) {
    fm.SetBaseFolder(baseFolder);
    for (const std::string& folder : folders) {
        const std::string dat = fname::WithBackslash(folder) + "game.dat";
        if (FileExists(dat)) fm.MountFile(dat);
    }
}

void CreateFileManager(TVrFileManagerHost host) {
    delete FileManager;
    FileManager = new TVrFileManager(std::move(host));
}

void FreeFileManager() {
    delete FileManager;
    FileManager = nullptr;
    DeleteWorkingFiles();
}

} // namespace vobe
