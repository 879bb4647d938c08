#include "platform/message_box.h"

#include <SDL.h>
#include <cstdio>
#include <mutex>

#include "platform/cp932.h"
#include "platform/platform.h"
#include "platform/sdl_internal.h"

namespace vobe {

namespace {

std::mutex gHookLock;
TMessageBoxHook gHook;

std::string ToTerminal(const std::string& sjis) {
    std::string s = SjisToUtf8(sjis);
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') {
            if (i + 1 < s.size() && s[i + 1] == '\n') continue;
            out += '\n';
        } else {
            out += s[i];
        }
    }
    return out;
}

struct ButtonSet {
    int count;
    int ids[3];
    const char* labels[3];
};

ButtonSet ButtonsOf(uint32_t flags) {
    switch (flags & 0x0F) {
    case MB_OKCANCEL: return {2, {IDOK, IDCANCEL}, {"OK", "キャンセル"}};
    case MB_ABORTRETRYIGNORE:
        return {3, {IDABORT, IDRETRY, IDIGNORE}, {"中止(&A)", "再試行(&R)", "無視(&I)"}};
    case MB_YESNOCANCEL: return {3, {IDYES, IDNO, IDCANCEL}, {"はい(&Y)", "いいえ(&N)", "キャンセル"}};
    case MB_YESNO: return {2, {IDYES, IDNO}, {"はい(&Y)", "いいえ(&N)"}};
    case MB_RETRYCANCEL: return {2, {IDRETRY, IDCANCEL}, {"再試行(&R)", "キャンセル"}};
    default: return {1, {IDOK}, {"OK"}};
    }
}

std::string StripAccel(const char* label) {
    std::string s(label);
    size_t p = s.find("(&");
    if (p != std::string::npos) s.erase(p);
    return s;
}

} // namespace

int HeadlessAnswer(uint32_t flags, int headlessAnswer) {
    if (headlessAnswer != 0) return headlessAnswer;
    switch (flags & 0x0F) {
    case MB_OK: return IDOK;
    case MB_YESNO: return IDNO;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    default: return IDCANCEL;
    }
}

void SetMessageBoxHook(TMessageBoxHook hook) {
    std::lock_guard<std::mutex> g(gHookLock);
    gHook = std::move(hook);
}

int MessageBox(const std::string& text, const std::string& caption, uint32_t flags, int headlessAnswer) {
    {
        TMessageBoxHook hook;
        {
            std::lock_guard<std::mutex> g(gHookLock);
            hook = gHook;
        }
        if (hook) return hook(text, caption, flags);
    }
    if (!HasDisplay()) {
        std::string line = ToTerminal(caption) + ": " + ToTerminal(text) + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
        return HeadlessAnswer(flags, headlessAnswer);
    }
    ButtonSet set = ButtonsOf(flags);
    std::string labels[3];
    SDL_MessageBoxButtonData buttons[3];
    int defIndex = (flags & MB_DEFBUTTON2) && set.count > 1 ? 1 : 0;
    for (int i = 0; i < set.count; ++i) {
        labels[i] = StripAccel(set.labels[i]);
        buttons[i].flags = 0;
        if (i == defIndex) buttons[i].flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (set.ids[i] == IDCANCEL || set.ids[i] == IDNO || (set.count == 1))
            buttons[i].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        buttons[i].buttonid = set.ids[i];
        buttons[i].text = labels[i].c_str();
    }
    // Escape answers the last cancelling button only once.
    bool escapeSeen = false;
    for (int i = set.count - 1; i >= 0; --i) {
        if (buttons[i].flags & SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT) {
            if (escapeSeen) buttons[i].flags &= ~SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
            escapeSeen = true;
        }
    }
    uint32_t icon = flags & 0xF0;
    uint32_t sdlFlags = icon == MB_ICONERROR     ? SDL_MESSAGEBOX_ERROR
                        : icon == MB_ICONWARNING ? SDL_MESSAGEBOX_WARNING
                                                 : SDL_MESSAGEBOX_INFORMATION;
    std::string utf8Text = ToTerminal(text), utf8Caption = ToTerminal(caption);
    SDL_MessageBoxData data{};
    data.flags = sdlFlags;
    data.window = MainSdlWindow();
    data.title = utf8Caption.c_str();
    data.message = utf8Text.c_str();
    data.numbuttons = set.count;
    data.buttons = buttons;
    int answer = 0;
    if (SDL_ShowMessageBox(&data, &answer) != 0) {
        std::string line = utf8Caption + ": " + utf8Text + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
        return HeadlessAnswer(flags, headlessAnswer);
    }
    // Closing the box without a button is the cancelling answer.
    if (answer < 0) return HeadlessAnswer(flags, 0);
    return answer;
}

} // namespace vobe
