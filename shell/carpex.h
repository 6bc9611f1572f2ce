#pragma once

#include "platform/app.h"

namespace carpex {

// The program's main routine: binds DirectDraw, creates the form, runs the
// application until it terminates, then destroys the form. Returns the exit status.
int Carpex(Application& App);

}  // namespace carpex
