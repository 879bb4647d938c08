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

namespace {

void SetHints(bool headless) {
    if (headless) {
        // Hints, not the environment: they end with SDL_Quit and reach no other run or process.
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "dummy", SDL_HINT_OVERRIDE);
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    }
    // The screen saver must not start while a game plays; nearest-pixel stretching as the system's
    // colour-on-colour stretch mode.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // The picture is composed in memory and only changed rectangles are uploaded, so SDL's software
    // renderer is enough; it starts in well under a millisecond where a GL context can take hundreds
    // (SDL_RENDER_DRIVER in the environment still chooses another).
    if (!std::getenv("SDL_RENDER_DRIVER")) {
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
}

// SDL falls back to drivers that show nothing when there is no display.
bool ShowsNothing(const char* driver) {
    return !driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
}

bool DisplayExpected() {
    const char* x = std::getenv("DISPLAY");
    const char* w = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (w && *w);
}

} // namespace

bool InitPlatform(bool headless) {
    if (gStarted) ShutdownPlatform();
    gHeadless = headless;
    gStarted = true;
    for (int attempt = 0;; ++attempt) {
        SetHints(headless);
        gVideo = SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) == 0;
        if (headless) break;
        bool real = gVideo && !ShowsNothing(SDL_GetCurrentVideoDriver());
        // An X server can refuse a connection for a moment (just after another one closed): a display
        // that is there is asked again before the run gives up on it.
        if (real || !DisplayExpected() || attempt == 2) {
            if (!real) {
                // Nobody could see a window or answer a box: the run is headless.
                if (!gVideo) SDL_Init(SDL_INIT_EVENTS | SDL_INIT_TIMER);
                gHeadless = true;
                gVideo = false;
            }
            break;
        }
        SDL_Quit();
        SDL_Delay(50);
    }
    if (headless && !gVideo) SDL_Init(SDL_INIT_EVENTS | SDL_INIT_TIMER);
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
