// What the tools read of the form between two frames: the world, the frame
// counters and the display they copy the screen from. A snapshot, taken anew
// for every look.
#pragma once

#include <cstdint>

#include "graphics/ddraw_api.h"
#include "world/world.h"

namespace carpex {

struct FormView {
  const World& W;
  uint8_t Active;
  uint16_t FrameCount;
  uint16_t FramesPerSecond;
  int8_t FpsShown;
  IDirectDraw7* DirectDrawDevice;
  IDirectDrawSurface7* PrimarySurface;
};

}  // namespace carpex
