// Rounds as the game tells them, and the player's pause: what a round starts
// from and how it ends, and a paused round that stands still until it goes on.
#include <gtest/gtest.h>

#include <vector>

#include "tests/shell/gfx_support.h"

namespace carpex::gfxtest {
namespace {

class Heard final : public RoundListener {
 public:
  void RoundStarted(const RoundStart& Start) override { Starts.push_back(Start); }
  void RoundEnded(const RoundEnd& End) override { Ends.push_back(End); }
  void RoundClosed() override { ++Closed; }
  std::vector<RoundStart> Starts;
  std::vector<RoundEnd> Ends;
  int Closed = 0;
};

using RoundsTest = GfxTest;

TEST_F(RoundsTest, ARoundIsToldWithItsCityItsCarriedGameAndHowItEnded) {
  game.Create();
  Heard heard;
  game.Session().AddRoundListener(&heard);
  game.Key('f');
  BeginShortRound(game);
  ASSERT_EQ(heard.Starts.size(), 1u);
  const RoundStart& start = heard.Starts[0];
  EXPECT_EQ(start.Level, 0);
  ASSERT_EQ(start.ValueCount, kCityValues);
  EXPECT_EQ(start.Values[0], 1u);   // building 1: style 1,
  EXPECT_EQ(start.Values[1], 23u);  // 24 blocks
  EXPECT_EQ(start.Carried.FpsShown, 1);
  game.Frames(kShortRoundFrames);
  ASSERT_EQ(heard.Ends.size(), 1u);
  EXPECT_EQ(heard.Ends[0].Outcome, RoundOutcome::Lost);
  EXPECT_EQ(heard.Ends[0].Bombs, 1u);
  EXPECT_GT(heard.Ends[0].Frames, 30u);
  EXPECT_LT(heard.Ends[0].Frames, static_cast<uint32_t>(kShortRoundFrames));
  EXPECT_EQ(heard.Closed, 0);
  game.Key(27);
  EXPECT_EQ(heard.Ends.size(), 1u) << "a decided round is closed, not left";
  EXPECT_EQ(heard.Closed, 1);

  // Left while it is played: told with the frames it ran.
  game.StartRound(ShortRoundCity());
  game.Frames(5);
  game.Key(27);
  ASSERT_EQ(heard.Ends.size(), 2u);
  EXPECT_EQ(heard.Ends[1].Outcome, RoundOutcome::Left);
  EXPECT_EQ(heard.Ends[1].Frames, 5u);
  EXPECT_EQ(heard.Closed, 2);
  game.Session().RemoveRoundListener(&heard);
}

TEST_F(RoundsTest, APausedRoundStandsStillKeepsItsPauseThroughASwitchAwayAndEscapeEndsIt) {
  game.Create();
  game.Handle({FormEvent::Pause, 0});
  EXPECT_FALSE(game.View().Paused) << "nothing to pause on the level screen";
  BeginShortRound(game);
  game.Frames(3);
  const TPlane before = game.W().Plane;
  game.Handle({FormEvent::Pause, 0});
  EXPECT_FALSE(game.Frame()) << "a paused round flips nothing";
  game.Down(kVkDown);
  game.Handle({FormEvent::Deactivate, 0});
  game.Handle({FormEvent::Restore, 0});
  game.Frames(3);
  EXPECT_EQ(game.View().Active, 0);
  EXPECT_EQ(game.W().Plane.X, before.X);
  EXPECT_EQ(game.W().Bomb.KeyHeld, 1) << "the bomb key before the pause is still held";
  game.Handle({FormEvent::Pause, 0});
  EXPECT_TRUE(game.Frame());
  EXPECT_EQ(game.W().Plane.X, before.X + 2);

  game.Handle({FormEvent::Pause, 0});
  game.Key(27);
  EXPECT_TRUE(game.Frame()) << "the level screen is not paused";
  EXPECT_FALSE(game.View().Paused);
}

}  // namespace
}  // namespace carpex::gfxtest
