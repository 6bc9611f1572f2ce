// City generation, the reset of the movers, the generator and the invariant checker.
#include <algorithm>
#include <array>

#include "tests/world/world_test_support.h"

namespace carpex::test {
namespace {

TEST(MinHeightForLevel, MatchesTheLevelTableAndTruncates) {
  const std::array<uint8_t, 10> expected = {1, 3, 5, 8, 10, 13, 15, 17, 20, 22};
  for (uint8_t level = 0; level < 10; ++level) {
    EXPECT_EQ(MinHeightForLevel(level), expected[level]) << "level " << int{level};
  }
  // 4 * 2.4 = 9.6 must truncate (rounding gives 11); 5 * 2.4 must come out as exactly 12.
  EXPECT_EQ(MinHeightForLevel(4), 10);
  EXPECT_EQ(MinHeightForLevel(5), 13);
  // The floating-point product never lands just under a whole number, for any byte.
  for (int32_t level = 0; level < 256; ++level) {
    EXPECT_EQ(MinHeightForLevel(static_cast<uint8_t>(level)),
              static_cast<uint8_t>(level * 24 / 10 + 1))
        << "level " << level;
  }
}

TEST(GameRandom, FollowsThePcg32ReferenceSequence) {
  // Values from an independent implementation of PCG32 on the default stream.
  GameRandom rng(42);
  for (int32_t v : {1123384279, 1795671209, 1924641435, 1143034755}) {
    EXPECT_EQ(rng.Random(2147483647), v);
  }
  rng.Seed(12345);
  const std::array<int32_t, 7> bounds = {3, 24, 3, 24, 1, 1000000007, 2147483647};
  const std::array<int32_t, 7> values = {0, 3, 0, 19, 0, 778631529, 283047574};
  for (size_t i = 0; i < bounds.size(); ++i) EXPECT_EQ(rng.Random(bounds[i]), values[i]) << i;
}

TEST(GameRandom, ReseedingRepeatsAndEveryBoundIsKept) {
  GameRandom a(7);
  std::array<int32_t, 3> seen = {};
  for (int32_t i = 0; i < 3000; ++i) {
    const int32_t v = a.Random(3);
    ASSERT_GE(v, 0);
    ASSERT_LT(v, 3);
    ++seen[v];
  }
  for (int32_t count : seen) EXPECT_GT(count, 800);
  GameRandom b(7);
  a.Seed(7);
  for (int32_t i = 0; i < 100; ++i) EXPECT_EQ(a.Random(1000), b.Random(1000));
  EXPECT_EQ(a.Random(0), 0);  // an empty range gives 0 rather than a fault
  EXPECT_EQ(a.Random(-5), 0);
}

TEST(GenerateCity, DrawsStyleThenHeightForEveryBuilding) {
  auto w = NewWorld();
  QueueRandom rng;
  GenerateCity(*w, 3, rng);  // MinHeight 8: heights drawn from Random(17)
  ASSERT_EQ(rng.bounds.size(), 76u);
  for (size_t i = 0; i < rng.bounds.size(); i += 2) {
    EXPECT_EQ(rng.bounds[i], 3);
    EXPECT_EQ(rng.bounds[i + 1], 17);
  }
  EXPECT_EQ(w->BuildingCount, 38);
  for (int32_t b = 1; b <= 38; ++b) EXPECT_EQ(w->Buildings[b].Height, 8);
  EXPECT_EQ(w->BlocksLeft, 38 * 8);
}

TEST(GenerateCity, BuildsTheBlocksGridAndSourceRectanglesOfEachBuilding) {
  auto w = NewWorld();
  QueueRandom rng;
  for (int32_t b = 1; b <= 38; ++b) {
    rng.values.push_back(b == 5 ? 2 : 1);
    rng.values.push_back(b == 5 ? 2 : 23);  // level 0: height = value + 1
  }
  GenerateCity(*w, 0, rng);

  const TBuilding& b = w->Buildings[5];
  EXPECT_EQ(b.Style, 2);
  EXPECT_EQ(b.Height, 3);
  EXPECT_EQ(b.Width, 16);
  EXPECT_EQ(b.X, 80);
  const std::array<int32_t, 4> rect12 = {32, 16, 48, 32};
  const std::array<int32_t, 4> rect3 = {32, 0, 48, 16};
  for (int32_t i = 1; i <= 3; ++i) {
    const TBlock& k = b.Blocks[i];
    EXPECT_EQ(k.Kind, i == 3 ? kBlockRoof : kBlockStorey);
    EXPECT_EQ(k.Size, 16);
    EXPECT_EQ(k.X, 80);
    EXPECT_EQ(k.Y, 480 - 16 * i);
    const auto& r = i == 3 ? rect3 : rect12;
    EXPECT_EQ(k.SrcRect.Left, r[0]);
    EXPECT_EQ(k.SrcRect.Top, r[1]);
    EXPECT_EQ(k.SrcRect.Right, r[2]);
    EXPECT_EQ(k.SrcRect.Bottom, r[3]);
    EXPECT_EQ(k.SrcRectPtr, &k.SrcRect);
  }
  EXPECT_EQ(w->Grid[5][29], 1);
  EXPECT_EQ(w->Grid[5][28], 2);
  EXPECT_EQ(w->Grid[5][27], 3);
  for (int32_t r = 0; r <= 26; ++r) EXPECT_EQ(w->Grid[5][r], 0) << r;
  // The tallest buildings reach row 6 and no higher.
  EXPECT_EQ(w->Buildings[38].X, 608);
  EXPECT_EQ(w->Buildings[38].Height, 24);
  EXPECT_EQ(w->Grid[38][6], 24);
  EXPECT_EQ(w->BlocksLeft, 37 * 24 + 3);
  w->GameState = kPlaying;
  EXPECT_EQ(CheckInvariants(*w), nullptr);
}

TEST(GenerateCity, EveryLevelStaysWithinItsHeightsAndKeepsTheInvariants) {
  auto w = NewWorld();
  w->GameState = kPlaying;
  GameRandom rng(2024);
  for (uint8_t level = 0; level < 10; ++level) {
    const int32_t min = MinHeightForLevel(level);
    int32_t lowest = 99, highest = 0;
    for (int32_t round = 0; round < 40; ++round) {
      GenerateCity(*w, level, rng);
      ASSERT_EQ(CheckInvariants(*w), nullptr) << "level " << int{level};
      int32_t sum = 0;
      for (int32_t b = 1; b <= 38; ++b) {
        const TBuilding& building = w->Buildings[b];
        ASSERT_GE(building.Style, 0);
        ASSERT_LT(building.Style, 3);
        lowest = std::min<int32_t>(lowest, building.Height);
        highest = std::max<int32_t>(highest, building.Height);
        sum += building.Height;
        for (int32_t i = 1; i <= building.Height; ++i) {
          ASSERT_EQ(building.Blocks[i].Kind, i == building.Height ? kBlockRoof : kBlockStorey);
        }
      }
      ASSERT_EQ(w->BlocksLeft, sum);
    }
    EXPECT_EQ(lowest, min) << "level " << int{level};
    EXPECT_EQ(highest, 24) << "level " << int{level};
  }
}

TEST(GenerateCity, ANewRoundReplacesADemolishedCityWhole) {
  auto w = NewWorld();
  StartTestRound(*w, std::vector<int32_t>(38, 10));
  w->Grid[7][20] = 0;  // leftovers of a demolished round
  w->Buildings[7].Height = 9;
  w->Buildings[7].Blocks[9].Kind = kBlockRuined;
  w->BlocksLeft = 5;
  QueueRandom rng;
  for (int32_t b = 1; b <= 38; ++b) {
    rng.values.push_back(0);
    rng.values.push_back(b == 7 ? 11 : 1);
  }
  GenerateCity(*w, 0, rng);
  EXPECT_EQ(w->Buildings[7].Height, 12);
  EXPECT_EQ(w->Buildings[7].Blocks[9].Kind, kBlockStorey);
  EXPECT_EQ(w->Grid[7][20], 10);
  EXPECT_EQ(w->Grid[8][20], 0);  // the old, taller column is gone
  EXPECT_EQ(w->BlocksLeft, 37 * 2 + 12);
  EXPECT_EQ(CheckInvariants(*w), nullptr);
}

TEST(GenerateCity, WithoutStylesUsesTheFirstStyle) {
  auto w = NewWorld();
  w->StyleCount = 0;
  QueueRandom rng;
  GenerateCity(*w, 9, rng);
  for (size_t i = 0; i < rng.bounds.size(); i += 2) EXPECT_EQ(rng.bounds[i], 1);
  for (int32_t b = 1; b <= 38; ++b) EXPECT_EQ(w->Buildings[b].Style, 0);
}

TEST(GenerateCity, LevelsBeyondNineStillFitTheGrid) {
  auto w = NewWorld();
  w->GameState = kPlaying;
  GameRandom rng(3);
  for (int32_t level : {10, 11, 100, 255}) {
    GenerateCity(*w, static_cast<uint8_t>(level), rng);
    EXPECT_EQ(CheckInvariants(*w), nullptr) << level;
  }
}

TEST(ResetMovers, StartsTheNextRoundFromAFinishedOne) {
  auto w = NewWorld();
  StartTestRound(*w, {3});
  w->Plane = {};
  w->Crashed = 1;
  w->Explosions[4].Frame = 9;  // a finished explosion
  w->Explosions[4].State = kExplosionRunning;
  w->Bomb.State = kBombFalling;
  w->Bomb.KeyHeld = 1;
  w->Strikes[10].State = kStrikeWaiting;
  w->ResultBanner.Frame = kBannerWon;
  ResetMovers(*w);
  w->GameState = kPlaying;
  EXPECT_EQ(CheckInvariants(*w), nullptr);
  EXPECT_EQ(w->Plane.X, -48);
  EXPECT_EQ(w->Plane.Col, 0);
  EXPECT_EQ(w->Plane.Mode, kPlaneFlying);
  EXPECT_EQ(w->Crashed, 0);
  EXPECT_EQ(w->Explosions[4].Frame, 0);
  EXPECT_EQ(w->Explosions[4].State, kExplosionFree);
  EXPECT_EQ(w->Bomb.KeyHeld, 0);
  EXPECT_EQ(w->Strikes[10].State, kStrikeFree);
  EXPECT_EQ(w->ResultBanner.Frame, kBannerLost);
  // Each record hands the blit its own rectangle.
  EXPECT_EQ(w->Plane.SrcRectPtr, &w->Plane.SrcRect);
  EXPECT_EQ(w->Explosions[50].SrcRectPtr, &w->Explosions[50].SrcRect);
  EXPECT_EQ(w->ResultBanner.SrcRectPtr, &w->ResultBanner.SrcRect);
}

TEST(CheckInvariants, NamesEachKindOfBrokenState) {
  auto w = NewWorld();
  EXPECT_EQ(CheckInvariants(*w), nullptr) << "a world before its first round";
  StartTestRound(*w, {4, 0, 7});
  ASSERT_EQ(CheckInvariants(*w), nullptr);

  auto broken = [&](auto&& Change) {
    auto copy = NewWorld();
    StartTestRound(*copy, {4, 0, 7});
    Change(*copy);
    return CheckInvariants(*copy) != nullptr;
  };
  EXPECT_TRUE(broken([](World& v) { v.GameState = TGameState{0}; }));
  EXPECT_TRUE(broken([](World& v) { v.Plane.Mode = TPlaneMode{4}; }));
  EXPECT_TRUE(broken([](World& v) { v.Bomb.State = kBombAtBottom; }));
  EXPECT_TRUE(broken([](World& v) { v.Explosions[50].State = TExplosionState{3}; }));
  EXPECT_TRUE(broken([](World& v) { v.Strikes[10].State = TStrikeState{-1}; }));
  EXPECT_TRUE(broken([](World& v) { v.BlocksLeft -= 1; }));
  EXPECT_TRUE(broken([](World& v) { v.Grid[1][29] = 2; }));           // wrong number
  EXPECT_TRUE(broken([](World& v) { v.Grid[2][29] = 1; }));           // above Height
  EXPECT_TRUE(broken([](World& v) { v.Grid[3][26] = 0; }));           // hole
  EXPECT_TRUE(broken([](World& v) { v.Buildings[3].Height = 6; }));   // Height below its column
  EXPECT_TRUE(broken([](World& v) { v.Buildings[3].Height = -1; }));  // negative height
  EXPECT_TRUE(broken([](World& v) {
    v.Grid[39][29] = 1;
    v.BlocksLeft += 1;
  }));
  EXPECT_TRUE(broken([](World& v) {
    v.Grid[20][3] = 27;
    v.BlocksLeft += 1;
  }));
}

}  // namespace
}  // namespace carpex::test
