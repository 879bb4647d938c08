// Pictures for the image-component tests: layered images made by the project's own writer from known
// pixels, served to a picture cache of the test's own, and a scene whose bases draw into 32-bit
// surfaces of their own.
#pragma once

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "archive/stream.h"
#include "components/vask_man.h"
#include "framework/vobe_base_list.h"
#include "graphics/dibx.h"
#include "graphics/vask_image.h"

namespace vobe::test {

// One frame: colour per pixel (0x00BBGGRR) and optional mask value per pixel.
struct TFrameSpec {
    int32_t Width = 1, Height = 1;
    std::function<int32_t(int32_t x, int32_t y)> Colour;
    std::function<int32_t(int32_t x, int32_t y)> Mask; // unset: no mask
    int32_t Delay = 100;
};

inline TFrameSpec Solid(int32_t w, int32_t h, int32_t colour, int32_t delay = 100) {
    TFrameSpec f;
    f.Width = w;
    f.Height = h;
    f.Colour = [colour](int32_t, int32_t) { return colour; };
    f.Delay = delay;
    return f;
}

// A layered image of the frames, as the writer stores it (blocks uncompressed).
inline std::string VskBytes(const std::vector<TFrameSpec>& frames) {
    TVaskFrameList list;
    for (const TFrameSpec& fs : frames) {
        TVaskFrame* f = list.AddFrame();
        f->Delay = fs.Delay;
        f->Picture.SetSize(fs.Width, fs.Height, 24);
        for (int32_t y = 0; y < fs.Height; ++y)
            for (int32_t x = 0; x < fs.Width; ++x)
                f->Picture.SetPixel(x, y, static_cast<uint32_t>(fs.Colour(x, y)));
        if (fs.Mask) {
            f->Picture.CreateMask();
            for (int32_t y = 0; y < fs.Height; ++y)
                for (int32_t x = 0; x < fs.Width; ++x)
                    f->Picture.Mask()->SetPixel(x, y, static_cast<uint32_t>(fs.Mask(x, y)));
        }
    }
    TMemoryStream s;
    list.SaveToStream(s, 1, 0);
    return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<size_t>(s.GetSize()));
}

// The native 32-bit value of a colour 0x00BBGGRR.
constexpr uint32_t Px(int32_t colour) {
    return ((static_cast<uint32_t>(colour) & 0xFF) << 16) | (static_cast<uint32_t>(colour) & 0xFF00) |
           ((static_cast<uint32_t>(colour) >> 16) & 0xFF);
}

// A scene of its own (40 x 30 unless sized otherwise) with a picture cache serving Files.
class TImageScene : public ::testing::Test {
protected:
    TImageScene() {
        SavedCache = VaskMan;
        VaskMan = &Cache;
        Cache.LoadFile = [this](const std::string& name, TMemoryStream& dest) {
            auto it = Files.find(name);
            if (it == Files.end()) return false;
            dest.SetSize(0);
            dest.WriteBuffer(it->second.data(), static_cast<int64_t>(it->second.size()));
            return true;
        };
        S.SetWidth(40);
        S.SetHeight(30);
        S.Base0->SetColor(-1); // the base leaves the pixels alone
    }
    ~TImageScene() override {
        // The components go before the cache they hold items of.
        S.Reset();
        VaskMan = SavedCache;
    }
    template <class T> T* New(TVobeControl* parent = nullptr) {
        T* c = NewVobeObject<T>(&S);
        c->SetParent(parent ? parent : S.Base0);
        return c;
    }
    TDIBX& Surface() { return *S.Base0->Surface; }
    // Draws the whole base over a background of `bg`.
    void DrawAll(uint32_t bg = 0x202020) {
        Surface().ClipRect = TRect{};
        Surface().Fill(bg);
        S.Base0->DirtyAll();
        S.Draw();
    }
    uint32_t At(int32_t x, int32_t y) { return Surface().GetPixel(x, y); }

    std::map<std::string, std::string> Files;
    TVaskCollection Cache;
    TVaskCollection* SavedCache = nullptr;
    TVobeBaseList S;
};

} // namespace vobe::test
