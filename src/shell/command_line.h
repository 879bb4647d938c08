// The player's command line: the system's own forms (no argument, /config, game folders) and the
// options of the deterministic harness.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vobe {

struct TPlayerOptions {
    bool Config = false;     // "/config" as the first argument: the configuration dialog only
    bool Help = false;       // --help
    bool Headless = false;   // --headless
    bool SkipLogo = false;   // --skip-logo
    int32_t Frames = -1;     // --frames N (-1: no limit)
    int32_t FixedDelta = -1; // --fixed-delta MS (-1: the real clock)
    int32_t Depth = 0;       // --depth 15|16|32 (0: the default)
    // Real paths (UTF-8) as given.
    std::string TraceFile, DumpVarsFile, ScreenshotFile, InputFile, SaveDir;
    std::vector<std::string> Folders;
};

// Parses the arguments after the program name. False with a message (UTF-8) for a usage error.
bool ParseCommandLine(const std::vector<std::string>& args, TPlayerOptions& options, std::string& error);

// The summary printed by --help and after a usage error.
const char* PlayerUsage();

} // namespace vobe
