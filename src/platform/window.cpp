#include "platform/window.h"

#include <SDL.h>
#include <algorithm>

#include "platform/cp932.h"
#include "platform/keys.h"
#include "platform/sdl_internal.h"

namespace vobe {

namespace {

void FillModifiers(TPlatformEvent& ev) {
    SDL_Keymod m = SDL_GetModState();
    ev.Shift = (m & KMOD_SHIFT) != 0;
    ev.Ctrl = (m & KMOD_CTRL) != 0;
    ev.Alt = (m & KMOD_ALT) != 0;
}

TMouseButton ButtonOf(Uint8 b) {
    switch (b) {
    case SDL_BUTTON_LEFT: return mbLeft;
    case SDL_BUTTON_RIGHT: return mbRight;
    case SDL_BUTTON_MIDDLE: return mbMiddle;
    default: return mbNone;
    }
}

// Translates one SDL event; false for events the player does not use.
bool Translate(const SDL_Event& e, TPlatformEvent& ev) {
    ev = TPlatformEvent();
    switch (e.type) {
    case SDL_QUIT: ev.Kind = TPlatformEvent::evQuit; return true;
    case SDL_WINDOWEVENT:
        ev.WindowId = e.window.windowID;
        switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE: ev.Kind = TPlatformEvent::evClose; return true;
        case SDL_WINDOWEVENT_FOCUS_GAINED: ev.Kind = TPlatformEvent::evActivate; return true;
        case SDL_WINDOWEVENT_FOCUS_LOST: ev.Kind = TPlatformEvent::evDeactivate; return true;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_RESTORED: ev.Kind = TPlatformEvent::evExpose; return true;
        default: return false;
        }
    case SDL_MOUSEMOTION:
        if (e.motion.which == SDL_TOUCH_MOUSEID) return false;
        ev.Kind = TPlatformEvent::evMouseMove;
        ev.WindowId = e.motion.windowID;
        ev.X = e.motion.x;
        ev.Y = e.motion.y;
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        ev.Kind = e.type == SDL_MOUSEBUTTONDOWN ? TPlatformEvent::evMouseDown : TPlatformEvent::evMouseUp;
        ev.WindowId = e.button.windowID;
        ev.Button = ButtonOf(e.button.button);
        ev.X = e.button.x;
        ev.Y = e.button.y;
        FillModifiers(ev);
        return ev.Button != mbNone;
    case SDL_MOUSEWHEEL: {
        int32_t y = e.wheel.y;
        if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) y = -y;
        if (y == 0) return false;
        ev.Kind = TPlatformEvent::evWheel;
        ev.WindowId = e.wheel.windowID;
        ev.Wheel = y;
        return true;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        ev.Kind = e.type == SDL_KEYDOWN ? TPlatformEvent::evKeyDown : TPlatformEvent::evKeyUp;
        ev.WindowId = e.key.windowID;
        ev.VK = SdlKeyToVK(e.key.keysym.sym, e.key.keysym.scancode);
        ev.Repeat = e.key.repeat != 0;
        FillModifiers(ev);
        return ev.VK != 0;
    case SDL_TEXTINPUT:
        ev.Kind = TPlatformEvent::evText;
        ev.WindowId = e.text.windowID;
        ev.Text = e.text.text;
        return true;
    default:
        if (FrameRequestEventType() != 0 && e.type == FrameRequestEventType()) {
            ev.Kind = TPlatformEvent::evFrameRequest;
            ev.WindowId = static_cast<uint32_t>(e.user.code);
            return true;
        }
        return false;
    }
}

// Bits per pixel as display drivers count them: a 5-5-5 mode is a 16-bit mode with a flag.
int32_t BitsOf(Uint32 format) {
    int32_t bpp = SDL_BYTESPERPIXEL(format);
    if (bpp >= 3) return bpp == 3 ? 24 : 32;
    if (bpp == 2) return 16;
    return SDL_BITSPERPIXEL(format);
}

bool Is555(Uint32 format) {
    return format == SDL_PIXELFORMAT_RGB555 || format == SDL_PIXELFORMAT_BGR555 ||
           format == SDL_PIXELFORMAT_ARGB1555;
}

TDisplayMode ModeOf(const SDL_DisplayMode& m) {
    TDisplayMode d;
    d.Width = m.w;
    d.Height = m.h;
    d.Bits = BitsOf(m.format);
    d.Refresh = m.refresh_rate;
    d.Is555 = Is555(m.format);
    d.Format = m.format;
    return d;
}

Uint32 TextureFormatOf(int32_t depth) {
    switch (depth) {
    case 15: return SDL_PIXELFORMAT_RGB555;
    case 16: return SDL_PIXELFORMAT_RGB565;
    default: return SDL_PIXELFORMAT_RGB888; // 0x00RRGGBB in a 32-bit word
    }
}

} // namespace

