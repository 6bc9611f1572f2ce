// The city of one round, the reset of everything that moves, and the checks of
// what must hold between two frames.
#include <atomic>
#include <cstddef>

#include "world/world.h"

namespace carpex {

TRect BlockSrcRect(const TBuilding& B, const TBlock& K) {
  const int32_t row = static_cast<int32_t>(K.Kind);
  return {B.Style * B.Width, row * K.Size, (B.Style + 1) * B.Width, (row + 1) * K.Size};
}

TRect PlaneSrcRect(const TPlane& P) {
  const int32_t frame = static_cast<int32_t>(P.Frame);
  return {frame * P.Width, 0, (frame + 1) * P.Width, P.Height};
}

TRect ExplosionSrcRect(const TExplosion& E) {
  return {E.Frame * E.FrameWidth, 0, (E.Frame + 1) * E.FrameWidth, E.FrameHeight};
}

uint8_t MinHeightForLevel(uint8_t Level) {
  // Stored as a double before truncating: an x87 build could otherwise keep the
  // product in extended precision, and 5 * 2.4 must truncate to 12, not 11.
  volatile double product = Level * 2.4;
  return static_cast<uint8_t>(static_cast<int32_t>(product) + 1);
}

void GenerateCity(World& W, uint8_t Level, RandomSource& Rng) {
  uint8_t minHeight = MinHeightForLevel(Level);
  // Levels past 9 never come from the keyboard; keep the tallest building at 24 blocks
  // so the city still fits above row 5.
  if (minHeight > 24) minHeight = 24;
  // Without a loaded sheet there would be no style to choose from; use the first one.
  const int32_t styles = W.StyleCount > 0 ? W.StyleCount : 1;

  for (auto& column : W.Grid) {
    for (uint8_t& cell : column) cell = 0;
  }
  W.BlocksLeft = 0;
  W.BuildingCount = kCityBuildings;

  int32_t x = kCell;
  for (int32_t b = 1; b <= W.BuildingCount; ++b) {
    TBuilding& building = W.Buildings[b];
    building.Width = kCell;
    building.X = static_cast<uint16_t>(x);
    building.Style = static_cast<int8_t>(Rng.Random(styles));
    building.Height = static_cast<int8_t>(Rng.Random(25 - minHeight) + minHeight);
    int32_t y = kScreenHeight - kCell;
    for (int32_t i = 1; i <= building.Height; ++i) {
      TBlock& k = building.Blocks[i];
      k.Kind = i == building.Height ? kBlockRoof : kBlockStorey;
      k.Size = kCell;
      k.X = building.X;
      k.Y = y;
      W.Grid[x / building.Width][y / k.Size] = static_cast<uint8_t>(i);
      k.SrcRect = BlockSrcRect(building, k);
      k.SrcRectPtr = &k.SrcRect;
      y -= k.Size;
      ++W.BlocksLeft;
    }
    x += building.Width;
  }
  CityChanged(W);
}

void CityChanged(World& W) {
  static std::atomic<uint64_t> last{0};
  W.CityVersion = ++last;
}

void ResetMovers(World& W) {
  TPlane& plane = W.Plane;
  plane.Width = kPlaneFrameWidth;
  plane.Height = kPlaneFrameHeight;
  plane.X = -kPlaneFrameWidth;
  plane.Y = 0;
  UpdatePlaneCell(W);
  plane.Frame = kPlaneCruising;
  plane.Step = 2;
  plane.Mode = kPlaneFlying;
  W.Crashed = 0;
  plane.SrcRect = PlaneSrcRect(plane);
  plane.SrcRectPtr = &plane.SrcRect;

  for (int32_t i = 1; i <= kExplosionSlots; ++i) {
    TExplosion& e = W.Explosions[i];
    e.FrameWidth = kExplosionFrameWidth;
    e.FrameHeight = kExplosionFrameHeight;
    e.Frame = 0;
    e.LastFrame = kExplosionFrames - 1;
    e.State = kExplosionFree;
    e.SrcRectPtr = &e.SrcRect;
  }

  W.Bomb.Width = kBombSize;
  W.Bomb.Height = kBombSize;
  W.Bomb.State = kBombNone;
  W.Bomb.Step = 2;
  W.Bomb.KeyHeld = 0;

  for (int32_t i = 1; i <= kStrikeSlots; ++i) {
    TStrike& s = W.Strikes[i];
    s.Delay = 2;
    s.Limit = 3;
    s.State = kStrikeFree;
  }

  W.ResultBanner.Width = kBannerWidth;
  W.ResultBanner.Height = kBannerFrameHeight;
  W.ResultBanner.Frame = kBannerLost;
  W.ResultBanner.SrcRectPtr = &W.ResultBanner.SrcRect;
}

int32_t CountGridCells(const World& W) {
  // As one run of cells, which the compiler counts many at a time.
  const uint8_t* cells = &W.Grid[0][0];
  int32_t count = 0;
  for (size_t i = 0; i < sizeof W.Grid; ++i) count += cells[i] != 0;
  return count;
}

const char* CheckInvariants(const World& W) {
  if (W.GameState < kLevelChoice || W.GameState > kRoundOver) return "GameState outside 1..3";
  if (W.Plane.Mode > kPlaneHitOrLanded) return "Plane.Mode outside 0..3";
  if (W.Bomb.State > kBombFalling) return "Bomb.State outside 0..2";
  for (int32_t i = 1; i <= kExplosionSlots; ++i) {
    if (W.Explosions[i].State > kExplosionRunning) return "explosion State outside 0..2";
  }
  for (int32_t i = 1; i <= kStrikeSlots; ++i) {
    if (W.Strikes[i].State < kStrikeFree || W.Strikes[i].State > kStrikeWaiting)
      return "strike State outside 0..2";
  }
  for (int32_t c = 0; c < kGridColumns; ++c) {
    for (int32_t r = 0; r <= 5; ++r) {
      if (W.Grid[c][r] != 0) return "block in rows 0..5";
    }
  }
  for (int32_t r = 0; r < kGridRows; ++r) {
    if (W.Grid[0][r] != 0 || W.Grid[kGridColumns - 1][r] != 0) return "block in column 0 or 39";
  }
  if (W.BuildingCount != 0) {
    if (W.BuildingCount < 0 || W.BuildingCount > kGridColumns - 2) {
      return "BuildingCount outside 0..38";
    }
    for (int32_t b = 1; b <= W.BuildingCount; ++b) {
      const int32_t h = W.Buildings[b].Height;
      if (h < 0 || h > 24) return "building Height outside 0..24";
      for (int32_t r = 0; r < kGridRows; ++r) {
        const int32_t expected = r >= kGridRows - h ? kGridRows - r : 0;
        if (W.Grid[b][r] != expected) return "Grid column does not match its building";
      }
    }
  }
  if (W.BlocksLeft != CountGridCells(W)) return "BlocksLeft differs from the blocks in Grid";
  return nullptr;
}

}  // namespace carpex
