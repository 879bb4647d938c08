// The picture slider (bar, thumb and two step buttons cut from pictures) and the scroll bar, which
// pages by LargeChange when the bar is pressed.
#pragma once

#include "framework/vobe_object.h"

namespace vobe {

class TVobeSlider : public TVobeControl {
public:
    using TVobeControl::TVobeControl;

    std::string Source;       // the bar: two cells side by side
    std::string ThumbSource;  // three cells: normal, hover, pressed
    std::string ButtonSource; // six cells: the two buttons' normal, hover, pressed
    int32_t Min = 0, Max = 0, Value = 0;
    int32_t Alpha = 0;
    bool Paused = false;
    uint8_t Orientation = 0; // 0 horizontal, 1 vertical
    std::string NotifyHandler;
    int32_t BarW = 0, BarH = 0, ThumbW = 0, ThumbH = 0, ButtonW = 0, ButtonH = 0;
    int32_t ThumbPos = 0;
    int32_t ThumbState = 0;
    int32_t ButtonState[2] = {0, 0};
    int32_t SmallChange = 1;
    std::string HoldHandler, ReleaseHandler, IdleHandler;
    bool CaptureMask = false;
    int32_t BarSize = 0;
    int32_t Mode = 0; // 0 idle, 1 dragging, 2/3 a button held, 4/5 paging

    uint8_t GetCompoType() override { return ctSlider; }
    // Value limited to Min .. Max.
    int32_t ClampedValue() const;

    std::string GetSource() override { return Source; }
    void SetSource(const std::string& v) override;
    VOBE_VISUAL_PROPERTY(Int, Alpha, Alpha)
    VOBE_FIELD_PROPERTY(Flag, Paused, Paused)
    VOBE_FIELD_PROPERTY(Flag, CaptureMask, CaptureMask)
    std::string GetThumbSource() override { return ThumbSource; }
    void SetThumbSource(const std::string& v) override;
    std::string GetButtonSource() override { return ButtonSource; }
    void SetButtonSource(const std::string& v) override;
    int32_t GetMin() override { return Min; }
    void SetMin(int32_t v) override;
    int32_t GetMax() override { return Max; }
    void SetMax(int32_t v) override;
    int32_t GetValue() override { return ClampedValue(); }
    void SetValue(int32_t v) override;
    int32_t GetOrientation() override { return Orientation; }
    void SetOrientation(int32_t v) override;
    VOBE_FIELD_PROPERTY(Int, SmallChange, SmallChange)
    int32_t GetBarSize() override { return BarSize; }
    void SetBarSize(int32_t v) override;
    VOBE_FIELD_PROPERTY(Str, OnNotify, NotifyHandler)
    VOBE_FIELD_PROPERTY(Str, OnHold, HoldHandler)
    VOBE_FIELD_PROPERTY(Str, OnRelease, ReleaseHandler)
    VOBE_FIELD_PROPERTY(Str, OnIdle, IdleHandler)

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;

protected:
    // Recomputes the size from the cell sizes and the thumb position from the value.
    virtual void Recalc();
};

class TVobeScrollbar : public TVobeSlider {
public:
    using TVobeSlider::TVobeSlider;

    int32_t LargeChange = 1;

    uint8_t GetCompoType() override { return ctScrollbar; }
    VOBE_FIELD_PROPERTY(Int, LargeChange, LargeChange)

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;
};

} // namespace vobe
