// Start and end of the platform services (SDL's event, timer and video subsystems).
#pragma once

namespace vobe {

// Headless runs use SDL's dummy video and audio drivers and show no window. Returns false when the
// video subsystem cannot start (no display); the caller then runs as if headless.
bool InitPlatform(bool headless);
void ShutdownPlatform();
bool IsHeadless();
// True when a real video driver runs (windows, display modes and message boxes on screen).
bool HasDisplay();

} // namespace vobe
