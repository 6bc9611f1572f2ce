// From the browser's keyboard events to what a Windows form sees: virtual-key
// codes for key down and key up, and the character that TranslateMessage
// would make of a key-down.
#pragma once

#include <cstdint>
#include <optional>

namespace carpex::web {

// The Windows virtual-key code of a key event's keyCode. Browsers take that
// field from Windows' own codes; Firefox numbers three punctuation keys its
// own way, which are put back here. 0 when there is no code.
uint16_t VirtualKey(uint32_t KeyCode);

// The character a key-down types: Key is the event's key value (the character
// the layout made, or a name such as "Escape"). Named keys that type a control
// character give it (Escape 27, Enter 13, Backspace 8, Tab 9); Ctrl with a
// letter gives 1 to 26. Alt types nothing: Windows makes a system character of
// it, which forms do not see as a key press. Characters beyond ASCII give nothing.
std::optional<uint8_t> TypedCharacter(const char* Key, bool Ctrl, bool Alt);

// Keys whose default action in the browser moves the page or its focus
// (scrolling, Tab, Backspace's history step): the game keeps them.
bool MovesPage(uint16_t Vk);

}  // namespace carpex::web
