// TFormView: the player's window. It hosts the tool bar and the drawing panel, runs the start-up and
// shutdown steps of the game, drives every frame from the idle loop, routes input to the scene, and
// switches between the window and full screen.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/file.h"
#include "platform/window.h"
#include "shell/command_line.h"
#include "shell/game_services.h"
#include "shell/input_script.h"
#include "shell/screen_manager.h"
#include "shell/widgets.h"

namespace vobe {

// DelayTime as loaded: truncated toward zero to a multiple of 100, then kept within 100..500.
int32_t NormalizeDelayTime(int32_t ms);
// Reads [Sound] DirectSound and DelayTime of game.ini into UseDirectSound and DelayTime, when the file
// exists.
void LoadSoundSettings(const std::string& iniPlayerPath);

class TFormView;
// The main window while it exists (the system's process-wide form): the file manager's close request
// and the system functions reach the window through it.
extern TFormView* FormView;

class TFormView : public IDisplayHost {
public:
    static constexpr int32_t ButtonWidth = 67, ButtonHeight = 18, DockHeight = ButtonHeight + 4;

    // exeFolder: the player path (with '\') of game.ini and vobeplay.log.
    TFormView(TGameServices services, const TPlayerOptions& options, std::string exeFolder);
    ~TFormView() override;
    TFormView(const TFormView&) = delete;
    TFormView& operator=(const TFormView&) = delete;

    // Start-up and shutdown.
    void FormCreate();
    void InitializeGame();
    void FinalizeGame();
    void FormClose();
    // The game did not start: Terminating was set when FormCreate returned, or InitializeGame failed.
    bool StartFailed() const { return startFailed_; }
    // The message loop, until the window closes.
    void Run();
    // Posts a close request; the loop closes the window the normal way.
    void Close() { closeRequested_ = true; }
    bool Closed() const { return closed_; }

    // The frame loop.
    bool ApplicationEventsIdle(); // answers Done
    void StepFrame();
    void ApplicationEventsActivate();
    void ApplicationEventsDeactivate();

    // Input routing (panel coordinates for the panel, client coordinates for the form).
    void BasePanelMouseDown(TMouseButton button, int32_t x, int32_t y);
    void BasePanelMouseUp(TMouseButton button, int32_t x, int32_t y);
    void BasePanelMouseMove(int32_t x, int32_t y);
    void FormMouseMove(int32_t x, int32_t y);
    void FormMouseWheelDown();
    void FormMouseWheelUp();
    void BasePanelKeyDown(int32_t vk);
    void BasePanelKeyUp(int32_t vk);
    void WMKeyDown(int32_t vk, bool autoRepeat);
    void WMKeyUp(int32_t vk);
    // Everything that reaches the window, real or scripted, comes through these.
    void DispatchEvent(const TPlatformEvent& ev);
    void ApplyInput(const TInputEvent& ev);

    // Operations of the tool bar and the system functions.
    void ConfirmQuit();
    void SetFullScreen(bool on);
    void ReapplyDisplayMode();
    void ToggleFullScreen() { SetFullScreen(!IsFullScreen()); }
    bool IsFullScreen() const { return screenMan_ && screenMan_->IsFullScreen(); }
    void MoveCursorX(int32_t panelX);
    void MoveCursorY(int32_t panelY);

    // IDisplayHost
    TDisplaySurface* GetDisplaySurface() override { return screenMan_ ? screenMan_->Surface() : nullptr; }
    int32_t DisplayDepth() const override;
    void GetCursorPos(int32_t& x, int32_t& y) const override;

    // Run-time files of the command line.
    void SetInputScript(TInputScript script) { input_ = std::move(script); }
    void SetDumpFile(std::unique_ptr<TPlatformFile> f) { dumpFile_ = std::move(f); }

    // State, for the entry point and the tests.
    TScreenManager* ScreenMan() { return screenMan_.get(); }
    IGameProject* Project() { return project_.get(); }
    IGameScene* Scene() { return scene_.get(); }
    TPlatformWindow* Window() { return window_.get(); }
    bool Active() const { return active_; }
    bool SplashDone() const { return splashDone_; }
    int32_t FramesRun() const { return framesRun_; }
    int32_t ClientWidth() const { return clientWidth_; }
    int32_t ClientHeight() const { return clientHeight_; }
    const TRect& PanelRect() const { return panelRect_; }
    bool ToolBarVisible() const { return toolBarVisible_; }
    const TToolButton& QuitButton() const { return quitButton_; }
    const TToolButton& ScreenButton() const { return screenButton_; }
    const std::string& Caption() const { return caption_; }
    // Problems met at shutdown (an unwritable screenshot or variable dump), UTF-8.
    const std::string& ShutdownError() const { return shutdownError_; }

private:
    void CreateToolBar();
    void PaintToolBar();
    void SetClientSize(int32_t w, int32_t h);
    void PlacePanel();
    void SizeAndCentre();
    void SetToolBarVisible(bool on);
    void ReleaseForSwitch();
    void RestoreAfterSwitch();
    void RestoreFramed();
    int32_t SceneWidth() const { return project_ ? project_->Width() : 0; }
    int32_t SceneHeight() const { return project_ ? project_->Height() : 0; }
    std::string TitleText() const;
    // Mouse in client coordinates, from real or scripted input.
    void RouteMouseMove(int32_t cx, int32_t cy);
    void RouteMouseDown(TMouseButton b, int32_t cx, int32_t cy);
    void RouteMouseUp(TMouseButton b, int32_t cx, int32_t cy);
    void RouteKeyDown(int32_t vk, bool autoRepeat, bool alt);
    void RouteKeyUp(int32_t vk, bool alt);
    TToolButton* ToolButtonAt(int32_t cx, int32_t cy);
    void TakeScreenshot();
    void DumpVariables();

    TGameServices services_;
    TPlayerOptions options_;
    std::string exeFolder_;
    bool headless_;

    std::unique_ptr<TPlatformWindow> window_;
    std::unique_ptr<IGameScene> scene_;
    std::unique_ptr<IGameProject> project_;
    std::unique_ptr<TScreenManager> screenMan_;
    std::unique_ptr<IGameLogo> logo_;
    bool valuesCreated_ = false;

    std::string caption_;
    int32_t clientWidth_ = 0, clientHeight_ = 0;
    int32_t windowX_ = 0, windowY_ = 0;
    TRect panelRect_;
    bool toolBarVisible_ = true;
    TCanvas toolBarCanvas_;
    TToolButton quitButton_, screenButton_;
    TToolButton* toolCapture_ = nullptr;
    struct {
        int32_t X = 0, Y = 0, W = 0, H = 0;
        bool Saved = false;
    } placement_;

    bool active_ = false;
    bool splashDone_ = false;
    int32_t skipDraw_ = 0;
    uint32_t last_ = 0;
    bool idleConnected_ = false;
    bool closeRequested_ = false;
    bool closed_ = false;
    bool startFailed_ = false;
    bool finalized_ = false;
    int32_t framesRun_ = 0;

    // Input state of the window.
    bool panelFocused_ = false; // the panel took the keyboard focus with a click
    bool panelCapture_ = false; // a button went down on the panel
    int32_t mouseClientX_ = 0, mouseClientY_ = 0;
    int32_t panelMouseX_ = 0, panelMouseY_ = 0;

    TInputScript input_;
    std::unique_ptr<TPlatformFile> dumpFile_;
    std::string shutdownError_;
};

} // namespace vobe
