// The city of one round, the reset of everything that moves, and the checks of
// what must hold between two frames.
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

void GenerateCity(World& w, uint8_t Level, RandomSource& rng) {
  uint8_t MinHeight = MinHeightForLevel(Level);
  // Levels past 9 never come from the keyboard; keep the tallest building at 24 blocks
  // so the city still fits above row 5.
  if (MinHeight > 24) MinHeight = 24;
  // Without a loaded sheet there would be no style to choose from; use the first one.
  const int32_t styles = w.StyleCount > 0 ? w.StyleCount : 1;

  for (auto& column : w.Grid) {
    for (uint8_t& cell : column) cell = 0;
  }
  w.BlocksLeft = 0;
  w.BuildingCount = kCityBuildings;

  int32_t x = kCell;
  for (int32_t b = 1; b <= w.BuildingCount; ++b) {
    TBuilding& B = w.Buildings[b];
    B.Width = kCell;
    B.X = static_cast<uint16_t>(x);
    B.Style = static_cast<int8_t>(rng.Random(styles));
    B.Height = static_cast<int8_t>(rng.Random(25 - MinHeight) + MinHeight);
    int32_t y = kScreenHeight - kCell;
    for (int32_t i = 1; i <= B.Height; ++i) {
      TBlock& K = B.Blocks[i];
      K.Kind = i == B.Height ? kBlockRoof : kBlockStorey;
      K.Size = kCell;
      K.X = B.X;
      K.Y = y;
      w.Grid[x / B.Width][y / K.Size] = static_cast<uint8_t>(i);
      K.SrcRect = BlockSrcRect(B, K);
      K.SrcRectPtr = &K.SrcRect;
      y -= K.Size;
      ++w.BlocksLeft;
    }
    x += B.Width;
  }
}

void ResetMovers(World& w) {
  TPlane& P = w.Plane;
  P.Width = kPlaneFrameWidth;
  P.Height = kPlaneFrameHeight;
  P.X = -kPlaneFrameWidth;
  P.Y = 0;
  UpdatePlaneCell(w);
  P.Frame = kPlaneCruising;
  P.Step = 2;
  P.Mode = kPlaneFlying;
  w.Crashed = 0;
  P.SrcRect = PlaneSrcRect(P);
  P.SrcRectPtr = &P.SrcRect;

  for (int32_t i = 1; i <= kExplosionSlots; ++i) {
    TExplosion& E = w.Explosions[i];
    E.FrameWidth = kExplosionFrameWidth;
    E.FrameHeight = kExplosionFrameHeight;
    E.Frame = 0;
    E.LastFrame = kExplosionFrames - 1;
    E.State = kExplosionFree;
    E.SrcRectPtr = &E.SrcRect;
  }

  w.Bomb.Width = kBombSize;
  w.Bomb.Height = kBombSize;
  w.Bomb.State = kBombNone;
  w.Bomb.Step = 2;
  w.Bomb.KeyHeld = 0;

  for (int32_t i = 1; i <= kStrikeSlots; ++i) {
    TStrike& S = w.Strikes[i];
    S.Delay = 2;
    S.Limit = 3;
    S.State = kStrikeFree;
  }

  w.ResultBanner.Width = kBannerWidth;
  w.ResultBanner.Height = kBannerFrameHeight;
  w.ResultBanner.Frame = kBannerLost;
  w.ResultBanner.SrcRectPtr = &w.ResultBanner.SrcRect;
}

int32_t CountGridCells(const World& w) {
  int32_t count = 0;
  for (const auto& column : w.Grid) {
    for (uint8_t cell : column) count += cell != 0;
  }
  return count;
}

const char* CheckInvariants(const World& w) {
  if (w.GameState < kLevelChoice || w.GameState > kRoundOver) return "GameState outside 1..3";
  if (w.Plane.Mode > kPlaneHitOrLanded) return "Plane.Mode outside 0..3";
  if (w.Bomb.State > kBombFalling) return "Bomb.State outside 0..2";
  for (int32_t i = 1; i <= kExplosionSlots; ++i) {
    if (w.Explosions[i].State > kExplosionRunning) return "explosion State outside 0..2";
  }
  for (int32_t i = 1; i <= kStrikeSlots; ++i) {
    if (w.Strikes[i].State < kStrikeFree || w.Strikes[i].State > kStrikeWaiting)
      return "strike State outside 0..2";
  }
  for (int32_t c = 0; c < kGridColumns; ++c) {
    for (int32_t r = 0; r <= 5; ++r) {
      if (w.Grid[c][r] != 0) return "block in rows 0..5";
    }
  }
  for (int32_t r = 0; r < kGridRows; ++r) {
    if (w.Grid[0][r] != 0 || w.Grid[kGridColumns - 1][r] != 0) return "block in column 0 or 39";
  }
  if (w.BuildingCount != 0) {
    if (w.BuildingCount < 0 || w.BuildingCount > kGridColumns - 2) {
      return "BuildingCount outside 0..38";
    }
    for (int32_t b = 1; b <= w.BuildingCount; ++b) {
      const int32_t h = w.Buildings[b].Height;
      if (h < 0 || h > 24) return "building Height outside 0..24";
      for (int32_t r = 0; r < kGridRows; ++r) {
        const int32_t expected = r >= kGridRows - h ? kGridRows - r : 0;
        if (w.Grid[b][r] != expected) return "Grid column does not match its building";
      }
    }
  }
  if (w.BlocksLeft != CountGridCells(w)) return "BlocksLeft differs from the blocks in Grid";
  return nullptr;
}

}  // namespace carpex
