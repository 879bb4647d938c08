// Image components on an 800 x 600 display of 32 bits: a full redraw of a scene of one background
// picture and 24 masked 64 x 64 sprites (some blended, some additive, some zoomed), the same with the
// background drawn only through its opaque sub-rectangles, a tiled backdrop, and the picture cache
// lending an item it holds already. The memcpy of one display's pixels is the reference beside them.
#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "archive/stream.h"
#include "components/vask_man.h"
#include "components/vobe_images.h"
#include "components/vobe_tile.h"
#include "framework/vobe_base_list.h"
#include "framework/vobe_initialize.h"
#include "graphics/dibx.h"
#include "graphics/vask_image.h"
#include "platform/globals.h"

namespace vobe {
namespace {

std::string Picture(int32_t w, int32_t h, bool mask) {
    TVaskFrameList list;
    TVaskFrame* f = list.AddFrame();
    f->Picture.SetSize(w, h, 24);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            f->Picture.SetPixel(x, y, static_cast<uint32_t>((x * 3) ^ (y * 5)) * 0x010203u);
    if (mask) {
        f->Picture.CreateMask();
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                f->Picture.Mask()->SetPixel(
                    x, y, (x - w / 2) * (x - w / 2) + (y - h / 2) * (y - h / 2) < w * w / 4 ? 255 : 0);
    }
    TMemoryStream s;
    list.SaveToStream(s, 0, 0);
    return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.GetSize()));
}

class TBenchPanel : public TBasePanel {
public:
    TBenchPanel() { Display.SetSize(800, 600, 32); }
    TCustomDIBX* GetDisplaySurface() override { return &Display; }
    int32_t DisplayDepth() override { return 32; }
    TPoint GetCursorPos() override { return TPoint{}; }
    TDIBX Display;
};

class TBenchScene {
public:
    explicit TBenchScene(bool tiled) {
        BasePanel = &Panel;
        Bases = &Scene;
        VaskMan = &Cache;
        FrameDelta = 16;
        Files["bg.vsk"] = Picture(800, 600, false);
        Files["spr.vsk"] = Picture(64, 64, true);
        Files["tile.vsk"] = Picture(48, 48, false);
        Cache.LoadFile = [this](const std::string& name, TMemoryStream& dest) {
            auto it = Files.find(name);
            if (it == Files.end()) return false;
            dest.WriteBuffer(it->second.data(), static_cast<int64_t>(it->second.size()));
            return true;
        };
        Scene.SetWidth(800);
        Scene.SetHeight(600);
        if (tiled) {
            auto* t = NewVobeObject<TVobeTile>(&Scene);
            t->SetParent(Scene.Base0);
            t->SetSource("tile.vsk");
            t->SetBounds(0, 0, 800, 600);
        } else {
            Background = Image("0bg", "bg.vsk", 0, 0);
        }
        for (int32_t i = 0; i < 24; ++i) {
            TVobeImages* s = Image("s" + std::to_string(i), "spr.vsk", 40 + (i % 8) * 90, 60 + (i / 8) * 160);
            s->SetAlpha(i % 4 == 1 ? 160 : i % 4 == 2 ? 384 : 255);
            if (i % 4 == 3) {
                s->SetZoomX(384);
                s->SetZoomY(384);
            }
        }
        Frame();
    }
    ~TBenchScene() {
        Scene.Reset();
        VaskMan = nullptr;
        Bases = nullptr;
        BasePanel = nullptr;
    }
    TVobeImages* Image(const std::string& name, const std::string& source, int32_t x, int32_t y) {
        auto* i = NewVobeObject<TVobeImages>(&Scene);
        i->SetName(name);
        i->SetParent(Scene.Base0);
        i->SetSource(source);
        i->SetLeft(x);
        i->SetTop(y);
        return i;
    }
    void Frame() {
        Scene.ProcessInput();
        Scene.Update();
        Scene.Draw();
        Scene.Base0->Dirty.Clear();
        Scene.Base1->Dirty.Clear();
    }

    TBenchPanel Panel;
    std::map<std::string, std::string> Files;
    TVaskCollection Cache;
    TVobeBaseList Scene;
    TVobeImages* Background = nullptr;
};

void BM_FullRedrawImages(benchmark::State& state) {
    TBenchScene s(false);
    for (auto _ : state) {
        s.Scene.Base0->DirtyAll();
        s.Frame();
    }
}
BENCHMARK(BM_FullRedrawImages)->Unit(benchmark::kMicrosecond);

void BM_FullRedrawOpaqueSubRectangles(benchmark::State& state) {
    TBenchScene s(false);
    // A background listing its opaque parts: the four bands between the sprite rows.
    s.Background->GetImage()->DrawRects = {TRect{0, 0, 800, 60}, TRect{0, 124, 800, 220},
                                           TRect{0, 284, 800, 380}, TRect{0, 444, 800, 600}};
    for (auto _ : state) {
        s.Scene.Base0->DirtyAll();
        s.Frame();
    }
    s.Background->GetImage()->DrawRects.clear();
}
BENCHMARK(BM_FullRedrawOpaqueSubRectangles)->Unit(benchmark::kMicrosecond);

void BM_FullRedrawTiled(benchmark::State& state) {
    TBenchScene s(true);
    for (auto _ : state) {
        s.Scene.Base0->DirtyAll();
        s.Frame();
    }
}
BENCHMARK(BM_FullRedrawTiled)->Unit(benchmark::kMicrosecond);

void BM_PictureCacheHeldItem(benchmark::State& state) {
    TBenchScene s(false);
    int holder = 0;
    for (auto _ : state) {
        TVaskItem* i = s.Cache.Acquire(&holder, "spr.vsk", false, false);
        s.Cache.Release(i, &holder);
        benchmark::DoNotOptimize(i);
    }
}
BENCHMARK(BM_PictureCacheHeldItem);

void BM_DisplayMemcpyReference(benchmark::State& state) {
    std::vector<uint8_t> a(800 * 600 * 4, 1), b(800 * 600 * 4);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
    }
}
BENCHMARK(BM_DisplayMemcpyReference)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace vobe

BENCHMARK_MAIN();
