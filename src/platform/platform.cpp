#include "platform/platform.h"

#include <SDL.h>
#include <cstdlib>
#include <cstring>

#include "platform/sdl_internal.h"

namespace vobe {

namespace {
bool gHeadless = false;
bool gVideo = false;
bool gStarted = false;
SDL_Window* gMainWindow = nullptr;
unsigned gFrameEvent = 0;
} // namespace

bool InitPlatform(bool headless) {
    if (gStarted) ShutdownPlatform();
    gHeadless = headless;
    if (headless) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    // The screen saver must not start while a game plays; nearest-pixel stretching as the system's
    // colour-on-colour stretch mode.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    gStarted = true;
    gVideo = SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) == 0;
    if (!gVideo) {
        // Without a display the player still runs, as if headless.
        SDL_Init(SDL_INIT_EVENTS | SDL_INIT_TIMER);
        gHeadless = true;
    } else if (!headless) {
        // SDL falls back to drivers that show nothing when there is no display: nobody could see a
        // window or answer a box there, so the run is headless.
        const char* driver = SDL_GetCurrentVideoDriver();
        if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
            gHeadless = true;
            gVideo = false;
        }
    }
    if (gFrameEvent == 0) {
        Uint32 t = SDL_RegisterEvents(1);
        gFrameEvent = t == static_cast<Uint32>(-1) ? 0 : t;
    }
    return gVideo;
}

void ShutdownPlatform() {
    if (!gStarted) return;
    SDL_Quit();
    gStarted = false;
    gVideo = false;
    gMainWindow = nullptr;
    gFrameEvent = 0;
}

bool IsHeadless() {
    return gHeadless;
}

bool HasDisplay() {
    return gStarted && gVideo && !gHeadless;
}

SDL_Window* MainSdlWindow() {
    return gMainWindow;
}
void SetMainSdlWindow(SDL_Window* w) {
    gMainWindow = w;
}
unsigned FrameRequestEventType() {
    return gFrameEvent;
}

} // namespace vobe
