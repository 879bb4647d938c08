#include "shell/input_script.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace vobe {

namespace {

bool ToInt(const std::string& s, int32_t& v, int32_t lo, int32_t hi) {
    if (s.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long long x = std::strtoll(s.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || x < lo || x > hi) return false;
    v = static_cast<int32_t>(x);
    return true;
}

bool ToButton(const std::string& s, TMouseButton& b) {
    if (s == "left")
        b = mbLeft;
    else if (s == "right")
        b = mbRight;
    else
        return false;
    return true;
}

} // namespace

bool TInputScript::Parse(const std::string& text, std::string& error) {
    entries_.clear();
    std::istringstream in(text);
    std::string line;
    int32_t lineNo = 0, seq = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        std::istringstream fields(line);
        std::vector<std::string> f;
        for (std::string w; fields >> w;) f.push_back(w);
        auto fail = [&](const std::string& why) {
            error = "input line " + std::to_string(lineNo) + ": " + why + ": " + line;
            entries_.clear();
            return false;
        };
        int32_t frame;
        if (f.size() < 2 || !ToInt(f[0], frame, 1, INT32_MAX - 1)) return fail("expected FRAME EVENT");
        const std::string& ev = f[1];
        auto add = [&](int32_t fr, int32_t phase, const TInputEvent& e) {
            entries_.push_back({fr, phase, seq++, e});
        };
        TInputEvent e;
        if (ev == "move" || ev == "click") {
            int32_t x, y;
            if (f.size() != 4 || !ToInt(f[2], x, -100000, 100000) || !ToInt(f[3], y, -100000, 100000))
                return fail(ev + " needs X Y");
            e.Kind = TInputEvent::ieMove;
            e.X = x;
            e.Y = y;
            add(frame, 1, e);
            if (ev == "click") {
                TInputEvent d;
                d.Kind = TInputEvent::ieDown;
                d.Button = mbLeft;
                add(frame, 1, d);
                d.Kind = TInputEvent::ieUp;
                add(frame + 1, 0, d);
            }
        } else if (ev == "down" || ev == "up") {
            if (f.size() != 3 || !ToButton(f[2], e.Button)) return fail(ev + " needs left or right");
            e.Kind = ev == "down" ? TInputEvent::ieDown : TInputEvent::ieUp;
            add(frame, 1, e);
        } else if (ev == "keydown" || ev == "keyup" || ev == "key") {
            if (f.size() != 3 || !ToInt(f[2], e.VK, 0, 255)) return fail(ev + " needs a key code 0..255");
            e.Kind = ev == "keyup" ? TInputEvent::ieKeyUp : TInputEvent::ieKeyDown;
            add(frame, 1, e);
            if (ev == "key") {
                e.Kind = TInputEvent::ieKeyUp;
                add(frame + 1, 0, e);
            }
        } else if (ev == "wheel") {
            if (f.size() != 3 || (f[2] != "up" && f[2] != "down")) return fail("wheel needs up or down");
            e.Kind = TInputEvent::ieWheel;
            e.WheelDown = f[2] == "down";
            add(frame, 1, e);
        } else {
            return fail("unknown event " + ev);
        }
    }
    std::stable_sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        if (a.Frame != b.Frame) return a.Frame < b.Frame;
        if (a.Phase != b.Phase) return a.Phase < b.Phase;
        return a.Seq < b.Seq;
    });
    return true;
}

std::vector<TInputEvent> TInputScript::EventsOf(int32_t frame) const {
    std::vector<TInputEvent> out;
    auto it = std::lower_bound(entries_.begin(), entries_.end(), frame,
                               [](const Entry& e, int32_t f) { return e.Frame < f; });
    for (; it != entries_.end() && it->Frame == frame; ++it) out.push_back(it->Event);
    return out;
}

int32_t TInputScript::LastFrame() const {
    return entries_.empty() ? 0 : entries_.back().Frame;
}

} // namespace vobe
