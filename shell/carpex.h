#pragma once

#include <functional>

#include "assets/sprite_sheets.h"
#include "shell/app.h"
#include "shell/session.h"

namespace carpex {

// The program's main routine: the game's session on App, whose message loop
// runs until the application terminates. Started, when given, sees the session
// before the loop runs (a recorder, what a gamepad's buttons mean). The level
// choice and the banners are shown in the language of Pictures. Returns the
// exit status: 0, or 1 when the display could not be set up.
int Carpex(Application& App, const std::function<void(GameSession&)>& Started = nullptr,
           Language Pictures = Language::Chinese);

}  // namespace carpex
