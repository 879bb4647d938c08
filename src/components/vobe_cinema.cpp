#include "components/vobe_cinema.h"

#include <algorithm>

#include "archive/stream.h"
#include "framework/vobe_base_list.h"

namespace vobe {

TVobeCinema::TVobeCinema(TVobeBaseList* owner)
    : TVobeControl(owner), Scene(std::make_unique<TVobeBaseList>()) {}

TVobeCinema::~TVobeCinema() = default;

void TVobeCinema::SetSource(const std::string& v) {
    Invalidate();
    if (v == Source) return;
    Source = v;
    // The film is loaded by the film player; a new source starts from its beginning.
    Invalidate();
    ElapsedMs = 0;
    Ended = false;
    WarmUp = 2;
}

void TVobeCinema::SetWidth(int32_t v) {
    TVobeControl::SetWidth(v);
    Scene->SetWidth(v);
}

void TVobeCinema::SetHeight(int32_t v) {
    TVobeControl::SetHeight(v);
    Scene->SetHeight(v);
}

void TVobeCinema::SetRepeat(bool v) {
    Repeat = v;
    if (v) Ended = false;
}

void TVobeCinema::SetIndex(int32_t v) {
    const int64_t ms = FrameRate > 0 ? int64_t{v} * 1000 / FrameRate : 0;
    ElapsedMs = static_cast<int32_t>(std::clamp<int64_t>(ms, INT32_MIN, INT32_MAX));
    Ended = false;
    WarmUp = 2;
}

// A film exists, it is not at its end, and neither pause is set.
bool TVobeCinema::GetPlaying() {
    return GetCount() > 0 && GetIndex() < GetCount() - 1 && !Paused && !AniPaused;
}

void TVobeCinema::SaveToStream(TStream& s) {
    TVobeControl::SaveToStream(s);
    WriteStr(s, Source);
    WriteBool(s, Repeat);
    WriteBool(s, Paused);
    WriteBool(s, AutoScrap);
    WriteStr(s, PlayEndHandler);
    WriteStr(s, IdleHandler);
    WriteInt32(s, GetIndex());
    WriteBool(s, RewindOnLoad);
    WriteInt32(s, Volume);
    WriteBool(s, MuteOnLoad);
    WriteBool(s, Ended);
}

void TVobeCinema::LoadFromStream(TStream& s, int32_t version) {
    TVobeControl::LoadFromStream(s, version);
    SetSource(ReadStr(s));
    Repeat = ReadBool(s);
    Paused = ReadBool(s);
    AutoScrap = ReadBool(s);
    PlayEndHandler = ReadStr(s);
    if (version > 103) IdleHandler = ReadStr(s);
    if (version > 116) {
        const int32_t position = ReadInt32(s);
        RewindOnLoad = ReadBool(s);
        if (position > 0 && !RewindOnLoad) SetIndex(position);
    }
    if (version > 128) {
        Volume = ReadInt32(s);
        MuteOnLoad = ReadBool(s);
        if (MuteOnLoad) Volume = 0;
        SetVolume(Volume);
    }
    if (version > 132) Ended = ReadBool(s);
}

} // namespace vobe
