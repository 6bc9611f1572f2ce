// Bitmaps into DirectDraw surfaces: loading, reloading after a loss, and the
// surface pixel value of a colour for colour keys. Diagnostics go to the
// debugger output only.
#pragma once

#include <cstdint>

#include "graphics/ddraw_api.h"

namespace ddutil {

// Owns a bitmap handle and deletes it when it goes out of scope.
class OwnedBitmap {
 public:
  explicit OwnedBitmap(HBITMAP Bitmap) : bitmap_(Bitmap) {}
  ~OwnedBitmap() {
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
  }
  OwnedBitmap(const OwnedBitmap&) = delete;
  OwnedBitmap& operator=(const OwnedBitmap&) = delete;

  HBITMAP Get() const { return bitmap_; }
  explicit operator bool() const { return bitmap_ != nullptr; }

 private:
  HBITMAP bitmap_;
};

// 16 bits a pixel, 5 red, 6 green, 5 blue: the exclusive display's format, and
// the game's surfaces' in a window whatever the desktop's.
const DDPIXELFORMAT& Rgb565();

// The description of a Width x Height surface with the given caps, in the
// display's own format, or in Format (then in system memory, where a surface
// may have a format other than the display's).
DDSURFACEDESC2 OffscreenDesc(DWORD Width, DWORD Height, DWORD Caps,
                             const DDPIXELFORMAT* Format = nullptr);

// A new off-screen surface holding the bitmap Name (a resource of the program,
// or else a file), scaled to Width x Height when both are non-zero, in the
// display's format or in Format (as OffscreenDesc). nullptr on failure; the
// caller owns the one reference.
IDirectDrawSurface7* LoadBitmapSurface(IDirectDraw7* Device, const char* Name, int32_t Width,
                                       int32_t Height, const DDPIXELFORMAT* Format = nullptr);
// Loads Name again, at its own size, stretched over the whole surface.
HRESULT ReloadBitmap(IDirectDrawSurface7* Surface, const char* Name);
// Stretches the source area (X, Y, Width, Height; 0 = the bitmap's own size) over
// the whole surface through GDI.
HRESULT CopyBitmapToSurface(IDirectDrawSurface7* Surface, HBITMAP Bitmap, int32_t X, int32_t Y,
                            int32_t Width, int32_t Height);
// The surface's own pixel value for Color; 0xFFFFFFFF when the surface cannot be read.
DWORD MatchColor(IDirectDrawSurface7* Surface, COLORREF Color);
HRESULT SetSurfaceColorKey(IDirectDrawSurface7* Surface, COLORREF Color);

}  // namespace ddutil
