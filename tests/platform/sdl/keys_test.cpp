#include "platform/sdl/keys.h"

#include <gtest/gtest.h>

namespace carpex::sdl {
namespace {

uint16_t Vk(SDL_Keycode Sym, SDL_Scancode Scan = SDL_SCANCODE_UNKNOWN, uint16_t Mods = 0) {
  return VirtualKey(Sym, Scan, Mods);
}

TEST(VirtualKeyTest, NamedKeysHaveTheirWindowsCodes) {
  // A key as SDL reports it (its place only where the game's keys need one) and
  // the Windows code the game must see for it.
  struct Case {
    SDL_Keycode Sym;
    SDL_Scancode Scan;
    uint16_t Vk;
  };
  const Case cases[] = {
      {SDLK_SPACE, SDL_SCANCODE_SPACE, 32},       {SDLK_DOWN, SDL_SCANCODE_DOWN, 40},
      {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 27},     {SDLK_RETURN, SDL_SCANCODE_RETURN, 13},
      {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 13}, {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, 8},
      {SDLK_LEFT, SDL_SCANCODE_UNKNOWN, 37},      {SDLK_UP, SDL_SCANCODE_UNKNOWN, 38},
      {SDLK_RIGHT, SDL_SCANCODE_UNKNOWN, 39},     {SDLK_LSHIFT, SDL_SCANCODE_UNKNOWN, 16},
      {SDLK_RSHIFT, SDL_SCANCODE_UNKNOWN, 16},    {SDLK_RCTRL, SDL_SCANCODE_UNKNOWN, 17},
      {SDLK_LALT, SDL_SCANCODE_UNKNOWN, 18},      {SDLK_F1, SDL_SCANCODE_UNKNOWN, 112},
      {SDLK_F12, SDL_SCANCODE_UNKNOWN, 123},      {SDLK_F13, SDL_SCANCODE_UNKNOWN, 124},
      {SDLK_F24, SDL_SCANCODE_UNKNOWN, 135},      {SDLK_SEMICOLON, SDL_SCANCODE_UNKNOWN, 186},
      {SDLK_QUOTE, SDL_SCANCODE_UNKNOWN, 222},
  };
  for (const Case& c : cases) EXPECT_EQ(Vk(c.Sym, c.Scan), c.Vk) << SDL_GetKeyName(c.Sym);
}

TEST(VirtualKeyTest, LettersAndDigits) {
  for (char c = 'a'; c <= 'z'; ++c) EXPECT_EQ(Vk(c), c - 'a' + 'A') << c;
  for (char c = '0'; c <= '9'; ++c) EXPECT_EQ(Vk(c), c) << c;
}

TEST(VirtualKeyTest, KeypadFollowsNumLock) {
  EXPECT_EQ(Vk(SDLK_KP_2, SDL_SCANCODE_KP_2, KMOD_NUM), 98);  // kVkNumpad2
  EXPECT_EQ(Vk(SDLK_KP_0, SDL_SCANCODE_KP_0, KMOD_NUM), 96);
  EXPECT_EQ(Vk(SDLK_KP_9, SDL_SCANCODE_KP_9, KMOD_NUM), 105);
  // Without Num Lock the keypad is the keys printed under the digits.
  EXPECT_EQ(Vk(SDLK_KP_2, SDL_SCANCODE_KP_2), 40);  // Down: drops a bomb
  EXPECT_EQ(Vk(SDLK_KP_8, SDL_SCANCODE_KP_8), 38);
  EXPECT_EQ(Vk(SDLK_KP_5, SDL_SCANCODE_KP_5), 12);  // kVkClear
  EXPECT_EQ(Vk(SDLK_KP_0, SDL_SCANCODE_KP_0), 45);  // Insert
  EXPECT_EQ(Vk(SDLK_KP_PERIOD, SDL_SCANCODE_KP_PERIOD), 46);
  EXPECT_EQ(Vk(SDLK_KP_PERIOD, SDL_SCANCODE_KP_PERIOD, KMOD_NUM), 110);
}

TEST(VirtualKeyTest, UnknownSymbolsFallBackToTheKeysPlace) {
  // French layout: the digit row types '&', 'e acute', ... but is kVk1, kVk2 ...
  EXPECT_EQ(Vk('&', SDL_SCANCODE_1), '1');
  EXPECT_EQ(Vk(0xE9, SDL_SCANCODE_2), '2');
  EXPECT_EQ(Vk(0xE0, SDL_SCANCODE_0), '0');
  EXPECT_EQ(Vk(0xF6, SDL_SCANCODE_SEMICOLON), 186);
  // A layout's letters are its own, wherever they sit.
  EXPECT_EQ(Vk('a', SDL_SCANCODE_Q), 'A');
  EXPECT_EQ(Vk(SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN), 0);
  EXPECT_EQ(Vk(SDLK_VOLUMEUP, SDL_SCANCODE_VOLUMEUP), 0);
}

std::optional<uint8_t> Char(uint16_t Vk, uint16_t Mods = 0) {
  return TypedCharacter(Vk, Mods);
}

TEST(TypedCharacterTest, TheGamesCharacters) {
  EXPECT_EQ(Char(27), 27);
  EXPECT_EQ(Char(27, KMOD_LSHIFT), 27);
  for (uint16_t d = '0'; d <= '9'; ++d) EXPECT_EQ(Char(d), d);
  for (uint16_t d = 96; d <= 105; ++d) EXPECT_EQ(Char(d), '0' + (d - 96));  // keypad, Num Lock
  EXPECT_EQ(Char('F'), 'f');
  EXPECT_EQ(Char('F', KMOD_LSHIFT), 'F');
  EXPECT_EQ(Char(32), 32);
  EXPECT_EQ(Char(13), 13);
  EXPECT_EQ(Char(8), 8);
}

TEST(TypedCharacterTest, CaseFollowsShiftAndCapsLock) {
  EXPECT_EQ(Char('A'), 'a');
  EXPECT_EQ(Char('Z', KMOD_RSHIFT), 'Z');
  EXPECT_EQ(Char('Q', KMOD_CAPS), 'Q');
  EXPECT_EQ(Char('Q', KMOD_CAPS | KMOD_LSHIFT), 'q');
  // Caps Lock leaves the digits alone; Shift gives the US symbols.
  EXPECT_EQ(Char('5', KMOD_CAPS), '5');
  EXPECT_EQ(Char('1', KMOD_LSHIFT), '!');
  EXPECT_EQ(Char('0', KMOD_LSHIFT), ')');
  EXPECT_EQ(Char(189), '-');
  EXPECT_EQ(Char(189, KMOD_LSHIFT), '_');
}

TEST(TypedCharacterTest, ControlAndAltCombinations) {
  EXPECT_EQ(Char('A', KMOD_LCTRL), 1);
  EXPECT_EQ(Char('Z', KMOD_RCTRL | KMOD_LSHIFT), 26);
  EXPECT_EQ(Char(219, KMOD_LCTRL), 27);  // Ctrl+[ is Escape
  EXPECT_EQ(Char(13, KMOD_LCTRL), 10);
  EXPECT_EQ(Char(8, KMOD_LCTRL), 127);
  EXPECT_EQ(Char('5', KMOD_LCTRL), std::nullopt);
  // Alt makes system characters, which a form's key press never sees.
  EXPECT_EQ(Char('F', KMOD_LALT), std::nullopt);
  EXPECT_EQ(Char(27, KMOD_LALT), std::nullopt);
  EXPECT_EQ(Char('2', KMOD_LCTRL | KMOD_RALT), std::nullopt);
}

TEST(TypedCharacterTest, KeysThatTypeNothing) {
  for (uint16_t vk : {16, 17, 18, 20, 37, 38, 39, 40, 45, 46, 112, 123, 144}) {
    EXPECT_EQ(Char(vk), std::nullopt) << vk;
  }
}

}  // namespace
}  // namespace carpex::sdl
