// Shared between the SDL-based parts of the platform layer.
#pragma once

struct SDL_Window;

namespace vobe {

// The window that owns message boxes (the last window made), or null.
SDL_Window* MainSdlWindow();
void SetMainSdlWindow(SDL_Window* w);
// The registered event type of frame requests.
unsigned FrameRequestEventType();

} // namespace vobe
