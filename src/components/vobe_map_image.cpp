#include "components/vobe_map_image.h"

#include "archive/stream.h"

namespace vobe {

// The pictures come from the picture cache and the regions from the map file, which load with the
// image components; the names are kept here.
void TVobeMapImage::SetSource(const std::string& v) {
    if (v == Source) return;
    Invalidate();
    Source = v;
    Invalidate();
}

void TVobeMapImage::SetHoverSource(const std::string& v) {
    if (v == HoverSource) return;
    Invalidate();
    HoverSource = v;
    Invalidate();
}

void TVobeMapImage::SetMapSource(const std::string& v) {
    MapSource = v;
    Hovered = -1;
}

void TVobeMapImage::SaveToStream(TStream& s) {
    TVobeControl::SaveToStream(s);
    WriteStr(s, Source);
    WriteStr(s, HoverSource);
    WriteStr(s, MapSource);
    WriteInt32(s, Alpha);
    WriteInt32(s, Brightness);
    WriteStr(s, MapInHandler);
    WriteStr(s, MapOutHandler);
    WriteBool(s, AutoScrap);
    WriteBool(s, RightClickScrap);
    WriteStr(s, IdleHandler);
    WriteBool(s, Paused);
    WriteStr(s, SelectHandler);
    WriteInt32(s, CloseCounter);
}

void TVobeMapImage::LoadFromStream(TStream& s, int32_t version) {
    TVobeControl::LoadFromStream(s, version);
    SetSource(ReadStr(s));
    SetHoverSource(ReadStr(s));
    SetMapSource(ReadStr(s));
    Alpha = ReadInt32(s);
    Brightness = ReadInt32(s);
    MapInHandler = ReadStr(s);
    MapOutHandler = ReadStr(s);
    AutoScrap = ReadBool(s);
    RightClickScrap = ReadBool(s);
    if (version > 103) {
        IdleHandler = ReadStr(s);
        Paused = ReadBool(s);
        SelectHandler = ReadStr(s);
    }
    if (version > 114) CloseCounter = ReadInt32(s);
}

} // namespace vobe
