#include "components/vobe_button.h"

#include "archive/stream.h"
#include "framework/vobe_motion.h"

namespace vobe {

TVobeButton::TVobeButton(TVobeBaseList* owner) : TVobeImages(owner) {}
TVobeButton::~TVobeButton() = default;

TVobeMotion* TVobeButton::GetMotion() {
    if (State <= 0) return Motion.get();
    return StateMotions[static_cast<size_t>(State - 1)].get();
}

bool TVobeButton::StateHasPictures(int32_t state) {
    if (state < 0 || state > 3) return false;
    if (state == 0) return true;
    // The states' own frame lists come with the button's drawing; until then only motions count.
    return StateMotions[static_cast<size_t>(state - 1)] != nullptr;
}

void TVobeButton::SetState(int32_t state) {
    if (State == 3) {
        ReturnState = state;
        return;
    }
    if (state == State || !(state <= 0 || StateHasPictures(state))) return;
    State = state;
    if (state == 3) ReturnState = 0;
    SetIndex(-1);
    SetIndex(0);
    if (TVobeMotion* m = GetMotion()) m->Rewind();
}

void TVobeButton::SetStateSource(int32_t state, const std::string& v) {
    std::string& field = state == 1 ? HoverSource : state == 2 ? PressedSource : ClickedSource;
    if (v == field) return;
    field = v;
    if (State == state) {
        Invalidate();
        Current = -1;
    }
    // The state's frames (.vsk) come from the picture cache and its motion (.vmt) from the film
    // player; any other name leaves the state without pictures.
    StateMotions[static_cast<size_t>(state - 1)].reset();
}

void TVobeButton::SetPaused(bool v) {
    TVobeImages::SetPaused(v);
    if (!Paused) SetState(0);
}

void TVobeButton::SetGroupIndex(int32_t v) {
    if (v == GroupIndex) return;
    GroupIndex = v;
    if (Parent) ApplyGroup(Parent, this, GroupIndex);
}

void TVobeButton::SetAllowAllUp(bool v) {
    if (!Parent || GroupIndex == 0) return;
    for (TVobeObject* c : Parent->Children)
        if (c->GetGroupIndex() == GroupIndex) c->ApplyAllowAllUp(v);
    ApplyGroup(Parent, this, GroupIndex);
}

void TVobeButton::SetSelected(bool v) {
    if (v == Selected || (v && GroupIndex == 0)) return;
    Selected = v;
    SetState(v ? 2 : 0);
    if (Parent) ApplyGroup(Parent, this, GroupIndex);
}

void TVobeButton::ApplySelected(bool value) {
    Selected = value;
    SetState(value ? 2 : 0);
}

void ApplyGroup(TVobeControl* parent, TVobeButton* button, int32_t g) {
    if (g == 0 || !parent) return;
    std::vector<TVobeObject*> members;
    for (TVobeObject* c : parent->Children)
        if (c->GetGroupIndex() == g) members.push_back(c);
    int32_t chosen = -1;
    for (size_t i = 0; i < members.size(); ++i)
        if (members[i] == button && button->Selected) chosen = static_cast<int32_t>(i);
    if (chosen < 0)
        for (size_t i = 0; i < members.size(); ++i)
            if (members[i]->GetSelected()) {
                chosen = static_cast<int32_t>(i);
                break;
            }
    if (chosen < 0 && !button->AllowAllUp) chosen = 0;
    for (size_t i = 0; i < members.size(); ++i) {
        const bool sel = static_cast<int32_t>(i) == chosen;
        if (members[i]->GetSelected() != sel) members[i]->ApplySelected(sel);
    }
}

void TVobeButton::SaveToStream(TStream& s) {
    TVobeImages::SaveToStream(s);
    WriteStr(s, HoverSource);
    WriteStr(s, PressedSource);
    WriteInt32(s, GroupIndex);
    WriteBool(s, Selected);
    WriteBool(s, AllowAllUp);
    WriteStr(s, NotifyHandler);
    WriteStr(s, ButtonIdleHandler);
    WriteStr(s, ClickedSource);
}

void TVobeButton::LoadFromStream(TStream& s, int32_t version) {
    TVobeImages::LoadFromStream(s, version);
    const int32_t index = Current;
    SetHoverSource(ReadStr(s));
    SetPressedSource(ReadStr(s));
    GroupIndex = ReadInt32(s);
    const bool selected = ReadBool(s);
    AllowAllUp = ReadBool(s);
    NotifyHandler = ReadStr(s);
    if (version > 103) {
        ButtonIdleHandler = ReadStr(s);
        SetClickedSource(ReadStr(s));
    }
    SetSelected(selected);
    Pressing = 0;
    SetIndex(index);
}

} // namespace vobe
