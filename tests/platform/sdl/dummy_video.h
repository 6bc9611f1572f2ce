// SDL on its dummy video driver for the whole test program: no display is
// needed, and a message box cannot find a real one to open on. And the
// application layer on it as the tests start it.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "graphics/soft/control.h"
#include "platform/sdl/sdl_app.h"

namespace carpex::sdl {

class DummyVideo : public ::testing::Environment {
 public:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
  }
  void TearDown() override { SDL_Quit(); }
};

// A fresh software display with the application layer on it, its message
// boxes written to standard error only, and no event left from before; null,
// with the reason in *Error, when it cannot be made.
inline std::unique_ptr<SdlApp> MakeQuietApp(std::string* Error) {
  soft::Reset();
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  std::unique_ptr<SdlApp> app = SdlApp::Create(Error);
  if (app != nullptr) app->SetQuietMessageBoxes(true);
  return app;
}

}  // namespace carpex::sdl
