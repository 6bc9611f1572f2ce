// Explosion slots, their timing, the end of a round and the banner.
#include "tests/world/world_test_support.h"

namespace carpex::test {
namespace {

class ExplosionTest : public ::testing::Test {
 protected:
  void SetUp() override { StartTestRound(*w, {3}); }
  std::unique_ptr<World> w = NewWorld();
  FakePainter painter;
};

TEST_F(ExplosionTest, SlotsAreTakenFromTheLowestFreeOneAndAFullTableDropsTheRequest) {
  StartExplosion(*w, ExplosionAnchor::AtCell(5, 10));
  StartExplosion(*w, ExplosionAnchor::AtBlock(100, 200));
  EXPECT_EQ(w->Explosions[1].State, kExplosionStarted);
  EXPECT_EQ(w->Explosions[2].State, kExplosionStarted);
  EXPECT_EQ(w->Explosions[2].X, 60);
  w->Explosions[1].State = kExplosionFree;
  StartExplosion(*w, ExplosionAnchor::AtBomb(0, 466, 16, 16));
  EXPECT_EQ(w->Explosions[1].X, -40);
  EXPECT_EQ(w->Explosions[1].Y, 451);
  EXPECT_EQ(w->Explosions[3].State, kExplosionFree);

  for (int32_t i = 3; i <= kExplosionSlots; ++i) StartExplosion(*w, ExplosionAnchor::AtCell(1, 1));
  EXPECT_EQ(BusyExplosions(*w), kExplosionSlots);
  EXPECT_EQ(w->Explosions[50].X, -24);
  StartExplosion(*w, ExplosionAnchor::AtCell(30, 20));
  for (int32_t i = 3; i <= kExplosionSlots; ++i) EXPECT_EQ(w->Explosions[i].X, -24);
}

TEST_F(ExplosionTest, PositionsComeFromTheTakenSlotsFrameSizeWithTruncatingHalves) {
  struct Case {
    ExplosionAnchor anchor;
    int32_t x96, y96, x_odd, y_odd;  // 96 x 60, then 95 x 61
  };
  const Case cases[] = {
      {ExplosionAnchor::AtCell(20, 6), 280, 74, 320 - 39, 96 - 22},
      {ExplosionAnchor::AtCell(0, 0), -40, -22, -39, -22},
      {ExplosionAnchor::AtBlock(192, 400), 152, 378, 153, 378},
      {ExplosionAnchor::AtBomb(608, 466, 16, 16), 568, 451, 569, 466 + 15 - 30},
  };
  for (const Case& c : cases) {
    SetUp();
    StartExplosion(*w, c.anchor);
    EXPECT_EQ(w->Explosions[1].X, c.x96);
    EXPECT_EQ(w->Explosions[1].Y, c.y96);
    // A slot of another size is placed from its own size.
    w->Explosions[1].FrameWidth = 95;
    w->Explosions[1].FrameHeight = 61;
    w->Explosions[1].State = kExplosionFree;
    StartExplosion(*w, c.anchor);
    EXPECT_EQ(w->Explosions[1].X, c.x_odd);
    EXPECT_EQ(w->Explosions[1].Y, c.y_odd);
  }
}

TEST_F(ExplosionTest, AStartedExplosionShowsFramesOneToEightAndAReusedSlotRestartsFromNine) {
  StartExplosion(*w, ExplosionAnchor::AtCell(5, 10));
  EXPECT_EQ(w->Explosions[1].Frame, 0);
  for (uint8_t frame = 1; frame <= 8; ++frame) {
    AdvanceExplosions(*w);
    ASSERT_EQ(w->Explosions[1].State, kExplosionRunning);
    ASSERT_EQ(w->Explosions[1].Frame, frame);
  }
  AdvanceExplosions(*w);
  EXPECT_EQ(w->Explosions[1].State, kExplosionFree);
  EXPECT_EQ(w->Explosions[1].Frame, 9);
  EXPECT_EQ(w->GameState, kPlaying);  // blocks left and no crash: nothing decided

  StartExplosion(*w, ExplosionAnchor::AtCell(5, 10));
  EXPECT_EQ(w->Explosions[1].Frame, 9);  // shown past the end of the sheet in its first frame
  EXPECT_EQ(w->Explosions[1].State, kExplosionStarted);
  AdvanceExplosions(*w);
  EXPECT_EQ(w->Explosions[1].Frame, 1);
  EXPECT_EQ(w->Explosions[1].State, kExplosionRunning);
}

TEST_F(ExplosionTest, TheFinishingExplosionDecidesWonBeforeLost) {
  struct Case {
    int32_t blocks;
    uint8_t crashed;
    TGameState state;
    TBannerFrame banner;
    TPlaneFrame plane_frame;
  };
  const Case cases[] = {
      {0, 0, kRoundOver, kBannerWon, kPlaneWheelsDown},   // won
      {-1, 0, kRoundOver, kBannerWon, kPlaneWheelsDown},  // won, counted past zero
      {4, 1, kRoundOver, kBannerLost, kPlaneCruising},    // lost
      {0, 1, kRoundOver, kBannerWon, kPlaneWheelsDown},   // both: won, though the plane stays gone
      {4, 0, kPlaying, kBannerLost, kPlaneCruising},      // neither
  };
  for (const Case& c : cases) {
    SetUp();
    w->BlocksLeft = c.blocks;
    w->Crashed = c.crashed;
    if (c.crashed) w->Plane.Mode = kPlaneGone;
    w->Explosions[3].State = kExplosionRunning;
    w->Explosions[3].Frame = 8;
    w->Explosions[7].State = kExplosionRunning;
    w->Explosions[7].Frame = 8;
    AdvanceExplosions(*w);
    EXPECT_EQ(w->GameState, c.state) << c.blocks << "/" << int{c.crashed};
    EXPECT_EQ(w->ResultBanner.Frame, c.banner) << c.blocks << "/" << int{c.crashed};
    EXPECT_EQ(w->Plane.Frame, c.plane_frame) << c.blocks << "/" << int{c.crashed};
    EXPECT_EQ(w->Plane.Mode, c.crashed ? kPlaneGone : kPlaneFlying);
    // The pass goes on through every slot after the decision.
    EXPECT_EQ(w->Explosions[7].State, kExplosionFree);
  }
}

TEST_F(ExplosionTest, ALastRemovalWinsWithItsOwnExplosionAndThePlaneMovesTwiceThatFrame) {
  StartOneBuildingRound(*w, 30, 1);
  StartStrike(*w, 30, 29);
  ASSERT_FALSE(AdvanceStrikes(*w, painter));  // frame f: BlocksLeft 0, explosion started
  EXPECT_EQ(w->BlocksLeft, 0);
  EXPECT_EQ(w->GameState, kPlaying);
  for (int32_t f = 1; f <= 8; ++f) {
    ASSERT_FALSE(AdvanceFrame(*w, painter));
    ASSERT_EQ(w->GameState, kPlaying) << f;
  }
  const int32_t x = w->Plane.X;
  ASSERT_FALSE(AdvanceFrame(*w, painter));  // ninth frame after the start
  EXPECT_EQ(w->GameState, kRoundOver);
  EXPECT_EQ(w->ResultBanner.Frame, kBannerWon);
  EXPECT_EQ(w->Plane.Frame, kPlaneWheelsDown);
  EXPECT_EQ(w->Plane.X, x + 4);
  EXPECT_EQ(w->ResultBanner.X, 224);
  EXPECT_EQ(w->ResultBanner.Y, 216);
}

TEST_F(ExplosionTest, ALostRoundStaysLostWhenTheLastBlockFallsLaterInThatFrame) {
  StartOneBuildingRound(*w, 30, 1);
  w->Crashed = 1;
  w->Plane.Mode = kPlaneGone;
  w->Explosions[1].State = kExplosionRunning;
  w->Explosions[1].Frame = 8;
  StartStrike(*w, 30, 29);
  ASSERT_FALSE(AdvanceFrame(*w, painter));
  EXPECT_EQ(w->BlocksLeft, 0);
  EXPECT_EQ(w->GameState, kRoundOver);
  EXPECT_EQ(w->ResultBanner.Frame, kBannerLost);
  // Nothing advances in the round-over state.
  const TExplosion frozen = w->Explosions[1];
  for (int32_t f = 0; f < 20; ++f) ASSERT_FALSE(AdvanceFrame(*w, painter));
  EXPECT_EQ(w->ResultBanner.Frame, kBannerLost);
  EXPECT_EQ(w->Explosions[1].State, frozen.State);
  EXPECT_EQ(w->Explosions[1].Frame, frozen.Frame);
}

TEST_F(ExplosionTest, TheBannerIsCentredWithTheRectangleOfItsFrame) {
  for (int32_t frame : {0, 1}) {
    w->ResultBanner.Frame = TBannerFrame(frame);
    w->ResultBanner.SrcRectPtr = nullptr;
    PlaceResultBanner(*w);
    const TResultBanner& r = w->ResultBanner;
    EXPECT_EQ(r.X, 224);
    EXPECT_EQ(r.Y, 216);
    EXPECT_EQ(r.SrcRect.Left, 0);
    EXPECT_EQ(r.SrcRect.Top, frame * 47);
    EXPECT_EQ(r.SrcRect.Right, 191);
    EXPECT_EQ(r.SrcRect.Bottom, (frame + 1) * 47);
    EXPECT_EQ(r.SrcRectPtr, &r.SrcRect);
  }
}

}  // namespace
}  // namespace carpex::test
