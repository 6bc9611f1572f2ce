// The plane: flight row by row, the crash into a block while playing, and the
// landing after a won round.
#include "world/world.h"

namespace carpex {

namespace {

// Leaving the right edge brings the plane back at the left edge one row lower,
// and from the bottom row back to the top.
void NextRow(TPlane& P) {
  if (P.Mode != kPlaneRowEnd) return;
  P.X = 0;
  P.Y += P.Height;
  if (P.Y > kScreenHeight - P.Height) P.Y = 0;
  P.Mode = kPlaneFlying;
}

// The cell a plane at (X, Y) is tested in: under the point 40 pixels in from
// its tail, half a cell down.
void TestCellAt(TPlane& P, int32_t X, int32_t Y) {
  P.Col = (X + 40) / kCell;
  P.Row = (Y + 8) / kCell;
}

}  // namespace

bool MovePlane(World& w, Painter& p) {
  TPlane& P = w.Plane;
  if (w.GameState == kPlaying) {
    if (P.Mode == kPlaneFlying) {
      P.X += P.Step;
      if (P.X >= kScreenWidth) P.Mode = kPlaneRowEnd;
      // The cell is the one of the previous frame: the plane crashes one step after
      // its nose entered a block.
      if (InGrid(P.Col, P.Row) && w.Grid[P.Col][P.Row] != 0) P.Mode = kPlaneHitOrLanded;
    }
    NextRow(P);
    if (P.Mode == kPlaneHitOrLanded) return CrashPlane(w, p);
  } else if (w.GameState == kRoundOver) {
    if (P.Mode == kPlaneFlying) {
      P.X += P.Step;
      if (P.X >= kScreenWidth) P.Mode = kPlaneRowEnd;
      if (P.Col >= kGridColumns - 1 && P.Row >= kGridRows - 1) P.Mode = kPlaneHitOrLanded;
    }
    NextRow(P);
  }
  return false;
}

bool CrashPlane(World& w, Painter& p) {
  const int32_t c = w.Plane.Col;
  const int32_t r = w.Plane.Row;
  // The collision test only ever lets a cell of the grid through; the checks keep
  // any other call from reaching outside Grid or Blocks.
  if (InGrid(c, r)) {
    const int32_t k = w.Grid[c][r];
    if (k >= 1 && k <= kBlocksPerBuilding) w.Buildings[c].Blocks[k].Kind = kBlockRuined;
    // An abandoned frame leaves Mode at 3, so the next frame runs the crash again.
    if (p.EraseBuildingStrip(c)) return true;
    p.DrawBuilding(static_cast<uint16_t>(c));
  }
  StartExplosion(w, ExplosionAnchor::AtCell(c, r));
  w.Plane.Mode = kPlaneGone;
  w.Crashed = 1;
  return false;
}

void UpdatePlaneCell(World& w) {
  TPlane& P = w.Plane;
  P.WrapX = P.X;
  P.WrapY = P.Y;
  TestCellAt(P, P.X, P.Y);
  if (P.X > kScreenWidth - P.Width) {
    P.WrapX = P.X - kScreenWidth;
    P.WrapY = P.Y + P.Height;
    if (P.WrapY > kScreenHeight - P.Height) P.WrapY = 0;
  }
  // Once the point 40 pixels in has left the screen, the copy's cell is the one tested.
  if (P.X > kScreenWidth + 8 - P.Width) TestCellAt(P, P.WrapX, P.WrapY);
}

}  // namespace carpex
