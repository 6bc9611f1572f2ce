// The wait for a renderer's picture to be on the screen. SDL's present with
// the refresh waited for may only queue the picture (Mesa's GL keeps up to two
// in line), which would put frames between a key and its picture, and leave
// the game's clock no say in which refresh shows which step. On GL: glFinish,
// which some drivers hold until the swap is done, and, where GLX can tell
// (OML_sync_control), until every swap asked for has been shown.
#pragma once

#include <cstdint>
#include <memory>

namespace carpex::sdl {

class SwapWait {
 public:
  // For the renderer SDL names Renderer, its context current: nullptr for one
  // that is not GL.
  static std::unique_ptr<SwapWait> For(const char* Renderer);

  // The GL is drawn by the processor (llvmpipe and the like).
  bool Software() const { return software_; }
  // Returns once the last present is on the screen.
  void Wait();

 private:
  using Finish = void (*)();
  using CurrentDisplay = void* (*)();
  using CurrentDrawable = unsigned long (*)();
  using WaitForSbc = int (*)(void*, unsigned long, int64_t, int64_t*, int64_t*, int64_t*);

  bool software_ = false;
  Finish finish_ = nullptr;
  CurrentDisplay display_ = nullptr;
  CurrentDrawable drawable_ = nullptr;
  WaitForSbc wait_for_sbc_ = nullptr;
};

}  // namespace carpex::sdl
