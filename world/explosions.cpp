// Explosion slots, the end of a round and the result banner.
#include "world/world.h"

namespace carpex {

void StartExplosion(World& w, const ExplosionAnchor& anchor) {
  TExplosion* E = nullptr;
  for (int32_t i = 1; i <= kExplosionSlots; ++i) {
    if (w.Explosions[i].State == kExplosionFree) {
      E = &w.Explosions[i];
      break;
    }
  }
  if (E == nullptr) return;
  // Frame is left as it is: the first pass of AdvanceExplosions restarts it.
  E->State = kExplosionStarted;
  const int32_t FW = E->FrameWidth;
  const int32_t FH = E->FrameHeight;
  switch (anchor.kind) {
    case ExplosionAnchor::Kind::Cell:
      E->X = anchor.a * kCell + (kCell - FW) / 2;
      E->Y = anchor.b * kCell + (kCell - FH) / 2;
      break;
    case ExplosionAnchor::Kind::Block:
      E->X = anchor.a + (kCell - FW) / 2;
      E->Y = anchor.b + (kCell - FH) / 2;
      break;
    case ExplosionAnchor::Kind::Bomb:
      // Centred across the bomb and, in height, on its lowest pixel row.
      E->X = anchor.a + (anchor.w - FW) / 2;
      E->Y = anchor.b + anchor.h - 1 - FH / 2;
      break;
  }
}

void AdvanceExplosions(World& w) {
  for (int32_t i = 1; i <= kExplosionSlots; ++i) {
    TExplosion& E = w.Explosions[i];
    if (E.State == kExplosionStarted) {
      E.Frame = 0;
      E.State = kExplosionRunning;
    }
    if (E.State != kExplosionRunning) continue;
    ++E.Frame;
    if (E.Frame <= E.LastFrame) continue;
    E.State = kExplosionFree;
    // A cleared city wins even when the plane has crashed.
    if (w.BlocksLeft <= 0) {
      w.GameState = kRoundOver;
      w.Plane.Frame = kPlaneWheelsDown;
      w.ResultBanner.Frame = kBannerWon;
    } else if (w.Crashed != 0) {
      w.GameState = kRoundOver;
      w.ResultBanner.Frame = kBannerLost;
    }
  }
}

void PlaceResultBanner(World& w) {
  TResultBanner& R = w.ResultBanner;
  R.X = (kScreenWidth - R.Width) / 2;
  R.Y = (kScreenHeight - R.Height) / 2;
  const int32_t frame = static_cast<int32_t>(R.Frame);
  R.SrcRect = {0, frame * R.Height, R.Width, (frame + 1) * R.Height};
  R.SrcRectPtr = &R.SrcRect;
}

}  // namespace carpex
