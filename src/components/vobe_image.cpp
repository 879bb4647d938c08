#include "components/vobe_image.h"

#include <algorithm>

#include "archive/stream.h"

namespace vobe {

// ---- TVobeCustomImage ----------------------------------------------------------------------------

bool TVobeCustomImage::IsAutoSized() {
    return GetMotion() == nullptr;
}

void TVobeCustomImage::SetWidth(int32_t v) {
    // An explicit size stretches the picture: the zoom no longer applies.
    if (IsAutoSized()) ZoomX = 0;
    TVobeControl::SetWidth(v);
}

void TVobeCustomImage::SetHeight(int32_t v) {
    if (IsAutoSized()) ZoomY = 0;
    TVobeControl::SetHeight(v);
}

void TVobeCustomImage::SetZoomX(int32_t v) {
    SetSizing(ZoomX, std::max(v, 1));
}
void TVobeCustomImage::SetZoomY(int32_t v) {
    SetSizing(ZoomY, std::max(v, 1));
}
void TVobeCustomImage::SetPosZoomed(bool v) {
    SetSizing(PosZoomed, v);
}
void TVobeCustomImage::SetFlipH(bool v) {
    SetSizing(FlipH, v);
}
void TVobeCustomImage::SetFlipV(bool v) {
    SetSizing(FlipV, v);
}

void TVobeCustomImage::RebuildPosZoomedChildren() {
    for (TVobeObject* c : Children)
        if (auto* img = dynamic_cast<TVobeCustomImage*>(c); img && img->PosZoomed) img->NeedsRebuild = true;
}

int32_t TVobeCustomImage::GetOrigWidth() {
    int32_t w, h;
    return GetImageSize(w, h) ? w : 0;
}

int32_t TVobeCustomImage::GetOrigHeight() {
    int32_t w, h;
    return GetImageSize(w, h) ? h : 0;
}

void TVobeCustomImage::SaveToStream(TStream& s) {
    TVobeControl::SaveToStream(s);
    WriteInt32(s, Alpha);
    WriteInt32(s, ZoomX);
    WriteInt32(s, Angle);
    WriteBool(s, FlipH);
    WriteBool(s, FlipV);
    WriteBool(s, CaptureMask);
    WriteInt32(s, ZoomY);
}

void TVobeCustomImage::LoadFromStream(TStream& s, int32_t version) {
    TVobeControl::LoadFromStream(s, version);
    Alpha = ReadInt32(s);
    ZoomX = ReadInt32(s);
    Angle = ReadInt32(s);
    FlipH = ReadBool(s);
    FlipV = ReadBool(s);
    CaptureMask = ReadBool(s);
    if (version > 103) ZoomY = ReadInt32(s);
}

// ---- TVobeImage ----------------------------------------------------------------------------------

void TVobeImage::SetSource(const std::string& v) {
    if (v == Source) return;
    Source = v;
    Reload();
}

void TVobeImage::SetBrightness(int32_t v) {
    v = std::clamp(v, 0, 255);
    if (v == Brightness) return;
    Brightness = v;
    Reload();
}

void TVobeImage::Reload() {
    // The picture itself is copied from the picture cache; until a picture is loaded the image keeps
    // its size.
    Invalidate();
}

void TVobeImage::SaveToStream(TStream& s) {
    TVobeCustomImage::SaveToStream(s);
    WriteStr(s, Source);
    WriteInt32(s, Brightness);
}

void TVobeImage::LoadFromStream(TStream& s, int32_t version) {
    TVobeCustomImage::LoadFromStream(s, version);
    SetSource(ReadStr(s));
    SetBrightness(ReadInt32(s));
}

} // namespace vobe
