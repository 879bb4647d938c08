// The seams between the window and the subsystems it drives. The window (TFormView) calls each piece at
// its fixed step of start-up, the frame and shutdown; a subsystem plugs in by filling its entry of
// TGameServices (shell/services.cpp does this for the player). An empty entry means the piece is not
// there: its step is traced and does nothing, and without a project the game cannot start.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/containers.h"
#include "platform/window.h"

namespace vobe {

class TDisplaySurface;

// The running game (TProject) as the window sees it. Creating it runs the project's start sequence;
// when the start fails it leaves Terminating set. Destroying it runs the end sequence (exit page, status
// save) for a game that started.
class IGameProject {
public:
    virtual ~IGameProject() = default;
    virtual std::string Title() const = 0; // Shift-JIS
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    virtual int32_t FullScreenWidth() const = 0;
    virtual int32_t FullScreenHeight() const = 0;
    virtual bool FrameWaitEnabled() const = 0;
    // One interpreter frame.
    virtual void RunFrame() = 0;
    // A pending game load or save; true when a game was loaded.
    virtual bool ProcessSaveLoad() = 0;
};

// What the scene reads from the display: the display surface exists from the display manager's
// creation (after the framework starts) and changes with every display-mode switch.
class IDisplayHost {
public:
    virtual ~IDisplayHost() = default;
    virtual TDisplaySurface* GetDisplaySurface() = 0;
    // Pixel depth of the display (32 when there is none).
    virtual int32_t DisplayDepth() const = 0;
    // The pointer position in panel coordinates (for the scene's Reset).
    virtual void GetCursorPos(int32_t& x, int32_t& y) const = 0;
};

// The scene (Bases) as the window sees it: the frame steps, presentation data and the input latches.
class IGameScene {
public:
    virtual ~IGameScene() = default;
    virtual void SetSize(int32_t width, int32_t height) = 0;
    virtual void ProcessInput() = 0;
    virtual void Update() = 0;
    virtual void Draw() = 0;
    virtual int32_t Scale() const = 0;               // per cent
    virtual TRect PresentRect() const = 0;           // the area a running transition changed
    virtual const TClipList& FrontDirty() const = 0; // dirty rectangles of the front base
    virtual void ClearDirty() = 0;                   // of both bases
    virtual void ReleaseSurfaces() = 0;
    virtual void RestoreSurfaces() = 0;
    // Input (panel coordinates): held flags of both bases and the press latch of the front base.
    virtual void MouseDown(TMouseButton button) = 0;
    virtual void MouseUp() = 0;
    virtual void MouseMove(int32_t x, int32_t y) = 0;
    virtual void Wheel(bool down) = 0;
    virtual void SetKeyState(int32_t vk, bool down) = 0;
    virtual void SetKeyPressed(int32_t vk) = 0;
    virtual void ReleaseInput() = 0;
};

// The start-up logo (comes with the cinema component). Step runs the logo step of one frame; it
// answers true once the logo has gone and the project may run.
class IGameLogo {
public:
    virtual ~IGameLogo() = default;
    virtual bool Step(IGameScene& scene) = 0;
};

struct TMediaInitArgs {
    int32_t Width = 0, Height = 0;                     // the game screen
    int32_t FullScreenWidth = 0, FullScreenHeight = 0; // the preferred full-screen mode
};

struct TGameServices {
    // Before the entry sequence: the file manager; at process end it is freed, which queues its
    // working files for deletion, and the queued files are deleted.
    std::function<void()> CreateFileManager;
    std::function<void()> FreeFileManager;
    // FormCreate, mounting. Without folders: the archives the program carries. With folders: the base
    // folder (a player path with trailing '\') and every folder's game.dat, in order.
    std::function<void()> MountOwnArchives;
    std::function<void(const std::string& baseFolder, const std::vector<std::string>& folders)> MountFolders;
    // FormCreate: the variable store and the system functions; FinalizeGame frees them.
    std::function<void()> CreateParams;
    std::function<void()> CreateSysFuncs;
    std::function<void()> FreeSysFuncs;
    std::function<void()> FreeParams;
    // --dump-vars: the lines of the variable store (Shift-JIS, "NAME\tTYPE\tVALUE\n" each), taken
    // before the store is freed.
    std::function<std::string()> DumpVariables;
    // InitializeGame, in order.
    std::function<void()> InitializeSound;
    std::function<std::unique_ptr<IGameScene>(IDisplayHost& display)> VobeInitialize;
    std::function<void()> VobeFinalize; // after the scene returned by VobeInitialize is freed
    std::function<std::unique_ptr<IGameProject>()> CreateProject;
    // Media: the library's start, before the display manager is made; then the managers, after it.
    // MediaFinal frees the managers and the library after the window has freed the display manager.
    std::function<void(const TMediaInitArgs&)> MediaInitLibrary;
    std::function<void(const TMediaInitArgs&)> MediaInit;
    std::function<void()> MediaFinal;
    std::function<void(int32_t depth)> VobeInitColor;
    // Pausing and resuming media (deactivation, menu and move loops, display switches).
    std::function<void()> SuspendMedia;
    std::function<void()> ResumeMedia;
    // Video only, around a display switch (SuspendAll / ResumeAll of the video manager).
    std::function<void()> SuspendVideo;
    std::function<void()> ResumeVideo;
    // The start-up logo; without it the project runs from the first frame.
    std::function<std::unique_ptr<IGameLogo>()> CreateLogo;
};

} // namespace vobe
