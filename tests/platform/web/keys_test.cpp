// The page's keys as a Windows form sees them: the browsers' key codes, the
// character a key-down types, and the keys the page keeps from the browser.
#include "platform/web/keys.h"

#include <gtest/gtest.h>

#include "world/keys.h"

namespace carpex::web {
namespace {

TEST(WebKeys, KeyCodesAreWindowsCodesButFirefoxsOwnPunctuation) {
  EXPECT_EQ(VirtualKey(32), kVkSpace);
  EXPECT_EQ(VirtualKey(40), kVkDown);
  EXPECT_EQ(VirtualKey(27), kVkEscape);
  EXPECT_EQ(VirtualKey(65), 'A');
  EXPECT_EQ(VirtualKey(186), kVkOem1);  // Chromium's ";"
  EXPECT_EQ(VirtualKey(59), kVkOem1);   // Firefox's
  EXPECT_EQ(VirtualKey(61), kVkOemPlus);
  EXPECT_EQ(VirtualKey(173), kVkOemMinus);
  EXPECT_EQ(VirtualKey(255), 255);
  EXPECT_EQ(VirtualKey(256), 0);
  EXPECT_EQ(VirtualKey(0), 0);
}

TEST(WebKeys, AKeyDownTypesWhatWindowsMessageTranslationWould) {
  // A key and what it types alone and with Ctrl. With Ctrl letters are 1 to 26,
  // the brackets and backslash their controls; digits and Tab type nothing, nor
  // do other named keys or what is beyond ASCII. With Alt no key types anything.
  constexpr std::optional<uint8_t> kNothing;
  struct Case {
    const char* Key;
    std::optional<uint8_t> Alone, WithCtrl;
  };
  const Case cases[] = {
      {"f", 'f', 6},
      {"F", 'F', 6},
      {"a", 'a', 1},
      {"Z", 'Z', 26},
      {"7", '7', kNothing},
      {"1", '1', kNothing},
      {" ", ' ', kNothing},
      {"[", '[', 27},
      {"\\", '\\', 28},
      {"]", ']', 29},
      {"Escape", 27, 27},
      {"Enter", 13, 10},
      {"Backspace", 8, 127},
      {"Tab", 9, kNothing},
      {"ArrowDown", kNothing, kNothing},
      {"", kNothing, kNothing},
      {"\xC3\xA9", kNothing, kNothing},  // e acute
      {nullptr, kNothing, kNothing},
  };
  for (const Case& c : cases) {
    const char* name = c.Key ? c.Key : "null";
    EXPECT_EQ(TypedCharacter(c.Key, false, false), c.Alone) << name;
    EXPECT_EQ(TypedCharacter(c.Key, true, false), c.WithCtrl) << name << " with Ctrl";
    EXPECT_EQ(TypedCharacter(c.Key, false, true), kNothing) << name << " with Alt";
  }
}

TEST(WebKeys, ThePageKeepsTheKeysThatWouldScrollOrMoveTheFocus) {
  for (const uint16_t vk : {kVkSpace, kVkPrior, kVkNext, kVkEnd, kVkHome, kVkLeft, kVkUp, kVkRight,
                            kVkDown, kVkTab, kVkBack}) {
    EXPECT_TRUE(MovesPage(vk)) << vk;
  }
  for (const uint16_t vk : {kVkEscape, kVkReturn, uint16_t{'F'}, kVkF1}) {
    EXPECT_FALSE(MovesPage(vk)) << vk;
  }
}

}  // namespace
}  // namespace carpex::web
