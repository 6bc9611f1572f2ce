// The release latch, the bomb's fall and the demolitions.
#include "tests/world/world_test_support.h"

namespace carpex::test {
namespace {

class BombTest : public ::testing::Test {
 protected:
  // The plane parked out of the way (gone), so that only the bomb steps act.
  void ParkPlane(int32_t Col, int32_t Row) {
    w->Plane.Mode = kPlaneGone;
    w->Plane.Col = Col;
    w->Plane.Row = Row;
  }
  // The bomb and strike steps of one frame, as the loop runs them.
  bool Step() {
    AdvanceExplosions(*w);
    MoveBomb(*w);
    return AdvanceStrikes(*w, painter);
  }
  std::unique_ptr<World> w = NewWorld();
  FakePainter painter;
};

TEST_F(BombTest, HoldingTheKeyReleasesOneBombAndANewPressNeedsTheKeyUp) {
  StartTestRound(*w, {});
  FormKeyDown(*w, kVkSpace);
  EXPECT_EQ(w->Bomb.State, kBombReleased);
  EXPECT_EQ(w->Bomb.KeyHeld, 1);
  ASSERT_FALSE(AdvanceFrame(*w, painter));
  EXPECT_EQ(w->Bomb.State, kBombFalling);
  FormKeyDown(*w, kVkSpace);  // auto-repeat
  FormKeyUp(*w, kVkSpace);
  FormKeyDown(*w, kVkDown);  // a press while the bomb falls is used up
  EXPECT_EQ(w->Bomb.KeyHeld, 1);
  while (w->Bomb.State != kBombNone) ASSERT_FALSE(AdvanceFrame(*w, painter));
  FormKeyDown(*w, kVkDown);  // still held from before: nothing
  EXPECT_EQ(w->Bomb.State, kBombNone);
  FormKeyUp(*w, kVkSpace);  // either key clears the shared latch
  EXPECT_EQ(w->Bomb.KeyHeld, 0);
  FormKeyDown(*w, 65);  // not a release key
  EXPECT_EQ(w->Bomb.State, kBombNone);
  FormKeyDown(*w, kVkDown);
  EXPECT_EQ(w->Bomb.State, kBombReleased);
}

TEST_F(BombTest, NoReleaseOutsidePlayOrAfterTheCrashButKeyUpAlwaysClears) {
  StartTestRound(*w, {});
  for (TGameState state : {kLevelChoice, kRoundOver}) {
    w->GameState = state;
    FormKeyDown(*w, kVkSpace);
    EXPECT_EQ(w->Bomb.State, kBombNone);
    EXPECT_EQ(w->Bomb.KeyHeld, 0);
    w->Bomb.KeyHeld = 1;
    FormKeyUp(*w, kVkDown);
    EXPECT_EQ(w->Bomb.KeyHeld, 0);
  }
  w->GameState = kPlaying;
  w->Crashed = 1;
  FormKeyDown(*w, kVkSpace);
  EXPECT_EQ(w->Bomb.State, kBombNone);
  EXPECT_EQ(w->Bomb.KeyHeld, 0);
}

TEST_F(BombTest, AtTheStartOfARoundTheBombIsClampedToColumnZeroAndExplodesAtTheBottom) {
  StartTestRound(*w, std::vector<int32_t>(38, 24));
  FormKeyDown(*w, kVkSpace);
  ASSERT_FALSE(AdvanceFrame(*w, painter));  // plane cell (0, 0): x = -16, clamped
  EXPECT_EQ(w->Bomb.X, 0);
  EXPECT_EQ(w->Bomb.Y, 10);
  EXPECT_EQ(w->Bomb.Col, 0);
  EXPECT_EQ(w->Bomb.Row, 1);
  int32_t frames = 1;
  while (w->Bomb.State == kBombFalling) {
    ASSERT_LE(w->Bomb.Y, 464);
    ASSERT_FALSE(AdvanceFrame(*w, painter));
    ++frames;
  }
  EXPECT_EQ(frames, (466 - 8) / 2);
  EXPECT_EQ(w->Bomb.Y, 466);
  EXPECT_EQ(w->Bomb.State, kBombNone);
  ASSERT_EQ(BusyExplosions(*w), 1);
  EXPECT_EQ(w->Explosions[1].X, -40);
  EXPECT_EQ(w->Explosions[1].Y, 451);
  EXPECT_EQ(w->Explosions[1].State, kExplosionStarted);  // advanced from the next frame on
  EXPECT_TRUE(painter.calls.empty());
}

TEST_F(BombTest, PlacementUsesThePlanesCellAndClampsAtTheRightEdge) {
  StartTestRound(*w, {});
  struct Case {
    int32_t col, row, x, y;
  };
  for (const Case& c : {Case{10, 3, 144, 58}, Case{40, 0, 624, 10}, Case{42, 29, 624, 474}}) {
    ParkPlane(c.col, c.row);
    w->Bomb.State = kBombReleased;
    MoveBomb(*w);
    EXPECT_EQ(w->Bomb.X, c.x) << c.col;
    EXPECT_EQ(w->Bomb.Y, c.y) << c.col;
  }
  // A bomb released on the bottom row goes past the edge in its first frame.
  EXPECT_EQ(w->Bomb.State, kBombNone);
  EXPECT_EQ(BusyExplosions(*w), 1);
  EXPECT_EQ(w->Explosions[1].Y, 474 - 15);
}

TEST_F(BombTest, AHitOnHeightFiveRemovesThreeBlocksThreeFramesApart) {
  StartOneBuildingRound(*w, 12, 5);  // blocks in rows 25..29
  ParkPlane(13, 22);                 // bomb in column 12, first tested row 23
  w->Bomb.State = kBombReleased;
  int32_t hitFrame = -1;
  std::vector<int32_t> removalFrames;
  for (int32_t f = 0; f < 40; ++f) {
    const int32_t before = w->Buildings[12].Height;
    ASSERT_FALSE(Step());
    if (hitFrame < 0 && w->Strikes[1].State != kStrikeFree) hitFrame = f;
    if (w->Buildings[12].Height != before) removalFrames.push_back(f);
    ASSERT_EQ(CheckInvariants(*w), nullptr);
  }
  ASSERT_GE(hitFrame, 0);
  // The bomb starts at y 360 and enters row 25 (y + 15 >= 400) at y 386.
  EXPECT_EQ(hitFrame, (386 - 360) / 2 - 1);
  EXPECT_EQ(removalFrames, (std::vector<int32_t>{hitFrame, hitFrame + 3, hitFrame + 6}));
  const TBuilding& b = w->Buildings[12];
  EXPECT_EQ(b.Height, 2);
  EXPECT_EQ(b.Blocks[4].Kind, kBlockRuined);
  EXPECT_EQ(b.Blocks[3].Kind, kBlockRuined);
  EXPECT_EQ(b.Blocks[2].Kind, kBlockRuined);  // the remaining top is shown ruined
  EXPECT_EQ(b.Blocks[1].Kind, kBlockStorey);
  EXPECT_EQ(w->BlocksLeft, 2);
  EXPECT_EQ(w->Strikes[1].State, kStrikeFree);
  // One explosion per removal, each centred on the block position the strike reached.
  EXPECT_EQ(w->Explosions[1].Y, 400 - 22);
  EXPECT_EQ(w->Explosions[2].Y, 416 - 22);
  EXPECT_EQ(w->Explosions[3].Y, 432 - 22);
  EXPECT_EQ(w->Explosions[3].X, 192 - 40);
  const std::vector<FakePainter::Call> pair = {{true, 12}, {false, 12}};
  std::vector<FakePainter::Call> expected;
  for (int i = 0; i < 3; ++i) expected.insert(expected.end(), pair.begin(), pair.end());
  EXPECT_EQ(painter.calls, expected);
}

TEST_F(BombTest, HeightsOneAndTwoEndTheStrikeWithTheBuildingEmpty) {
  for (int32_t height : {1, 2}) {
    StartOneBuildingRound(*w, 12, height);
    StartStrike(*w, 12, 30 - height);
    int32_t removals = 0;
    for (int32_t f = 0; f < 10; ++f) {
      const int32_t before = w->BlocksLeft;
      ASSERT_FALSE(AdvanceStrikes(*w, painter));
      removals += before != w->BlocksLeft;
      if (f == 0) {
        EXPECT_EQ(w->Strikes[1].State, height == 1 ? kStrikeFree : kStrikeWaiting);
      }
    }
    EXPECT_EQ(removals, height);
    EXPECT_EQ(w->Buildings[12].Height, 0);
    EXPECT_EQ(w->Strikes[1].State, kStrikeFree);
    EXPECT_EQ(w->BlocksLeft, 0);
    EXPECT_EQ(CountGridCells(*w), 0);
    if (height == 1) {
      EXPECT_EQ(w->Buildings[12].Blocks[1].Kind, kBlockRoof);  // nothing turned ruined
      EXPECT_EQ(w->Buildings[12].Blocks[0].Kind, kBlockRoof);
    }
  }
}

TEST_F(BombTest, TwoStrikesOnOneBuildingShareItsBlocksAndTheLaterOneEndsEmptyHanded) {
  StartOneBuildingRound(*w, 7, 4);
  StartStrike(*w, 7, 26);
  StartStrike(*w, 7, 26);
  EXPECT_EQ(w->Strikes[2].Block, 4);
  for (int32_t f = 0; f < 8; ++f) {
    ASSERT_FALSE(AdvanceStrikes(*w, painter));
    ASSERT_EQ(CheckInvariants(*w), nullptr) << f;
  }
  EXPECT_EQ(w->Buildings[7].Height, 0);
  EXPECT_EQ(w->BlocksLeft, 0);
  EXPECT_EQ(w->Strikes[1].State, kStrikeFree);
  EXPECT_EQ(w->Strikes[2].State, kStrikeFree);
  EXPECT_EQ(painter.erases, 4);
  EXPECT_EQ(BusyExplosions(*w), 4);
}

TEST_F(BombTest, WithEveryStrikeSlotBusyAHitOnlySpendsTheBomb) {
  StartOneBuildingRound(*w, 12, 5);
  for (int32_t i = 1; i <= kStrikeSlots; ++i) {
    w->Strikes[i].State = kStrikeWaiting;
    w->Strikes[i].Timer = -1000;  // keep them waiting
    w->Strikes[i].Building = 12;
  }
  ParkPlane(13, 24);
  w->Bomb.State = kBombReleased;
  ASSERT_FALSE(Step());
  EXPECT_EQ(w->Bomb.State, kBombNone);
  EXPECT_EQ(w->Buildings[12].Height, 5);
  EXPECT_EQ(w->BlocksLeft, 5);
  EXPECT_TRUE(painter.calls.empty());
  EXPECT_EQ(BusyExplosions(*w), 0);
}

TEST_F(BombTest, AStrikeNeedsACellOfTheGridThatHoldsABlock) {
  StartOneBuildingRound(*w, 12, 5);
  StartStrike(*w, 12, 20);  // above the building
  StartStrike(*w, -1, 29);
  StartStrike(*w, 40, 29);
  StartStrike(*w, 12, 30);
  for (int32_t i = 1; i <= kStrikeSlots; ++i) EXPECT_EQ(w->Strikes[i].State, kStrikeFree);
  StartStrike(*w, 12, 27);  // below the top: the top block goes, the explosion is at block 3
  EXPECT_EQ(w->Strikes[1].X, 192);
  EXPECT_EQ(w->Strikes[1].Y, 432);
  ASSERT_FALSE(AdvanceStrikes(*w, painter));
  EXPECT_EQ(w->Grid[12][25], 0);
  EXPECT_EQ(w->Buildings[12].Blocks[2].Kind, kBlockRuined);
  EXPECT_EQ(w->Explosions[1].Y, 432 - 22);
  EXPECT_EQ(CheckInvariants(*w), nullptr);
}

TEST_F(BombTest, AnAbandonedRepaintStopsThePassButKeepsTheRemoval) {
  StartTestRound(*w, {0, 0, 0, 4, 0, 6});
  StartStrike(*w, 4, 26);
  StartStrike(*w, 6, 24);
  painter.abandon_erase_number = 1;
  EXPECT_TRUE(AdvanceStrikes(*w, painter));
  EXPECT_EQ(w->Buildings[4].Height, 3);
  EXPECT_EQ(w->Grid[4][26], 0);
  EXPECT_EQ(w->Buildings[4].Blocks[3].Kind, kBlockRuined);
  EXPECT_EQ(w->BlocksLeft, 9);
  EXPECT_EQ(w->Strikes[1].State, kStrikeWaiting);
  EXPECT_EQ(w->Strikes[1].Timer, 0);                   // its wait was skipped
  EXPECT_EQ(w->Strikes[2].State, kStrikeRemoveBlock);  // not reached
  EXPECT_EQ(w->Buildings[6].Height, 6);
  EXPECT_EQ(BusyExplosions(*w), 0);
  EXPECT_EQ(painter.calls, (std::vector<FakePainter::Call>{{true, 4}}));
  EXPECT_EQ(CheckInvariants(*w), nullptr);

  EXPECT_FALSE(AdvanceStrikes(*w, painter));
  EXPECT_EQ(w->Strikes[1].Timer, 1);
  EXPECT_EQ(w->Buildings[6].Height, 5);
  EXPECT_EQ(BusyExplosions(*w), 1);
}

TEST_F(BombTest, ABombWithoutItsSizesDoesNotDivideByZero) {
  // A round whose set-up stopped before the movers were first reset.
  StartTestRound(*w, {});
  w->Bomb = {};
  FormKeyDown(*w, kVkSpace);
  ParkPlane(20, 3);
  for (int32_t f = 0; f < 5; ++f) MoveBomb(*w);
  EXPECT_EQ(w->Bomb.X, 0);
  EXPECT_EQ(CheckInvariants(*w), nullptr);
}

}  // namespace
}  // namespace carpex::test
