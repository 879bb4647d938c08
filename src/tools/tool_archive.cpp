// vobetool archive list|cat|extract|pack.
#include <cstdio>
#include <string>

#include "archive/file_manager.h"
#include "archive/vf_archive.h"
#include "platform/cp932.h"
#include "platform/file.h"
#include "platform/file_info.h"
#include "platform/paths.h"
#include "tools/commands.h"

namespace vobe::tool {

namespace {

int Usage() {
    std::fputs("usage: vobetool archive list ARCHIVE\n"
               "       vobetool archive cat ARCHIVE NAME\n"
               "       vobetool archive extract ARCHIVE DIR\n"
               "       vobetool archive pack DIR ARCHIVE\n",
               stderr);
    return 1;
}

// Mounts the archive as the file manager mounts one; a missing file is an error here, not a folder.
void Open(TVrFileCollection& c, const std::string& utf8Path) {
    const std::string path = PlayerPath(utf8Path);
    if (!FileExists(path)) throw EVobeError(path + SJ(":ファイルがありません"));
    c.LoadFromFile(path);
}

bool WriteAll(std::FILE* f, const TMemoryStream& m) {
    const size_t n = static_cast<size_t>(m.Bytes().size());
    return n == 0 || std::fwrite(m.Memory(), 1, n, f) == n;
}

// The components of a name; '/' separates too, as it would on this system's file names.
std::vector<std::string> SplitEntryName(const std::string& path) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (IsDBCSLeadByte(c) && i + 1 < path.size()) {
            parts.back() += path.substr(i, 2);
            ++i;
        } else if (c == '\\' || c == '/') {
            parts.emplace_back();
        } else {
            parts.back() += static_cast<char>(c);
        }
    }
    return parts;
}

// An entry name that stays inside the destination folder: relative, without "." or ".." components.
bool SafeEntryName(const std::string& name) {
    if (name.empty() || name[0] == '\\' || (name.size() >= 2 && name[1] == ':')) return false;
    for (const std::string& part : SplitEntryName(name))
        if (part.empty() || part == "." || part == "..") return false;
    return true;
}

} // namespace

int ArchiveCommand(const Args& args) {
    if (args.empty()) return Usage();
    const std::string& cmd = args[0];
    if (cmd == "list" && args.size() == 2) {
        TVrFileCollection c;
        Open(c, args[1]);
        std::string out;
        for (int32_t i = 0; i < c.EntryCount(); ++i) {
            TVrFile* e = c.Entry(i);
            char line[64];
            std::snprintf(line, sizeof line, "\t%lld\t%u\t%08x\t%08x\n", static_cast<long long>(e->Size),
                          static_cast<unsigned>(e->Stored), static_cast<uint32_t>(e->Time), e->Checksum);
            out += SjisToUtf8(e->GetName());
            out += line;
        }
        std::fwrite(out.data(), 1, out.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (cmd == "cat" && args.size() == 3) {
        TVrFileCollection c;
        Open(c, args[1]);
        const std::string name = Utf8ToSjis(args[2]);
        TVrFile* e = c.FindEntry(name);
        if (!e) return Fail(name + SJ(":ファイルがありません"));
        TMemoryStream m;
        c.LoadEntryData(*e, m);
        if (!WriteAll(stdout, m) || std::fflush(stdout) != 0) return Fail("write error");
        return 0;
    }
    if (cmd == "extract" && args.size() == 3) {
        TVrFileCollection c;
        Open(c, args[1]);
        const std::string dir = PlayerPath(args[2]);
        CreateDir(dir);
        const std::string base = dir.empty() ? dir : IncludeTrailingBackslash(dir);
        int status = 0;
        TMemoryStream m;
        for (int32_t i = 0; i < c.EntryCount(); ++i) {
            TVrFile* e = c.Entry(i);
            if (!SafeEntryName(e->GetName())) {
                status = Fail(e->GetName() + SJ(":展開先の外を指す名前です"));
                continue;
            }
            std::string target = base;
            // Create the folders along the name, then the file.
            std::vector<std::string> parts = SplitEntryName(e->GetName());
            for (size_t k = 0; k + 1 < parts.size(); ++k) {
                target += parts[k];
                CreateDir(target);
                target += '\\';
            }
            target += parts.back();
            c.LoadEntryData(*e, m);
            m.SaveToFile(target);
        }
        return status;
    }
    if (cmd == "pack" && args.size() == 3) {
        std::string dir = PlayerPath(args[1]);
        if (!DirectoryExists(dir)) return Fail(dir + SJ(":フォルダがありません"));
        dir = IncludeTrailingBackslash(dir);
        TVrFileCollection c;
        // A folder-only collection: the entries are its loose files.
        c.LoadFromFile(dir, true);
        const std::string archive = PlayerPath(args[2]);
        for (const std::string& rel : ListFilesRecursive(dir)) {
            if (SameFile(dir + rel, archive)) continue; // never pack an old copy of the output itself
            c.AddEntry(rel);
        }
        TMemoryStream image;
        c.WriteArchive(image);
        image.SaveToFile(archive);
        return 0;
    }
    return Usage();
}

} // namespace vobe::tool
