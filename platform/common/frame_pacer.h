// When the game's steps come: one at each tick of a clock of sixty ticks a
// second (or another period: a slower game is the same steps further apart),
// whatever the display's refresh. The wait before a step ends at its tick, not
// a fixed time after the last step's work, so the work's time never slows the
// game. A step a little late (a slow frame, a present that waited for the
// display) leaves the ticks where they were, and the next step comes at its
// own; only a step a whole period late starts the ticks again from then, so
// that the game never runs steps in a burst to catch up.
//
// The front ends on the desktop (SDL, the Windows window and borderless) and
// the page share it; each gives the clock it waits with: the system's clock,
// or the page's animation frames, which come at the display's refresh.
#pragma once

#include <cstdint>

namespace carpex::common {

class FramePacer {
 public:
  // What the pacer waits with.
  class Clock {
   public:
    virtual ~Clock() = default;
    // Milliseconds, from any origin.
    virtual double Now() = 0;
    // Returns at At or later, with the time it returned at (a refresh's own
    // time, for a clock of the display's refreshes).
    virtual double WaitUntil(double At) = 0;
  };

  // Sixty steps a second.
  static constexpr double kStepMs = 1000.0 / 60;

  // Early: how much of a period before its tick a step may come, for a clock
  // whose wakings come a little early or late (the display's refreshes: one
  // up to a quarter period early runs the step, so that a 60 Hz display's
  // jitter costs no step).
  explicit FramePacer(Clock& With, double PeriodMs = kStepMs, double Early = 0);

  // Waits for the next step's tick.
  void WaitForStep();
  // How long, in milliseconds, until the next step may come (0 or less: now),
  // for a front end that waits with its messages handled meanwhile.
  double DueIn();
  // Whether a present after this step's work may wait for the display's
  // refresh, which comes at most RefreshMs (its period) from now: only when
  // the next step could still begin within three quarters of a period of its
  // tick, a quarter left for its work. Otherwise the picture goes at once (and
  // may be seen torn, once in a while on a display a little slower than the
  // steps, or on a machine that cannot keep up).
  bool MayWaitForRefresh(double RefreshMs);

  // The steps' period from the next step on.
  void SetPeriod(double PeriodMs) { period_ = PeriodMs; }
  // The period at a speed of the game's (per cent, one of kSpeeds): the same
  // steps, 100 / Percent times as far apart; sixty a second at 100 or at a
  // speed that is none of the game's.
  static double PeriodAt(uint16_t Percent);
  double Period() const { return period_; }
  // When the next step is due (after the first wait), on the clock's time.
  double Due() const { return due_; }

 private:
  Clock& clock_;
  double period_;
  double early_;
  double due_ = 0;
  bool started_ = false;
};

// The system's steady clock, slept on.
class SystemClock final : public FramePacer::Clock {
 public:
  double Now() override;
  double WaitUntil(double At) override;
};

}  // namespace carpex::common
