// The handle that tests and the platform layers hold on the software display:
// reset it, make it fail in the ways real DirectDraw and GDI fail, read what
// the game asked of it, and see the picture it shows.
//
// Everything here and in soft_api.h is single-threaded: the game has one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "graphics/soft/pixels.h"
#include "graphics/soft/soft_api.h"

namespace soft {

namespace detail {
struct State;
}

// ---------------------------------------------------------------------------
// State

// Back to a fresh display: every DirectDraw object, DC and bitmap is freed
// (pointers and handles from before are dead), DDraw.dll is unloaded, the
// display is active again, faults, logs, added resources and the flip hook
// are cleared. Tests call it before each case.
void Reset();

// While one lives, the display in use is a fresh one, as Reset leaves it, and
// the one that was in use waits untouched: its devices, surfaces, DCs,
// bitmaps, activity, faults, logs and flip hook. When it goes, what the fresh
// display still holds is freed (its pointers and handles are dead) and the one
// set aside is in use again, as it was. The page watches a recording on a
// display of its own so, while the player's game waits. Ones that nest end in
// the reverse order.
class DisplaySetAside {
 public:
  DisplaySetAside();
  ~DisplaySetAside();
  DisplaySetAside(const DisplaySetAside&) = delete;
  DisplaySetAside& operator=(const DisplaySetAside&) = delete;

 private:
  detail::State* aside_;
};

// ---------------------------------------------------------------------------
// Loss and activation

// Takes every surface's memory away, as a mode switch by another program
// does: contents become the lost pattern below and every drawing call answers
// DDERR_SURFACELOST until the surface is restored (Restore on the primary
// restores its back buffer with it). Restored surfaces keep the pattern until
// the program reloads them.
void LoseAllSurfaces();
// The application is switched away from: every surface is lost, surfaces
// created meanwhile are born lost, and Restore answers DDERR_WRONGMODE until
// Activate.
void Deactivate();
void Activate();
bool IsActive();

// The lost pattern: 8 x 8 checks of magenta and green.
constexpr std::uint16_t kLostPatternA = 0xF81F;
constexpr std::uint16_t kLostPatternB = 0x07E0;

// ---------------------------------------------------------------------------
// Faults. Each stays until changed or until Reset; counts are of calls from
// now on, the next call being 1.

// The next `Count` Restore calls (on any surface) fail with `Code`.
void RefuseRestores(int Count, HRESULT Code = DDERR_WRONGMODE);
// The nth CreateSurface call fails with `Code` (once); 0 cancels.
void FailCreateSurface(int Nth, HRESULT Code);
// Every SetDisplayMode / SetCooperativeLevel / DirectDrawCreateEx call fails
// with `Code`; DD_OK switches the fault off.
void FailSetDisplayMode(HRESULT Code);
void FailSetCooperativeLevel(HRESULT Code);
void FailDirectDrawCreate(HRESULT Code);
// The named resource (any type, any case) is not found.
void MissResource(const char* Name);
// LoadLibraryA("DDraw.dll") fails.
void MissLibrary(bool Missing = true);
// GetProcAddress on DDraw.dll does not find `Name`.
void MissEntryPoint(const char* Name);
// Lock answers DDERR_WASSTILLDRAWING: always, or for the next `count` calls.
void LockAlwaysStillDrawing(bool On);
void LockStillDrawingTimes(int Count);
// GetDC fails with `Code`.
void FailGetDC(bool On, HRESULT Code = DDERR_CANTCREATEDC);
// CreateCompatibleDC returns 0.
void FailCreateCompatibleDC(bool On);
// Every surface is lost right before the kth BltFast or Flip call (counted
// together, on any surface); once. 0 cancels. For sweeps over every blit.
void LoseBeforeCall(int K);

// ---------------------------------------------------------------------------
// Pixels nobody looks at

// On: every call checks, answers and logs as ever, but the surfaces' pixels
// are left as they are (what they show is then undefined). For runs whose
// pictures are never read, such as the replay tool's without shots: the
// drawing is most of a frame's cost. Reset turns drawing back on.
void SkipPixels(bool On);

// ---------------------------------------------------------------------------
// Logs

// One call of a DirectDraw method (or DirectDrawCreateEx), in call order.
// `method` is a static string such as "BltFast"; `object` the interface the
// method was called on; `result` the HRESULT, or for AddRef and Release the
// count they returned.
struct CallRecord {
  const char* method;
  const void* object;
  HRESULT result;
};
// The log has a fixed capacity so that recording never allocates; calls past
// it are counted in CallLogDropped but not kept.
constexpr std::size_t kCallLogCapacity = 1 << 16;
std::span<const CallRecord> CallLog();
std::size_t CallLogDropped();
void ClearCallLog();
std::vector<std::string> CallNames();  // the `method` column
int CallCount(const char* Method);     // how many logged calls of it

// Every Release of a DirectDraw object: which, what it returned, and whether
// the object was freed by it.
struct ReleaseRecord {
  const void* object;
  const char* kind;  // "IDirectDraw7" or "IDirectDrawSurface7"
  ULONG remaining;
  bool destroyed;
};
const std::vector<ReleaseRecord>& ReleaseLog();

// OutputDebugStringA texts, in order. With CARPEX_DEBUG_OUTPUT set in the
// environment they are also written to stderr.
const std::vector<std::string>& DebugOutput();

// Leak checks.
int LiveDirectDrawObjects();  // devices and surfaces not yet freed
int LiveSurfaces();
int LiveDCs();      // memory DCs and surface DCs not yet given back
int LiveBitmaps();  // bitmaps not yet deleted

// ---------------------------------------------------------------------------
// Pictures

// A read-only view of 16-bit RGB565 pixels; `pitch` is in bytes.
struct PixelView {
  const std::uint16_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;

