// One SDL window with two layers: the panel, on which the display surface is shown through a
// streaming texture of the surface's own pixel format (only changed rectangles are uploaded), and the
// chrome, 32-bit pixels drawn by the player itself (the tool bar, the controls of a dialog).
// Events arrive translated: virtual-key codes, mouse buttons, wheel steps, activation.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vobe {

struct TIntRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0; // Right and Bottom exclusive
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
};

enum TMouseButton : int32_t { mbNone = 0, mbLeft = 1, mbRight = 2, mbMiddle = 3 };

struct TPlatformEvent {
    enum TKind {
        evNone,
        evClose,        // the user asked the window to close
        evQuit,         // the process was asked to end (signal)
        evMouseMove,    // X, Y in client coordinates
        evMouseDown,    // Button, X, Y
        evMouseUp,      // Button, X, Y
        evWheel,        // Wheel > 0 up, < 0 down
        evKeyDown,      // VK, Repeat, modifiers
        evKeyUp,        // VK, modifiers
        evText,         // Text (UTF-8)
        evActivate,     // the window gained the keyboard focus
        evDeactivate,   // the window lost it
        evExpose,       // the window must be drawn again
        evFrameRequest, // a posted frame request
    };
    TKind Kind = evNone;
    uint32_t WindowId = 0;
    int32_t X = 0, Y = 0;
    TMouseButton Button = mbNone;
    int32_t Wheel = 0;
    int32_t VK = 0;
    bool Repeat = false;
    bool Shift = false, Ctrl = false, Alt = false;
    std::string Text;
};

// Takes the next event; false when there is none (Wait: none within the timeout).
bool PollPlatformEvent(TPlatformEvent& ev);
bool WaitPlatformEvent(TPlatformEvent& ev, int32_t timeoutMs);
// Queues an evFrameRequest for the window (the private frame message).
void PostFrameRequest(uint32_t windowId);

struct TDisplayMode {
    int32_t Width = 0, Height = 0;
    int32_t Bits = 0;    // 8, 16, 24 or 32 (a 5-5-5 mode counts as 16, with Is555 set)
    int32_t Refresh = 0; // Hz, 0 when unknown
    bool Is555 = false;  // 5-5-5 layout
    uint32_t Format = 0; // SDL pixel format
};

// The display modes of the first display (empty when there is no display), the desktop's mode and the
// usable work area (the screen less panels and task bars).
std::vector<TDisplayMode> ListDisplayModes();
bool GetDesktopMode(TDisplayMode& mode);
TIntRect WorkArea();

class TPlatformWindow {
public:
    // A hidden window with the client size given. Returns null when no window can be made.
    static std::unique_ptr<TPlatformWindow> Create(const std::string& sjisCaption, int32_t clientWidth,
                                                   int32_t clientHeight);
    ~TPlatformWindow();
    TPlatformWindow(const TPlatformWindow&) = delete;
    TPlatformWindow& operator=(const TPlatformWindow&) = delete;

    uint32_t Id() const;
    void SetCaption(const std::string& sjisCaption);
    void SetClientSize(int32_t w, int32_t h);
    void GetClientSize(int32_t& w, int32_t& h) const;
    void SetPosition(int32_t x, int32_t y);
    void GetPosition(int32_t& x, int32_t& y) const;
    void SetBordered(bool bordered);
    void Show();
    void Hide();
    bool Visible() const;
    void Raise();
    // Asks for the keyboard focus (an X server may run without a window manager that would give it).
    void Focus();

    // Full screen in the given mode; false when the mode cannot be set (the window is then framed).
    bool EnterFullScreen(const TDisplayMode& mode);
    void LeaveFullScreen();
    bool IsFullScreen() const;

    // Chrome: a 32-bit (0x00RRGGBB) picture of size w x h placed at (x, y) of the client area, drawn above
    // the panel while visible. Upload copies the rectangle `r` (chrome coordinates) of `pixels`.
    void SetChrome(int32_t x, int32_t y, int32_t w, int32_t h, bool visible);
    void UploadChrome(const uint32_t* pixels, int32_t pitchBytes, const TIntRect& r);

    // Panel: the rectangle of the client area where the display surface is shown.
    void SetPanel(const TIntRect& r);
    // Uploads rectangles of a surface (depth 15, 16 or 32; native pixels) into the panel texture, which
    // keeps what was uploaded before. A change of size or depth makes a new texture (then everything
    // must be uploaded again: the return value is true in that case, and nothing was uploaded).
    bool UploadPanel(const void* pixels, int32_t pitchBytes, int32_t depth, int32_t width, int32_t height,
                     const TIntRect* rects, int32_t count);
    // The panel texture is drawn at scale percent (100 = 1:1), clipped to the panel rectangle.
    void SetPanelScale(int32_t percent);

    // Composes chrome and panel and shows them.
    void Render();

    // The composed client area as 0x00RRGGBB pixels (for tests and window screenshots).
    bool ReadClient(std::vector<uint32_t>& pixels, int32_t& w, int32_t& h);

    // The pointer's own picture: 0xAARRGGBB pixels (copied) with the hot spot; ShowCursorImage (true)
    // shows it over the window, (false) the system's arrow.
    void SetCursorImage(const uint32_t* argb, int32_t w, int32_t h, int32_t hotX, int32_t hotY);
    void ShowCursorImage(bool custom);

    // Mouse cursor position inside the client area; moving it.
    void GetMouse(int32_t& x, int32_t& y) const;
    void WarpMouse(int32_t x, int32_t y);

private:
    struct Impl;
    explicit TPlatformWindow(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace vobe
