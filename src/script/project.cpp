#include "script/project.h"

#include <map>

#include "components/vask_man.h"
#include "platform/cp932.h"
#include "platform/globals.h"
#include "platform/paths.h"
#include "script/install_set.h"

namespace vobe {

namespace {

const std::string& Text(const char* utf8) {
    // The project's few fixed texts, converted once each (map nodes keep their place).
    static std::map<std::string, std::string> cache;
    auto it = cache.find(utf8);
    if (it == cache.end()) it = cache.emplace(utf8, SJ(utf8)).first;
    return it->second;
}

// Position of the last '\' that is not the second byte of a double-byte character, or npos.
size_t LastBackslash(const std::string& s) {
    size_t last = std::string::npos;
    for (size_t i = 0; i < s.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) {
            ++i;
            continue;
        }
        if (s[i] == '\\') last = i;
    }
    return last;
}

void CheckCount(TStream& s, int32_t n, int64_t minItemSize) {
    if (n < 0 || n > s.Remaining() / minItemSize) throw EStreamError("count");
}

} // namespace

// ---- TFolderDiskList -------------------------------------------------------------------------------

int32_t TFolderDiskList::DiskOf(const std::string& name) const {
    std::string s = AnsiUpperCase(name);
    while (!s.empty()) {
        const std::string key = IncludeTrailingBackslash(s);
        for (auto& item : FItems)
            if (AnsiSameText(IncludeTrailingBackslash(item.Folder), key)) return item.Disk;
        size_t cut = LastBackslash(s);
        s = cut == std::string::npos ? std::string() : s.substr(0, cut);
    }
    return 0;
}

// ---- TProjectFile ----------------------------------------------------------------------------------

void TProjectFile::LoadFromStream(TStream& s) {
    try {
        Version = ReadInt32(s);
        if (Version > ProjectVersion) return;
        Title = ReadStr(s);
        Width = ReadInt32(s);
        Height = ReadInt32(s);
        FullWidth = ReadInt32(s);
        FullHeight = ReadInt32(s);
        StartPage = ReadStr(s);
        ExitPage = Version >= 110 ? ReadStr(s) : std::string();
        RegistryKey = ReadStr(s);
        ImageKey = ReadInt32(s);
        SaveStatusEnabled = Version >= 104 ? ReadByte(s) != 0 : true;
        FrameWaitEnabled = Version >= 106 ? ReadByte(s) != 0 : false;
        MediaExtensions = Version >= 109 ? ReadStr(s) : std::string(".wav.wma.ogg.mid");
        DiskMessage = ReadStr(s);
        QuitMessage = ReadStr(s);
        int32_t m = ReadInt32(s);
        CheckCount(s, m, 5); // type byte and name length
        Variables.clear();
        for (int32_t i = 0; i < m; ++i) {
            TDeclaredVar v;
            v.Type = ReadByte(s);
            v.Name = ReadStr(s);
            switch (v.Type) {
            case 1: v.IntValue = ReadInt32(s); break;
            case 2: v.FloatValue = ReadExtended(s); break;
            case 3: v.BoolValue = ReadByte(s) != 0; break;
            case 4: v.StrValue = ReadStr(s); break;
            default: break;
            }
            Variables.push_back(std::move(v));
        }
        int32_t k = ReadInt32(s);
        CheckCount(s, k, 8); // folder length and disk number
        Folders.clear();
        for (int32_t i = 0; i < k; ++i) {
            TFolderDisk f;
            f.Folder = ReadStr(s);
            f.Disk = ReadInt32(s);
            Folders.push_back(std::move(f));
        }
    } catch (const EStreamError& e) {
        throw EVobeError(SJ("vobe.vpb が壊れています") + "\r\n" + e.Message());
    }
}

