// Windows virtual-key codes beyond letters and digits (which are their
// upper-case characters): the ones the game listens to (Space and Down drop
// the bomb, Escape leaves), and what the platforms without Windows translate
// their keys to. Named apart from windows.h's VK_ macros, which the Windows
// build sees beside them.
#pragma once

#include <cstdint>

namespace carpex {

enum : uint16_t {
  kVkBack = 8,
  kVkTab = 9,
  kVkClear = 12,
  kVkReturn = 13,
  kVkShift = 16,
  kVkControl = 17,
  kVkMenu = 18,
  kVkPause = 19,
  kVkCapital = 20,
  kVkEscape = 27,
  kVkSpace = 32,
  kVkPrior = 33,
  kVkNext = 34,
  kVkEnd = 35,
  kVkHome = 36,
  kVkLeft = 37,
  kVkUp = 38,
  kVkRight = 39,
  kVkDown = 40,
  kVkSnapshot = 44,
  kVkInsert = 45,
  kVkDelete = 46,
  kVkLwin = 91,
  kVkRwin = 92,
  kVkApps = 93,
  kVkNumpad0 = 96,
  kVkMultiply = 106,
  kVkAdd = 107,
  kVkSubtract = 109,
  kVkDecimal = 110,
  kVkDivide = 111,
  kVkF1 = 112,
  kVkNumlock = 144,
  kVkScroll = 145,
  kVkOem1 = 186,       // ;:
  kVkOemPlus = 187,    // =+
  kVkOemComma = 188,   // ,<
  kVkOemMinus = 189,   // -_
  kVkOemPeriod = 190,  // .>
  kVkOem2 = 191,       // /?
  kVkOem3 = 192,       // `~
  kVkOem4 = 219,       // [{
  kVkOem5 = 220,       // \|
  kVkOem6 = 221,       // ]}
  kVkOem7 = 222,       // '"
};

}  // namespace carpex
