#include "components/vobe_particle.h"

#include "archive/stream.h"
#include "framework/vobe_base_list.h"
#include "framework/vobe_motion.h"
#include "values/vobe_parser.h"

namespace vobe {

TVobeParticle::TVobeParticle(TVobeBaseList* owner)
    : TVobeControl(owner), SpawnX(std::make_unique<TVobeParser>()), SpawnY(std::make_unique<TVobeParser>()),
      SpawnInterval(std::make_unique<TVobeParser>()) {}

TVobeParticle::~TVobeParticle() = default;

void TVobeParticle::SetSource(const std::string& v) {
    if (v == Source) return;
    Source = v;
    // The particles are children: they go with the old source. Pictures and motion load with the
    // effect components.
    for (TVobeParticleImages* p : Particles)
        if (Owner) Owner->MarkDeleted(p);
    Particles.clear();
    Motion.reset();
    State = 0;
}

void TVobeParticle::SetPartMotion(int32_t v) {
    const uint8_t m = static_cast<uint8_t>(v);
    if (m == PartMotion) return;
    PartMotion = m;
    State = 0;
}

long double TVobeParticle::GetParam(int32_t index) {
    return index >= 0 && index < 3 ? Params[static_cast<size_t>(index)] : 0;
}

void TVobeParticle::SetParam(int32_t index, long double value) {
    if (index >= 0 && index < 3) Params[static_cast<size_t>(index)] = value;
}

// With a motion, until it has finished; otherwise while neither pause is set.
bool TVobeParticle::GetPlaying() {
    if (TVobeMotion* m = GetMotion()) return !m->IsFinished();
    return !Paused && !AniPaused;
}

void TVobeParticle::SaveToStream(TStream& s) {
    TVobeControl::SaveToStream(s);
    SpawnX->SaveToStream(s);
    SpawnY->SaveToStream(s);
    SpawnInterval->SaveToStream(s);
    WriteStr(s, Source);
    WriteByte(s, PartMotion);
    for (long double p : Params) WriteExtended(s, p);
    WriteInt32(s, Alpha);
    WriteInt32(s, PreRoll);
    WriteStr(s, IdleHandler);
    WriteBool(s, Paused);
    WriteInt32(s, Duration);
}

void TVobeParticle::LoadFromStream(TStream& s, int32_t version) {
    TVobeControl::LoadFromStream(s, version);
    SpawnX->LoadFromStream(s);
    SpawnY->LoadFromStream(s);
    SpawnInterval->LoadFromStream(s);
    SetSource(ReadStr(s));
    PartMotion = ReadByte(s);
    for (long double& p : Params) p = ReadExtended(s);
    Alpha = ReadInt32(s);
    if (version > 103) {
        PreRoll = ReadInt32(s);
        IdleHandler = ReadStr(s);
        Paused = ReadBool(s);
        Duration = ReadInt32(s);
    }
    State = 0;
}

long double TVobeParticleImages::GetParam(int32_t index) {
    return index >= 0 && index < 3 ? Params[static_cast<size_t>(index)] : 0;
}

void TVobeParticleImages::SetParam(int32_t index, long double value) {
    if (index >= 0 && index < 3) Params[static_cast<size_t>(index)] = value;
}

} // namespace vobe
