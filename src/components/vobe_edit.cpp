#include "components/vobe_edit.h"

#include "archive/stream.h"
#include "platform/cp932.h"

namespace vobe {

// A white box with black text, as the window's own edit controls start.
TVobeEdit::TVobeEdit(TVobeBaseList* owner) : TVobeControl(owner), FontName(SJ("ＭＳ Ｐゴシック")) {
    Color = 0xFFFFFF;
}

void TVobeEdit::SetParentName(const std::string& name) {
    TVobeControl::SetParentName(name);
    PlaceEditor();
}
void TVobeEdit::SetLeft(int32_t v) {
    TVobeControl::SetLeft(v);
    PlaceEditor();
}
void TVobeEdit::SetTop(int32_t v) {
    TVobeControl::SetTop(v);
    PlaceEditor();
}
void TVobeEdit::SetWidth(int32_t v) {
    TVobeControl::SetWidth(v);
    PlaceEditor();
}
void TVobeEdit::SetHeight(int32_t v) {
    TVobeControl::SetHeight(v);
    PlaceEditor();
}
void TVobeEdit::SetOffsetX(int32_t v) {
    TVobeControl::SetOffsetX(v);
    PlaceEditor();
}
void TVobeEdit::SetOffsetY(int32_t v) {
    TVobeControl::SetOffsetY(v);
    PlaceEditor();
}
void TVobeEdit::SetVisible(bool v) {
    TVobeControl::SetVisible(v);
    PlaceEditor();
}
void TVobeEdit::SetPlusX(int32_t v) {
    TVobeControl::SetPlusX(v);
    PlaceEditor();
}
void TVobeEdit::SetPlusY(int32_t v) {
    TVobeControl::SetPlusY(v);
    PlaceEditor();
}

void TVobeEdit::SaveEditor(TStream& s) {
    WriteBool(s, Paused);
    WriteStr(s, Text);
    WriteStr(s, FontName);
    WriteInt32(s, FontHeight);
    WriteByte(s, FontStyle);
    WriteInt32(s, FontColor);
    WriteInt32(s, Color);
    WriteBool(s, ReadOnly);
    SaveAlign(s);
    WriteStr(s, NotifyHandler);
}

void TVobeEdit::LoadEditor(TStream& s) {
    SetPaused(ReadBool(s));
    SetText(ReadStr(s));
    SetFontName(ReadStr(s));
    SetFontHeight(ReadInt32(s));
    SetFontStyle(ReadByte(s));
    SetFontColor(ReadInt32(s));
    SetColor(ReadInt32(s));
    SetReadOnly(ReadBool(s));
    LoadAlign(s);
    NotifyHandler = ReadStr(s);
    PlaceEditor();
}

void TVobeEdit::SaveToStream(TStream& s) {
    TVobeControl::SaveToStream(s);
    SaveEditor(s);
}

void TVobeEdit::LoadFromStream(TStream& s, int32_t version) {
    TVobeControl::LoadFromStream(s, version);
    LoadEditor(s);
}

void TVobeMemo::SaveAlign(TStream& s) {
    WriteByte(s, HAlign);
}
void TVobeMemo::LoadAlign(TStream& s) {
    HAlign = ReadByte(s);
}

} // namespace vobe
