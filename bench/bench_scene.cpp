// One frame of the scene on an 800 x 600 display of 32 bits holding 50 boxes (a background, a frame
// of panels, and 48 small boxes, some of them blended): an idle frame in which nothing changed, a frame
// in which one 64 x 64 box moves, and a full redraw. A frame is the window's scene steps: input,
// update, draw, and clearing the dirty lists after presentation.
#include <benchmark/benchmark.h>

#include <memory>

#include "components/vobe_box.h"
#include "framework/vobe_base_list.h"
#include "framework/vobe_initialize.h"
#include "graphics/dibx.h"
#include "platform/globals.h"

namespace vobe {
namespace {

class TBenchPanel : public TBasePanel {
public:
    TBenchPanel() { Display.SetSize(800, 600, 32); }
    TCustomDIBX* GetDisplaySurface() override { return &Display; }
    int32_t DisplayDepth() override { return 32; }
    TPoint GetCursorPos() override { return TPoint{400, 300}; }
    TDIBX Display;
};

class TBenchScene {
public:
    TBenchScene() {
        BasePanel = &Panel;
        Bases = &Scene;
        FrameDelta = 16;
        Scene.SetWidth(800);
        Scene.SetHeight(600);
        Add({0, 0, 800, 600}, 0x402010, 255);
        for (int32_t i = 0; i < 48; ++i) {
            const int32_t x = 20 + (i % 8) * 96, y = 20 + (i / 8) * 96;
            TVobeBox* b = Add({x, y, x + 48, y + 48}, 0x102030 * (i % 7 + 1), i % 3 == 0 ? 160 : 255);
            b->SetOnMouseMove("move.vsb"); // hover checks on every box
        }
        Moving = Add({300, 250, 364, 314}, 0x00C0FF, 255);
        Scene.PanelMouseMove(400, 300);
        Frame();
    }
    ~TBenchScene() {
        Bases = nullptr;
        BasePanel = nullptr;
    }
    TVobeBox* Add(TRect r, int32_t colour, int32_t alpha) {
        TVobeBox* b = NewVobeObject<TVobeBox>(&Scene);
        b->SetParent(Scene.Base0);
        b->SetBounds(r.Left, r.Top, r.Width(), r.Height());
        b->SetColor(colour);
        b->SetAlpha(alpha);
        return b;
    }
    void Frame() {
        Scene.ProcessInput();
        Scene.Update();
        Scene.Draw();
        Scene.Base0->Dirty.Clear();
        Scene.Base1->Dirty.Clear();
    }

    TBenchPanel Panel;
    TVobeBaseList Scene;
    TVobeBox* Moving = nullptr;
};

void BM_SceneIdleFrame(benchmark::State& state) {
    TBenchScene s;
    for (auto _ : state) s.Frame();
    state.counters["objects"] = static_cast<double>(s.Scene.Objects.size());
}
BENCHMARK(BM_SceneIdleFrame)->Unit(benchmark::kMicrosecond);

void BM_SceneOneMovingBox(benchmark::State& state) {
    TBenchScene s;
    int32_t step = 0;
    for (auto _ : state) {
        s.Moving->SetLeft(300 + (step++ % 32) * 4);
        s.Frame();
    }
}
BENCHMARK(BM_SceneOneMovingBox)->Unit(benchmark::kMicrosecond);

void BM_SceneFullRedraw(benchmark::State& state) {
    TBenchScene s;
    for (auto _ : state) {
        s.Scene.Base0->DirtyAll();
        s.Frame();
    }
    state.SetItemsProcessed(state.iterations() * 800 * 600);
}
BENCHMARK(BM_SceneFullRedraw)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace vobe

BENCHMARK_MAIN();
