#include "bench/scene.h"

#include <cstdio>
#include <cstdlib>

#include "graphics/soft/control.h"

namespace carpex::bench {

namespace {

void Require(bool Ok, const char* What) {
  if (Ok) return;
  std::fprintf(stderr, "benchmark scene: %s\n", What);
  std::abort();
}

}  // namespace

WorstCaseScene::WorstCaseScene() {
  soft::Reset();
  session_ = std::make_unique<GameSession>(app_);
  Require(!app_.Terminated && app_.MessageBoxes.empty(), "the display could not be set up");
  session_->SetRandomSource(&city_);
  uint8_t nine = '9';
  Form().Handle({FormEvent::Char, nine});
  const TForm1Access in(*session_);
  World& w = in.W();
  Require(w.GameState == kPlaying && w.BlocksLeft == 38 * 24, "the city is not full");

  // 50 explosions in a 10 x 5 grid that reaches past every edge of the screen,
  // at every frame of the animation.
  for (int32_t i = 1; i <= kExplosionSlots; ++i) {
    TExplosion& e = w.Explosions[i];
    e.State = kExplosionRunning;
    e.Frame = static_cast<uint8_t>(i % (e.LastFrame + 1));
    e.X = -40 + ((i - 1) % 10) * 72;
    e.Y = -20 + ((i - 1) / 10) * 112;
  }
  // The plane past the right edge, so that its second copy shows at the left.
  w.Plane.X = 610;
  w.Plane.Y = 96;
  w.Plane.Mode = kPlaneFlying;
  UpdatePlaneCell(w);
  w.Bomb.State = kBombFalling;
  w.Bomb.X = 320;
  w.Bomb.Y = 200;

  // The same blits as DrawPlaying asks for, for the other blitters to repeat.
  auto add = [this](IDirectDrawSurface7* Sheet, TPoint At, const TRect& Src) {
    const TRect clipped = TForm1Access::ClipToScreen(Src, At);
    const TPoint pos = TForm1Access::ClampPosition(At);
    if (clipped.Right <= clipped.Left || clipped.Bottom <= clipped.Top) return;
    Sprites[SpriteCount++] = SpriteBlit{Sheet, pos.X, pos.Y, clipped};
  };
  const TPlane& p = w.Plane;
  const TRect plane = PlaneSrcRect(p);
  add(in.PlaneSheet().Get(), TPoint{p.X, p.Y}, plane);
  add(in.PlaneSheet().Get(), TPoint{p.WrapX, p.WrapY}, plane);
  for (int32_t i = 1; i <= kExplosionSlots; ++i) {
    const TExplosion& e = w.Explosions[i];
    add(in.ExplosionSheet().Get(), TPoint{e.X, e.Y},
        TRect{e.Frame * e.FrameWidth, 0, (e.Frame + 1) * e.FrameWidth, e.FrameHeight});
  }
  add(in.BombSheet().Get(), TPoint{w.Bomb.X, w.Bomb.Y}, TRect{0, 0, 16, 16});
  Require(SpriteCount == kMaxSprites, "a sprite of the scene is off the screen");
}

WorstCaseScene::~WorstCaseScene() {
  session_.reset();
  soft::Reset();
}

}  // namespace carpex::bench
