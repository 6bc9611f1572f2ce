// Xlib ends the program on any protocol error unless the program handles
// them, and prints its own text and exits when the server goes away. Under a
// window manager, hiding the window or leaving full screen races with the
// manager destroying its frame around the window, and SDL may then ask about a
// frame that is gone (BadWindow): harmless, but fatal with Xlib's default
// handler. This installs a handler that lets the game go on, and one that ends
// the game with its own one-line message and status 1 when the connection to
// the server is lost.
#pragma once

#include "shell/app.h"

namespace carpex::sdl {

// Does nothing unless SDL's video runs on X11. Call after SDL has opened it.
void TolerateX11Errors();
// The same before SDL's video starts, loading Xlib for it (kept loaded). SDL
// keeps the handler it finds and puts it back as its video ends, before it
// closes its connections to the server; an error that comes back then (SDL's
// wake-up message to the window just destroyed) would otherwise meet Xlib's
// default handler, which ends the program with status 1 after a clean end.
void TolerateX11ErrorsFromTheStart();
// Who is told, before the game ends for a lost server, that it is ending
// (ProgramEnding); nullptr for nobody.
void TellOnServerGone(FormHandlers* Form);

}  // namespace carpex::sdl
