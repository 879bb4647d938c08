#include "platform/keys.h"

#include <SDL.h>

namespace vobe {

int32_t SdlKeyToVK(int32_t key, int32_t scan) {
    // Letters and digits by the key they produce, as Windows does for the active layout.
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + (key - SDLK_F1);
    if (key >= SDLK_F13 && key <= SDLK_F24) return VK_F1 + 12 + (key - SDLK_F13);
    switch (key) {
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN:
    case SDLK_RETURN2:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT: return VK_MENU;
    case SDLK_PAUSE: return VK_PAUSE;
    case SDLK_CAPSLOCK: return VK_CAPITAL;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_END: return VK_END;
    case SDLK_HOME: return VK_HOME;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_PRINTSCREEN: return VK_SNAPSHOT;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_LGUI: return VK_LWIN;
    case SDLK_RGUI: return VK_RWIN;
    case SDLK_APPLICATION: return VK_APPS;
    case SDLK_KP_0: return VK_NUMPAD0;
    case SDLK_KP_1: return VK_NUMPAD0 + 1;
    case SDLK_KP_2: return VK_NUMPAD0 + 2;
    case SDLK_KP_3: return VK_NUMPAD0 + 3;
    case SDLK_KP_4: return VK_NUMPAD0 + 4;
    case SDLK_KP_5: return VK_NUMPAD0 + 5;
    case SDLK_KP_6: return VK_NUMPAD0 + 6;
    case SDLK_KP_7: return VK_NUMPAD0 + 7;
    case SDLK_KP_8: return VK_NUMPAD0 + 8;
    case SDLK_KP_9: return VK_NUMPAD0 + 9;
    case SDLK_KP_MULTIPLY: return VK_MULTIPLY;
    case SDLK_KP_PLUS: return VK_ADD;
    case SDLK_KP_COMMA: return VK_SEPARATOR;
    case SDLK_KP_MINUS: return VK_SUBTRACT;
    case SDLK_KP_PERIOD: return VK_DECIMAL;
    case SDLK_KP_DIVIDE: return VK_DIVIDE;
    case SDLK_NUMLOCKCLEAR: return VK_NUMLOCK;
    case SDLK_SCROLLLOCK: return VK_SCROLL;
    case SDLK_SEMICOLON: return VK_OEM_1;
    case SDLK_EQUALS: return VK_OEM_PLUS;
    case SDLK_COMMA: return VK_OEM_COMMA;
    case SDLK_MINUS: return VK_OEM_MINUS;
    case SDLK_PERIOD: return VK_OEM_PERIOD;
    case SDLK_SLASH: return VK_OEM_2;
    case SDLK_BACKQUOTE: return VK_OEM_3;
    case SDLK_LEFTBRACKET: return VK_OEM_4;
    case SDLK_BACKSLASH: return VK_OEM_5;
    case SDLK_RIGHTBRACKET: return VK_OEM_6;
    case SDLK_QUOTE: return VK_OEM_7;
    default: break;
    }
    // Keys of Japanese keyboards, by position.
    switch (scan) {
    case SDL_SCANCODE_INTERNATIONAL1: return VK_OEM_102;    // ろ
    case SDL_SCANCODE_INTERNATIONAL3: return VK_OEM_5;      // yen
    case SDL_SCANCODE_INTERNATIONAL4: return VK_CONVERT;    // 変換
    case SDL_SCANCODE_INTERNATIONAL5: return VK_NONCONVERT; // 無変換
    case SDL_SCANCODE_INTERNATIONAL2: return VK_KANA;       // カタカナ/ひらがな
    case SDL_SCANCODE_GRAVE: return VK_KANJI;               // 半角/全角 on a Japanese layout
    default: return 0;
    }
}

} // namespace vobe
