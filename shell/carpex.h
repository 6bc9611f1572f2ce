#pragma once

#include "assets/sprite_sheets.h"
#include "shell/app.h"

namespace carpex {

// The program's main routine: binds DirectDraw, creates the form, runs the
// application until it terminates, then destroys the form. Returns the exit
// status: 0, or 1 when the display could not be set up. The level choice and
// the banners are shown in the language of Pictures.
int Carpex(Application& App, Language Pictures = Language::Chinese);

}  // namespace carpex
