// Animated pictures: the frame-list core TVobeCustomImages (current frame, frame time, brightness,
// the wait expression of the last frame) and TVobeImages, which shows the frames of one file or a
// .vmt motion.
#pragma once

#include <memory>
#include <vector>

#include "components/vobe_image.h"

namespace vobe {

class TVobeParser;
class TVobeImageList;

class TVobeCustomImages : public TVobeCustomImage {
public:
    explicit TVobeCustomImages(TVobeBaseList* owner);
    ~TVobeCustomImages() override;

    int32_t Remaining = 0;  // milliseconds left on the current frame
    int32_t Current = -1;   // PR_INDEX
    int32_t Brightness = 0; // signed: added to (or subtracted from) every frame
    bool Paused = false;
    std::unique_ptr<TVobeParser> LastFrameWait; // evaluated when the last frame is reached

    // The list that holds the frames being shown (null when there is none).
    virtual TVobeImageList* GetImageList();
    // Frames of the image list being shown (0 while none is loaded).
    virtual int32_t FrameCount();
    // Lends the picture of the current frame (none for an invalid index), with the brightness applied.
    void ShowCurrentFrame();
    // The current index names a frame.
    bool ValidIndex() { return Current >= 0 && Current < FrameCount(); }

    bool GetPaused() override { return Paused; }
    void SetPaused(bool v) override;
    int32_t GetBrightness() override { return Brightness; }
    void SetBrightness(int32_t v) override;
    int32_t GetIndex() override { return Current; }
    void SetIndex(int32_t v) override;
    int32_t GetCount() override { return FrameCount(); }
    void SetVisible(bool v) override;
    bool GetPlaying() override;

    bool Update() override;
    void ReleaseSurfaces() override;
    void RestoreSurfaces() override;
    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;

protected:
    // Drops the lent picture and mask.
    void DropLent();
    // Loads the frames of a .vsk file into the list (nothing for other names).
    void LoadList(TVobeImageList& list, const std::string& fileName);
};

class TVobeImages : public TVobeCustomImages {
public:
    explicit TVobeImages(TVobeBaseList* owner);
    ~TVobeImages() override;

    bool Repeat = false;
    bool AutoScrap = false;
    std::string Source;
    std::string PlayEndHandler;
    std::string IdleHandler;

    uint8_t GetCompoType() override { return ctImages; }

    // The image list being shown: always 0 here (buttons have four).
    virtual int32_t GetState() { return 0; }
    virtual void SetState(int32_t) {}
    virtual int32_t ImageListCount() { return 1; }
    // Image list i (made on first use; null beyond ImageListCount).
    TVobeImageList* ImageList(int32_t i);
    TVobeImageList* GetImageList() override { return ImageList(GetState()); }

    std::string GetSource() override { return Source; }
    void SetSource(const std::string& v) override;
    bool GetRepeat() override { return Repeat; }
    void SetRepeat(bool v) override;
    VOBE_FIELD_PROPERTY(Str, OnPlayEnd, PlayEndHandler)
    VOBE_FIELD_PROPERTY(Flag, AutoScrap, AutoScrap)
    VOBE_FIELD_PROPERTY(Str, OnIdle, IdleHandler)

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;

protected:
    std::vector<std::unique_ptr<TVobeImageList>> FLists;
};

} // namespace vobe
