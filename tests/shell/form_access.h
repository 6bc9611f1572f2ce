// The tests' and benchmarks' way into the form: its state, to set up a scene
// or look past what the tools' view shows.
#pragma once

#include "shell/unit1.h"

namespace carpex {

class TForm1Access {
 public:
  explicit TForm1Access(TForm1& Form) : form_(Form) {}

  World& W() const { return form_.W; }
  uint8_t& Active() const { return form_.Active; }
  uint16_t& FrameCount() const { return form_.FrameCount; }
  uint16_t& FramesPerSecond() const { return form_.FramesPerSecond; }
  int8_t& FpsShown() const { return form_.FpsShown; }

  Ref<IDirectDraw7>& DirectDrawDevice() const { return form_.DirectDrawDevice; }
  Ref<IDirectDrawSurface7>& PrimarySurface() const { return form_.PrimarySurface; }
  Ref<IDirectDrawSurface7>& BackBuffer() const { return form_.BackBuffer; }
  Ref<IDirectDrawSurface7>& CleanBackground() const { return form_.CleanBackground; }
  Ref<IDirectDrawSurface7>& PlayFieldBackground() const { return form_.PlayFieldBackground; }
  Ref<IDirectDrawSurface7>& LevelChoiceSheet() const { return form_.LevelChoiceSheet; }
  Ref<IDirectDrawSurface7>& BuildingSheet() const { return form_.BuildingSheet; }
  Ref<IDirectDrawSurface7>& PlaneSheet() const { return form_.PlaneSheet; }
  Ref<IDirectDrawSurface7>& ExplosionSheet() const { return form_.ExplosionSheet; }
  Ref<IDirectDrawSurface7>& BombSheet() const { return form_.BombSheet; }
  Ref<IDirectDrawSurface7>& BannerSheet() const { return form_.BannerSheet; }

  int32_t LevelChoiceX() const { return form_.LevelChoiceX; }
  int32_t LevelChoiceY() const { return form_.LevelChoiceY; }
  int32_t LastFrameCount() const { return form_.LastFrameCount; }

 private:
  TForm1& form_;
};

}  // namespace carpex
