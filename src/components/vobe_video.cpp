#include "components/vobe_video.h"

#include <algorithm>

#include "archive/stream.h"

namespace vobe {

void TVobeVideo::SetSource(const std::string& v) {
    if (v == Source) return;
    Source = v;
    PlayState = 2;
}

void TVobeVideo::SetLeft(int32_t v) {
    TVobeCustomImage::SetLeft(v);
    if (Overlay) PlaceOverlay();
}
void TVobeVideo::SetTop(int32_t v) {
    TVobeCustomImage::SetTop(v);
    if (Overlay) PlaceOverlay();
}
void TVobeVideo::SetOffsetX(int32_t v) {
    TVobeCustomImage::SetOffsetX(v);
    if (Overlay) PlaceOverlay();
}
void TVobeVideo::SetOffsetY(int32_t v) {
    TVobeCustomImage::SetOffsetY(v);
    if (Overlay) PlaceOverlay();
}
void TVobeVideo::SetVisible(bool v) {
    TVobeCustomImage::SetVisible(v);
    if (Overlay) PlaceOverlay();
}
void TVobeVideo::SetPlusX(int32_t v) {
    TVobeCustomImage::SetPlusX(v);
    if (Overlay) PlaceOverlay();
}
void TVobeVideo::SetPlusY(int32_t v) {
    TVobeCustomImage::SetPlusY(v);
    if (Overlay) PlaceOverlay();
}

// Without an item the video has no size.
void TVobeVideo::SetZoomX(int32_t v) {
    v = std::max(v, 1);
    if (v == ZoomX) return;
    Invalidate();
    ZoomX = v;
    Width = Height = 0;
    if (Overlay)
        PlaceOverlay();
    else
        Invalidate();
}

void TVobeVideo::SetZoomY(int32_t v) {
    v = std::max(v, 1);
    if (v == ZoomY) return;
    Invalidate();
    ZoomY = v;
    Width = Height = 0;
    if (Overlay)
        PlaceOverlay();
    else
        Invalidate();
}

void TVobeVideo::SetBalance(int32_t v) {
    Balance = std::clamp(v, -10000, 10000);
}

bool TVobeVideo::GetPlaying() {
    return !Paused && !AniPaused && (Repeat || GetIndex() < GetCount() - 1);
}

void TVobeVideo::SaveToStream(TStream& s) {
    TVobeCustomImage::SaveToStream(s);
    WriteStr(s, Source);
    WriteBool(s, Repeat);
    WriteBool(s, AutoScrap);
    WriteBool(s, Paused);
    WriteInt32(s, Volume);
    WriteInt32(s, Balance);
    WriteInt32(s, Delay);
    WriteInt32(s, GetIndex());
    WriteByte(s, PlayState);
    WriteStr(s, PlayEndHandler);
    WriteStr(s, IdleHandler);
    WriteBool(s, RewindOnLoad);
    WriteBool(s, Overlay);
    WriteBool(s, MuteOnLoad);
}

void TVobeVideo::LoadFromStream(TStream& s, int32_t version) {
    TVobeCustomImage::LoadFromStream(s, version);
    const std::string source = ReadStr(s);
    Repeat = ReadBool(s);
    AutoScrap = ReadBool(s);
    const bool paused = ReadBool(s);
    Volume = ReadInt32(s);
    Balance = ReadInt32(s);
    const int32_t delay = ReadInt32(s);
    const int32_t position = ReadInt32(s);
    const uint8_t state = ReadByte(s);
    PlayEndHandler = ReadStr(s);
    IdleHandler = ReadStr(s);
    if (version > 107) RewindOnLoad = ReadBool(s);
    if (version >= 112) Overlay = ReadBool(s);
    MuteOnLoad = version > 128 ? ReadBool(s) : false;
    if (MuteOnLoad) Volume = 0;
    Delay = 0;
    SetSource(source);
    StartPosition = RewindOnLoad ? 0 : position;
    Paused = paused;
    if (state == 3) SetPlayState(0);
    Delay = delay;
    SetPlayState(state);
}

} // namespace vobe
