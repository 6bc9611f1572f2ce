// The control handle: state, faults, logs and the picture.

#include "graphics/soft/control.h"

#include <cctype>
#include <cstring>
#include <utility>

#include "graphics/soft/objects.h"
#include "graphics/soft/state.h"

namespace soft {
namespace detail {

namespace {

// The display in use: the first one, or one in its place while it is set aside.
State*& InUse() {
  // Static storage: the call log array costs nothing until it is written.
  static State first;
  static State* inUse = &first;
  return inUse;
}

}  // namespace

State& GetState() {
  return *InUse();
}

void LogCall(const char* Method, const void* Object, HRESULT Result) {
  State& s = GetState();
  if (s.callCount < s.calls.size()) {
    s.calls[s.callCount++] = {Method, Object, Result};
  } else {
    ++s.callsDropped;
  }
}

bool EqualsIgnoreCase(const char* A, const char* B) {
  for (;; ++A, ++B) {
    const int ca = std::tolower(static_cast<unsigned char>(*A));
    const int cb = std::tolower(static_cast<unsigned char>(*B));
    if (ca != cb) return false;
    if (ca == 0) return true;
  }
}

}  // namespace detail

using detail::GetState;

void Reset() {
  detail::ResetDisplay();
  detail::ResetGdi();
  detail::State& s = GetState();
  s.active = true;
  s.ddrawLoads = 0;
  s.refuseRestores = 0;
  s.refuseRestoreCode = DD_OK;
  s.failCreateSurfaceIn = 0;
  s.failCreateSurfaceCode = DD_OK;
  s.failSetDisplayMode = DD_OK;
  s.failSetCooperativeLevel = DD_OK;
  s.failDirectDrawCreate = DD_OK;
  s.missedResources.clear();
  s.missedEntryPoints.clear();
  s.missLibrary = false;
  s.lockAlwaysStillDrawing = false;
  s.lockStillDrawingTimes = 0;
  s.failGetDC = false;
  s.failGetDCCode = DD_OK;
  s.failCreateCompatibleDC = false;
  s.loseBeforeCall = 0;
  s.skipPixels = false;
  s.callCount = 0;
  s.callsDropped = 0;
  s.releases.clear();
  s.debugOutput.clear();
  s.addedResources.clear();
  s.flipHook = nullptr;
}

DisplaySetAside::DisplaySetAside() : aside_(detail::InUse()) {
  detail::InUse() = new detail::State();
}

DisplaySetAside::~DisplaySetAside() {
  Reset();
  delete detail::InUse();
  detail::InUse() = aside_;
}

void LoseAllSurfaces() {
  detail::LoseEverySurface();
}

void Deactivate() {
  GetState().active = false;
  detail::LoseEverySurface();
}

void Activate() {
  GetState().active = true;
}

bool IsActive() {
  return GetState().active;
}

void SkipPixels(bool On) {
  detail::State& s = GetState();
  // What the rows hold now is nobody's copy.
  if (s.skipPixels && !On) {
    for (detail::Surface* surface : s.surfaces) surface->ForgetCopies(0, surface->height);
  }
  s.skipPixels = On;
}

void RefuseRestores(int Count, HRESULT Code) {
  GetState().refuseRestores = Count > 0 ? Count : 0;
  GetState().refuseRestoreCode = Code;
}

void FailCreateSurface(int Nth, HRESULT Code) {
  GetState().failCreateSurfaceIn = Nth > 0 ? Nth : 0;
  GetState().failCreateSurfaceCode = Code;
}

void FailSetDisplayMode(HRESULT Code) {
  GetState().failSetDisplayMode = Code;
}
void FailSetCooperativeLevel(HRESULT Code) {
  GetState().failSetCooperativeLevel = Code;
}
void FailDirectDrawCreate(HRESULT Code) {
  GetState().failDirectDrawCreate = Code;
}

void MissResource(const char* Name) {
  if (Name != nullptr) GetState().missedResources.emplace_back(Name);
}

void MissLibrary(bool Missing) {
  GetState().missLibrary = Missing;
}

void MissEntryPoint(const char* Name) {
  if (Name != nullptr) GetState().missedEntryPoints.emplace_back(Name);
}

void LockAlwaysStillDrawing(bool On) {
  GetState().lockAlwaysStillDrawing = On;
}
void LockStillDrawingTimes(int Count) {
  GetState().lockStillDrawingTimes = Count > 0 ? Count : 0;
}

void FailGetDC(bool On, HRESULT Code) {
  GetState().failGetDC = On;
  GetState().failGetDCCode = Code;
}

void FailCreateCompatibleDC(bool On) {
  GetState().failCreateCompatibleDC = On;
}

void LoseBeforeCall(int K) {
  GetState().loseBeforeCall = K > 0 ? K : 0;
}

std::span<const CallRecord> CallLog() {
  const detail::State& s = GetState();
  return {s.calls.data(), s.callCount};
}

std::size_t CallLogDropped() {
  return GetState().callsDropped;
}

void ClearCallLog() {
  GetState().callCount = 0;
  GetState().callsDropped = 0;
}

std::vector<std::string> CallNames() {
  std::vector<std::string> names;
  for (const CallRecord& call : CallLog()) names.emplace_back(call.method);
  return names;
}

int CallCount(const char* Method) {
  int count = 0;
  for (const CallRecord& call : CallLog()) {
    if (std::strcmp(call.method, Method) == 0) ++count;
  }
  return count;
}

const std::vector<ReleaseRecord>& ReleaseLog() {
  return GetState().releases;
}
const std::vector<std::string>& DebugOutput() {
  return GetState().debugOutput;
}

int LiveDirectDrawObjects() {
  return static_cast<int>(GetState().devices.size() + GetState().surfaces.size());
}
int LiveSurfaces() {
  return static_cast<int>(GetState().surfaces.size());
}
int LiveDCs() {
  return detail::LiveDCCount();
}
int LiveBitmaps() {
  return detail::LiveBitmapCount();
}

namespace {

PixelView ViewOf(detail::Surface* Surface) {
  PixelView view;
  if (Surface == nullptr) return view;
  Surface->Settle();
  view.pixels = Surface->pixels.get();
  view.width = Surface->width;
  view.height = Surface->height;
  view.pitch = Surface->pitchPixels * static_cast<int>(sizeof(std::uint16_t));
  return view;
}

}  // namespace

PixelView FrontBuffer() {
  return ViewOf(GetState().primary);
}

void SetFlipHook(std::function<void(const PixelView&)> Hook) {
  GetState().flipHook = std::move(Hook);
}

PixelView SurfacePixels(const IDirectDrawSurface7* Surface) {
  return ViewOf(detail::FindSurface(Surface));
}

}  // namespace soft
