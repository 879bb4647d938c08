#include "shell/screen_manager.h"

#include "shell/game_services.h"

namespace vobe {

TScreenManager::TScreenManager(TPlatformWindow* window, int32_t gameWidth, int32_t gameHeight,
                               int32_t preferredWidth, int32_t preferredHeight, int32_t windowDepth)
    : window_(window), gameWidth_(gameWidth), gameHeight_(gameHeight), preferredWidth_(preferredWidth),
      preferredHeight_(preferredHeight), windowDepth_(windowDepth) {
    if (window_) {
        TDisplayMode desk;
        if (GetDesktopMode(desk)) desktopDepth_ = desk.Bits;
        modes_ = SelectModes(ListDisplayModes(), gameWidth_, gameHeight_, preferredWidth_, preferredHeight_,
                             desktopDepth_, selectedMode_);
    }
    currentMode_ = -2;
    SetMode(-1);
}

std::vector<TDisplayMode> TScreenManager::SelectModes(const std::vector<TDisplayMode>& reported,
                                                      int32_t gameWidth, int32_t gameHeight,
                                                      int32_t preferredWidth, int32_t preferredHeight,
                                                      int32_t desktopDepth, int32_t& selected) {
    std::vector<TDisplayMode> modes;
    selected = -1;
    for (const auto& m : reported) {
        if (m.Width < gameWidth || m.Height < gameHeight || m.Bits < 16) continue;
        modes.push_back(m);
        const int32_t idx = static_cast<int32_t>(modes.size()) - 1;
        if (selected < 0) {
            selected = idx;
            continue;
        }
        const TDisplayMode& s = modes[selected];
        if (m.Width != preferredWidth || m.Height != preferredHeight) continue;
        bool selPreferred = s.Width == preferredWidth && s.Height == preferredHeight;
        if (!selPreferred || (m.Bits == desktopDepth && (s.Bits != desktopDepth || m.Refresh < s.Refresh)))
            selected = idx;
    }
    return modes;
}

bool TScreenManager::SetSelectedMode(int32_t index) {
    if (index < -1 || index >= static_cast<int32_t>(modes_.size())) return false;
    selectedMode_ = index;
    return true;
}

void TScreenManager::MakeSurface(int32_t depth) {
    surface_ = std::make_unique<TDisplaySurface>(gameWidth_, gameHeight_, depth);
    needAll_ = true;
}

void TScreenManager::ReleaseSurfaces() {
    surface_.reset();
    currentMode_ = -2;
}

void TScreenManager::ApplyWindow() {
    if (window_ && window_->IsFullScreen()) window_->LeaveFullScreen();
    int32_t depth = 32;
    if (window_) {
        TDisplayMode desk;
        if (GetDesktopMode(desk)) depth = desk.Is555 ? 15 : desk.Bits > 16 ? 32 : 16;
    }
    if (windowDepth_ != 0) depth = windowDepth_;
    MakeSurface(depth);
    isFullScreen_ = false;
}

bool TScreenManager::ApplyFullScreen(const TDisplayMode& mode) {
    if (!window_ || !window_->EnterFullScreen(mode)) return false;
    MakeSurface(mode.Bits < 16 || mode.Is555 ? 15 : mode.Bits == 16 ? 16 : 32);
    isFullScreen_ = true;
    return true;
}

void TScreenManager::SetMode(int32_t index) {
    if (index == currentMode_) return;
    currentMode_ = index;
    surface_.reset();
    if (index >= 0 && index < static_cast<int32_t>(modes_.size())) {
        if (ApplyFullScreen(modes_[index])) return;
        currentMode_ = -1; // the mode cannot be set: back to the window
    } else {
        currentMode_ = -1;
    }
    ApplyWindow();
}

void TScreenManager::Expose() {
    needAll_ = true;
}

bool TScreenManager::Present(IGameScene* scene) {
    if (!scene || !surface_) return false;
    const int32_t z = scene->Scale() > 0 ? scene->Scale() : 100;
    rects_.clear();
    bool all = needAll_ || z % 100 != 0;
    if (!all) {
        TRect pr = scene->PresentRect();
        if (!pr.IsEmpty()) {
            rects_.push_back({pr.Left, pr.Top, pr.Right, pr.Bottom});
        } else {
            for (const TRect& r : scene->FrontDirty().Rects())
                if (!r.IsEmpty()) rects_.push_back({r.Left, r.Top, r.Right, r.Bottom});
        }
    } else {
        rects_.push_back({0, 0, surface_->Width(), surface_->Height()});
    }
    bool shown = false;
    if (!rects_.empty()) {
        ++presentCount_;
        if (window_) {
            window_->SetPanelScale(z);
            window_->UploadPanel(surface_->Bits(), surface_->Pitch(), surface_->BitCount(), surface_->Width(),
                                 surface_->Height(), rects_.data(), static_cast<int32_t>(rects_.size()));
            window_->Render();
        }
        needAll_ = false;
        shown = true;
    }
    scene->ClearDirty();
    return shown;
}

} // namespace vobe
