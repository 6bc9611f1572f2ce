// Internal: the DirectDraw objects of the software display.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "graphics/soft/soft_api.h"

namespace soft::detail {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
constexpr int kScreenBits = 16;

// The IUnknown part that the device and the surfaces share: the reference
// count, and QueryInterface for IUnknown and the object's own interface, each
// call logged. Object names its interface (kInterfaceName, kIid) and says
// whether a count of 0 frees it (FreedAtZero).
template <class Interface, class Object>
class Counted : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  ULONG refs = 1;
};

class Device final : public Counted<IDirectDraw7, Device> {
 public:
  static constexpr const char* kInterfaceName = "IDirectDraw7";
  static constexpr const GUID& kIid = IID_IDirectDraw7;

  Device();
  ~Device();

  // Every live surface holds one reference, so the device outlives them all.
  bool FreedAtZero() const { return true; }
  HRESULT STDMETHODCALLTYPE CreateSurface(LPDDSURFACEDESC2 Desc, LPDIRECTDRAWSURFACE7* Out,
                                          IUnknown* Outer) override;
  HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND Window, DWORD Flags) override;
  HRESULT STDMETHODCALLTYPE SetDisplayMode(DWORD Width, DWORD Height, DWORD Bpp, DWORD Refresh,
                                           DWORD Flags) override;

  bool cooperativeLevelSet = false;

 private:
  HRESULT DoCreateSurface(LPDDSURFACEDESC2 Desc, LPDIRECTDRAWSURFACE7* Out, IUnknown* Outer);
  HRESULT DoSetCooperativeLevel(HWND Window, DWORD Flags);
  HRESULT DoSetDisplayMode(DWORD Width, DWORD Height, DWORD Bpp, DWORD Refresh, DWORD Flags);
};

class Surface final : public Counted<IDirectDrawSurface7, Surface> {
 public:
  enum class Role { Plain, Primary, BackBuffer };
  static constexpr const char* kInterfaceName = "IDirectDrawSurface7";
  static constexpr const GUID& kIid = IID_IDirectDrawSurface7;

  // Owns pixels of width x height; `device` (may be null for a back buffer)
  // gets one reference for as long as the surface lives.
  Surface(Device* Owner, Role SurfaceRole, int W, int H, DWORD SurfaceCaps,
          std::unique_ptr<std::uint16_t[]> Memory, int Pitch);
  ~Surface();

  // A back buffer at 0 still belongs to its chain: a surplus Release on it
  // changes nothing instead of freeing what the primary uses.
  bool FreedAtZero() const { return !(role == Role::BackBuffer && partner != nullptr); }
  HRESULT STDMETHODCALLTYPE BltFast(DWORD X, DWORD Y, LPDIRECTDRAWSURFACE7 Src, LPRECT SrcRect,
                                    DWORD Flags) override;
  HRESULT STDMETHODCALLTYPE Flip(LPDIRECTDRAWSURFACE7 Target, DWORD Flags) override;
  HRESULT STDMETHODCALLTYPE GetAttachedSurface(LPDDSCAPS2 Wanted,
                                               LPDIRECTDRAWSURFACE7* Out) override;
  HRESULT STDMETHODCALLTYPE GetColorKey(DWORD Flags, LPDDCOLORKEY Out) override;
  HRESULT STDMETHODCALLTYPE GetDC(HDC* Out) override;
  HRESULT STDMETHODCALLTYPE GetSurfaceDesc(LPDDSURFACEDESC2 Desc) override;
  HRESULT STDMETHODCALLTYPE IsLost() override;
  HRESULT STDMETHODCALLTYPE Lock(LPRECT Rect, LPDDSURFACEDESC2 Desc, DWORD Flags,
                                 HANDLE Event) override;
  HRESULT STDMETHODCALLTYPE ReleaseDC(HDC Given) override;
  HRESULT STDMETHODCALLTYPE Restore() override;
  HRESULT STDMETHODCALLTYPE SetColorKey(DWORD Flags, LPDDCOLORKEY NewKey) override;
  HRESULT STDMETHODCALLTYPE Unlock(LPRECT Rect) override;

  std::uint16_t* Row(int Y) { return pixels.get() + static_cast<std::ptrdiff_t>(Y) * pitchPixels; }
  bool Busy() const { return locked || dc != nullptr; }
  void FillLostPattern();
  // A surface lost is painted with the lost pattern only when its pixels are
  // next looked at or drawn on in part: one drawn over whole first (the
  // game's recovery reloads every picture) is never painted.
  void OweLostPattern() {
    patternOwed = true;
    ForgetKeyRuns();
  }
  void Settle() {
    if (patternOwed) FillLostPattern();
  }
  void DrawnOverWhole() { patternOwed = false; }
  // The key runs no longer describe the pixels (or the key), and no row is
  // known to be a copy any more; called by everything that may change either.
  void ForgetKeyRuns() {
    Changed();
    ForgetCopies(0, height);
  }
  // The pixels changed: copies made of them before are copies no longer.
  void Changed() {
    keyRunsValid = false;
    version = NextVersion();
  }
  // Rows First to First + Count - 1 were drawn on.
  void ForgetCopies(int First, int Count) {
    for (int y = First; y < First + Count && y < height; ++y) rowCopies[y] = RowCopy{};
  }
  // Columns Left to Right - 1 of rows First to First + Count - 1 were drawn
  // on: a row that was a copy is one still but there.
  void DrewOn(int First, int Count, int Left, int Right) {
    for (int y = First; y < First + Count && y < height; ++y) {
      RowCopy& copy = rowCopies[y];
      if (copy.Version == 0) continue;
      if (copy.DrawnFirst == copy.DrawnLast) {
        copy.DrawnFirst = Left;
        copy.DrawnLast = Right;
      } else {
        copy.DrawnFirst = std::min(copy.DrawnFirst, Left);
        copy.DrawnLast = std::max(copy.DrawnLast, Right);
      }
    }
  }
  // Storage for the key runs, once the surface has a key.
  void ReserveKeyRuns();
  // Frees the surface once nothing holds it: neither the program nor, for a
  // back buffer, its flipping chain.
  void DestroyIfUnused();