bool PollPlatformEvent(TPlatformEvent& ev) {
    SDL_Event e;
    while (SDL_PollEvent(&e))
        if (Translate(e, ev)) return true;
    return false;
}

bool WaitPlatformEvent(TPlatformEvent& ev, int32_t timeoutMs) {
    SDL_Event e;
    uint32_t until = SDL_GetTicks() + static_cast<uint32_t>(std::max(0, timeoutMs));
    for (;;) {
        int32_t left = static_cast<int32_t>(until - SDL_GetTicks());
        if (left < 0) left = 0;
        if (!SDL_WaitEventTimeout(&e, left)) return false;
        if (Translate(e, ev)) return true;
        if (left == 0) return false;
    }
}

void PostFrameRequest(uint32_t windowId) {
    if (FrameRequestEventType() == 0) return;
    SDL_Event e{};
    e.type = FrameRequestEventType();
    e.user.code = static_cast<Sint32>(windowId);
    SDL_PushEvent(&e);
}

std::vector<TDisplayMode> ListDisplayModes() {
    std::vector<TDisplayMode> modes;
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return modes;
    int n = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < n; ++i) {
        SDL_DisplayMode m;
        if (SDL_GetDisplayMode(0, i, &m) == 0) modes.push_back(ModeOf(m));
    }
    return modes;
}

bool GetDesktopMode(TDisplayMode& mode) {
    SDL_DisplayMode m;
    if (!SDL_WasInit(SDL_INIT_VIDEO) || SDL_GetDesktopDisplayMode(0, &m) != 0) return false;
    mode = ModeOf(m);
    return true;
}

TIntRect WorkArea() {
    SDL_Rect r{0, 0, 640, 480};
    if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetDisplayUsableBounds(0, &r) != 0) SDL_GetDisplayBounds(0, &r);
    return {r.x, r.y, r.x + r.w, r.y + r.h};
}

struct TPlatformWindow::Impl {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* chrome = nullptr;
    int32_t chromeX = 0, chromeY = 0, chromeW = 0, chromeH = 0;
    bool chromeVisible = false;
    SDL_Texture* panel = nullptr;
    int32_t panelDepth = 0, panelTexW = 0, panelTexH = 0;
    TIntRect panelRect;
    int32_t scale = 100;
    bool fullScreen = false;
    SDL_Cursor* cursor = nullptr; // the pointer's own picture
    bool cursorShown = false;

    ~Impl() {
        if (cursorShown) SDL_SetCursor(SDL_GetDefaultCursor());
        if (cursor) SDL_FreeCursor(cursor);
        if (chrome) SDL_DestroyTexture(chrome);
        if (panel) SDL_DestroyTexture(panel);
        if (renderer) SDL_DestroyRenderer(renderer);
        if (window) {
            if (MainSdlWindow() == window) SetMainSdlWindow(nullptr);
            SDL_DestroyWindow(window);
        }
    }

    void Compose() {
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderSetClipRect(renderer, nullptr);
        SDL_RenderClear(renderer);
        if (panel && !panelRect.IsEmpty()) {
            SDL_Rect clip{panelRect.Left, panelRect.Top, panelRect.Width(), panelRect.Height()};
            SDL_RenderSetClipRect(renderer, &clip);
            SDL_Rect dst{panelRect.Left, panelRect.Top, static_cast<int>(int64_t(panelTexW) * scale / 100),
                         static_cast<int>(int64_t(panelTexH) * scale / 100)};
            SDL_RenderCopy(renderer, panel, nullptr, &dst);
            SDL_RenderSetClipRect(renderer, nullptr);
        }
        if (chrome && chromeVisible) {
            SDL_Rect dst{chromeX, chromeY, chromeW, chromeH};
            SDL_RenderCopy(renderer, chrome, nullptr, &dst);
        }
    }
};

