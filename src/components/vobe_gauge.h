// The picture gauge: a value shown as a filled bar with a trail that follows decreases.
#pragma once

#include "framework/vobe_object.h"

namespace vobe {

class TVobeGauge : public TVobeControl {
public:
    using TVobeControl::TVobeControl;

    std::string Source; // two cells side by side: the filled bar and the trail
    int32_t Min = 0, Max = 0, Value = 0;
    int32_t Alpha = 0;
    bool Paused = false;
    uint8_t Orientation = 0;
    int32_t Delay = 0;    // ms to run through the whole range
    int32_t Duration = 0; // ms before a decrease starts to shrink the trail
    bool Reverse = false;
    int32_t BarW = 0, BarH = 0;
    int32_t Shown = 0; // the value drawn filled
    int32_t Trail = 0; // the drawn trail
    int32_t Phase = 0; // 0 idle, 100 shrinking the trail, 200 growing
    double TrailValue = 0;
    int32_t DelayLeft = 0;
    std::string IdleHandler;
    int32_t BarSize = 0;

    uint8_t GetCompoType() override { return ctGauge; }
    int32_t ClampedValue() const;

    std::string GetSource() override { return Source; }
    void SetSource(const std::string& v) override;
    VOBE_VISUAL_PROPERTY(Int, Alpha, Alpha)
    VOBE_FIELD_PROPERTY(Int, Delay, Delay)
    VOBE_FIELD_PROPERTY(Flag, Paused, Paused)
    VOBE_FIELD_PROPERTY(Int, Duration, Duration)
    int32_t GetMin() override { return Min; }
    void SetMin(int32_t v) override;
    int32_t GetMax() override { return Max; }
    void SetMax(int32_t v) override;
    int32_t GetValue() override { return ClampedValue(); }
    void SetValue(int32_t v) override;
    VOBE_VISUAL_PROPERTY(Int, Orientation, Orientation)
    VOBE_VISUAL_PROPERTY(Flag, Reverse, Reverse)
    int32_t GetBarSize() override { return BarSize; }
    void SetBarSize(int32_t v) override;
    VOBE_FIELD_PROPERTY(Str, OnIdle, IdleHandler)
    bool GetPlaying() override { return Phase != 0; }

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;

protected:
    // The size: (BarW, BarH) with BarSize replacing the length.
    void Resize();
};

} // namespace vobe
