// Devices and surfaces made the DirectDraw way, as the game's set-up makes
// them, for the software display's tests.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "graphics/soft/control.h"
#include "graphics/soft/soft_api.h"

namespace soft_test {

// A surface description with nothing filled in but its size.
inline DDSURFACEDESC2 SurfaceDesc() {
  DDSURFACEDESC2 desc;
  std::memset(&desc, 0, sizeof(desc));
  desc.dwSize = sizeof(desc);
  return desc;
}

// A new device, not yet set up; nullptr when none could be made.
inline IDirectDraw7* NewDevice() {
  IDirectDraw7* dd = nullptr;
  EXPECT_EQ(DD_OK,
            DirectDrawCreateEx(nullptr, reinterpret_cast<LPVOID*>(&dd), IID_IDirectDraw7, nullptr));
  return dd;
}

// The device asks for the whole screen, as the game's window does.
inline HRESULT TakeScreen(IDirectDraw7* Dd) {
  return Dd->SetCooperativeLevel(soft::FakeWindowHandle(), DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE);
}

// A device in exclusive 640 x 480 x 16 mode.
inline IDirectDraw7* OpenDevice() {
  IDirectDraw7* dd = NewDevice();
  if (dd == nullptr) return nullptr;
  EXPECT_EQ(DD_OK, TakeScreen(dd));
  EXPECT_EQ(DD_OK, dd->SetDisplayMode(640, 480, 16, 0, 0));
  return dd;
}

// An off-screen surface of W x H pixels.
inline IDirectDrawSurface7* Plain(IDirectDraw7* Dd, DWORD W, DWORD H,
                                  DWORD Caps = DDSCAPS_OFFSCREENPLAIN) {
  DDSURFACEDESC2 desc = SurfaceDesc();
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = W;
  desc.dwHeight = H;
  desc.ddsCaps.dwCaps = Caps;
  IDirectDrawSurface7* surface = nullptr;
  EXPECT_EQ(DD_OK, Dd->CreateSurface(&desc, &surface, nullptr));
  return surface;
}

}  // namespace soft_test
