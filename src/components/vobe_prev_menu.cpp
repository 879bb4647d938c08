#include "components/vobe_prev_menu.h"

#include "archive/stream.h"

namespace vobe {

// ---- TVobePrevImages -----------------------------------------------------------------------------

void TVobePrevImages::SetSource(const std::string& v) {
    if (v == Source) return;
    Alpha = 255;
    Angle = 0;
    ZoomX = ZoomY = 256;
    FlipH = FlipV = false;
    ClipWidth = ClipHeight = 0;
    TVobeImages::SetSource(v);
}

// ---- TVobePrevMenu -------------------------------------------------------------------------------

void TVobePrevMenu::SetSource(const std::string& v) {
    if (v == Source) return;
    Source = v;
    // The items are rebuilt from the menu file by the choice components; a new source starts empty.
    Hovered = -1;
    ItemNames.clear();
    Enabled.clear();
    ItemVisible.clear();
}

std::string TVobePrevMenu::GetText() {
    std::string t;
    for (size_t i = 0; i < ItemNames.size(); ++i) {
        if (i) t += "\r\n";
        t += ItemNames[i];
    }
    return t;
}

bool TVobePrevMenu::GetItemEnabled(int32_t index) {
    return index >= 0 && index < static_cast<int32_t>(Enabled.size()) && Enabled[static_cast<size_t>(index)];
}

void TVobePrevMenu::SetItemEnabled(int32_t index, bool value) {
    if (index < 0 || index >= static_cast<int32_t>(Enabled.size())) return;
    if ((Enabled[static_cast<size_t>(index)] != 0) == value) return;
    Enabled[static_cast<size_t>(index)] = value;
}

bool TVobePrevMenu::GetItemVisible(int32_t index) {
    return index >= 0 && index < static_cast<int32_t>(ItemVisible.size()) &&
           ItemVisible[static_cast<size_t>(index)];
}

void TVobePrevMenu::SetItemVisible(int32_t index, bool value) {
    if (index < 0 || index >= static_cast<int32_t>(ItemVisible.size())) return;
    if ((ItemVisible[static_cast<size_t>(index)] != 0) == value) return;
    ItemVisible[static_cast<size_t>(index)] = value;
}

void TVobePrevMenu::SaveToStream(TStream& s) {
    TVobeControl::SaveToStream(s);
    WriteStr(s, Source);
    WriteBool(s, AutoScrap);
    WriteBool(s, RClickScrap);
    WriteBool(s, Paused);
    for (const std::string* h :
         {&MapInHandler, &MapOutHandler, &IdleHandler, &SelectHandler, &PlayEndHandler})
        WriteStr(s, *h);
    WriteInt32(s, static_cast<int32_t>(Enabled.size()));
    for (uint8_t b : Enabled) WriteByte(s, b);
    WriteInt32(s, static_cast<int32_t>(ItemVisible.size()));
    for (uint8_t b : ItemVisible) WriteByte(s, b);
}

void TVobePrevMenu::LoadItemFlags(TStream& s, void (TVobePrevMenu::*apply)(int32_t, bool)) {
    const int32_t n = ReadRecordCount(s, 1, "menu item flag count");
    for (int32_t i = 0; i < n; ++i) {
        const bool flag = ReadByte(s) != 0;
        if (i < ItemCount()) (this->*apply)(i, flag);
    }
}

void TVobePrevMenu::LoadFromStream(TStream& s, int32_t version) {
    TVobeControl::LoadFromStream(s, version);
    SetSource(ReadStr(s));
    AutoScrap = ReadBool(s);
    RClickScrap = ReadBool(s);
    Paused = ReadBool(s);
    for (std::string* h : {&MapInHandler, &MapOutHandler, &IdleHandler, &SelectHandler, &PlayEndHandler})
        *h = ReadStr(s);
    if (version > 126) LoadItemFlags(s, &TVobePrevMenu::SetItemEnabled);
    if (version > 131) LoadItemFlags(s, &TVobePrevMenu::SetItemVisible);
}

} // namespace vobe
