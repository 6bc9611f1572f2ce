// What the replay tool does to the real display besides running the game:
// reading the visible picture back and taking every surface away.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/ddraw_api.h"

namespace carpex::win32 {

class Win32App;

// The picture of a surface as rows of 8-bit red, green and blue, top row first.
// False when the surface cannot be locked (empty, lost) or has no RGB format.
bool ReadSurface(IDirectDrawSurface7* Surface, int32_t* Width, int32_t* Height,
                 std::vector<uint8_t>* Rgb);
// The primary surface's 640 x 480 picture, the last flipped frame.
bool ReadPrimary(IDirectDrawSurface7* Primary, std::vector<uint8_t>* Rgb);

// Switches away from the game and back, so that DirectDraw takes every surface
// away as it does for a real switch; the form sees none of it until its next
// blit or flip meets the loss. False when no loss could be brought about.
bool LoseEverySurface(Win32App& App, IDirectDraw7* Device, IDirectDrawSurface7* Primary);

// Handles the window's messages until DirectDraw has followed the window: the
// display given up while the window is minimised, exclusive again while it is
// shown. A switch goes through the window manager and takes its time; the next
// frame must not meet it half done. False when it did not settle in time.
bool SettleDisplay(Win32App& App, IDirectDraw7* Device);

}  // namespace carpex::win32
