#include "components/vobe_wave.h"

#include "archive/stream.h"
#include "framework/vobe_base_list.h"

namespace vobe {

void TVobeWave::SetLeft(int32_t v) {
    TVobeControl::SetLeft(v);
    PlaceSurface();
}

void TVobeWave::SetTop(int32_t v) {
    TVobeControl::SetTop(v);
    PlaceSurface();
}

void TVobeWave::SetWidth(int32_t v) {
    TVobeControl::SetWidth(v);
    PlaceSurface();
}

void TVobeWave::SetHeight(int32_t v) {
    TVobeControl::SetHeight(v);
    PlaceSurface();
}

void TVobeWave::NotifyDirty(const TRect& r) {
    // What is drawn inside is moved up to Amp pixels sideways: the widened area is repainted too.
    const TRect wide = ScreenBounds(int64_t{r.Left} - Amp, r.Top,
                                    int64_t{r.Right} - r.Left + 2 * int64_t{Amp}, int64_t{r.Bottom} - r.Top);
    if (Amp != 0)
        if (TVobeBase* base = GetBase()) base->AddDirtyRect(wide);
    TVobeControl::NotifyDirty(wide);
}

void TVobeWave::SaveToStream(TStream& s) {
    TVobeControl::SaveToStream(s);
    WriteInt32(s, Amp);
    WriteInt32(s, WaveLen);
    WriteInt32(s, Delay);
    WriteStr(s, IdleHandler);
    WriteBool(s, Paused);
}

void TVobeWave::LoadFromStream(TStream& s, int32_t version) {
    TVobeControl::LoadFromStream(s, version);
    Amp = ReadInt32(s);
    WaveLen = ReadInt32(s);
    Delay = ReadInt32(s);
    if (version > 103) {
        IdleHandler = ReadStr(s);
        Paused = ReadBool(s);
    }
    PlaceSurface();
}

} // namespace vobe
