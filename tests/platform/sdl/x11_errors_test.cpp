// Xlib's errors as SDL's video ends: SDL puts back the handler it found and
// then closes its connections to the server, and an error that comes back
// then (its wake-up message to a window just destroyed) must not end the game.
#include "platform/sdl/x11_errors.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#if __has_include(<X11/Xlib.h>) && __has_include(<dlfcn.h>)
#include <X11/Xlib.h>
#include <dlfcn.h>

TEST(X11Errors, AnErrorAfterTheVideoHasEndedDoesNotEndTheGame) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X server (DISPLAY is not set)";
  carpex::sdl::TolerateX11ErrorsFromTheStart();
  void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
  ASSERT_NE(xlib, nullptr);
  using Open = Display* (*)(const char*);
  using Send = int (*)(Display*, Window, int, long, XEvent*);
  using Sync = int (*)(Display*, int);
  using Close = int (*)(Display*);
  using Create = Window (*)(Display*, Window, int, int, unsigned, unsigned, unsigned, unsigned long,
                            unsigned long);
  using Destroy = int (*)(Display*, Window);
  const auto open = reinterpret_cast<Open>(dlsym(xlib, "XOpenDisplay"));
  const auto send = reinterpret_cast<Send>(dlsym(xlib, "XSendEvent"));
  const auto sync = reinterpret_cast<Sync>(dlsym(xlib, "XSync"));
  const auto close = reinterpret_cast<Close>(dlsym(xlib, "XCloseDisplay"));
  const auto create = reinterpret_cast<Create>(dlsym(xlib, "XCreateSimpleWindow"));
  const auto destroy = reinterpret_cast<Destroy>(dlsym(xlib, "XDestroyWindow"));
  ASSERT_TRUE(open && send && sync && close && create && destroy);
  // Opened first, so that the server does not start afresh as SDL leaves.
  Display* display = open(nullptr);
  ASSERT_NE(display, nullptr);

  SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
  SDL_Window* window = SDL_CreateWindow("Carpex", 0, 0, 64, 64, SDL_WINDOW_HIDDEN);
  ASSERT_NE(window, nullptr) << SDL_GetError();
  carpex::sdl::TolerateX11Errors();
  SDL_DestroyWindow(window);
  SDL_Quit();

  // A message to a window just destroyed, on a connection of its own, as
  // SDL's wake-up goes: Xlib's default handler would end this program.
  const Window gone = create(display, DefaultRootWindow(display), 0, 0, 8, 8, 0, 0, 0);
  destroy(display, gone);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = gone;
  event.xclient.format = 8;
  send(display, gone, False, NoEventMask, &event);
  sync(display, False);
  close(display);
  dlclose(xlib);
}

#else

TEST(X11Errors, AnErrorAfterTheVideoHasEndedDoesNotEndTheGame) {
  GTEST_SKIP() << "built without Xlib's headers";
}

#endif
