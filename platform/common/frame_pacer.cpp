#include "platform/common/frame_pacer.h"

#include <chrono>
#include <thread>

#include "shell/form_event.h"

namespace carpex::common {

FramePacer::FramePacer(Clock& With, double PeriodMs, double Early)
    : clock_(With), period_(PeriodMs), early_(Early) {}

void FramePacer::WaitForStep() {
  if (!started_) {
    started_ = true;
    due_ = clock_.Now();
  }
  const double at = clock_.WaitUntil(due_ - early_ * period_);
  if (at >= due_ + period_) due_ = at;
  due_ += period_;
}

double FramePacer::PeriodAt(uint16_t Percent) {
  return IsSpeed(Percent) ? kStepMs * 100 / Percent : kStepMs;
}

double FramePacer::DueIn() {
  return started_ ? due_ - early_ * period_ - clock_.Now() : 0;
}

bool FramePacer::MayWaitForRefresh(double RefreshMs) {
  return clock_.Now() + RefreshMs <= due_ + period_ * 3 / 4;
}

double SystemClock::Now() {
  return std::chrono::duration<double, std::milli>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

double SystemClock::WaitUntil(double At) {
  std::this_thread::sleep_until(std::chrono::steady_clock::time_point(
      std::chrono::duration_cast<std::chrono::steady_clock::duration>(
          std::chrono::duration<double, std::milli>(At))));
  return Now();
}

}  // namespace carpex::common
