#include "platform/globals.h"

namespace vobe {

bool Terminating = false;
int32_t GameClock = 0;
int32_t FrameDelta = 0;
int32_t FrameCount = 0;
uint32_t RandSeed = 0;
bool UseDirectSound = true;
int32_t DelayTime = 500;

} // namespace vobe
