#include "platform/win32/replay_display.h"

#include <cstring>

#include "platform/win32/pixel_format.h"
#include "platform/win32/win32_app.h"
#include "world/world.h"

namespace carpex::win32 {

namespace {

constexpr int32_t kShotWidth = kScreenWidth;
constexpr int32_t kShotHeight = kScreenHeight;
// How long the switch away and back may take before the loss counts as failed.
constexpr DWORD kSwitchTimeoutMs = 5000;
constexpr DWORD kPollMs = 10;

// Handles the window's messages until Done says so or the time is up.
template <class Condition>
bool PumpUntil(Win32App& App, Condition Done) {
  const DWORD start = GetTickCount();
  for (;;) {
    App.PumpMessages();
    if (Done()) return true;
    if (GetTickCount() - start > kSwitchTimeoutMs) return false;
    ::Sleep(kPollMs);
  }
}

}  // namespace

bool ReadSurface(IDirectDrawSurface7* Surface, int32_t* Width, int32_t* Height,
                 std::vector<uint8_t>* Rgb) {
  if (Surface == nullptr) return false;
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  if (Surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) != DD_OK) {
    return false;
  }
  const DDPIXELFORMAT& format = desc.ddpfPixelFormat;
  const DWORD bits = format.dwRGBBitCount;
  const bool usable = (format.dwFlags & DDPF_RGB) != 0 &&
                      (bits == 16 || bits == 24 || bits == 32) && desc.lpSurface != nullptr;
  if (usable) {
    const uint32_t masks[3] = {format.dwRBitMask, format.dwGBitMask, format.dwBBitMask};
    const int32_t w = static_cast<int32_t>(desc.dwWidth);
    const int32_t h = static_cast<int32_t>(desc.dwHeight);
    Rgb->assign(static_cast<size_t>(w) * static_cast<size_t>(h) * 3, 0);
    const auto* base = static_cast<const uint8_t*>(desc.lpSurface);
    const size_t bytes = bits / 8;
    for (int32_t y = 0; y < h; ++y) {
      const uint8_t* row = base + static_cast<size_t>(y) * static_cast<size_t>(desc.lPitch);
      for (int32_t x = 0; x < w; ++x) {
        uint32_t pixel = 0;
        std::memcpy(&pixel, row + static_cast<size_t>(x) * bytes, bytes);
        uint8_t* out =
            Rgb->data() +
            (static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)) * 3;
        PixelToRgb(pixel, masks, out);
      }
    }
    *Width = w;
    *Height = h;
  }
  Surface->Unlock(nullptr);
  return usable;
}

bool ReadPrimary(IDirectDrawSurface7* Primary, std::vector<uint8_t>* Rgb) {
  int32_t w = 0;
  int32_t h = 0;
  if (!ReadSurface(Primary, &w, &h, Rgb)) return false;
  return w == kShotWidth && h == kShotHeight;
}

bool LoseEverySurface(Win32App& App, IDirectDraw7* Device, IDirectDrawSurface7* Primary) {
  HWND window = App.Window();
  if (window == nullptr || Device == nullptr || Primary == nullptr) return false;
  const bool wasMaximized = IsZoomed(window) != FALSE;

  // Away: the window goes to the task bar and DirectDraw gives the display up.
  ShowWindow(window, SW_MINIMIZE);
  const bool lost = PumpUntil(App, [&] { return Primary->IsLost() == DDERR_SURFACELOST; });

  // Back: the window is active again and the display can be had, but nothing is
  // restored here; that is the game's own work.
  ShowWindow(window, wasMaximized ? SW_SHOWMAXIMIZED : SW_RESTORE);
  SetForegroundWindow(window);
  const bool back = PumpUntil(App, [&] { return Device->TestCooperativeLevel() == DD_OK; });
  return lost && back;
}

bool SettleDisplay(Win32App& App, IDirectDraw7* Device) {
  HWND window = App.Window();
  if (window == nullptr || Device == nullptr || !IsWindowVisible(window)) return true;
  const bool away = IsIconic(window) != FALSE;
  return PumpUntil(App, [&] { return (Device->TestCooperativeLevel() == DD_OK) != away; });
}

}  // namespace carpex::win32
