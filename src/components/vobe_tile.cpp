#include "components/vobe_tile.h"

#include "archive/stream.h"
#include "components/vobe_box.h"

namespace vobe {

void TVobeTile::SetSource(const std::string& v) {
    if (v == Source) return;
    Source = v;
    Invalidate();
    Current = -1;
    // .vsk frames come from the picture cache, .vmt motions from the film player; other names load
    // nothing.
    Motion.reset();
    if (IsMotionFile(v)) SetMotion(v);
    if (FrameCount() > 0) Current = 0;
    Invalidate();
}

int32_t TVobeTile::GetLocalLeft() {
    return static_cast<int32_t>(int64_t{Motion ? MotionX : Left} + PlusX);
}
int32_t TVobeTile::GetLocalTop() {
    return static_cast<int32_t>(int64_t{Motion ? MotionY : Top} + PlusY);
}

int32_t TVobeTile::GetScreenLeft() {
    int64_t x = GetLocalLeft();
    if (Parent) x += int64_t{Parent->GetScreenLeft()} - Parent->GetScrollX();
    return static_cast<int32_t>(x);
}

int32_t TVobeTile::GetScreenTop() {
    int64_t y = GetLocalTop();
    if (Parent) y += int64_t{Parent->GetScreenTop()} - Parent->GetScrollY();
    return static_cast<int32_t>(y);
}

void TVobeTile::SaveToStream(TStream& s) {
    TVobeCustomImages::SaveToStream(s);
    WriteStr(s, Source);
    WriteInt32(s, ScrollX);
    WriteInt32(s, ScrollY);
    WriteStr(s, IdleHandler);
    WriteInt32(s, DistanceX);
    WriteInt32(s, DistanceY);
}

void TVobeTile::LoadFromStream(TStream& s, int32_t version) {
    TVobeCustomImages::LoadFromStream(s, version);
    const int32_t current = Current;
    SetSource(ReadStr(s));
    ScrollX = ReadInt32(s);
    ScrollY = ReadInt32(s);
    IdleHandler = ReadStr(s);
    DistanceX = ReadInt32(s);
    DistanceY = ReadInt32(s);
    Current = current;
}

} // namespace vobe
