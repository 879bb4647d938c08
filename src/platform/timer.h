// The millisecond timer of the frame loop, the mixers and the sequencer. In deterministic runs the
// shell switches it to a virtual clock that only the frame loop advances.
#pragma once

#include <cstdint>

namespace vobe {

// Milliseconds since an arbitrary start, wrapping at 2^32 (the multimedia timer's contract).
uint32_t TimeGetTime();

// Virtual clock: while on, TimeGetTime answers the virtual time, which starts at `start` and moves
// only through AdvanceVirtualClock.
void SetVirtualClock(bool on, uint32_t start = 0);
bool VirtualClockOn();
void AdvanceVirtualClock(uint32_t ms);

// Sleeps the calling thread (no effect for ms <= 0).
void SleepMs(int32_t ms);

} // namespace vobe
