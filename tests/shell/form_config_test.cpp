// The configuration dialog: what it reads, what it writes, and its mouse and keyboard use.
#include <gtest/gtest.h>

#include "../platform/temp_dir.h"
#include "platform/cp932.h"
#include "platform/keys.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "shell/form_config.h"

namespace vobe {
namespace {

using test::TTempDir;

class FormConfigTest : public testing::Test {
protected:
    std::string Ini() const { return PlayerPath(dir.Real("game.ini")); }
    std::string Written() const { return TTempDir::ReadFile(dir.Real("game.ini")); }
    void Click(TFormConfig& f, const TWidget& w) {
        int32_t x = w.Bounds.Left + 3, y = (w.Bounds.Top + w.Bounds.Bottom) / 2;
        f.MouseDown(mbLeft, x, y);
        f.MouseUp(mbLeft, x, y);
    }
    TTempDir dir{"formconfig"};
};

TEST_F(FormConfigTest, ShowsTheStoredSettingsAndOkWritesThem) {
    dir.WriteFile("game.ini", "[Sound]\r\nDirectSound=0\r\nDelayTime=300\r\n");
    TFormConfig f(Ini());
    f.FormCreate();
    EXPECT_TRUE(f.Visible());
    EXPECT_EQ(TFormConfig::Caption(), SJ("動作設定"));
    EXPECT_FALSE(f.CheckSound.Checked);
    EXPECT_EQ(f.TrackBuff.Position, 3);
    EXPECT_EQ(f.LabelBuffInfo.Caption, "300ms");
    EXPECT_TRUE(f.TrackBuff.Enabled && f.LabelBuff.Enabled && f.LabelBuffInfo.Enabled);
    dir.WriteFile("game.ini", "[Sound]\r\n"); // OK writes both keys even when nothing changed
    f.btnOKClick();
    EXPECT_FALSE(f.Visible());
    EXPECT_EQ(Written(), "[Sound]\r\nDirectSound=0\r\nDelayTime=300\r\n");
}

TEST_F(FormConfigTest, DefaultsAndOutOfRangeValues) {
    struct Case {
        const char* ini;
        bool checked;
        int32_t position;
    } cases[] = {{nullptr, true, 5},
                 {"[Sound]\r\nDelayTime=50\r\n", true, 1},
                 {"[Sound]\r\nDelayTime=2000\r\nDirectSound=1\r\n", true, 5},
                 {"[Sound]\r\nDelayTime=-300\r\nDirectSound=0\r\n", false, 1}};
    for (const auto& c : cases) {
        std::remove(dir.Real("game.ini").c_str());
        if (c.ini) dir.WriteFile("game.ini", c.ini);
        TFormConfig f(Ini());
        f.FormCreate();
        EXPECT_EQ(f.CheckSound.Checked, c.checked) << (c.ini ? c.ini : "none");
        EXPECT_EQ(f.TrackBuff.Position, c.position) << (c.ini ? c.ini : "none");
        EXPECT_EQ(f.LabelBuffInfo.Caption, std::to_string(c.position * 100) + "ms");
        // The delay belongs to the player's own wave output: usable only with DirectSound off.
        EXPECT_EQ(f.TrackBuff.Enabled, !c.checked);
        EXPECT_EQ(f.LabelBuff.Enabled, !c.checked);
    }
}

TEST_F(FormConfigTest, Keyboard) {
    TFormConfig f(Ini());
    f.FormCreate(); // no file: DirectSound on, 500 ms
    EXPECT_TRUE(f.CheckSound.Focused);
    f.KeyDown(VK_TAB, false);
    EXPECT_TRUE(f.btnOK.Focused); // the disabled track bar is skipped
    f.KeyDown(VK_TAB, true);
    EXPECT_TRUE(f.CheckSound.Focused);
    f.KeyDown(VK_SPACE, false); // DirectSound off
    EXPECT_FALSE(f.CheckSound.Checked);
    EXPECT_TRUE(f.TrackBuff.Enabled);
    f.KeyDown(VK_TAB, false);
    EXPECT_TRUE(f.TrackBuff.Focused);
    f.KeyDown(VK_LEFT, false);
    f.KeyDown(VK_LEFT, false);
    EXPECT_EQ(f.LabelBuffInfo.Caption, "300ms");
    f.KeyDown(VK_HOME, false);
    EXPECT_EQ(f.TrackBuff.Position, 1);
    f.KeyDown(VK_LEFT, false); // stays at the minimum
    f.KeyDown(VK_NEXT, false);
    EXPECT_EQ(f.TrackBuff.Position, 2);
    // The accelerators: S toggles the check box, D focuses the track bar.
    f.KeyDown('S', false);
    EXPECT_TRUE(f.CheckSound.Checked);
    EXPECT_FALSE(f.TrackBuff.Enabled);
    f.KeyDown('S', false);
    f.KeyDown('D', false);
    EXPECT_TRUE(f.TrackBuff.Focused);
    f.KeyDown(VK_END, false);
    // Escape closes without writing; Enter writes.
    f.KeyDown(VK_ESCAPE, false);
    EXPECT_FALSE(f.Visible());
    EXPECT_FALSE(std::ifstream(dir.Real("game.ini")).good());
    TFormConfig g(Ini());
    g.FormCreate();
    g.KeyDown('S', false);
    g.KeyDown('D', false);
    g.KeyDown(VK_UP, false);
    g.KeyDown(VK_RETURN, false);
    EXPECT_FALSE(g.Visible());
    EXPECT_EQ(Written(), "[Sound]\r\nDirectSound=0\r\nDelayTime=400\r\n");
    // Enter on the focused Cancel button cancels; the arrow keys move between the buttons.
    TFormConfig h(Ini());
    h.FormCreate(); // DirectSound off now: the track bar takes part in the Tab order
    h.KeyDown(VK_TAB, false);
    EXPECT_TRUE(h.TrackBuff.Focused);
    h.KeyDown(VK_TAB, false);
    h.KeyDown(VK_TAB, false);
    EXPECT_TRUE(h.btnCancel.Focused);
    EXPECT_FALSE(h.btnOK.Default);
    h.KeyDown(VK_LEFT, false);
    EXPECT_TRUE(h.btnOK.Focused);
    h.KeyDown(VK_RIGHT, false);
    EXPECT_TRUE(h.btnCancel.Focused);
    h.KeyDown(VK_SPACE, false);
    EXPECT_FALSE(h.Visible());
    EXPECT_EQ(Written(), "[Sound]\r\nDirectSound=0\r\nDelayTime=400\r\n");
}

TEST_F(FormConfigTest, Mouse) {
    TFormConfig f(Ini());
    f.FormCreate();
    Click(f, f.CheckSound);
    EXPECT_FALSE(f.CheckSound.Checked);
    // A click beside the thumb moves it one step towards the pointer; the thumb can be dragged.
    TRect ch = f.TrackBuff.ChannelRect();
    f.MouseDown(mbLeft, ch.Left + 2, ch.Top + 1);
    f.MouseUp(mbLeft, ch.Left + 2, ch.Top + 1);
    EXPECT_EQ(f.TrackBuff.Position, 4);
    TRect t = f.TrackBuff.ThumbRect();
    f.MouseDown(mbLeft, t.Left + 5, t.Top + 3);
    f.MouseMove(f.TrackBuff.ThumbCenterOf(2) + 1, t.Top + 3);
    EXPECT_EQ(f.LabelBuffInfo.Caption, "200ms");
    f.MouseUp(mbLeft, f.TrackBuff.ThumbCenterOf(2) + 1, t.Top + 3);
    // Pressing OK and letting go outside it is no click.
    f.MouseDown(mbLeft, f.btnOK.Bounds.Left + 5, f.btnOK.Bounds.Top + 5);
    EXPECT_TRUE(f.btnOK.Pressed);
    f.MouseMove(0, 0);
    EXPECT_FALSE(f.btnOK.Pressed);
    f.MouseUp(mbLeft, 0, 0);
    EXPECT_TRUE(f.Visible());
    Click(f, f.btnOK);
    EXPECT_FALSE(f.Visible());
    EXPECT_EQ(Written(), "[Sound]\r\nDirectSound=0\r\nDelayTime=200\r\n");
}

TEST_F(FormConfigTest, UnwritableFileIsReportedAndTheDialogStays) {
    TFormConfig f(PlayerPath(dir.Real("missing/game.ini")));
    f.FormCreate();
    std::string shown;
    SetMessageBoxHook([&](const std::string& text, const std::string&, uint32_t) {
        shown = text;
        return IDOK;
    });
    f.btnOKClick();
    SetMessageBoxHook(nullptr);
    EXPECT_NE(shown.find(SJ("書き込めません")), std::string::npos);
    EXPECT_TRUE(f.Visible());
}

TEST_F(FormConfigTest, PaintsItsControls) {
    dir.WriteFile("game.ini", "[Sound]\r\nDirectSound=1\r\n");
    TFormConfig f(Ini());
    f.FormCreate();
    TCanvas c;
    f.Paint(c);
    ASSERT_EQ(c.Width(), 270);
    ASSERT_EQ(c.Height(), 179);
    EXPECT_FALSE(f.Dirty());
    // Pixels of a colour, text being antialiased: dark ones for black, exact ones otherwise.
    auto inked = [&](const TRect& r, uint32_t color) {
        int n = 0;
        for (int32_t y = r.Top; y < r.Bottom; ++y)
            for (int32_t x = r.Left; x < r.Right; ++x) {
                uint32_t p = c.PixelAt(x, y);
                n += color == clWindowText
                         ? ((p >> 16) < 0x30 && ((p >> 8) & 0xFF) < 0x30 && (p & 0xFF) < 0x30)
                         : p == color;
            }
        return n;
    };
    EXPECT_EQ(c.PixelAt(0, 0), clBtnFace);
    EXPECT_GT(inked(f.CheckSound.Bounds, clWindowText), 20); // the caption and the tick
    EXPECT_EQ(inked(f.LabelBuff.Bounds, clWindowText), 0);   // disabled: grey text only
    EXPECT_GT(inked(f.LabelBuff.Bounds, clGrayText), 10);
    EXPECT_GT(inked(f.btnCancel.Bounds, clWindowText), 10);
    f.KeyDown(VK_SPACE, false);
    EXPECT_TRUE(f.Dirty());
    f.Paint(c);
    EXPECT_GT(inked(f.LabelBuff.Bounds, clWindowText), 10); // enabled now
}

} // namespace
} // namespace vobe
