// TScreenManager: the display manager. It lists the usable display modes and picks the full-screen one,
// switches between the window and full screen, owns the display surface, and presents the changed parts
// of the scene on the window's panel.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/window.h"
#include "shell/display_surface.h"

namespace vobe {

class IGameScene;

class TScreenManager {
public:
    // window may be null (headless): no display modes, full screen unavailable, and the display surface
    // has windowDepth bits (32 when 0). With a window, windowDepth (when not 0) replaces the desktop's
    // depth for the surface in window mode.
    TScreenManager(TPlatformWindow* window, int32_t gameWidth, int32_t gameHeight, int32_t preferredWidth,
                   int32_t preferredHeight, int32_t windowDepth);

    // The mode list and the selection from the modes a display reports: modes smaller than the game or
    // below 16 bits are left out; the first usable mode is selected, replaced by one of the preferred
    // size, preferring the desktop's depth and among those the lowest refresh rate.
    static std::vector<TDisplayMode> SelectModes(const std::vector<TDisplayMode>& reported, int32_t gameWidth,
                                                 int32_t gameHeight, int32_t preferredWidth,
                                                 int32_t preferredHeight, int32_t desktopDepth,
                                                 int32_t& selected);

    void SetMode(int32_t index);
    void ReleaseSurfaces();

    // Presents the scene: the whole surface stretched when the scale is not a whole multiple of 100,
    // else PresentRect when it is not empty, else the front base's dirty rectangles; then clears both
    // bases' dirty lists. Returns true when something reached the window.
    bool Present(IGameScene* scene);
    // Shows the whole surface again (the window was uncovered).
    void Expose();

    TDisplaySurface* Surface() { return surface_.get(); }
    bool IsFullScreen() const { return isFullScreen_; }
    int32_t CurrentMode() const { return currentMode_; }
    int32_t SelectedMode() const { return selectedMode_; }
    // Indices outside the list are ignored (false); -1 deselects.
    bool SetSelectedMode(int32_t index);
    const std::vector<TDisplayMode>& Modes() const { return modes_; }
    int32_t DesktopDepth() const { return desktopDepth_; }
    bool HasDisplay() const { return window_ != nullptr; }
    int64_t PresentCount() const { return presentCount_; }
    // The rectangles of the last presentation (surface coordinates).
    const std::vector<TIntRect>& LastRects() const { return rects_; }

private:
    void ApplyWindow();
    bool ApplyFullScreen(const TDisplayMode& mode);
    void MakeSurface(int32_t depth);

    TPlatformWindow* window_;
    int32_t gameWidth_, gameHeight_, preferredWidth_, preferredHeight_, windowDepth_;
    int32_t desktopDepth_ = 24;
    std::vector<TDisplayMode> modes_;
    int32_t selectedMode_ = -1;
    int32_t currentMode_ = -2;
    bool isFullScreen_ = false;
    std::unique_ptr<TDisplaySurface> surface_;
    bool needAll_ = true; // the panel must receive the whole surface at the next presentation
    int64_t presentCount_ = 0;
    std::vector<TIntRect> rects_; // reused
};

} // namespace vobe
