// The picture button: four picture states (normal, hover, pressed, clicked), each a frame list or a
// motion, and radio-style groups among siblings.
#pragma once

#include <array>
#include <memory>

#include "components/vobe_images.h"

namespace vobe {

class TVobeButton : public TVobeImages {
public:
    explicit TVobeButton(TVobeBaseList* owner);
    ~TVobeButton() override;

    int32_t Pressing = 0;    // 0 idle; 1 pressed and held; -1 asks to be deleted
    int32_t State = 0;       // the state shown
    int32_t ReturnState = 0; // the state taken when the clicked animation ends
    std::string HoverSource, PressedSource, ClickedSource;
    int32_t GroupIndex = 0;
    bool Selected = false;
    bool AllowAllUp = false;
    std::string NotifyHandler;
    std::string ButtonIdleHandler;                            // the button's own PR_ONIDLE
    std::array<std::unique_ptr<TVobeMotion>, 3> StateMotions; // states 1-3; state 0 uses Motion

    uint8_t GetCompoType() override { return ctButton; }
    int32_t GetState() override { return State; }
    void SetState(int32_t state) override;
    int32_t ImageListCount() override { return 4; }
    TVobeMotion* GetMotion() override;
    // State i has pictures (frames or a motion).
    virtual bool StateHasPictures(int32_t state);

    void SetPaused(bool v) override;
    bool GetRepeat() override { return State != 3; }
    VOBE_FIELD_PROPERTY(Str, OnNotify, NotifyHandler)
    std::string GetHoverSource() override { return HoverSource; }
    void SetHoverSource(const std::string& v) override { SetStateSource(1, v); }
    std::string GetPressedSource() override { return PressedSource; }
    void SetPressedSource(const std::string& v) override { SetStateSource(2, v); }
    std::string GetClickedSource() override { return ClickedSource; }
    void SetClickedSource(const std::string& v) override { SetStateSource(3, v); }
    int32_t GetGroupIndex() override { return GroupIndex; }
    void SetGroupIndex(int32_t v) override;
    bool GetAllowAllUp() override { return AllowAllUp; }
    void SetAllowAllUp(bool v) override;
    bool GetSelected() override { return Selected; }
    void SetSelected(bool v) override;
    VOBE_FIELD_PROPERTY(Str, OnIdle, ButtonIdleHandler)

    void ApplySelected(bool value) override;
    void ApplyAllowAllUp(bool value) override { AllowAllUp = value; }

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;

protected:
    void SetStateSource(int32_t state, const std::string& v);
};

// The group rule on a parent: among the children of group g, at most one is selected.
void ApplyGroup(TVobeControl* parent, TVobeButton* button, int32_t g);

} // namespace vobe
