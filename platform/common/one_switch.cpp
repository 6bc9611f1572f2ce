#include "platform/common/one_switch.h"

namespace carpex::common {

OneSwitch::Act OneSwitch::Down(double Now, const GameView& View) {
  if (down_) return Act::None;
  down_ = true;
  since_ = Now;
  steps_ = 0;
  done_ = false;
  on_ = View.LevelScreen ? On::Level : View.RoundOver ? On::Over : On::Round;
  switch (on_) {
    case On::Level:
      // What the press does is known when it ends, or as the hold goes on.
      return Act::None;
    case On::Round:
      return Act::BombDown;
    case On::Over:
      done_ = true;
      return Act::Back;
  }
  return Act::None;
}

OneSwitch::Act OneSwitch::Up(double Now) {
  if (!down_) return Act::None;
  const Act held = Held(Now);
  down_ = false;
  if (held != Act::None) return held;
  if (on_ == On::Round) return Act::BombUp;
  return on_ == On::Level && steps_ == 0 && !done_ ? Act::Start : Act::None;
}

OneSwitch::Act OneSwitch::Held(double Now) {
  if (!down_ || on_ != On::Level || done_) return Act::None;
  const double held = Now - since_;
  if (held >= kQuitMs) {
    done_ = true;
    return Act::Quit;
  }
  if (held >= kNextLevelMs * (steps_ + 1)) {
    ++steps_;
    return Act::NextLevel;
  }
  return Act::None;
}

}  // namespace carpex::common
