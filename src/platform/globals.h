// Process-wide values that every layer reads. The shell owns and writes them; they are declared at
// the bottom of the layering so that components, timers and mixers can read the frame clock without
// reaching upward.
#pragma once

#include <cstdint>

namespace vobe {

// Quit flag: while set, the frame loop and the interpreter do nothing.
extern bool Terminating;

// Sum of all frame deltas, in milliseconds. Waits, timers, motions, reveals and mixers count in it.
extern int32_t GameClock;
// Milliseconds between the starts of the last two frames.
extern int32_t FrameDelta;
// Target frame period of the pacing sleep; particle components also step by it.
constexpr int32_t FrameWait = 16;
// Incremented once per frame after the scene update.
extern int32_t FrameCount;

// The state of the system's random-number generator. The window sets it from the clock at start-up
// (to 0 in deterministic runs, so that they repeat exactly).
extern uint32_t RandSeed;

// Sound settings from game.ini.
extern bool UseDirectSound;
extern int32_t DelayTime;

} // namespace vobe
