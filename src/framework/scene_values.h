// The system variables of the scene's input and switches (@LClick ... @ActiveCompo, the key arrays,
// the wheel, @CGDither, @SoundON), answered from Bases.
#pragma once

#include "values/param_collection.h"

namespace vobe {

class TSceneValues : public ISysSceneValues {
public:
    bool GetLClick() override;
    void SetLClick(bool v) override;
    bool GetRClick() override;
    void SetRClick(bool v) override;
    bool IsLeftHeld() override;
    bool IsRightHeld() override;
    int32_t GetMouseX() override;
    int32_t GetMouseY() override;
    void SetMouseX(int32_t v) override;
    void SetMouseY(int32_t v) override;
    bool KeyPush(int32_t k) override;
    bool KeyClick(int32_t k) override;
    bool KeyRepeat(int32_t k) override;
    bool WheelDown() override;
    bool WheelUp() override;
    bool GetCGDither() override;
    void SetCGDither(bool v) override;
    bool GetSoundON() override;
    void SetSoundON(bool v) override;
    std::string GetActiveCompo() override;
    // Gives the focus to the named control when it exists, is not being deleted, is visible and takes
    // the focus; otherwise nothing changes.
    void SetActiveCompo(const std::string& name) override;
};

} // namespace vobe
