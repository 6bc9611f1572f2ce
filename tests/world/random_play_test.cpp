// Many rounds of random key presses and frames, driven in the game loop's order,
// with the invariants checked after every frame.
#include <algorithm>
#include <array>

#include "tests/world/world_test_support.h"

namespace carpex::test {
namespace {

// Heights capped low in some rounds, so that the player can clear the city and win.
class CappedRandom : public RandomSource {
 public:
  explicit CappedRandom(GameRandom& Inner) : inner_(Inner) {}
  int32_t Random(int32_t N) override { return inner_.Random(std::min(N, cap)); }
  int32_t cap = 1000;

 private:
  GameRandom& inner_;
};

// Abandons some erases at random, and checks that every building drawn was erased
// just before.
class ChaosPainter : public Painter {
 public:
  explicit ChaosPainter(const World& W) : w_(W), rng_(99) {}
  bool EraseBuildingStrip(int32_t Index) override {
    EXPECT_GE(Index, 1);
    EXPECT_LE(Index, 38);
    EXPECT_EQ(pending_, -1) << "building erased twice without a drawing";
    if (rng_.Random(1000) < 30) {
      ++abandoned;
      return true;
    }
    pending_ = Index;
    return false;
  }
  void DrawBuilding(uint16_t Index) override {
    EXPECT_EQ(pending_, Index) << "building drawn without its erase";
    EXPECT_LE(w_.Buildings[Index].Height, 24);
    pending_ = -1;
  }
  bool DrawPlaying() override { return false; }
  bool DrawRoundOver() override { return false; }
  int32_t abandoned = 0;

 private:
  const World& w_;
  GameRandom rng_;
  int32_t pending_ = -1;
};

struct Frozen {
  std::array<uint8_t, kExplosionSlots + 1> explosion_frames;
  std::array<TStrikeState, kStrikeSlots + 1> strike_states;
  TBomb bomb;
};

Frozen Snapshot(const World& W) {
  Frozen f{};
  for (int32_t i = 1; i <= kExplosionSlots; ++i) f.explosion_frames[i] = W.Explosions[i].Frame;
  for (int32_t i = 1; i <= kStrikeSlots; ++i) f.strike_states[i] = W.Strikes[i].State;
  f.bomb = W.Bomb;
  return f;
}

bool SameFrozen(const Frozen& A, const Frozen& B) {
  return A.explosion_frames == B.explosion_frames && A.strike_states == B.strike_states &&
         A.bomb.X == B.bomb.X && A.bomb.Y == B.bomb.Y && A.bomb.State == B.bomb.State;
}

TEST(RandomPlay, ManyRoundsKeepEveryInvariant) {
  auto w = NewWorld();
  GameRandom player(20240601);
  GameRandom city(7);
  CappedRandom citySource(city);
  ChaosPainter painter(*w);
  int32_t frames = 0, rounds = 0, won = 0, lost = 0, landed = 0, escaped = 0, abandoned = 0;

  while (frames < 120000) {
    // The level screen: a digit starts a round.
    // A third of the rounds get a low level-0 city that random bombing can clear.
    const bool low = player.Random(3) == 0;
    const auto level = static_cast<uint8_t>(low ? 0 : player.Random(10));
    citySource.cap = low ? 2 : 1000;
    GenerateCity(*w, level, citySource);
    ResetMovers(*w);
    w->GameState = kPlaying;
    ++rounds;
    ASSERT_EQ(CheckInvariants(*w), nullptr);

    int32_t blocks = w->BlocksLeft;
    int32_t overFrames = 0;
    Frozen frozen{};
    bool counted = false;
    while (w->GameState != kLevelChoice) {
      // Key events between two frames.
      const int32_t event = player.Random(100);
      const uint16_t key = player.Random(2) == 0 ? kVkSpace : kVkDown;
      if (w->Bomb.KeyHeld != 0 && event < 30) FormKeyUp(*w, key);
      // Over a low city the player aims: a press only over a column with blocks.
      const int32_t target = std::clamp(w->Plane.Col - 1, 0, kGridColumns - 1);
      const bool aimed = !low || w->Grid[target][kGridRows - 1] != 0;
      if (w->Bomb.KeyHeld == 0 && event >= 80 && aimed) FormKeyDown(*w, key);
      if (player.Random(5000) == 0) {
        w->GameState = kLevelChoice;  // Escape in the middle of play
        ++escaped;
        break;
      }

      const TGameState stateBefore = w->GameState;
      abandoned += AdvanceFrame(*w, painter);
      ++frames;
      const char* broken = CheckInvariants(*w);
      ASSERT_EQ(broken, nullptr) << broken << " after frame " << frames;
      ASSERT_LE(w->BlocksLeft, blocks) << "the city grew";
      blocks = w->BlocksLeft;

      if (stateBefore == kPlaying && w->GameState == kRoundOver) {
        // The decision: a cleared city wins even after a crash; a crash alone loses.
        if (w->ResultBanner.Frame == kBannerWon) {
          ASSERT_LE(w->BlocksLeft, 0);
          ASSERT_EQ(w->Plane.Frame, kPlaneWheelsDown);
        } else {
          ASSERT_EQ(w->Crashed, 1);
        }
        frozen = Snapshot(*w);
      }
      if (w->GameState == kRoundOver) {
        ASSERT_TRUE(SameFrozen(frozen, Snapshot(*w))) << "something moved after the round";
        if (!counted) {
          counted = true;
          (w->ResultBanner.Frame == kBannerWon ? won : lost) += 1;
        }
        ++overFrames;
        if (w->Plane.Mode == kPlaneHitOrLanded) {
          // Landed: in the corner cells of the bottom row, two pixels past the test.
          ASSERT_GE(w->Plane.X, 586);
          ASSERT_LE(w->Plane.X, 602);
          ASSERT_EQ(w->Plane.Y, 464);
          ++landed;
          w->GameState = kLevelChoice;
        } else if (w->Plane.Mode == kPlaneGone && overFrames > 30) {
          w->GameState = kLevelChoice;
        }
        ASSERT_LT(overFrames, 11000) << "the plane never landed";
      }
      ASSERT_LT(frames, 2000000);
    }
  }
  RecordProperty("rounds", rounds);
  RecordProperty("escaped", escaped);
  EXPECT_GT(won, 0);
  EXPECT_GT(lost, 0);
  EXPECT_GT(landed, 0);
  EXPECT_GT(escaped, 0);
  EXPECT_GT(rounds, 20);
  EXPECT_GT(abandoned, 0);
  EXPECT_GT(painter.abandoned, 0);
}

}  // namespace
}  // namespace carpex::test
