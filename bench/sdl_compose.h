// The worst-case frame composed by SDL2's own software blitter: the same
// pictures (copied pixel for pixel from the software display's surfaces, RGB565,
// with the same colour keys) and the same blits, through SDL_BlitSurface.
//
// Three arrangements of the pictures: the sheets as the game has them, the
// same run-length encoded, and the one SDL2 handles best, every sprite frame
// in a run-length encoded surface of its own (SDL's RLE blitter must skip the
// runs of every row left of a sub-rectangle of a wide sheet, and a frame of its
// own has none).
#pragma once

#include <SDL.h>

#include <cstdint>

#include "bench/scene.h"

namespace carpex::bench {

class SdlComposer {
 public:
  enum class Arrangement { Sheets, RleSheets, RleFrames };

  SdlComposer(WorstCaseScene& Scene, Arrangement Layout);
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
  // A sheet cut into frames of a width (the whole sheet is one frame when
  // it is not cut).
  struct Frames {
    static constexpr int kMax = 16;
    IDirectDrawSurface7* Sheet = nullptr;
    SDL_Surface* Frame[kMax] = {};
    int Count = 0;
    int Width = 0;
  };
  void Cut(IDirectDrawSurface7* Sheet, int Width, Frames* Into);
  const Frames& FramesFor(IDirectDrawSurface7* Sheet) const;

  WorstCaseScene& scene_;
  Frames plane_frames_, explosion_frames_, bomb_frames_;
  SDL_Surface* background_ = nullptr;
  SDL_Surface* back_ = nullptr;
};

}  // namespace carpex::bench
