// The bomb: the release latch, the fall, and the demolitions it starts.
#include "world/world.h"

namespace carpex {

namespace {

bool IsReleaseKey(uint16_t Key) {
  return Key == kVkSpace || Key == kVkDown;
}

}  // namespace

void FormKeyDown(World& W, uint16_t Key) {
  // Every accepted press sets the latch, also one made while a bomb is falling, so
  // holding the key (with auto-repeat) never releases a second bomb.
  if (W.GameState != kPlaying || W.Crashed != 0 || !IsReleaseKey(Key) || W.Bomb.KeyHeld != 0)
    return;
  W.Bomb.KeyHeld = 1;
  if (W.Bomb.State == kBombNone) W.Bomb.State = kBombReleased;
}

void FormKeyUp(World& W, uint16_t Key) {
  if (IsReleaseKey(Key)) W.Bomb.KeyHeld = 0;
}

void MoveBomb(World& W) {
  TBomb& b = W.Bomb;
  if (b.State == kBombReleased) {
    // One column left of the plane's cell, half a cell below the top of its row.
    b.X = (W.Plane.Col - 1) * b.Width;
    b.Y = (W.Plane.Row + 1) * b.Height - b.Height / 2;
    // Width is 0 only when a round's set-up stopped before the movers were reset.
    if (b.Width != 0 && b.X / b.Width > kGridColumns - 1) b.X = (kGridColumns - 1) * b.Width;
    if (b.X < 0) b.X = 0;
    b.State = kBombFalling;
  }
  if (b.State == kBombFalling) {
    b.Y += b.Step;
    b.Col = (b.Width / 2 + b.X) / kCell;
    b.Row = (b.Height + b.Y - 1) / kCell;
    if (b.Col >= 0 && b.Col < kGridColumns && b.Row >= 1 && b.Row < kGridRows &&
        W.Grid[b.Col][b.Row] != 0) {
      // The bomb is spent whether or not a strike slot is free.
      b.State = kBombNone;
      StartStrike(W, b.Col, b.Row);
    }
    if (b.State == kBombFalling && b.Height + b.Y > kScreenHeight) b.State = kBombAtBottom;
  }
  if (b.State == kBombAtBottom) {
    b.State = kBombNone;
    StartExplosion(W, ExplosionAnchor::AtBomb(b.X, b.Y, b.Width, b.Height));
  }
}

void StartStrike(World& W, int32_t Col, int32_t Row) {
  // Only a cell holding a block can be struck; anything else would index past Grid
  // or Blocks.
  if (!InGrid(Col, Row)) return;
  const int32_t block = W.Grid[Col][Row];
  if (block < 1 || block > kBlocksPerBuilding) return;
  for (int32_t i = 1; i <= kStrikeSlots; ++i) {
    TStrike& s = W.Strikes[i];
    if (s.State != kStrikeFree) continue;
    s.State = kStrikeRemoveBlock;
    s.Building = Col;
    s.Block = block;
    s.X = W.Buildings[Col].Blocks[block].X;
    s.Y = W.Buildings[Col].Blocks[block].Y;
    s.Removed = 0;
    return;
  }
}

bool AdvanceStrikes(World& W, Painter& Picture) {
  for (int32_t i = 1; i <= kStrikeSlots; ++i) {
    TStrike& s = W.Strikes[i];
    const int32_t b = s.Building;
    if (s.State == kStrikeRemoveBlock) {
      // Building 0 and the unused slots 39 and 40 stand empty, so a strike on any
      // index outside 1..38 ends as one on an empty building would.
      if (b < 1 || b > kGridColumns - 2 || W.Buildings[b].Height <= 0) {
        s.State = kStrikeFree;
        continue;
      }
      TBuilding& building = W.Buildings[b];
      s.State = kStrikeWaiting;
      s.Timer = 0;
      const int32_t h = building.Height;
      if (h <= kGridRows) W.Grid[b][kGridRows - h] = 0;
      building.Height = static_cast<int8_t>(h - 1);
      ++s.Removed;
      --W.BlocksLeft;
      if (s.Removed >= s.Limit || building.Height <= 0) s.State = kStrikeFree;
      // The block under the struck one, normally the new top, is shown ruined.
      if (s.Block - 1 >= 1 && s.Block - 1 <= kBlocksPerBuilding)
        building.Blocks[s.Block - 1].Kind = kBlockRuined;
      CityChanged(W);
      // What was changed above stays changed; the next successful restore redraws the city.
      if (Picture.EraseBuildingStrip(b)) return true;
      Picture.DrawBuilding(static_cast<uint16_t>(b));
      StartExplosion(W, ExplosionAnchor::AtBlock(s.X, s.Y));
    }
    if (s.State == kStrikeWaiting) {
      ++s.Timer;
      if (s.Timer > s.Delay) {
        s.State = kStrikeRemoveBlock;
        s.Y += kCell;
        --s.Block;
      }
    }
  }
  return false;
}

}  // namespace carpex
