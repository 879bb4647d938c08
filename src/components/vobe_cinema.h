// The cinema: plays a .vcm film inside its rectangle (through a private scene) or straight into the
// scene it belongs to.
#pragma once

#include <memory>

#include "framework/vobe_object.h"

namespace vobe {

class TVobeCinema : public TVobeControl {
public:
    explicit TVobeCinema(TVobeBaseList* owner);
    ~TVobeCinema() override;

    std::unique_ptr<TVobeBaseList> Scene; // the private scene a film with its own bases plays in
    std::string Source;
    int32_t ElapsedMs = 0;
    bool Repeat = false, Paused = false, AutoScrap = false;
    std::string PlayEndHandler, IdleHandler;
    bool Ended = false;    // the end was reported
    int32_t WarmUp = 2;    // 2 after loading or seeking
    int32_t Volume = 1000; // the film's master volume in per mille
    bool RewindOnLoad = false, MuteOnLoad = false;
    int32_t FrameRate = 60; // film ticks per second

    uint8_t GetCompoType() override { return ctCinema; }

    std::string GetSource() override { return Source; }
    void SetSource(const std::string& v) override;
    // The size of the private scene.
    void SetWidth(int32_t v) override;
    void SetHeight(int32_t v) override;
    VOBE_FIELD_PROPERTY(Flag, Paused, Paused)
    int32_t GetVolume() override { return Volume; }
    void SetVolume(int32_t v) override { Volume = v < 0 ? 0 : v; }
    bool GetRepeat() override { return Repeat; }
    void SetRepeat(bool v) override;
    // The film's time (0 without a film); setting it seeks.
    int32_t GetIndex() override { return 0; }
    void SetIndex(int32_t v) override;
    // The film's length (0 without a film).
    int32_t GetCount() override { return 0; }
    VOBE_FIELD_PROPERTY(Str, OnPlayEnd, PlayEndHandler)
    VOBE_FIELD_PROPERTY(Flag, AutoScrap, AutoScrap)
    VOBE_FIELD_PROPERTY(Str, OnIdle, IdleHandler)
    bool GetPlaying() override;
    VOBE_FIELD_PROPERTY(Flag, RewindOnLoad, RewindOnLoad)
    VOBE_FIELD_PROPERTY(Flag, MuteOnLoad, MuteOnLoad)

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;
};

} // namespace vobe
