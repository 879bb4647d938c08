#include "shell/scene_host.h"

#include "archive/file_manager.h"
#include "archive/stream.h"
#include "components/vask_man.h"
#include "framework/vobe_base_list.h"
#include "framework/vobe_initialize.h"
#include "graphics/cursor_file.h"
#include "platform/error.h"
#include "shell/display_surface.h"
#include "shell/form_view.h"

namespace vobe {

namespace {

// The window's drawing panel as the scene sees it.
class TWindowPanel : public TBasePanel {
public:
    explicit TWindowPanel(IDisplayHost& display) : FDisplay(display) {}
    TCustomDIBX* GetDisplaySurface() override { return FDisplay.GetDisplaySurface(); }
    int32_t DisplayDepth() override { return FDisplay.DisplayDepth(); }
    TPoint GetCursorPos() override {
        TPoint p;
        FDisplay.GetCursorPos(p.X, p.Y);
        return p;
    }
    void MoveCursorX(int32_t x) override {
        if (FormView) FormView->MoveCursorX(x);
    }
    void MoveCursorY(int32_t y) override {
        if (FormView) FormView->MoveCursorY(y);
    }
    // A cursor file of the game; one that cannot be read leaves the arrow.
    void LoadCustomCursor(const std::string& name) override {
        TPlatformWindow* window = FormView ? FormView->Window() : nullptr;
        if (!window || !FileManager) return;
        try {
            TTpMemoryStream data;
            FileManager->LoadToStream(data, name);
            TCursorImage img = DecodeCursor(data.Memory(), static_cast<size_t>(data.GetSize()));
            window->SetCursorImage(img.Pixels.data(), img.Width, img.Height, img.HotX, img.HotY);
        } catch (const EVobeError&) {
            window->SetCursorImage(nullptr, 0, 0, 0, 0);
        }
    }
    void ShowCustomCursor(bool custom) override {
        if (TPlatformWindow* window = FormView ? FormView->Window() : nullptr)
            window->ShowCursorImage(custom);
    }

private:
    IDisplayHost& FDisplay;
};

// The window's frame steps on Bases.
class TSceneHost : public IGameScene {
public:
    void SetSize(int32_t width, int32_t height) override {
        Bases->SetWidth(width);
        Bases->SetHeight(height);
    }
    void ProcessInput() override { Bases->ProcessInput(); }
    void Update() override { Bases->Update(); }
    void Draw() override { Bases->Draw(); }
    int32_t Scale() const override { return Bases->Scale; }
    TRect PresentRect() const override { return Bases->PresentRect; }
    const TClipList& FrontDirty() const override { return Bases->FrontBase()->Dirty; }
    void ClearDirty() override {
        Bases->Base0->Dirty.Clear();
        Bases->Base1->Dirty.Clear();
    }
    void ReleaseSurfaces() override { Bases->ReleaseSurfaces(); }
    void RestoreSurfaces() override { Bases->RestoreSurfaces(); }
    void MouseDown(TMouseButton button) override { Bases->PanelMouseDown(button); }
    void MouseUp() override { Bases->PanelMouseUp(); }
    void MouseMove(int32_t x, int32_t y) override { Bases->PanelMouseMove(x, y); }
    void Wheel(bool down) override { Bases->PanelMouseWheel(down); }
    void SetKeyState(int32_t vk, bool down) override { Bases->SetKeyState(vk, down); }
    void SetKeyPressed(int32_t vk) override { Bases->SetKeyPressed(vk); }
    void ReleaseInput() override { Bases->ReleaseInput(); }
};

std::unique_ptr<TWindowPanel> Panel;

} // namespace

std::unique_ptr<IGameScene> StartScene(IDisplayHost& display) {
    Panel = std::make_unique<TWindowPanel>(display);
    RegisterPictureCache();
    VobeInitialize(Panel.get());
    return std::make_unique<TSceneHost>();
}

void FinishScene() {
    VobeFinalize();
    Panel.reset();
}

} // namespace vobe
