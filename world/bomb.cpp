// The bomb: the release latch, the fall, and the demolitions it starts.
#include "world/world.h"

namespace carpex {

namespace {

bool IsReleaseKey(uint16_t Key) {
  return Key == kVkSpace || Key == kVkDown;
}

}  // namespace

void FormKeyDown(World& w, uint16_t Key) {
  // Every accepted press sets the latch, also one made while a bomb is falling, so
  // holding the key (with auto-repeat) never releases a second bomb.
  if (w.GameState != kPlaying || w.Crashed != 0 || !IsReleaseKey(Key) || w.Bomb.KeyHeld != 0)
    return;
  w.Bomb.KeyHeld = 1;
  if (w.Bomb.State == kBombNone) w.Bomb.State = kBombReleased;
}

void FormKeyUp(World& w, uint16_t Key) {
  if (IsReleaseKey(Key)) w.Bomb.KeyHeld = 0;
}

void MoveBomb(World& w) {
  TBomb& B = w.Bomb;
  if (B.State == kBombReleased) {
    // One column left of the plane's cell, half a cell below the top of its row.
    B.X = (w.Plane.Col - 1) * B.Width;
    B.Y = (w.Plane.Row + 1) * B.Height - B.Height / 2;
    // Width is 0 only when a round's set-up stopped before the movers were reset.
    if (B.Width != 0 && B.X / B.Width > kGridColumns - 1) B.X = (kGridColumns - 1) * B.Width;
    if (B.X < 0) B.X = 0;
    B.State = kBombFalling;
  }
  if (B.State == kBombFalling) {
    B.Y += B.Step;
    B.Col = (B.Width / 2 + B.X) / kCell;
    B.Row = (B.Height + B.Y - 1) / kCell;
    if (B.Col >= 0 && B.Col < kGridColumns && B.Row >= 1 && B.Row < kGridRows &&
        w.Grid[B.Col][B.Row] != 0) {
      // The bomb is spent whether or not a strike slot is free.
      B.State = kBombNone;
      StartStrike(w, B.Col, B.Row);
    }
    if (B.State == kBombFalling && B.Height + B.Y > kScreenHeight) B.State = kBombAtBottom;
  }
  if (B.State == kBombAtBottom) {
    B.State = kBombNone;
    StartExplosion(w, ExplosionAnchor::AtBomb(B.X, B.Y, B.Width, B.Height));
  }
}

void StartStrike(World& w, int32_t Col, int32_t Row) {
  // Only a cell holding a block can be struck; anything else would index past Grid
  // or Blocks.
  if (!InGrid(Col, Row)) return;
  const int32_t Block = w.Grid[Col][Row];
  if (Block < 1 || Block > kBlocksPerBuilding) return;
  for (int32_t i = 1; i <= kStrikeSlots; ++i) {
    TStrike& S = w.Strikes[i];
    if (S.State != kStrikeFree) continue;
    S.State = kStrikeRemoveBlock;
    S.Building = Col;
    S.Block = Block;
    S.X = w.Buildings[Col].Blocks[Block].X;
    S.Y = w.Buildings[Col].Blocks[Block].Y;
    S.Removed = 0;
    return;
  }
}

bool AdvanceStrikes(World& w, Painter& p) {
  for (int32_t i = 1; i <= kStrikeSlots; ++i) {
    TStrike& S = w.Strikes[i];
    const int32_t b = S.Building;
    if (S.State == kStrikeRemoveBlock) {
      // Building 0 and the unused slots 39 and 40 stand empty, so a strike on any
      // index outside 1..38 ends as one on an empty building would.
      if (b < 1 || b > kGridColumns - 2 || w.Buildings[b].Height <= 0) {
        S.State = kStrikeFree;
        continue;
      }
      TBuilding& B = w.Buildings[b];
      S.State = kStrikeWaiting;
      S.Timer = 0;
      const int32_t h = B.Height;
      if (h <= kGridRows) w.Grid[b][kGridRows - h] = 0;
      B.Height = static_cast<int8_t>(h - 1);
      ++S.Removed;
      --w.BlocksLeft;
      if (S.Removed >= S.Limit || B.Height <= 0) S.State = kStrikeFree;
      // The block under the struck one, normally the new top, is shown ruined.
      if (S.Block - 1 >= 1 && S.Block - 1 <= kBlocksPerBuilding)
        B.Blocks[S.Block - 1].Kind = kBlockRuined;
      // What was changed above stays changed; the next successful restore redraws the city.
      if (p.EraseBuildingStrip(b)) return true;
      p.DrawBuilding(static_cast<uint16_t>(b));
      StartExplosion(w, ExplosionAnchor::AtBlock(S.X, S.Y));
    }
    if (S.State == kStrikeWaiting) {
      ++S.Timer;
      if (S.Timer > S.Delay) {
        S.State = kStrikeRemoveBlock;
        S.Y += kCell;
        --S.Block;
      }
    }
  }
  return false;
}

}  // namespace carpex
