#include "shell/form_config.h"

#include <algorithm>
#include <cstdio>

#include "platform/cp932.h"
#include "platform/ini_file.h"
#include "platform/keys.h"
#include "platform/message_box.h"
#include "platform/platform.h"
#include "platform/timer.h"

namespace vobe {

TFormConfig::TFormConfig(std::string iniPath) : iniPath_(std::move(iniPath)) {
    CheckSound.Bounds = {12, 14, 258, 31};
    CheckSound.Caption = SJ("DirectSoundを使用する(&S)");
    LabelBuff.Bounds = {12, 46, 258, 60};
    LabelBuff.Caption = SJ("サウンドの遅延時間(&D)：");
    TrackBuff.Bounds = {12, 64, 258, 94};
    TrackBuff.Min = 1;
    TrackBuff.Max = 5;
    TrackBuff.PageSize = 1;
    TrackBuff.Position = 1;
    LabelBuffInfo.Bounds = {150, 98, 250, 112};
    LabelBuffInfo.RightAlign = true;
    btnOK.Bounds = {102, 140, 177, 165};
    btnOK.Caption = "OK";
    btnOK.Default = true;
    btnCancel.Bounds = {183, 140, 258, 165};
    btnCancel.Caption = SJ("キャンセル");
    focused_ = &CheckSound;
    CheckSound.Focused = true;
}

std::string TFormConfig::Caption() {
    return SJ("動作設定");
}

void TFormConfig::FormCreate() {
    visible_ = true;
    TIniFile ini(iniPath_);
    CheckSound.Checked = ini.ReadBool("Sound", "DirectSound", true);
    CheckSoundClick();
    SetPosition(ini.ReadInteger("Sound", "DelayTime", 500) / 100);
    TrackBuffChange();
}

void TFormConfig::FormClose() {
    visible_ = false;
    dirty_ = true;
}

void TFormConfig::CheckSoundClick() {
    // The delay applies only to the player's own wave output, used when DirectSound is off.
    bool own = !CheckSound.Checked;
    LabelBuff.Enabled = own;
    TrackBuff.Enabled = own;
    LabelBuffInfo.Enabled = own;
    if (!own && focused_ == &TrackBuff) SetFocus(&CheckSound);
    dirty_ = true;
}

void TFormConfig::TrackBuffChange() {
    char buf[32];
    std::snprintf(buf, sizeof(buf), "%dms", TrackBuff.Position * 100);
    LabelBuffInfo.Caption = buf;
    dirty_ = true;
}

void TFormConfig::btnOKClick() {
    TIniFile ini(iniPath_);
    bool ok = ini.WriteBool("Sound", "DirectSound", CheckSound.Checked) &&
              ini.WriteInteger("Sound", "DelayTime", TrackBuff.Position * 100) && ini.UpdateFile();
    if (!ok) {
        // The settings were not saved: say so and leave the dialog open.
        MessageBox(iniPath_ + SJ(" に書き込めません"), Caption(), MB_OK | MB_ICONERROR);
        return;
    }
    FormClose();
}

void TFormConfig::btnCancelClick() {
    FormClose();
}

void TFormConfig::SetPosition(int32_t p) {
    p = std::clamp(p, TrackBuff.Min, TrackBuff.Max);
    if (p == TrackBuff.Position) return;
    TrackBuff.Position = p;
    TrackBuffChange();
}

TWidget* TFormConfig::FocusOrder(int32_t i) {
    TWidget* order[] = {&CheckSound, &TrackBuff, &btnOK, &btnCancel};
    return order[i];
}

int32_t TFormConfig::FocusIndex() const {
    const TWidget* order[] = {&CheckSound, &TrackBuff, &btnOK, &btnCancel};
    for (int32_t i = 0; i < 4; ++i)
        if (order[i] == focused_) return i;
    return 0;
}

void TFormConfig::SetFocus(TWidget* w) {
    if (!w || !w->Enabled || w == focused_) return;
    if (focused_) focused_->Focused = false;
    focused_ = w;
    w->Focused = true;
    // A focused push button is the one Enter presses; otherwise OK is.
    btnOK.Default = w != &btnCancel;
    dirty_ = true;
}

void TFormConfig::MoveFocus(bool back) {
    int32_t i = FocusIndex();
    for (int32_t n = 0; n < 4; ++n) {
        i = (i + (back ? 3 : 1)) % 4;
        if (FocusOrder(i)->Enabled) {
            SetFocus(FocusOrder(i));
            return;
        }
    }
}

void TFormConfig::ClickFocused() {
    if (focused_ == &CheckSound) {
        CheckSound.Checked = !CheckSound.Checked;
        CheckSoundClick();
    } else if (focused_ == &btnOK) {
        btnOKClick();
    } else if (focused_ == &btnCancel) {
        btnCancelClick();
    }
}

void TFormConfig::KeyDown(int32_t vk, bool shift) {
    if (!visible_) return;
    switch (vk) {
    case VK_TAB: MoveFocus(shift); return;
    case VK_ESCAPE: btnCancelClick(); return;
    case VK_RETURN:
        if (focused_ == &btnCancel)
            btnCancelClick();
        else
            btnOKClick();
        return;
    case VK_SPACE: ClickFocused(); return;
    case 'S':
        SetFocus(&CheckSound);
        CheckSound.Checked = !CheckSound.Checked;
        CheckSoundClick();
        return;
    case 'D': SetFocus(&TrackBuff); return; // the label's accelerator focuses its track bar
    default: break;
    }
    if (focused_ == &TrackBuff && TrackBuff.Enabled) {
        switch (vk) {
        case VK_LEFT:
        case VK_UP: SetPosition(TrackBuff.Position - 1); break;
        case VK_RIGHT:
        case VK_DOWN: SetPosition(TrackBuff.Position + 1); break;
        case VK_PRIOR: SetPosition(TrackBuff.Position - TrackBuff.PageSize); break;
        case VK_NEXT: SetPosition(TrackBuff.Position + TrackBuff.PageSize); break;
        case VK_HOME: SetPosition(TrackBuff.Min); break;
        case VK_END: SetPosition(TrackBuff.Max); break;
        default: break;
        }
    } else if (vk == VK_LEFT || vk == VK_UP) {
        MoveFocus(true);
    } else if (vk == VK_RIGHT || vk == VK_DOWN) {
        MoveFocus(false);
    }
}

void TFormConfig::MouseDown(TMouseButton button, int32_t x, int32_t y) {
    if (!visible_ || button != mbLeft) return;
    TWidget* hit = nullptr;
    for (TWidget* w : {static_cast<TWidget*>(&CheckSound), static_cast<TWidget*>(&TrackBuff),
                       static_cast<TWidget*>(&btnOK), static_cast<TWidget*>(&btnCancel)})
        if (w->Enabled && w->Contains(x, y)) hit = w;
    captured_ = hit;
    if (!hit) return;
    SetFocus(hit);
    if (hit == &btnOK || hit == &btnCancel) static_cast<TPushButton*>(hit)->Pressed = true;
    if (hit == &CheckSound) CheckSound.Pressed = true;
    if (hit == &TrackBuff) {
        TRect t = TrackBuff.ThumbRect();
        if (t.Contains(x, y)) {
            draggingThumb_ = true;
        } else {
            // A click beside the thumb moves it one page towards the pointer.
            int32_t c = TrackBuff.ThumbCenterOf(TrackBuff.Position);
            SetPosition(TrackBuff.Position + (x < c ? -TrackBuff.PageSize : TrackBuff.PageSize));
        }
    }
    dirty_ = true;
}

void TFormConfig::MouseMove(int32_t x, int32_t y) {
    if (!captured_) return;
    if (captured_ == &TrackBuff && draggingThumb_) {
        SetPosition(TrackBuff.PositionAt(x));
    } else if (captured_ == &btnOK || captured_ == &btnCancel) {
        auto* b = static_cast<TPushButton*>(captured_);
        bool in = b->Contains(x, y);
        if (in != b->Pressed) b->Pressed = in, dirty_ = true;
    } else if (captured_ == &CheckSound) {
        bool in = CheckSound.Contains(x, y);
        if (in != CheckSound.Pressed) CheckSound.Pressed = in, dirty_ = true;
    }
}

void TFormConfig::MouseUp(TMouseButton button, int32_t x, int32_t y) {
    if (button != mbLeft || !captured_) return;
    TWidget* w = captured_;
    captured_ = nullptr;
    draggingThumb_ = false;
    btnOK.Pressed = btnCancel.Pressed = CheckSound.Pressed = false;
    dirty_ = true;
    if (!w->Contains(x, y)) return; // released elsewhere: no click
    if (w == &CheckSound) {
        CheckSound.Checked = !CheckSound.Checked;
        CheckSoundClick();
    } else if (w == &btnOK) {
        btnOKClick();
    } else if (w == &btnCancel) {
        btnCancelClick();
    }
}

void TFormConfig::Paint(TCanvas& c) {
    if (c.Width() != ClientWidth || c.Height() != ClientHeight) c.Resize(ClientWidth, ClientHeight);
    c.FillRect({0, 0, ClientWidth, ClientHeight}, clBtnFace);
    CheckSound.Paint(c);
    LabelBuff.Paint(c);
    TrackBuff.Paint(c);
    LabelBuffInfo.Paint(c);
    btnOK.Paint(c);
    btnCancel.Paint(c);
    dirty_ = false;
}

void TFormConfig::ShowModal() {
    FormCreate();
    std::unique_ptr<TPlatformWindow> window;
    if (HasDisplay()) window = TPlatformWindow::Create(Caption(), ClientWidth, ClientHeight);
    if (!window) {
        btnCancelClick();
        return;
    }
    // Centred on the desktop.
    TDisplayMode desk;
    if (GetDesktopMode(desk))
        window->SetPosition((desk.Width - ClientWidth) / 2, (desk.Height - ClientHeight) / 2);
    TCanvas canvas(ClientWidth, ClientHeight);
    window->SetChrome(0, 0, ClientWidth, ClientHeight, true);
    window->Show();
    window->Raise();
    while (visible_) {
        TPlatformEvent ev;
        if (WaitPlatformEvent(ev, 100)) {
            switch (ev.Kind) {
            case TPlatformEvent::evClose:
            case TPlatformEvent::evQuit: FormClose(); break;
            case TPlatformEvent::evMouseDown: MouseDown(ev.Button, ev.X, ev.Y); break;
            case TPlatformEvent::evMouseMove: MouseMove(ev.X, ev.Y); break;
            case TPlatformEvent::evMouseUp: MouseUp(ev.Button, ev.X, ev.Y); break;
            case TPlatformEvent::evKeyDown: KeyDown(ev.VK, ev.Shift); break;
            case TPlatformEvent::evExpose: dirty_ = true; break;
            default: break;
            }
        }
        if (dirty_ && visible_) {
            Paint(canvas);
            window->UploadChrome(canvas.Pixels(), canvas.PitchBytes(), {0, 0, ClientWidth, ClientHeight});
            window->Render();
        }
    }
}

} // namespace vobe
