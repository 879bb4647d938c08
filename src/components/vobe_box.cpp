#include "components/vobe_box.h"

#include "archive/stream.h"
#include "framework/vobe_motion.h"
#include "platform/cp932.h"

namespace vobe {

namespace {

bool HasExtension(const std::string& name, const char* ext) {
    const size_t n = std::char_traits<char>::length(ext);
    return name.size() >= n && AnsiSameText(std::string_view(name).substr(name.size() - n), ext);
}

} // namespace

bool IsMotionFile(const std::string& fileName) {
    return HasExtension(fileName, ".vmt");
}
bool IsPictureFile(const std::string& fileName) {
    return HasExtension(fileName, ".vsk");
}

void TVobeBox::SetSource(const std::string& v) {
    if (v == Source) return;
    Source = v;
    Invalidate();
    Motion.reset();
    if (IsMotionFile(v)) SetMotion(v);
    Invalidate();
}

void TVobeBox::SetRepeat(bool v) {
    Repeat = v;
    if (v) {
        TVobeMotion* m = GetMotion();
        if (m && m->IsFinished()) RestartMotion();
    }
}

void TVobeBox::SaveToStream(TStream& s) {
    TVobeControl::SaveToStream(s);
    WriteInt32(s, BorderWidth);
    WriteInt32(s, BorderColor);
    WriteInt32(s, Alpha);
    WriteStr(s, IdleHandler);
    WriteStr(s, Source);
    WriteBool(s, Repeat);
    WriteBool(s, AutoScrap);
    WriteStr(s, PlayEndHandler);
    WriteBool(s, Paused);
    WriteBool(s, AniPaused);
}

void TVobeBox::LoadFromStream(TStream& s, int32_t version) {
    TVobeControl::LoadFromStream(s, version);
    BorderWidth = ReadInt32(s);
    BorderColor = ReadInt32(s);
    Alpha = ReadInt32(s);
    if (version > 103) {
        IdleHandler = ReadStr(s);
        SetSource(ReadStr(s));
        Repeat = ReadBool(s);
        AutoScrap = ReadBool(s);
        PlayEndHandler = ReadStr(s);
        Paused = ReadBool(s);
        AniPaused = ReadBool(s);
    }
}

} // namespace vobe
