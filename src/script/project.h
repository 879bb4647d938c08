// The running game: the project file vobe.vpb, finding the game data, the disks the game's folders
// lie on, and the start and end of the program.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/stream.h"
#include "script/call_man.h"

namespace vobe {

constexpr int32_t ProjectVersion = 110;

// A variable the project declares; it becomes a status variable at start.
struct TDeclaredVar {
    uint8_t Type = 0; // 1 integer, 2 float, 3 boolean, 4 string; other types carry no value
    std::string Name;
    int32_t IntValue = 0;
    long double FloatValue = 0;
    bool BoolValue = false;
    std::string StrValue;
};

struct TFolderDisk {
    std::string Folder;
    int32_t Disk = 0;
};

// Which folders of the game lie on which disk.
class TFolderDiskList {
public:
    void Clear() { FItems.clear(); }
    void Add(const std::string& folder, int32_t disk) { FItems.push_back({folder, disk}); }
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    const TFolderDisk& Items(int32_t i) const { return FItems[static_cast<size_t>(i)]; }
    // The disk of the nearest listed folder that holds the file; 0 when none does.
    int32_t DiskOf(const std::string& name) const;

private:
    std::vector<TFolderDisk> FItems;
};

// The content of vobe.vpb, with the defaults of older versions applied.
struct TProjectFile {
    int32_t Version = ProjectVersion;
    std::string Title;
    int32_t Width = 640, Height = 480;
    int32_t FullWidth = 640, FullHeight = 480;
    std::string StartPage;
    std::string ExitPage;
    std::string RegistryKey;
    int32_t ImageKey = 0;
    bool SaveStatusEnabled = true;
    bool FrameWaitEnabled = true;
    std::string MediaExtensions = ".wav.wma.ogg.mid";
    std::string DiskMessage;
    std::string QuitMessage;
    std::vector<TDeclaredVar> Variables;
    std::vector<TFolderDisk> Folders;

    // Reads the file. A version above 110 reads only the version (NewerThanPlayer then holds);
    // damaged data raises an error that names the project file.
    void LoadFromStream(TStream& s);
    // Writes version 110.
    void SaveToStream(TStream& s) const;
    bool NewerThanPlayer() const { return Version > ProjectVersion; }
};

// Box flags and answers, as the platform's message box takes and gives them.
// bkQuitQuestion: the OK/Cancel question that follows a refused disk prompt.
enum TBoxKind { bkWarning, bkInformation, bkOkCancelInformation, bkQuitQuestion };
enum TBoxAnswer { baOk, baCancel };

// What the project needs from the rest of the player. The shell fills these in when it creates the
// project; tests give their own. An empty entry means the facility is not there.
struct TProjectServices {
    // Game files (the file manager).
    std::function<bool(const std::string& name)> FileExists;
    std::function<void(const std::string& name, TMemoryStream& dest)> LoadFile;
    std::function<bool()> HasBaseFolder;
    std::function<void(const std::string& folder)> SetBaseFolder;
    std::function<bool(const std::string& archivePath)> MountArchive;
    std::function<int32_t()> MountedCount;
    std::function<bool(int32_t disk)> RequestDisk;
    // Files on disk, by player path (discovery looks beside the player and on CD roots).
    std::function<bool(const std::string& path)> RealFileExists;
    std::function<void(const std::string& path, TMemoryStream& dest)> LoadRealFile;
    // The player's folder, with a trailing '\'.
    std::function<std::string()> ExeFolder;
    // Roots of the CD-ROM drives that hold a medium, with a trailing '\', in drive order.
    std::function<std::vector<std::string>()> CDRoots;
    // A game folder was given on the command line: discovery is skipped.
    bool HasGameFolderArgument = false;

    std::function<TBoxAnswer(const std::string& text, const std::string& caption, TBoxKind kind)> MessageBox;
    // Application title and window caption.
    std::function<void(const std::string& title)> SetTitle;
    // The zoom transition's default centre.
    std::function<void(int32_t x, int32_t y)> SetZoomCenter;
    // Declared variable: create it as a status variable when no variable of its name exists yet.
    std::function<void(const TDeclaredVar& v)> DeclareVariable;
    // The status section of the save file, read at start and written at the end.
    std::function<void()> StatusLoad;
    std::function<void()> StatusSave;
    // What the default interpreter is given (its page availability is the project's FileAvailable).
    TCallManServices Interpreter;
    // Makes another interpreter than the default one (tests).
    std::function<std::unique_ptr<TCallMan>()> CreateInterpreter;
};

class TProject {
public:
    // The start sequence. A game that cannot start leaves Terminating set (see Started()).
    explicit TProject(TProjectServices services);
    // The end sequence: the exit page, then the status.
    ~TProject();
    TProject(const TProject&) = delete;
    TProject& operator=(const TProject&) = delete;

    // One frame of the script.
    void RunFrame();
    // A pending game load or save, once per frame; true when a game was loaded. Saving and loading
    // arrive with the save files: until then nothing is pending.
    bool ProcessSaveLoad() { return false; }
    bool FileAvailable(const std::string& name);
    int32_t DiskOf(const std::string& name) const { return FFolders.DiskOf(name); }

    bool Started() const { return FStarted; }
    // Why the game did not start, for logs (the player itself stays silent where the system does).
    const std::string& StartError() const { return FStartError; }

    std::string Title;
    int32_t Width = 0, Height = 0;
    int32_t FullWidth = 0, FullHeight = 0;
    std::string StartPage;
    std::string ExitPage;
    std::string RegistryKey;
    int32_t ImageKey = 0;
    bool SaveStatusEnabled = true;
    bool FrameWaitEnabled = true;
    std::string MediaExtensions;
    int32_t LoadSlot = -1, SaveSlot = -1;
    std::string SavePage, SaveCaption;
    int32_t SaveIndex = 0;
    std::vector<std::pair<std::string, int32_t>> SlotCaptions;
    std::string DiskMessage, QuitMessage;

    TCallMan* Interpreter() const { return FInterpreter.get(); }
    const TFolderDiskList& Folders() const { return FFolders; }
    TProjectServices& Services() { return FServices; }

private:
    void Start();
    bool DiscoverGameData();
    bool SearchDisks(const std::string& title);
    bool ReadProject();
    void ReadOriginalFolders();

    TProjectServices FServices;
    TFolderDiskList FFolders;
    std::unique_ptr<TCallMan> FInterpreter;
    bool FStarted = false;
    std::string FStartError;
};

// The services of the running player: the file manager, the variable store, the platform's boxes, the
// CD-ROM roots and the player's folder. The shell adds the window's title and the folder argument.
TProjectServices PlayerProjectServices();

// The process-wide project: created by the window's InitializeGame, freed by FinalizeGame.
extern TProject* Project;

} // namespace vobe
