// The order of one frame's steps, the one place that states it.
#include "world/world.h"

namespace carpex {

bool AdvanceFrame(World& W, Painter& Picture) {
  if (W.GameState == kPlaying) {
    if (MovePlane(W, Picture)) return true;
    UpdatePlaneCell(W);
    AdvanceExplosions(W);
    MoveBomb(W);
    if (AdvanceStrikes(W, Picture)) return true;
    if (Picture.DrawPlaying()) return true;
  }
  // Not an alternative to the playing steps: the frame that ends a round runs both,
  // and only the round-over picture reaches the screen.
  if (W.GameState == kRoundOver) {
    if (MovePlane(W, Picture)) return true;
    UpdatePlaneCell(W);
    PlaceResultBanner(W);
    if (Picture.DrawRoundOver()) return true;
  }
  return false;
}

}  // namespace carpex
