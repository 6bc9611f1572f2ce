// The whole game with one switch (the bomb key, the mouse's left button or a
// gamepad's bomb button, held as one): on the level screen a press starts
// the level chosen, and a hold moves to the next level after a second and on
// each further second, or quits after three; in a round the switch is the
// bomb key, down and up; after a round a press goes back to the level
// screen. A press acts on the screen it began on. Times are the platform's
// clock's, in milliseconds, given by the caller (common/controls.h).
#pragma once

#include <cstdint>

#include "platform/common/gamepad.h"

namespace carpex::common {

class OneSwitch {
 public:
  static constexpr double kNextLevelMs = 1000;
  static constexpr double kQuitMs = 3000;

  // What the switch does.
  enum class Act : uint8_t {
    None,
    Start,      // the level chosen starts (its digit)
    NextLevel,  // the next level is the one chosen
    Quit,       // Escape on the level screen
    BombDown,   // the bomb key down
    BombUp,     // and up
    Back,       // Escape after a round
  };

  // The switch went down at Now, on the screen View shows.
  Act Down(double Now, const GameView& View);
  // And up: a short press on the level screen starts the level.
  Act Up(double Now);
  // Before each frame: what the hold has come to by Now (one act a call).
  Act Held(double Now);
  bool IsDown() const { return down_; }

 private:
  enum class On : uint8_t { Level, Round, Over };
  bool down_ = false;
  On on_ = On::Level;
  double since_ = 0;
  int steps_ = 0;      // levels moved by this hold
  bool done_ = false;  // the hold has quit, or its press acted already
};

}  // namespace carpex::common
