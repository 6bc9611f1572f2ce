#include "graphics/ddutil.h"

#include <cstring>

namespace ddutil {

namespace {

// A blitter that stays busy must not hang the game: after this many attempts
// the surface counts as unreadable.
constexpr int kMaxLockAttempts = 10000;

HBITMAP LoadBitmapHandle(const char* Name, int32_t Width, int32_t Height) {
  auto* bitmap = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), Name, IMAGE_BITMAP,
                                                 Width, Height, LR_CREATEDIBSECTION));
  if (bitmap == nullptr) {
    bitmap = static_cast<HBITMAP>(LoadImageA(nullptr, Name, IMAGE_BITMAP, Width, Height,
                                             LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  }
  return bitmap;
}

}  // namespace

const DDPIXELFORMAT& Rgb565() {
  static const DDPIXELFORMAT format = [] {
    DDPIXELFORMAT f{};
    f.dwSize = sizeof f;
    f.dwFlags = DDPF_RGB;
    f.dwRGBBitCount = 16;
    f.dwRBitMask = 0xF800;
    f.dwGBitMask = 0x07E0;
    f.dwBBitMask = 0x001F;
    return f;
  }();
  return format;
}

DDSURFACEDESC2 OffscreenDesc(DWORD Width, DWORD Height, DWORD Caps, const DDPIXELFORMAT* Format) {
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc.dwWidth = Width;
  desc.dwHeight = Height;
  desc.ddsCaps.dwCaps = Caps;
  if (Format != nullptr) {
    desc.dwFlags |= DDSD_PIXELFORMAT;
    desc.ddpfPixelFormat = *Format;
    desc.ddsCaps.dwCaps = (Caps & ~DWORD{DDSCAPS_VIDEOMEMORY}) | DDSCAPS_SYSTEMMEMORY;
  }
  return desc;
}

IDirectDrawSurface7* LoadBitmapSurface(IDirectDraw7* Device, const char* Name, int32_t Width,
                                       int32_t Height, const DDPIXELFORMAT* Format) {
  if (Device == nullptr) return nullptr;
  const OwnedBitmap bitmap(LoadBitmapHandle(Name, Width, Height));
  if (!bitmap) return nullptr;

  BITMAP info{};
  GetObjectA(bitmap.Get(), sizeof info, &info);

  DDSURFACEDESC2 desc =
      OffscreenDesc(static_cast<DWORD>(info.bmWidth), static_cast<DWORD>(info.bmHeight),
                    DDSCAPS_OFFSCREENPLAIN, Format);
  IDirectDrawSurface7* surface = nullptr;
  if (Device->CreateSurface(&desc, &surface, nullptr) != DD_OK) return nullptr;
  CopyBitmapToSurface(surface, bitmap.Get(), 0, 0, 0, 0);
  return surface;
}

HRESULT ReloadBitmap(IDirectDrawSurface7* Surface, const char* Name) {
  const OwnedBitmap bitmap(LoadBitmapHandle(Name, 0, 0));
  if (!bitmap) {
    OutputDebugStringA("handle is null");
    return E_FAIL;
  }
  const HRESULT result = CopyBitmapToSurface(Surface, bitmap.Get(), 0, 0, 0, 0);
  if (result != DD_OK) {
    OutputDebugStringA("ddcopybitmap failed");
    return result;
  }
  return DD_OK;
}

HRESULT CopyBitmapToSurface(IDirectDrawSurface7* Surface, HBITMAP Bitmap, int32_t X, int32_t Y,
                            int32_t Width, int32_t Height) {
  if (Bitmap == nullptr || Surface == nullptr) return E_FAIL;
  Surface->Restore();

  HDC imageDC = CreateCompatibleDC(nullptr);
  if (imageDC == nullptr) OutputDebugStringA("createcompatible dc failed");
  HGDIOBJ previous = SelectObject(imageDC, Bitmap);
  BITMAP info{};
  GetObjectA(Bitmap, sizeof info, &info);
  if (Width == 0) Width = info.bmWidth;
  if (Height == 0) Height = info.bmHeight;

  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_HEIGHT | DDSD_WIDTH;
  Surface->GetSurfaceDesc(&desc);

  HDC surfaceDC = nullptr;
  const HRESULT result = Surface->GetDC(&surfaceDC);
  if (result == DD_OK) {
    StretchBlt(surfaceDC, 0, 0, static_cast<int>(desc.dwWidth), static_cast<int>(desc.dwHeight),
               imageDC, X, Y, Width, Height, SRCCOPY);
    Surface->ReleaseDC(surfaceDC);
  }
  // The bitmap goes back out of the DC so that the caller can delete it.
  if (imageDC != nullptr) {
    SelectObject(imageDC, previous);
    DeleteDC(imageDC);
  }
  return result;
}

DWORD MatchColor(IDirectDrawSurface7* Surface, COLORREF Color) {
  if (Surface == nullptr) return CLR_INVALID;
  DWORD result = CLR_INVALID;
  COLORREF saved = 0;
  HDC dc = nullptr;
  // GDI converts the colour to the surface's format; reading the pixel back gives the value.
  if (Color != CLR_INVALID && Surface->GetDC(&dc) == DD_OK) {
    saved = GetPixel(dc, 0, 0);
    SetPixel(dc, 0, 0, Color);
    Surface->ReleaseDC(dc);
  }

  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  HRESULT locked = Surface->Lock(nullptr, &desc, 0, nullptr);
  for (int attempt = 1; locked == DDERR_WASSTILLDRAWING && attempt < kMaxLockAttempts; ++attempt) {
    locked = Surface->Lock(nullptr, &desc, 0, nullptr);
  }
  if (locked == DD_OK) {
    const DWORD bits = desc.ddpfPixelFormat.dwRGBBitCount;
    // Only the top-left pixel's own bytes: a narrow surface may have fewer than four.
    const std::size_t bytes = bits >= 32 ? 4 : (bits + 7) / 8;
    DWORD value = 0;
    if (desc.lpSurface != nullptr && bytes > 0) std::memcpy(&value, desc.lpSurface, bytes);
    if (bits < 32) value &= (DWORD{1} << bits) - 1;
    result = value;
    Surface->Unlock(nullptr);
  }

  if (Color != CLR_INVALID && Surface->GetDC(&dc) == DD_OK) {
    SetPixel(dc, 0, 0, saved);
    Surface->ReleaseDC(dc);
  }
  return result;
}

HRESULT SetSurfaceColorKey(IDirectDrawSurface7* Surface, COLORREF Color) {
  if (Surface == nullptr) return E_FAIL;
  DDCOLORKEY key{};
  key.dwColorSpaceLowValue = MatchColor(Surface, Color);
  key.dwColorSpaceHighValue = key.dwColorSpaceLowValue;
  return Surface->SetColorKey(DDCKEY_SRCBLT, &key);
}

}  // namespace ddutil
