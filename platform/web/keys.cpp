#include "platform/web/keys.h"

#include <cstring>

#include "world/keys.h"

namespace carpex::web {

namespace {

struct NamedKey {
  const char* Name;
  uint8_t Plain;
  int Ctrl;  // the character with Ctrl held; -1 for none
};
constexpr NamedKey kNamedKeys[] = {
    {"Escape", 27, 27},
    {"Enter", 13, 10},
    {"Backspace", 8, 127},
    {"Tab", 9, -1},
};

}  // namespace

uint16_t VirtualKey(uint32_t KeyCode) {
  switch (KeyCode) {
    case 59:
      return kVkOem1;
    case 61:
      return kVkOemPlus;
    case 173:
      return kVkOemMinus;
    default:
      return KeyCode <= 0xFF ? static_cast<uint16_t>(KeyCode) : 0;
  }
}

std::optional<uint8_t> TypedCharacter(const char* Key, bool Ctrl, bool Alt) {
  if (Key == nullptr || Alt) return std::nullopt;
  for (const NamedKey& k : kNamedKeys) {
    if (std::strcmp(Key, k.Name) != 0) continue;
    if (!Ctrl) return k.Plain;
    return k.Ctrl < 0 ? std::nullopt : std::optional<uint8_t>(static_cast<uint8_t>(k.Ctrl));
  }
  // One printable ASCII character; anything longer is a key name or beyond ASCII.
  const auto c = static_cast<unsigned char>(Key[0]);
  if (c < 0x20 || c > 0x7E || Key[1] != '\0') return std::nullopt;
  if (!Ctrl) return c;
  // Ctrl+A is 1 ... Ctrl+Z is 26, and the three brackets' control characters.
  if (c >= 'a' && c <= 'z') return static_cast<uint8_t>(c - 'a' + 1);
  if (c >= 'A' && c <= 'Z') return static_cast<uint8_t>(c - 'A' + 1);
  if (c == '[') return uint8_t{27};
  if (c == '\\') return uint8_t{28};
  if (c == ']') return uint8_t{29};
  return std::nullopt;
}

bool MovesPage(uint16_t Vk) {
  return Vk == kVkSpace || (Vk >= kVkPrior && Vk <= kVkDown) || Vk == kVkTab || Vk == kVkBack;
}

}  // namespace carpex::web
