#include "platform/win32/pace_probe.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "platform/common/pace_figures.h"

namespace carpex::win32 {

namespace {

int64_t Now() {
  LARGE_INTEGER t{};
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

}  // namespace

PaceProbe::PaceProbe() {
  const char* file = std::getenv("CARPEX_PACE_REPORT");
  if (file == nullptr || *file == '\0') return;
  on_ = true;
  file_ = file;
  LARGE_INTEGER f{};
  QueryPerformanceFrequency(&f);
  frequency_ = f.QuadPart > 0 ? f.QuadPart : 1;
  frames_.Ms.reset(new float[kCapacity]);
  presents_.Ms.reset(new float[kCapacity]);
}

PaceProbe::~PaceProbe() {
  if (!on_) return;
  std::FILE* out = std::fopen(file_.c_str(), "w");
  if (out == nullptr) return;
  const double seconds = static_cast<double>(last_ - first_) / static_cast<double>(frequency_);
  std::fprintf(out, "frames %d\nframes_per_second %.1f\npresents %d\n", frames_.Count,
               seconds > 0 ? (frames_.Count - 1) / seconds : 0.0, presents_.Count);
  WritePaceFigures(out, "frame_ms", frames_.Ms.get(), frames_.Count);
  WritePaceFigures(out, "present_ms", presents_.Ms.get(), presents_.Count);
  std::fclose(out);
}

void PaceProbe::Add(Series& To, int64_t Ticks, int64_t Frequency) {
  if (To.Count == kCapacity) return;
  To.Ms[To.Count++] =
      static_cast<float>(static_cast<double>(Ticks) * 1000.0 / static_cast<double>(Frequency));
}

void PaceProbe::FrameBegin() {
  if (!on_) return;
  frame_started_ = Now();
  slept_ = 0;
}

void PaceProbe::FrameEnd() {
  if (!on_) return;
  const int64_t now = Now();
  if (frames_.Count == 0) first_ = now;
  last_ = now;
  Add(frames_, now - frame_started_ - slept_, frequency_);
}

void PaceProbe::SleepBegin() {
  if (on_) sleep_started_ = Now();
}

void PaceProbe::SleepEnd() {
  if (on_) slept_ += Now() - sleep_started_;
}

void PaceProbe::PresentBegin() {
  if (on_) present_started_ = Now();
}

void PaceProbe::PresentEnd() {
  if (on_) Add(presents_, Now() - present_started_, frequency_);
}

}  // namespace carpex::win32
