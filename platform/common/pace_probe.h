// What a frame and its present cost the game, and how the frames keep time,
// for the pace probe (scripts/pace.sh): kept only when CARPEX_PACE_REPORT
// names a file, and written there, one "NAME VALUE" line each, when the
// probe is destroyed.
// - The frame's work is the game loop's call without its sleep; a present is
//   all the work on the picture between two presents (taking it from the
//   flip, sending it to the screen), in wall time and in the thread's own
//   processor time (what it cost the game, without waiting for the display's
//   server).
// - Steps: frames begun (each sleep's end), and how many a second; and the
//   interval between one present and the next. Both from the first bomb key
//   on: starting up and the level screen are not the pace of play.
// - From a bomb key's own event time to the present that first shows the
//   bomb it dropped; a key that dropped none (one was on its way) is not
//   counted.
// Nothing is allocated per frame.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace carpex::common {

class PaceProbe {
 public:
  // Reads CARPEX_PACE_REPORT.
  PaceProbe();
  ~PaceProbe();
  PaceProbe(const PaceProbe&) = delete;
  PaceProbe& operator=(const PaceProbe&) = delete;

  bool On() const { return on_; }

  void FrameBegin();
  void FrameEnd();
  // Time between these is not the frame's work; the end of each begins a step.
  void SleepBegin();
  void SleepEnd();
  // Work on the picture runs between these; it is added up until Presented.
  void PresentBegin();
  void PresentEnd();
  // The picture has gone to the screen.
  void Presented();
  // A bomb key went down AgeMs ago, by its event's own time.
  void BombKey(double AgeMs);
  // After each frame: whether a bomb is on its way down now.
  void FrameDone(bool BombFalling);
  // Whether the presents wait for the display's refresh.
  void WaitsForRefresh(bool Waits) { waits_ = Waits; }

 private:
  // Time added up between starts and stops, on one clock.
  struct Stopwatch {
    int64_t Started = 0;
    int64_t Taken = 0;
    void Start(int64_t At) { Started = At; }
    void Stop(int64_t At) { Taken += At - Started; }
  };
  // How many times something happened, and when the first and the last did,
  // in ns.
  struct Tally {
    int64_t Count = 0;
    int64_t First = 0;
    int64_t Last = 0;
    void Add(int64_t At);
    double PerSecond() const;
  };
  struct Series {
    std::unique_ptr<float[]> Ms;
    Tally Added;
    void Add(int64_t Nanoseconds, int64_t At);
  };

  bool on_ = false;
  std::string file_;
  int64_t frame_started_ = 0;
  Stopwatch sleep_;
  // The work on the picture since the last present, in wall and processor time.
  Stopwatch present_wall_;
  Stopwatch present_processor_;
  bool presenting_ = false;
  int64_t last_present_ = 0;
  Tally steps_;
  // The bomb key waiting for its bomb (0: none), and the one whose bomb is
  // drawn in the picture not yet presented.
  int64_t key_at_ = 0;
  int64_t shown_key_at_ = 0;
  bool bomb_was_falling_ = false;
  bool keyed_ = false;
  bool waits_ = false;
  Series frames_;
  Series presents_;
  Series present_cpu_;
  Series intervals_;
  Series key_to_present_;
};

}  // namespace carpex::common
