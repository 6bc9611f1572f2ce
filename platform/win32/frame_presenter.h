// The game's frame in its window, through DirectDraw on the desktop as it is:
// the 640 x 480 RGB565 back buffer enlarged by a whole factor into a surface
// of the desktop's format in system memory (so that every picture pixel stays
// a sharp square, whatever the blitter would do when stretching), then copied
// one to one onto the desktop's primary surface through a clipper that keeps
// it inside the window. Only the rows that changed are converted and copied.
#pragma once

#include <windows.h>
// ddraw.h needs the Windows types first.
#include <ddraw.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/common/layout.h"
#include "platform/common/legend.h"

namespace carpex::win32 {

// The largest whole factor that fits the window's inside (1 at least, then
// cropped), centred on black.
common::Placement WholeFactorPlacement(int ClientWidth, int ClientHeight);

class FramePresenter {
 public:
  FramePresenter() = default;
  ~FramePresenter() { Release(); }
  FramePresenter(const FramePresenter&) = delete;
  FramePresenter& operator=(const FramePresenter&) = delete;

  // The window's inside has this size now.
  void Place(int ClientWidth, int ClientHeight);
  const common::Placement& Where() const { return where_; }
  // The next present copies the whole picture (the window moved, or what was
  // on the screen is gone).
  void Redraw() { whole_ = true; }
  // The next present copies the picture under Box (in the window's inside)
  // too: something else was drawn there.
  void Cover(const RECT& Box);

  // Shows Frame in Window on Primary, copied in the display's vertical blank
  // when WaitForBlank (so that it is not seen half old and half new); true
  // when a surface of the display is lost. Any other failure shows nothing
  // this time and is not reported.
  bool Present(IDirectDraw7* Device, IDirectDrawSurface7* Primary, IDirectDrawSurface7* Frame,
               HWND Window, bool WaitForBlank);
  // Paints Area of the window's inside from the last frame through GDI, black
  // around the picture, and the legend (WM_PAINT: while the game is paused
  // nobody presents).
  void Paint(HDC Dc, const RECT& Area);
  // The legend in the black room around the picture (the caller keeps it;
  // nullptr: none): shown with the next present, and kept there through
  // DirectDraw as the picture is, which would cover what GDI drew.
  void SetLegend(const common::LegendPicture* Legend);
  // Lets go of what was made on the display (before the display goes).
  void Release();

 private:
  bool MakeSurface(IDirectDraw7* Device, IDirectDrawSurface7* Primary);
  // Converts the rows of Frame that differ from the last one; the band of
  // picture rows [*Top, *Bottom) and columns [*Left, *Right) that changed.
  bool Convert(IDirectDrawSurface7* Frame, int* Top, int* Bottom, int* Left, int* Right,
               bool* Lost);
  // Copies Src of Source to the window's inside at (X, Y) on the screen's
  // Primary, clipped to the screen; true when a surface is lost.
  bool CopyToWindow(IDirectDrawSurface7* Primary, IDirectDrawSurface7* Source, RECT Src, int X,
                    int Y, HWND Window);
  // The legend's surface, made and filled in the desktop's format.
  bool MakeLegendSurface(IDirectDraw7* Device);
  // Black where the last legend stood, and the legend; true when a surface is lost.
  bool PresentLegend(IDirectDraw7* Device, IDirectDrawSurface7* Primary, HWND Window);

  common::Placement where_ = WholeFactorPlacement(common::kPictureWidth, common::kPictureHeight);
  IDirectDrawClipper* clipper_ = nullptr;
  const IDirectDrawSurface7* clipped_ = nullptr;  // the primary the clipper is set on
  IDirectDrawSurface7* surface_ = nullptr;        // the enlarged picture
  int surface_scale_ = 0;
  DDPIXELFORMAT format_{};
  std::unique_ptr<uint32_t[]> table_;  // RGB565 to the desktop's pixels
  std::vector<uint16_t> picture_;      // the last frame
  bool whole_ = true;
  RECT cover_{0, 0, 0, 0};  // picture pixels to copy with the next present
  const common::LegendPicture* legend_ = nullptr;
  IDirectDrawSurface7* legend_surface_ = nullptr;
  bool legend_dirty_ = false;
  RECT drawn_legend_{0, 0, 0, 0};  // where the legend stands, in the window
};

}  // namespace carpex::win32
