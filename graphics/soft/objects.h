// Internal: the DirectDraw objects of the software display.
#pragma once

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
  // The key runs no longer describe the pixels (or the key); called by
  // everything that may change either.
  void ForgetKeyRuns() { keyRunsValid = false; }
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
  bool locked = false;
  HDC dc = nullptr;
  bool hasKey = false;
  DDCOLORKEY key = {0, 0};

  // Keyed blits from a sheet copy only the runs of pixels outside the key, row
  // by row. The table is made on the first keyed blit after a change and kept
  // in storage reserved when the key is set (room for the most runs a row can
  // have), so that drawing a frame never allocates.
  std::unique_ptr<std::uint32_t[]> keyRunStart;  // per row, index of its first run; height + 1
  std::unique_ptr<std::uint16_t[]> keyRuns;      // (first, past-last) column pairs
  bool keyRunsValid = false;

 private:
  // Makes the table if it is missing; false when there is no storage for it.
  bool UpdateKeyRuns();
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
