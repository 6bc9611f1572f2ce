#include "platform/sdl/keys.h"

#include "platform/virtual_keys.h"

namespace carpex::sdl {

namespace {

uint16_t FromSymbol(SDL_Keycode Sym) {
  if (Sym >= 'a' && Sym <= 'z') return static_cast<uint16_t>(Sym - 'a' + 'A');
  if (Sym >= '0' && Sym <= '9') return static_cast<uint16_t>(Sym);
  if (Sym >= SDLK_F1 && Sym <= SDLK_F12) return static_cast<uint16_t>(VK_F1 + (Sym - SDLK_F1));
  if (Sym >= SDLK_F13 && Sym <= SDLK_F24) {
    return static_cast<uint16_t>(VK_F1 + 12 + (Sym - SDLK_F13));
  }
  switch (Sym) {
    case SDLK_BACKSPACE:
      return VK_BACK;
    case SDLK_TAB:
      return VK_TAB;
    case SDLK_RETURN:
      return VK_RETURN;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
      return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT:
      return VK_MENU;
    case SDLK_PAUSE:
      return VK_PAUSE;
    case SDLK_CAPSLOCK:
      return VK_CAPITAL;
    case SDLK_ESCAPE:
      return VK_ESCAPE;
    case SDLK_SPACE:
      return VK_SPACE;
    case SDLK_PAGEUP:
      return VK_PRIOR;
    case SDLK_PAGEDOWN:
      return VK_NEXT;
    case SDLK_END:
      return VK_END;
    case SDLK_HOME:
      return VK_HOME;
    case SDLK_LEFT:
      return VK_LEFT;
    case SDLK_UP:
      return VK_UP;
    case SDLK_RIGHT:
      return VK_RIGHT;
    case SDLK_DOWN:
      return VK_DOWN;
    case SDLK_PRINTSCREEN:
      return VK_SNAPSHOT;
    case SDLK_INSERT:
      return VK_INSERT;
    case SDLK_DELETE:
      return VK_DELETE;
    case SDLK_LGUI:
      return VK_LWIN;
    case SDLK_RGUI:
      return VK_RWIN;
    case SDLK_APPLICATION:
      return VK_APPS;
    case SDLK_NUMLOCKCLEAR:
      return VK_NUMLOCK;
    case SDLK_SCROLLLOCK:
      return VK_SCROLL;
    case SDLK_KP_ENTER:
      return VK_RETURN;
    case SDLK_KP_MULTIPLY:
      return VK_MULTIPLY;
    case SDLK_KP_PLUS:
      return VK_ADD;
    case SDLK_KP_MINUS:
      return VK_SUBTRACT;
    case SDLK_KP_DIVIDE:
      return VK_DIVIDE;
    case SDLK_SEMICOLON:
      return VK_OEM_1;
    case SDLK_EQUALS:
      return VK_OEM_PLUS;
    case SDLK_COMMA:
      return VK_OEM_COMMA;
    case SDLK_MINUS:
      return VK_OEM_MINUS;
    case SDLK_PERIOD:
      return VK_OEM_PERIOD;
    case SDLK_SLASH:
      return VK_OEM_2;
    case SDLK_BACKQUOTE:
      return VK_OEM_3;
    case SDLK_LEFTBRACKET:
      return VK_OEM_4;
    case SDLK_BACKSLASH:
      return VK_OEM_5;
    case SDLK_RIGHTBRACKET:
      return VK_OEM_6;
    case SDLK_QUOTE:
      return VK_OEM_7;
    default:
      return 0;
  }
}

// The keypad: digits while Num Lock is on, the editing and arrow keys printed
// under them while it is off (so keypad 2 drops a bomb either way).
uint16_t FromKeypad(SDL_Scancode Scan, bool NumLock) {
  static constexpr uint16_t kOff[10] = {VK_INSERT, VK_END,   VK_DOWN, VK_NEXT, VK_LEFT,
                                        VK_CLEAR,  VK_RIGHT, VK_HOME, VK_UP,   VK_PRIOR};
  int digit = -1;
  if (Scan == SDL_SCANCODE_KP_0) {
    digit = 0;
  } else if (Scan >= SDL_SCANCODE_KP_1 && Scan <= SDL_SCANCODE_KP_9) {
    digit = Scan - SDL_SCANCODE_KP_1 + 1;
  }
  if (digit >= 0) return NumLock ? static_cast<uint16_t>(VK_NUMPAD0 + digit) : kOff[digit];
  if (Scan == SDL_SCANCODE_KP_PERIOD) return NumLock ? VK_DECIMAL : VK_DELETE;
  return 0;
}

// Where a key sits on a US keyboard, for symbols that name no Windows key.
uint16_t FromPlace(SDL_Scancode Scan) {
  if (Scan >= SDL_SCANCODE_A && Scan <= SDL_SCANCODE_Z) {
    return static_cast<uint16_t>('A' + (Scan - SDL_SCANCODE_A));
  }
  if (Scan >= SDL_SCANCODE_1 && Scan <= SDL_SCANCODE_9) {
    return static_cast<uint16_t>('1' + (Scan - SDL_SCANCODE_1));
  }
  switch (Scan) {
    case SDL_SCANCODE_0:
      return '0';
    case SDL_SCANCODE_SEMICOLON:
      return VK_OEM_1;
    case SDL_SCANCODE_EQUALS:
      return VK_OEM_PLUS;
    case SDL_SCANCODE_COMMA:
      return VK_OEM_COMMA;
    case SDL_SCANCODE_MINUS:
      return VK_OEM_MINUS;
    case SDL_SCANCODE_PERIOD:
      return VK_OEM_PERIOD;
    case SDL_SCANCODE_SLASH:
      return VK_OEM_2;
    case SDL_SCANCODE_GRAVE:
      return VK_OEM_3;
    case SDL_SCANCODE_LEFTBRACKET:
      return VK_OEM_4;
    case SDL_SCANCODE_BACKSLASH:
      return VK_OEM_5;
    case SDL_SCANCODE_RIGHTBRACKET:
      return VK_OEM_6;
    case SDL_SCANCODE_APOSTROPHE:
      return VK_OEM_7;
    default:
      return 0;
  }
}

// US layout: the character of a punctuation key, unshifted and shifted.
struct Punctuation {
  uint16_t Vk;
  char Plain;
  char Shifted;
};
constexpr Punctuation kPunctuation[] = {
    {VK_OEM_1, ';', ':'},     {VK_OEM_PLUS, '=', '+'},   {VK_OEM_COMMA, ',', '<'},
    {VK_OEM_MINUS, '-', '_'}, {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_2, '/', '?'},
    {VK_OEM_3, '`', '~'},     {VK_OEM_4, '[', '{'},      {VK_OEM_5, '\\', '|'},
    {VK_OEM_6, ']', '}'},     {VK_OEM_7, '\'', '"'},
};

}  // namespace

uint16_t VirtualKey(SDL_Keycode Sym, SDL_Scancode Scan, uint16_t Mods) {
  // The keypad goes by place: its symbols change with Num Lock from one
  // system to another, its Windows codes do not.
  if (uint16_t vk = FromKeypad(Scan, (Mods & KMOD_NUM) != 0)) return vk;
  if (uint16_t vk = FromSymbol(Sym)) return vk;
  return FromPlace(Scan);
}

std::optional<uint8_t> TypedCharacter(uint16_t Vk, uint16_t Mods) {
  const bool shift = (Mods & KMOD_SHIFT) != 0;
  const bool ctrl = (Mods & KMOD_CTRL) != 0;
  const bool alt = (Mods & KMOD_ALT) != 0;
  const bool caps = (Mods & KMOD_CAPS) != 0;
  // Alt alone makes system characters; Ctrl+Alt is AltGr, whose characters
  // belong to other layouts than this one.
  if (alt) return std::nullopt;

  if (Vk >= 'A' && Vk <= 'Z') {
    if (ctrl) return static_cast<uint8_t>(Vk - 'A' + 1);  // Ctrl+A is 1 ... Ctrl+Z is 26
    return static_cast<uint8_t>(shift != caps ? Vk : Vk - 'A' + 'a');
  }
  if (Vk >= '0' && Vk <= '9') {
    if (ctrl) return std::nullopt;
    static constexpr char kShiftedDigits[] = ")!@#$%^&*(";
    return static_cast<uint8_t>(shift ? kShiftedDigits[Vk - '0'] : Vk);
  }
  if (Vk >= VK_NUMPAD0 && Vk <= VK_NUMPAD0 + 9) return static_cast<uint8_t>('0' + Vk - VK_NUMPAD0);
  switch (Vk) {
    case VK_ESCAPE:
      return uint8_t{27};
    case VK_SPACE:
      return uint8_t{32};
    case VK_RETURN:
      return static_cast<uint8_t>(ctrl ? 10 : 13);
    case VK_BACK:
      return static_cast<uint8_t>(ctrl ? 127 : 8);
    case VK_TAB:
      return ctrl ? std::nullopt : std::optional<uint8_t>(9);
    case VK_MULTIPLY:
      return uint8_t{'*'};
    case VK_ADD:
      return uint8_t{'+'};
    case VK_SUBTRACT:
      return uint8_t{'-'};
    case VK_DECIMAL:
      return uint8_t{'.'};
    case VK_DIVIDE:
      return uint8_t{'/'};
    default:
      break;
  }
  if (ctrl) {
    // The control characters that have keys of their own on a US keyboard.
    if (Vk == VK_OEM_4) return uint8_t{27};
    if (Vk == VK_OEM_5) return uint8_t{28};
    if (Vk == VK_OEM_6) return uint8_t{29};
    return std::nullopt;
  }
  for (const Punctuation& p : kPunctuation) {
    if (p.Vk == Vk) return static_cast<uint8_t>(shift ? p.Shifted : p.Plain);
  }
  return std::nullopt;
}

}  // namespace carpex::sdl
