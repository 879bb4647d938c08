#include "components/vobe_images.h"

#include <climits>

#include "archive/stream.h"
#include "components/vask_man.h"
#include "components/vobe_box.h"
#include "framework/vobe_motion.h"
#include "graphics/dibx.h"
#include "platform/error.h"
#include "platform/globals.h"
#include "values/param.h"
#include "values/vobe_parser.h"

namespace vobe {

// ---- TVobeCustomImages ---------------------------------------------------------------------------

TVobeCustomImages::TVobeCustomImages(TVobeBaseList* owner)
    : TVobeCustomImage(owner), LastFrameWait(std::make_unique<TVobeParser>()) {}

TVobeCustomImages::~TVobeCustomImages() = default;

TVobeImageList* TVobeCustomImages::GetImageList() {
    return nullptr;
}

int32_t TVobeCustomImages::FrameCount() {
    TVobeImageList* l = GetImageList();
    return l ? l->Count() : 0;
}

void TVobeCustomImages::DropLent() {
    LentPicture = nullptr;
    LentMask = nullptr;
}

void TVobeCustomImages::LoadList(TVobeImageList& list, const std::string& fileName) {
    list.Clear();
    if (IsPictureFile(fileName)) list.Load(this, fileName, false);
}

void TVobeCustomImages::ShowCurrentFrame() {
    TVobeImageList* l = GetImageList();
    TVobeImageData* d = l && ValidIndex() ? l->Data(Current) : nullptr;
    if (!d) {
        DropLent();
        return;
    }
    d->SetBrightness(Brightness);
    LentPicture = d->GetPicture();
    LentMask = d->GetMask();
}

void TVobeCustomImages::SetPaused(bool v) {
    if (v == Paused) return;
    Paused = v;
    Remaining = 0;
}

void TVobeCustomImages::SetBrightness(int32_t v) {
    if (v == Brightness) return;
    Brightness = v;
    ShowCurrentFrame();
    Invalidate();
}

void TVobeCustomImages::SetIndex(int32_t v) {
    if (GetMotion()) {
        // A motion counts in frames of 60 per second.
        Current = v;
        return;
    }
    if (!ValidIndex())
        Remaining = 0;
    else
        Invalidate();
    Current = v;
    ShowCurrentFrame();
    if (ValidIndex()) {
        TVobeImageData* d = GetImageList()->Data(Current);
        const int64_t duration = d && d->Shared ? d->Shared->Duration : 1;
        int64_t r = int64_t{Remaining} + duration;
        if (Current == FrameCount() - 1 && FrameCount() > 1) {
            LastFrameWait->Execute();
            if (TCustomParam* wait = LastFrameWait->Result()) r += wait->GetAsInt();
        }
        Remaining = static_cast<int32_t>(std::clamp<int64_t>(r, INT32_MIN, INT32_MAX));
        AutoSize();
    }
    Invalidate();
}

void TVobeCustomImages::SetVisible(bool v) {
    if (v != Visible) Remaining = 0;
    TVobeCustomImage::SetVisible(v);
}

bool TVobeCustomImages::GetPlaying() {
    if (Paused || AniPaused) return false;
    if (TVobeMotion* m = GetMotion()) return !m->IsFinished();
    const bool atEnd = !GetRepeat() && Current == FrameCount() - 1 && Remaining < 1;
    return !atEnd;
}

bool TVobeCustomImages::Update() {
    if (TVobeCustomImage::Update()) return true;
    if (GetMotion() || !ValidIndex() || !GetVisible() || Paused || AniPaused) return false;
    const int32_t n = FrameCount();
    // The end of a film that does not repeat is reported once.
    if (!GetRepeat() && Current == n - 1 && Remaining < 1) return false;
    Remaining = static_cast<int32_t>(std::max<int64_t>(int64_t{Remaining} - FrameDelta, INT32_MIN));
    while (Remaining < 1) {
        if (Current < n - 1) {
            // Two frames drop the overshoot; longer films carry it over.
            if (n <= 2) Remaining = 0;
            SetIndex(Current + 1);
            continue;
        }
        if (GetRepeat()) {
            Remaining = 0;
            SetIndex(0);
            if (Remaining < 1) break; // a frame of no time cannot loop forever
            continue;
        }
        if (GetAutoScrap()) return true;
        PostEvent(PR_ONPLAYEND, GetOnPlayEnd());
        break;
    }
    return false;
}

void TVobeCustomImages::ReleaseSurfaces() {
    TVobeCustomImage::ReleaseSurfaces();
    if (TVobeImageList* l = GetImageList()) l->ReleaseSurfaces();
}

void TVobeCustomImages::RestoreSurfaces() {
    TVobeCustomImage::RestoreSurfaces();
    if (TVobeImageList* l = GetImageList()) l->RestoreSurfaces();
    ShowCurrentFrame();
    Invalidate();
}

void TVobeCustomImages::SaveToStream(TStream& s) {
    TVobeCustomImage::SaveToStream(s);
    WriteInt32(s, Remaining);
    WriteInt32(s, Current);
    WriteInt32(s, Brightness);
    WriteBool(s, Paused);
    LastFrameWait->SaveToStream(s);
}

void TVobeCustomImages::LoadFromStream(TStream& s, int32_t version) {
    TVobeCustomImage::LoadFromStream(s, version);
    Remaining = ReadInt32(s);
    Current = ReadInt32(s);
    Brightness = ReadInt32(s);
    Paused = ReadBool(s);
    LastFrameWait->LoadFromStream(s);
}

// ---- TVobeImages ---------------------------------------------------------------------------------

TVobeImages::TVobeImages(TVobeBaseList* owner) : TVobeCustomImages(owner) {}

TVobeImages::~TVobeImages() {
    // The lent pictures belong to the lists.
    DropLent();
    FLists.clear();
}

TVobeImageList* TVobeImages::ImageList(int32_t i) {
    if (i < 0 || i >= ImageListCount()) return nullptr;
    while (static_cast<int32_t>(FLists.size()) <= i) FLists.push_back(std::make_unique<TVobeImageList>());
    return FLists[static_cast<size_t>(i)].get();
}

void TVobeImages::SetSource(const std::string& v) {
    if (v == Source) return;
    Source = v;
    Invalidate();
    const bool shown = GetState() == 0;
    if (shown) {
        Current = -1;
        DropLent();
    }
    TVobeImageList* list = ImageList(0);
    list->Clear();
    Motion.reset();
    if (IsPictureFile(v)) {
        LoadList(*list, v);
    } else if (IsMotionFile(v)) {
        SetMotion(v);
    } else {
        Width = Height = 0;
    }
    if (shown && list->Count() > 0) SetIndex(0);
    Invalidate();
}

void TVobeImages::SetRepeat(bool v) {
    Repeat = v;
    if (!v) return;
    TVobeMotion* m = GetMotion();
    if (m && m->IsFinished())
        RestartMotion();
    else if (!m && !ValidIndex())
        SetIndex(0);
}

void TVobeImages::SaveToStream(TStream& s) {
    TVobeCustomImages::SaveToStream(s);
    WriteBool(s, Repeat);
    WriteBool(s, AutoScrap);
    WriteStr(s, Source);
    WriteStr(s, PlayEndHandler);
    WriteStr(s, IdleHandler);
}

void TVobeImages::LoadFromStream(TStream& s, int32_t version) {
    TVobeCustomImages::LoadFromStream(s, version);
    const int32_t current = Current;
    const int32_t remaining = Remaining;
    Repeat = ReadBool(s);
    AutoScrap = ReadBool(s);
    const std::string source = ReadStr(s);
    Source.clear();
    Current = -1;
    SetSource(source);
    PlayEndHandler = ReadStr(s);
    if (version > 103) IdleHandler = ReadStr(s);
    Remaining = 0;
    Current = -1;
    SetIndex(current);
    Remaining = remaining;
}

} // namespace vobe
