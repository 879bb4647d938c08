// The scene as the window drives it: the framework's Bases behind the window's frame steps, and the
// window's drawing panel behind the framework's TBasePanel.
#pragma once

#include <memory>

#include "shell/game_services.h"

namespace vobe {

// VobeInitialize for the window: the panel over `display`, the framework with its process-wide
// objects, and the scene the window steps.
std::unique_ptr<IGameScene> StartScene(IDisplayHost& display);
// VobeFinalize, after the window has let go of the scene.
void FinishScene();

} // namespace vobe
