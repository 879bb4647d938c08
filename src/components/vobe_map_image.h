// The image map: a picture with hover pictures and named clickable regions read from a map file.
#pragma once

#include "framework/vobe_object.h"

namespace vobe {

class TVobeMapImage : public TVobeControl {
public:
    using TVobeControl::TVobeControl;

    std::string Source, HoverSource, MapSource;
    int32_t Alpha = 0; // the creating command sets it
    int32_t Brightness = 0;
    std::string MapInHandler, MapOutHandler;
    bool AutoScrap = false;
    bool RightClickScrap = false;
    std::string IdleHandler;
    bool Paused = false;
    std::string SelectHandler;
    int32_t Hovered = -1; // region under the pointer
    bool Closing = false;
    int32_t CloseCounter = 0;

    uint8_t GetCompoType() override { return ctMapImage; }
    // Closing ignores all input.
    bool IsSuspended() override { return Closing; }

    std::string GetSource() override { return Source; }
    void SetSource(const std::string& v) override;
    VOBE_VISUAL_PROPERTY(Int, Alpha, Alpha)
    VOBE_FIELD_PROPERTY(Flag, Paused, Paused)
    // The pictures loop.
    bool GetRepeat() override { return true; }
    VOBE_VISUAL_PROPERTY(Int, Brightness, Brightness)
    VOBE_FIELD_PROPERTY(Flag, AutoScrap, AutoScrap)
    VOBE_FIELD_PROPERTY(Flag, RClickScrap, RightClickScrap)
    std::string GetHoverSource() override { return HoverSource; }
    void SetHoverSource(const std::string& v) override;
    std::string GetMapSource() override { return MapSource; }
    void SetMapSource(const std::string& v) override;
    VOBE_FIELD_PROPERTY(Str, OnSelect, SelectHandler)
    VOBE_FIELD_PROPERTY(Str, OnMapIn, MapInHandler)
    VOBE_FIELD_PROPERTY(Str, OnMapOut, MapOutHandler)
    VOBE_FIELD_PROPERTY(Str, OnIdle, IdleHandler)

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;
};

} // namespace vobe
