// What presenting the picture costs, frame by frame, for the pace probe
// (scripts/pace.sh). Kept only when CARPEX_PACE_REPORT names a file; the
// figures go there when the log is destroyed. Nothing is allocated per frame.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace carpex::sdl {

class PaceLog {
 public:
  // Reads CARPEX_PACE_REPORT.
  PaceLog();
  ~PaceLog();
  PaceLog(const PaceLog&) = delete;
  PaceLog& operator=(const PaceLog&) = delete;

  // Work on the picture runs between Begin and End; it is added up until
  // Presented ends the frame's share.
  void Begin();
  void End();
  void Presented();

 private:
  static constexpr int kCapacity = 1 << 16;
  bool on_ = false;
  std::string file_;
  std::unique_ptr<float[]> wall_ms_;
  std::unique_ptr<float[]> cpu_ms_;
  int count_ = 0;
  uint64_t first_ = 0;
  uint64_t last_ = 0;
  uint64_t wall_started_ = 0;
  uint64_t cpu_started_ = 0;
  uint64_t wall_ = 0;
  uint64_t cpu_ = 0;
};

}  // namespace carpex::sdl
