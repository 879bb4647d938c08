// The fire: an animated flame field of OrigWidth x OrigHeight cells, scaled by the zoom.
#pragma once

#include "framework/vobe_object.h"

namespace vobe {

class TVobeFire : public TVobeControl {
public:
    explicit TVobeFire(TVobeBaseList* owner);

    int32_t Power = 1;                     // 0-255: more power cools less
    int32_t OrigWidth = 0, OrigHeight = 0; // the field in cells
    int32_t ZoomX = 256, ZoomY = 256;
    double FireParam = 4.5;
    std::string IdleHandler;
    bool Paused = false;
    int32_t Accum = 0;
    bool Initialised = false;

    uint8_t GetCompoType() override { return ctFire; }

    // The size follows the field and the zoom.
    void SetWidth(int32_t) override {}
    void SetHeight(int32_t) override {}
    int32_t GetZoomX() override { return ZoomX; }
    void SetZoomX(int32_t v) override;
    int32_t GetZoomY() override { return ZoomY; }
    void SetZoomY(int32_t v) override;
    VOBE_FIELD_PROPERTY(Flag, Paused, Paused)
    int32_t GetPower() override { return Power; }
    void SetPower(int32_t v) override;
    int32_t GetOrigWidth() override { return OrigWidth; }
    void SetOrigWidth(int32_t v) override;
    int32_t GetOrigHeight() override { return OrigHeight; }
    void SetOrigHeight(int32_t v) override;
    VOBE_FIELD_PROPERTY(Str, OnIdle, IdleHandler)
    bool GetPlaying() override { return !Paused && !AniPaused; }

    // The cooling parameter (at most 0.0001 below zero).
    void SetFireParam(double x);

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;

protected:
    void Resize();
};

} // namespace vobe
