// The player's window on a real (virtual) X display: its client area is the game screen plus the
// tool-bar dock, the tool bar is drawn, and the scene reaches the panel. The window is captured from
// the X server with ImageMagick's import.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "components/vobe_box.h"
#include "framework/vobe_base_list.h"
#include "graphics/png_writer.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/timer.h"
#include "shell/display_surface.h"
#include "shell/fakes.h"
#include "shell/form_view.h"
#include "shell/scene_host.h"

namespace vobe {
namespace {

constexpr uint32_t kFill = 0x3366CC;

// A scene whose drawing fills the display surface with one colour.
class TFillScene : public test::TFakeScene {
public:
    using TFakeScene::TFakeScene;
    void Draw() override {
        TDisplaySurface* s = Display().GetDisplaySurface();
        if (!s || painted_) return;
        for (int32_t y = 0; y < s->Height(); ++y)
            for (int32_t x = 0; x < s->Width(); ++x) {
                uint8_t* p = s->Row(y) + size_t(x) * s->BytesPerPixel();
                if (s->BitCount() == 32) {
                    p[0] = kFill & 0xFF;
                    p[1] = (kFill >> 8) & 0xFF;
                    p[2] = kFill >> 16;
                    p[3] = 0;
                } else {
                    uint16_t v = s->BitCount() == 16 ? uint16_t(0x33 >> 3 << 11 | 0x66 >> 2 << 5 | 0xCC >> 3)
                                                     : uint16_t(0x33 >> 3 << 10 | 0x66 >> 3 << 5 | 0xCC >> 3);
                    p[0] = v & 0xFF;
                    p[1] = v >> 8;
                }
            }
        Dirty.AddRect({0, 0, s->Width(), s->Height()});
        painted_ = true;
    }

private:
    bool painted_ = false;
};

bool Near(uint32_t a, uint32_t b) {
    for (int sh = 0; sh <= 16; sh += 8)
        if (std::abs(int((a >> sh) & 0xFF) - int((b >> sh) & 0xFF)) > 8) return false;
    return true;
}

TEST(RealWindow, ClientAreaIsTheGamePlusTheToolBar) {
    if (std::system("command -v import >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ImageMagick's import is missing";
    if (!InitPlatform(false)) GTEST_SKIP() << "no X display";
    const std::string shot = std::string(VOBE_BINARY_DIR) + "/test-tmp/window-shot.png";
    std::filesystem::create_directories(std::filesystem::path(shot).parent_path());
    std::filesystem::remove(shot);

    test::TFakeGame game;
    game.Width = 320;
    game.Height = 240;
    TGameServices services = game.Services();
    services.VobeInitialize = [&](IDisplayHost& d) {
        auto sc = std::make_unique<TFillScene>(game.Log, d);
        game.Scene = sc.get();
        return sc;
    };
    auto create = services.CreateProject;
    int captureStatus = -1;
    // Full screen and back, as the screen button does: the panel is centred on the screen without the
    // tool bar, then the framed window comes back at its size.
    std::string fullScreen, framed;
    auto Switch = [&](bool on) {
        FormView->SetFullScreen(on);
        const TRect& p = FormView->PanelRect();
        return std::to_string(FormView->IsFullScreen()) + " " + std::to_string(FormView->ClientWidth()) +
               "x" + std::to_string(FormView->ClientHeight()) + " panel " + std::to_string(p.Left) + "," +
               std::to_string(p.Top) + " bar " + std::to_string(FormView->ToolBarVisible());
    };
    services.CreateProject = [&]() {
        auto p = create();
        game.Project->TitleText = "VobeWindowTest";
        game.Project->OnFrame = [&](int32_t n) {
            if (n == 20)
                captureStatus = std::system(("import -window VobeWindowTest '" + shot + "'").c_str());
            if (n == 21) fullScreen = Switch(true);
            if (n == 22) framed = Switch(false);
        };
        return p;
    };
    TPlayerOptions options;
    options.SkipLogo = true;
    options.FixedDelta = 16;
    options.Frames = 30;
    SetVirtualClock(true, 0);
    {
        TFormView view(services, options, PlayerPath(std::string(VOBE_BINARY_DIR) + "/test-tmp") + "\\");
        view.FormCreate();
        ASSERT_NE(view.Window(), nullptr);
        ASSERT_FALSE(view.StartFailed());
        view.Run();
        EXPECT_EQ(view.FramesRun(), 30); // the window was activated by the X server
    }
    SetVirtualClock(false);
    ShutdownPlatform();
    test::ResetGlobals();

    ASSERT_EQ(captureStatus, 0);
    EXPECT_EQ(fullScreen, "1 1024x768 panel 352,264 bar 0");
    EXPECT_EQ(framed, "0 320x262 panel 0,22 bar 1");
    std::string png;
    {
        std::ifstream in(shot, std::ios::binary);
        png.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<uint32_t> px;
    int32_t w = 0, h = 0;
    ASSERT_TRUE(DecodePngRgb(reinterpret_cast<const uint8_t*>(png.data()), png.size(), px, w, h));
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240 + TFormView::DockHeight);
    auto at = [&](int32_t x, int32_t y) { return px[size_t(y) * w + x]; };
    EXPECT_TRUE(Near(at(300, 8), clBtnFace)) << std::hex << at(300, 8); // the dock beside the buttons
    EXPECT_TRUE(Near(at(5, TFormView::DockHeight), kFill)) << std::hex << at(5, 22); // the panel's first row
    EXPECT_TRUE(Near(at(319, h - 1), kFill));
    int dark = 0; // the captions of the two buttons
    for (int32_t y = 2; y < 19; ++y)
        for (int32_t x = 2; x < 2 + 2 * TFormView::ButtonWidth; ++x) dark += (at(x, y) & 0xFF) < 0x40;
    EXPECT_GT(dark, 20);
}

} // namespace
} // namespace vobe

namespace vobe {
namespace {

// The real scene in the real window: presentation at 200 per cent shows the dirty rectangles at twice
// their size and place; at 150 the whole picture is stretched.
TEST(RealWindow, ScaledPresentationOfTheScene) {
    if (!InitPlatform(false)) GTEST_SKIP() << "no X display";
    test::TFakeGame game;
    game.Width = 160;
    game.Height = 120;
    TGameServices services = game.Services();
    services.VobeInitialize = [](IDisplayHost& d) { return StartScene(d); };
    services.VobeFinalize = [] { FinishScene(); };
    std::vector<uint32_t> at200, at150;
    int32_t w200 = 0, w150 = 0, h = 0;
    TFormView* view = nullptr;
    auto create = services.CreateProject;
    services.CreateProject = [&]() {
        auto p = create();
        game.Project->OnFrame = [&](int32_t n) {
            if (n == 1) {
                TVobeBox* b = NewVobeObject<TVobeBox>(Bases);
                b->SetParent(Bases->Base0);
                b->SetBounds(10, 10, 10, 10);
                b->SetColor(0x0000FF);
                Bases->Scale = 200;
            } else if (n == 8) {
                view->Window()->ReadClient(at200, w200, h);
                Bases->Scale = 150;
            } else if (n == 14) {
                view->Window()->ReadClient(at150, w150, h);
            }
        };
        return p;
    };
    TPlayerOptions options;
    options.SkipLogo = true;
    options.FixedDelta = 16;
    options.Frames = 16;
    SetVirtualClock(true, 0);
    {
        TFormView v(services, options, PlayerPath(std::string(VOBE_BINARY_DIR) + "/test-tmp") + "\\");
        view = &v;
        v.FormCreate();
        ASSERT_NE(v.Window(), nullptr);
        v.Run();
    }
    SetVirtualClock(false);
    ShutdownPlatform();
    test::ResetGlobals();

    ASSERT_EQ(w200, 160);
    ASSERT_EQ(w150, 160);
    const int32_t top = TFormView::DockHeight;
    auto px = [&](const std::vector<uint32_t>& p, int32_t x, int32_t y) {
        return p[size_t(y + top) * 160 + size_t(x)] & 0xFFFFFF;
    };
    // 200: the box (10..19) covers 20..39 of the panel.
    EXPECT_EQ(px(at200, 20, 20), 0xFF0000u);
    EXPECT_EQ(px(at200, 39, 39), 0xFF0000u);
    EXPECT_EQ(px(at200, 19, 25), 0u);
    EXPECT_EQ(px(at200, 40, 25), 0u);
    // 150: about 15..29.
    EXPECT_EQ(px(at150, 16, 16), 0xFF0000u);
    EXPECT_EQ(px(at150, 28, 28), 0xFF0000u);
    EXPECT_EQ(px(at150, 13, 20), 0u);
    EXPECT_EQ(px(at150, 31, 20), 0u);
}

} // namespace
} // namespace vobe
