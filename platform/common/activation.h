// What the SDL game and the page share about being switched away from. The
// game's deactivation minimises the application, and with that every surface
// of the display is lost, as exclusive full-screen DirectDraw takes them from
// a program switched away from; only a return from the minimised state is a
// restore for the game.
#pragma once

#include "shell/app.h"

namespace carpex::common {

class Activation {
 public:
  // The application minimises itself: false when it is minimised already;
  // otherwise the display's surfaces are lost from now on, and the front end
  // sends its window to the task bar.
  bool Minimize();
  bool Minimized() const { return minimized_; }
  // A focus message's turn, with whether the application is active now (it has
  // the focus and is not minimised): the form is deactivated when it has just
  // been switched away from, and restored when it is back from the task bar.
  void HandleFocus(bool Active, FormHandlers& Form);

 private:
  bool minimized_ = false;
};

}  // namespace carpex::common
