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
  EXPECT_EQ(TypedCharacter("f", false, false), uint8_t{'f'});
  EXPECT_EQ(TypedCharacter("F", false, false), uint8_t{'F'});
  EXPECT_EQ(TypedCharacter("7", false, false), uint8_t{'7'});
  EXPECT_EQ(TypedCharacter(" ", false, false), uint8_t{' '});
  EXPECT_EQ(TypedCharacter("Escape", false, false), uint8_t{27});
  EXPECT_EQ(TypedCharacter("Enter", false, false), uint8_t{13});
  EXPECT_EQ(TypedCharacter("Backspace", false, false), uint8_t{8});
  EXPECT_EQ(TypedCharacter("Tab", false, false), uint8_t{9});
  // With Ctrl: letters are 1 to 26, the brackets and backslash their controls.
  EXPECT_EQ(TypedCharacter("a", true, false), uint8_t{1});
  EXPECT_EQ(TypedCharacter("Z", true, false), uint8_t{26});
  EXPECT_EQ(TypedCharacter("[", true, false), uint8_t{27});
  EXPECT_EQ(TypedCharacter("\\", true, false), uint8_t{28});
  EXPECT_EQ(TypedCharacter("]", true, false), uint8_t{29});
  EXPECT_EQ(TypedCharacter("Escape", true, false), uint8_t{27});
  EXPECT_EQ(TypedCharacter("Enter", true, false), uint8_t{10});
  EXPECT_EQ(TypedCharacter("Backspace", true, false), uint8_t{127});
  // Nothing: Alt, Ctrl with a digit or Tab, other named keys, beyond ASCII.
  EXPECT_FALSE(TypedCharacter("f", false, true));
  EXPECT_FALSE(TypedCharacter("Escape", false, true));
  EXPECT_FALSE(TypedCharacter("1", true, false));
  EXPECT_FALSE(TypedCharacter("Tab", true, false));
  EXPECT_FALSE(TypedCharacter("ArrowDown", false, false));
  EXPECT_FALSE(TypedCharacter("\xC3\xA9", false, false));  // e acute
  EXPECT_FALSE(TypedCharacter("", false, false));
  EXPECT_FALSE(TypedCharacter(nullptr, false, false));
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
