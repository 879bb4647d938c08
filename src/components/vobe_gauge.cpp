#include "components/vobe_gauge.h"

#include "archive/stream.h"

namespace vobe {

int32_t TVobeGauge::ClampedValue() const {
    int32_t v = Value;
    if (v < Min) v = Min;
    if (v > Max) v = Max;
    return v;
}

// The cell sizes come from the picture, which loads with the picture cache.
void TVobeGauge::SetSource(const std::string& v) {
    Source = v;
    Resize();
}

void TVobeGauge::SetBarSize(int32_t v) {
    BarSize = v;
    Resize();
}

void TVobeGauge::Resize() {
    int32_t w = BarW, h = BarH;
    if (BarSize > 0) (Orientation != 0 ? h : w) = BarSize;
    if (w == Width && h == Height) return;
    Invalidate();
    Width = w;
    Height = h;
    Invalidate();
}

void TVobeGauge::SetValue(int32_t v) {
    if (v == Value) return;
    const int32_t old = ClampedValue();
    Value = v;
    const int32_t now = ClampedValue();
    if (now < old) {
        Shown = now;
        Trail = old - now;
        TrailValue = Trail;
        DelayLeft = Duration;
        Phase = 100;
    } else {
        Trail = 0;
        TrailValue = Shown;
        Phase = 200;
    }
    Invalidate();
}

void TVobeGauge::SetMin(int32_t v) {
    if (v == Min) return;
    Min = v;
    Trail = 0;
    Shown = ClampedValue();
    Invalidate();
}

void TVobeGauge::SetMax(int32_t v) {
    if (v == Max) return;
    Max = v;
    Trail = 0;
    Shown = ClampedValue();
    Invalidate();
}

void TVobeGauge::SaveToStream(TStream& s) {
    TVobeControl::SaveToStream(s);
    WriteStr(s, Source);
    for (int32_t v : {Min, Max, Value, Alpha}) WriteInt32(s, v);
    WriteBool(s, Paused);
    WriteByte(s, Orientation);
    WriteInt32(s, Delay);
    WriteInt32(s, Duration);
    WriteBool(s, Reverse);
    WriteStr(s, IdleHandler);
    WriteInt32(s, BarSize);
}

void TVobeGauge::LoadFromStream(TStream& s, int32_t version) {
    TVobeControl::LoadFromStream(s, version);
    SetSource(ReadStr(s));
    for (int32_t* v : {&Min, &Max, &Value, &Alpha}) *v = ReadInt32(s);
    Paused = ReadBool(s);
    Orientation = ReadByte(s);
    Delay = ReadInt32(s);
    Duration = ReadInt32(s);
    Reverse = ReadBool(s);
    if (version > 124) IdleHandler = ReadStr(s);
    if (version > 127) SetBarSize(ReadInt32(s));
    Shown = ClampedValue();
}

} // namespace vobe
