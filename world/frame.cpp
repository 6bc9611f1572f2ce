// The order of one frame's steps, the one place that states it.
#include "world/world.h"

namespace carpex {

bool AdvanceFrame(World& w, Painter& p) {
  if (w.GameState == kPlaying) {
    if (MovePlane(w, p)) return true;
    UpdatePlaneCell(w);
    AdvanceExplosions(w);
    MoveBomb(w);
    if (AdvanceStrikes(w, p)) return true;
    if (p.DrawPlaying()) return true;
  }
  // Not an alternative to the playing steps: the frame that ends a round runs both,
  // and only the round-over picture reaches the screen.
  if (w.GameState == kRoundOver) {
    if (MovePlane(w, p)) return true;
    UpdatePlaneCell(w);
    PlaceResultBanner(w);
    if (p.DrawRoundOver()) return true;
  }
  return false;
}

}  // namespace carpex
