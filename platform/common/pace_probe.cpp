#include "platform/common/pace_probe.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace carpex::common {

namespace {

constexpr int kCapacity = 1 << 16;

int64_t Now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The thread's own processor time, in nanoseconds (MinGW's POSIX threads
// give Windows the same clock).
int64_t CpuNow() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// A series as its median, 99th percentile and maximum, one "NAME_median MS" line each.
void WriteFigures(std::FILE* Out, const char* Name, const float* Ms, int64_t Count) {
  std::vector<float> sorted(Ms, Ms + Count);
  std::sort(sorted.begin(), sorted.end());
  auto at = [&](double Q) {
    return sorted.empty() ? 0.0 : sorted[static_cast<size_t>(Q * (sorted.size() - 1) + 0.5)];
  };
  std::fprintf(Out, "%s_median %.3f\n%s_p99 %.3f\n%s_max %.3f\n", Name, at(0.5), Name, at(0.99),
               Name, at(1.0));
}

}  // namespace

void PaceProbe::Tally::Add(int64_t At) {
  if (Count++ == 0) First = At;
  Last = At;
}

double PaceProbe::Tally::PerSecond() const {
  return Last > First ? static_cast<double>(Count - 1) * 1e9 / static_cast<double>(Last - First)
                      : 0.0;
}

void PaceProbe::Series::Add(int64_t Nanoseconds, int64_t At) {
  if (Added.Count == kCapacity) return;
  Ms[Added.Count] = static_cast<float>(static_cast<double>(Nanoseconds) / 1e6);
  Added.Add(At);
}

PaceProbe::PaceProbe() {
  const char* file = std::getenv("CARPEX_PACE_REPORT");
  if (file == nullptr || *file == '\0') return;
  on_ = true;
  file_ = file;
  for (Series* series : {&frames_, &presents_, &present_cpu_, &intervals_, &key_to_present_})
    series->Ms.reset(new float[kCapacity]);
}

PaceProbe::~PaceProbe() {
  if (!on_) return;
  std::FILE* out = std::fopen(file_.c_str(), "w");
  if (out == nullptr) return;
  std::fprintf(out,
               "frames %lld\nframes_per_second %.1f\npresents %lld\npresents_per_second %.1f\n",
               static_cast<long long>(frames_.Added.Count), frames_.Added.PerSecond(),
               static_cast<long long>(presents_.Added.Count), presents_.Added.PerSecond());
  std::fprintf(out, "steps %lld\nsteps_per_second %.2f\nkeys %lld\nwaits_for_refresh %d\n",
               static_cast<long long>(steps_.Count), steps_.PerSecond(),
               static_cast<long long>(key_to_present_.Added.Count), waits_ ? 1 : 0);
  WriteFigures(out, "frame_ms", frames_.Ms.get(), frames_.Added.Count);
  WriteFigures(out, "present_ms", presents_.Ms.get(), presents_.Added.Count);
  WriteFigures(out, "present_cpu_ms", present_cpu_.Ms.get(), present_cpu_.Added.Count);
  WriteFigures(out, "present_interval_ms", intervals_.Ms.get(), intervals_.Added.Count);
  WriteFigures(out, "key_to_present_ms", key_to_present_.Ms.get(), key_to_present_.Added.Count);
  std::fclose(out);
}

void PaceProbe::FrameBegin() {
  if (!on_) return;
  frame_started_ = Now();
  sleep_.Taken = 0;
}

void PaceProbe::FrameEnd() {
  if (!on_) return;
  const int64_t now = Now();
  frames_.Add(now - frame_started_ - sleep_.Taken, now);
}

void PaceProbe::SleepBegin() {
  if (on_) sleep_.Start(Now());
}

void PaceProbe::SleepEnd() {
  if (!on_) return;
  const int64_t now = Now();
  sleep_.Stop(now);
  steps_.Add(now);
}

void PaceProbe::PresentBegin() {
  if (!on_) return;
  presenting_ = true;
  present_wall_.Start(Now());
  present_processor_.Start(CpuNow());
}

void PaceProbe::PresentEnd() {
  if (!on_) return;
  present_wall_.Stop(Now());
  present_processor_.Stop(CpuNow());
}

void PaceProbe::Presented() {
  if (!on_) return;
  const int64_t now = Now();
  // A flip of the exclusive display is shown without work of the application's.
  if (presenting_) {
    presents_.Add(present_wall_.Taken, now);
    present_cpu_.Add(present_processor_.Taken, now);
  }
  presenting_ = false;
  present_wall_.Taken = present_processor_.Taken = 0;
  if (last_present_ != 0) intervals_.Add(now - last_present_, now);
  last_present_ = now;
  if (shown_key_at_ != 0) key_to_present_.Add(now - shown_key_at_, now);
  shown_key_at_ = 0;
}

void PaceProbe::BombKey(double AgeMs) {
  if (!on_) return;
  // The pace of play is counted from the first bomb key: starting up and the
  // level screen are not play.
  if (!keyed_) {
    keyed_ = true;
    steps_.Count = 0;
    intervals_.Added.Count = 0;
  }
  // The first since the last frame: a second one cannot drop another bomb.
  if (key_at_ == 0) key_at_ = Now() - static_cast<int64_t>(AgeMs * 1e6);
}

void PaceProbe::FrameDone(bool BombFalling) {
  if (!on_) return;
  // The key dropped the bomb that this frame drew; a key while one was on its
  // way dropped none.
  if (key_at_ != 0 && BombFalling && !bomb_was_falling_) shown_key_at_ = key_at_;
  key_at_ = 0;
  bomb_was_falling_ = BombFalling;
}

}  // namespace carpex::common
