// The control handle: state, faults, logs and the picture.

#include "graphics/soft/control.h"

#include <cctype>
#include <cstring>
#include <utility>

#include "graphics/soft/objects.h"
#include "graphics/soft/state.h"

namespace soft {
namespace detail {

State& GetState() {
  // Static storage: the call log array costs nothing until it is written.
  static State state;
  return state;
}

void LogCall(const char* method, const void* object, HRESULT result) {
  State& s = GetState();
  if (s.callCount < s.calls.size()) {
    s.calls[s.callCount++] = {method, object, result};
  } else {
    ++s.callsDropped;
  }
}

bool EqualsIgnoreCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const int ca = std::tolower(static_cast<unsigned char>(*a));
    const int cb = std::tolower(static_cast<unsigned char>(*b));
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
  s.callCount = 0;
  s.callsDropped = 0;
  s.releases.clear();
  s.debugOutput.clear();
  s.addedResources.clear();
  s.flipHook = nullptr;
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

void RefuseRestores(int count, HRESULT code) {
  GetState().refuseRestores = count > 0 ? count : 0;
  GetState().refuseRestoreCode = code;
}

void FailCreateSurface(int nth, HRESULT code) {
  GetState().failCreateSurfaceIn = nth > 0 ? nth : 0;
  GetState().failCreateSurfaceCode = code;
}

void FailSetDisplayMode(HRESULT code) {
  GetState().failSetDisplayMode = code;
}
void FailSetCooperativeLevel(HRESULT code) {
  GetState().failSetCooperativeLevel = code;
}
void FailDirectDrawCreate(HRESULT code) {
  GetState().failDirectDrawCreate = code;
}

void MissResource(const char* name) {
  if (name != nullptr) GetState().missedResources.emplace_back(name);
}

void MissLibrary(bool missing) {
  GetState().missLibrary = missing;
}

void MissEntryPoint(const char* name) {
  if (name != nullptr) GetState().missedEntryPoints.emplace_back(name);
}

void LockAlwaysStillDrawing(bool on) {
  GetState().lockAlwaysStillDrawing = on;
}
void LockStillDrawingTimes(int count) {
  GetState().lockStillDrawingTimes = count > 0 ? count : 0;
}

void FailGetDC(bool on, HRESULT code) {
  GetState().failGetDC = on;
  GetState().failGetDCCode = code;
}

void FailCreateCompatibleDC(bool on) {
  GetState().failCreateCompatibleDC = on;
}

void LoseBeforeCall(int k) {
  GetState().loseBeforeCall = k > 0 ? k : 0;
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

int CallCount(const char* method) {
  int count = 0;
  for (const CallRecord& call : CallLog()) {
    if (std::strcmp(call.method, method) == 0) ++count;
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

PixelView ViewOf(const detail::Surface* surface) {
  PixelView view;
  if (surface == nullptr) return view;
  view.pixels = surface->pixels.get();
  view.width = surface->width;
  view.height = surface->height;
  view.pitch = surface->pitchPixels * static_cast<int>(sizeof(std::uint16_t));
  return view;
}

}  // namespace

PixelView FrontBuffer() {
  return ViewOf(GetState().primary);
}

void SetFlipHook(std::function<void(const PixelView&)> hook) {
  GetState().flipHook = std::move(hook);
}

PixelView SurfacePixels(const IDirectDrawSurface7* surface) {
  return ViewOf(detail::FindSurface(surface));
}

}  // namespace soft
