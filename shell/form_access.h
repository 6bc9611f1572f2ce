// The tests' and benchmarks' way into the form of a session: its state and its
// private steps, to set up a scene or look past what the tools' view shows.
// The game itself never uses it.
#pragma once

#include "shell/session.h"
#include "shell/unit1.h"

namespace carpex {

class TForm1Access {
 public:
  explicit TForm1Access(GameSession& Session) : form_(*Session.form_) {}

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

  // The form as the painter that the world's steps repaint buildings through.
  Painter& AsPainter() const { return form_; }
  void LoadSprite(const char* Name, Ref<IDirectDrawSurface7>& Sheet) const {
    form_.LoadSprite(Name, Sheet);
  }
  bool DrawPlaying() const { return form_.DrawPlaying(); }
  bool FlipFrame() const { return form_.FlipFrame(); }
  void DrawCity() const { form_.DrawCity(); }
  void DrawBuilding(uint16_t Index) const { form_.DrawBuilding(Index); }
  HRESULT RestoreAll() const { return form_.RestoreAll(); }
  // Before the session's end, which finds nothing left to release.
  void FormDestroy() const { form_.FormDestroy(); }
  static TRect ClipToScreen(const TRect& Src, TPoint Pos) { return TForm1::ClipToScreen(Src, Pos); }
  static TPoint ClampPosition(TPoint Pos) { return TForm1::ClampPosition(Pos); }

 private:
  TForm1& form_;
};

}  // namespace carpex
