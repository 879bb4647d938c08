// The filled box: a rectangle of the control's colour with an optional frame, and an optional .vmt
// motion that moves it.
#pragma once

#include "framework/vobe_object.h"

namespace vobe {

class TVobeBox : public TVobeControl {
public:
    using TVobeControl::TVobeControl;

    int32_t BorderWidth = 0;
    int32_t BorderColor = 0;
    int32_t Alpha = 255;
    std::string IdleHandler;
    std::string Source; // a .vmt motion or ""
    bool Repeat = false;
    bool AutoScrap = false;
    std::string PlayEndHandler;
    bool Paused = false;

    uint8_t GetCompoType() override { return ctBox; }

    std::string GetSource() override { return Source; }
    void SetSource(const std::string& v) override;
    VOBE_VISUAL_PROPERTY(Int, BorderWidth, BorderWidth)
    VOBE_VISUAL_PROPERTY(Int, BorderColor, BorderColor)
    VOBE_VISUAL_PROPERTY(Int, Alpha, Alpha)
    VOBE_FIELD_PROPERTY(Flag, Paused, Paused)
    bool GetRepeat() override { return Repeat; }
    void SetRepeat(bool v) override;
    VOBE_FIELD_PROPERTY(Str, OnPlayEnd, PlayEndHandler)
    VOBE_FIELD_PROPERTY(Flag, AutoScrap, AutoScrap)
    VOBE_FIELD_PROPERTY(Str, OnIdle, IdleHandler)

    // The frame along the inside of the rectangle in BorderColor, the fill inside it (or of the whole
    // rectangle without a frame) in Color, by the alpha convention; a negative colour is transparent.
    void Draw() override;

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;
};

// The extension of a file name is ".vmt", in any case.
bool IsMotionFile(const std::string& fileName);
// The extension of a file name is ".vsk", in any case.
bool IsPictureFile(const std::string& fileName);

} // namespace vobe
