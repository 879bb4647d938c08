#include "components/vobe_images.h"

#include "archive/stream.h"
#include "components/vobe_box.h"
#include "framework/vobe_motion.h"
#include "values/vobe_parser.h"

namespace vobe {

// ---- TVobeCustomImages ---------------------------------------------------------------------------

TVobeCustomImages::TVobeCustomImages(TVobeBaseList* owner)
    : TVobeCustomImage(owner), LastFrameWait(std::make_unique<TVobeParser>()) {}

TVobeCustomImages::~TVobeCustomImages() = default;

int32_t TVobeCustomImages::FrameCount() {
    return 0;
}

void TVobeCustomImages::SetPaused(bool v) {
    if (v == Paused) return;
    Paused = v;
    Remaining = 0;
}

void TVobeCustomImages::SetBrightness(int32_t v) {
    if (v == Brightness) return;
    Brightness = v;
    Invalidate();
}

void TVobeCustomImages::SetIndex(int32_t v) {
    const bool oldValid = Current >= 0 && Current < FrameCount();
    if (!oldValid)
        Remaining = 0;
    else
        Invalidate();
    Current = v;
    Invalidate();
}

void TVobeCustomImages::SetVisible(bool v) {
    if (v != Visible) Remaining = 0;
    TVobeCustomImage::SetVisible(v);
}

bool TVobeCustomImages::GetPlaying() {
    if (Paused || AniPaused) return false;
    if (TVobeMotion* m = GetMotion()) return !m->IsFinished();
    const bool atEnd = !GetRepeat() && Current == FrameCount() - 1 && Remaining < 1;
    return !atEnd;
}

void TVobeCustomImages::SaveToStream(TStream& s) {
    TVobeCustomImage::SaveToStream(s);
    WriteInt32(s, Remaining);
    WriteInt32(s, Current);
    WriteInt32(s, Brightness);
    WriteBool(s, Paused);
    LastFrameWait->SaveToStream(s);
}

void TVobeCustomImages::LoadFromStream(TStream& s, int32_t version) {
    TVobeCustomImage::LoadFromStream(s, version);
    Remaining = ReadInt32(s);
    Current = ReadInt32(s);
    Brightness = ReadInt32(s);
    Paused = ReadBool(s);
    LastFrameWait->LoadFromStream(s);
}

// ---- TVobeImages ---------------------------------------------------------------------------------

void TVobeImages::SetSource(const std::string& v) {
    if (v == Source) return;
    Source = v;
    Invalidate();
    if (GetState() == 0) Current = -1;
    // The frames of .vsk files and the motions of .vmt files are loaded with the picture cache and the
    // film player; a name of any other kind shows nothing.
    Motion.reset();
    if (IsMotionFile(v))
        SetMotion(v);
    else if (!IsPictureFile(v))
        Width = Height = 0;
    if (GetState() == 0 && FrameCount() > 0) Current = 0;
    Invalidate();
}

void TVobeImages::SetRepeat(bool v) {
    Repeat = v;
    if (!v) return;
    TVobeMotion* m = GetMotion();
    if (m && m->IsFinished())
        RestartMotion();
    else if (!m && !(Current >= 0 && Current < FrameCount()))
        Current = 0;
}

void TVobeImages::SaveToStream(TStream& s) {
    TVobeCustomImages::SaveToStream(s);
    WriteBool(s, Repeat);
    WriteBool(s, AutoScrap);
    WriteStr(s, Source);
    WriteStr(s, PlayEndHandler);
    WriteStr(s, IdleHandler);
}

void TVobeImages::LoadFromStream(TStream& s, int32_t version) {
    TVobeCustomImages::LoadFromStream(s, version);
    const int32_t current = Current;
    Repeat = ReadBool(s);
    AutoScrap = ReadBool(s);
    SetSource(ReadStr(s));
    PlayEndHandler = ReadStr(s);
    if (version > 103) IdleHandler = ReadStr(s);
    SetIndex(current);
}

} // namespace vobe
