// The game's steps against displays of every refresh rate, on a clock the test
// moves: a minute of play is sixty steps a second, never a step ahead of the
// 60 Hz clock, and every refresh that can show a new step shows one.
#include "platform/common/frame_pacer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace carpex::common {
namespace {

constexpr double kStep = FramePacer::kStepMs;
constexpr double kMinute = 60000;

// A display refreshing Hz times a second (0: none to wait for, as a virtual
// X server), its first refresh at Phase.
struct Display {
  double Hz;
  double Phase = 5.3;
  double Period() const { return 1000 / Hz; }
  // The first refresh after T.
  double After(double T) const {
    return Phase + (std::floor((T - Phase) / Period() + 1e-9) + 1) * Period();
  }
};

// The desktop's clock: a sleep ends when asked.
class DesktopClock final : public FramePacer::Clock {
 public:
  double Now() override { return T; }
  double WaitUntil(double At) override { return T = std::max(T, At); }
  double T = 1000;
};

// The page's: its time is the refresh it is in, a wait ends at the refresh a
// step is due in, and a step due in the refresh that has come runs in it too.
class PageClock final : public FramePacer::Clock {
 public:
  explicit PageClock(const Display& D) : display_(D) {}
  double Now() override { return seen_; }
  double WaitUntil(double At) override {
    if (seen_ >= At) return seen_;
    do {
      T = seen_ = display_.After(T);
    } while (seen_ < At);
    return seen_;
  }
  double T = 1000;

 private:
  const Display& display_;
  double seen_ = T;
};

struct Played {
  double Start;               // when the first step was asked for
  std::vector<double> Steps;  // when each began
  int Unwaited = 0;           // presents that did not wait for the refresh
  // How many began within the minute.
  double InAMinute() const {
    return static_cast<double>(std::count_if(Steps.begin(), Steps.end(),
                                             [this](double T) { return T < Start + kMinute; }));
  }
};

// A minute of steps of WorkMs each (Late: one step of that long, halfway).
// On the desktop each present waits for the display's refresh when the pacer
// lets it, else goes at once; on the page the picture goes to the screen at
// the next refresh.
Played Play(const Display& D, bool Page, double WorkMs = 2, double PeriodMs = kStep,
            double Late = 0) {
  DesktopClock desktop;
  PageClock page(D);
  FramePacer::Clock& clock = Page ? static_cast<FramePacer::Clock&>(page) : desktop;
  double& t = Page ? page.T : desktop.T;
  FramePacer pacer(clock, PeriodMs, Page ? 0.25 : 0);
  Played run{t, {}, 0};
  while (t < run.Start + kMinute) {
    pacer.WaitForStep();
    run.Steps.push_back(t);
    t += Late > 0 && run.Steps.size() == 1800 ? Late : WorkMs;
    if (Page || D.Hz == 0) continue;
    if (pacer.MayWaitForRefresh(D.Period())) {
      t = D.After(t);
    } else {
      ++run.Unwaited;
    }
  }
  return run;
}

// No step comes before its tick of the clock begun when the first was asked
// for (Early: how much of a period before, for the page's refreshes).
void NeverAhead(const Played& R, double PeriodMs, double Early, const std::string& What) {
  for (size_t n = 0; n < R.Steps.size(); ++n) {
    ASSERT_GE(R.Steps[n], R.Start + n * PeriodMs - Early * PeriodMs - 1e-6)
        << What << ": step " << n << " comes before its tick";
  }
}

TEST(FramePacerTest, SixtyStepsASecondOnEveryDisplayNeverAStepAhead) {
  for (const double hz : {0.0, 60.0, 60 / 1.001, 75.0, 120.0, 144.0}) {
    for (const bool page : {false, true}) {
      if (page && hz == 0) continue;
      const Display d{hz};
      const std::string what = (page ? "page, " : "desktop, ") + std::to_string(hz) + " Hz";
      const Played r = Play(d, page);
      EXPECT_NEAR(r.InAMinute(), 3600, 1) << what;
      NeverAhead(r, kStep, page ? 0.25 : 0, what);
      // Every present waits for the refresh but, on a display a little
      // slower than the steps, one each time it has fallen a step behind.
      EXPECT_LE(r.Unwaited, hz < 60 ? 4 : 0) << what;
    }
  }
}

TEST(FramePacerTest, ALateStepCostsOnlyTheStepsItOverranAndTheTicksGoOn) {
  for (const bool page : {false, true}) {
    const std::string what = page ? "page" : "desktop";
    // 50 ms: three steps' time.
    const Played r = Play(Display{60}, page, 2, kStep, 50);
    EXPECT_NEAR(r.InAMinute(), 3598, 2) << what;
    NeverAhead(r, kStep, page ? 0.25 : 0, what);
    // The step after it comes at once, and the ones after on ticks from there.
    EXPECT_NEAR(r.Steps[1800] - r.Steps[1799], 50, 17) << what;
    for (size_t n = 1801; n < 1810; ++n) EXPECT_NEAR(r.Steps[n] - r.Steps[n - 1], kStep, 1) << what;
  }
}

TEST(FramePacerTest, ALongerPeriodIsTheSameStepsSlower) {
  // Half speed: thirty steps a second, on any display.
  for (const bool page : {false, true}) {
    const Played r = Play(Display{144}, page, 2, 2 * kStep);
    EXPECT_NEAR(r.InAMinute(), 1800, 1) << (page ? "page" : "desktop");
    NeverAhead(r, 2 * kStep, page ? 0.25 : 0, page ? "page" : "desktop");
  }
}

}  // namespace
}  // namespace carpex::common
