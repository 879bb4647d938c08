// What the scene needs of a running transition between its two bases. The transitions themselves
// (their kinds and their pixel work) live with the graphics; the scene holds one through this
// interface and creates it through the framework hook CreateWipe.
#pragma once

#include <cstdint>

#include "archive/containers.h"

namespace vobe {

class TSceneWipe {
public:
    virtual ~TSceneWipe() = default;
    // Time since the start and length, in the owner's unit; the owner sets Elapsed before each step.
    virtual int32_t GetElapsed() = 0;
    virtual void SetElapsed(int32_t value) = 0;
    virtual int32_t GetDuration() = 0;
    virtual void SetDuration(int32_t value) = 0;
    virtual void SetReverse(bool value) = 0;
    // Composes the current state into the display surface; true once Elapsed >= Duration.
    virtual bool Step() = 0;
    // The rectangle of the display surface the last step changed.
    virtual TRect ChangedRect() = 0;
};

} // namespace vobe
