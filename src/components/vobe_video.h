// The video component: one video shown as an overlay over the panel or as frames copied into its
// picture. The media item comes from the video manager.
#pragma once

#include "components/vobe_image.h"

namespace vobe {

class TVobeVideo : public TVobeCustomImage {
public:
    using TVobeCustomImage::TVobeCustomImage;

    std::string Source;
    uint8_t PlayState = 2;
    bool Repeat = false, Paused = false;
    int32_t Volume = 0, Balance = 0;
    int32_t Delay = 0;
    int32_t StartPosition = 0;
    bool AutoScrap = false;
    std::string PlayEndHandler, IdleHandler;
    int32_t StartTime = 0;
    bool RewindOnLoad = false, MuteOnLoad = false;
    bool Overlay = true; // shown through the video renderer's own rectangle
    int32_t LastFrameCheck = 0;

    uint8_t GetCompoType() override { return ctVideo; }
    // The overlay follows every change of the placement.
    virtual void PlaceOverlay() {}

    std::string GetSource() override { return Source; }
    void SetSource(const std::string& v) override;
    void SetLeft(int32_t v) override;
    void SetTop(int32_t v) override;
    void SetZoomX(int32_t v) override;
    void SetZoomY(int32_t v) override;
    void SetOffsetX(int32_t v) override;
    void SetOffsetY(int32_t v) override;
    void SetVisible(bool v) override;
    void SetPlusX(int32_t v) override;
    void SetPlusY(int32_t v) override;
    VOBE_FIELD_PROPERTY(Int, Delay, Delay)
    VOBE_FIELD_PROPERTY(Flag, Paused, Paused)
    VOBE_FIELD_PROPERTY(Int, Volume, Volume)
    VOBE_FIELD_PROPERTY(Flag, Repeat, Repeat)
    int32_t GetBalance() override { return Balance; }
    void SetBalance(int32_t v) override;
    // The item's position and length (0 without an item).
    int32_t GetIndex() override { return 0; }
    void SetIndex(int32_t v) override { StartPosition = v; }
    int32_t GetCount() override { return 0; }
    VOBE_FIELD_PROPERTY(Str, OnPlayEnd, PlayEndHandler)
    VOBE_FIELD_PROPERTY(Flag, AutoScrap, AutoScrap)
    VOBE_FIELD_PROPERTY(Str, OnIdle, IdleHandler)
    void SetAniPaused(bool v) override { AniPaused = v; }
    bool GetPlaying() override;
    VOBE_FIELD_PROPERTY(Flag, RewindOnLoad, RewindOnLoad)
    VOBE_FIELD_PROPERTY(Flag, Overlay, Overlay)
    VOBE_FIELD_PROPERTY(Flag, MuteOnLoad, MuteOnLoad)
    int32_t GetPlayState() override { return PlayState; }
    void SetPlayState(int32_t state) override { PlayState = static_cast<uint8_t>(state); }

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;
};

} // namespace vobe
