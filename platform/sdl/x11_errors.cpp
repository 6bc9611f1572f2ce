#include "platform/sdl/x11_errors.h"

#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#if __has_include(<X11/Xlib.h>) && __has_include(<dlfcn.h>)
#include <X11/Xlib.h>
#include <dlfcn.h>

namespace carpex::sdl {

namespace {

int OnXError(Display*, XErrorEvent* Error) {
  // A window of another client that has just gone is the expected case.
  if (Error->error_code != BadWindow) {
    std::fprintf(stderr, "carpex: X error %u on request %u (ignored)\n",
                 static_cast<unsigned>(Error->error_code),
                 static_cast<unsigned>(Error->request_code));
  }
  return 0;
}

FormHandlers* toldOnServerGone = nullptr;

// The server has gone (closed, crashed, the session ended): nothing can be
// shown any more. Xlib would print its own text and exit; the game says it in
// one line, ends a recording with its last frame, and ends.
int OnXServerGone(Display*) {
  std::fputs("carpex: the connection to the X server was lost\n", stderr);
  if (toldOnServerGone != nullptr) toldOnServerGone->ProgramEnding();
  std::fflush(nullptr);
  _exit(1);
}

// Sets both handlers in the Xlib that dlopen with Flags finds; the handle is
// returned for the caller to keep or close.
void* SetHandlers(int Flags) {
  // SDL loads Xlib itself; the handlers go into that copy, without linking the
  // game to it.
  void* xlib = dlopen("libX11.so.6", RTLD_LAZY | Flags);
  if (xlib == nullptr) return nullptr;
  using SetHandler = XErrorHandler (*)(XErrorHandler);
  if (auto set = reinterpret_cast<SetHandler>(dlsym(xlib, "XSetErrorHandler"))) set(OnXError);
  using SetIOHandler = XIOErrorHandler (*)(XIOErrorHandler);
  if (auto set = reinterpret_cast<SetIOHandler>(dlsym(xlib, "XSetIOErrorHandler"))) {
    set(OnXServerGone);
  }
  return xlib;
}

}  // namespace

void TolerateX11Errors() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || std::strcmp(driver, "x11") != 0) return;
  if (void* xlib = SetHandlers(RTLD_NOLOAD)) dlclose(xlib);
}

void TolerateX11ErrorsFromTheStart() {
  // Closed, the copy could go before SDL loads its own, handlers and all.
  static void* const kept = SetHandlers(0);
  (void)kept;
}

void TellOnServerGone(FormHandlers* Form) {
  toldOnServerGone = Form;
}

}  // namespace carpex::sdl

#else

namespace carpex::sdl {
void TolerateX11Errors() {}
void TolerateX11ErrorsFromTheStart() {}
void TellOnServerGone(FormHandlers*) {}
}  // namespace carpex::sdl

#endif
