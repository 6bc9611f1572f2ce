// What the SDL game and the page share about being switched away from. The
// game's deactivation "minimises" the application; only the return after that
// is a restore for the game. The page takes the display's surfaces away
// meanwhile, as exclusive full-screen DirectDraw takes them from a program
// switched away from; the SDL game, whose display was never switched, only
// pauses and leaves its window where it is.
#pragma once

#include "shell/app.h"

namespace carpex::common {

// Every surface of the software display lost, as a recording's `lose` asks
// (true: it could be brought about).
bool LoseDisplaySurfaces();

class Activation {
 public:
  // LosesSurfaces: whether a switch away takes the display's surfaces.
  explicit Activation(bool LosesSurfaces = true) : loses_surfaces_(LosesSurfaces) {}
  // The application is switched away from: false when it is away already;
  // otherwise, when it loses its surfaces, they are lost from now on, and the
  // front end sends its window to the task bar.
  bool Minimize();
  // Switched away from, and not back yet: the game is paused.
  bool Minimized() const { return minimized_; }
  // A focus message's turn, with whether the application is active now (it has
  // the focus and is not minimised): the form is deactivated when it has just
  // been switched away from, and restored when it is back.
  void HandleFocus(bool Active, FormHandlers& Form);

 private:
  bool loses_surfaces_;
  bool minimized_ = false;
};

}  // namespace carpex::common
