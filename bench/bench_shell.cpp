// The window's own costs: start-up to the first presented frame, an idle frame with nothing to draw,
// and presenting a dirty rectangle. With a display (DISPLAY set, e.g. under xvfb-run) the real window
// is measured too.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>

#include "archive/containers.h"
#include "platform/globals.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/timer.h"
#include "shell/form_view.h"

namespace vobe {
namespace {

class TBenchProject : public IGameProject {
public:
    std::string Title() const override { return "bench"; }
    int32_t Width() const override { return 640; }
    int32_t Height() const override { return 480; }
    int32_t FullScreenWidth() const override { return 640; }
    int32_t FullScreenHeight() const override { return 480; }
    bool FrameWaitEnabled() const override { return false; }
    void RunFrame() override {}
    bool ProcessSaveLoad() override { return false; }
};

// An empty scene; DirtyNext marks one rectangle dirty in the next drawn frame.
class TBenchScene : public IGameScene {
public:
    void SetSize(int32_t, int32_t) override {}
    void ProcessInput() override {}
    void Update() override {}
    void Draw() override {
        if (DirtyNext) dirty_.AddRect({100, 100, 228, 164});
    }
    int32_t Scale() const override { return 100; }
    TRect PresentRect() const override { return TRect(); }
    const TClipList& FrontDirty() const override { return dirty_; }
    void ClearDirty() override { dirty_.Clear(); }
    void ReleaseSurfaces() override {}
    void RestoreSurfaces() override {}
    void MouseDown(TMouseButton) override {}
    void MouseUp() override {}
    void MouseMove(int32_t, int32_t) override {}
    void Wheel(bool) override {}
    void SetKeyState(int32_t, bool) override {}
    void SetKeyPressed(int32_t) override {}
    void ReleaseInput() override {}
    bool DirtyNext = false;

private:
    TClipList dirty_;
};

TGameServices Services(TBenchScene** scene) {
    TGameServices s;
    s.VobeInitialize = [scene](IDisplayHost&) {
        auto sc = std::make_unique<TBenchScene>();
        *scene = sc.get();
        return sc;
    };
    s.CreateProject = [] { return std::make_unique<TBenchProject>(); };
    return s;
}

void Reset() {
    Terminating = false;
    GameClock = FrameDelta = FrameCount = 0;
}

// Start-up as the process does it: the platform (SDL, and the X connection with a display), sound
// settings, tool bar, services, the window, the display manager and its surface, the first frame and
// its presentation. Program loading and the shutdown are not counted.
void StartupToFirstPresent(benchmark::State& state, bool headless) {
    TPlayerOptions options;
    options.Headless = headless;
    options.SkipLogo = true;
    options.FixedDelta = 16;
    SetVirtualClock(true, 0);
    const std::string exeFolder = TempFolder();
    for (auto _ : state) {
        Reset();
        if (!InitPlatform(headless) && !headless) {
            state.SkipWithError("no display");
            break;
        }
        {
            TBenchScene* scene = nullptr;
            TFormView view(Services(&scene), options, exeFolder);
            view.FormCreate();
            if (view.Window()) view.Window()->Show();
            view.ApplicationEventsActivate();
            view.ApplicationEventsIdle(); // the first frame presents the whole screen
            if (view.ScreenMan()->PresentCount() != 1) state.SkipWithError("no presentation");
            state.PauseTiming();
            view.FormClose();
        }
        ShutdownPlatform();
        state.ResumeTiming();
    }
    SetVirtualClock(false);
}

void BM_StartupToFirstPresent_Headless(benchmark::State& state) {
    StartupToFirstPresent(state, true);
}
void BM_StartupToFirstPresent_Window(benchmark::State& state) {
    StartupToFirstPresent(state, false);
}

// One frame of the idle loop with nothing dirty: the whole frame work of the window itself.
void IdleFrame(benchmark::State& state, bool headless, bool dirty) {
    if (!InitPlatform(headless) && !headless) {
        state.SkipWithError("no display");
        return;
    }
    Reset();
    TPlayerOptions options;
    options.Headless = headless;
    options.SkipLogo = true;
    options.FixedDelta = 16;
    SetVirtualClock(true, 0);
    TBenchScene* scene = nullptr;
    {
        TFormView view(Services(&scene), options, TempFolder());
        view.FormCreate();
        view.ApplicationEventsActivate();
        view.ApplicationEventsIdle();
        scene->DirtyNext = dirty;
        for (auto _ : state) view.ApplicationEventsIdle();
        view.FormClose();
    }
    SetVirtualClock(false);
    ShutdownPlatform();
}

void BM_IdleFrame_Headless(benchmark::State& state) {
    IdleFrame(state, true, false);
}
void BM_IdleFrame_Window(benchmark::State& state) {
    IdleFrame(state, false, false);
}
void BM_Frame128x64Dirty_Window(benchmark::State& state) {
    IdleFrame(state, false, true);
}

BENCHMARK(BM_StartupToFirstPresent_Headless)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupToFirstPresent_Window)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_IdleFrame_Headless)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IdleFrame_Window)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Frame128x64Dirty_Window)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace vobe

BENCHMARK_MAIN();
