#include "platform/sdl/keys.h"

#include "world/keys.h"

namespace carpex::sdl {

namespace {

uint16_t FromSymbol(SDL_Keycode Sym) {
  if (Sym >= 'a' && Sym <= 'z') return static_cast<uint16_t>(Sym - 'a' + 'A');
  if (Sym >= '0' && Sym <= '9') return static_cast<uint16_t>(Sym);
  if (Sym >= SDLK_F1 && Sym <= SDLK_F12) return static_cast<uint16_t>(kVkF1 + (Sym - SDLK_F1));
  if (Sym >= SDLK_F13 && Sym <= SDLK_F24) {
    return static_cast<uint16_t>(kVkF1 + 12 + (Sym - SDLK_F13));
  }
  switch (Sym) {
    case SDLK_BACKSPACE:
      return kVkBack;
    case SDLK_TAB:
      return kVkTab;
    case SDLK_RETURN:
      return kVkReturn;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return kVkShift;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
      return kVkControl;
    case SDLK_LALT:
    case SDLK_RALT:
      return kVkMenu;
    case SDLK_PAUSE:
      return kVkPause;
    case SDLK_CAPSLOCK:
      return kVkCapital;
    case SDLK_ESCAPE:
      return kVkEscape;
    case SDLK_SPACE:
      return kVkSpace;
    case SDLK_PAGEUP:
      return kVkPrior;
    case SDLK_PAGEDOWN:
      return kVkNext;
    case SDLK_END:
      return kVkEnd;
    case SDLK_HOME:
      return kVkHome;
    case SDLK_LEFT:
      return kVkLeft;
    case SDLK_UP:
      return kVkUp;
    case SDLK_RIGHT:
      return kVkRight;
    case SDLK_DOWN:
      return kVkDown;
    case SDLK_PRINTSCREEN:
      return kVkSnapshot;
    case SDLK_INSERT:
      return kVkInsert;
    case SDLK_DELETE:
      return kVkDelete;
    case SDLK_LGUI:
      return kVkLwin;
    case SDLK_RGUI:
      return kVkRwin;
    case SDLK_APPLICATION:
      return kVkApps;
    case SDLK_NUMLOCKCLEAR:
      return kVkNumlock;
    case SDLK_SCROLLLOCK:
      return kVkScroll;
    case SDLK_KP_ENTER:
      return kVkReturn;
    case SDLK_KP_MULTIPLY:
      return kVkMultiply;
    case SDLK_KP_PLUS:
      return kVkAdd;
    case SDLK_KP_MINUS:
      return kVkSubtract;
    case SDLK_KP_DIVIDE:
      return kVkDivide;
    case SDLK_SEMICOLON:
      return kVkOem1;
    case SDLK_EQUALS:
      return kVkOemPlus;
    case SDLK_COMMA:
      return kVkOemComma;
    case SDLK_MINUS:
      return kVkOemMinus;
    case SDLK_PERIOD:
      return kVkOemPeriod;
    case SDLK_SLASH:
      return kVkOem2;
    case SDLK_BACKQUOTE:
      return kVkOem3;
    case SDLK_LEFTBRACKET:
      return kVkOem4;
    case SDLK_BACKSLASH:
      return kVkOem5;
    case SDLK_RIGHTBRACKET:
      return kVkOem6;
    case SDLK_QUOTE:
      return kVkOem7;
    default:
      return 0;
  }
}

// The keypad: digits while Num Lock is on, the editing and arrow keys printed
// under them while it is off (so keypad 2 drops a bomb either way).
uint16_t FromKeypad(SDL_Scancode Scan, bool NumLock) {
  static constexpr uint16_t kOff[10] = {kVkInsert, kVkEnd,   kVkDown, kVkNext, kVkLeft,
                                        kVkClear,  kVkRight, kVkHome, kVkUp,   kVkPrior};
  int digit = -1;
  if (Scan == SDL_SCANCODE_KP_0) {
    digit = 0;
  } else if (Scan >= SDL_SCANCODE_KP_1 && Scan <= SDL_SCANCODE_KP_9) {
    digit = Scan - SDL_SCANCODE_KP_1 + 1;
  }
  if (digit >= 0) return NumLock ? static_cast<uint16_t>(kVkNumpad0 + digit) : kOff[digit];
  if (Scan == SDL_SCANCODE_KP_PERIOD) return NumLock ? kVkDecimal : kVkDelete;
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
      return kVkOem1;
    case SDL_SCANCODE_EQUALS:
      return kVkOemPlus;
    case SDL_SCANCODE_COMMA:
      return kVkOemComma;
    case SDL_SCANCODE_MINUS:
      return kVkOemMinus;
    case SDL_SCANCODE_PERIOD:
      return kVkOemPeriod;
    case SDL_SCANCODE_SLASH:
      return kVkOem2;
    case SDL_SCANCODE_GRAVE:
      return kVkOem3;
    case SDL_SCANCODE_LEFTBRACKET:
      return kVkOem4;
    case SDL_SCANCODE_BACKSLASH:
      return kVkOem5;
    case SDL_SCANCODE_RIGHTBRACKET:
      return kVkOem6;
    case SDL_SCANCODE_APOSTROPHE:
      return kVkOem7;
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
    {kVkOem1, ';', ':'},     {kVkOemPlus, '=', '+'},   {kVkOemComma, ',', '<'},
    {kVkOemMinus, '-', '_'}, {kVkOemPeriod, '.', '>'}, {kVkOem2, '/', '?'},
    {kVkOem3, '`', '~'},     {kVkOem4, '[', '{'},      {kVkOem5, '\\', '|'},
    {kVkOem6, ']', '}'},     {kVkOem7, '\'', '"'},
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
  if (Vk >= kVkNumpad0 && Vk <= kVkNumpad0 + 9) return static_cast<uint8_t>('0' + Vk - kVkNumpad0);
  switch (Vk) {
    case kVkEscape:
      return uint8_t{27};
    case kVkSpace:
      return uint8_t{32};
    case kVkReturn:
      return static_cast<uint8_t>(ctrl ? 10 : 13);
    case kVkBack:
      return static_cast<uint8_t>(ctrl ? 127 : 8);
    case kVkTab:
      return ctrl ? std::nullopt : std::optional<uint8_t>(9);
    case kVkMultiply:
      return uint8_t{'*'};
    case kVkAdd:
      return uint8_t{'+'};
    case kVkSubtract:
      return uint8_t{'-'};
    case kVkDecimal:
      return uint8_t{'.'};
    case kVkDivide:
      return uint8_t{'/'};
    default:
      break;
  }
  if (ctrl) {
    // The control characters that have keys of their own on a US keyboard.
    if (Vk == kVkOem4) return uint8_t{27};
    if (Vk == kVkOem5) return uint8_t{28};
    if (Vk == kVkOem6) return uint8_t{29};
    return std::nullopt;
  }
  for (const Punctuation& p : kPunctuation) {
    if (p.Vk == Vk) return static_cast<uint8_t>(shift ? p.Shifted : p.Plain);
  }
  return std::nullopt;
}

}  // namespace carpex::sdl
