#include "framework/vobe_prop_motion.h"

#include <algorithm>
#include <cmath>

#include "archive/stream.h"
#include "framework/prop_set.h"
#include "framework/vobe_base_list.h"
#include "platform/globals.h"
#include "values/param.h"

namespace vobe {

TVobePropMotion::TVobePropMotion(TVobeBaseList* owner)
    : TVobeComponent(owner), Param(std::make_unique<TParamFloat>()) {}

TVobePropMotion::~TVobePropMotion() = default;

bool TVobePropMotion::Update() {
    if (Paused) return false;
    if (!Owner) return true;
    TVobeObject* target;
    if (!Target.Empty()) {
        target = Owner->Get(Target);
        if (!target) return true;
    } else {
        target = Owner->FindComponent(TargetName);
        if (!target || PropId >= PROP_COUNT) return true;
        Target = target;
        GetProp(target, PropId, *Param);
        StartValue = Param->GetAsFloat();
    }
    const int64_t e = Elapsed, l = Duration;
    const long double pi2 = 3.14159265358979323846L / 2;
    long double v;
    bool done = false;
    if (e == 0) {
        v = StartValue;
        // A motion of no length ends in its first step.
        if (l - 1 <= 0) {
            v = EndValue;
            done = true;
        }
    } else if (e > 0 && e < l - 1) {
        if (Mode == 1)
            v = EndValue - std::sin((l - e - 1) * pi2 / l) * (EndValue - StartValue);
        else if (Mode == 2)
            v = std::sin(e * pi2 / l) * (EndValue - StartValue) + StartValue;
        else
            v = (EndValue - StartValue) * e / l + StartValue;
    } else {
        v = EndValue;
        done = true;
    }
    Param->SetAsFloat(v);
    SetProp(target, PropId, *Param);
    Elapsed = static_cast<int32_t>(std::min<int64_t>(int64_t{Elapsed} + FrameDelta, INT32_MAX));
    return done;
}

void TVobePropMotion::SaveToStream(TStream& s) {
    TVobeObject::SaveToStream(s);
    // A target not resolved yet keeps its name; a target that has gone is saved as none.
    std::string name = TargetName;
    if (!Target.Empty()) {
        TVobeObject* target = Owner ? Owner->Get(Target) : nullptr;
        name = target ? target->Name : std::string();
    }
    WriteStr(s, name);
    WriteInt32(s, PropId);
    WriteExtended(s, EndValue);
    WriteInt32(s, Duration);
    WriteInt32(s, Mode);
    WriteExtended(s, StartValue);
    WriteInt32(s, Elapsed);
    WriteBool(s, Paused);
}

void TVobePropMotion::LoadFromStream(TStream& s, int32_t version) {
    TVobeObject::LoadFromStream(s, version);
    TargetName = ReadStr(s);
    Target = {};
    const int32_t id = ReadInt32(s);
    PropId = id >= 0 && id < PROP_COUNT ? static_cast<uint8_t>(id) : 255;
    EndValue = ReadExtended(s);
    Duration = ReadInt32(s);
    Mode = static_cast<uint8_t>(ReadInt32(s));
    StartValue = ReadExtended(s);
    Elapsed = ReadInt32(s);
    if (version > 125) Paused = ReadBool(s);
}

} // namespace vobe