  Device* device;
  Role role;
  int width;
  int height;
  int pitchPixels;
  DWORD caps;
  std::unique_ptr<std::uint16_t[]> pixels;
  // Primary <-> back buffer. The primary holds its back buffer alive; a back
  // buffer whose primary is gone is an ordinary surface that cannot flip.
  Surface* partner = nullptr;
  bool lost = false;
  bool patternOwed = false;
  bool locked = false;
  HDC dc = nullptr;
  bool hasKey = false;
  DDCOLORKEY key = {0, 0};

  // What the pixels are, as a number no other surface's pixels ever had: it
  // changes with every change of them.
  static std::uint64_t NextVersion() {
    static std::uint64_t last = 0;
    return ++last;
  }
  std::uint64_t version = NextVersion();
  // Rows known to equal a whole row of another surface's pixels (its version,
  // the row), copied without the key, but for the columns drawn on since. The
  // game copies its background over the whole frame before every frame: of a
  // row that still holds what that copy put there two frames ago, only what
  // the plane, the bomb or an explosion drew over needs copying again.
  struct RowCopy {
    std::uint64_t Version = 0;
    int Row = -1;
    int DrawnFirst = 0, DrawnLast = 0;  // columns drawn on; none when equal
  };
  std::unique_ptr<RowCopy[]> rowCopies;

  // Keyed blits from a sheet copy only the runs of pixels outside the key, row
  // by row. The table is made on the first keyed blit after a change and kept
  // in storage reserved when the key is set (room for the most runs a row can
  // have), so that drawing a frame never allocates.
  std::unique_ptr<std::uint32_t[]> keyRunStart;  // per row, index of its first run; height + 1
  std::unique_ptr<std::uint16_t[]> keyRuns;      // (first, past-last) column pairs
  bool keyRunsValid = false;
  // The runs of the rectangles last copied with the key (a building's block,
  // a frame of the plane), cut to the rectangle, in storage reserved with the
  // key runs: a keyed blit of one of them copies its runs without looking for
  // them. Good while the key runs are.
  struct RectRun {
    std::uint16_t Row, First, Last;  // from the rectangle's corner
  };
  struct KeyedRect {
    RECT Rect;
    std::uint32_t First;  // into rectRuns
    std::uint32_t Count;  // kTooManyRuns: more than a rectangle's room
  };
  static constexpr std::size_t kKeyedRects = 16;
  static constexpr std::uint32_t kRunsPerRect = 512;
  static constexpr std::uint32_t kTooManyRuns = 0xFFFFFFFF;
  std::array<KeyedRect, kKeyedRects> keyedRects = {};
  std::size_t keyedRectCount = 0;
  std::unique_ptr<RectRun[]> rectRuns;

 private:
  // Makes the table if it is missing; false when there is no storage for it.
  bool UpdateKeyRuns();
  // The runs of R, remembered or found now; nullptr when R has more runs than
  // its room. The key runs are valid.
  const KeyedRect* RunsOf(const RECT& R);
  void KeyedCopy(Surface& From, const RECT& R, int Dx, int Dy);
  HRESULT DoBltFast(DWORD X, DWORD Y, LPDIRECTDRAWSURFACE7 SrcIface, LPRECT SrcRect, DWORD Flags);
  HRESULT DoFlip(LPDIRECTDRAWSURFACE7 Target, DWORD Flags);
  HRESULT DoGetAttachedSurface(LPDDSCAPS2 Wanted, LPDIRECTDRAWSURFACE7* Out);
  HRESULT DoGetDC(HDC* Out);
  HRESULT DoLock(LPRECT Rect, LPDDSURFACEDESC2 Desc, DWORD Flags, HANDLE Event);
  HRESULT DoRestore();
  HRESULT DoSetColorKey(DWORD Flags, LPDDCOLORKEY NewKey);
};

// The live surface behind an interface pointer, or null when the pointer is
// not one of ours (never dereferenced before it is found among the live ones).
Surface* FindSurface(const void* Iface);

}  // namespace soft::detail

namespace soft::detail {

// Every surface loses its memory (contents become the lost pattern).
void LoseEverySurface();

}  // namespace soft::detail
