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

// How much of the room a whole factor must fill, at least, for the picture to
// take it. The rule differs on purpose between the two: a window is the size
// its player made it, and a whole factor that leaves up to a third of it black
// is what they chose; a page has the room a laptop's or a phone's browser and
// the legend leave, which the picture fills unless a whole factor comes within
// a tenth of it.
struct Share {
  int Numerator;
  int Denominator;
};
inline constexpr Share kWindowShare{2, 3};
inline constexpr Share kPageShare{9, 10};

// The largest whole factor that fits, centred. Where it fills less than Least
// of the room (or no whole factor fits), the picture fills the room instead,
// keeping its shape: enlarged by the next whole factor, then reduced smoothly,
// so that its pixels stay sharp and even.
Placement PlacePicture(int OutputWidth, int OutputHeight, Share Least = kWindowShare);

}  // namespace carpex::common
