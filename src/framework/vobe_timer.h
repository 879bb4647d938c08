// The timer component: posts its notify event at a fixed period.
#pragma once

#include "framework/vobe_object.h"

namespace vobe {

class TVobeTimer : public TVobeComponent {
public:
    explicit TVobeTimer(TVobeBaseList* owner);

    std::string NotifyHandler;
    int32_t Delay = 0; // period in ms; 0 = every frame; negative = never
    bool Paused = false;
    bool AutoScrap = false; // delete once the first notification has been handled
    bool Fired = false;     // a notification was posted at least once
    int32_t LastTime = 0;   // start of the current period (GameClock)

    uint8_t GetCompoType() override { return ctTimer; }

    int32_t GetDelay() override { return Delay; }
    void SetDelay(int32_t v) override;
    bool GetPaused() override { return Paused; }
    void SetPaused(bool v) override;
    std::string GetOnNotify() override { return NotifyHandler; }
    void SetOnNotify(const std::string& v) override;
    VOBE_FIELD_PROPERTY(Flag, AutoScrap, AutoScrap)

    // Drops the pending notification and starts a new period now.
    void Restart() override;
    bool Update() override;

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;
};

} // namespace vobe
