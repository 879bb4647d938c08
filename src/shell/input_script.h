// Scripted input of deterministic runs (--input): one event a line, "FRAME EVENT ARGS", applied at the
// start of frame FRAME (frames count from 1) through the same routing as real input.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/window.h"

namespace vobe {

struct TInputEvent {
    enum TKind { ieMove, ieDown, ieUp, ieKeyDown, ieKeyUp, ieWheel };
    TKind Kind = ieMove;
    int32_t X = 0, Y = 0;         // ieMove
    TMouseButton Button = mbNone; // ieDown, ieUp
    int32_t VK = 0;               // ieKeyDown, ieKeyUp
    bool WheelDown = false;       // ieWheel
};

class TInputScript {
public:
    // Parses the text; false with a message naming the line for a malformed one.
    bool Parse(const std::string& text, std::string& error);
    // The events of one frame in the order they apply: the releases that a click or key of the frame
    // before asks for come first, then the file's events of this frame in file order.
    std::vector<TInputEvent> EventsOf(int32_t frame) const;
    // The last frame that has an event (0 when there are none).
    int32_t LastFrame() const;
    bool Empty() const { return entries_.empty(); }

private:
    struct Entry {
        int32_t Frame;
        int32_t Phase; // 0: a release asked for by the frame before, 1: the file's own events
        int32_t Seq;
        TInputEvent Event;
    };
    std::vector<Entry> entries_; // sorted by (Frame, Phase, Seq)
};

} // namespace vobe
