// The gamepad gives the form what the keyboard gives: the bomb key held and
// let go, Escape, and on the level screen the digit of the chosen level.
#include "platform/common/gamepad.h"

#include <gtest/gtest.h>

#include <string>

namespace carpex::common {
namespace {

constexpr GameView kLevelScreen{true, 0};
constexpr GameView kRound{false, 0};

// "down 32, char 48, up 40": the events in order.
std::string Text(const Gamepads::Events& E) {
  std::string out;
  for (int i = 0; i < E.Count; ++i) {
    if (!out.empty()) out += ", ";
    out += std::string(EventName(E.List[i].kind)) + " " + std::to_string(E.List[i].key);
  }
  return out;
}

constexpr uint32_t kA = PadBit(kPadA);
constexpr uint32_t kDown = PadBit(kPadDown);

TEST(Gamepads, InARoundTheBombButtonsAreHeldAndLetGoAsTheKeysAndBackIsEscape) {
  Gamepads pads;
  EXPECT_EQ(Text(pads.Update(7, 0, kRound)), "");
  EXPECT_EQ(pads.Count(), 1);
  EXPECT_EQ(Text(pads.Update(7, kA, kRound)), "down 32");
  EXPECT_EQ(Text(pads.Update(7, kA, kRound)), "") << "a held button repeats nothing";
  EXPECT_EQ(Text(pads.Update(7, kDown, kRound)), "up 32, down 40");
  EXPECT_EQ(Text(pads.Update(7, 0, kRound)), "up 40");
  EXPECT_EQ(Text(pads.Update(7, PadBit(kPadBack), kRound)), "char 27");
  EXPECT_EQ(Text(pads.Update(7, PadBit(kPadLeft) | PadBit(kPadRight), kRound)), "");
  EXPECT_EQ(pads.Choice(), 0) << "left and right choose only on the level screen";

  // A pad pulled out with A held lets go of the key; a second pad has its own buttons.
  EXPECT_EQ(Text(pads.Update(9, kA, kRound)), "down 32");
  EXPECT_EQ(Text(pads.Update(7, kA, kRound)), "down 32");
  EXPECT_EQ(Text(pads.Remove(9, kRound)), "up 32");
  EXPECT_EQ(pads.Count(), 1);
  EXPECT_EQ(Text(pads.Remove(9, kRound)), "");
}

TEST(Gamepads, OnTheLevelScreenAStartsTheLastLevelPlayedOrTheOneChosen) {
  Gamepads pads;
  EXPECT_EQ(Text(pads.Update(1, kA, kLevelScreen)), "char 48") << "level 0 the first time";
  EXPECT_EQ(Text(pads.Update(1, 0, kRound)), "up 32");
  // Left from 0 comes round to 9; right from 9 to 0.
  EXPECT_EQ(Text(pads.Update(1, PadBit(kPadLeft), kLevelScreen)), "");
  EXPECT_EQ(pads.Choice(), 9);
  pads.Update(1, 0, kLevelScreen);
  pads.Update(1, PadBit(kPadRight), kLevelScreen);
  pads.Update(1, 0, kLevelScreen);
  pads.Update(1, PadBit(kPadRight), kLevelScreen);
  EXPECT_EQ(Text(pads.Update(1, kA, kLevelScreen)), "char 49");
  pads.Update(1, 0, kRound);

  // A round started from the keyboard at level 6: back on the level screen A starts 6.
  EXPECT_TRUE(pads.ChooseLevelPlayed(GameView{false, 6}));
  EXPECT_FALSE(pads.ChooseLevelPlayed(GameView{true, 6}));
  EXPECT_EQ(Text(pads.Update(1, kA, GameView{true, 6})), "char 54");
}

}  // namespace
}  // namespace carpex::common