  std::uint16_t At(int X, int Y) const {
    return *reinterpret_cast<const std::uint16_t*>(reinterpret_cast<const std::uint8_t*>(pixels) +
                                                   static_cast<std::ptrdiff_t>(Y) * pitch +
                                                   static_cast<std::ptrdiff_t>(X) * 2);
  }
};

// The visible picture: the front buffer of the flipping chain (640 x 480);
// empty when there is no primary surface. Valid until the next Flip or the
// release of the chain.
PixelView FrontBuffer();
// Called after every successful Flip with the new front buffer (the SDL window
// presents from it). An empty function removes the hook.
void SetFlipHook(std::function<void(const PixelView&)> Hook);
// The pixels of any live surface of this display (empty view for anything
// else), without a Lock and without a log entry. Valid like FrontBuffer.
PixelView SurfacePixels(const IDirectDrawSurface7* Surface);

// The colour conversions GDI applies on 16-bit surfaces: the game's pixels
// (graphics/soft/pixels.h) as COLORREFs.
constexpr std::uint16_t ToRgb565(COLORREF C) {
  return carpex::ToRgb565({static_cast<std::uint8_t>(C & 0xFF),
                           static_cast<std::uint8_t>((C >> 8) & 0xFF),
                           static_cast<std::uint8_t>((C >> 16) & 0xFF)});
}
constexpr COLORREF FromRgb565(std::uint16_t P) {
  const carpex::Rgb c = carpex::FromRgb565(P);
  return COLORREF{c.R} | COLORREF{c.G} << 8 | COLORREF{c.B} << 16;
}

// A window handle for the platforms that have no Win32 window: exclusive mode
// needs a non-null one.
HWND FakeWindowHandle();

// ---------------------------------------------------------------------------
// Resources

// Adds a resource that FindEmbedded finds before the program's own.
void AddResource(const char* Type, const char* Name, std::vector<std::uint8_t> Bytes);

}  // namespace soft
