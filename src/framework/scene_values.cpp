#include "framework/scene_values.h"

#include "framework/vobe_base_list.h"
#include "framework/vobe_initialize.h"

namespace vobe {

namespace {

// The base the script calls active: the front base of the game's scene.
TVobeBase* Front() {
    return Bases ? Bases->FrontBase() : nullptr;
}

// Elements 256 and 257 of the key arrays are the wheel turned down and up in this frame.
constexpr int32_t WheelDownIndex = 256, WheelUpIndex = 257;

template <class F> bool KeyOrWheel(int32_t k, F key) {
    if (!Bases) return false;
    if (k == WheelDownIndex) return Front()->WheelDown != 0;
    if (k == WheelUpIndex) return Front()->WheelUp != 0;
    return key(k);
}

} // namespace

bool TSceneValues::GetLClick() {
    return Front() && Front()->LeftClick;
}
void TSceneValues::SetLClick(bool v) {
    if (Front()) Front()->LeftClick = v;
}
bool TSceneValues::GetRClick() {
    return Front() && Front()->RightClick;
}
void TSceneValues::SetRClick(bool v) {
    if (Front()) Front()->RightClick = v;
}
bool TSceneValues::IsLeftHeld() {
    return Front() && Front()->IsLeftHeld();
}
bool TSceneValues::IsRightHeld() {
    return Front() && Front()->IsRightHeld();
}
int32_t TSceneValues::GetMouseX() {
    return Front() ? Front()->MouseX : 0;
}
int32_t TSceneValues::GetMouseY() {
    return Front() ? Front()->MouseY : 0;
}
void TSceneValues::SetMouseX(int32_t v) {
    if (BasePanel) BasePanel->MoveCursorX(v);
}
void TSceneValues::SetMouseY(int32_t v) {
    if (BasePanel) BasePanel->MoveCursorY(v);
}
bool TSceneValues::KeyPush(int32_t k) {
    return KeyOrWheel(k, [](int32_t vk) { return Bases->IsKeyDown(vk); });
}
bool TSceneValues::KeyClick(int32_t k) {
    return KeyOrWheel(k, [](int32_t vk) { return Bases->IsKeyPressed(vk); });
}
bool TSceneValues::KeyRepeat(int32_t k) {
    return KeyOrWheel(k, [](int32_t vk) { return Bases->IsKeyRepeated(vk); });
}
bool TSceneValues::WheelDown() {
    return Front() && Front()->WheelDown;
}
bool TSceneValues::WheelUp() {
    return Front() && Front()->WheelUp;
}
bool TSceneValues::GetCGDither() {
    return Bases && Bases->GetDither();
}
void TSceneValues::SetCGDither(bool v) {
    if (Bases) Bases->SetDither(v);
}
bool TSceneValues::GetSoundON() {
    return Bases && Bases->SoundOn;
}
void TSceneValues::SetSoundON(bool v) {
    if (Bases) Bases->SetSoundOn(v);
}

std::string TSceneValues::GetActiveCompo() {
    return Bases && Bases->Focused ? Bases->Focused->Name : std::string();
}

void TSceneValues::SetActiveCompo(const std::string& name) {
    if (!Bases || name.empty()) return;
    auto* c = dynamic_cast<TVobeControl*>(Bases->FindComponent(name));
    if (!c || c->IsBase() || Bases->IsDeleted(c) || !c->GetVisible() || !c->GetHandleKey()) return;
    Bases->SetFocus(c);
}

} // namespace vobe
