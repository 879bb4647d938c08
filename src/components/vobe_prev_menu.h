// The preview menu: picture buttons laid out by a preview-menu file, whose items and overlays are
// TVobePrevImages children.
#pragma once

#include <vector>

#include "components/vobe_images.h"

namespace vobe {

// An item or overlay picture of a preview menu; saved as a plain TVobeImages (code 8).
class TVobePrevImages : public TVobeImages {
public:
    using TVobeImages::TVobeImages;

    // A new source starts from the plain picture state: no alpha, rotation, zoom, flips or clipping.
    void SetSource(const std::string& v) override;
};

class TVobePrevMenu : public TVobeControl {
public:
    using TVobeControl::TVobeControl;

    std::string Source;
    bool Paused = false, AutoScrap = false, RClickScrap = false;
    std::string SelectHandler, IdleHandler, MapInHandler, MapOutHandler, PlayEndHandler;
    // The items are built from the menu file: their names, one byte per item in Enabled and
    // ItemVisible.
    std::vector<std::string> ItemNames;
    int32_t Hovered = -1;
    int32_t PressedItem = 0;
    int32_t Running = 0; // selection animations still playing
    std::vector<uint8_t> Enabled;
    std::vector<uint8_t> ItemVisible;

    uint8_t GetCompoType() override { return ctPrevMenu; }
    int32_t ItemCount() const { return static_cast<int32_t>(ItemNames.size()); }

    std::string GetSource() override { return Source; }
    void SetSource(const std::string& v) override;
    VOBE_FIELD_PROPERTY(Flag, Paused, Paused)
    int32_t GetCount() override { return ItemCount(); }
    // The item names, joined by CR LF.
    std::string GetText() override;
    VOBE_FIELD_PROPERTY(Str, OnPlayEnd, PlayEndHandler)
    VOBE_FIELD_PROPERTY(Flag, AutoScrap, AutoScrap)
    VOBE_FIELD_PROPERTY(Flag, RClickScrap, RClickScrap)
    VOBE_FIELD_PROPERTY(Str, OnSelect, SelectHandler)
    VOBE_FIELD_PROPERTY(Str, OnMapIn, MapInHandler)
    VOBE_FIELD_PROPERTY(Str, OnMapOut, MapOutHandler)
    VOBE_FIELD_PROPERTY(Str, OnIdle, IdleHandler)

    // Outside the items the getters answer false and the setters do nothing.
    bool GetItemEnabled(int32_t index) override;
    void SetItemEnabled(int32_t index, bool value) override;
    bool GetItemVisible(int32_t index) override;
    void SetItemVisible(int32_t index, bool value) override;

    void SaveToStream(TStream& s) override;
    void LoadFromStream(TStream& s, int32_t version) override;

protected:
    // Reads the item flags of a save: n bytes, the first min(n, items) applied by `apply`.
    void LoadItemFlags(TStream& s, void (TVobePrevMenu::*apply)(int32_t, bool));
};

} // namespace vobe
