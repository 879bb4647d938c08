// The drawing core of the picture components (TVobeCustomImage: alpha, zoom, rotation, flips, hit
// testing by mask) and the single still picture TVobeImage.
#pragma once

#include "framework/vobe_object.h"

namespace vobe {

class TVobeCustomImage : public TVobeControl {
public:
    using TVobeControl::TVobeControl;

    // The pictures (OwnPicture, LentPicture, OwnMask, LentMask) arrive with the picture cache.
    int32_t Alpha = 255;
    int32_t ZoomX = 256, ZoomY = 256; // 256 = 1:1; 0 = the explicit size of Width/Height
    int32_t Angle = 0;                // 1/256 of a turn, clockwise
    bool FlipH = false, FlipV = false;
    bool CaptureMask = false;  // hit testing uses the mask
    bool NeedsRebuild = false; // the size is recomputed at the next update

    // The size follows the picture (no motion attached).
    virtual bool IsAutoSized();

    void SetWidth(int32_t v) override;
    void SetHeight(int32_t v) override;
    int32_t GetZoomX() override { return ZoomX; }
    void SetZoomX(int32_t v) override;
    int32_t GetZoomY() override { return ZoomY; }
    void SetZoomY(int32_t v) override;
    VOBE_VISUAL_PROPERTY(Int, Alpha, Alpha)
    VOBE_VISUAL_PROPERTY(Int, Angle, Angle)
    VOBE_FIELD_PROPERTY(Flag, CaptureMask, CaptureMask)
    int32_t GetOrigWidth() override;
    int32_t GetOrigHeight() override;
    void SetPosZoomed(bool v) override;
    bool GetFlipH() override { return FlipH; }
    void SetFlipH(bool v) override;
    bool GetFlipV() override { return FlipV; }
    void SetFlipV(bool v) override;

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;

protected:
    // Stores a zoom, flip or PosZoomed change and asks this image and its PosZoomed children to
    // recompute their size.
    template <class F> void SetSizing(F& field, F v) {
        if (field == v) return;
        Invalidate();
        field = v;
        NeedsRebuild = true;
        RebuildPosZoomedChildren();
    }
    void RebuildPosZoomedChildren();
};

// A still picture: the first frame of a file, copied, with a brightness reduction.
class TVobeImage : public TVobeCustomImage {
public:
    using TVobeCustomImage::TVobeCustomImage;

    std::string Source;
    int32_t Brightness = 255; // 0-255

    // Type code 0: a still picture is not written into saves.
    uint8_t GetCompoType() override { return ctNone; }

    std::string GetSource() override { return Source; }
    void SetSource(const std::string& v) override;
    int32_t GetBrightness() override { return Brightness; }
    void SetBrightness(int32_t v) override;

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;

protected:
    // Loads the picture of Source (with the picture cache).
    virtual void Reload();
};

} // namespace vobe
