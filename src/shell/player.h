// The process entry of the player: the start-up checks, the configuration dialog or the main window,
// and the end of the process, in the system's order.
#pragma once

#include <string>
#include <vector>

#include "shell/game_services.h"

namespace vobe {

// Exit statuses of the command line.
constexpr int kExitNormal = 0, kExitUsage = 1, kExitNoGame = 2;

// The instance name of a folder (a player path): upper case, a trailing '\', every '\' turned into '-'.
std::string InstanceName(const std::string& playerFolder);

// Runs the player with the arguments after the program name; returns the exit status.
int PlayerMain(const std::vector<std::string>& args, TGameServices services);

// The services of the subsystems that exist, wired for the player.
TGameServices MakePlayerServices();

} // namespace vobe
