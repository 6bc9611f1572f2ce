// What the tools read of the form between two frames: the world, the frame
// counters and the display they copy the screen from. A snapshot, taken anew
// for every look.
#pragma once

#include <cstdint>

#include "assets/language.h"
#include "world/world.h"

// The display's interfaces as the form holds them (DirectDraw's own on
// Windows, the software display's elsewhere): only pointers pass here, so
// that nothing which reads the form includes the system's headers.
struct IDirectDraw7;
struct IDirectDrawSurface7;

namespace carpex {

struct FormView {
  const World& W;
  uint8_t Active;
  bool Paused;  // by the player (Active is 0 then)
  Language Pictures;
  uint16_t FrameCount;
  uint16_t FramesPerSecond;
  int8_t FpsShown;
  IDirectDraw7* DirectDrawDevice;
  IDirectDrawSurface7* PrimarySurface;
  uint16_t Speed;  // per cent of the game's own
};

}  // namespace carpex
