#include "platform/sdl/swap_wait.h"

#include <SDL.h>

namespace carpex::sdl {

namespace {

constexpr unsigned kGlRenderer = 0x1F01;

template <typename Function>
Function Find(const char* Name) {
  return reinterpret_cast<Function>(SDL_GL_GetProcAddress(Name));
}

}  // namespace

std::unique_ptr<SwapWait> SwapWait::For(const char* Renderer) {
  if (Renderer == nullptr || SDL_strncmp(Renderer, "opengl", 6) != 0) return nullptr;
  std::unique_ptr<SwapWait> wait(new SwapWait());
  using GetString = const unsigned char* (*)(unsigned);
  const auto getString = Find<GetString>("glGetString");
  const unsigned char* name = getString != nullptr ? getString(kGlRenderer) : nullptr;
  const char* text = name != nullptr ? reinterpret_cast<const char*>(name) : "";
  wait->software_ = *text == '\0' || SDL_strstr(text, "llvmpipe") != nullptr ||
                    SDL_strstr(text, "softpipe") != nullptr ||
                    SDL_strstr(text, "Software Rasterizer") != nullptr ||
                    SDL_strstr(text, "swrast") != nullptr;
  wait->finish_ = Find<Finish>("glFinish");
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver != nullptr && SDL_strcmp(driver, "x11") == 0) {
    wait->display_ = Find<CurrentDisplay>("glXGetCurrentDisplay");
    wait->drawable_ = Find<CurrentDrawable>("glXGetCurrentDrawable");
    wait->wait_for_sbc_ = Find<WaitForSbc>("glXWaitForSbcOML");
  }
  return wait;
}

void SwapWait::Wait() {
  if (finish_ != nullptr) finish_();
  if (wait_for_sbc_ == nullptr || display_ == nullptr || drawable_ == nullptr) return;
  void* display = display_();
  const unsigned long drawable = drawable_();
  if (display == nullptr || drawable == 0) return;
  int64_t ust = 0, msc = 0, sbc = 0;
  // 0: every swap asked for so far.
  wait_for_sbc_(display, drawable, 0, &ust, &msc, &sbc);
}

}  // namespace carpex::sdl
