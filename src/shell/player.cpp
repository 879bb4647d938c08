#include "shell/player.h"

#include <cstdio>

#include "platform/cp932.h"
#include "platform/drives.h"
#include "platform/file.h"
#include "platform/globals.h"
#include "platform/instance_lock.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/timer.h"
#include "platform/trace.h"
#include "shell/command_line.h"
#include "shell/form_config.h"
#include "shell/form_view.h"
#include "shell/input_script.h"

namespace vobe {

std::string InstanceName(const std::string& playerFolder) {
    std::string name = IncludeTrailingBackslash(AnsiUpperCase(playerFolder));
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (IsDBCSLeadByte(c) && i + 1 < name.size())
            ++i; // a trail byte 0x5C is no separator
        else if (c == '\\')
            name[i] = '-';
    }
    return name;
}

namespace {

void PrintError(const std::string& utf8) {
    std::string line = "vobeplayer: " + utf8 + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

int Usage(const std::string& error) {
    PrintError(error);
    std::fputs(PlayerUsage(), stderr);
    return kExitUsage;
}

bool ReadWholeFile(const std::string& real, std::string& out) {
    auto f = TPlatformFile::Open(real, TFileAccess::Read);
    if (!f) return false;
    int64_t size = f->Size();
    if (size > (64 << 20)) return false; // an input script this large is a mistake
    out.resize(static_cast<size_t>(size));
    return f->Read(out.data(), size) == size;
}

// Deletes the exit deletion list and the like when the process ends, however it ends.
struct TProcessEnd {
    TGameServices& services;
    bool fileManager = false;
    ~TProcessEnd() {
        if (fileManager && services.FreeFileManager) services.FreeFileManager();
        DeleteExitFiles();
        VobeLogClose();
        ShutdownPlatform();
    }
};

} // namespace

int PlayerMain(const std::vector<std::string>& args, TGameServices services) {
    TPlayerOptions options;
    std::string error;
    if (!ParseCommandLine(args, options, error)) return Usage(error);
    if (options.Help) {
        std::fputs(PlayerUsage(), stdout);
        return kExitNormal;
    }

    // The run-time files of the command line are checked before anything starts.
    TInputScript input;
    if (!options.InputFile.empty()) {
        std::string text;
        if (!ReadWholeFile(options.InputFile, text)) return Usage("cannot read " + options.InputFile);
        if (!input.Parse(text, error)) return Usage(error);
    }
    std::unique_ptr<TPlatformFile> dumpFile;
    if (!options.DumpVarsFile.empty()) {
        dumpFile = TPlatformFile::Open(options.DumpVarsFile, TFileAccess::Write, true, true);
        if (!dumpFile) return Usage("cannot write " + options.DumpVarsFile);
    }
    if (!options.TraceFile.empty() && !VobeLogOpen(options.TraceFile))
        return Usage("cannot write " + options.TraceFile);
    if (!options.SaveDir.empty()) {
        std::string dir = AbsoluteRealPath(options.SaveDir);
        if (!DirectoryExists(PlayerPath(dir))) {
            VobeLogClose();
            return Usage("no such folder: " + options.SaveDir);
        }
        SetSaveFolder(PlayerPath(dir));
    } else if (!options.Folders.empty()) {
        // Every game keeps its saves in its own folder.
        SetSaveFolder(PlayerPath(AbsoluteRealPath(options.Folders.front())));
    }
    if (options.FixedDelta >= 0) SetVirtualClock(true, 0);

    TProcessEnd end{services};
    if (!InitPlatform(options.Headless) && !options.Headless) {
        PrintError("no display to open a window on (--headless runs without one)");
        return kExitNoGame;
    }
    if (services.CreateFileManager) services.CreateFileManager();
    end.fileManager = true;

    // 1. Never run from a CD-ROM.
    std::string exeFolder = ExeFolder();
    if (IsOnCdrom(RealPath(ExeFileName()))) return kExitNormal;

    // 2, 3. One player per game folder (the first argument names it); a second one ends silently.
    std::string folder = options.Config            ? std::string("/config")
                         : options.Folders.empty() ? exeFolder
                                                   : PlayerPath(AbsoluteRealPath(options.Folders.front()));
    TInstanceMutex mutex;
    if (AcquireInstanceMutex(InstanceName(folder), mutex) == TInstanceResult::Exists) return kExitNormal;

    int status = kExitNormal;
    if (options.Config) {
        // 5. The configuration dialog only.
        TFormConfig config(exeFolder + "game.ini");
        config.ShowModal();
    } else {
        // 6. The main window.
        TFormView view(std::move(services), options, exeFolder);
        view.SetInputScript(std::move(input));
        view.SetDumpFile(std::move(dumpFile));
        view.FormCreate();
        // A game that could not start leaves Terminating set: the message loop is not entered.
        if (!Terminating) view.Run();
        if (view.StartFailed()) status = kExitNoGame;
        if (!view.ShutdownError().empty()) {
            std::fputs(view.ShutdownError().c_str(), stderr);
            if (status == kExitNormal) status = kExitUsage;
        }
    }
    // 7.
    ReleaseInstanceMutex(mutex);
    return status;
}

} // namespace vobe
