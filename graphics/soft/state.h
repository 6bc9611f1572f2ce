// Internal: the one state of the software display that every part shares.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graphics/soft/control.h"
#include "graphics/soft/resources.h"
#include "graphics/soft/soft_api.h"

namespace soft::detail {

class Device;
class Surface;
// The GDI part's objects (DCs and bitmaps), kept by gdi.cpp.
struct Gdi;
struct GdiDeleter {
  void operator()(Gdi* Objects) const;
};

// Held by pointer so that the Resource handed out stays valid while more are
// added.
struct AddedResource {
  std::string type;
  std::string name;
  std::vector<std::uint8_t> bytes;
  Resource entry;
};

struct State {
  // The display.
  std::vector<Device*> devices;
  std::vector<Surface*> surfaces;
  const Device* exclusiveOwner = nullptr;  // holds DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN
  const Device* modeOwner = nullptr;       // switched the screen to 640 x 480 x 16
  Surface* primary = nullptr;
  bool active = true;
  // The memory of the last surfaces freed, for the next ones of their size:
  // each round replaces the 640 x 480 play-field background, and fresh pages
  // for it would cost more than the whole round start.
  struct SparePixels {
    std::size_t count = 0;
    std::unique_ptr<std::uint16_t[]> pixels;
  };
  std::array<SparePixels, 2> spares;

  // DDraw.dll as a loaded module: LoadLibraryA count.
  int ddrawLoads = 0;

  // Faults.
  int refuseRestores = 0;
  HRESULT refuseRestoreCode = DD_OK;
  int failCreateSurfaceIn = 0;
  HRESULT failCreateSurfaceCode = DD_OK;
  HRESULT failSetDisplayMode = DD_OK;
  HRESULT failSetCooperativeLevel = DD_OK;
  HRESULT failDirectDrawCreate = DD_OK;
  std::vector<std::string> missedResources;
  std::vector<std::string> missedEntryPoints;
  bool missLibrary = false;
  bool lockAlwaysStillDrawing = false;
  int lockStillDrawingTimes = 0;
  bool failGetDC = false;
  HRESULT failGetDCCode = DD_OK;
  bool failCreateCompatibleDC = false;
  int loseBeforeCall = 0;
  bool skipPixels = false;

  // Logs. The call log is a fixed array so that logging never allocates.
  std::array<CallRecord, kCallLogCapacity> calls;
  std::size_t callCount = 0;
  std::size_t callsDropped = 0;
  std::vector<ReleaseRecord> releases;
  std::vector<std::string> debugOutput;

  std::vector<std::unique_ptr<AddedResource>> addedResources;
  std::function<void(const PixelView&)> flipHook;

  std::unique_ptr<Gdi, GdiDeleter> gdi;  // made when first asked for
};

State& GetState();

void LogCall(const char* Method, const void* Object, HRESULT Result);
// The call's result, logged on its way back.
inline HRESULT Logged(const char* Method, const void* Object, HRESULT Result) {
  LogCall(Method, Object, Result);
  return Result;
}
bool EqualsIgnoreCase(const char* A, const char* B);

// Each part frees what it owns (called by Reset).
void ResetDisplay();
void ResetGdi();

// The DCs over surfaces, kept by the GDI part.
HDC OpenSurfaceDC(Surface* Surface);
void CloseSurfaceDC(HDC Dc);
int LiveDCCount();
int LiveBitmapCount();

}  // namespace soft::detail