void TProjectFile::SaveToStream(TStream& s) const {
    WriteInt32(s, ProjectVersion);
    WriteStr(s, Title);
    WriteInt32(s, Width);
    WriteInt32(s, Height);
    WriteInt32(s, FullWidth);
    WriteInt32(s, FullHeight);
    WriteStr(s, StartPage);
    WriteStr(s, ExitPage);
    WriteStr(s, RegistryKey);
    WriteInt32(s, ImageKey);
    WriteBool(s, SaveStatusEnabled);
    WriteBool(s, FrameWaitEnabled);
    WriteStr(s, MediaExtensions);
    WriteStr(s, DiskMessage);
    WriteStr(s, QuitMessage);
    WriteInt32(s, static_cast<int32_t>(Variables.size()));
    for (auto& v : Variables) {
        WriteByte(s, v.Type);
        WriteStr(s, v.Name);
        switch (v.Type) {
        case 1: WriteInt32(s, v.IntValue); break;
        case 2: WriteExtended(s, v.FloatValue); break;
        case 3: WriteBool(s, v.BoolValue); break;
        case 4: WriteStr(s, v.StrValue); break;
        default: break;
        }
    }
    WriteInt32(s, static_cast<int32_t>(Folders.size()));
    for (auto& f : Folders) {
        WriteStr(s, f.Folder);
        WriteInt32(s, f.Disk);
    }
}

// ---- TProject --------------------------------------------------------------------------------------

TProject::TProject(TProjectServices services) : FServices(std::move(services)) {
    Start();
}

void TProject::Start() {
    DiskMessage = Text("ディスク%dを入れてから[OK]をクリックしてください");
    QuitMessage = Text("終了します");
    Terminating = true;
    LoadSlot = -1;
    SaveSlot = -1;
    SaveStatusEnabled = true;
    FrameWaitEnabled = true;
    MediaExtensions = "wav.wma.ogg";
    if (FServices.StatusLoad) FServices.StatusLoad();
    Title = Text("情報");

    if (!FServices.HasGameFolderArgument && !DiscoverGameData()) {
        FStartError = "game data not found";
        return;
    }
    if (!ReadProject()) return;
    Terminating = false;
    ReadOriginalFolders();

    if (FServices.CreateInterpreter) {
        FInterpreter = FServices.CreateInterpreter();
    } else {
        TCallManServices services = FServices.Interpreter;
        if (!services.FileAvailable)
            services.FileAvailable = [this](const std::string& name) { return FileAvailable(name); };
        FInterpreter = std::make_unique<TCallMan>(std::move(services));
    }
    if (FServices.FileExists && FServices.FileExists(StartPage)) {
        FInterpreter->StartPage(StartPage);
        FStarted = true;
    } else {
        if (FServices.MessageBox)
            FServices.MessageBox(Text("スタートページがありません"), Text("警告"), bkWarning);
        FStartError = "start page not found: " + SjisToUtf8(StartPage);
        Terminating = true;
    }
}

bool TProject::ReadProject() {
    TProjectFile file;
    try {
        TMemoryStream data;
        if (!FServices.LoadFile) throw EVobeError("vobe.vpb");
        FServices.LoadFile("vobe.vpb", data);
        if (data.GetSize() == 0) {
            if (FServices.MessageBox)
                FServices.MessageBox(Text("プロジェクトがありません"), Text("警告"), bkWarning);
            FStartError = "vobe.vpb is empty";
            return false;
        }
        data.SetPosition(0);
        file.LoadFromStream(data);
    } catch (const EVobeError& e) {
        FStartError = SjisToUtf8(e.Message());
        return false;
    }
    if (file.NewerThanPlayer()) {
        FStartError = "vobe.vpb is of version " + std::to_string(file.Version);
        return false;
    }
    Title = file.Title;
    Width = file.Width;
    Height = file.Height;
    // A zoom transition without parameters centres on the screen.
    if (FServices.SetZoomCenter) FServices.SetZoomCenter(Width / 2, Height / 2);
    FullWidth = file.FullWidth;
    FullHeight = file.FullHeight;
    StartPage = file.StartPage;
    ExitPage = file.ExitPage;
    RegistryKey = file.RegistryKey;
    ImageKey = file.ImageKey;
    // Scrambled layered images are read in the order of this key.
    if (VaskMan) VaskMan->ImageKey = ImageKey;
    SaveStatusEnabled = file.SaveStatusEnabled;
    FrameWaitEnabled = file.FrameWaitEnabled;
    MediaExtensions = file.MediaExtensions;
    DiskMessage = file.DiskMessage;
    QuitMessage = file.QuitMessage;
    if (FServices.SetTitle) FServices.SetTitle(Title);
    if (FServices.DeclareVariable)
        for (auto& v : file.Variables) FServices.DeclareVariable(v);
    FFolders.Clear();
    for (auto& f : file.Folders) FFolders.Add(f.Folder, f.Disk);
    return true;
}

