// The player's wiring of the subsystems into the window's steps. Each subsystem adds its entries here
// when it lands; an entry left empty is a step that does nothing yet.
#include "archive/file_manager.h"
#include "graphics/color_tables.h"
#include "platform/cp932.h"
#include "platform/message_box.h"
#include "platform/timer.h"
#include "script/install_set.h"
#include "script/page.h"
#include "script/project.h"
#include "shell/form_view.h"
#include "shell/player.h"
#include "shell/scene_host.h"
#include "values/param_collection.h"

namespace vobe {

namespace {

// What the file manager asks of the project for its disk prompts.
TVrFileManagerHost FileManagerHost() {
    TVrFileManagerHost h;
    h.ApplicationTitle = [] { return Project ? Project->Title : std::string(); };
    // A refused disk prompt closes the window the normal way.
    h.PostClose = [] {
        if (FormView) FormView->Close();
    };
    h.ProjectTitle = [] { return Project ? Project->Title : std::string(); };
    h.DiskMessage = [] { return Project ? Project->DiskMessage : std::string(); };
    h.QuitMessage = [] { return Project ? Project->QuitMessage : std::string(); };
    h.ReadInstall = [](const std::string& path, std::string& title, int32_t& diskIndex) {
        try {
            TFileStream f(path, fmOpenRead);
            TVobeInstallSet set;
            set.LoadFromStream(f);
            title = set.Title;
            diskIndex = set.DiskIndex;
            return true;
        } catch (const EVobeError&) {
            return false;
        }
    };
    return h;
}

// A damaged archive is reported and left out; the game then finds what the others hold.
template <class F> void Mounting(F&& mount) {
    try {
        mount();
    } catch (const EVobeError& e) {
        MessageBox(e.Message(), SJ("警告"), MB_OK | MB_ICONWARNING);
    }
}

// @ScrWidth, @ScrHeight and @Title: the running project's (nothing before it has started).
class TProjectValues : public ISysProjectValues {
public:
    int32_t ScrWidth() override { return Project ? Project->Width : 0; }
    int32_t ScrHeight() override { return Project ? Project->Height : 0; }
    std::string Title() override { return Project ? Project->Title : std::string(); }
};

// @FullScr, the display modes and @PCTickCount: the main window's. The font lists come with text
// drawing (the default answers stand until then).
class TDisplayValues : public ISysDisplayValues {
public:
    bool GetFullScr() override { return FormView && FormView->IsFullScreen(); }
    void SetFullScr(bool on) override {
        if (FormView) FormView->SetFullScreen(on);
    }
    int32_t DisplayModeCount() override {
        TScreenManager* sm = FormView ? FormView->ScreenMan() : nullptr;
        return sm ? static_cast<int32_t>(sm->Modes().size()) : 0;
    }
    int32_t GetDisplayModeIndex() override {
        TScreenManager* sm = FormView ? FormView->ScreenMan() : nullptr;
        return sm ? sm->SelectedMode() : -1;
    }
    // The new choice takes effect at once in full screen, else at the next switch to it.
    void SetDisplayModeIndex(int32_t index) override {
        TScreenManager* sm = FormView ? FormView->ScreenMan() : nullptr;
        if (!sm) return;
        sm->SetSelectedMode(index);
        FormView->ReapplyDisplayMode();
    }
    int32_t PCTickCount() override { return static_cast<int32_t>(TimeGetTime()); }
};

TProjectValues ProjectValues;
TDisplayValues DisplayValues;

// Set when the player was started with game folders: the project then skips finding its data.
bool GameFolderGiven = false;

// The running game as the window sees it.
class TPlayerProject : public IGameProject {
public:
    TPlayerProject() {
        TProjectServices services = PlayerProjectServices();
        services.HasGameFolderArgument = GameFolderGiven;
        // The terminate command closes the window the normal way.
        services.Interpreter.PostClose = [] {
            if (FormView) FormView->Close();
        };
        FProject = std::make_unique<TProject>(std::move(services));
        Project = FProject.get();
    }
    ~TPlayerProject() override {
        FProject.reset(); // the end sequence: exit page, status
        Project = nullptr;
    }
    std::string Title() const override { return FProject->Title; }
    int32_t Width() const override { return FProject->Width; }
    int32_t Height() const override { return FProject->Height; }
    int32_t FullScreenWidth() const override { return FProject->FullWidth; }
    int32_t FullScreenHeight() const override { return FProject->FullHeight; }
    bool FrameWaitEnabled() const override { return FProject->FrameWaitEnabled; }
    void RunFrame() override { FProject->RunFrame(); }
    bool ProcessSaveLoad() override { return FProject->ProcessSaveLoad(); }

private:
    std::unique_ptr<TProject> FProject;
};

} // namespace

TGameServices MakePlayerServices() {
    TGameServices s;
    s.CreateFileManager = [] { CreateFileManager(FileManagerHost()); };
    s.FreeFileManager = [] { FreeFileManager(); };
    s.MountOwnArchives = [] {
        if (FileManager) Mounting([] { MountOwnArchives(*FileManager); });
    };
    s.MountFolders = [](const std::string& base, const std::vector<std::string>& folders) {
        GameFolderGiven = true;
        if (!FileManager) return;
        FileManager->SetBaseFolder(base);
        for (const std::string& folder : folders)
            Mounting([&] { MountFolders(*FileManager, base, {folder}); });
    };
    s.CreateParams = [] {
        CreateParamCollection();
        ParamCollection->Sources.Project = &ProjectValues;
        ParamCollection->Sources.Display = &DisplayValues;
    };
    s.FreeParams = [] { FreeParamCollection(); };
    s.DumpVariables = [] { return ParamCollection ? DumpVariables(*ParamCollection) : std::string(); };
    s.VobeInitialize = [](IDisplayHost& display) { return StartScene(display); };
    s.VobeFinalize = [] { FinishScene(); };
    s.VobeInitColor = [](int32_t depth) { VobeInitColor(depth); };
    s.CreateProject = []() -> std::unique_ptr<IGameProject> {
        // A page too old for this player asks for a rebuild and closes the window.
        PageServices().RebuildAndClose = [](const std::string& caption, const std::string& text) {
            MessageBox(text, caption, MB_OK | MB_ICONWARNING);
            if (FormView) FormView->Close();
        };
        return std::make_unique<TPlayerProject>();
    };
    return s;
}

} // namespace vobe
