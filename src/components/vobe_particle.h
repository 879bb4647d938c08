// The particle emitter and its particles: pictures or a motion spawned at positions given by three
// expressions, each moving by one of four motion types.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "components/vobe_images.h"

namespace vobe {

class TVobeParser;
class TVobeParticleImages;

// Emitter values set by a film's particle track.
struct TParticleFilmParams {
    int32_t XBase = 0, YBase = 0, XRange = 0, YRange = 0, IntervalBase = 0, IntervalRange = 0;
};

class TVobeParticle : public TVobeControl {
public:
    explicit TVobeParticle(TVobeBaseList* owner);
    ~TVobeParticle() override;

    int32_t State = 0; // 0 start, 1 emitting, 2 draining
    std::unique_ptr<TVobeParser> SpawnX, SpawnY, SpawnInterval;
    std::unique_ptr<TParticleFilmParams> FilmParams;
    std::string Source;                          // a .vsk picture list or a .vmt motion
    std::vector<TVobeParticleImages*> Particles; // the current particles (children of the emitter)
    uint8_t PartMotion = 1;                      // 1-4
    std::array<long double, 3> Params{0, 0, 0};
    int32_t Alpha = 255;
    int32_t Countdown = 0; // ms to the next spawn
    int32_t Accum = 0;
    int32_t PreRoll = 0; // ms simulated at once when emission starts (PR_INDEX)
    std::string IdleHandler;
    bool Paused = false;
    int32_t Duration = 0; // ms of emission, 0 = endless

    uint8_t GetCompoType() override { return ctParticle; }

    std::string GetSource() override { return Source; }
    void SetSource(const std::string& v) override;
    VOBE_FIELD_PROPERTY(Int, Alpha, Alpha)
    VOBE_FIELD_PROPERTY(Flag, Paused, Paused)
    VOBE_FIELD_PROPERTY(Int, Index, PreRoll)
    int32_t GetPartMotion() override { return PartMotion; }
    void SetPartMotion(int32_t v) override;
    long double GetParam(int32_t index) override;
    void SetParam(int32_t index, long double value) override;
    VOBE_FIELD_PROPERTY(Int, Duration, Duration)
    VOBE_FIELD_PROPERTY(Str, OnIdle, IdleHandler)
    bool GetPlaying() override;

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;
};

// One particle; it uses its emitter's pictures and is never saved (its name is reserved).
class TVobeParticleImages : public TVobeCustomImages {
public:
    using TVobeCustomImages::TVobeCustomImages;

    std::array<long double, 3> Params{0, 0, 0};
    uint8_t PartMotion = 1;
    std::array<long double, 7> E{0, 0, 0, 0, 0, 0, 0}; // the motion state E1..E7
    int32_t X0 = 0, Y0 = 0;
    bool Ended = false;
    int32_t TotalMs = 0;

    bool GetRepeat() override { return true; }
    int32_t GetPartMotion() override { return PartMotion; }
    void SetPartMotion(int32_t v) override { PartMotion = static_cast<uint8_t>(v); }
    long double GetParam(int32_t index) override;
    void SetParam(int32_t index, long double value) override;
};

} // namespace vobe
