// The keys a player may choose: the bomb key (Space and Down unless chosen),
// the key that leaves (Escape's role) and a gamepad's bomb button (A and the
// D-pad's down unless chosen). One table of key names for every platform, by
// the keys' Windows virtual-key codes (world/keys.h): the names the command
// line and the settings write, and the ones the player reads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "assets/language.h"
#include "platform/common/gamepad.h"

namespace carpex::common {

struct PlayerKeys {
  uint16_t Bomb = 0;          // 0: Space and Down
  uint16_t Leave = 0;         // 0: Escape
  PadButton PadBomb = kPadA;  // A: A and the D-pad's down
  bool operator==(const PlayerKeys&) const = default;
};

// The key's name as the command line and the settings write it ("B", "Tab",
// "Right", "F5", "Keypad5"); nullptr for a key without one.
const char* KeyName(uint16_t Vk);
// The key a name names, in any case; 0 for none.
uint16_t KeyNamed(std::string_view Name);
// The key's name as the player reads it (Space is 空格 in Chinese).
std::string ShownKeyName(uint16_t Vk, Language In);
// The bomb key or keys and the leave key as the player reads them: the chosen
// key, else the defaults ("Space or Down", "Escape").
std::string ShownBombKeys(const PlayerKeys& Keys, Language In);
std::string ShownLeaveKey(const PlayerKeys& Keys, Language In);

// A gamepad's buttons by name ("A", "B", "X", "Y", "LB", "RB", "Back", ...),
// and back, in any case; false for a name that is none of them.
const char* PadButtonName(PadButton Button);
bool PadButtonNamed(std::string_view Name, PadButton* Button);

enum class KeyFor : uint8_t { Bomb, Leave };

// Why a key cannot be chosen: it has no name here (a system key, a lock), or
// it does something already (a digit, P, L, H, f, S, K, W, C, Pause, Alt, Enter of
// Alt+Enter, Backspace, the other chosen key or its default).
enum class Refusal : uint8_t { None, Unnamed, InUse };
Refusal Refuse(KeyFor Which, uint16_t Vk, const PlayerKeys& Keys);
// Vk becomes the key for Which, unless refused; Escape as the leave key is
// the default again.
Refusal Choose(KeyFor Which, uint16_t Vk, PlayerKeys* Keys);
// The buttons a gamepad's bomb may be: A, B, X, Y and the shoulders (Back,
// Start and the D-pad do something already).
bool ChoosablePadBomb(PadButton Button);

}  // namespace carpex::common
