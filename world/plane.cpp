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

bool MovePlane(World& W, Painter& Picture) {
  TPlane& plane = W.Plane;
  if (W.GameState == kPlaying) {
    if (plane.Mode == kPlaneFlying) {
      plane.X += plane.Step;
      if (plane.X >= kScreenWidth) plane.Mode = kPlaneRowEnd;
      // The cell is the one of the previous frame: the plane crashes one step after
      // its nose entered a block.
      if (InGrid(plane.Col, plane.Row) && W.Grid[plane.Col][plane.Row] != 0)
        plane.Mode = kPlaneHitOrLanded;
    }
    NextRow(plane);
    if (plane.Mode == kPlaneHitOrLanded) return CrashPlane(W, Picture);
  } else if (W.GameState == kRoundOver) {
    if (plane.Mode == kPlaneFlying) {
      plane.X += plane.Step;
      if (plane.X >= kScreenWidth) plane.Mode = kPlaneRowEnd;
      if (plane.Col >= kGridColumns - 1 && plane.Row >= kGridRows - 1)
        plane.Mode = kPlaneHitOrLanded;
    }
    NextRow(plane);
  }
  return false;
}

bool CrashPlane(World& W, Painter& Picture) {
  const int32_t c = W.Plane.Col;
  const int32_t r = W.Plane.Row;
  // The collision test only ever lets a cell of the grid through; the checks keep
  // any other call from reaching outside Grid or Blocks.
  if (InGrid(c, r)) {
    const int32_t k = W.Grid[c][r];
    if (k >= 1 && k <= kBlocksPerBuilding) {
      W.Buildings[c].Blocks[k].Kind = kBlockRuined;
      CityChanged(W);
    }
    // An abandoned frame leaves Mode at 3, so the next frame runs the crash again.
    if (Picture.EraseBuildingStrip(c)) return true;
    Picture.DrawBuilding(static_cast<uint16_t>(c));
  }
  StartExplosion(W, ExplosionAnchor::AtCell(c, r));
  W.Plane.Mode = kPlaneGone;
  W.Crashed = 1;
  return false;
}

void UpdatePlaneCell(World& W) {
  TPlane& plane = W.Plane;
  plane.WrapX = plane.X;
  plane.WrapY = plane.Y;
  TestCellAt(plane, plane.X, plane.Y);
  if (plane.X > kScreenWidth - plane.Width) {
    plane.WrapX = plane.X - kScreenWidth;
    plane.WrapY = plane.Y + plane.Height;
    if (plane.WrapY > kScreenHeight - plane.Height) plane.WrapY = 0;
  }
  // Once the point 40 pixels in has left the screen, the copy's cell is the one tested.
  if (plane.X > kScreenWidth + 8 - plane.Width) TestCellAt(plane, plane.WrapX, plane.WrapY);
}

}  // namespace carpex
