// The one form of the game: its handlers, the frame loop, the surface set and
// the drawing. The world records live in W; the form is the painter that the
// world's steps call back to repaint a building.
#pragma once

#include <cstdint>
#include <string>

#include "assets/sprite_sheets.h"
#include "graphics/com_ref.h"
#include "graphics/ddraw_api.h"
#include "shell/app.h"
#include "shell/form_view.h"
#include "world/world.h"

namespace carpex {

class TForm1 final : public Painter, public FormHandlers {
 public:
  explicit TForm1(Application& App);
  ~TForm1() override = default;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // --- Handlers (called by the application layer between two frames) -------
  // Ends the application when the display cannot be set up (DisplayFailed).
  void FormCreate();
  void FormDestroy();
  void FormKeyPress(uint8_t& Key) override;
  void FormKeyDown(uint16_t& Key) override;
  void FormKeyUp(uint16_t& Key) override;
  void Timer1Timer() override;
  void ApplicationEvents1Deactivate() override;
  void ApplicationEvents1Restore() override;
  void GameLoop(bool& Done) override;

  void StartRound(uint8_t Level);

  // Replaces the random source (tests and the replay tool queue values).
  void SetRandomSource(RandomSource* Source) { Rng = Source != nullptr ? Source : &OwnRandom; }
  GameRandom& OwnGenerator() { return OwnRandom; }

  // --- Bitmaps ---------------------------------------------------------------
  void LoadSprite(const char* Name, Ref<IDirectDrawSurface7>& Sheet);
  // The level choice and the banners in this language: chosen before
  // FormCreate, or changed between two frames, when the sheets take the other
  // pictures at once (or, lost with the display, when it comes back).
  void UsePictures(Language Chosen);

  // --- Drawing --------------------------------------------------------------
  // Each returns true when the frame was abandoned.
  bool DrawPlaying() override;
  bool FlipFrame();
  void DrawCity();
  void DrawBuilding(uint16_t Index) override;
  static TRect ClipToScreen(const TRect& Src, TPoint Pos);
  static TPoint ClampPosition(TPoint Pos);

  // --- Recovery -------------------------------------------------------------
  HRESULT RestoreAll();

  // What the tools read: the trace line, the recorder, the replay's display.
  FormView View() const;

 private:
  // The main routine reads DisplayFailed for its exit status.
  friend int Carpex(Application& App, Language Pictures);
  // The tests' and benchmarks' way in (tests/shell/form_access.h).
  friend class TForm1Access;

  // --- Game variables -------------------------------------------------------
  World W;
  uint8_t Active = 0;
  uint16_t FrameCount = 0;
  uint16_t FramesPerSecond = 0;
  int8_t FpsShown = 0;
  std::string Caption;         // from the form description, as the window's
  bool DisplayFailed = false;  // FormCreate could not set up the display

  // --- The surface set, in declaration order --------------------------------
  Ref<IDirectDraw7> DirectDrawDevice;
  Ref<IDirectDrawSurface7> PrimarySurface;
  Ref<IDirectDrawSurface7> BackBuffer;
  Ref<IDirectDrawSurface7> CleanBackground;
  Ref<IDirectDrawSurface7> PlayFieldBackground;
  // LevelChoiceSheet, BuildingSheet, PlaneSheet, ExplosionSheet, BombSheet and
  // BannerSheet, from the table of the sprite sheets.
#define CARPEX_SHEET_FIELD(Field, Resource, English) Ref<IDirectDrawSurface7> Field;
  CARPEX_SPRITE_SHEETS(CARPEX_SHEET_FIELD)
#undef CARPEX_SHEET_FIELD

  int32_t LevelChoiceX = 0;
  int32_t LevelChoiceY = 0;
  int32_t LastFrameCount = 0;

  void FormClose();
  // The form's Close: asks FormClose, then ends the application (main form).
  void Close();
  // The set-up chain; false when one of its first six steps failed.
  bool SetUpDisplay();
  void ReportError(HRESULT Code, const char* Where);

  // Each returns true when the frame was abandoned.
  bool DrawLevelChoice();
  bool DrawRoundOver() override;
  bool EraseBuildingStrip(int32_t Index) override;
  bool DrawSprite(IDirectDrawSurface7* Sheet, TPoint Pos, const TRect& Src, TRect* OwnerSrcRect);

  // One blit under the lost-surface rule; true when the work must be abandoned.
  // An empty surface field draws nothing.
  bool Blit(IDirectDrawSurface7* Dest, int32_t X, int32_t Y, IDirectDrawSurface7* Source,
            const TRect* SrcRect, DWORD Flags);
  bool DrawPlane();
  // StartRound's new play-field background; false when its surface could not be made.
  bool RebuildPlayField();
  // A screen-sized surface holding the background picture; false when the
  // surface could not be made.
  bool MakeBackground(Ref<IDirectDrawSurface7>& Background);
  void EmptySurfaceSet();

  // The sprite sheets' fields with their pictures, in loading order.
  struct SpriteSheet {
    Ref<IDirectDrawSurface7> TForm1::*Field;
    const char* Resource;
    const char* English;
  };
  static const SpriteSheet kSpriteSheets[kSpriteSheetCount];
  // The sheet's picture in the language chosen.
  const char* PictureOf(const SpriteSheet& Sheet) const {
    return Pictures == Language::English ? Sheet.English : Sheet.Resource;
  }
  Language Pictures = Language::Chinese;

  int32_t LevelChoiceWidth = 0;
  int32_t LevelChoiceHeight = 0;
  Application& App;
  GameRandom OwnRandom;
  RandomSource* Rng = &OwnRandom;
  int RestoreDepth = 0;
  // DrawCity calls in progress (nested through RestoreAll). While a round starts the
  // new play-field background is in use although GameState is still 1, so a loss
  // then must bring it back too, or every block still to draw would meet it lost.
  int CityDrawingDepth = 0;
};

// The one form, while it exists (null before and after).
extern TForm1* Form1;

}  // namespace carpex
