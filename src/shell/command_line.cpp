#include "shell/command_line.h"

#include <cerrno>
#include <cstdlib>

#include "platform/cp932.h"

namespace vobe {

namespace {

bool ParseInt(const std::string& s, int32_t& v) {
    if (s.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long long x = std::strtoll(s.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || x < INT32_MIN || x > INT32_MAX) return false;
    v = static_cast<int32_t>(x);
    return true;
}

} // namespace

const char* PlayerUsage() {
    return "usage: vobeplayer                      play the game found beside the program\n"
           "       vobeplayer /config              the sound configuration dialog only\n"
           "       vobeplayer [OPTIONS] FOLDER...  play the game in FOLDER (every folder's game.dat is "
           "mounted)\n"
           "options:\n"
           "  --headless            no window and no audio device; boxes are printed and answered at once\n"
           "  --frames N            close the window the normal way after N frames\n"
           "  --skip-logo           do not show the start-up logo\n"
           "  --fixed-delta MS      every frame adds exactly MS milliseconds to the game clock; no pacing\n"
           "  --trace FILE          append the interpreter's trace lines to FILE\n"
           "  --dump-vars FILE      write the variables to FILE at shutdown\n"
           "  --screenshot FILE     write the game screen to FILE (PNG) at shutdown\n"
           "  --input FILE          scripted input: FRAME EVENT ARGS per line\n"
           "  --save-dir DIR        the folder that holds save.dat (default: the game folder)\n"
           "  --depth 15|16|32      pixel depth of the screen in a window (default: the desktop's)\n"
           "  --help                this summary\n";
}

bool ParseCommandLine(const std::vector<std::string>& args, TPlayerOptions& o, std::string& error) {
    o = TPlayerOptions();
    bool first = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 2 && a[0] == '-' && a[1] == '-') {
            auto value = [&](std::string& out) {
                if (i + 1 >= args.size()) {
                    error = a + " needs a value";
                    return false;
                }
                out = args[++i];
                return true;
            };
            auto number = [&](int32_t& out, int32_t lo, int32_t hi) {
                std::string s;
                if (!value(s)) return false;
                if (!ParseInt(s, out) || out < lo || out > hi) {
                    error = a + ": not a valid number: " + s;
                    return false;
                }
                return true;
            };
            if (a == "--headless")
                o.Headless = true;
            else if (a == "--skip-logo")
                o.SkipLogo = true;
            else if (a == "--help")
                o.Help = true;
            else if (a == "--frames") {
                if (!number(o.Frames, 0, INT32_MAX)) return false;
            } else if (a == "--fixed-delta") {
                if (!number(o.FixedDelta, 0, 1000000)) return false;
            } else if (a == "--depth") {
                if (!number(o.Depth, 0, 32)) return false;
                if (o.Depth != 15 && o.Depth != 16 && o.Depth != 32) {
                    error = "--depth must be 15, 16 or 32";
                    return false;
                }
            } else if (a == "--trace") {
                if (!value(o.TraceFile)) return false;
            } else if (a == "--dump-vars") {
                if (!value(o.DumpVarsFile)) return false;
            } else if (a == "--screenshot") {
                if (!value(o.ScreenshotFile)) return false;
            } else if (a == "--input") {
                if (!value(o.InputFile)) return false;
            } else if (a == "--save-dir") {
                if (!value(o.SaveDir)) return false;
            } else {
                error = "unknown option " + a;
                return false;
            }
            continue;
        }
        // The first argument that is not an option: "/config" in any letter case, or the base folder.
        if (first && AnsiSameText(a, "/config"))
            o.Config = true;
        else if (!a.empty())
            o.Folders.push_back(a);
        first = false;
    }
    return true;
}

} // namespace vobe
