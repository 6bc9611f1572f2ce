// The typed characters the game listens to, and Windows virtual-key codes
// beyond letters and digits (which are their upper-case characters): the ones
// the game listens to (Space and Down drop the bomb, Escape leaves), and what
// the platforms without Windows translate their keys to. Named apart from windows.h's VK_ macros,
// which the Windows build sees beside them.
#pragma once

#include <cstdint>

namespace carpex {

// The characters the game listens to, as typed.
inline constexpr uint8_t kCharEscape = 27;
inline constexpr uint8_t kCharZero = '0';
inline constexpr uint8_t kCharNine = '9';
inline constexpr uint8_t kCharLowerF = 'f';

inline constexpr uint16_t kVkBack = 8;
inline constexpr uint16_t kVkTab = 9;
inline constexpr uint16_t kVkClear = 12;
inline constexpr uint16_t kVkReturn = 13;
inline constexpr uint16_t kVkShift = 16;
inline constexpr uint16_t kVkControl = 17;
inline constexpr uint16_t kVkMenu = 18;
inline constexpr uint16_t kVkPause = 19;
inline constexpr uint16_t kVkCapital = 20;
inline constexpr uint16_t kVkEscape = 27;
inline constexpr uint16_t kVkSpace = 32;
inline constexpr uint16_t kVkPrior = 33;
inline constexpr uint16_t kVkNext = 34;
inline constexpr uint16_t kVkEnd = 35;
inline constexpr uint16_t kVkHome = 36;
inline constexpr uint16_t kVkLeft = 37;
inline constexpr uint16_t kVkUp = 38;
inline constexpr uint16_t kVkRight = 39;
inline constexpr uint16_t kVkDown = 40;
inline constexpr uint16_t kVkSnapshot = 44;
inline constexpr uint16_t kVkInsert = 45;
inline constexpr uint16_t kVkDelete = 46;
inline constexpr uint16_t kVkLwin = 91;
inline constexpr uint16_t kVkRwin = 92;
inline constexpr uint16_t kVkApps = 93;
inline constexpr uint16_t kVkNumpad0 = 96;
inline constexpr uint16_t kVkMultiply = 106;
inline constexpr uint16_t kVkAdd = 107;
inline constexpr uint16_t kVkSubtract = 109;
inline constexpr uint16_t kVkDecimal = 110;
inline constexpr uint16_t kVkDivide = 111;
inline constexpr uint16_t kVkF1 = 112;
inline constexpr uint16_t kVkNumlock = 144;
inline constexpr uint16_t kVkScroll = 145;
inline constexpr uint16_t kVkOem1 = 186;       // ;:
inline constexpr uint16_t kVkOemPlus = 187;    // =+
inline constexpr uint16_t kVkOemComma = 188;   // ,<
inline constexpr uint16_t kVkOemMinus = 189;   // -_
inline constexpr uint16_t kVkOemPeriod = 190;  // .>
inline constexpr uint16_t kVkOem2 = 191;       // /?
inline constexpr uint16_t kVkOem3 = 192;       // `~
inline constexpr uint16_t kVkOem4 = 219;       // [{
inline constexpr uint16_t kVkOem5 = 220;       // \|
inline constexpr uint16_t kVkOem6 = 221;       // ]}
inline constexpr uint16_t kVkOem7 = 222;       // '"

}  // namespace carpex
