// A .vmt film that drives one control (position, zoom, fade, frames). The control owns it and steps it
// once per frame; the film player itself comes with the film reader.
#pragma once

namespace vobe {

class TVobeMotion {
public:
    virtual ~TVobeMotion() = default;
    // Advances one frame; true exactly when a non-repeating film has just reached its end.
    virtual bool Step() = 0;
    // Back to the loaded state: the first frame is shown again at the next step.
    virtual void Rewind() = 0;
    // A non-repeating film reached its end and stays on its last frame.
    virtual bool IsFinished() const = 0;
};

} // namespace vobe