TPlatformWindow::TPlatformWindow(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
TPlatformWindow::~TPlatformWindow() = default;

std::unique_ptr<TPlatformWindow> TPlatformWindow::Create(const std::string& sjisCaption, int32_t w,
                                                         int32_t h) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return nullptr;
    auto impl = std::make_unique<Impl>();
    std::string title = SjisToUtf8(sjisCaption);
    impl->window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                    std::max(1, w), std::max(1, h), SDL_WINDOW_HIDDEN);
    if (!impl->window) return nullptr;
    impl->renderer = SDL_CreateRenderer(impl->window, -1, 0);
    if (!impl->renderer) impl->renderer = SDL_CreateRenderer(impl->window, -1, SDL_RENDERER_SOFTWARE);
    if (!impl->renderer) return nullptr;
    SetMainSdlWindow(impl->window);
    return std::unique_ptr<TPlatformWindow>(new TPlatformWindow(std::move(impl)));
}

uint32_t TPlatformWindow::Id() const {
    return SDL_GetWindowID(impl_->window);
}

void TPlatformWindow::SetCaption(const std::string& sjisCaption) {
    SDL_SetWindowTitle(impl_->window, SjisToUtf8(sjisCaption).c_str());
}

void TPlatformWindow::SetClientSize(int32_t w, int32_t h) {
    SDL_SetWindowSize(impl_->window, std::max(1, w), std::max(1, h));
}

void TPlatformWindow::GetClientSize(int32_t& w, int32_t& h) const {
    int iw = 0, ih = 0;
    SDL_GetWindowSize(impl_->window, &iw, &ih);
    w = iw;
    h = ih;
}

void TPlatformWindow::SetPosition(int32_t x, int32_t y) {
    SDL_SetWindowPosition(impl_->window, x, y);
}

void TPlatformWindow::GetPosition(int32_t& x, int32_t& y) const {
    int ix = 0, iy = 0;
    SDL_GetWindowPosition(impl_->window, &ix, &iy);
    x = ix;
    y = iy;
}

void TPlatformWindow::SetBordered(bool bordered) {
    SDL_SetWindowBordered(impl_->window, bordered ? SDL_TRUE : SDL_FALSE);
}
void TPlatformWindow::Show() {
    SDL_ShowWindow(impl_->window);
}
void TPlatformWindow::Hide() {
    SDL_HideWindow(impl_->window);
}
bool TPlatformWindow::Visible() const {
    return (SDL_GetWindowFlags(impl_->window) & SDL_WINDOW_SHOWN) != 0;
}
void TPlatformWindow::Raise() {
    SDL_RaiseWindow(impl_->window);
}
void TPlatformWindow::Focus() {
    SDL_SetWindowInputFocus(impl_->window);
}

bool TPlatformWindow::EnterFullScreen(const TDisplayMode& mode) {
    SDL_DisplayMode m{};
    m.w = mode.Width;
    m.h = mode.Height;
    m.format = mode.Format;
    m.refresh_rate = mode.Refresh;
    if (SDL_SetWindowDisplayMode(impl_->window, &m) != 0 ||
        SDL_SetWindowFullscreen(impl_->window, SDL_WINDOW_FULLSCREEN) != 0) {
        SDL_SetWindowFullscreen(impl_->window, 0);
        impl_->fullScreen = false;
        return false;
    }
    impl_->fullScreen = true;
    return true;
}

void TPlatformWindow::LeaveFullScreen() {
    SDL_SetWindowFullscreen(impl_->window, 0);
    impl_->fullScreen = false;
}

bool TPlatformWindow::IsFullScreen() const {
    return impl_->fullScreen;
}

void TPlatformWindow::SetChrome(int32_t x, int32_t y, int32_t w, int32_t h, bool visible) {
    Impl& d = *impl_;
    if (w != d.chromeW || h != d.chromeH || !d.chrome) {
        if (d.chrome) SDL_DestroyTexture(d.chrome);
        d.chrome = w > 0 && h > 0 ? SDL_CreateTexture(d.renderer, SDL_PIXELFORMAT_RGB888,
                                                      SDL_TEXTUREACCESS_STREAMING, w, h)
                                  : nullptr;
        d.chromeW = w;
        d.chromeH = h;
    }
    d.chromeX = x;
    d.chromeY = y;
    d.chromeVisible = visible;
}

