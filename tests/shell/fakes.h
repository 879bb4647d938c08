// Stand-ins for the project and the scene, recording what the window asks of them.
#pragma once

#include <string>
#include <vector>

#include "platform/globals.h"
#include "shell/game_services.h"

namespace vobe::test {

struct TCallLog {
    std::vector<std::string> Calls;
    void Add(const std::string& s) { Calls.push_back(s); }
    std::string Joined(const char* sep = " ") const {
        std::string out;
        for (const auto& c : Calls) out += (out.empty() ? "" : sep) + c;
        return out;
    }
};

class TFakeProject : public IGameProject {
public:
    TFakeProject(TCallLog& log, int32_t w, int32_t h) : log_(log), w_(w), h_(h) {}
    ~TFakeProject() override { log_.Add("project.free"); }
    std::string Title() const override { return TitleText; }
    std::string TitleText = "Game";
    int32_t Width() const override { return w_; }
    int32_t Height() const override { return h_; }
    int32_t FullScreenWidth() const override { return w_; }
    int32_t FullScreenHeight() const override { return h_; }
    bool FrameWaitEnabled() const override { return WaitFlag; }
    void RunFrame() override {
        log_.Add("run");
        ++Frames;
        if (OnFrame) OnFrame(Frames);
    }
    bool ProcessSaveLoad() override {
        bool l = LoadAt == Frames;
        if (l) log_.Add("loaded");
        return l;
    }
    bool WaitFlag = false;
    int32_t LoadAt = -1;
    int32_t Frames = 0;
    std::function<void(int32_t)> OnFrame;

private:
    TCallLog& log_;
    int32_t w_, h_;
};

class TFakeScene : public IGameScene {
public:
    explicit TFakeScene(TCallLog& log, IDisplayHost& display) : log_(log), display_(display) {}
    ~TFakeScene() override { log_.Add("scene.free"); }
    void SetSize(int32_t w, int32_t h) override {
        log_.Add("size " + std::to_string(w) + "x" + std::to_string(h));
    }
    void ProcessInput() override { log_.Add("input"); }
    void Update() override { log_.Add("update"); }
    void Draw() override {
        log_.Add("draw");
        for (const TRect& r : NextDirty) Dirty.AddRect(r);
        NextDirty.clear();
    }
    int32_t Scale() const override { return ScaleValue; }
    TRect PresentRect() const override { return Present; }
    const TClipList& FrontDirty() const override { return Dirty; }
    void ClearDirty() override { Dirty.Clear(); }
    void ReleaseSurfaces() override { log_.Add("release"); }
    void RestoreSurfaces() override { log_.Add("restore"); }
    void MouseDown(TMouseButton b) override { log_.Add(b == mbLeft ? "down.left" : "down.right"); }
    void MouseUp() override { log_.Add("up"); }
    void MouseMove(int32_t x, int32_t y) override {
        log_.Add("move " + std::to_string(x) + "," + std::to_string(y));
    }
    void Wheel(bool down) override { log_.Add(down ? "wheel.down" : "wheel.up"); }
    void SetKeyState(int32_t vk, bool down) override {
        log_.Add((down ? "keystate+" : "keystate-") + std::to_string(vk));
    }
    void SetKeyPressed(int32_t vk) override { log_.Add("pressed " + std::to_string(vk)); }
    void ReleaseInput() override { log_.Add("releaseinput"); }

    int32_t ScaleValue = 100;
    TRect Present;
    TClipList Dirty;
    std::vector<TRect> NextDirty;
    IDisplayHost& Display() { return display_; }

private:
    TCallLog& log_;
    IDisplayHost& display_;
};

// Services with a fake scene and project of the given size; the pointers are filled as they are made.
struct TFakeGame {
    TCallLog Log;
    TFakeProject* Project = nullptr;
    TFakeScene* Scene = nullptr;
    int32_t Width = 64, Height = 48;
    bool FailStart = false;
    std::string Variables = "a\tint\t1\n";

    TGameServices Services() {
        TGameServices s;
        s.CreateParams = [this] { Log.Add("params"); };
        s.CreateSysFuncs = [this] { Log.Add("sysfuncs"); };
        s.FreeSysFuncs = [this] { Log.Add("sysfuncs.free"); };
        s.FreeParams = [this] { Log.Add("params.free"); };
        s.DumpVariables = [this] {
            Log.Add("dump");
            return Variables;
        };
        s.VobeInitialize = [this](IDisplayHost& d) {
            auto sc = std::make_unique<TFakeScene>(Log, d);
            Scene = sc.get();
            return sc;
        };
        s.VobeFinalize = [this] { Log.Add("vobefinalize"); };
        s.CreateProject = [this]() -> std::unique_ptr<IGameProject> {
            auto p = std::make_unique<TFakeProject>(Log, Width, Height);
            Project = p.get();
            if (FailStart) Terminating = true;
            return p;
        };
        s.MediaFinal = [this] { Log.Add("mediafinal"); };
        s.SuspendMedia = [this] { Log.Add("suspend"); };
        s.ResumeMedia = [this] { Log.Add("resume"); };
        return s;
    }
};

inline void ResetGlobals() {
    Terminating = false;
    GameClock = 0;
    FrameDelta = 0;
    FrameCount = 0;
    UseDirectSound = true;
    DelayTime = 500;
}

} // namespace vobe::test
