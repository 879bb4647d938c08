#include "components/vobe_mes.h"

#include "platform/cp932.h"

namespace vobe {

// ---- TMesLayoutSettings --------------------------------------------------------------------------

TMesLayoutSettings::TMesLayoutSettings() : FontName(SJ("ＭＳ ゴシック")) {}

void TMesLayoutSettings::SaveSettings(TStream& s) const {
    WriteInt32(s, OriginX);
    WriteInt32(s, OriginY);
    WriteInt32(s, FontSize);
    WriteStr(s, FontName);
    for (int32_t v : {FontColor, Height, Width, Antialias, LineSpace}) WriteInt32(s, v);
    WriteBool(s, Paging);
    for (int32_t v : {LinkColor, HoverColor, FadeTime, BorderColor, Alpha}) WriteInt32(s, v);
    WriteBool(s, TextPaused);
    WriteInt32(s, CaretX);
    WriteInt32(s, CaretY);
    WriteInt32(s, TextRate);
    WriteBool(s, Events);
    WriteInt32(s, ShadowColor);
    WriteInt32(s, BorderWidth);
    WriteInt32(s, ShadowOffset);
}

void TMesLayoutSettings::LoadSettings(TStream& s, int32_t version) {
    OriginX = ReadInt32(s);
    OriginY = ReadInt32(s);
    FontSize = ReadInt32(s);
    FontName = ReadStr(s);
    for (int32_t* v : {&FontColor, &Height, &Width, &Antialias, &LineSpace}) *v = ReadInt32(s);
    Paging = ReadBool(s);
    for (int32_t* v : {&LinkColor, &HoverColor, &FadeTime, &BorderColor, &Alpha}) *v = ReadInt32(s);
    TextPaused = ReadBool(s);
    CaretX = ReadInt32(s);
    CaretY = ReadInt32(s);
    TextRate = ReadInt32(s);
    Events = ReadBool(s);
    if (version >= 110) ShadowColor = ReadInt32(s);
    if (version > 110) {
        BorderWidth = ReadInt32(s);
        ShadowOffset = ReadInt32(s);
    }
}

// ---- TVobeHistData -------------------------------------------------------------------------------

void TVobeHistData::Add(const std::string& page, int32_t command, int32_t firstLine, int32_t lastLine,
                        int32_t length, const std::string& frozenText) {
    std::string stored = page;
    for (size_t i = Page.size(); i-- > 0;) {
        if (Page[i].empty()) continue;
        if (AnsiSameText(Page[i], page)) stored.clear();
        break;
    }
    Page.push_back(stored);
    Command.push_back(command);
    FirstLine.push_back(firstLine);
    LastLine.push_back(lastLine);
    Length.push_back(length);
    FrozenText.push_back(frozenText);
    TotalLength += length;
}

void TVobeHistData::Clear() {
    Page.clear();
    Command.clear();
    FirstLine.clear();
    LastLine.clear();
    Length.clear();
    FrozenText.clear();
    TotalLength = 0;
}

void TVobeHistData::SaveToStream(TStream& s) const {
    WriteInt32(s, Count());
    for (int32_t i = 0; i < Count(); ++i) {
        const size_t k = static_cast<size_t>(i);
        WriteStr(s, Page[k]);
        WriteInt32(s, Command[k]);
        WriteInt32(s, FirstLine[k]);
        WriteInt32(s, LastLine[k]);
        WriteInt32(s, Length[k]);
        WriteStr(s, FrozenText[k]);
    }
    WriteInt32(s, TotalLength);
}

void TVobeHistData::LoadFromStream(TStream& s, int32_t version) {
    Clear();
    const int32_t n = ReadRecordCount(s, 20, "text segment count");
    for (int32_t i = 0; i < n; ++i) {
        Page.push_back(ReadStr(s));
        Command.push_back(ReadInt32(s));
        FirstLine.push_back(ReadInt32(s));
        LastLine.push_back(ReadInt32(s));
        Length.push_back(ReadInt32(s));
        FrozenText.push_back(version > 123 ? ReadStr(s) : std::string());
    }
    TotalLength = ReadInt32(s);
}

void TVobeNewMesData::ClearOld() {
    OldPages.clear();
    OldCommands.clear();
    OldIndices.clear();
    OldSizes.clear();
}

// ---- TVobeMes ------------------------------------------------------------------------------------

TVobeMes::TVobeMes(TVobeBaseList* owner) : TVobeControl(owner) {}
TVobeMes::~TVobeMes() = default;

void TVobeMes::SetWidth(int32_t v) {
    TVobeControl::SetWidth(v);
    if (Layout.Width != v) {
        Layout.Width = v;
        NeedsReset = true;
    }
}

void TVobeMes::SetHeight(int32_t v) {
    TVobeControl::SetHeight(v);
    if (Layout.Height != v) {
        Layout.Height = v;
        NeedsReset = true;
    }
}

void TVobeMes::SetPaused(bool v) {
    Paused = v;
    Layout.TextPaused = Paused || TextPaused;
}

void TVobeMes::SetTextPaused(bool v) {
    TextPaused = v;
    Layout.TextPaused = Paused || TextPaused;
}

void TVobeMes::SetTextDelay(int32_t v) {
    TextDelay = v;
    Layout.TextRate = v;
}

void TVobeMes::SetText(const std::string& v) {
    // The text is laid out into pages by the layout engine of the text.
    Invalidate();
    MesData.Segments.Clear();
    PlainText = v;
    HistoryOffset = 0;
    Current = 0;
    ScrollY = 0;
}

void TVobeMes::SetIndex(int32_t v) {
    if (v < 0 || v >= PageCount || v == Current) return;
    Current = v;
    ScrollY = 0;
    NeedsReset = ResetFromStart = true;
    Invalidate();
}

// A later page exists (the typing state of the current page joins with the layout engine).
bool TVobeMes::GetPlaying() {
    return Current >= 0 && Current < PageCount && Current + 1 < PageCount;
}

void TVobeMes::SaveToStream(TStream& s) {
    TVobeControl::SaveToStream(s);
    Layout.SaveSettings(s);
    const int32_t n = static_cast<int32_t>(MesData.OldPages.size());
    WriteInt32(s, n);
    for (const std::string& p : MesData.OldPages) WriteStr(s, p);
    for (int32_t v : MesData.OldCommands) WriteInt32(s, v);
    for (int32_t v : MesData.OldIndices) WriteInt32(s, v);
    for (const TPoint& p : MesData.OldSizes) {
        WriteInt32(s, p.X);
        WriteInt32(s, p.Y);
    }
    MesData.Segments.SaveToStream(s);
    WriteBool(s, PackByText);
    WriteInt32(s, HistoryOffset);
    WriteStr(s, PlainText);
    WriteInt32(s, Current);
    WriteInt32(s, ScrollY);
    WriteInt32(s, Aux);
    for (const std::string& r : Reserved) WriteStr(s, r);
    for (const std::string* h :
         {&PlayingHandler, &PlayStartHandler, &PlayEndHandler, &LinkHandler, &NotifyHandler})
        WriteStr(s, *h);
    WriteBool(s, Paused);
    WriteBool(s, TextPaused);
    WriteInt32(s, TextDelay);
    WriteByte(s, ReadMode);
    WriteStr(s, SourcePage);
    WriteInt32(s, SourceCommand);
    WriteStr(s, IdleHandler);
    WriteBool(s, CaptureLink);
    WriteInt32(s, static_cast<int32_t>(SavedPageStates.size()));
    if (!SavedPageStates.empty())
        s.WriteBuffer(SavedPageStates.data(), static_cast<int64_t>(SavedPageStates.size()));
}

void TVobeMes::LoadFromStream(TStream& s, int32_t version) {
    TVobeControl::LoadFromStream(s, version);
    Layout.LoadSettings(s, version);
    // Each old-form entry takes a name, a command, an index and a size.
    const int32_t n = ReadRecordCount(s, 20, "history entry count");
    MesData.ClearOld();
    for (int32_t i = 0; i < n; ++i) MesData.OldPages.push_back(ReadStr(s));
    for (int32_t i = 0; i < n; ++i) MesData.OldCommands.push_back(ReadInt32(s));
    for (int32_t i = 0; i < n; ++i) MesData.OldIndices.push_back(ReadInt32(s));
    for (int32_t i = 0; i < n; ++i) {
        TPoint p;
        p.X = ReadInt32(s);
        p.Y = ReadInt32(s);
        MesData.OldSizes.push_back(p);
    }
    if (version > 112)
        MesData.Segments.LoadFromStream(s, version);
    else
        MesData.Segments.Clear();
    PackByText = ReadBool(s);
    if (version > 112) HistoryOffset = ReadInt32(s);
    PlainText = ReadStr(s);
    Current = ReadInt32(s);
    ScrollY = ReadInt32(s);
    Aux = ReadInt32(s);
    for (std::string& r : Reserved) r = ReadStr(s);
    for (std::string* h : {&PlayingHandler, &PlayStartHandler, &PlayEndHandler, &LinkHandler, &NotifyHandler})
        *h = ReadStr(s);
    Paused = ReadBool(s);
    TextPaused = ReadBool(s);
    TextDelay = ReadInt32(s);
    ReadMode = ReadByte(s);
    SourcePage = ReadStr(s);
    SourceCommand = ReadInt32(s);
    if (version > 103) IdleHandler = ReadStr(s);
    if (version >= 120) CaptureLink = ReadBool(s);
    const int32_t stateBytes = ReadInt32(s);
    if (stateBytes < 0 || stateBytes > s.Remaining())
        RaiseObjectStreamError("page state size " + std::to_string(stateBytes));
    // The states are only kept here; the window applies them once the whole game is loaded.
    PageStates = std::make_unique<TMemoryStream>();
    if (stateBytes > 0) PageStates->CopyFrom(s, stateBytes);
    PageStates->SetPosition(0);
    SavedPageStates.assign(PageStates->Memory(), PageStates->Memory() + stateBytes);
}

} // namespace vobe
