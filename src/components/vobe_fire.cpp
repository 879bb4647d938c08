#include "components/vobe_fire.h"

#include <algorithm>

#include "archive/stream.h"

namespace vobe {

TVobeFire::TVobeFire(TVobeBaseList* owner) : TVobeControl(owner) {
    SetFireParam(4.5);
}

void TVobeFire::SetFireParam(double x) {
    FireParam = x <= 0 ? 0.0001 : x;
}

void TVobeFire::SetPower(int32_t v) {
    Power = std::clamp(v, 0, 255);
    SetFireParam((128.0 - Power) / 128.0 * 1.2825 + 4.2175);
}

void TVobeFire::Resize() {
    const int32_t w = static_cast<int32_t>(int64_t{OrigWidth} * ZoomX / 256);
    const int32_t h = static_cast<int32_t>(int64_t{OrigHeight} * ZoomY / 256);
    if (w == Width && h == Height) return;
    Invalidate();
    Width = w;
    Height = h;
    Invalidate();
}

void TVobeFire::SetZoomX(int32_t v) {
    ZoomX = std::max(v, 1);
    Resize();
}

void TVobeFire::SetZoomY(int32_t v) {
    ZoomY = std::max(v, 1);
    Resize();
}

void TVobeFire::SetOrigWidth(int32_t v) {
    if (v == OrigWidth) return;
    OrigWidth = v;
    Initialised = false;
    Resize();
}

void TVobeFire::SetOrigHeight(int32_t v) {
    if (v == OrigHeight) return;
    OrigHeight = v;
    Initialised = false;
    Resize();
}

void TVobeFire::SaveToStream(TStream& s) {
    TVobeControl::SaveToStream(s);
    WriteInt32(s, Power);
    WriteInt32(s, OrigWidth);
    WriteInt32(s, OrigHeight);
    WriteInt32(s, ZoomX);
    WriteStr(s, IdleHandler);
    WriteBool(s, Paused);
    WriteInt32(s, ZoomY);
}

void TVobeFire::LoadFromStream(TStream& s, int32_t version) {
    TVobeControl::LoadFromStream(s, version);
    SetPower(ReadInt32(s));
    SetOrigWidth(ReadInt32(s));
    SetOrigHeight(ReadInt32(s));
    SetZoomX(ReadInt32(s));
    if (version >= 104) {
        IdleHandler = ReadStr(s);
        Paused = ReadBool(s);
        SetZoomY(ReadInt32(s));
    }
}

} // namespace vobe
