#include "platform/win32/frame_presenter.h"

#include <algorithm>
#include <cstring>

#include "platform/common/enlarge.h"
#include "platform/win32/pixel_format.h"

namespace carpex::win32 {

namespace {

constexpr int kW = common::kPictureWidth;
constexpr int kH = common::kPictureHeight;

bool SameFormat(const DDPIXELFORMAT& A, const DDPIXELFORMAT& B) {
  return A.dwRGBBitCount == B.dwRGBBitCount && A.dwRBitMask == B.dwRBitMask &&
         A.dwGBitMask == B.dwGBitMask && A.dwBBitMask == B.dwBBitMask;
}

}  // namespace

common::Placement WholeFactorPlacement(int ClientWidth, int ClientHeight) {
  common::Placement p;
  p.Scale = std::max(1, std::min(ClientWidth / kW, ClientHeight / kH));
  p.TextScale = p.Scale;
  p.Width = kW * p.Scale;
  p.Height = kH * p.Scale;
  p.X = (ClientWidth - p.Width) / 2;
  p.Y = (ClientHeight - p.Height) / 2;
  return p;
}

void FramePresenter::Place(int ClientWidth, int ClientHeight) {
  where_ = WholeFactorPlacement(ClientWidth, ClientHeight);
  whole_ = true;
}

void FramePresenter::Cover(const RECT& Box) {
  const int s = where_.Scale;
  const RECT under{std::max(0L, (Box.left - where_.X) / s), std::max(0L, (Box.top - where_.Y) / s),
                   std::min(static_cast<LONG>(kW), (Box.right - where_.X + s - 1) / s),
                   std::min(static_cast<LONG>(kH), (Box.bottom - where_.Y + s - 1) / s)};
  if (under.left < under.right && under.top < under.bottom) UnionRect(&cover_, &cover_, &under);
}

void FramePresenter::SetLegend(const common::LegendPicture* Legend) {
  legend_ = Legend;
  legend_dirty_ = true;
  if (legend_surface_ != nullptr) legend_surface_->Release();
  legend_surface_ = nullptr;
}

bool FramePresenter::MakeLegendSurface(IDirectDraw7* Device) {
  if (legend_surface_ != nullptr) return true;
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  desc.dwWidth = static_cast<DWORD>(legend_->Width);
  desc.dwHeight = static_cast<DWORD>(legend_->Height);
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  desc.ddpfPixelFormat = format_;
  if (Device->CreateSurface(&desc, &legend_surface_, nullptr) != DD_OK) {
    legend_surface_ = nullptr;
    return false;
  }
  DDSURFACEDESC2 to{};
  to.dwSize = sizeof to;
  if (legend_surface_->Lock(nullptr, &to, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr) != DD_OK) {
    return false;
  }
  const uint32_t masks[3] = {format_.dwRBitMask, format_.dwGBitMask, format_.dwBBitMask};
  const int bytes = static_cast<int>(format_.dwRGBBitCount / 8);
  for (int y = 0; y < legend_->Height; ++y) {
    uint8_t* row = static_cast<uint8_t*>(to.lpSurface) + static_cast<ptrdiff_t>(y) * to.lPitch;
    for (int x = 0; x < legend_->Width; ++x) {
      const uint32_t c = legend_->Pixels[static_cast<size_t>(y) * legend_->Width + x];
      const uint8_t rgb[3] = {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                              static_cast<uint8_t>(c)};
      common::StorePixel(row + x * bytes, RgbToPixel(rgb, masks), bytes);
    }
  }
  legend_surface_->Unlock(nullptr);
  return true;
}

void FramePresenter::Release() {
  if (legend_surface_ != nullptr) legend_surface_->Release();
  legend_surface_ = nullptr;
  legend_dirty_ = true;
  if (surface_ != nullptr) surface_->Release();
  if (clipper_ != nullptr) clipper_->Release();
  surface_ = nullptr;
  clipper_ = nullptr;
  clipped_ = nullptr;
  surface_scale_ = 0;
  whole_ = true;
}

bool FramePresenter::MakeSurface(IDirectDraw7* Device, IDirectDrawSurface7* Primary) {
  DDPIXELFORMAT desktop{};
  desktop.dwSize = sizeof desktop;
  if (Primary->GetPixelFormat(&desktop) != DD_OK || (desktop.dwFlags & DDPF_RGB) == 0 ||
      desktop.dwRGBBitCount < 16) {
    return false;
  }
  if (surface_ != nullptr && surface_scale_ == where_.Scale && SameFormat(desktop, format_)) {
    return true;
  }
  if (surface_ != nullptr) surface_->Release();
  surface_ = nullptr;
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  desc.dwWidth = static_cast<DWORD>(kW * where_.Scale);
  desc.dwHeight = static_cast<DWORD>(kH * where_.Scale);
  // In system memory: a surface in video memory is smoothed by some blitters
  // even when copied one to one, and this one is written by the processor.
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  desc.ddpfPixelFormat = desktop;
  if (Device->CreateSurface(&desc, &surface_, nullptr) != DD_OK) {
    surface_ = nullptr;
    return false;
  }
  surface_scale_ = where_.Scale;
  if (!table_ || !SameFormat(desktop, format_)) {
    if (!table_) table_.reset(new uint32_t[65536]);
    const uint32_t masks[3] = {desktop.dwRBitMask, desktop.dwGBitMask, desktop.dwBBitMask};
    Rgb565Table(masks, table_.get());
    format_ = desktop;
  }
  whole_ = true;
  return true;
}

bool FramePresenter::Convert(IDirectDrawSurface7* Frame, int* Top, int* Bottom, int* Left,
                             int* Right, bool* Lost) {
  DDSURFACEDESC2 from{};
  from.dwSize = sizeof from;
  HRESULT r = Frame->Lock(nullptr, &from, DDLOCK_WAIT | DDLOCK_READONLY, nullptr);
  if (r != DD_OK) {
    *Lost = r == DDERR_SURFACELOST;
    return false;
  }
  DDSURFACEDESC2 to{};
  to.dwSize = sizeof to;
  r = surface_->Lock(nullptr, &to, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
  if (r == DDERR_SURFACELOST && surface_->Restore() == DD_OK) {
    whole_ = true;
    r = surface_->Lock(nullptr, &to, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr);
  }
  const bool usable = r == DD_OK && from.dwWidth == static_cast<DWORD>(kW) &&
                      from.dwHeight == static_cast<DWORD>(kH) &&
                      from.ddpfPixelFormat.dwRGBBitCount == 16;
  if (usable) {
    if (picture_.size() != static_cast<size_t>(kW) * kH) {
      picture_.assign(static_cast<size_t>(kW) * kH, 0);
      whole_ = true;
    }
    const int bytes = static_cast<int>(format_.dwRGBBitCount / 8);
    const int s = where_.Scale;
    *Top = kH;
    *Bottom = 0;
    *Left = kW;
    *Right = 0;
    for (int y = 0; y < kH; ++y) {
      const auto* row = reinterpret_cast<const uint16_t*>(
          static_cast<const uint8_t*>(from.lpSurface) + static_cast<ptrdiff_t>(y) * from.lPitch);
      uint16_t* kept = &picture_[static_cast<size_t>(y) * kW];
      int left = 0, right = 0;
      if (!common::CopyChangedSpan(row, kept, kW, whole_, &left, &right)) continue;
      common::EnlargeRow(
          kept, left, right, table_.get(), bytes,
          static_cast<uint8_t*>(to.lpSurface) + static_cast<ptrdiff_t>(y) * s * to.lPitch, s,
          to.lPitch);
      *Top = std::min(*Top, y);
      *Bottom = y + 1;
      *Left = std::min(*Left, left);
      *Right = std::max(*Right, right);
    }
  }
  if (r == DD_OK) surface_->Unlock(nullptr);
  Frame->Unlock(nullptr);
  return usable;
}

bool FramePresenter::Present(IDirectDraw7* Device, IDirectDrawSurface7* Primary,
                             IDirectDrawSurface7* Frame, HWND Window, bool WaitForBlank) {
  if (Device == nullptr || Primary == nullptr || Frame == nullptr || Window == nullptr) {
    return false;
  }
  // A Blt while minimised draws nothing: the frame is not even converted.
  if (IsIconic(Window)) return false;
  if (clipped_ != Primary) {
    if (clipper_ == nullptr && Device->CreateClipper(0, &clipper_, nullptr) != DD_OK) {
      clipper_ = nullptr;
    }
    if (clipper_ != nullptr && clipper_->SetHWnd(0, Window) == DD_OK &&
        Primary->SetClipper(clipper_) == DD_OK) {
      clipped_ = Primary;
    }
    whole_ = true;
  }
  if (!MakeSurface(Device, Primary)) return false;
  int top = 0, bottom = 0, left = 0, right = 0;
  bool lost = false;
  if (!Convert(Frame, &top, &bottom, &left, &right, &lost)) return lost;
  if (whole_) {
    top = left = 0;
    bottom = kH;
    right = kW;
  } else if (cover_.left < cover_.right) {
    if (top >= bottom) {
      top = kH;
      left = kW;
      bottom = right = 0;
    }
    top = std::min<int>(top, cover_.top);
    left = std::min<int>(left, cover_.left);
    bottom = std::max<int>(bottom, cover_.bottom);
    right = std::max<int>(right, cover_.right);
  }
  const bool legendAgain = legend_dirty_ || whole_;
  whole_ = false;
  cover_ = RECT{0, 0, 0, 0};
  // The picture is ready: what goes to the screen goes in the blank.
  if (WaitForBlank && (legendAgain || top < bottom)) {
    Device->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr);
  }
  if (legendAgain && PresentLegend(Device, Primary, Window)) {
    whole_ = true;
    return true;
  }
  if (top >= bottom) return false;

  // The changed band, in the window.
  const int s = where_.Scale;
  if (CopyToWindow(Primary, surface_, RECT{left * s, top * s, right * s, bottom * s},
                   where_.X + left * s, where_.Y + top * s, Window)) {
    whole_ = true;
    return true;
  }
  return false;
}

bool FramePresenter::PresentLegend(IDirectDraw7* Device, IDirectDrawSurface7* Primary,
                                   HWND Window) {
  legend_dirty_ = false;
  // Black where the last legend stood.
  if (drawn_legend_.right > drawn_legend_.left) {
    POINT a{drawn_legend_.left, drawn_legend_.top}, b{drawn_legend_.right, drawn_legend_.bottom};
    ClientToScreen(Window, &a);
    ClientToScreen(Window, &b);
    RECT black{a.x, a.y, b.x, b.y};
    DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    if (Primary->Blt(&black, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx) ==
        DDERR_SURFACELOST) {
      legend_dirty_ = true;
      return true;
    }
    drawn_legend_ = RECT{0, 0, 0, 0};
  }
  if (legend_ == nullptr || legend_->Width <= 0 || !MakeLegendSurface(Device)) return false;
  if (CopyToWindow(Primary, legend_surface_, RECT{0, 0, legend_->Width, legend_->Height},
                   legend_->X, legend_->Y, Window)) {
    legend_dirty_ = true;
    return true;
  }
  drawn_legend_ =
      RECT{legend_->X, legend_->Y, legend_->X + legend_->Width, legend_->Y + legend_->Height};
  return false;
}

bool FramePresenter::CopyToWindow(IDirectDrawSurface7* Primary, IDirectDrawSurface7* Source,
                                  RECT Src, int X, int Y, HWND Window) {
  // On the screen, clipped to it: a destination outside the primary surface
  // is refused whole.
  POINT origin{X, Y};
  ClientToScreen(Window, &origin);
  RECT src = Src;
  RECT dest{origin.x, origin.y, origin.x + (Src.right - Src.left),
            origin.y + (Src.bottom - Src.top)};
  DDSURFACEDESC2 screen{};
  screen.dwSize = sizeof screen;
  if (Primary->GetSurfaceDesc(&screen) != DD_OK) return false;
  const LONG sw = static_cast<LONG>(screen.dwWidth);
  const LONG sh = static_cast<LONG>(screen.dwHeight);
  if (dest.left < 0) {
    src.left -= dest.left;
    dest.left = 0;
  }
  if (dest.top < 0) {
    src.top -= dest.top;
    dest.top = 0;
  }
  if (dest.right > sw) {
    src.right -= dest.right - sw;
    dest.right = sw;
  }
  if (dest.bottom > sh) {
    src.bottom -= dest.bottom - sh;
    dest.bottom = sh;
  }
  if (dest.left >= dest.right || dest.top >= dest.bottom) return false;
  return Primary->Blt(&dest, Source, &src, DDBLT_WAIT, nullptr) == DDERR_SURFACELOST;
}

void FramePresenter::Paint(HDC Dc, const RECT& Area) {
  // Black around the picture, and where there is no picture yet.
  const RECT picture{where_.X, where_.Y, where_.X + where_.Width, where_.Y + where_.Height};
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  if (picture_.empty()) {
    FillRect(Dc, &Area, black);
  } else {
    const RECT bands[] = {{Area.left, Area.top, Area.right, picture.top},
                          {Area.left, picture.bottom, Area.right, Area.bottom},
                          {Area.left, picture.top, picture.left, picture.bottom},
                          {picture.right, picture.top, Area.right, picture.bottom}};
    for (const RECT& band : bands) {
      RECT r;
      if (IntersectRect(&r, &band, &Area)) FillRect(Dc, &r, black);
    }
    // The last frame as a 16-bit DIB, each pixel Scale times over: StretchDIBits
    // at a whole factor with COLORONCOLOR copies pixels, it does not smooth.
    struct {
      BITMAPINFOHEADER Header;
      DWORD Masks[3];
    } info{};
    info.Header.biSize = sizeof info.Header;
    info.Header.biWidth = kW;
    info.Header.biHeight = -kH;  // top row first
    info.Header.biPlanes = 1;
    info.Header.biBitCount = 16;
    info.Header.biCompression = BI_BITFIELDS;
    info.Masks[0] = 0xF800;
    info.Masks[1] = 0x07E0;
    info.Masks[2] = 0x001F;
    SetStretchBltMode(Dc, COLORONCOLOR);
    StretchDIBits(Dc, where_.X, where_.Y, where_.Width, where_.Height, 0, 0, kW, kH,
                  picture_.data(), reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS,
                  SRCCOPY);
  }
  if (legend_ != nullptr && legend_->Width > 0) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = legend_->Width;
    info.bmiHeader.biHeight = -legend_->Height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    StretchDIBits(Dc, legend_->X, legend_->Y, legend_->Width, legend_->Height, 0, 0, legend_->Width,
                  legend_->Height, legend_->Pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
  }
  whole_ = true;
}

}  // namespace carpex::win32
