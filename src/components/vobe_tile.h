// The tiled pattern: one picture repeated over the control, scrolled and spaced.
#pragma once

#include <memory>

#include "components/vobe_images.h"

namespace vobe {

class TVobeTile : public TVobeCustomImages {
public:
    explicit TVobeTile(TVobeBaseList* owner);
    ~TVobeTile() override;

    std::string Source;
    int32_t ScrollX = 0, ScrollY = 0;
    std::string IdleHandler;
    int32_t DistanceX = 0, DistanceY = 0;

    uint8_t GetCompoType() override { return ctTile; }
    // The size never follows the picture.
    bool IsAutoSized() override { return false; }

    std::string GetSource() override { return Source; }
    void SetSource(const std::string& v) override;
    // A tile always repeats.
    bool GetRepeat() override { return true; }
    VOBE_VISUAL_PROPERTY(Int, ScrollX, ScrollX)
    VOBE_VISUAL_PROPERTY(Int, ScrollY, ScrollY)
    VOBE_VISUAL_PROPERTY(Int, DistanceX, DistanceX)
    VOBE_VISUAL_PROPERTY(Int, DistanceY, DistanceY)
    VOBE_FIELD_PROPERTY(Str, OnIdle, IdleHandler)

    TVobeImageList* GetImageList() override { return FList.get(); }
    // The picture repeated over the control, scrolled, spaced and zoomed.
    void Render() override;

    // Placed by Left/Top (MotionX/Y with a motion) inside the parent's scrolled area; neither the
    // offset nor the zoom moves it.
    int32_t GetScreenLeft() override;
    int32_t GetScreenTop() override;
    int32_t GetLocalLeft() override;
    int32_t GetLocalTop() override;

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;

private:
    std::unique_ptr<TVobeImageList> FList;
};

} // namespace vobe
