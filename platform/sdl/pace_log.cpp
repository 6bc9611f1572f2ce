#include "platform/sdl/pace_log.h"

#include <SDL.h>

#include <cstdio>
#include <ctime>

#include "platform/common/pace_figures.h"

namespace carpex::sdl {

namespace {

// The thread's own processor time, in nanoseconds: what the present cost the
// game, without the time it waited for the display server.
uint64_t CpuNanoseconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<uint64_t>(t.tv_sec) * 1000000000u + static_cast<uint64_t>(t.tv_nsec);
}

}  // namespace

PaceLog::PaceLog() {
  const char* file = SDL_getenv("CARPEX_PACE_REPORT");
  if (file == nullptr || *file == '\0') return;
  on_ = true;
  file_ = file;
  wall_ms_.reset(new float[kCapacity]);
  cpu_ms_.reset(new float[kCapacity]);
}

PaceLog::~PaceLog() {
  if (!on_) return;
  std::FILE* out = std::fopen(file_.c_str(), "w");
  if (out == nullptr) return;
  const double seconds =
      static_cast<double>(last_ - first_) / static_cast<double>(SDL_GetPerformanceFrequency());
  std::fprintf(out, "presents %d\npresents_per_second %.1f\n", count_,
               seconds > 0 ? (count_ - 1) / seconds : 0.0);
  WritePaceFigures(out, "present_ms", wall_ms_.get(), count_);
  WritePaceFigures(out, "present_cpu_ms", cpu_ms_.get(), count_);
  std::fclose(out);
}

void PaceLog::Begin() {
  if (!on_) return;
  wall_started_ = SDL_GetPerformanceCounter();
  cpu_started_ = CpuNanoseconds();
}

void PaceLog::End() {
  if (!on_) return;
  wall_ += SDL_GetPerformanceCounter() - wall_started_;
  cpu_ += CpuNanoseconds() - cpu_started_;
}

void PaceLog::Presented() {
  if (!on_ || count_ == kCapacity) return;
  const uint64_t now = SDL_GetPerformanceCounter();
  if (count_ == 0) first_ = now;
  last_ = now;
  wall_ms_[count_] = static_cast<float>(static_cast<double>(wall_) * 1000.0 /
                                        static_cast<double>(SDL_GetPerformanceFrequency()));
  cpu_ms_[count_] = static_cast<float>(static_cast<double>(cpu_) / 1e6);
  ++count_;
  wall_ = cpu_ = 0;
}

}  // namespace carpex::sdl
