#include "shell/form_view.h"

#include <algorithm>
#include <exception>

#include "graphics/png_writer.h"
#include "platform/cp932.h"
#include "platform/error.h"
#include "platform/globals.h"
#include "platform/ini_file.h"
#include "platform/keys.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/timer.h"
#include "platform/trace.h"

namespace vobe {

int32_t NormalizeDelayTime(int32_t ms) {
    int32_t v = ms / 100 * 100; // C++ division truncates toward zero
    if (v < 100) v = 100;
    if (v > 500) v = 500;
    return v;
}

void LoadSoundSettings(const std::string& iniPlayerPath) {
    if (!FileExists(iniPlayerPath)) return;
    TIniFile ini(iniPlayerPath);
    UseDirectSound = ini.ReadBool("Sound", "DirectSound", true);
    DelayTime = NormalizeDelayTime(ini.ReadInteger("Sound", "DelayTime", DelayTime));
}

TFormView* FormView = nullptr;

TFormView::TFormView(TGameServices services, const TPlayerOptions& options, std::string exeFolder)
    : services_(std::move(services)), options_(options), exeFolder_(std::move(exeFolder)),
      headless_(options.Headless || !HasDisplay()) {
    caption_ = "VobePlayer";
    splashDone_ = options.SkipLogo;
    if (!FormView) FormView = this;
}

TFormView::~TFormView() {
    // A window whose loop never ran (the game did not start) still frees what it made, in the order of
    // FinalizeGame, but without the close steps.
    project_.reset();
    if (valuesCreated_) {
        if (services_.FreeSysFuncs) services_.FreeSysFuncs();
        if (services_.FreeParams) services_.FreeParams();
        valuesCreated_ = false;
    }
    if (scene_) {
        scene_.reset();
        if (services_.VobeFinalize) services_.VobeFinalize();
    }
    if (!finalized_) {
        screenMan_.reset();
        if (services_.MediaFinal) services_.MediaFinal();
    }
    logo_.reset();
    window_.reset();
    if (FormView == this) FormView = nullptr;
}

// ---- start-up and shutdown --------------------------------------------------------------------------

void TFormView::FormCreate() {
    DeleteFile(exeFolder_ + "vobeplay.log");
    Trace("FormCreate");
    RandSeed = options_.FixedDelta >= 0 ? 0u : TimeGetTime() * 2654435761u;

    LoadSoundSettings(exeFolder_ + "game.ini");

    if (!headless_) window_ = TPlatformWindow::Create(caption_, 640, 480 + DockHeight);
    if (!window_) headless_ = true;
    CreateToolBar();

    if (options_.Folders.empty()) {
        if (services_.MountOwnArchives) services_.MountOwnArchives();
    } else {
        std::vector<std::string> folders;
        for (const auto& f : options_.Folders)
            folders.push_back(IncludeTrailingBackslash(PlayerPath(AbsoluteRealPath(f))));
        if (services_.MountFolders) services_.MountFolders(folders.front(), folders);
    }

    Trace("TBasePanel.Create");
    panelRect_ = {0, DockHeight, 0, DockHeight};

    if (services_.CreateParams) services_.CreateParams();
    if (services_.CreateSysFuncs) services_.CreateSysFuncs();
    valuesCreated_ = true;

    try {
        InitializeGame();
    } catch (const EVobeError& e) {
        MessageBox(e.Message(), SJ("警告"), MB_OK | MB_ICONWARNING);
        startFailed_ = true;
        Close();
    } catch (const std::exception& e) {
        MessageBox(Utf8ToSjis(e.what()), SJ("警告"), MB_OK | MB_ICONWARNING);
        startFailed_ = true;
        Close();
    }

    if (Terminating) {
        startFailed_ = true;
        Close();
    } else {
        idleConnected_ = true;
    }
}

void TFormView::InitializeGame() {
    Trace("DXSound.Initialize");
    if (UseDirectSound && services_.InitializeSound) {
        try {
            services_.InitializeSound();
        } catch (...) {
            // The game runs without the sound device.
        }
    }

    Trace("VobeInitialize");
    if (services_.VobeInitialize) scene_ = services_.VobeInitialize(*this);

    Trace("TProject.Create");
    if (services_.CreateProject) project_ = services_.CreateProject();
    if (!project_) Terminating = true; // without a project there is no game to run
    if (project_ && !project_->Title().empty()) {
        caption_ = project_->Title();
        if (window_) window_->SetCaption(caption_);
    }

    Trace("MediaInit");
    TMediaInitArgs media;
    if (project_) {
        media.Width = project_->Width();
        media.Height = project_->Height();
        media.FullScreenWidth = project_->FullScreenWidth();
        media.FullScreenHeight = project_->FullScreenHeight();
    }
    if (services_.MediaInitLibrary) services_.MediaInitLibrary(media);
    if (media.Width > 0 && media.Height > 0) {
        Trace("MediaInit.TScreenManager.Create");
        screenMan_ =
            std::make_unique<TScreenManager>(window_.get(), media.Width, media.Height, media.FullScreenWidth,
                                             media.FullScreenHeight, options_.Depth);
    }
    if (services_.MediaInit) services_.MediaInit(media);

    Trace("VobeInitColor");
    if (services_.VobeInitColor) services_.VobeInitColor(DisplayDepth());

    SizeAndCentre();
    if (scene_) scene_->SetSize(SceneWidth(), SceneHeight());
    PlacePanel();
}

void TFormView::SizeAndCentre() {
    SetClientSize(SceneWidth(), SceneHeight() + DockHeight);
    TIntRect wa = WorkArea();
    windowX_ = wa.Left + (wa.Width() - clientWidth_) / 2;
    windowY_ = wa.Top + (wa.Height() - clientHeight_) / 2;
    if (window_) window_->SetPosition(windowX_, windowY_);
}

void TFormView::FormClose() {
    if (closed_) return;
    Terminating = true;
    FinalizeGame();
    Trace("FormClose");
    closed_ = true;
    if (window_) window_->Hide();
}

void TFormView::FinalizeGame() {
    if (finalized_) return;
    finalized_ = true;
    Trace("Project.Free");
    project_.reset();
    Trace("SysFuncMan.Free");
    if (valuesCreated_ && services_.FreeSysFuncs) services_.FreeSysFuncs();
    // The variable dump is taken before the store is freed.
    DumpVariables();
    Trace("ParamMan.Free");
    if (valuesCreated_ && services_.FreeParams) services_.FreeParams();
    valuesCreated_ = false;
    Trace("VobeFinalize");
    logo_.reset();
    if (scene_) {
        scene_.reset();
        if (services_.VobeFinalize) services_.VobeFinalize();
    }
    TakeScreenshot();
    Trace("MediaFinal");
    Trace("ScreenMan.Free");
    screenMan_.reset();
    if (services_.MediaFinal) services_.MediaFinal();
}

void TFormView::TakeScreenshot() {
    if (options_.ScreenshotFile.empty()) return;
    TDisplaySurface* s = GetDisplaySurface();
    if (!s || s->Width() <= 0 || s->Height() <= 0) {
        shutdownError_ += "no screen to write to " + options_.ScreenshotFile + "\n";
        return;
    }
    try {
        std::vector<uint8_t> png = EncodePng24(s->Bits(), s->Pitch(), s->BitCount(), s->Width(), s->Height());
        auto f = TPlatformFile::Open(options_.ScreenshotFile, TFileAccess::Write, true, true);
        if (!f || f->Write(png.data(), static_cast<int64_t>(png.size())) != static_cast<int64_t>(png.size()))
            shutdownError_ += "cannot write " + options_.ScreenshotFile + "\n";
    } catch (const EVobeError& e) {
        shutdownError_ += SjisToUtf8(e.Message()) + "\n";
    }
}

void TFormView::DumpVariables() {
    if (!dumpFile_) return;
    if (valuesCreated_ && services_.DumpVariables) {
        std::string text = SjisToUtf8(services_.DumpVariables());
        if (dumpFile_->Write(text.data(), static_cast<int64_t>(text.size())) !=
            static_cast<int64_t>(text.size()))
            shutdownError_ += "cannot write the variable dump\n";
    }
    dumpFile_.reset();
}

// ---- the message loop ---------------------------------------------------------------------------------

void TFormView::Run() {
    if (options_.Frames == 0) Close();
    if (window_) {
        window_->Show();
        window_->Raise();
        window_->Focus();
        PaintToolBar(); // shows the window's content too
        if (screenMan_) screenMan_->Expose();
    }
    // Nobody activates a window that is not shown.
    if (headless_) ApplicationEventsActivate();
    while (!closed_) {
        TPlatformEvent ev;
        while (!closeRequested_ && PollPlatformEvent(ev)) DispatchEvent(ev);
        if (closeRequested_) {
            FormClose();
            break;
        }
        bool done = idleConnected_ ? ApplicationEventsIdle() : true;
        if (closeRequested_ || !done) continue;
        // A headless game that stands still can never be closed by anyone: close it the normal way.
        if (headless_ && (Terminating || !idleConnected_ || !screenMan_)) {
            Close();
            continue;
        }
        if (WaitPlatformEvent(ev, 100)) DispatchEvent(ev);
    }
}

bool TFormView::ApplicationEventsIdle() {
    if (Terminating || !active_ || closed_ || !screenMan_) return true;
    const uint32_t now = TimeGetTime();
    int32_t delta;
    if (options_.FixedDelta >= 0) {
        // Deterministic runs: every frame, the first included, adds exactly the fixed delta.
        delta = options_.FixedDelta;
        AdvanceVirtualClock(static_cast<uint32_t>(delta));
    } else {
        delta = static_cast<int32_t>(now - last_);
        if (delta > 3000) {
            // A stall longer than three seconds is not replayed.
            last_ = now;
            return false;
        }
    }
    GameClock += delta;
    FrameDelta = delta;
    last_ = now;

    ++framesRun_;
    for (const TInputEvent& e : input_.EventsOf(framesRun_)) ApplyInput(e);
    try {
        StepFrame();
    } catch (const EVobeError& e) {
        // An error that escapes a frame ends that frame; the next one runs normally.
        MessageBox(e.Message(), TitleText(), MB_OK | MB_ICONERROR);
        return false;
    } catch (const std::exception& e) {
        MessageBox(Utf8ToSjis(e.what()), TitleText(), MB_OK | MB_ICONERROR);
        return false;
    }
    if (options_.Frames >= 0 && framesRun_ >= options_.Frames) Close();

    if (options_.FixedDelta < 0 && project_ && project_->FrameWaitEnabled()) {
        int32_t spent = static_cast<int32_t>(TimeGetTime() - now);
        SleepMs(std::max(2, FrameWait - spent));
    }
    return false;
}

void TFormView::StepFrame() {
    if (!project_) return;
    if (scene_) scene_->ProcessInput();
    if (!splashDone_ && !logo_) {
        if (services_.CreateLogo && !options_.SkipLogo && scene_) logo_ = services_.CreateLogo();
        if (!logo_) splashDone_ = true; // no logo to show: the project runs from the first frame
    }
    if (splashDone_) {
        project_->RunFrame();
    } else if (logo_->Step(*scene_)) {
        // The logo has gone; the project runs from the next frame.
        splashDone_ = true;
        logo_.reset();
    }
    if (Terminating) return;
    if (scene_) scene_->Update();
    ++FrameCount;
    if (project_->ProcessSaveLoad()) skipDraw_ = 1;
    if (skipDraw_ >= 1) {
        --skipDraw_;
        return;
    }
    if (scene_) {
        scene_->Draw();
        if (screenMan_) screenMan_->Present(scene_.get());
    }
}

void TFormView::ApplicationEventsActivate() {
    active_ = true;
    last_ = TimeGetTime(); // the inactive time is not added to the game clock
    if (services_.ResumeMedia) services_.ResumeMedia();
}

void TFormView::ApplicationEventsDeactivate() {
    active_ = false;
    if (services_.SuspendMedia) services_.SuspendMedia();
    if (scene_) scene_->ReleaseInput();
}

// ---- input --------------------------------------------------------------------------------------------

void TFormView::BasePanelMouseDown(TMouseButton button, int32_t, int32_t) {
    if (!active_ || !scene_) return;
    scene_->MouseDown(button);
}

void TFormView::BasePanelMouseUp(TMouseButton, int32_t, int32_t) {
    if (scene_) scene_->MouseUp();
}

void TFormView::BasePanelMouseMove(int32_t x, int32_t y) {
    panelMouseX_ = x;
    panelMouseY_ = y;
    if (scene_) scene_->MouseMove(x, y);
    if (IsFullScreen() && panelRect_.Height() >= clientHeight_) SetToolBarVisible(y == 0);
}

void TFormView::FormMouseMove(int32_t, int32_t y) {
    if (IsFullScreen() && panelRect_.Height() < clientHeight_) SetToolBarVisible(y == 0);
}

void TFormView::FormMouseWheelDown() {
    if (scene_) scene_->Wheel(true);
}

void TFormView::FormMouseWheelUp() {
    if (scene_) scene_->Wheel(false);
}

void TFormView::BasePanelKeyDown(int32_t vk) {
    if (vk < 0 || vk >= 256 || !active_ || !scene_) return;
    scene_->SetKeyState(vk, true);
    scene_->SetKeyPressed(vk);
}

void TFormView::BasePanelKeyUp(int32_t vk) {
    if (vk < 0 || vk >= 256 || !scene_) return;
    scene_->SetKeyState(vk, false);
}

void TFormView::WMKeyDown(int32_t vk, bool autoRepeat) {
    if (autoRepeat) return;
    BasePanelKeyDown(vk);
}

void TFormView::WMKeyUp(int32_t vk) {
    BasePanelKeyUp(vk);
}

void TFormView::RouteKeyDown(int32_t vk, bool autoRepeat, bool alt) {
    // With Alt held, and for Alt and F10 themselves, the system sends menu keys, not key-down messages.
    if (alt || vk == VK_MENU || vk == VK_F1 + 9) return;
    if (panelFocused_)
        BasePanelKeyDown(vk);
    else
        WMKeyDown(vk, autoRepeat);
}

void TFormView::RouteKeyUp(int32_t vk, bool alt) {
    if (alt || vk == VK_MENU || vk == VK_F1 + 9) return;
    if (panelFocused_)
        BasePanelKeyUp(vk);
    else
        WMKeyUp(vk);
}

TToolButton* TFormView::ToolButtonAt(int32_t cx, int32_t cy) {
    if (!toolBarVisible_) return nullptr;
    if (quitButton_.Contains(cx, cy)) return &quitButton_;
    if (screenButton_.Contains(cx, cy)) return &screenButton_;
    return nullptr;
}

void TFormView::RouteMouseMove(int32_t cx, int32_t cy) {
    mouseClientX_ = cx;
    mouseClientY_ = cy;
    // Tool-bar buttons light up under the pointer.
    bool changed = false;
    for (TToolButton* b : {&quitButton_, &screenButton_}) {
        bool hot = toolBarVisible_ && b->Contains(cx, cy) && (!toolCapture_ || toolCapture_ == b);
        if (hot != b->Hot) b->Hot = hot, changed = true;
    }
    if (changed) PaintToolBar();
    if (toolCapture_) return;
    bool overToolBar = toolBarVisible_ && cy < DockHeight && cy >= 0;
    if (panelCapture_ || (!overToolBar && panelRect_.Contains(cx, cy)))
        BasePanelMouseMove(cx - panelRect_.Left, cy - panelRect_.Top);
    else
        FormMouseMove(cx, cy);
}

void TFormView::RouteMouseDown(TMouseButton b, int32_t cx, int32_t cy) {
    mouseClientX_ = cx;
    mouseClientY_ = cy;
    if (TToolButton* t = ToolButtonAt(cx, cy)) {
        if (b == mbLeft && !panelCapture_) {
            toolCapture_ = t;
            t->Pressed = true;
            PaintToolBar();
        }
        return;
    }
    bool overToolBar = toolBarVisible_ && cy < DockHeight && cy >= 0;
    if (overToolBar || !panelRect_.Contains(cx, cy)) return;
    panelCapture_ = true;
    panelFocused_ = true;
    BasePanelMouseDown(b, cx - panelRect_.Left, cy - panelRect_.Top);
}

void TFormView::RouteMouseUp(TMouseButton b, int32_t cx, int32_t cy) {
    mouseClientX_ = cx;
    mouseClientY_ = cy;
    if (toolCapture_) {
        if (b != mbLeft) return;
        TToolButton* t = toolCapture_;
        toolCapture_ = nullptr;
        t->Pressed = false;
        PaintToolBar();
        if (t->Contains(cx, cy) && toolBarVisible_) {
            if (t == &quitButton_)
                ConfirmQuit();
            else
                ToggleFullScreen();
        }
        return;
    }
    if (panelCapture_ || panelRect_.Contains(cx, cy)) {
        panelCapture_ = false;
        BasePanelMouseUp(b, cx - panelRect_.Left, cy - panelRect_.Top);
    }
}

void TFormView::DispatchEvent(const TPlatformEvent& ev) {
    switch (ev.Kind) {
    case TPlatformEvent::evClose:
    case TPlatformEvent::evQuit: Close(); break;
    case TPlatformEvent::evActivate: ApplicationEventsActivate(); break;
    case TPlatformEvent::evDeactivate: ApplicationEventsDeactivate(); break;
    case TPlatformEvent::evMouseMove: RouteMouseMove(ev.X, ev.Y); break;
    case TPlatformEvent::evMouseDown: RouteMouseDown(ev.Button, ev.X, ev.Y); break;
    case TPlatformEvent::evMouseUp: RouteMouseUp(ev.Button, ev.X, ev.Y); break;
    case TPlatformEvent::evWheel:
        if (ev.Wheel < 0)
            FormMouseWheelDown();
        else
            FormMouseWheelUp();
        break;
    case TPlatformEvent::evKeyDown: RouteKeyDown(ev.VK, ev.Repeat, ev.Alt); break;
    case TPlatformEvent::evKeyUp: RouteKeyUp(ev.VK, ev.Alt); break;
    case TPlatformEvent::evExpose:
        if (window_) {
            PaintToolBar(); // shows the window's content too
            if (screenMan_) screenMan_->Expose();
            if (scene_ && screenMan_) screenMan_->Present(scene_.get());
        }
        break;
    case TPlatformEvent::evFrameRequest: StepFrame(); break;
    default: break;
    }
}

void TFormView::ApplyInput(const TInputEvent& e) {
    // Scripted input takes the same way as the real one: panel coordinates become client coordinates.
    switch (e.Kind) {
    case TInputEvent::ieMove: RouteMouseMove(e.X + panelRect_.Left, e.Y + panelRect_.Top); break;
    case TInputEvent::ieDown: RouteMouseDown(e.Button, mouseClientX_, mouseClientY_); break;
    case TInputEvent::ieUp: RouteMouseUp(e.Button, mouseClientX_, mouseClientY_); break;
    case TInputEvent::ieKeyDown: RouteKeyDown(e.VK, false, false); break;
    case TInputEvent::ieKeyUp: RouteKeyUp(e.VK, false); break;
    case TInputEvent::ieWheel:
        if (e.WheelDown)
            FormMouseWheelDown();
        else
            FormMouseWheelUp();
        break;
    }
}

void TFormView::MoveCursorX(int32_t panelX) {
    int32_t y = mouseClientY_;
    if (window_) {
        int32_t x;
        window_->GetMouse(x, y);
        window_->WarpMouse(panelX + panelRect_.Left, y);
    }
    RouteMouseMove(panelX + panelRect_.Left, y);
}

void TFormView::MoveCursorY(int32_t panelY) {
    int32_t x = mouseClientX_;
    if (window_) {
        int32_t y;
        window_->GetMouse(x, y);
        window_->WarpMouse(x, panelY + panelRect_.Top);
    }
    RouteMouseMove(x, panelY + panelRect_.Top);
}

int32_t TFormView::DisplayDepth() const {
    if (screenMan_ && screenMan_->Surface()) return screenMan_->Surface()->BitCount();
    return 32;
}

void TFormView::GetCursorPos(int32_t& x, int32_t& y) const {
    int32_t cx = mouseClientX_, cy = mouseClientY_;
    if (window_) window_->GetMouse(cx, cy); // where the pointer really is
    x = cx - panelRect_.Left;
    y = cy - panelRect_.Top;
}

// ---- tool bar, panel and full screen -------------------------------------------------------------------

void TFormView::CreateToolBar() {
    quitButton_.Caption = SJ("終了");
    quitButton_.Bounds = {2, 1, 2 + ButtonWidth, 1 + ButtonHeight};
    screenButton_.Caption = SJ("画面切替");
    screenButton_.Bounds = {2 + ButtonWidth, 1, 2 + 2 * ButtonWidth, 1 + ButtonHeight};
    toolBarVisible_ = true;
}

void TFormView::PaintToolBar() {
    if (!window_) return;
    int32_t w = std::max(1, clientWidth_);
    if (toolBarCanvas_.Width() != w || toolBarCanvas_.Height() != DockHeight)
        toolBarCanvas_.Resize(w, DockHeight);
    toolBarCanvas_.FillRect({0, 0, w, DockHeight}, clBtnFace);
    quitButton_.Paint(toolBarCanvas_);
    screenButton_.Paint(toolBarCanvas_);
    // The dock's bound line along its bottom.
    toolBarCanvas_.HLine(0, w, DockHeight - 2, clBtnShadow);
    toolBarCanvas_.HLine(0, w, DockHeight - 1, clBtnHighlight);
    window_->SetChrome(0, 0, w, DockHeight, toolBarVisible_);
    window_->UploadChrome(toolBarCanvas_.Pixels(), toolBarCanvas_.PitchBytes(), {0, 0, w, DockHeight});
    window_->Render();
}

void TFormView::SetToolBarVisible(bool on) {
    if (on == toolBarVisible_) return;
    toolBarVisible_ = on;
    if (!on) {
        quitButton_.Hot = screenButton_.Hot = false;
    }
    PaintToolBar();
}

void TFormView::SetClientSize(int32_t w, int32_t h) {
    clientWidth_ = w;
    clientHeight_ = h;
    if (window_) window_->SetClientSize(w, h);
    PaintToolBar();
}

void TFormView::PlacePanel() {
    // In full screen the client is the screen of the mode; a framed window has the size it was given
    // (the window system may report the new size only later).
    if (window_ && IsFullScreen()) {
        int32_t w, h;
        window_->GetClientSize(w, h);
        clientWidth_ = w;
        clientHeight_ = h;
    }
    const int32_t sw = SceneWidth(), sh = SceneHeight();
    const int32_t left = (clientWidth_ - sw) / 2;
    const int32_t top = IsFullScreen() ? (clientHeight_ - sh) / 2 : DockHeight;
    panelRect_ = {left, top, left + sw, top + sh};
    if (window_) window_->SetPanel({panelRect_.Left, panelRect_.Top, panelRect_.Right, panelRect_.Bottom});
}

std::string TFormView::TitleText() const {
    return project_ ? project_->Title() : caption_;
}

void TFormView::ConfirmQuit() {
    const bool old = Terminating;
    Terminating = true; // the game stands still while the question is open
    std::string title = TitleText();
    std::string text = SJ("「") + title + SJ("」を終了しますか？");
    if (MessageBox(text, title, MB_YESNO | MB_ICONQUESTION) == IDYES)
        Close();
    else
        Terminating = old;
}

void TFormView::ReleaseForSwitch() {
    if (scene_) scene_->ReleaseSurfaces();
    if (services_.SuspendVideo) services_.SuspendVideo();
}

void TFormView::RestoreAfterSwitch() {
    PlacePanel();
    PaintToolBar();
    if (scene_) scene_->RestoreSurfaces();
    if (services_.ResumeVideo) services_.ResumeVideo();
    if (screenMan_) screenMan_->Expose();
}

void TFormView::RestoreFramed() {
    if (!window_) return;
    window_->SetBordered(true);
    SetClientSize(SceneWidth(), SceneHeight() + DockHeight);
    if (placement_.Saved) window_->SetPosition(placement_.X, placement_.Y);
}

void TFormView::SetFullScreen(bool on) {
    if (on == IsFullScreen()) return;
    if (on && (!screenMan_ || !screenMan_->HasDisplay() || screenMan_->SelectedMode() < 0)) return;
    if (!screenMan_ || !window_) return;
    ReleaseForSwitch();
    if (on) {
        toolBarVisible_ = false;
        screenMan_->ReleaseSurfaces();
        window_->GetPosition(placement_.X, placement_.Y);
        placement_.W = clientWidth_;
        placement_.H = clientHeight_;
        placement_.Saved = true;
        window_->SetBordered(false);
        window_->SetPosition(0, 0);
        SetClientSize(SceneWidth(), SceneHeight());
        const int32_t selected = screenMan_->SelectedMode();
        screenMan_->SetMode(selected);
        if (screenMan_->CurrentMode() != selected) {
            toolBarVisible_ = true;
            RestoreFramed();
        }
    } else {
        toolBarVisible_ = true;
        screenMan_->ReleaseSurfaces();
        RestoreFramed();
        screenMan_->SetMode(-1);
    }
    RestoreAfterSwitch();
}

void TFormView::ReapplyDisplayMode() {
    if (!screenMan_ || !window_ || !IsFullScreen()) return;
    const int32_t selected = screenMan_->SelectedMode();
    if (selected < 0 || selected == screenMan_->CurrentMode()) return;
    ReleaseForSwitch();
    screenMan_->SetMode(selected);
    if (screenMan_->CurrentMode() != selected) {
        toolBarVisible_ = true;
        RestoreFramed();
    }
    RestoreAfterSwitch();
}

} // namespace vobe
