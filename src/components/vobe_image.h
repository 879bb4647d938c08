// The drawing core of the picture components (TVobeCustomImage: alpha, zoom, rotation, flips, hit
// testing by mask) and the single still picture TVobeImage.
#pragma once

#include <memory>

#include "framework/vobe_object.h"

namespace vobe {

class TDIBX;

class TVobeCustomImage : public TVobeControl {
public:
    explicit TVobeCustomImage(TVobeBaseList* owner);
    ~TVobeCustomImage() override;

    std::unique_ptr<TDIBX> OwnPicture;  // 1 x 1 until a picture is made
    TCustomDIBX* LentPicture = nullptr; // lent by a frame list; shown instead of OwnPicture
    std::unique_ptr<TDIBX> OwnMask;     // 8 bits, or null
    TCustomDIBX* LentMask = nullptr;    // used instead of OwnMask
    bool HasOwnPicture = false;         // OwnPicture holds a picture (else the image shows nothing)
    int32_t Alpha = 255;
    int32_t ZoomX = 256, ZoomY = 256; // 256 = 1:1; 0 = the explicit size of Width/Height
    int32_t Angle = 0;                // 1/256 of a turn, clockwise
    bool FlipH = false, FlipV = false;
    bool CaptureMask = false;  // hit testing uses the mask
    bool NeedsRebuild = false; // the size is recomputed at the next update

    // The size follows the picture (no motion attached).
    virtual bool IsAutoSized();
    // Draws the current picture at the current placement by the alpha convention.
    virtual void Render();
    TCustomDIBX* GetMask();
    // Width and Height from the picture and the zoom (auto-sized images only), invalidating around a
    // change.
    void AutoSize();

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

    TCustomDIBX* GetImage() override;
    bool GetImageSize(int32_t& width, int32_t& height) override;
    // A rotated image covers the box of its rotated picture.
    TRect GetScreenRect() override;
    void Draw() override;
    TVobeObject* HitTest(TPoint p, TAcceptSet acceptSet) override;
    bool Update() override;

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;

protected:
    // The zoom in use: ZoomX/ZoomY, or the ratio of the explicit size to the picture when it is 0.
    int32_t UsedZoomX(int32_t pictureWidth);
    int32_t UsedZoomY(int32_t pictureHeight);
    // The unrotated rectangle (ScreenLeft, ScreenTop, Width, Height).
    TRect PlainScreenRect();
    // The point lies on the picture (the mask is asked when CaptureMask is set).
    bool PointOnImage(TPoint p);
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

    void RestoreSurfaces() override;

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;

    // Makes the image show a copy of the picture (with its mask and key), as the snapshot of a flip.
    void AssignPicture(TCustomDIBX* picture, TCustomDIBX* mask);

protected:
    // Loads the picture of Source (with the picture cache).
    virtual void Reload();
};

} // namespace vobe