void TPlatformWindow::UploadChrome(const uint32_t* pixels, int32_t pitchBytes, const TIntRect& r0) {
    Impl& d = *impl_;
    if (!d.chrome) return;
    TIntRect r{std::max(0, r0.Left), std::max(0, r0.Top), std::min(d.chromeW, r0.Right),
               std::min(d.chromeH, r0.Bottom)};
    if (r.IsEmpty()) return;
    SDL_Rect sr{r.Left, r.Top, r.Width(), r.Height()};
    const auto* base =
        reinterpret_cast<const uint8_t*>(pixels) + int64_t(r.Top) * pitchBytes + int64_t(r.Left) * 4;
    SDL_UpdateTexture(d.chrome, &sr, base, pitchBytes);
}

void TPlatformWindow::SetPanel(const TIntRect& r) {
    impl_->panelRect = r;
}

bool TPlatformWindow::UploadPanel(const void* pixels, int32_t pitchBytes, int32_t depth, int32_t width,
                                  int32_t height, const TIntRect* rects, int32_t count) {
    Impl& d = *impl_;
    if (width <= 0 || height <= 0) return false;
    if (!d.panel || d.panelDepth != depth || d.panelTexW != width || d.panelTexH != height) {
        if (d.panel) SDL_DestroyTexture(d.panel);
        d.panel =
            SDL_CreateTexture(d.renderer, TextureFormatOf(depth), SDL_TEXTUREACCESS_STREAMING, width, height);
        d.panelDepth = depth;
        d.panelTexW = width;
        d.panelTexH = height;
        if (!d.panel) return false;
        SDL_Rect all{0, 0, width, height};
        SDL_UpdateTexture(d.panel, &all, pixels, pitchBytes);
        return true;
    }
    const int32_t bpp = depth == 32 ? 4 : 2;
    for (int32_t i = 0; i < count; ++i) {
        TIntRect r{std::max(0, rects[i].Left), std::max(0, rects[i].Top), std::min(width, rects[i].Right),
                   std::min(height, rects[i].Bottom)};
        if (r.IsEmpty()) continue;
        SDL_Rect sr{r.Left, r.Top, r.Width(), r.Height()};
        const auto* base =
            static_cast<const uint8_t*>(pixels) + int64_t(r.Top) * pitchBytes + int64_t(r.Left) * bpp;
        SDL_UpdateTexture(d.panel, &sr, base, pitchBytes);
    }
    return false;
}

void TPlatformWindow::SetPanelScale(int32_t percent) {
    impl_->scale = percent > 0 ? percent : 100;
}

void TPlatformWindow::Render() {
    impl_->Compose();
    SDL_RenderPresent(impl_->renderer);
}

bool TPlatformWindow::ReadClient(std::vector<uint32_t>& pixels, int32_t& w, int32_t& h) {
    int ow = 0, oh = 0;
    if (SDL_GetRendererOutputSize(impl_->renderer, &ow, &oh) != 0) return false;
    impl_->Compose();
    pixels.assign(size_t(ow) * oh, 0);
    w = ow;
    h = oh;
    return SDL_RenderReadPixels(impl_->renderer, nullptr, SDL_PIXELFORMAT_RGB888, pixels.data(), ow * 4) == 0;
}

void TPlatformWindow::SetCursorImage(const uint32_t* argb, int32_t w, int32_t h, int32_t hotX, int32_t hotY) {
    SDL_Cursor* made = nullptr;
    if (argb && w > 0 && h > 0) {
        SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(argb), w, h, 32, w * 4,
                                                            SDL_PIXELFORMAT_ARGB8888);
        if (s) {
            made = SDL_CreateColorCursor(s, hotX, hotY);
            SDL_FreeSurface(s);
        }
    }
    if (impl_->cursorShown) SDL_SetCursor(made ? made : SDL_GetDefaultCursor());
    if (impl_->cursor) SDL_FreeCursor(impl_->cursor);
    impl_->cursor = made;
}

void TPlatformWindow::ShowCursorImage(bool custom) {
    const bool show = custom && impl_->cursor;
    if (show == impl_->cursorShown) return;
    impl_->cursorShown = show;
    SDL_SetCursor(show ? impl_->cursor : SDL_GetDefaultCursor());
}

void TPlatformWindow::GetMouse(int32_t& x, int32_t& y) const {
    int ix = 0, iy = 0;
    SDL_GetMouseState(&ix, &iy);
    x = ix;
    y = iy;
}

void TPlatformWindow::WarpMouse(int32_t x, int32_t y) {
    SDL_WarpMouseInWindow(impl_->window, x, y);
}

} // namespace vobe
