#include "components/vobe_slider.h"

#include <algorithm>
#include <cmath>

#include "archive/stream.h"

namespace vobe {

int32_t TVobeSlider::ClampedValue() const {
    int32_t v = Value;
    if (v < Min) v = Min;
    if (v > Max) v = Max;
    return v;
}

// The cell sizes come from the pictures, which the input controls load with the picture cache.
void TVobeSlider::SetSource(const std::string& v) {
    Source = v;
    Recalc();
}
void TVobeSlider::SetThumbSource(const std::string& v) {
    ThumbSource = v;
    Recalc();
}
void TVobeSlider::SetButtonSource(const std::string& v) {
    ButtonSource = v;
    Recalc();
}

void TVobeSlider::SetMin(int32_t v) {
    Min = v;
    Recalc();
}
void TVobeSlider::SetMax(int32_t v) {
    Max = v;
    Recalc();
}
void TVobeSlider::SetValue(int32_t v) {
    Value = v;
    Recalc();
}
void TVobeSlider::SetOrientation(int32_t v) {
    Orientation = static_cast<uint8_t>(v);
    Recalc();
}
void TVobeSlider::SetBarSize(int32_t v) {
    BarSize = v;
    Recalc();
}

void TVobeSlider::Recalc() {
    const bool vertical = Orientation != 0;
    int32_t barLen = vertical ? BarH : BarW;
    if (BarSize > 0) barLen = BarSize;
    const int32_t barW = vertical ? BarW : barLen;
    const int32_t barH = vertical ? barLen : BarH;
    int64_t w, h;
    if (barW <= 0 || barH <= 0) {
        w = h = 0;
    } else if (!vertical) {
        w = int64_t{barW} + ThumbW + 2 * int64_t{ButtonW};
        h = std::max({barH, ThumbH, ButtonH});
    } else {
        w = std::max({barW, ThumbW, ButtonW});
        h = int64_t{barH} + ThumbH + 2 * int64_t{ButtonH};
    }
    w = std::min<int64_t>(w, INT32_MAX);
    h = std::min<int64_t>(h, INT32_MAX);
    int32_t pos = 0;
    if (Max > Min) {
        const double t =
            (static_cast<double>(ClampedValue()) - Min) / (static_cast<double>(Max) - Min) * barLen;
        pos = static_cast<int32_t>(std::nearbyint(t));
    }
    if (w != Width || h != Height || pos != ThumbPos) {
        Invalidate();
        Width = static_cast<int32_t>(w);
        Height = static_cast<int32_t>(h);
        ThumbPos = pos;
        Invalidate();
    }
}

void TVobeSlider::SaveToStream(TStream& s) {
    TVobeControl::SaveToStream(s);
    WriteStr(s, Source);
    WriteStr(s, ThumbSource);
    WriteStr(s, ButtonSource);
    for (int32_t v : {Min, Max, Value, SmallChange, Alpha}) WriteInt32(s, v);
    WriteBool(s, Paused);
    WriteByte(s, Orientation);
    for (const std::string* h : {&NotifyHandler, &HoldHandler, &ReleaseHandler, &IdleHandler})
        WriteStr(s, *h);
    WriteBool(s, CaptureMask);
    WriteInt32(s, BarSize);
}

void TVobeSlider::LoadFromStream(TStream& s, int32_t version) {
    TVobeControl::LoadFromStream(s, version);
    SetSource(ReadStr(s));
    SetThumbSource(ReadStr(s));
    SetButtonSource(ReadStr(s));
    for (int32_t* v : {&Min, &Max, &Value, &SmallChange, &Alpha}) *v = ReadInt32(s);
    Paused = ReadBool(s);
    Orientation = ReadByte(s);
    for (std::string* h : {&NotifyHandler, &HoldHandler, &ReleaseHandler, &IdleHandler}) *h = ReadStr(s);
    if (version > 118) CaptureMask = ReadBool(s);
    if (version > 127) SetBarSize(ReadInt32(s));
    Recalc();
}

void TVobeScrollbar::SaveToStream(TStream& s) {
    TVobeSlider::SaveToStream(s);
    WriteInt32(s, LargeChange);
}

void TVobeScrollbar::LoadFromStream(TStream& s, int32_t version) {
    TVobeSlider::LoadFromStream(s, version);
    LargeChange = ReadInt32(s);
}

} // namespace vobe
