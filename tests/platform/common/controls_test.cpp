// The player's own controls, before the form sees them: a chosen bomb key is
// Space to the game and a chosen leave key Escape's character, the keys they
// replace do nothing; K asks for them and refuses a key in use; S changes the
// speed; W and C act on the records; a click is the bomb key where clicks play; one switch plays
// the whole game, its holds timed on an injected clock.
#include "platform/common/controls.h"

#include <gtest/gtest.h>

#include <string>

#include "world/keys.h"

namespace carpex::common {
namespace {

GameView Level() {
  return GameView{true, 0};
}
GameView Round() {
  return GameView{false, 0};
}
GameView Over() {
  return GameView{false, 0, true};
}

// "down 32, char 48": the events in order ("speed 50" for a speed).
std::string Text(const Controls::Result& R) {
  std::string out;
  for (int i = 0; i < R.Count; ++i) {
    if (!out.empty()) out += ", ";
    const char* name = EventName(R.Events[i].kind);
    out += std::string(name != nullptr ? name : "speed") + " " + std::to_string(R.Events[i].key);
  }
  return out;
}

TEST(Controls, ChosenKeysReachTheGameAsTheKeysTheyReplaceWhichDoNothing) {
  Controls c;
  c.SetKeys(PlayerKeys{'B', 'Q'});
  EXPECT_EQ(Text(c.KeyDown('B', Round())), "down 32");
  EXPECT_EQ(Text(c.KeyDown('B', Round())), "down 32") << "held, it repeats as Space would";
  EXPECT_FALSE(c.Passes('b'));
  EXPECT_EQ(Text(c.KeyUp('B')), "up 32");
  for (const uint16_t replaced : {kVkSpace, kVkDown, kVkEscape}) {
    const Controls::Result down = c.KeyDown(replaced, Round());
    EXPECT_TRUE(down.Taken && down.Count == 0) << replaced;
    // Space and Escape type their own codes.
    if (replaced != kVkDown) {
      EXPECT_FALSE(c.Passes(static_cast<uint8_t>(replaced)));
    }
    EXPECT_EQ(Text(c.KeyUp(replaced)), "") << replaced;
  }
  EXPECT_EQ(Text(c.KeyDown('Q', Round())), "char 27");
  EXPECT_FALSE(c.Passes('q'));
  c.KeyUp('Q');
  EXPECT_EQ(Text(c.KeyDown('A', Round())), "down 65") << "any other key as it is";
  c.KeyUp('A');
  // A recording watched is steered by the keys as they are.
  GameView watching = Round();
  watching.Watching = true;
  EXPECT_EQ(Text(c.KeyDown(kVkDown, watching)), "down 40");
  EXPECT_EQ(Text(c.KeyDown('S', watching)), "down 83") << "no speed of the game's";
}

TEST(Controls, KAsksForTheKeysRefusesOneInUseAndBackspaceGivesTheDefaultsBack) {
  Controls c;
  EXPECT_EQ(Text(c.KeyDown('K', Round())), "down 75") << "only on the level screen";
  c.KeyUp('K');
  c.KeyDown('K', Level());
  EXPECT_EQ(c.Prompt(), Controls::Asking::Bomb);
  for (const uint16_t taken :
       {uint16_t{'3'}, uint16_t{'P'}, uint16_t{'F'}, kVkEscape, kVkReturn, kVkMenu, kVkNumpad0}) {
    EXPECT_EQ(Text(c.KeyDown(taken, Level())), "") << taken;
    EXPECT_FALSE(c.Passes(static_cast<uint8_t>(taken))) << "nothing of it reaches the game";
    EXPECT_EQ(c.RefusedKey(), taken);
    EXPECT_EQ(c.RefusedWhy(), Refusal::InUse);
    c.KeyUp(taken);
  }
  c.KeyDown(kVkLwin, Level());
  EXPECT_EQ(c.RefusedWhy(), Refusal::Unnamed) << "a system key";
  c.KeyDown('B', Level());
  EXPECT_EQ(c.Prompt(), Controls::Asking::Leave);
  EXPECT_EQ(c.RefusedKey(), 0);
  c.KeyDown('B', Level());  // held: no second choice
  c.KeyUp('B');
  c.KeyDown('B', Level());
  EXPECT_EQ(c.RefusedKey(), 'B') << "the bomb key cannot leave";
  c.KeyDown(kVkSpace, Level());
  EXPECT_EQ(c.Prompt(), Controls::Asking::Nothing) << "Space is free once B bombs";
  EXPECT_EQ(c.Keys(), (PlayerKeys{'B', kVkSpace}));

  // K keeps a key as it is; a gamepad's button asked for the bomb is its bomb
  // button, which gives the game nothing meanwhile.
  c.KeyUp('K');
  c.KeyDown('K', Level());
  c.KeyUp('K');
  const Controls::Result pad = c.PadUpdate(1, PadBit(kPadX), Level());
  EXPECT_EQ(Text(pad), "");
  EXPECT_EQ(c.Prompt(), Controls::Asking::Nothing);
  EXPECT_EQ(c.Keys(), (PlayerKeys{'B', kVkSpace, kPadX}));
  c.PadUpdate(1, 0, Level());
  EXPECT_EQ(Text(c.PadUpdate(1, PadBit(kPadX), Level())), "char 48") << "X starts the level";
  c.PadUpdate(1, 0, Level());
  EXPECT_EQ(Text(c.PadUpdate(1, PadBit(kPadA) | PadBit(kPadDown), Round())), "")
      << "A and the D-pad's down no more";

  c.KeyDown('K', Level());
  c.KeyUp('K');
  c.KeyDown(kVkBack, Level());
  EXPECT_EQ(c.Prompt(), Controls::Asking::Nothing);
  EXPECT_EQ(c.Keys(), PlayerKeys{});
}

TEST(Controls, WAndCActOnTheRecordsOnTheLevelScreenOnlyWhereTheyAreKeptAndYConfirms) {
  using Act = Controls::Result::RecordsAct;
  Controls c;
  // Without records they are the form's.
  EXPECT_EQ(Text(c.KeyDown('W', Level())), "down 87");
  c.KeyUp('W');
  c.SetRecordKeys(true);
  EXPECT_EQ(c.KeyDown('W', Level()).Records, Act::WatchBest);
  c.KeyUp('W');
  EXPECT_EQ(Text(c.KeyDown('C', Round())), "down 67");
  c.KeyUp('C');
  // C asks; any key but Y keeps them, and is taken.
  for (const uint16_t answer : {uint16_t{kVkEscape}, uint16_t{'Y'}}) {
    EXPECT_TRUE(c.KeyDown('C', Level()).Taken && c.AskingToClear());
    const Controls::Result answered = c.KeyDown(answer, Level());
    EXPECT_TRUE(answered.Taken && answered.Count == 0 && !c.AskingToClear());
    EXPECT_EQ(answered.Records, answer == 'Y' ? Act::Clear : Act::None);
    c.KeyUp('C');
    c.KeyUp(answer);
  }
  EXPECT_EQ(Refuse(KeyFor::Bomb, 'W', PlayerKeys{}), Refusal::InUse);
}

TEST(Controls, SCyclesThroughTheSpeedsAndAClickIsTheBombKeyWhereClicksPlay) {
  Controls c;
  GameView view = Round();
  for (const uint16_t next : {75, 50, 25, 100}) {
    EXPECT_EQ(Text(c.KeyDown('S', view)), "speed " + std::to_string(next));
    c.KeyUp('S');
    view.Speed = next;
  }
  EXPECT_EQ(Text(c.Click(true, Round())), "") << "the native games' default";
  c.SetClick(true);
  EXPECT_EQ(Text(c.Click(true, Round())), "down 32");
  EXPECT_EQ(Text(c.Click(true, Round())), "");
  EXPECT_EQ(Text(c.Click(false, Round())), "up 32");
}

// The platform's clock as the test sets it, in milliseconds.
double now = 1000;

TEST(Controls, OneSwitchPlaysTheWholeGameItsHoldsOnThePlatformsClock) {
  Controls c;
  c.SetClock([] { return now; });
  c.SetOneSwitch(true);
  // A press on the level screen starts the level chosen when it ends.
  EXPECT_EQ(Text(c.KeyDown(kVkSpace, Level())), "");
  now += 300;
  EXPECT_EQ(Text(c.Poll(Level())), "");
  EXPECT_EQ(Text(c.KeyUp(kVkSpace)), "char 48");
  // In a round it is the bomb key; after a round a press goes back.
  EXPECT_EQ(Text(c.Click(true, Round())), "down 32");
  EXPECT_EQ(Text(c.KeyDown(kVkDown, Round())), "") << "a second source holds the same switch";
  EXPECT_EQ(Text(c.Click(false, Round())), "");
  EXPECT_EQ(Text(c.KeyUp(kVkDown)), "up 32");
  GameView over = Over();
  over.Level = 4;
  EXPECT_EQ(Text(c.PadUpdate(1, PadBit(kPadA), over)), "char 27");
  EXPECT_EQ(Text(c.PadUpdate(1, 0, Level())), "");
  EXPECT_EQ(c.Choice(), 4) << "the level played is the one a press starts";
  // Held a second, the next level; each further second another.
  c.KeyDown(kVkSpace, Level());
  now += 1000;
  EXPECT_EQ(Text(c.Poll(Level())), "");
  EXPECT_EQ(c.Choice(), 5);
  now += 500;
  c.Poll(Level());
  EXPECT_EQ(c.Choice(), 5);
  EXPECT_EQ(Text(c.KeyUp(kVkSpace)), "") << "a hold starts nothing";
  EXPECT_EQ(Text(c.Click(true, Level())), "");
  now += 2100;
  c.Poll(Level());
  c.Poll(Level());
  EXPECT_EQ(c.Choice(), 7) << "one level a frame";
  // Three seconds on the level screen quit.
  now += 1000;
  EXPECT_EQ(Text(c.Poll(Level())), "char 27");
  EXPECT_EQ(Text(c.Click(false, Level())), "");
}

}  // namespace
}  // namespace carpex::common