void TProject::ReadOriginalFolders() {
    static const std::string original = "/original_vobe.vpb";
    if (!FServices.FileExists || !FServices.FileExists(original) || !FServices.LoadFile) return;
    FFolders.Clear();
    try {
        TMemoryStream data;
        FServices.LoadFile(original, data);
        data.SetPosition(0);
        TProjectFile file;
        file.LoadFromStream(data);
        if (file.NewerThanPlayer()) return;
        for (auto& f : file.Folders) FFolders.Add(f.Folder, f.Disk);
    } catch (const EVobeError&) {
        // A damaged copy of the original project leaves every folder on the first disk.
        FFolders.Clear();
    }
}

bool TProject::DiscoverGameData() {
    const std::string exeFolder =
        FServices.ExeFolder ? IncludeTrailingBackslash(FServices.ExeFolder()) : std::string();
    auto realExists = [&](const std::string& path) {
        return FServices.RealFileExists && FServices.RealFileExists(path);
    };
    if (realExists(exeFolder + "install.dat") && FServices.HasBaseFolder && !FServices.HasBaseFolder() &&
        FServices.SetBaseFolder)
        FServices.SetBaseFolder(exeFolder);
    if (!FServices.FileExists || !FServices.FileExists("install.dat")) {
        if (FServices.MessageBox)
            FServices.MessageBox(Text("インストールし直してください"), Text("情報"), bkInformation);
        return false;
    }
    TVobeInstallSet install;
    try {
        TMemoryStream data;
        FServices.LoadFile("install.dat", data);
        data.SetPosition(0);
        install.LoadFromStream(data);
    } catch (const EVobeError& e) {
        FStartError = SjisToUtf8(e.Message());
        return false;
    }
    if (realExists(exeFolder + "game.dat")) {
        if (FServices.MountArchive) FServices.MountArchive(exeFolder + "game.dat");
        if (install.Installed) return true;
    } else if (install.Installed && FServices.MountedCount && FServices.MountedCount() > 0) {
        return true;
    }
    for (;;) {
        if (SearchDisks(install.Title)) return true;
        if (!FServices.MessageBox) return false;
        if (FServices.MessageBox(Text("ディスクを入れてください"), Text("情報"), bkOkCancelInformation) ==
            baOk)
            continue;
        if (FServices.MessageBox(QuitMessage, Title, bkQuitQuestion) == baOk) return false;
    }
}

bool TProject::SearchDisks(const std::string& title) {
    if (!FServices.CDRoots || !FServices.RealFileExists || !FServices.LoadRealFile) return false;
    for (const std::string& r : FServices.CDRoots()) {
        const std::string root = IncludeTrailingBackslash(r);
        if (!FServices.RealFileExists(root + "game.dat") || !FServices.RealFileExists(root + "install.dat"))
            continue;
        TVobeInstallSet disk;
        try {
            TMemoryStream data;
            FServices.LoadRealFile(root + "install.dat", data);
            data.SetPosition(0);
            disk.LoadFromStream(data);
        } catch (const EVobeError&) {
            continue; // not this game's disk
        }
        if (disk.Title != title) continue;
        if (FServices.MountArchive) FServices.MountArchive(root + "game.dat");
        return true;
    }
    return false;
}

TProject::~TProject() {
    if (!FInterpreter) return;
    if (!ExitPage.empty()) {
        try {
            FInterpreter->StartPage(ExitPage);
            Terminating = false;
            FInterpreter->RunFrame();
        } catch (const EVobeError&) {
            // The exit page is best effort: the status must still be written.
        }
        Terminating = true;
    }
    if (FServices.StatusSave) FServices.StatusSave();
}

void TProject::RunFrame() {
    if (FInterpreter) FInterpreter->RunFrame();
}

bool TProject::FileAvailable(const std::string& name) {
    if (name.empty()) return false;
    if (FServices.FileExists && FServices.FileExists(name)) return true;
    int32_t disk = DiskOf(name);
    if (disk <= 0) return false;
    // ".ext." looked for in ".wav.ogg." (".." for a name without an extension).
    const std::string ext = ExtractFileExt(name);
    const std::string probe = AnsiLowerCase(ext.empty() ? "." : ext) + ".";
    if ((AnsiLowerCase(MediaExtensions) + ".").find(probe) != std::string::npos) return false;
    return FServices.RequestDisk && FServices.RequestDisk(disk);
}

} // namespace vobe
