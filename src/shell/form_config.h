// The sound configuration dialog (/config): DirectSound on or off and the delay of the player's own
// wave output, written to game.ini beside the program. Drawn by the player itself and usable with the
// mouse and the keyboard (Tab, Space, Enter, Escape, the arrow keys and the accelerators S and D).
#pragma once

#include <string>

#include "platform/window.h"
#include "shell/widgets.h"

namespace vobe {

class TFormConfig {
public:
    static constexpr int32_t ClientWidth = 270, ClientHeight = 179;

    // iniPath: the player path of game.ini.
    explicit TFormConfig(std::string iniPath);

    // The system's handlers.
    void FormCreate();
    void FormClose();
    void CheckSoundClick();
    void TrackBuffChange();
    void btnOKClick();
    void btnCancelClick();

    bool Visible() const { return visible_; }
    static std::string Caption();

    // Input in client coordinates.
    void MouseDown(TMouseButton button, int32_t x, int32_t y);
    void MouseMove(int32_t x, int32_t y);
    void MouseUp(TMouseButton button, int32_t x, int32_t y);
    void KeyDown(int32_t vk, bool shift);

    // Paints the whole client area; Dirty tells whether anything changed since the last Paint.
    void Paint(TCanvas& canvas);
    bool Dirty() const { return dirty_; }

    // Shows the dialog in a window of its own and returns when it closes. Without a display the dialog
    // is answered at once as Cancel (nothing is written).
    void ShowModal();

    TCheckBox CheckSound;
    TStaticLabel LabelBuff;
    TTrackBar TrackBuff;
    TStaticLabel LabelBuffInfo;
    TPushButton btnOK;
    TPushButton btnCancel;

private:
    TWidget* FocusOrder(int32_t i);
    int32_t FocusIndex() const;
    void SetFocus(TWidget* w);
    void MoveFocus(bool back);
    void SetPosition(int32_t p);
    void ClickFocused();

    std::string iniPath_;
    bool visible_ = false;
    bool dirty_ = true;
    TWidget* focused_ = nullptr;
    TWidget* captured_ = nullptr; // the control the pointer pressed
    bool draggingThumb_ = false;
};

} // namespace vobe
