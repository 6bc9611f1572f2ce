// No turn of the SDL layer's loop allocates once the game runs: the events,
// the game's frame, the flip taken into the window's picture, the frame-rate
// text and the present, through a round with a bomb and its explosions.
#include <gtest/gtest.h>

#include "graphics/soft/control.h"
#include "platform/sdl/sdl_app.h"
#include "shell/session.h"
#include "tests/platform/sdl/dummy_video.h"
#include "tests/platform/sdl/game_driver.h"
#include "tests/shell/heap_counter.h"

namespace carpex::sdl {
namespace {

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new DummyVideo);

constexpr int kFrames = 150;

void Type(SDL_Keycode Sym, SDL_Scancode Scan, bool Release = true) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.keysym.sym = Sym;
  e.key.keysym.scancode = Scan;
  SDL_PushEvent(&e);
  if (!Release) return;
  e.type = SDL_KEYUP;
  SDL_PushEvent(&e);
}

TEST(SdlFrameAllocations, NoTurnOfTheLoopAllocatesWhileARoundIsPlayed) {
  SCOPED_TRACE(alloc_test::CountingMethod());
  soft::Reset();
  std::string error;
  std::unique_ptr<SdlApp> app = SdlApp::Create(&error);
  ASSERT_NE(app, nullptr) << error;
  {
    GameSession session(*app);
    // A round at the tallest level, the frame rate shown, a bomb on its way.
    Type('9', SDL_SCANCODE_9);
    Type('f', SDL_SCANCODE_F);
    Type(SDLK_SPACE, SDL_SCANCODE_SPACE, false);
    // From the second frame on everything has been seen once.
    uint64_t start = 0;
    uint64_t allocations = 0;
    Driver driver(session.Handlers(), *app);
    driver.Between = [&](int Frame) {
      if (Frame == 2) start = alloc_test::HeapNow().Allocations;
      if (Frame == kFrames) allocations = alloc_test::HeapNow().Allocations - start;
    };
    driver.Run(kFrames);
    EXPECT_EQ(allocations, 0u);
    EXPECT_GT(session.View().W.BlocksLeft, 0);
    EXPECT_LT(session.View().W.BlocksLeft, 38 * 24) << "the bomb brought nothing down";
    EXPECT_GE(app->Presents(), static_cast<uint64_t>(kFrames));
  }
  app.reset();
  soft::Reset();
}

}  // namespace
}  // namespace carpex::sdl
