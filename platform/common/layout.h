// Where the 640 x 480 picture goes in a window of any size.
#pragma once

#include "world/world.h"

namespace carpex::common {

// The game's screen.
constexpr int kPictureWidth = kScreenWidth;
constexpr int kPictureHeight = kScreenHeight;

struct Placement {
  int X = 0;
  int Y = 0;
  int Width = 0;
  int Height = 0;
  // The whole factor the picture is enlarged by; when Smooth, the result is
  // then reduced smoothly to Width x Height.
  int Scale = 1;
  bool Smooth = false;
  // The whole factor of the window's text.
  int TextScale = 1;
};

// The largest whole factor that fits, centred. Where it would leave more than
// a third of the room unused (or no whole factor fits), the picture fills the
// room instead, keeping its shape: enlarged by the next whole factor, then
// reduced smoothly, so that its pixels stay sharp and even.
Placement PlacePicture(int OutputWidth, int OutputHeight);

}  // namespace carpex::common
