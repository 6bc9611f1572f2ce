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
  int Scale = 1;  // whole factor of the picture and of the window's text
};

// The largest whole factor that fits, centred. A window smaller than the
// picture gets it shrunk to fit with its proportions kept (Scale 1).
Placement PlacePicture(int OutputWidth, int OutputHeight);

}  // namespace carpex::common
