// Explosion slots, the end of a round and the result banner.
#include "world/world.h"

namespace carpex {

void StartExplosion(World& W, const ExplosionAnchor& Anchor) {
  TExplosion* e = nullptr;
  for (int32_t i = 1; i <= kExplosionSlots; ++i) {
    if (W.Explosions[i].State == kExplosionFree) {
      e = &W.Explosions[i];
      break;
    }
  }
  if (e == nullptr) return;
  // Frame is left as it is: the first pass of AdvanceExplosions restarts it.
  e->State = kExplosionStarted;
  const int32_t fw = e->FrameWidth;
  const int32_t fh = e->FrameHeight;
  switch (Anchor.kind) {
    case ExplosionAnchor::Kind::Cell:
      e->X = Anchor.a * kCell + (kCell - fw) / 2;
      e->Y = Anchor.b * kCell + (kCell - fh) / 2;
      break;
    case ExplosionAnchor::Kind::Block:
      e->X = Anchor.a + (kCell - fw) / 2;
      e->Y = Anchor.b + (kCell - fh) / 2;
      break;
    case ExplosionAnchor::Kind::Bomb:
      // Centred across the bomb and, in height, on its lowest pixel row.
      e->X = Anchor.a + (Anchor.w - fw) / 2;
      e->Y = Anchor.b + Anchor.h - 1 - fh / 2;
      break;
  }
}

void AdvanceExplosions(World& W) {
  for (int32_t i = 1; i <= kExplosionSlots; ++i) {
    TExplosion& e = W.Explosions[i];
    if (e.State == kExplosionStarted) {
      e.Frame = 0;
      e.State = kExplosionRunning;
    }
    if (e.State != kExplosionRunning) continue;
    ++e.Frame;
    if (e.Frame <= e.LastFrame) continue;
    e.State = kExplosionFree;
    // A cleared city wins even when the plane has crashed.
    if (W.BlocksLeft <= 0) {
      W.GameState = kRoundOver;
      W.Plane.Frame = kPlaneWheelsDown;
      W.ResultBanner.Frame = kBannerWon;
    } else if (W.Crashed != 0) {
      W.GameState = kRoundOver;
      W.ResultBanner.Frame = kBannerLost;
    }
  }
}

void PlaceResultBanner(World& W) {
  TResultBanner& r = W.ResultBanner;
  r.X = (kScreenWidth - r.Width) / 2;
  r.Y = (kScreenHeight - r.Height) / 2;
  const int32_t frame = static_cast<int32_t>(r.Frame);
  r.SrcRect = {0, frame * r.Height, r.Width, (frame + 1) * r.Height};
  r.SrcRectPtr = &r.SrcRect;
}

}  // namespace carpex
