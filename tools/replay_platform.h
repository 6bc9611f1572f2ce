// What the replay tool needs from the platform it runs the game on. The tool
// hands the game its events from a script; the platform supplies the rest.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "shell/app.h"
#include "world/world.h"

// The display's interfaces as the form holds them (DirectDraw's own on
// Windows, the software display's elsewhere).
struct IDirectDraw7;
struct IDirectDrawSurface7;

namespace carpex {

// The game's device and primary surface; either may be empty.
struct ReplayDisplay {
  IDirectDraw7* Device = nullptr;
  IDirectDrawSurface7* Primary = nullptr;
};

class ReplayPlatform {
 public:
  static constexpr int kPictureWidth = kScreenWidth;
  static constexpr int kPictureHeight = kScreenHeight;

  virtual ~ReplayPlatform() = default;
  virtual Application& App() = 0;
  // The application has terminated (the form was closed, or set-up failed).
  virtual bool Terminated() = 0;
  // Every surface of the display is lost, as after a switch away. False when
  // no loss could be brought about.
  virtual bool LoseSurfaces(const ReplayDisplay& Display) = 0;
  // The last flipped frame, kPictureWidth x kPictureHeight pixels of 8-bit
  // red, green and blue, top row first. False when it cannot be read.
  virtual bool ReadPicture(const ReplayDisplay& Display, std::vector<uint8_t>* Rgb) = 0;
  // No picture of this run will be read: a platform that draws in software
  // may leave its pixels alone from now on (drawing is most of a frame's cost).
  virtual void SkipDrawing() {}
  // Called before every command and every frame (a windowed platform handles
  // its own messages here; the script supplies the game's events).
  virtual void Pump(const ReplayDisplay& Display) { (void)Display; }
};

// The platform the replay tool runs on: the software display on Linux, the
// real DirectDraw in a full-screen window on Windows. Defined once per platform.
std::unique_ptr<ReplayPlatform> MakeReplayPlatform();

}  // namespace carpex
