// DirectDraw 7 in memory: one 640 x 480 x 16 display, RGB565 surfaces, a
// primary flipping chain with one back buffer, colour-keyed BltFast, lost
// surfaces and Restore.
//
// Nothing on the per-frame path (BltFast, Flip, Lock, Unlock, IsLost)
// allocates: the call log is a fixed array and Flip swaps buffers.

#include <algorithm>
#include <cstring>
#include <new>

#include "graphics/soft/control.h"
#include "graphics/soft/objects.h"
#include "graphics/soft/state.h"

const GUID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const GUID IID_IDirectDraw7 = {
    0x15e65ec0, 0x3b9c, 0x11d2, {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};
const GUID IID_IDirectDrawSurface7 = {
    0x06675a80, 0x3b9b, 0x11d2, {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};

namespace soft::detail {
namespace {

constexpr DWORD kPrimaryCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER | DDSCAPS_VISIBLE |
                               DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
constexpr DWORD kChainCaps = DDSCAPS_FLIP | DDSCAPS_COMPLEX;
constexpr DWORD kBackBufferCaps =
    DDSCAPS_BACKBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
constexpr DWORD kPlainCapsAllowed = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY |
                                    DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM |
                                    DDSCAPS_NONLOCALVIDMEM | DDSCAPS_WRITEONLY | DDSCAPS_OWNDC;
constexpr DWORD kPrimaryCapsAllowed = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX |
                                      DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM | DDSCAPS_3DDEVICE |
                                      DDSCAPS_VISIBLE;
// The largest side this display makes; real drivers have limits of this order.
constexpr DWORD kMaxSurfaceSide = 16384;

// Copies N pixels. The runs of a keyed blit are mostly a cell's row or a
// little less: copied as two fixed-size pieces that may overlap, without a call.
inline void CopyRun(std::uint16_t* To, const std::uint16_t* From, std::size_t N) {
  const auto two = [&](auto Piece) {
    constexpr std::size_t kPixels = sizeof Piece / 2;
    std::memcpy(&Piece, From, sizeof Piece);
    decltype(Piece) last;
    std::memcpy(&last, From + N - kPixels, sizeof last);
    std::memcpy(To, &Piece, sizeof Piece);
    std::memcpy(To + N - kPixels, &last, sizeof last);
  };
  struct Pixels8 {
    std::uint64_t Half[2];
  };
  if (N > 16) {
    std::memcpy(To, From, N * 2);
  } else if (N >= 8) {
    two(Pixels8{});
  } else if (N >= 4) {
    two(std::uint64_t{});
  } else if (N >= 2) {
    two(std::uint32_t{});
  } else if (N == 1) {
    *To = *From;
  }
}

// Rows start on 8-byte boundaries, as display drivers align them; callers
// must use lPitch, and a 32-bit read of the first pixel stays inside.
int PitchFor(int Width) {
  return (Width + 3) & ~3;
}

std::size_t PixelCount(int PitchPixels, int Height) {
  return static_cast<std::size_t>(PitchPixels) * static_cast<std::size_t>(Height);
}

// New pixels, all 0 (unless no pixel is drawn): a spare of their size when
// there is one.
std::unique_ptr<std::uint16_t[]> AllocatePixels(int PitchPixels, int Height) {
  const std::size_t count = PixelCount(PitchPixels, Height);
  for (State::SparePixels& spare : GetState().spares) {
    if (spare.pixels == nullptr || spare.count != count) continue;
    if (!GetState().skipPixels) std::fill_n(spare.pixels.get(), count, std::uint16_t{0});
    spare.count = 0;
    return std::move(spare.pixels);
  }
  return std::unique_ptr<std::uint16_t[]>(new (std::nothrow) std::uint16_t[count]());
}

// Keeps the pixels of a surface being freed in place of the oldest spare.
void KeepSpare(std::unique_ptr<std::uint16_t[]> Pixels, std::size_t Count) {
  if (Pixels == nullptr) return;
  auto& spares = GetState().spares;
  std::rotate(spares.begin(), spares.begin() + 1, spares.end());
  spares.back().pixels = std::move(Pixels);
  spares.back().count = Count;
}

void FillPixelFormat(DDPIXELFORMAT* Pf) {
  std::memset(Pf, 0, sizeof(*Pf));
  Pf->dwSize = sizeof(DDPIXELFORMAT);
  Pf->dwFlags = DDPF_RGB;
  Pf->dwRGBBitCount = 16;
  Pf->dwRBitMask = 0xF800;
  Pf->dwGBitMask = 0x07E0;
  Pf->dwBBitMask = 0x001F;
}

bool IsRgb565(const DDPIXELFORMAT& Pf) {
  return (Pf.dwFlags & DDPF_RGB) && Pf.dwRGBBitCount == 16 && Pf.dwRBitMask == 0xF800 &&
         Pf.dwGBitMask == 0x07E0 && Pf.dwBBitMask == 0x001F && Pf.dwRGBAlphaBitMask == 0;
}

// LoseBeforeCall counts BltFast and Flip calls together.
void CountBlitOrFlip() {
  State& s = GetState();
  if (s.loseBeforeCall > 0 && --s.loseBeforeCall == 0) LoseEverySurface();
}

template <typename T>
void Unregister(std::vector<T*>& List, T* Item) {
  auto it = std::find(List.begin(), List.end(), Item);
  if (it != List.end()) List.erase(it);
}

}  // namespace

void LoseEverySurface() {
  for (Surface* surface : GetState().surfaces) {
    // One lost already shows the pattern: nothing can draw into it until it
    // is restored, but through a DC or a lock taken before.
    if (surface->lost && !surface->Busy()) continue;
    surface->lost = true;
    if (surface->Busy()) {
      surface->FillLostPattern();
    } else {
      surface->OweLostPattern();
    }
  }
}

Surface* FindSurface(const void* Iface) {
  if (Iface == nullptr) return nullptr;
  for (Surface* surface : GetState().surfaces) {
    if (static_cast<const void*>(static_cast<const IDirectDrawSurface7*>(surface)) == Iface) {
      return surface;
    }
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// Device

template <class Interface, class Object>
HRESULT Counted<Interface, Object>::QueryInterface(REFIID Iid, void** Out) {
  HRESULT hr = E_NOINTERFACE;
  if (Out == nullptr) {
    hr = E_POINTER;
  } else if (Iid == IID_IUnknown || Iid == Object::kIid) {
    ++refs;
    *Out = static_cast<Interface*>(this);
    hr = S_OK;
  } else {
    *Out = nullptr;
  }
  LogCall("QueryInterface", this, hr);
  return hr;
}

template <class Interface, class Object>
ULONG Counted<Interface, Object>::AddRef() {
  ++refs;
  LogCall("AddRef", this, static_cast<HRESULT>(refs));
  return refs;
}

template <class Interface, class Object>
ULONG Counted<Interface, Object>::Release() {
  Object* self = static_cast<Object*>(this);
  const ULONG remaining = refs > 0 ? --refs : 0;
  const bool destroyed = remaining == 0 && self->FreedAtZero();
  LogCall("Release", this, static_cast<HRESULT>(remaining));
  GetState().releases.push_back({this, Object::kInterfaceName, remaining, destroyed});
  if (destroyed) delete self;
  return remaining;
}

template class Counted<IDirectDraw7, Device>;
template class Counted<IDirectDrawSurface7, Surface>;

Device::Device() {
  GetState().devices.push_back(this);
}

Device::~Device() {
  State& s = GetState();
  Unregister(s.devices, this);
  if (s.exclusiveOwner == this) s.exclusiveOwner = nullptr;
  if (s.modeOwner == this) s.modeOwner = nullptr;
}

HRESULT Device::CreateSurface(LPDDSURFACEDESC2 Desc, LPDIRECTDRAWSURFACE7* Out, IUnknown* Outer) {
  return Logged("CreateSurface", this, DoCreateSurface(Desc, Out, Outer));
}

HRESULT Device::DoCreateSurface(LPDDSURFACEDESC2 Desc, LPDIRECTDRAWSURFACE7* Out, IUnknown* Outer) {
  State& s = GetState();
  if (Out == nullptr) return DDERR_INVALIDPARAMS;
  *Out = nullptr;
  if (s.failCreateSurfaceIn > 0 && --s.failCreateSurfaceIn == 0) return s.failCreateSurfaceCode;
  if (Desc == nullptr || Desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  if (Outer != nullptr) return CLASS_E_NOAGGREGATION;
  if (!cooperativeLevelSet) return DDERR_NOCOOPERATIVELEVELSET;

  const DWORD flags = Desc->dwFlags;
  const DWORD caps = (flags & DDSD_CAPS) ? Desc->ddsCaps.dwCaps : DDSCAPS_OFFSCREENPLAIN;
  if ((caps & DDSCAPS_VIDEOMEMORY) && (caps & DDSCAPS_SYSTEMMEMORY)) return DDERR_INVALIDCAPS;
  if ((flags & DDSD_PIXELFORMAT) && !IsRgb565(Desc->ddpfPixelFormat)) {
    return DDERR_INVALIDPIXELFORMAT;
  }

  Surface* made = nullptr;
  if (caps & DDSCAPS_PRIMARYSURFACE) {
    if (caps & ~kPrimaryCapsAllowed) return DDERR_INVALIDCAPS;
    if (s.primary != nullptr) return DDERR_PRIMARYSURFACEALREADYEXISTS;
    if (flags & (DDSD_WIDTH | DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
    const bool chain = (caps & DDSCAPS_FLIP) != 0;
    if (chain) {
      if (!(caps & DDSCAPS_COMPLEX)) return DDERR_INVALIDCAPS;
      if (!(flags & DDSD_BACKBUFFERCOUNT) || Desc->dwBackBufferCount == 0) {
        return DDERR_INVALIDPARAMS;
      }
      if (s.exclusiveOwner != this) return DDERR_NOEXCLUSIVEMODE;
      // This display keeps one back buffer, which is all the game asks for.
      if (Desc->dwBackBufferCount != 1) return DDERR_UNSUPPORTED;
    } else if (caps & DDSCAPS_COMPLEX) {
      return DDERR_INVALIDCAPS;
    }
    // Only 640 x 480 x 16 can be flipped; the desktop's own mode is not one.
    // A program that shares the desktop gets its primary surface, which on
    // this display has the game's own size and format.
    if (s.modeOwner == nullptr && (chain || s.exclusiveOwner == this)) {
      return DDERR_UNSUPPORTEDMODE;
    }

    const int pitch = PitchFor(kScreenWidth);
    auto front = AllocatePixels(pitch, kScreenHeight);
    std::unique_ptr<std::uint16_t[]> back;
    if (chain) back = AllocatePixels(pitch, kScreenHeight);
    if (!front || (chain && !back)) return DDERR_OUTOFVIDEOMEMORY;

    made = new Surface(this, Surface::Role::Primary, kScreenWidth, kScreenHeight,
                       kPrimaryCaps | (chain ? kChainCaps : 0), std::move(front), pitch);
    if (chain) {
      Surface* backBuffer = new Surface(nullptr, Surface::Role::BackBuffer, kScreenWidth,
                                        kScreenHeight, kBackBufferCaps, std::move(back), pitch);
      backBuffer->refs = 0;  // held by the chain until the program asks for it
      made->partner = backBuffer;
      backBuffer->partner = made;
    }
    s.primary = made;
  } else {
    if (caps & ~kPlainCapsAllowed) return DDERR_INVALIDCAPS;
    if (!(flags & DDSD_WIDTH) || !(flags & DDSD_HEIGHT) || Desc->dwWidth == 0 ||
        Desc->dwHeight == 0) {
      return DDERR_INVALIDPARAMS;
    }
    if (Desc->dwWidth > kMaxSurfaceSide) return DDERR_TOOBIGWIDTH;
    if (Desc->dwHeight > kMaxSurfaceSide) return DDERR_TOOBIGHEIGHT;
    const int width = static_cast<int>(Desc->dwWidth);
    const int height = static_cast<int>(Desc->dwHeight);
    const int pitch = PitchFor(width);
    auto pixels = AllocatePixels(pitch, height);
    if (!pixels) {
      return (caps & DDSCAPS_VIDEOMEMORY) ? DDERR_OUTOFVIDEOMEMORY : DDERR_OUTOFMEMORY;
    }
    DWORD madeCaps = DDSCAPS_OFFSCREENPLAIN | (caps & (DDSCAPS_WRITEONLY | DDSCAPS_OWNDC));
    madeCaps |= (caps & DDSCAPS_SYSTEMMEMORY) ? DDSCAPS_SYSTEMMEMORY
                                              : (DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM);
    made =
        new Surface(this, Surface::Role::Plain, width, height, madeCaps, std::move(pixels), pitch);
    if (flags & DDSD_CKSRCBLT) {
      made->hasKey = true;
      made->key = Desc->ddckCKSrcBlt;
      made->ReserveKeyRuns();
    }
  }

  if (!s.active) {
    // Switched away: what is made now has no memory until the program returns.
    for (Surface* surface : {made, made->partner}) {
      if (surface == nullptr) continue;
      surface->lost = true;
      surface->FillLostPattern();
    }
  }
  *Out = made;
  return DD_OK;
}

HRESULT Device::SetCooperativeLevel(HWND Window, DWORD Flags) {
  return Logged("SetCooperativeLevel", this, DoSetCooperativeLevel(Window, Flags));
}

HRESULT Device::DoSetCooperativeLevel(HWND Window, DWORD Flags) {
  State& s = GetState();
  if (s.failSetCooperativeLevel != DD_OK) return s.failSetCooperativeLevel;
  constexpr DWORD kKnown = DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_NOWINDOWCHANGES |
                           DDSCL_NORMAL | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX | DDSCL_MULTITHREADED |
                           DDSCL_FPUSETUP | DDSCL_FPUPRESERVE;
  if (Flags & ~kKnown) return DDERR_INVALIDPARAMS;
  const bool exclusive = (Flags & DDSCL_EXCLUSIVE) != 0;
  const bool fullscreen = (Flags & DDSCL_FULLSCREEN) != 0;
  const bool normal = (Flags & DDSCL_NORMAL) != 0;
  if (exclusive != fullscreen || exclusive == normal) return DDERR_INVALIDPARAMS;
  if (exclusive) {
    if (Window == nullptr) return DDERR_INVALIDPARAMS;
    if (s.exclusiveOwner != nullptr && s.exclusiveOwner != this) {
      return DDERR_EXCLUSIVEMODEALREADYSET;
    }
    s.exclusiveOwner = this;
  } else if (s.exclusiveOwner == this) {
    s.exclusiveOwner = nullptr;
  }
  cooperativeLevelSet = true;
  return DD_OK;
}

HRESULT Device::SetDisplayMode(DWORD Width, DWORD Height, DWORD Bpp, DWORD Refresh, DWORD Flags) {
  return Logged("SetDisplayMode", this, DoSetDisplayMode(Width, Height, Bpp, Refresh, Flags));
}

HRESULT Device::DoSetDisplayMode(DWORD Width, DWORD Height, DWORD Bpp, DWORD Refresh, DWORD Flags) {
  State& s = GetState();
  if (s.failSetDisplayMode != DD_OK) return s.failSetDisplayMode;
  if (Flags & ~static_cast<DWORD>(DDSDM_STANDARDVGAMODE)) return DDERR_INVALIDPARAMS;
  if (s.exclusiveOwner != this) return DDERR_NOEXCLUSIVEMODE;
  if (Width != kScreenWidth || Height != kScreenHeight || Bpp != kScreenBits ||
      (Refresh != 0 && Refresh != 60)) {
    return DDERR_INVALIDMODE;
  }
  s.modeOwner = this;
  return DD_OK;
}

// ---------------------------------------------------------------------------
// Surface

Surface::Surface(Device* Owner, Role SurfaceRole, int W, int H, DWORD SurfaceCaps,
                 std::unique_ptr<std::uint16_t[]> Memory, int Pitch)
    : device(Owner),
      role(SurfaceRole),
      width(W),
      height(H),
      pitchPixels(Pitch),
      caps(SurfaceCaps),
      pixels(std::move(Memory)),
      rowCopies(new RowCopy[static_cast<std::size_t>(H > 0 ? H : 0)]) {
  if (device != nullptr) ++device->refs;
  GetState().surfaces.push_back(this);
}

Surface::~Surface() {
  State& s = GetState();
  Unregister(s.surfaces, this);
  if (dc != nullptr) CloseSurfaceDC(dc);
  if (s.primary == this) s.primary = nullptr;
  Surface* other = partner;
  partner = nullptr;
  if (other != nullptr) {
    other->partner = nullptr;
    // The chain is gone; a back buffer nobody holds goes with it.
    if (role == Role::Primary) other->DestroyIfUnused();
  }
  if (device != nullptr && --device->refs == 0) delete device;
  KeepSpare(std::move(pixels), PixelCount(pitchPixels, height));
}

void Surface::DestroyIfUnused() {
  if (refs == 0 && FreedAtZero()) delete this;
}

void Surface::FillLostPattern() {
  patternOwed = false;
  ForgetKeyRuns();
  if (height <= 0 || GetState().skipPixels) return;
  // Two rows make the pattern, one for each band of eight; the rest are copies.
  const auto bytes = static_cast<std::size_t>(pitchPixels) * sizeof(std::uint16_t);
  for (int y = 0; y < height && y < 16; y += 8) {
    std::uint16_t* row = Row(y);
    for (int x = 0; x < pitchPixels; ++x) {
      row[x] = (((x >> 3) ^ (y >> 3)) & 1) ? kLostPatternB : kLostPatternA;
    }
  }
  for (int y = 1; y < height; ++y) {
    if (y % 8 != 0 || y >= 16) std::memcpy(Row(y), Row((y >> 3 & 1) * 8), bytes);
  }
}

HRESULT Surface::BltFast(DWORD X, DWORD Y, LPDIRECTDRAWSURFACE7 Src, LPRECT SrcRect, DWORD Flags) {
  CountBlitOrFlip();
  return Logged("BltFast", this, DoBltFast(X, Y, Src, SrcRect, Flags));
}

HRESULT Surface::DoBltFast(DWORD X, DWORD Y, LPDIRECTDRAWSURFACE7 SrcIface, LPRECT SrcRect,
                           DWORD Flags) {
  if (SrcIface == nullptr) return DDERR_INVALIDPARAMS;
  Surface* src = FindSurface(SrcIface);
  if (src == nullptr) return DDERR_INVALIDOBJECT;
  constexpr DWORD kKnown =
      DDBLTFAST_SRCCOLORKEY | DDBLTFAST_DESTCOLORKEY | DDBLTFAST_WAIT | DDBLTFAST_DONOTWAIT;
  if ((Flags & ~kKnown) || (Flags & (DDBLTFAST_SRCCOLORKEY | DDBLTFAST_DESTCOLORKEY)) ==
                               (DDBLTFAST_SRCCOLORKEY | DDBLTFAST_DESTCOLORKEY)) {
    return DDERR_INVALIDPARAMS;
  }
  if (lost || src->lost) return DDERR_SURFACELOST;
  if (Flags & DDBLTFAST_DESTCOLORKEY) return DDERR_UNSUPPORTED;  // no destination keys here
  const bool keyed = (Flags & DDBLTFAST_SRCCOLORKEY) != 0;
  if (keyed && !src->hasKey) return DDERR_NOCOLORKEY;

  // BltFast does not clip: both rectangles must lie inside their surfaces.
  RECT r = {0, 0, src->width, src->height};
  if (SrcRect != nullptr) r = *SrcRect;
  if (r.left < 0 || r.top < 0 || r.left >= r.right || r.top >= r.bottom || r.right > src->width ||
      r.bottom > src->height) {
    return DDERR_INVALIDRECT;
  }
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  if (static_cast<std::uint64_t>(X) + static_cast<std::uint64_t>(w) >
          static_cast<std::uint64_t>(width) ||
      static_cast<std::uint64_t>(Y) + static_cast<std::uint64_t>(h) >
          static_cast<std::uint64_t>(height)) {
    return DDERR_INVALIDRECT;
  }
  if (Busy() || src->Busy()) return DDERR_SURFACEBUSY;

  const int dx = static_cast<int>(X);
  const int dy = static_cast<int>(Y);
  src->Settle();
  if (!keyed && dx == 0 && dy == 0 && w == width && h == height) {
    DrawnOverWhole();
  } else {
    Settle();
  }
  Changed();
  // No row is known to be a copy while pixels are skipped (SkipPixels forgets
  // them all when drawing resumes).
  if (GetState().skipPixels) return DD_OK;
  if (src != this && !keyed && w == width && r.left == 0) {
    // Whole rows: each copied where it does not hold that row of these pixels.
    for (int i = 0; i < h; ++i) {
      RowCopy& copy = rowCopies[dy + i];
      if (copy.Version != src->version || copy.Row != r.top + i) {
        std::memcpy(Row(dy + i), src->Row(r.top + i), static_cast<std::size_t>(w) * 2);
        copy = RowCopy{src->version, r.top + i};
      } else if (copy.DrawnFirst != copy.DrawnLast) {
        std::memcpy(Row(dy + i) + copy.DrawnFirst, src->Row(r.top + i) + copy.DrawnFirst,
                    static_cast<std::size_t>(copy.DrawnLast - copy.DrawnFirst) * 2);
        copy.DrawnFirst = copy.DrawnLast = 0;
      }
    }
    return DD_OK;
  }
  if (src == this) {
    ForgetCopies(dy, h);
  } else {
    DrewOn(dy, h, dx, dx + w);
  }
  if (src != this) {
    if (keyed) {
      KeyedCopy(*src, r, dx, dy);
    } else {
      for (int i = 0; i < h; ++i) {
        std::memcpy(Row(dy + i) + dx, src->Row(r.top + i) + r.left,
                    static_cast<std::size_t>(w) * 2);
      }
    }
    return DD_OK;
  }
  // Within one surface, walk so that every source pixel is read before it is
  // overwritten.
  const bool bottomUp = dy > r.top;
  const bool rightToLeft = dx > r.left;
  const DWORD low = src->key.dwColorSpaceLowValue;
  const DWORD high = src->key.dwColorSpaceHighValue;
  for (int i = 0; i < h; ++i) {
    const int row = bottomUp ? h - 1 - i : i;
    const std::uint16_t* from = src->Row(r.top + row) + r.left;
    std::uint16_t* to = Row(dy + row) + dx;
    if (!keyed) {
      std::memmove(to, from, static_cast<std::size_t>(w) * sizeof(std::uint16_t));
    } else if (!rightToLeft) {
      for (int j = 0; j < w; ++j) {
        const DWORD p = from[j];
        if (p < low || p > high) to[j] = from[j];
      }
    } else {
      for (int j = w - 1; j >= 0; --j) {
        const DWORD p = from[j];
        if (p < low || p > high) to[j] = from[j];
      }
    }
  }
  return DD_OK;
}

void Surface::ReserveKeyRuns() {
  if (keyRuns) return;
  // A row of w pixels has at most (w + 1) / 2 runs.
  const std::size_t pairs =
      static_cast<std::size_t>(height) * static_cast<std::size_t>((width + 1) / 2);
  keyRunStart.reset(new (std::nothrow) std::uint32_t[static_cast<std::size_t>(height) + 1]);
  keyRuns.reset(new (std::nothrow) std::uint16_t[pairs * 2]);
  // Without room for the table keyed blits test every pixel instead.
  if (!keyRunStart || !keyRuns) {
    keyRunStart.reset();
    keyRuns.reset();
  }
  rectRuns.reset(new (std::nothrow) RectRun[kKeyedRects * kRunsPerRect]);
  keyRunsValid = false;
}

bool Surface::UpdateKeyRuns() {
  if (keyRunsValid) return true;
  if (!keyRuns) return false;
  const DWORD low = key.dwColorSpaceLowValue;
  const DWORD high = key.dwColorSpaceHighValue;
  std::uint32_t n = 0;
  for (int y = 0; y < height; ++y) {
    keyRunStart[y] = n;
    const std::uint16_t* row = Row(y);
    int x = 0;
    while (x < width) {
      while (x < width && row[x] >= low && row[x] <= high) ++x;
      if (x == width) break;
      const int first = x;
      while (x < width && (row[x] < low || row[x] > high)) ++x;
      keyRuns[2 * n] = static_cast<std::uint16_t>(first);
      keyRuns[2 * n + 1] = static_cast<std::uint16_t>(x);
      ++n;
    }
  }
  keyRunStart[height] = n;
  keyRunsValid = true;
  keyedRectCount = 0;
  return true;
}

const Surface::KeyedRect* Surface::RunsOf(const RECT& R) {
  const std::size_t kept = std::min(keyedRectCount, keyedRects.size());
  for (std::size_t i = 0; i < kept; ++i) {
    const KeyedRect& k = keyedRects[i];
    if (k.Rect.left == R.left && k.Rect.top == R.top && k.Rect.right == R.right &&
        k.Rect.bottom == R.bottom) {
      return k.Count == kTooManyRuns ? nullptr : &k;
    }
  }
  if (!rectRuns) return nullptr;
  KeyedRect& made = keyedRects[keyedRectCount++ % keyedRects.size()];
  made = {R, static_cast<std::uint32_t>(&made - keyedRects.data()) * kRunsPerRect, 0};
  const auto left = static_cast<std::uint16_t>(R.left);
  const auto right = static_cast<std::uint16_t>(R.right);
  for (LONG y = R.top; y < R.bottom; ++y) {
    const std::uint16_t* run = &keyRuns[2 * static_cast<std::size_t>(keyRunStart[y])];
    const std::uint16_t* end = &keyRuns[2 * static_cast<std::size_t>(keyRunStart[y + 1])];
    for (; run != end && run[0] < right; run += 2) {
      const std::uint16_t a = run[0] > left ? run[0] : left;
      const std::uint16_t b = run[1] < right ? run[1] : right;
      if (a >= b) continue;
      if (made.Count == kRunsPerRect) {
        made.Count = kTooManyRuns;
        return nullptr;
      }
      rectRuns[made.First + made.Count++] = {static_cast<std::uint16_t>(y - R.top),
                                             static_cast<std::uint16_t>(a - left),
                                             static_cast<std::uint16_t>(b - left)};
    }
  }
  return &made;
}

// Source and destination are different surfaces; the rectangles are checked.
void Surface::KeyedCopy(Surface& From, const RECT& R, int Dx, int Dy) {
  const int h = R.bottom - R.top;
  if (From.UpdateKeyRuns()) {
    if (const KeyedRect* k = From.RunsOf(R)) {
      const std::uint16_t* in = From.Row(R.top) + R.left;
      std::uint16_t* out = Row(Dy) + Dx;
      const RectRun* run = &From.rectRuns[k->First];
      for (const RectRun* end = run + k->Count; run != end; ++run) {
        CopyRun(out + run->Row * pitchPixels + run->First,
                in + run->Row * From.pitchPixels + run->First,
                static_cast<std::size_t>(run->Last - run->First));
      }
      return;
    }
    const auto left = static_cast<std::uint16_t>(R.left);
    const auto right = static_cast<std::uint16_t>(R.right);
    const std::uint16_t* in = From.Row(R.top);
    std::uint16_t* out = Row(Dy) + Dx;
    const std::uint32_t* starts = &From.keyRunStart[static_cast<std::size_t>(R.top)];
    const std::uint16_t* runs = From.keyRuns.get();
    for (int i = 0; i < h; ++i, in += From.pitchPixels, out += pitchPixels) {
      const std::uint16_t* run = runs + 2 * static_cast<std::size_t>(starts[i]);
      const std::uint16_t* end = runs + 2 * static_cast<std::size_t>(starts[i + 1]);
      for (; run != end && run[0] < right; run += 2) {
        const std::uint16_t a = run[0] > left ? run[0] : left;
        const std::uint16_t b = run[1] < right ? run[1] : right;
        if (a < b) CopyRun(out + (a - left), in + a, static_cast<std::size_t>(b - a));
      }
    }
    return;
  }
  const DWORD low = From.key.dwColorSpaceLowValue;
  const DWORD high = From.key.dwColorSpaceHighValue;
  const int w = R.right - R.left;
  for (int i = 0; i < h; ++i) {
    const std::uint16_t* in = From.Row(R.top + i) + R.left;
    std::uint16_t* out = Row(Dy + i) + Dx;
    for (int j = 0; j < w; ++j) {
      const DWORD p = in[j];
      if (p < low || p > high) out[j] = in[j];
    }
  }
}

HRESULT Surface::Flip(LPDIRECTDRAWSURFACE7 Target, DWORD Flags) {
  CountBlitOrFlip();
  const HRESULT hr = DoFlip(Target, Flags);
  LogCall("Flip", this, hr);
  if (hr == DD_OK) {
    State& s = GetState();
    if (s.flipHook) s.flipHook(FrontBuffer());
  }
  return hr;
}

HRESULT Surface::DoFlip(LPDIRECTDRAWSURFACE7 Target, DWORD /*flags*/) {
  if (Target != nullptr) {
    Surface* t = FindSurface(Target);
    if (t == nullptr) return DDERR_INVALIDOBJECT;
    if (t != partner) return DDERR_INVALIDPARAMS;
  }
  if (role != Role::Primary || partner == nullptr) return DDERR_NOTFLIPPABLE;
  if (lost || partner->lost) return DDERR_SURFACELOST;
  if (Busy() || partner->Busy()) return DDERR_SURFACEBUSY;
  pixels.swap(partner->pixels);
  rowCopies.swap(partner->rowCopies);
  std::swap(patternOwed, partner->patternOwed);
  Changed();
  partner->Changed();
  return DD_OK;
}

HRESULT Surface::GetAttachedSurface(LPDDSCAPS2 Wanted, LPDIRECTDRAWSURFACE7* Out) {
  return Logged("GetAttachedSurface", this, DoGetAttachedSurface(Wanted, Out));
}

HRESULT Surface::DoGetAttachedSurface(LPDDSCAPS2 Wanted, LPDIRECTDRAWSURFACE7* Out) {
  if (Wanted == nullptr || Out == nullptr) return DDERR_INVALIDPARAMS;
  *Out = nullptr;
  if (lost) return DDERR_SURFACELOST;
  if (partner == nullptr || (partner->caps & Wanted->dwCaps) != Wanted->dwCaps) {
    return DDERR_NOTFOUND;
  }
  ++partner->refs;
  *Out = partner;
  return DD_OK;
}

HRESULT Surface::GetColorKey(DWORD Flags, LPDDCOLORKEY Out) {
  HRESULT hr = DD_OK;
  if (Out == nullptr) {
    hr = DDERR_INVALIDPARAMS;
  } else if (Flags != DDCKEY_SRCBLT) {
    hr = DDERR_UNSUPPORTED;
  } else if (!hasKey) {
    hr = DDERR_NOCOLORKEY;
  } else {
    *Out = key;
  }
  LogCall("GetColorKey", this, hr);
  return hr;
}

HRESULT Surface::GetDC(HDC* Out) {
  return Logged("GetDC", this, DoGetDC(Out));
}

HRESULT Surface::DoGetDC(HDC* Out) {
  State& s = GetState();
  if (Out == nullptr) return DDERR_INVALIDPARAMS;
  *Out = nullptr;
  if (lost) return DDERR_SURFACELOST;
  if (dc != nullptr) return DDERR_DCALREADYCREATED;
  if (locked) return DDERR_SURFACEBUSY;
  if (s.failGetDC) return s.failGetDCCode;
  HDC made = OpenSurfaceDC(this);
  if (made == nullptr) return DDERR_CANTCREATEDC;
  dc = made;
  ForgetKeyRuns();  // GDI may draw into the surface until ReleaseDC
  *Out = made;
  return DD_OK;
}

HRESULT Surface::ReleaseDC(HDC Given) {
  HRESULT hr = DD_OK;
  if (dc == nullptr) {
    hr = DDERR_NODC;
  } else if (Given != dc) {
    hr = DDERR_INVALIDPARAMS;
  } else {
    // Given back even when the surface was lost meanwhile, so no DC leaks.
    CloseSurfaceDC(dc);
    dc = nullptr;
    ForgetKeyRuns();
  }
  LogCall("ReleaseDC", this, hr);
  return hr;
}

namespace {

void DescribeSurface(const Surface& Surface, LPDDSURFACEDESC2 Desc) {
  const DWORD size = Desc->dwSize;
  std::memset(Desc, 0, sizeof(*Desc));
  Desc->dwSize = size;
  Desc->dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
  Desc->dwWidth = static_cast<DWORD>(Surface.width);
  Desc->dwHeight = static_cast<DWORD>(Surface.height);
  Desc->lPitch = Surface.pitchPixels * static_cast<LONG>(sizeof(std::uint16_t));
  if (Surface.role == Surface::Role::Primary && Surface.partner != nullptr) {
    Desc->dwFlags |= DDSD_BACKBUFFERCOUNT;
    Desc->dwBackBufferCount = 1;
  }
  if (Surface.hasKey) {
    Desc->dwFlags |= DDSD_CKSRCBLT;
    Desc->ddckCKSrcBlt = Surface.key;
  }
  FillPixelFormat(&Desc->ddpfPixelFormat);
  Desc->ddsCaps.dwCaps = Surface.caps;
}

}  // namespace

HRESULT Surface::GetSurfaceDesc(LPDDSURFACEDESC2 Desc) {
  HRESULT hr = DD_OK;
  if (Desc == nullptr || Desc->dwSize != sizeof(DDSURFACEDESC2)) {
    hr = DDERR_INVALIDPARAMS;
  } else {
    DescribeSurface(*this, Desc);
  }
  LogCall("GetSurfaceDesc", this, hr);
  return hr;
}

HRESULT Surface::IsLost() {
  const HRESULT hr = lost ? DDERR_SURFACELOST : DD_OK;
  LogCall("IsLost", this, hr);
  return hr;
}

HRESULT Surface::Lock(LPRECT Rect, LPDDSURFACEDESC2 Desc, DWORD Flags, HANDLE Event) {
  return Logged("Lock", this, DoLock(Rect, Desc, Flags, Event));
}

HRESULT Surface::DoLock(LPRECT Rect, LPDDSURFACEDESC2 Desc, DWORD /*flags*/, HANDLE /*event*/) {
  State& s = GetState();
  if (Desc == nullptr || Desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  if (lost) return DDERR_SURFACELOST;
  if (s.lockAlwaysStillDrawing) return DDERR_WASSTILLDRAWING;
  if (s.lockStillDrawingTimes > 0) {
    --s.lockStillDrawingTimes;
    return DDERR_WASSTILLDRAWING;
  }
  if (Busy()) return DDERR_SURFACEBUSY;
  RECT r = {0, 0, width, height};
  if (Rect != nullptr) {
    r = *Rect;
    if (r.left < 0 || r.top < 0 || r.left >= r.right || r.top >= r.bottom || r.right > width ||
        r.bottom > height) {
      return DDERR_INVALIDPARAMS;
    }
  }
  Settle();
  DescribeSurface(*this, Desc);
  Desc->dwFlags |= DDSD_LPSURFACE;
  Desc->lpSurface = Row(r.top) + r.left;
  locked = true;
  ForgetKeyRuns();  // the caller may write until Unlock
  return DD_OK;
}

HRESULT Surface::Unlock(LPRECT /*rect*/) {
  HRESULT hr = DD_OK;
  if (!locked) {
    hr = DDERR_NOTLOCKED;
  } else {
    locked = false;
    ForgetKeyRuns();
  }
  LogCall("Unlock", this, hr);
  return hr;
}

HRESULT Surface::Restore() {
  return Logged("Restore", this, DoRestore());
}

HRESULT Surface::DoRestore() {
  State& s = GetState();
  if (s.refuseRestores > 0) {
    --s.refuseRestores;
    return s.refuseRestoreCode;
  }
  if (role == Role::BackBuffer) return DDERR_IMPLICITLYCREATED;
  if (!s.active) return DDERR_WRONGMODE;
  // The memory comes back; what it held does not.
  lost = false;
  ForgetKeyRuns();
  if (role == Role::Primary && partner != nullptr) partner->lost = false;
  return DD_OK;
}

HRESULT Surface::SetColorKey(DWORD Flags, LPDDCOLORKEY NewKey) {
  return Logged("SetColorKey", this, DoSetColorKey(Flags, NewKey));
}

HRESULT Surface::DoSetColorKey(DWORD Flags, LPDDCOLORKEY NewKey) {
  const DWORD kind = Flags & ~static_cast<DWORD>(DDCKEY_COLORSPACE);
  if (kind != DDCKEY_SRCBLT) {
    if (kind == DDCKEY_DESTBLT || kind == DDCKEY_DESTOVERLAY || kind == DDCKEY_SRCOVERLAY) {
      return DDERR_UNSUPPORTED;
    }
    return DDERR_INVALIDPARAMS;
  }
  if (lost) return DDERR_SURFACELOST;
  if (NewKey == nullptr) {
    hasKey = false;
  } else {
    // Always a range low..high; a single colour has low == high.
    hasKey = true;
    key = *NewKey;
    ReserveKeyRuns();
  }
  ForgetKeyRuns();
  return DD_OK;
}

void ResetDisplay() {
  State& s = GetState();
  // Cut every link first so that freeing one object frees no other.
  std::vector<Surface*> surfaces = s.surfaces;
  for (Surface* surface : surfaces) {
    surface->partner = nullptr;
    surface->device = nullptr;
  }
  for (Surface* surface : surfaces) delete surface;
  std::vector<Device*> devices = s.devices;
  for (Device* device : devices) delete device;
  s.primary = nullptr;
  s.exclusiveOwner = nullptr;
  s.modeOwner = nullptr;
  s.spares = {};
}

}  // namespace soft::detail

// ---------------------------------------------------------------------------
// DDraw.dll exports

using soft::detail::Device;
using soft::detail::GetState;
using soft::detail::LogCall;

HRESULT WINAPI DirectDrawCreateEx(GUID* Guid, LPVOID* Out, REFIID Iid, IUnknown* Outer) {
  soft::detail::State& s = GetState();
  HRESULT hr = DD_OK;
  Device* made = nullptr;
  const auto guidValue = reinterpret_cast<std::uintptr_t>(Guid);
  if (Out == nullptr) {
    hr = DDERR_INVALIDPARAMS;
  } else {
    *Out = nullptr;
    if (s.failDirectDrawCreate != DD_OK) {
      hr = s.failDirectDrawCreate;
    } else if (!(Iid == IID_IDirectDraw7)) {
      hr = DDERR_INVALIDPARAMS;
    } else if (guidValue != 0 && guidValue != DDCREATE_HARDWAREONLY &&
               guidValue != DDCREATE_EMULATIONONLY) {
      // The one display has no GUID of its own to be named by.
      hr = DDERR_INVALIDDIRECTDRAWGUID;
    } else if (Outer != nullptr) {
      hr = CLASS_E_NOAGGREGATION;
    } else {
      made = new Device();
      *Out = static_cast<IDirectDraw7*>(made);
    }
  }
  LogCall("DirectDrawCreateEx", made, hr);
  return hr;
}

HRESULT WINAPI DirectDrawEnumerateA(LPDDENUMCALLBACKA, LPVOID) {
  return DDERR_UNSUPPORTED;
}
HRESULT WINAPI DirectDrawEnumerateW(LPDDENUMCALLBACKW, LPVOID) {
  return DDERR_UNSUPPORTED;
}
HRESULT WINAPI DirectDrawEnumerateExA(LPDDENUMCALLBACKEXA, LPVOID, DWORD) {
  return DDERR_UNSUPPORTED;
}
HRESULT WINAPI DirectDrawEnumerateExW(LPDDENUMCALLBACKEXW, LPVOID, DWORD) {
  return DDERR_UNSUPPORTED;
}
HRESULT WINAPI DirectDrawCreate(GUID*, LPDIRECTDRAW* Out, IUnknown*) {
  if (Out != nullptr) *Out = nullptr;
  return DDERR_UNSUPPORTED;
}
HRESULT WINAPI DirectDrawCreateClipper(DWORD, LPDIRECTDRAWCLIPPER* Clipper, IUnknown*) {
  if (Clipper != nullptr) *Clipper = nullptr;
  return DDERR_UNSUPPORTED;
}
