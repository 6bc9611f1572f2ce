// SDL on its dummy video driver for the whole test program: no display is
// needed, and a message box cannot find a real one to open on.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

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

}  // namespace carpex::sdl
