// The image map: a picture with hover pictures and named clickable regions read from a map file.
#pragma once

#include <memory>
#include <vector>

#include "framework/vobe_object.h"

namespace vobe {

class TDIBX;
class TStream;
class TVobeImageList;

// One clickable region of a map file, in the component's coordinates.
struct TMapRegion {
    uint8_t Shape = 0;          // 0 rectangle, 1 ellipse, other values a polygon
    TRect Bounds;               // rectangle and ellipse: left, top, right, bottom, all inclusive
    std::vector<TPoint> Points; // polygon corners

    bool Contains(int32_t x, int32_t y) const;
    // The pixels the region may cover (right and bottom exclusive).
    TRect BoxRect() const;
};

// Reads a map file: int32 count, then per region its name, shape and coordinates. Damaged data raises
// EVobeError naming what failed.
void ReadMapRegions(TStream& s, std::vector<TMapRegion>& regions, std::vector<std::string>& names);

class TVobeMapImage : public TVobeControl {
public:
    explicit TVobeMapImage(TVobeBaseList* owner);
    ~TVobeMapImage() override;

    std::string Source, HoverSource, MapSource;
    int32_t Alpha = 0; // the creating command sets it
    int32_t Brightness = 0;
    std::string MapInHandler, MapOutHandler;
    bool AutoScrap = false;
    bool RightClickScrap = false;
    std::string IdleHandler;
    bool Paused = false;
    std::string SelectHandler;
    std::vector<TMapRegion> Regions;
    std::vector<std::string> RegionNames;
    int32_t Hovered = -1; // region under the pointer
    bool Closing = false;
    int32_t CloseCounter = 0;

    std::unique_ptr<TVobeImageList> Pictures, Hovers;

    void Created() override;
    uint8_t GetCompoType() override { return ctMapImage; }
    // Closing ignores all input.
    bool IsSuspended() override { return Closing; }

    std::string GetSource() override { return Source; }
    void SetSource(const std::string& v) override;
    VOBE_VISUAL_PROPERTY(Int, Alpha, Alpha)
    VOBE_FIELD_PROPERTY(Flag, Paused, Paused)
    // The pictures loop.
    bool GetRepeat() override { return true; }
    int32_t GetBrightness() override { return Brightness; }
    void SetBrightness(int32_t v) override;
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

    // The first region holding the point (relative to the top-left corner), or -1.
    int32_t RegionAt(int32_t x, int32_t y) const;
    // Changes the hovered region with the map-out and map-in events.
    void SetHovered(int32_t index);
    // Selects the hovered region: @SelStr, @SelIndex, the select event, the closing with AutoScrap.
    void Select();

    void Draw() override;
    bool Update() override;
    void MouseMove() override;
    void MouseOut(TVobeObject* newTarget) override;
    void MouseLeftDown() override;
    void KeyRepeat() override;
    bool CancelByRightClick() override;
    void ReleaseSurfaces() override;
    void RestoreSurfaces() override;

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;

private:
    // Per frame: the picture's mask without the hovered region, the hover mask within it, and the region
    // each was made for.
    struct TDerivedMask {
        std::unique_ptr<TDIBX> Mask;
        int32_t Region = -2;
    };
    std::vector<TDerivedMask> FPictureMasks, FHoverMasks;

    void LoadPictures(TVobeImageList& list, const std::string& fileName);
    TCustomDIBX* DerivedMask(TVobeImageList& list, std::vector<TDerivedMask>& cache, bool inside);
    void InvalidateRegion(int32_t index);
    void StartClosing();
    void ClearSelection();
};

} // namespace vobe
