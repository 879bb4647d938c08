#include "components/vobe_list_box.h"

#include <algorithm>

#include "archive/stream.h"
#include "components/vobe_label.h"
#include "framework/vobe_base_list.h"
#include "platform/cp932.h"
#include "platform/globals.h"

namespace vobe {

// ---- TLabelListSettings --------------------------------------------------------------------------

TLabelListSettings::TLabelListSettings() : FontName(SJ("ＭＳ Ｐゴシック")) {}

void TLabelListSettings::SaveSettings(TStream& s) const {
    WriteInt32(s, Antialias);
    WriteInt32(s, BorderWidth);
    WriteInt32(s, Alpha);
    WriteInt32(s, FontHeight);
    WriteStr(s, FontName);
    WriteInt32(s, FontColor);
    WriteInt32(s, BorderColor);
    WriteByte(s, Style);
    s.WriteBuffer(Metrics.data(), static_cast<int64_t>(Metrics.size()));
    WriteInt32(s, ShadowOffset);
    WriteInt32(s, ShadowColor);
}

void TLabelListSettings::LoadSettings(TStream& s, int32_t version) {
    Antialias = ReadInt32(s);
    if (version < 109) Antialias = Antialias > 1 ? 3 : 0;
    BorderWidth = ReadInt32(s);
    Alpha = ReadInt32(s);
    FontHeight = ReadInt32(s);
    FontName = ReadStr(s);
    FontColor = ReadInt32(s);
    BorderColor = ReadInt32(s);
    Style = ReadByte(s);
    s.ReadBuffer(Metrics.data(), static_cast<int64_t>(Metrics.size()));
    if (version >= 122) {
        ShadowOffset = ReadInt32(s);
        ShadowColor = ReadInt32(s);
    }
}

// ---- TVobeCustomListBox --------------------------------------------------------------------------

TVobeCustomListBox::TVobeCustomListBox(TVobeBaseList* owner) : TVobeControl(owner) {
    Color = -1;
}

void TVobeCustomListBox::SetFontName(const std::string& v) {
    SetFont(NormalLabels.FontName, v);
    SetFont(HoverLabels.FontName, v);
}

void TVobeCustomListBox::SetFontHeight(int32_t v) {
    SetFont(NormalLabels.FontHeight, v);
    SetFont(HoverLabels.FontHeight, v);
}

void TVobeCustomListBox::SetFontStyle(int32_t v) {
    SetFont(NormalLabels.Style, static_cast<uint8_t>(v));
    if (!HasHoverFont()) SetFont(HoverLabels.Style, static_cast<uint8_t>(v));
}

void TVobeCustomListBox::SetFontColor(int32_t v) {
    SetFont(NormalLabels.FontColor, v);
    if (!HasHoverFont()) SetFont(HoverLabels.FontColor, v);
}

void TVobeCustomListBox::SetAntialias(bool v) {
    SetFont(NormalLabels.Antialias, v ? 3 : 0);
    SetFont(HoverLabels.Antialias, v ? 3 : 0);
}

void TVobeCustomListBox::SetLineSpace(int32_t v) {
    SetFont(LineSpace, v);
}

void TVobeCustomListBox::SetTopIndex(int32_t v) {
    if (v < 0) v = 0;
    if (RowCount < ItemCount())
        v = static_cast<int32_t>(std::min<int64_t>(v, int64_t{ItemCount()} - RowCount));
    else
        v = 0;
    if (v == TopIndex) return;
    Invalidate();
    TopIndex = v;
    Invalidate();
}

void TVobeCustomListBox::SetText(const std::string& v) {
    Invalidate();
    // Control characters around the items are dropped; the last character is judged whole, so a
    // double-byte character whose trail byte is below 32 is never cut.
    size_t start = 0;
    while (start < v.size() && static_cast<unsigned char>(v[start]) < 32) ++start;
    std::vector<size_t> starts;
    for (size_t i = start; i < v.size();) {
        starts.push_back(i);
        i += IsDBCSLeadByte(static_cast<unsigned char>(v[i])) && i + 1 < v.size() ? 2 : 1;
    }
    size_t end = v.size();
    while (!starts.empty() && end - starts.back() == 1 && static_cast<unsigned char>(v[starts.back()]) < 32) {
        end = starts.back();
        starts.pop_back();
    }
    Text = v.substr(start, end - start);
    Items = SplitTextLines(Text);
    Checks.assign(Items.size(), 0);
    TopIndex = 0;
    NeedsRelayout = true;
}

std::string TVobeCustomListBox::GetBorderSource(int32_t cell) {
    return cell >= 0 && cell < 9 ? Cells[static_cast<size_t>(cell)].Source : std::string();
}

void TVobeCustomListBox::SetBorderSource(int32_t cell, const std::string& value) {
    if (cell >= 0 && cell < 9) SetFont(Cells[static_cast<size_t>(cell)].Source, value);
}

int32_t TVobeCustomListBox::GetBorderHAlign(int32_t cell) {
    return cell >= 0 && cell < 9 ? Cells[static_cast<size_t>(cell)].HAlign : 0;
}

void TVobeCustomListBox::SetBorderHAlign(int32_t cell, int32_t value) {
    if (cell >= 0 && cell < 9) SetVisual(Cells[static_cast<size_t>(cell)].HAlign, value);
}

int32_t TVobeCustomListBox::GetBorderVAlign(int32_t cell) {
    return cell >= 0 && cell < 9 ? Cells[static_cast<size_t>(cell)].VAlign : 0;
}

void TVobeCustomListBox::SetBorderVAlign(int32_t cell, int32_t value) {
    if (cell >= 0 && cell < 9) SetVisual(Cells[static_cast<size_t>(cell)].VAlign, value);
}

bool TVobeCustomListBox::GetItemCheck(int32_t index) {
    return index >= 0 && index < static_cast<int32_t>(Checks.size()) && Checks[static_cast<size_t>(index)];
}

void TVobeCustomListBox::SetItemCheck(int32_t index, bool value) {
    if (index < 0 || index >= static_cast<int32_t>(Checks.size())) return;
    if ((Checks[static_cast<size_t>(index)] != 0) == value) return;
    Checks[static_cast<size_t>(index)] = value;
    Invalidate();
}

void TVobeCustomListBox::SaveToStream(TStream& s) {
    TVobeControl::SaveToStream(s);
    NormalLabels.SaveSettings(s);
    HoverLabels.SaveSettings(s);
    WriteStr(s, Text);
    for (int32_t v : {LineSpace, Alpha, MarginX, MarginY, BorderWidth, BorderColor, RowCount})
        WriteInt32(s, v);
    for (const TListBoxCell& c : Cells) {
        WriteStr(s, c.Source);
        WriteByte(s, c.HAlign);
        WriteByte(s, c.VAlign);
    }
    WriteStr(s, ScrollSource);
    WriteStr(s, CheckSource);
    WriteInt32(s, TopIndex);
    WriteByte(s, HAlign);
    for (uint8_t c : Checks) WriteByte(s, c);
    WriteStr(s, SelectHandler);
    WriteBool(s, Paused);
    WriteInt32(s, Index);
    WriteInt32(s, Phase);
    WriteStr(s, IdleHandler);
    WriteStr(s, MapInHandler);
    WriteStr(s, MapOutHandler);
}

void TVobeCustomListBox::LoadFromStream(TStream& s, int32_t version) {
    TVobeControl::LoadFromStream(s, version);
    NormalLabels.LoadSettings(s, version);
    HoverLabels.LoadSettings(s, version);
    SetText(ReadStr(s));
    for (int32_t* v : {&LineSpace, &Alpha, &MarginX, &MarginY, &BorderWidth, &BorderColor, &RowCount})
        *v = ReadInt32(s);
    for (TListBoxCell& c : Cells) {
        c.Source = ReadStr(s);
        c.HAlign = ReadByte(s);
        c.VAlign = ReadByte(s);
    }
    ScrollSource = ReadStr(s);
    CheckSource = ReadStr(s);
    TopIndex = ReadInt32(s);
    if (version < 104) ReadByte(s);
    HAlign = ReadByte(s);
    if (static_cast<int64_t>(Checks.size()) > s.Remaining())
        RaiseObjectStreamError("list check marks " + std::to_string(Checks.size()));
    for (uint8_t& c : Checks) c = ReadByte(s);
    SelectHandler = ReadStr(s);
    Paused = ReadBool(s);
    Index = ReadInt32(s);
    Phase = ReadInt32(s);
    if (version > 130) IdleHandler = ReadStr(s);
    if (version > 133) {
        MapInHandler = ReadStr(s);
        MapOutHandler = ReadStr(s);
    }
    NeedsRelayout = true;
}

// ---- TVobeMenu -----------------------------------------------------------------------------------

TVobeMenu::TVobeMenu(TVobeBaseList* owner) : TVobeCustomListBox(owner) {}

TVobeMenu::~TVobeMenu() {
    if (Owner) Owner->RightClickList.Remove(this);
}

void TVobeMenu::Created() {
    TVobeCustomListBox::Created();
    if (Owner) Owner->RightClickList.Add(this);
}

void TVobeMenu::SetPlayState(int32_t state) {
    const int32_t n = state == 1 ? 0 : state == 3 ? 2 : state;
    if (n == PlayState) return;
    PlayState = static_cast<uint8_t>(state);
    const bool open = state == 0 || state == 1;
    if (open) {
        if (Owner && GetVisible() && !Paused && HandleKey) Owner->SetFocus(this);
    } else if (Owner && Owner->Focused == this) {
        Owner->RequestRefocus();
    }
    switch (state) {
    case 0:
        NeedsRelayout = true;
        Phase = 0;
        PostEvent(PR_ONOPENING, OpeningHandler, {}, false);
        PostEvent(PR_ONOPENED, OpenedHandler, {}, false);
        break;
    case 1: Phase = 100; break;
    case 2:
        SetHeight(0);
        Phase = 0;
        PostEvent(PR_ONCLOSING, ClosingHandler, {}, false);
        PostEvent(PR_ONCLOSED, ClosedHandler, {}, false);
        break;
    case 3: Phase = 200; break;
    default: break;
    }
}

void TVobeMenu::SaveToStream(TStream& s) {
    TVobeCustomListBox::SaveToStream(s);
    WriteInt32(s, Delay);
    WriteInt32(s, HoverColor);
    WriteBool(s, AutoScrap);
    WriteBool(s, RClickScrap);
    WriteByte(s, PlayState);
    for (const std::string* h : {&OpeningHandler, &OpenedHandler, &ClosingHandler, &ClosedHandler})
        WriteStr(s, *h);
}

void TVobeMenu::LoadFromStream(TStream& s, int32_t version) {
    TVobeCustomListBox::LoadFromStream(s, version);
    Delay = ReadInt32(s);
    HoverColor = ReadInt32(s);
    AutoScrap = ReadBool(s);
    RClickScrap = ReadBool(s);
    PlayState = ReadByte(s);
    for (std::string* h : {&OpeningHandler, &OpenedHandler, &ClosingHandler, &ClosedHandler}) *h = ReadStr(s);
    FullHeight = Height;
    StartTime = GameClock;
}

} // namespace vobe
