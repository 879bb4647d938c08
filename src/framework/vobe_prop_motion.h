// The property motion: drives one numeric property of another object from its value at the first step
// to an end value over a duration, linearly or easing in or out.
#pragma once

#include <memory>

#include "framework/vobe_object.h"

namespace vobe {

class TParamFloat;

class TVobePropMotion : public TVobeComponent {
public:
    explicit TVobePropMotion(TVobeBaseList* owner);
    ~TVobePropMotion() override;

    long double EndValue = 0;
    int32_t Duration = 0; // ms
    std::string TargetName;
    TObjectLink<TVobeObject> Target; // resolved from TargetName at the first step
    uint8_t PropId = 255;          // 255 = none
    uint8_t Mode = 0;              // 0 linear, 1 ease in, 2 ease out
    int32_t Elapsed = 0;
    long double StartValue = 0;
    bool Paused = false;
    std::unique_ptr<TParamFloat> Param; // carries each computed value into SetProp

    uint8_t GetCompoType() override { return ctPropMotion; }
    VOBE_FIELD_PROPERTY(Flag, Paused, Paused)

    // One frame; true (delete me) after the end value was written or when the target is gone.
    bool Update() override;

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;
};

} // namespace vobe
