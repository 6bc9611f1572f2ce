// From SDL's keyboard events to what a Windows form sees: virtual-key codes for
// key down and key up, and the character that TranslateMessage would make of a
// key-down (a US keyboard layout). Worked out from the key events alone, so
// that the same keys always give the same characters.
#pragma once

#include <SDL_keyboard.h>

#include <cstdint>
#include <optional>

namespace carpex::sdl {

// The Windows virtual-key code of a key; 0 when Windows has none for it.
// Letters follow the keyboard layout; keys whose symbol is unknown (another
// layout's punctuation, accented letters) fall back to the key's place on a
// US keyboard, as the digit row does on a French one.
uint16_t VirtualKey(SDL_Keycode Sym, SDL_Scancode Scan, uint16_t Mods);
inline uint16_t VirtualKey(const SDL_Keysym& Key) {
  return VirtualKey(Key.sym, Key.scancode, Key.mod);
}

// The character a key-down of virtual key Vk types with the modifiers Mods,
// or nothing. Alt (without Ctrl) types nothing: Windows makes a system
// character of it, which forms do not see as a key press.
std::optional<uint8_t> TypedCharacter(uint16_t Vk, uint16_t Mods);

}  // namespace carpex::sdl
