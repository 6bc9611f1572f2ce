// The busiest picture the game ever composes, set up on the software display:
// a full city (38 buildings of 24 blocks), all 50 explosions running, the plane
// straddling the right edge and the bomb falling.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/headless/headless_app.h"
#include "shell/form_access.h"
#include "shell/session.h"

namespace carpex::bench {

// One sprite blit of the composed frame, as the display was asked for it:
// destination position and (already clipped) source rectangle.
struct SpriteBlit {
  IDirectDrawSurface7* Sheet;
  int32_t X, Y;
  TRect Src;
};

class WorstCaseScene {
 public:
  WorstCaseScene();
  ~WorstCaseScene();
  WorstCaseScene(const WorstCaseScene&) = delete;
  WorstCaseScene& operator=(const WorstCaseScene&) = delete;

  FormHandlers& Form() { return session_->Handlers(); }
  TForm1Access Inside() { return TForm1Access(*session_); }

  // The sprite blits of one DrawPlaying, in drawing order, after the
  // background: two plane copies, 50 explosions, the bomb.
  static constexpr int kMaxSprites = 2 + kExplosionSlots + 1;
  SpriteBlit Sprites[kMaxSprites] = {};
  int SpriteCount = 0;

 private:
  class FullCity final : public RandomSource {
   public:
    // Style and height alternate; every height is the tallest the level allows.
    int32_t Random(int32_t N) override {
      const bool style = (calls_++ % 2) == 0;
      return style ? (calls_ / 2) % N : N - 1;
    }

   private:
    int32_t calls_ = 0;
  };

  headless::HeadlessApp app_;
  FullCity city_;
  std::unique_ptr<GameSession> session_;
};

}  // namespace carpex::bench
