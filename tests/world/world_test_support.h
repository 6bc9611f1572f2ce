// Fakes and helpers shared by the world tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "world/world.h"

namespace carpex::test {

// Records every call; can be told to abandon a given erase.
class FakePainter : public Painter {
 public:
  struct Call {
    bool erase;  // false: DrawBuilding
    int32_t index;
    bool operator==(const Call&) const = default;
  };

  bool EraseBuildingStrip(int32_t Index) override {
    calls.push_back({true, Index});
    ++erases;
    if (abandon_erase_number != 0 && erases == abandon_erase_number) return true;
    return abandon_all;
  }
  void DrawBuilding(uint16_t Index) override { calls.push_back({false, Index}); }
  bool DrawPlaying() override { return false; }
  bool DrawRoundOver() override { return false; }

  std::vector<Call> calls;
  int32_t erases = 0;
  int32_t abandon_erase_number = 0;  // 1-based number of the erase that abandons; 0 none
  bool abandon_all = false;
};

// Serves queued values (0 when the queue is empty) and records every bound asked for.
class QueueRandom : public RandomSource {
 public:
  int32_t Random(int32_t N) override {
    bounds.push_back(N);
    int32_t v = 0;
    if (!values.empty()) {
      v = values.front();
      values.pop_front();
    }
    EXPECT_GE(N, 1) << "Random called with an empty range";
    EXPECT_LT(v, N) << "queued value does not fit the range asked for";
    return v;
  }
  std::deque<int32_t> values;
  std::vector<int32_t> bounds;
};

inline std::unique_ptr<World> NewWorld() {
  auto w = std::make_unique<World>();
  w->GameState = kLevelChoice;
  w->StyleCount = 3;
  return w;
}

// A round at level 0 whose building b has heights[b - 1] blocks (0 leaves the column
// empty); buildings past the list get height 0. Style is 0 everywhere. GameState 2.
inline void StartTestRound(World& W, const std::vector<int32_t>& Heights) {
  QueueRandom rng;
  for (int32_t b = 1; b <= 38; ++b) {
    const int32_t h = b <= static_cast<int32_t>(Heights.size()) ? Heights[b - 1] : 0;
    rng.values.push_back(0);
    rng.values.push_back(h > 0 ? h - 1 : 0);
  }
  GenerateCity(W, 0, rng);
  for (int32_t b = 1; b <= 38; ++b) {
    const int32_t h = b <= static_cast<int32_t>(Heights.size()) ? Heights[b - 1] : 0;
    if (h == 0) {
      W.Buildings[b].Height = 0;
      for (uint8_t& cell : W.Grid[b]) cell = 0;
    }
  }
  W.BlocksLeft = CountGridCells(W);
  ResetMovers(W);
  W.GameState = kPlaying;
}

// A round in which only building b stands, with height h.
inline void StartOneBuildingRound(World& W, int32_t B, int32_t H) {
  std::vector<int32_t> heights(38, 0);
  heights[B - 1] = H;
  StartTestRound(W, heights);
}

// Puts the plane at (x, y) with its cell as UpdatePlaneCell leaves it.
inline void PlacePlane(World& W, int32_t X, int32_t Y) {
  W.Plane.X = X;
  W.Plane.Y = Y;
  UpdatePlaneCell(W);
}

inline int32_t BusyExplosions(const World& W) {
  int32_t n = 0;
  for (int32_t i = 1; i <= kExplosionSlots; ++i) n += W.Explosions[i].State != kExplosionFree;
  return n;
}

}  // namespace carpex::test
