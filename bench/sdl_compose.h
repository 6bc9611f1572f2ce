// The worst-case frame composed by SDL2's own software blitter: the same
// pictures (copied pixel for pixel from the software display's surfaces, RGB565,
// with the same colour keys) and the same blits, through SDL_BlitSurface.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "bench/scene.h"

namespace carpex::bench {

class SdlComposer {
 public:
  // With `rle`, the keyed sheets are run-length encoded (SDL_RLEACCEL).
  SdlComposer(WorstCaseScene& scene, bool rle);
  ~SdlComposer();
  SdlComposer(const SdlComposer&) = delete;
  SdlComposer& operator=(const SdlComposer&) = delete;

  // The background and the 53 sprites. Always into the same surface: SDL keeps
  // the blit mapping of a source for one destination only, and a game on SDL
  // composes into one surface and presents that.
  void ComposeFrame();
  // The last composed frame.
  const SDL_Surface* Frame() const { return back_; }

 private:
  SDL_Surface* SheetFor(IDirectDrawSurface7* sheet) const;

  WorstCaseScene& scene_;
  SDL_Surface* background_ = nullptr;
  SDL_Surface* plane_ = nullptr;
  SDL_Surface* explosion_ = nullptr;
  SDL_Surface* bomb_ = nullptr;
  SDL_Surface* back_ = nullptr;
};

}  // namespace carpex::bench
