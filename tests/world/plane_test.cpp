// The plane: flight, change of row, its cell, the crash and the landing.
#include "tests/world/world_test_support.h"

namespace carpex::test {
namespace {

class PlaneTest : public ::testing::Test {
 protected:
  std::unique_ptr<World> w = NewWorld();
  FakePainter painter;
};

TEST_F(PlaneTest, FliesEachRowThenDropsAndWrapsFromTheBottomToTheTop) {
  StartTestRound(*w, {});
  // The first frame tests cell (0, 0): -8 div 16 truncates to 0.
  ASSERT_FALSE(AdvanceFrame(*w, painter));
  EXPECT_EQ(w->Plane.X, -46);
  EXPECT_EQ(w->Plane.Col, 0);
  EXPECT_EQ(w->Plane.Row, 0);
  for (int32_t x = -44; x <= 638; x += 2) {
    ASSERT_FALSE(AdvanceFrame(*w, painter));
    ASSERT_EQ(w->Plane.X, x);
    ASSERT_EQ(w->Plane.Y, 0);
    ASSERT_EQ(w->Plane.Mode, kPlaneFlying);
  }
  ASSERT_FALSE(AdvanceFrame(*w, painter));  // 640 becomes 0 on the next row in the same frame
  EXPECT_EQ(w->Plane.X, 0);
  EXPECT_EQ(w->Plane.Y, 16);
  EXPECT_EQ(w->Plane.Mode, kPlaneFlying);
  EXPECT_EQ(w->Plane.WrapX, 0);
  EXPECT_EQ(w->Plane.WrapY, 16);

  PlacePlane(*w, 638, 464);
  ASSERT_FALSE(AdvanceFrame(*w, painter));
  EXPECT_EQ(w->Plane.X, 0);
  EXPECT_EQ(w->Plane.Y, 0);
  EXPECT_EQ(CheckInvariants(*w), nullptr);
}

TEST_F(PlaneTest, TheSecondCopyAndTheCellFollowTheRightEdge) {
  StartTestRound(*w, {});
  struct Case {
    int32_t x, y, wrap_x, wrap_y, col, row;
  };
  const Case cases[] = {
      {582, 96, 582, 96, 38, 6},   {584, 96, 584, 96, 39, 6},   {592, 96, 592, 96, 39, 6},
      {594, 96, -46, 112, 39, 6},  {598, 96, -42, 112, 39, 6},  {600, 96, -40, 112, 40, 6},
      {602, 96, -38, 112, 0, 7},   {614, 96, -26, 112, 0, 7},   {616, 96, -24, 112, 1, 7},
      {630, 96, -10, 112, 1, 7},   {632, 96, -8, 112, 2, 7},    {638, 96, -2, 112, 2, 7},
      {594, 464, -46, 0, 39, 29},  {602, 464, -38, 0, 0, 0},    {-48, 0, -48, 0, 0, 0},
      {-34, 448, -34, 448, 0, 28}, {-22, 448, -22, 448, 1, 28},
  };
  for (const Case& c : cases) {
    PlacePlane(*w, c.x, c.y);
    EXPECT_EQ(w->Plane.WrapX, c.wrap_x) << c.x << "," << c.y;
    EXPECT_EQ(w->Plane.WrapY, c.wrap_y) << c.x << "," << c.y;
    EXPECT_EQ(w->Plane.Col, c.col) << c.x << "," << c.y;
    EXPECT_EQ(w->Plane.Row, c.row) << c.x << "," << c.y;
  }
}

TEST_F(PlaneTest, CrashesOneStepAfterItsCellEntersABlockAndTheRoundIsLost) {
  StartOneBuildingRound(*w, 20, 24);  // top block 24 in row 6
  const int32_t blocks = w->BlocksLeft;
  PlacePlane(*w, 276, 96);
  ASSERT_FALSE(AdvanceFrame(*w, painter));  // 278
  ASSERT_FALSE(AdvanceFrame(*w, painter));  // 280: the cell becomes (20, 6)
  EXPECT_EQ(w->Plane.Col, 20);
  EXPECT_EQ(w->Crashed, 0);
  ASSERT_FALSE(AdvanceFrame(*w, painter));  // advances to 282, then crashes
  EXPECT_EQ(w->Plane.X, 282);
  EXPECT_EQ(w->Plane.Mode, kPlaneGone);
  EXPECT_EQ(w->Crashed, 1);
  EXPECT_EQ(w->Buildings[20].Blocks[24].Kind, kBlockRuined);
  EXPECT_EQ(w->Buildings[20].Blocks[23].Kind, kBlockStorey);
  EXPECT_EQ(w->Grid[20][6], 24);
  EXPECT_EQ(w->Buildings[20].Height, 24);
  EXPECT_EQ(w->BlocksLeft, blocks);
  const std::vector<FakePainter::Call> repaint = {{true, 20}, {false, 20}};
  EXPECT_EQ(painter.calls, repaint);
  // Centred on the tested cell, not on the plane; already advanced once in this frame.
  const TExplosion& e = w->Explosions[1];
  EXPECT_EQ(e.X, 20 * 16 - 40);
  EXPECT_EQ(e.Y, 6 * 16 - 22);
  EXPECT_EQ(e.State, kExplosionRunning);
  EXPECT_EQ(e.Frame, 1);

  for (int32_t f = 0; f < 7; ++f) {
    ASSERT_FALSE(AdvanceFrame(*w, painter));
    ASSERT_EQ(w->GameState, kPlaying);
    ASSERT_EQ(w->Plane.X, 282);  // gone: never moved again
  }
  ASSERT_FALSE(AdvanceFrame(*w, painter));
  EXPECT_EQ(w->GameState, kRoundOver);
  EXPECT_EQ(w->ResultBanner.Frame, kBannerLost);
  EXPECT_EQ(w->Plane.Frame, kPlaneCruising);
  for (int32_t f = 0; f < 5; ++f) ASSERT_FALSE(AdvanceFrame(*w, painter));
  EXPECT_EQ(w->Plane.X, 282);
  EXPECT_EQ(w->Plane.Mode, kPlaneGone);
  EXPECT_EQ(CheckInvariants(*w), nullptr);
}

TEST_F(PlaneTest, CanCrashIntoTheNextRowBeforeJumpingThere) {
  StartOneBuildingRound(*w, 1, 23);  // top block in row 7
  PlacePlane(*w, 612, 96);
  ASSERT_FALSE(AdvanceFrame(*w, painter));  // 614: cell (0, 7)
  ASSERT_FALSE(AdvanceFrame(*w, painter));  // 616: cell (1, 7)
  EXPECT_EQ(w->Crashed, 0);
  ASSERT_FALSE(AdvanceFrame(*w, painter));
  EXPECT_EQ(w->Crashed, 1);
  EXPECT_EQ(w->Plane.X, 618);
  EXPECT_EQ(w->Plane.Y, 96);
  EXPECT_EQ(w->Explosions[1].X, -24);
  EXPECT_EQ(w->Explosions[1].Y, 7 * 16 - 22);

  // A crash found in the frame that reaches 640 leaves the plane there, gone.
  StartOneBuildingRound(*w, 2, 23);
  PlacePlane(*w, 638, 96);
  ASSERT_FALSE(AdvanceFrame(*w, painter));
  EXPECT_EQ(w->Plane.X, 640);
  EXPECT_EQ(w->Plane.Y, 96);
  EXPECT_EQ(w->Plane.Mode, kPlaneGone);
  EXPECT_EQ(w->Crashed, 1);
}

TEST_F(PlaneTest, AnAbandonedRepaintLeavesTheCrashToTheNextFrame) {
  StartOneBuildingRound(*w, 20, 24);
  PlacePlane(*w, 280, 96);
  painter.abandon_erase_number = 1;
  EXPECT_TRUE(MovePlane(*w, painter));
  EXPECT_EQ(w->Plane.Mode, kPlaneHitOrLanded);
  EXPECT_EQ(w->Crashed, 0);
  EXPECT_EQ(BusyExplosions(*w), 0);
  EXPECT_EQ(w->Buildings[20].Blocks[24].Kind, kBlockRuined);
  EXPECT_EQ(CheckInvariants(*w), nullptr);

  // The loop skipped the rest of the frame; the next one redoes the crash whole.
  ASSERT_FALSE(AdvanceFrame(*w, painter));
  EXPECT_EQ(w->Plane.Mode, kPlaneGone);
  EXPECT_EQ(w->Plane.X, 282);
  EXPECT_EQ(w->Crashed, 1);
  EXPECT_EQ(BusyExplosions(*w), 1);
  EXPECT_EQ(w->Explosions[1].X, 280);
  const std::vector<FakePainter::Call> calls = {{true, 20}, {true, 20}, {false, 20}};
  EXPECT_EQ(painter.calls, calls);
}

TEST_F(PlaneTest, ACrashWithEveryExplosionSlotBusyStillEndsTheFlight) {
  StartOneBuildingRound(*w, 20, 24);
  for (int32_t i = 1; i <= kExplosionSlots; ++i) w->Explosions[i].State = kExplosionRunning;
  PlacePlane(*w, 280, 96);
  EXPECT_FALSE(MovePlane(*w, painter));
  EXPECT_EQ(w->Plane.Mode, kPlaneGone);
  EXPECT_EQ(w->Crashed, 1);
  EXPECT_EQ(painter.calls.size(), 2u);
}

TEST_F(PlaneTest, AfterAWinItFliesThroughTheCityAndLandsAt586OnTheBottomRow) {
  StartTestRound(*w, std::vector<int32_t>(38, 24));
  w->GameState = kRoundOver;
  w->Plane.Frame = kPlaneWheelsDown;
  PlacePlane(*w, 602, 464);  // just past the landing cells: once more round the screen
  int32_t frames = 0;
  while (w->Plane.Mode != kPlaneHitOrLanded && frames < 20000) {
    ASSERT_FALSE(AdvanceFrame(*w, painter));
    ++frames;
  }
  EXPECT_EQ(w->Plane.X, 586);
  EXPECT_EQ(w->Plane.Y, 464);
  EXPECT_EQ(w->Crashed, 0);
  EXPECT_TRUE(painter.calls.empty());
  EXPECT_GT(frames, 29 * 320);
  for (int32_t f = 0; f < 10; ++f) ASSERT_FALSE(AdvanceFrame(*w, painter));
  EXPECT_EQ(w->Plane.X, 586);
  EXPECT_EQ(w->Plane.Mode, kPlaneHitOrLanded);
  EXPECT_EQ(w->Plane.Col, 39);
  EXPECT_EQ(w->Plane.Row, 29);
}

TEST_F(PlaneTest, APlaneAlreadyInTheLandingCellsStopsAtItsNextStep) {
  StartTestRound(*w, {});
  w->GameState = kRoundOver;
  struct Case {
    int32_t from, rest, wrap_x, wrap_y;
  };
  for (const Case& c : {Case{584, 586, 586, 464}, Case{590, 592, 592, 464}, Case{596, 598, -42, 0},
                        Case{600, 602, -38, 0}}) {
    w->Plane.Mode = kPlaneFlying;
    PlacePlane(*w, c.from, 464);
    for (int32_t f = 0; f < 5; ++f) ASSERT_FALSE(AdvanceFrame(*w, painter));
    EXPECT_EQ(w->Plane.Mode, kPlaneHitOrLanded) << c.from;
    EXPECT_EQ(w->Plane.X, c.rest) << c.from;
    EXPECT_EQ(w->Plane.Y, 464) << c.from;
    EXPECT_EQ(w->Plane.WrapX, c.wrap_x) << c.from;
    EXPECT_EQ(w->Plane.WrapY, c.wrap_y) << c.from;
  }
  // A landing cell on another row is not the bottom-right corner.
  w->Plane.Mode = kPlaneFlying;
  PlacePlane(*w, 590, 448);
  ASSERT_FALSE(AdvanceFrame(*w, painter));
  EXPECT_EQ(w->Plane.Mode, kPlaneFlying);
}

TEST_F(PlaneTest, AGonePlaneStaysWhereItWasInEveryState) {
  StartTestRound(*w, {});
  PlacePlane(*w, 100, 32);
  w->Plane.Mode = kPlaneGone;
  for (TGameState state : {kPlaying, kRoundOver}) {
    w->GameState = state;
    EXPECT_FALSE(MovePlane(*w, painter));
    UpdatePlaneCell(*w);
    EXPECT_EQ(w->Plane.X, 100);
    EXPECT_EQ(w->Plane.Mode, kPlaneGone);
  }
}

}  // namespace
}  // namespace carpex::test
