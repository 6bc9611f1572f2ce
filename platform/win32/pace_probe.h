// What a frame costs the Windows game, for the pace probe (scripts/pace.sh
// --windows). Only when CARPEX_PACE_REPORT names a file: the work of each
// frame (the game loop without its sleep, flip or present included) and, in a
// window, the present alone are timed, and their figures written to the file
// when the probe is destroyed. Nothing is allocated per frame.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace carpex::win32 {

class PaceProbe {
 public:
  PaceProbe();
  ~PaceProbe();
  PaceProbe(const PaceProbe&) = delete;
  PaceProbe& operator=(const PaceProbe&) = delete;

  void FrameBegin();
  void FrameEnd();
  // Time between these is not the frame's work.
  void SleepBegin();
  void SleepEnd();
  void PresentBegin();
  void PresentEnd();

 private:
  struct Series {
    std::unique_ptr<float[]> Ms;
    int Count = 0;
  };
  static constexpr int kCapacity = 1 << 16;
  static void Add(Series& To, int64_t Ticks, int64_t Frequency);

  bool on_ = false;
  std::string file_;
  int64_t frequency_ = 1;
  int64_t first_ = 0;
  int64_t last_ = 0;
  int64_t frame_started_ = 0;
  int64_t sleep_started_ = 0;
  int64_t slept_ = 0;
  int64_t present_started_ = 0;
  Series frames_;
  Series presents_;
};

}  // namespace carpex::win32
