// The wave: bends everything drawn inside it into a moving horizontal sine wave.
#pragma once

#include "framework/vobe_object.h"

namespace vobe {

class TVobeWave : public TVobeControl {
public:
    using TVobeControl::TVobeControl;

    int32_t Amp = 10;      // horizontal displacement in pixels
    int32_t WaveLen = 200; // rows per wave, at least 1
    int32_t Phase = 0;     // 0-254
    int32_t PhaseAccum = 0;
    int32_t Delay = 2000; // ms per cycle, at least 1
    std::string IdleHandler;
    bool Paused = false;

    uint8_t GetCompoType() override { return ctWave; }

    // Position and size also move and size the wave surface.
    void SetLeft(int32_t v) override;
    void SetTop(int32_t v) override;
    void SetWidth(int32_t v) override;
    void SetHeight(int32_t v) override;
    int32_t GetDelay() override { return Delay; }
    void SetDelay(int32_t v) override { Delay = v < 1 ? 1 : v; }
    VOBE_FIELD_PROPERTY(Flag, Paused, Paused)
    VOBE_VISUAL_PROPERTY(Int, Amp, Amp)
    int32_t GetWaveLen() override { return WaveLen; }
    void SetWaveLen(int32_t v) override { SetVisual(WaveLen, v < 1 ? 1 : v); }
    VOBE_FIELD_PROPERTY(Str, OnIdle, IdleHandler)
    bool GetPlaying() override { return !Paused && !AniPaused; }

    // Rectangles repainted inside the wave are widened by Amp on both sides.
    void NotifyDirty(const TRect& r) override;

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;

protected:
    // Sizes the wave surface and sets its origin (with the surfaces).
    virtual void PlaceSurface() {}
};

} // namespace vobe
