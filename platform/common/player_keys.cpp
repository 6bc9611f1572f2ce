#include "platform/common/player_keys.h"

#include <cctype>

#include "assets/texts.h"
#include "world/keys.h"

namespace carpex::common {

namespace {

// The keys a player may name beside the letters, digits and F1 to F12: the
// ones every keyboard has and no system takes for itself.
struct Named {
  uint16_t Vk;
  const char* Name;
};
constexpr Named kNamed[] = {
    {kVkSpace, "Space"},
    {kVkTab, "Tab"},
    {kVkReturn, "Enter"},
    {kVkBack, "Backspace"},
    {kVkEscape, "Escape"},
    {kVkInsert, "Insert"},
    {kVkDelete, "Delete"},
    {kVkHome, "Home"},
    {kVkEnd, "End"},
    {kVkPrior, "PageUp"},
    {kVkNext, "PageDown"},
    {kVkLeft, "Left"},
    {kVkRight, "Right"},
    {kVkUp, "Up"},
    {kVkDown, "Down"},
    {kVkShift, "Shift"},
    {kVkControl, "Ctrl"},
    {kVkMenu, "Alt"},
    {kVkPause, "Pause"},
    {kVkMultiply, "KeypadMultiply"},
    {kVkAdd, "KeypadPlus"},
    {kVkSubtract, "KeypadMinus"},
    {kVkDecimal, "KeypadPeriod"},
    {kVkDivide, "KeypadDivide"},
    {kVkOem1, "Semicolon"},
    {kVkOemPlus, "Equals"},
    {kVkOemComma, "Comma"},
    {kVkOemMinus, "Minus"},
    {kVkOemPeriod, "Period"},
    {kVkOem2, "Slash"},
    {kVkOem3, "Backquote"},
    {kVkOem4, "LeftBracket"},
    {kVkOem5, "Backslash"},
    {kVkOem6, "RightBracket"},
    {kVkOem7, "Quote"},
};

// The names made of a prefix and a number.
constexpr char kKeypad[] = "Keypad";
constexpr int kFunctionKeys = 12;

// Named as the player reads them in each language.
struct Spoken {
  uint16_t Vk;
  Text Says;
};
constexpr Spoken kSpoken[] = {{kVkSpace, Text::KeySpace}, {kVkEscape, Text::KeyEscape},
                              {kVkLeft, Text::KeyLeft},   {kVkRight, Text::KeyRight},
                              {kVkUp, Text::KeyUp},       {kVkDown, Text::KeyDown}};

constexpr const char* kPadNames[] = {"A", "Back", "Down", "Left", "Right", "Start",
                                     "B", "X",    "Y",    "LB",   "RB"};
static_assert(std::size(kPadNames) == kPadButtons, "every button has its name");

// The keys that do something of their own: the digits choose a level, P and
// Pause pause, L the language, H the legend, f the frame rate, S the speed,
// K opens the choice of keys (where Backspace gives the defaults back), W
// and C watch the best round and clear the records, and Alt and Enter switch
// the display. The keypad's digits type digits.
bool Taken(uint16_t Vk) {
  if ((Vk >= '0' && Vk <= '9') || (Vk >= kVkNumpad0 && Vk <= kVkNumpad0 + 9)) return true;
  switch (Vk) {
    case 'P':
    case 'L':
    case 'H':
    case 'F':
    case 'S':
    case 'K':
    case 'W':
    case 'C':
    case kVkPause:
    case kVkMenu:
    case kVkReturn:
    case kVkBack:
      return true;
    default:
      return false;
  }
}

bool SameName(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  for (size_t i = 0; i < A.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(A[i])) !=
        std::tolower(static_cast<unsigned char>(B[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

const char* KeyName(uint16_t Vk) {
  // Letters and digits are their own names; "F1" to "F12" and "Keypad0" to
  // "Keypad9" are made once.
  static char single[128][2] = {};
  static char function[kFunctionKeys][4] = {};
  static char keypad[10][sizeof kKeypad + 1] = {};
  if ((Vk >= 'A' && Vk <= 'Z') || (Vk >= '0' && Vk <= '9')) {
    single[Vk][0] = static_cast<char>(Vk);
    return single[Vk];
  }
  if (Vk >= kVkF1 && Vk < kVkF1 + kFunctionKeys) {
    const int n = Vk - kVkF1 + 1;
    char* name = function[n - 1];
    name[0] = 'F';
    name[1] = static_cast<char>(n < 10 ? '0' + n : '1');
    name[2] = static_cast<char>(n < 10 ? '\0' : '0' + n - 10);
    return name;
  }
  if (Vk >= kVkNumpad0 && Vk <= kVkNumpad0 + 9) {
    char* name = keypad[Vk - kVkNumpad0];
    for (size_t i = 0; i + 1 < sizeof kKeypad; ++i) name[i] = kKeypad[i];
    name[sizeof kKeypad - 1] = static_cast<char>('0' + Vk - kVkNumpad0);
    return name;
  }
  for (const Named& n : kNamed) {
    if (n.Vk == Vk) return n.Name;
  }
  return nullptr;
}

uint16_t KeyNamed(std::string_view Name) {
  for (uint16_t vk = 1; vk < 256; ++vk) {
    const char* name = KeyName(vk);
    if (name != nullptr && SameName(name, Name)) return vk;
  }
  return 0;
}

std::string ShownKeyName(uint16_t Vk, Language In) {
  for (const Spoken& s : kSpoken) {
    if (s.Vk == Vk) return Say(s.Says, In);
  }
  const char* name = KeyName(Vk);
  return name != nullptr ? name : "?";
}

std::string ShownBombKeys(const PlayerKeys& Keys, Language In) {
  return Keys.Bomb != 0 ? ShownKeyName(Keys.Bomb, In) : Say(Text::KeySpaceOrDown, In);
}

std::string ShownLeaveKey(const PlayerKeys& Keys, Language In) {
  return ShownKeyName(Keys.Leave != 0 ? Keys.Leave : kVkEscape, In);
}

const char* PadButtonName(PadButton Button) {
  return Button < kPadButtons ? kPadNames[Button] : "?";
}

bool PadButtonNamed(std::string_view Name, PadButton* Button) {
  for (int b = 0; b < kPadButtons; ++b) {
    if (SameName(kPadNames[b], Name)) {
      *Button = static_cast<PadButton>(b);
      return true;
    }
  }
  return false;
}

Refusal Refuse(KeyFor Which, uint16_t Vk, const PlayerKeys& Keys) {
  if (KeyName(Vk) == nullptr) return Refusal::Unnamed;
  if (Taken(Vk)) return Refusal::InUse;
  // The other chosen key, or the default keys it stands for.
  if (Which == KeyFor::Bomb) {
    return Vk == (Keys.Leave != 0 ? Keys.Leave : kVkEscape) ? Refusal::InUse : Refusal::None;
  }
  const bool bomb = Keys.Bomb != 0 ? Vk == Keys.Bomb : Vk == kVkSpace || Vk == kVkDown;
  return bomb ? Refusal::InUse : Refusal::None;
}

Refusal Choose(KeyFor Which, uint16_t Vk, PlayerKeys* Keys) {
  const Refusal why = Refuse(Which, Vk, *Keys);
  if (why != Refusal::None) return why;
  if (Which == KeyFor::Bomb) {
    Keys->Bomb = Vk;
  } else {
    Keys->Leave = Vk == kVkEscape ? 0 : Vk;
  }
  return Refusal::None;
}

bool ChoosablePadBomb(PadButton Button) {
  switch (Button) {
    case kPadA:
    case kPadB:
    case kPadX:
    case kPadY:
    case kPadLeftShoulder:
    case kPadRightShoulder:
      return true;
    default:
      return false;
  }
}

}  // namespace carpex::common
