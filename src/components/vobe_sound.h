// The sound component: one music, voice or effect file (or CD track) with volume, pan, fades and
// loops. The media item that plays it comes from the media managers.
#pragma once

#include "framework/vobe_object.h"

namespace vobe {

// PR_VOLUME (0-1000) as an item volume in hundredths of a decibel: MIDI items map linearly from
// -10000, the others over the upper half of the range (0 and below is silence).
int32_t MapVolume(int32_t volume, bool midi);

class TVobeSound : public TVobeComponent {
public:
    using TVobeComponent::TVobeComponent;

    std::string Source;    // a project file, or "CD_" and a track number
    uint8_t PlayState = 2; // 0 playing, 1 fading in, 2 stopped, 3 fading out
    bool Repeat = false;
    bool Paused = false;
    int32_t Volume = 0;
    int32_t Balance = 0;
    int32_t Delay = 0; // fade duration in ms
    int32_t StartPosition = 0;
    bool AutoScrap = false;
    std::string PlayEndHandler;
    bool AniPaused = false;
    bool Ended = false;
    bool RewindOnLoad = false;
    bool MuteOnLoad = false;

    uint8_t GetCompoType() override { return ctSound; }

    std::string GetSource() override { return Source; }
    void SetSource(const std::string& v) override;
    VOBE_FIELD_PROPERTY(Int, Delay, Delay)
    bool GetPaused() override { return Paused; }
    void SetPaused(bool v) override;
    VOBE_FIELD_PROPERTY(Int, Volume, Volume)
    VOBE_FIELD_PROPERTY(Flag, Repeat, Repeat)
    int32_t GetBalance() override { return Balance; }
    void SetBalance(int32_t v) override;
    // The item's position (0 without an item); setting it is the start position.
    int32_t GetIndex() override { return 0; }
    void SetIndex(int32_t v) override { StartPosition = v; }
    // The length in ms (0 without an item).
    int32_t GetCount() override { return 0; }
    VOBE_FIELD_PROPERTY(Str, OnPlayEnd, PlayEndHandler)
    VOBE_FIELD_PROPERTY(Flag, AutoScrap, AutoScrap)
    void SetAniPaused(bool v) override;
    // The item is playing (false without an item).
    bool GetPlaying() override { return false; }
    VOBE_FIELD_PROPERTY(Flag, RewindOnLoad, RewindOnLoad)
    VOBE_FIELD_PROPERTY(Flag, MuteOnLoad, MuteOnLoad)
    int32_t GetPlayState() override { return PlayState; }
    void SetPlayState(int32_t state) override;

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;
};

} // namespace vobe
