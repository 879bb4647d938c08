#include "components/vobe_sound.h"

#include <algorithm>

#include "archive/stream.h"

namespace vobe {

int32_t MapVolume(int32_t volume, bool midi) {
    if (midi) return static_cast<int32_t>(std::clamp<int64_t>(int64_t{volume} * 10 - 10000, -10000, 0));
    const int64_t x = int64_t{volume} * 5 - 5000;
    if (x <= -5000) return -10000;
    return x > 0 ? 0 : static_cast<int32_t>(x);
}

void TVobeSound::SetSource(const std::string& v) {
    if (v == Source) return;
    Source = v;
    PlayState = 2;
    Paused = false;
    StartPosition = 0;
    Ended = false;
}

void TVobeSound::SetPaused(bool v) {
    Paused = v;
}
void TVobeSound::SetAniPaused(bool v) {
    AniPaused = v;
}
void TVobeSound::SetBalance(int32_t v) {
    Balance = std::clamp(v, -10000, 10000);
}

// Starting and stopping the media item is the media layer's; the state is kept here.
void TVobeSound::SetPlayState(int32_t state) {
    Ended = false;
    PlayState = static_cast<uint8_t>(state);
    if (PlayState == 1 && Delay <= 0) PlayState = 0;
}

void TVobeSound::SaveToStream(TStream& s) {
    TVobeObject::SaveToStream(s);
    WriteStr(s, Source);
    WriteBool(s, Repeat);
    WriteBool(s, AutoScrap);
    WriteBool(s, Paused);
    WriteBool(s, AniPaused);
    WriteBool(s, Ended);
    WriteInt32(s, Volume);
    WriteInt32(s, Balance);
    WriteInt32(s, Delay);
    WriteInt32(s, GetIndex());
    // Short one-shot sounds are saved as stopped.
    const bool keep = Repeat || GetCount() >= 3000 || PlayState > 1;
    WriteByte(s, keep ? PlayState : 2);
    WriteStr(s, PlayEndHandler);
    WriteBool(s, RewindOnLoad);
    WriteBool(s, MuteOnLoad);
}

void TVobeSound::LoadFromStream(TStream& s, int32_t version) {
    TVobeObject::LoadFromStream(s, version);
    const std::string source = ReadStr(s);
    Repeat = ReadBool(s);
    AutoScrap = ReadBool(s);
    const bool paused = ReadBool(s);
    const bool aniPaused = ReadBool(s);
    const bool ended = ReadBool(s);
    Volume = ReadInt32(s);
    Balance = ReadInt32(s);
    const int32_t delay = ReadInt32(s);
    const int32_t position = ReadInt32(s);
    const uint8_t state = ReadByte(s);
    PlayEndHandler = ReadStr(s);
    if (version > 107) RewindOnLoad = ReadBool(s);
    MuteOnLoad = version > 128 ? ReadBool(s) : false;
    Delay = 0;
    if (MuteOnLoad) Volume = 0;
    SetSource(source);
    StartPosition = RewindOnLoad ? 0 : position;
    Paused = paused;
    AniPaused = aniPaused;
    Ended = ended;
    if (state == 3) SetPlayState(0);
    Delay = delay;
    if (Ended)
        PlayState = state;
    else
        SetPlayState(state);
}

} // namespace vobe
